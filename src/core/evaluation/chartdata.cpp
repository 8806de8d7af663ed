#include "evaluation/chartdata.h"

#include "dates/daynumber.h"
#include "evaluation/totals.h"
#include "storage/flightpass.h"
#include "storage/flightrecord.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace velmarsk {
namespace {

using R = FlightRecord;

#define VELMARSK_AT(field) offsetof(R, field)

// The summed fields lie in the last 64 bytes of a slot, from "1. Zeit" on, so one vector add per
// flight collects all of them.
constexpr std::size_t kSummedFrom = kFlightRecordSize - 64;

constexpr ChartCategory kCategories[] = {
    {"CBGesamtstunden",
     "Gesamtstunden",
     0,
     1,
     {VELMARSK_AT(VfrDay), VELMARSK_AT(VfrNite), VELMARSK_AT(IfrGesDay), VELMARSK_AT(IfrGesNite),
      VELMARSK_AT(Lf2)},
     5},
    {"CBNachtflug", "Nachtflug", 1, 1, {VELMARSK_AT(VfrNite)}, 1},
    {"CBIfr", "IFR", 2, 1, {VELMARSK_AT(IfrGesDay), VELMARSK_AT(IfrGesNite)}, 2},
    {"CBIfrNacht", "IFR-Nacht", 3, 1, {VELMARSK_AT(IfrGesNite)}, 1},
    {"CBTiefflug", "Tiefflug", 4, 1, {VELMARSK_AT(LlDay)}, 1},
    {"CBTiefflugNav", "Tiefflug Navigation", 5, 1, {VELMARSK_AT(LlNavDay)}, 1},
    {"CBFormation",
     "Formation",
     6,
     1,
     {VELMARSK_AT(FormDay), VELMARSK_AT(FormNite), VELMARSK_AT(TfDay), VELMARSK_AT(TfNite)},
     4},
    {"CBNotverfahren", "Notverfahren", 7, 1, {VELMARSK_AT(EmergDay), VELMARSK_AT(EmergNite)}, 2},
    {"CBNotverfahrenNacht", "Notverfahren Nacht", 8, 1, {VELMARSK_AT(EmergNite)}, 1},
    {"CBARs", "AR's", 10, 2, {VELMARSK_AT(ArDay), VELMARSK_AT(ArNite)}, 2},
    {"CBNachtARs", "Nacht AR's", 11, 2, {VELMARSK_AT(ArNite)}, 1},
    {"CBSenkrecht", "Senkrecht", 12, 2, {VELMARSK_AT(VertDay), VELMARSK_AT(VertNite)}, 2},
    {"CBSenkrechtNacht", "Senkrecht Nacht", 13, 2, {VELMARSK_AT(VertNite)}, 1},
    {"CBWinde", "Winde", 14, 2, {VELMARSK_AT(WinchDay), VELMARSK_AT(WinchNite)}, 2},
    {"CBWindeNacht", "Winde Nacht", 15, 2, {VELMARSK_AT(WinchNite)}, 1},
    {"CBSuche", "Suche", 16, 2, {VELMARSK_AT(SearchDay), VELMARSK_AT(SearchNite)}, 2},
    {"CBConf", "Gel\u00e4ndeanfl\u00fcge", 17, 2, {VELMARSK_AT(ConfDay), VELMARSK_AT(ConfNite)}, 2},
    {"CBConfNacht", "Gel\u00e4ndeanfl\u00fcge Nacht", 18, 2, {VELMARSK_AT(ConfNite)}, 1},
    {"CBAl", "Au\u00dfenlast", 19, 2, {VELMARSK_AT(ExtDay), VELMARSK_AT(ExtNite)}, 2},
    {"CBAlNacht", "Au\u00dfenlast Nacht", 20, 2, {VELMARSK_AT(ExtNite)}, 1},
    {"CBSimulator", "Simulator", 21, 1, {VELMARSK_AT(SimDay), VELMARSK_AT(SimNite)}, 2},
};

#undef VELMARSK_AT

constexpr bool fieldsInSummedBytes() {
    for (const ChartCategory& c : kCategories)
        for (int i = 0; i < c.fieldCount; ++i)
            if (c.fields[i] < kSummedFrom) return false;
    return true;
}
static_assert(fieldsInSummedBytes());

// black, maroon, green, olive, navy, purple, teal, gray, silver, red, lime, yellow, blue, fuchsia,
// aqua, silver, gray
constexpr quint32 kPalette[17] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                  0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                  0xFF0000, 0xFF00FF, 0xFFFF00, 0xC0C0C0, 0x808080};

const char* const kCrLf = "\r\n";

