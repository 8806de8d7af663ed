#pragma once

#include <QString>

#include "controls/maskedlineedit.h"
#include "controls/tstatus.h"

namespace velmarsk {

// Entry field for a duration in whole minutes, shown as hours and minutes ("  2:15") and kept to
// multiples of 5. Default mask "999:99;1; "; the entry mask uses " 99:99;1; ".
//
// Every non-digit typed is taken as ":", so any separator key moves the caret into the minutes;
// "8:15", "08:15" and "815" all give 8:15.
// Leaving the field reads the text into Minutes; a text that gives the stored value stays as typed
// (1:75 in a field holding 135 minutes). Minutes may exceed 59 when typed: 1:75 is 135.
//
// Notifications, each with the field as argument:
// - BeforeExit: Tab, Shift+Tab, Up or Down reached the field, before the focus moves. A window that
//   watches these keys itself should do so after the field (Up and Down are passed on to the
//   parent), not in an event filter on the field, or it runs first. hasBeforeExit() tells whether
//   a receiver is connected.
// - Enter: the field got the focus from another field or by a click (not when its window is
//   activated again).
// - Exit: the field lost the focus to another field, after its text was read into Minutes. A
//   focus change to another window or to a pop-up menu is no exit, and a field that lost the
//   focus because the program disabled it gets no Exit either (only its text is read).
class TEdit5Min : public MaskedLineEdit {
    Q_OBJECT
    Q_PROPERTY(quint32 Minutes READ minutes WRITE setMinutes)
    Q_PROPERTY(velmarsk::TStatus Status READ status WRITE setStatus)
    Q_PROPERTY(bool Allowed READ allowed WRITE setAllowed)
    Q_PROPERTY(quint32 AllowedColor READ allowedColor WRITE setAllowedColor)
    Q_PROPERTY(QString IniName READ iniName WRITE setIniName)
    Q_PROPERTY(bool DisZero READ disZero WRITE setDisZero)

public:
    explicit TEdit5Min(QWidget* parent = nullptr);

    // Reads an edited text first.
    quint32 minutes();
    // Rounds down to a multiple of 5 and shows the value; writing the stored value again only
    // takes the text as read, so it is not re-formatted.
    void setMinutes(quint32 minutes);

    TStatus status() const { return m_status; }
    void setStatus(TStatus status) { m_status = status; }
    bool allowed() const { return m_allowed; }
    void setAllowed(bool allowed);
    quint32 allowedColor() const { return m_allowedColor; }
    void setAllowedColor(quint32 color);
    QString iniName() const { return m_iniName; }
    void setIniName(const QString& name) { m_iniName = name; }
    // Whether 0 minutes show as "0:00" rather than an empty field. Changing it re-shows an
    // unedited value.
    bool disZero() const { return m_disZero; }
    void setDisZero(bool disZero);

    bool hasBeforeExit() const;

    // The minutes a time text stands for: the digits before the separator are hours (blanks
    // skipped), the next two places tens and units of minutes; missing digits count as 0.
    static quint32 parseTime(const QString& text);

signals:
    void BeforeExit(QWidget* field);
    void Enter(QWidget* field);
    void Exit(QWidget* field);

protected:
    QChar filterTypedChar(QChar c) const override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showMinutes();
    // Puts digits typed without a separator into hours and minutes the way a clock reads them.
    void completeTyping();

    quint32 m_minutes = 0;
    TStatus m_status = stNone;
    bool m_allowed = false;
    quint32 m_allowedColor = 0;
    QString m_iniName;
    bool m_disZero = false;
};

}  // namespace velmarsk
