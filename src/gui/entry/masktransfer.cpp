// Transfer between the entry mask and a flight record, and the four crew rows over eight slots.
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmyedit.h"
#include "dates/daynumber.h"
#include "entry/entrymask.h"
#include "storage/logbook.h"
#include "storage/scramble.h"
#include "text/conversionerror.h"
#include "text/textstorageerror.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <cstring>

namespace velmarsk {
namespace {

// Controls whose name is not "ED" followed by the record field's name.
const struct {
    const char* field;
    const char* control;
} kControlNames[] = {
    {"Lf1", "ED1lf"},         {"Lf2", "ED2lf"},       {"ImcNite", "EdImcNite"},
    {"HoodDay", "EdHoodDay"}, {"SimDay", "EdSimDay"},
};

// The files keep line breaks of routing and comment as CR LF; the text fields give and take LF.
QString shownBreaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

void EntryMask::bindFields() {
    for (const FieldInfo& f : flightFields()) {
        if (f.kind != FieldKind::Time && f.kind != FieldKind::Counter) continue;
        QString control = QStringLiteral("ED") + QString::fromLatin1(f.name);
        for (const auto& n : kControlNames)
            if (std::strcmp(n.field, f.name) == 0) control = QString::fromLatin1(n.control);
        QWidget* w = findChild<QWidget*>(control);
        Q_ASSERT_X(w, "bindFields", f.name);
        m_bindings.push_back({&f, w});
    }
}

QString EntryMask::nameText(NameRef ref) const {
    return m_logbook.names().NameAt(ref);
}

NameRef EntryMask::nameRef(const QString& text) {
    const NameRef ref = m_logbook.names().NameIndexOf(text);
    if (ref < 0) throw TextStorageError(text.trimmed());
    return ref;
}

void EntryMask::RecordToMask(const FlightRecord& record) {
    EDDate->setText(record.Date ? DateText(dayNumberToDate(record.Date)) : QString());
    for (int r = 0; r < 4; ++r) EDDuty[std::size_t(r)]->setText(nameText(record.Duty[std::size_t(r)]));
    for (int r = 0; r < 4; ++r) EDName[std::size_t(r)]->setText(nameText(record.Name[std::size_t(r)]));
    EDAircraft->setText(nameText(record.Aircraft));
    EDCallsign->setText(nameText(record.Callsign));
    EDRegistration->setText(nameText(record.Registration));
    EDTctp->setText(nameText(record.Tctp));
    MRouting->setPlainText(shownBreaks(m_currentStringRecord.Routing));
    for (const Binding& b : m_bindings) {
        if (auto* t = qobject_cast<TEdit5Min*>(b.control))
            t->setMinutes(b.field->get(record));
        else
            static_cast<TEditZahl*>(b.control)->setValue(b.field->get(record));
    }
    MemComment->setPlainText(shownBreaks(record.commentProtected()
                                             ? UnscrambleText(m_currentStringRecord.Comment)
                                             : m_currentStringRecord.Comment));
    CBCommentHidden->setChecked(record.commentProtected());
}

void EntryMask::MaskToRecord(FlightRecord& record) {
    record.Date = std::uint16_t(dateToDayNumber(FieldDate(EDDate->text())));
    for (int r = 0; r < 4; ++r)
        record.Duty[std::size_t(m_crewScrollPos + r - 1)] = nameRef(EDDuty[std::size_t(r)]->text());
    for (int r = 0; r < 4; ++r)
        record.Name[std::size_t(m_crewScrollPos + r - 1)] = nameRef(EDName[std::size_t(r)]->text());
    record.Aircraft = nameRef(EDAircraft->text());
    record.Callsign = nameRef(EDCallsign->text());
    record.Registration = nameRef(EDRegistration->text());
    record.Tctp = nameRef(EDTctp->text());
    m_currentStringRecord.Routing = StringRecord::storedBreaks(MRouting->toPlainText());
    if (const auto [field, message] = firstUnstorableValue(); field)
        throw ConversionError(QString(), message);
    for (const Binding& b : m_bindings) b.field->set(record, maskValue(b));
    record.CommentHidden = CBCommentHidden->isChecked() ? 1 : 0;
    const QString comment = StringRecord::storedBreaks(MemComment->toPlainText());
    m_currentStringRecord.Comment = record.commentProtected() ? ScrambleText(comment) : comment;
    // New names live in memory until a flight refers to them: storing it writes Flug.nam first.
}

FlightRecord EntryMask::TakeFlight(StringRecord& texts) {
    StoreCrewRows();
    FillCrewRows();
    FlightRecord work = m_currentFlight;
    MaskToRecord(work);  // raises the conversion error of a wrong date before anything is stored
    for (const QString& t : {m_currentStringRecord.Routing, MemComment->toPlainText()})
        if (!StringRecord::isStorableText(t)) throw TextStorageError(t);
    texts = m_currentStringRecord;
    return work;
}

quint32 EntryMask::maskValue(const Binding& b) {
    if (auto* t = qobject_cast<TEdit5Min*>(b.control)) return t->minutes();
    return static_cast<TEditZahl*>(b.control)->value();
}

QString EntryMask::fieldCaption(QWidget* field) const {
    // A field of the category groups is named by its group, its column and its row (Day or Nite).
    auto* box = qobject_cast<QGroupBox*>(field->parentWidget());
    auto* grid = box ? qobject_cast<QGridLayout*>(box->layout()) : nullptr;
    const int index = grid ? grid->indexOf(field) : -1;
    if (index < 0) {
        for (QLabel* label : findChildren<QLabel*>())
            if (label->buddy() == field) return label->text().remove(QLatin1Char('&'));
        return field->objectName();
    }
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    QStringList parts{box->title()};
    for (QLayoutItem* item : {grid->itemAtPosition(0, column), grid->itemAtPosition(row, 0)})
        if (auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr)
            parts << label->text().remove(QLatin1Char('&'));
    return parts.join(QLatin1Char(' '));
}

QString EntryMask::clockTimeRefusal(QWidget* field) const {
    return QStringLiteral("Die Uhrzeit im Feld \u201E%1\u201C muss zwischen 0:00 und 23:59 liegen")
        .arg(fieldCaption(field));
}

std::pair<QWidget*, QString> EntryMask::firstUnstorableValue() const {
    // A value is refused rather than cut to what fits: the flight and the running total would be
    // stored wrong without a word.
    for (const Binding& b : m_bindings) {
        const quint32 value = maskValue(b);
        if (value <= b.field->limit()) continue;
        if (b.field->isClockTime()) return {b.control, clockTimeRefusal(b.control)};
        return {b.control, QStringLiteral("Der Wert im Feld \u201E%1\u201C ist zu groß für das Flugbuch")
                               .arg(fieldCaption(b.control))};
    }
    return {nullptr, QString()};
}

void EntryMask::StoreCrewRows() {
    FlightRecord& f = m_currentFlight;
    for (int r = 0; r < 4; ++r)
        f.Duty[std::size_t(m_crewScrollPos + r - 1)] = nameRef(EDDuty[std::size_t(r)]->text());
    for (int r = 0; r < 4; ++r)
        f.Name[std::size_t(m_crewScrollPos + r - 1)] = nameRef(EDName[std::size_t(r)]->text());
    // One pass closes gaps: an empty slot followed by a member takes the members after it.
    const NameRef empty = nameRef(QString());
    for (int k = 0; k < kCrewSlots - 1; ++k) {
        if (nameText(f.Duty[std::size_t(k)]).isEmpty() && nameText(f.Name[std::size_t(k)]).isEmpty() &&
            !nameText(f.Duty[std::size_t(k + 1)]).isEmpty()) {
            for (int j = k; j < kCrewSlots - 1; ++j) {
                f.Duty[std::size_t(j)] = f.Duty[std::size_t(j + 1)];
                f.Name[std::size_t(j)] = f.Name[std::size_t(j + 1)];
            }
            f.Duty[kCrewSlots - 1] = empty;
            f.Name[kCrewSlots - 1] = empty;
        }
    }
    m_crewCount = kCrewSlots;
    for (int k = 0; k < kCrewSlots; ++k) {
        if (nameText(f.Duty[std::size_t(k)]).isEmpty() && nameText(f.Name[std::size_t(k)]).isEmpty()) {
            m_crewCount = k;
            break;
        }
    }
}

void EntryMask::FillCrewRows() {
    for (int r = 0; r < 4; ++r)
        EDDuty[std::size_t(r)]->setText(nameText(m_currentFlight.Duty[std::size_t(m_crewScrollPos + r - 1)]));
    for (int r = 0; r < 4; ++r)
        EDName[std::size_t(r)]->setText(nameText(m_currentFlight.Name[std::size_t(m_crewScrollPos + r - 1)]));
}

void EntryMask::SetCrewScroll(int slot) {
    m_crewScrollPos = std::clamp(slot, 1, kCrewSlots - 3);
    {
        const QSignalBlocker block(SBName);
        if (SBName->maximum() < m_crewScrollPos) SBName->setMaximum(m_crewScrollPos);
        SBName->setValue(m_crewScrollPos);
    }
    // While a flight is entered the rows always follow, also for the first flight of an empty
    // logbook, whose working record has no date yet.
    if (m_currentFlight.Date != 0 || m_entryState != Browse) FillCrewRows();
}

}  // namespace velmarsk