// Day number of 1 January of a year, clamped to what the index can hold on either side.
qint64 firstDayOfYear(int year) {
    if (year < 1) return -1;
    const QDate d(year, 1, 1);
    return d.isValid() ? kDayZero.daysTo(d) : 0x10000;
}

int periodsPerYear(ChartMode mode) {
    switch (mode) {
        case ChartMode::Year:
            return 1;
        case ChartMode::Quarter:
            return 4;
        case ChartMode::Month:
            return 12;
    }
    return 1;
}

// 0-based period of a date, counted from the first period of startYear.
int periodOf(const QDate& date, int startYear, ChartMode mode) {
    const int perYear = periodsPerYear(mode);
    return (date.year() - startYear) * perYear + (date.month() - 1) / (12 / perYear);
}

// First day of period p, as a day number (may lie beyond the 16-bit range for the period after
// the last).
qint64 periodStart(int p, int startYear, ChartMode mode) {
    const int perYear = periodsPerYear(mode);
    const int month = (p % perYear) * (12 / perYear) + 1;
    return kDayZero.daysTo(QDate(startYear + p / perYear, month, 1));
}

ChartBuild refused(ChartRefusal refusal) {
    ChartBuild out;
    out.refusal = refusal;
    out.message = chartMessage(refusal);
    return out;
}

}  // namespace

quint32 ChartCategory::colour() const {
    return kPalette[child % 17];
}

std::span<const ChartCategory> chartCategories() {
    return kCategories;
}

int chartCategoryIndex(QStringView boxName) {
    for (std::size_t i = 0; i < std::size(kCategories); ++i)
        if (boxName == QLatin1String(kCategories[i].name)) return int(i);
    return -1;
}

QStringList ChartData::lines(int block) const {
    if (block < 0 || block >= blocks.size()) return {};
    QStringList l = blocks.at(block).split(QString::fromLatin1(kCrLf));
    if (!l.isEmpty() && l.last().isEmpty()) l.removeLast();
    return l;
}

QString ChartData::title() const {
    return lines(0).value(0);
}

QChar ChartData::modeLetter() const {
    const QString letter = lines(0).value(1);
    return letter.isEmpty() ? QChar() : letter.at(0);
}

int ChartData::startYear() const {
    return lines(0).value(2).toInt();
}

int ChartData::valueCount() const {
    return blocks.size() < 2 ? 0 : std::max(0, int(lines(1).size()) - 3);
}

QString ChartData::block(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) text += line + QString::fromLatin1(kCrLf);
    return text;
}

QString chartTitle(ChartMode mode) {
    switch (mode) {
        case ChartMode::Year:
            return QStringLiteral("J\u00e4hrliche Auswertung");
        case ChartMode::Quarter:
            return QStringLiteral("Quartalsweise Auswertung");
        case ChartMode::Month:
            return QStringLiteral("Monatliche Auswertung");
    }
    return {};
}

QChar chartModeLetter(ChartMode mode) {
    switch (mode) {
        case ChartMode::Year:
            return QLatin1Char('J');
        case ChartMode::Quarter:
            return QLatin1Char('Q');
        case ChartMode::Month:
            return QLatin1Char('M');
    }
    return {};
}

bool chartModeFromLetter(QStringView letter, ChartMode* mode) {
    for (ChartMode m : {ChartMode::Year, ChartMode::Quarter, ChartMode::Month})
        if (letter.size() == 1 && letter.at(0) == chartModeLetter(m)) {
            *mode = m;
            return true;
        }
    return false;
}

QString chartMessage(ChartRefusal refusal) {
    switch (refusal) {
        case ChartRefusal::EmptyLogbook:
            return QStringLiteral(
                "Das Flugbuch enth\u00e4lt noch keine Fl\u00fcge; es gibt nichts darzustellen.");
        case ChartRefusal::NoFlights:
            return QStringLiteral(
                "In den gew\u00e4hlten Jahren gibt es keine Fl\u00fcge; es gibt nichts darzustellen.");
        case ChartRefusal::TooManyValues:
            return QStringLiteral("Zu viele Werte pro Graph");
        case ChartRefusal::TooComplex:
            return QStringLiteral("Zeichnung zu komplex");
        case ChartRefusal::TooFewValues:
            return QStringLiteral(
                "Eine Grafik braucht mindestens zwei Werte je Linie. Bitte mehrere Jahre oder eine feinere "
                "Darstellung (Quartal, Monat) w\u00e4hlen.");
        case ChartRefusal::None:
        case ChartRefusal::NothingChecked:
            break;
    }
    return {};
}

