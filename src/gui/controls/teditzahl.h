#pragma once

#include <QString>

#include "controls/maskedlineedit.h"
#include "controls/tstatus.h"

namespace velmarsk {

// Entry field for a counter between Min and Max (at most 999). Default mask " 999;1; ".
// Leaving the field reads every digit of the text in order (anything else is ignored, no digit is
// 0) into Value, which clamps it to Min..Max; 0 shows as an empty field.
//
// Value also reads an edited text first, like TEdit5Min's Minutes, so a counter typed just before
// the window reads the fields (Enter on the default button leaves no field) is not lost.
//
// Notifications Enter and Exit as for TEdit5Min.
class TEditZahl : public MaskedLineEdit {
    Q_OBJECT
    Q_PROPERTY(quint32 Min READ minimum WRITE setMinimum)
    Q_PROPERTY(quint32 Max READ maximum WRITE setMaximum)
    Q_PROPERTY(quint32 Value READ value WRITE setValue)
    Q_PROPERTY(velmarsk::TStatus Status READ status WRITE setStatus)
    Q_PROPERTY(bool Allowed READ allowed WRITE setAllowed)
    Q_PROPERTY(quint32 AllowedColor READ allowedColor WRITE setAllowedColor)
    Q_PROPERTY(QString IniName READ iniName WRITE setIniName)

public:
    static constexpr quint32 kUpperLimit = 999;

    explicit TEditZahl(QWidget* parent = nullptr);

    quint32 minimum() const { return m_min; }
    // A negative minimum counts as 0.
    void setMinimum(qint64 min);
    quint32 maximum() const { return m_max; }
    // A maximum above 999 is cut to 999.
    void setMaximum(qint64 max);

    quint32 value();
    // A value different from the stored one is clamped to Min..Max and shown; the stored value
    // written again changes nothing.
    void setValue(quint32 value);

    TStatus status() const { return m_status; }
    void setStatus(TStatus status) { m_status = status; }
    bool allowed() const { return m_allowed; }
    void setAllowed(bool allowed);
    quint32 allowedColor() const { return m_allowedColor; }
    void setAllowedColor(quint32 color);
    QString iniName() const { return m_iniName; }
    void setIniName(const QString& name) { m_iniName = name; }

    // The number formed by all digits of a text in order; 0 when there is none.
    static quint32 collectDigits(const QString& text);

signals:
    void Enter(QWidget* field);
    void Exit(QWidget* field);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeText();

    quint32 m_min = 0;
    quint32 m_max = kUpperLimit;
    quint32 m_value = 0;
    TStatus m_status = stNone;
    bool m_allowed = false;
    quint32 m_allowedColor;
    QString m_iniName;
};

}  // namespace velmarsk
