#pragma once

#include <QCheckBox>
#include <QStringList>

namespace velmarsk {

// Check box of one chart category. Values receives the category's series (one text line per
// period), KindOfValue says what it counts (1 minutes, 2 a count) and Tag carries a running sum
// while the series is built.
class TGCheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(QStringList Values READ values)
    Q_PROPERTY(int KindOfValue READ kindOfValue WRITE setKindOfValue)
    Q_PROPERTY(int Tag READ tag WRITE setTag)

public:
    explicit TGCheckBox(QWidget* parent = nullptr) : QCheckBox(parent) {}

    QStringList values() const { return m_values; }
    // The list itself, for filling it.
    QStringList& valueList() { return m_values; }
    int kindOfValue() const { return m_kindOfValue; }
    void setKindOfValue(int kind) { m_kindOfValue = kind; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

private:
    QStringList m_values;
    int m_kindOfValue = 1;
    int m_tag = 0;
};

}  // namespace velmarsk