int ChartYearFromText(const QString& text) {
    bool ok = false;
    const int year = text.trimmed().toInt(&ok);
    if (!ok) throw ChartYearError(text, QStringLiteral("'%1' ist kein g\u00fcltiger Integerwert").arg(text));
    if (year < 1 || year > 9999)
        throw ChartYearError(text, QStringLiteral("Ung\u00fcltiges Argument f\u00fcr Datumscodierung"));
    return year;
}

ChartBuild BuildChartData(const FlightPass& pass, const ChartRequest& request) {
    if (pass.FlightCount() == 0) return refused(ChartRefusal::EmptyLogbook);
    const int first = FindFirstOnOrAfter(pass, firstDayOfYear(request.von));
    const int last = FindFirstOnOrAfter(pass, firstDayOfYear(request.bis + 1)) - 1;
    if (first > last) return refused(ChartRefusal::NoFlights);

    const std::uint16_t firstDay = pass.DateAt(first);
    const std::uint16_t lastDay = pass.DateAt(last);
    const int startYear = dayNumberToDate(firstDay).year();
    const int periods = periodOf(dayNumberToDate(lastDay), startYear, request.mode) + 1;

    std::vector<int> checked = request.checked;
    std::sort(checked.begin(), checked.end());
    checked.erase(std::unique(checked.begin(), checked.end()), checked.end());
    std::erase_if(checked, [](int c) { return c < 0 || c >= int(std::size(kCategories)); });

    // Every block has as many lines: caption, colour, kind and the values.
    const int lines = periods + 3;
    if (lines > kMaxChartLines) return refused(ChartRefusal::TooManyValues);
    if (lines * (int(checked.size()) + 1) > kMaxChartDrawing) return refused(ChartRefusal::TooComplex);

    // The period of every day of the range, so a flight costs one look-up whatever its place in
    // the file.
    std::vector<std::uint8_t> periodOfDay(std::size_t(lastDay - firstDay + 1));
    for (int p = 0; p < periods; ++p) {
        const qint64 from = std::max<qint64>(periodStart(p, startYear, request.mode), firstDay);
        const qint64 to = std::min<qint64>(periodStart(p + 1, startYear, request.mode) - 1, lastDay);
        for (qint64 d = from; d <= to; ++d) periodOfDay[std::size_t(d - firstDay)] = std::uint8_t(p);
    }

    // Each byte of a slot's summed part added up per period; a field is read back from the sums of
    // its bytes. 65,536 flights of at most 255 per byte fit 32 bits.
    using PeriodSums = std::array<std::uint32_t, kFlightRecordSize - kSummedFrom>;
    std::vector<PeriodSums> sums(std::size_t(periods), PeriodSums{});
    pass.ForEachSlotDated(firstDay, lastDay, [&](const char* slot) {
        const auto day = std::uint16_t(std::uint8_t(slot[0]) | std::uint8_t(slot[1]) << 8);
        auto& period = sums[periodOfDay[std::size_t(day - firstDay)]];
        // A copy of its own, so the compiler knows the sums cannot change the bytes and adds them
        // as whole vectors.
        std::array<std::uint8_t, kFlightRecordSize - kSummedFrom> bytes;
        std::memcpy(bytes.data(), slot + kSummedFrom, bytes.size());
        for (std::size_t i = 0; i < period.size(); ++i) period[i] += bytes[i];
    });

    ChartBuild out;
    out.seriesLines.reserve(std::size(kCategories));
    for (const ChartCategory& c : kCategories) {
        QStringList block{c.captionText(), QString::number(c.colour()), QString::number(c.kindOfValue)};
        for (const auto& period : sums) {
            qint64 value = 0;
            for (int f = 0; f < c.fieldCount; ++f) {
                const std::size_t at = c.fields[f] - kSummedFrom;
                value += qint64(period[at]) + (c.isTime() ? qint64(period[at + 1]) << 8 : 0);
            }
            block << QString::number(value);
        }
        out.seriesLines.push_back(std::move(block));
    }
    if (checked.empty()) {
        out.refusal = ChartRefusal::NothingChecked;
        return out;
    }
    // A line needs two points; the values stay with the boxes all the same.
    if (periods < 2) {
        out.refusal = ChartRefusal::TooFewValues;
        out.message = chartMessage(out.refusal);
        return out;
    }
    out.data.blocks << ChartData::block(
        {chartTitle(request.mode), QString(chartModeLetter(request.mode)), QString::number(startYear)});
    for (int c : checked) out.data.blocks << ChartData::block(out.seriesLines[std::size_t(c)]);
    return out;
}

}  // namespace velmarsk
