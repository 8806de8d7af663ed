#pragma once

#include <QString>

#include "controls/maskedlineedit.h"

namespace velmarsk {

// Masked entry field for a short text (duty, aircraft, callsign, registration, TCTP number); the
// window sets the mask, for example ">lll;1; " for a three-letter duty in upper case.
//
// Allowed: the field is enabled when its text holds more than blanks or when it is allowed.
//
// Notifications, each with the field as argument:
// - BeforeExit: Tab or Shift+Tab reached the field, before the focus moves (the arrows do not
//   fire it). hasBeforeExit() tells whether a receiver is connected.
// - Enter: the field got the focus from another field or by a click.
// - Exit: the field lost the focus to another field while enabled; a focus change to another
//   window or to a pop-up menu is no exit.
class TEditName : public MaskedLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool Allowed READ allowed WRITE setAllowed)
    Q_PROPERTY(quint32 AllowedColor READ allowedColor WRITE setAllowedColor)
    Q_PROPERTY(QString IniName READ iniName WRITE setIniName)

public:
    explicit TEditName(QWidget* parent = nullptr);
    // A date field as every window has one: the date mask, fixed-pitch, as wide as its text.
    static TEditName* dateField(QWidget* parent, const char* objectName);

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
