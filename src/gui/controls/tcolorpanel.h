#pragma once

#include <QFrame>
#include <QString>

namespace velmarsk {

// Panel that shows a colour the options dialog edits and stores under IniName. Color is
// 0x00BBGGRR or a system colour (colors.h); it starts as the system button face.
class TColorPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString IniName READ iniName WRITE setIniName)
    Q_PROPERTY(quint32 Color READ color WRITE setColor)

public:
    explicit TColorPanel(QWidget* parent = nullptr);

    QString iniName() const { return m_iniName; }
    void setIniName(const QString& name) { m_iniName = name; }
    quint32 color() const { return m_color; }
    void setColor(quint32 color);

private:
    QString m_iniName;
    quint32 m_color;
};

}  // namespace velmarsk
