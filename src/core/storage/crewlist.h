#pragma once

#include "text/textset.h"

#include <QByteArray>
#include <QCollator>
#include <QString>
#include <QStringList>

namespace velmarsk {

// The sorted set of crew names ever flown, from which the entry mask completes names. Order and
// equality follow the user's locale collation with case ignored.
class CrewList {
public:
    CrewList();

    // True when the list grew.
    bool add(const QString& name);
    bool contains(const QString& name) const;
    const QStringList& names() const { return m_names; }
    int size() const { return int(m_names.size()); }

    bool CrewChanged() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    void load(const QByteArray& file);
    QByteArray serialize() const;
    void clear();

private:
    qsizetype lowerBound(const QString& name) const;

    QCollator m_collator;
    QStringList m_names;
    TextSet m_folded;  // the names case-folded: a quick test for names already present
    bool m_changed = false;
};

}  // namespace velmarsk
