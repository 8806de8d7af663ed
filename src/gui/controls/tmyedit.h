#pragma once

#include <QLineEdit>
#include <QString>

namespace velmarsk {

// Plain entry field (crew names) with the allowed marking and notifications of TEditName.
class TMyEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool Allowed READ allowed WRITE setAllowed)
    Q_PROPERTY(quint32 AllowedColor READ allowedColor WRITE setAllowedColor)
    Q_PROPERTY(QString IniName READ iniName WRITE setIniName)

public:
    explicit TMyEdit(QWidget* parent = nullptr);

    bool allowed() const { return m_allowed; }
    void setAllowed(bool allowed);
    quint32 allowedColor() const { return m_allowedColor; }
    void setAllowedColor(quint32 color);
    QString iniName() const { return m_iniName; }
    void setIniName(const QString& name) { m_iniName = name; }

    bool hasBeforeExit() const;

signals:
    void BeforeExit(QWidget* field);
    void Enter(QWidget* field);
    void Exit(QWidget* field);

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_allowed = false;
    quint32 m_allowedColor;
    QString m_iniName;
};

}  // namespace velmarsk
