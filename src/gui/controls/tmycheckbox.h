#pragma once

#include <QCheckBox>
#include <QString>

namespace velmarsk {

// Check box whose state the options dialog stores under IniName.
class TMyCheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(QString IniName READ iniName WRITE setIniName)

public:
    explicit TMyCheckBox(QWidget* parent = nullptr) : QCheckBox(parent) {}

    QString iniName() const { return m_iniName; }
    void setIniName(const QString& name) { m_iniName = name; }

private:
    QString m_iniName;
};

}  // namespace velmarsk
