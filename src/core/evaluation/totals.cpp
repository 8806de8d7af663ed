#include "evaluation/totals.h"

#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "settings/settings.h"
#include "storage/bytes.h"
#include "storage/flightpass.h"
#include "storage/nametable.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace velmarsk {
namespace {

using G = TotalsGroup;
using S = CellSource;
using R = FlightRecord;

constexpr bool kTime = true;
constexpr bool kCount = false;
constexpr bool kDay = false;
constexpr bool kNight = true;

constexpr TotalsCell timeCell(const char* name, G g, const char* row, bool night, S s, Word R::*f = nullptr,
                              bool real = false) {
    return {name, kTime, g, row, night, s, f, nullptr, real};
}
constexpr TotalsCell countCell(const char* name, G g, const char* row, bool night, S s,
                               std::uint8_t R::*f = nullptr, bool real = false) {
    return {name, kCount, g, row, night, s, nullptr, f, real};
}

// The cells as the window lays them out. A cell with source None exists so the window looks
// complete; the record has no field for it.
const TotalsCell kCells[] = {
    timeCell("LGesDay", G::General, "Gesamt", kDay, S::Derived),
    timeCell("LGesNite", G::General, "Nacht", kDay, S::Derived),
    timeCell("LLf2", G::General, "2. Zeit", kDay, S::Range, &R::Lf2),
    timeCell("LIp", G::General, "IP", kDay, S::Range, &R::Ip),

    timeCell("LGesVfrDay", G::Vfr, "Gesamt", kDay, S::Range, &R::VfrDay),
    timeCell("LGesVfrNite", G::Vfr, "Gesamt", kNight, S::Range, &R::VfrNite),
    timeCell("LGesLlDay", G::Vfr, "Low Level", kDay, S::Range, &R::LlDay),
    timeCell("LGesLlNite", G::Vfr, "Low Level", kNight, S::None),
    timeCell("LGesLlNavDay", G::Vfr, "LL Nav", kDay, S::Range, &R::LlNavDay),
    timeCell("LGesLlNavNite", G::Vfr, "LL Nav", kNight, S::None),
    timeCell("LGesNavNite", G::Vfr, "NiteNav", kNight, S::Range, &R::NavNite),
    timeCell("LGesFormDay", G::Vfr, "Formation", kDay, S::Range, &R::FormDay),
    timeCell("LGesFormNite", G::Vfr, "Formation", kNight, S::Range, &R::FormNite),
    timeCell("LGesTakFormDay", G::Vfr, "tak.Form.", kDay, S::Range, &R::TfDay),
    timeCell("LGesTakFormNite", G::Vfr, "tak.Form.", kNight, S::Range, &R::TfNite),
    timeCell("LGesEmergDay", G::Vfr, "Notverfahren", kDay, S::Range, &R::EmergDay),
    timeCell("LGesEmergNite", G::Vfr, "Notverfahren", kNight, S::Range, &R::EmergNite),
    countCell("LGesArDay", G::Vfr, "AR", kDay, S::Range, &R::ArDay),
    countCell("LGesArNite", G::Vfr, "AR", kNight, S::Range, &R::ArNite),
    countCell("LGesVertDay", G::Vfr, "Senkrecht", kDay, S::Range, &R::VertDay),
    countCell("LGesVertNite", G::Vfr, "Senkrecht", kNight, S::Range, &R::VertNite),
    countCell("LGesWinchDay", G::Vfr, "Winde", kDay, S::Range, &R::WinchDay),
    countCell("LGesWinchNite", G::Vfr, "Winde", kNight, S::Range, &R::WinchNite),
    countCell("LGesSearchDay", G::Vfr, "Suche", kDay, S::Range, &R::SearchDay),
    countCell("LGesSearchNite", G::Vfr, "Suche", kNight, S::Range, &R::SearchNite),
    countCell("LGesConfDay", G::Vfr, "Gel. Anfl\u00fcge", kDay, S::Range, &R::ConfDay),
    countCell("LGesConfNite", G::Vfr, "Gel. Anfl\u00fcge", kNight, S::Range, &R::ConfNite),
    countCell("LGesExtDay", G::Vfr, "Au\u00dfenlast", kDay, S::Range, &R::ExtDay),
    countCell("LGesExtNite", G::Vfr, "Au\u00dfenlast", kNight, S::Range, &R::ExtNite),
    countCell("LGesLandDay", G::Vfr, "Landungen", kDay, S::Range, &R::LandDay),
    countCell("LGesLandNite", G::Vfr, "Landungen", kNight, S::Range, &R::LandNite),

    timeCell("LGesIfrDay", G::Ifr, "IFR", kDay, S::Range, &R::IfrGesDay),
    timeCell("LGesIfrNite", G::Ifr, "IFR", kNight, S::Range, &R::IfrGesNite),
    timeCell("LGesHoodDay", G::Ifr, "Hood", kDay, S::Range, &R::HoodDay),
    timeCell("LGesHoodNite", G::Ifr, "Hood", kNight, S::None),
    timeCell("LGesImcDay", G::Ifr, "IMC", kDay, S::Range, &R::ImcDay),
    timeCell("LGesImcNite", G::Ifr, "IMC", kNight, S::Range, &R::ImcNite),
    timeCell("LGesSimDay", G::Ifr, "Simulator", kDay, S::Range, &R::SimDay),
    timeCell("LGesSimNite", G::Ifr, "Simulator", kNight, S::Range, &R::SimNite),
    countCell("LGesPrecDay", G::Ifr, "Prec.", kDay, S::Range, &R::PrecDay, true),
    countCell("LGesPrecNite", G::Ifr, "Prec.", kNight, S::Range, &R::PrecNite, true),
    countCell("LGesNPrecDay", G::Ifr, "Non Prec.", kDay, S::Range, &R::NPrecDay, true),
    countCell("LGesNPrecNite", G::Ifr, "Non Prec.", kNight, S::Range, &R::NPrecNite, true),

    timeCell("LGes1911ImcDay", G::Zdv1911, "IMC", kDay, S::BirthdayYear, &R::ImcDay),
    timeCell("LGes1911ImcNite", G::Zdv1911, "IMC", kNight, S::BirthdayYear, &R::ImcNite),
    timeCell("LGes1911Hood", G::Zdv1911, "Hood", kDay, S::BirthdayYear, &R::HoodDay),
    timeCell("LGes1911HoodNite", G::Zdv1911, "Hood", kNight, S::None),
    timeCell("LGes1911SimDay", G::Zdv1911, "Simulator", kDay, S::BirthdayYear, &R::SimDay),
    timeCell("LGes1911SimNite", G::Zdv1911, "Simulator", kNight, S::BirthdayYear, &R::SimNite),
    countCell("LGes1911PrecDay", G::Zdv1911, "Prec.", kDay, S::BirthdayYear, &R::PrecDay, true),
    countCell("LGes1911PrecNite", G::Zdv1911, "Prec.", kNight, S::BirthdayYear, &R::PrecNite, true),
    countCell("LGes1911NPrecDay", G::Zdv1911, "Non Prec.", kDay, S::BirthdayYear, &R::NPrecDay, true),
    countCell("LGes1911NPrecNite", G::Zdv1911, "Non Prec.", kNight, S::BirthdayYear, &R::NPrecNite, true),
};

namespace T = setting::TCTP;
using NA = RequirementRow::NightApproach;

// The requirement comparison, one line per check, in the order the checks run.
const RequirementRow kRows[] = {
    {"LGesVfrDay", &T::GESVFR, {"LGesVfrDay"}, {"LGesVfrNite"}, &T::VFRISGES},
    {"LGesVfrNite", &T::GESNITE, {"LGesVfrNite"}, {}, nullptr},
    {"LGesLlDay", &T::LL100, {"LGesLlDay"}, {}, nullptr},
    {"LGesLlNavDay", &T::LLNAV, {"LGesLlNavDay"}, {}, nullptr},
    {"LGesNavNite", &T::NITENAV, {"LGesNavNite"}, {}, nullptr},
    {"LGesFormDay", &T::FORMGES, {"LGesFormDay"}, {"LGesFormNite"}, &T::FORMISGES},
    {"LGesFormNite", &T::FORMNITE, {"LGesFormNite"}, {}, nullptr},
    {"LGesTakFormDay", &T::FORMTAK, {"LGesTakFormDay"}, {"LGesTakFormNite"}, &T::TAKFORMISGES},
    {"LGesTakFormNite", &T::FORMTAKNITE, {"LGesTakFormNite"}, {}, nullptr},
    {"LGesEmergDay", &T::EMERGGES, {"LGesEmergDay"}, {"LGesEmergNite"}, &T::EMERGISGES},
    {"LGesEmergNite", &T::EMERGNITE, {"LGesEmergNite"}, {}, nullptr},
    {"LGesArDay", &T::ARGES, {"LGesArDay"}, {"LGesArNite"}, &T::ARISGES},
    {"LGesArNite", &T::ARNITE, {"LGesArNite"}, {}, nullptr},
    {"LGesVertDay", &T::VERTGES, {"LGesVertDay"}, {"LGesVertNite"}, &T::VERTISGES},
    {"LGesVertNite", &T::VERTNITE, {"LGesVertNite"}, {}, nullptr},
    {"LGesWinchDay", &T::WINCHGES, {"LGesWinchDay"}, {"LGesWinchNite"}, &T::WINCHISGES},
    {"LGesWinchNite", &T::WINCHNITE, {"LGesWinchNite"}, {}, nullptr},
    {"LGesSearchDay", &T::SEARCHGES, {"LGesSearchDay"}, {"LGesSearchNite"}, &T::SEARCHISGES},
    {"LGesSearchNite", &T::SEARCHNITE, {"LGesSearchNite"}, {}, nullptr},
    {"LGesConfDay", &T::APPROACHGES, {"LGesConfDay"}, {"LGesConfNite"}, &T::APPRISGES},
    {"LGesConfNite", &T::APPROACHNITE, {"LGesConfNite"}, {}, nullptr},
    {"LGesExtDay", &T::EXTGES, {"LGesExtDay"}, {"LGesExtNite"}, &T::EXTISGES},
    {"LGesExtNite", &T::EXTNITE, {"LGesExtNite"}, {}, nullptr},
    {"LGesLandDay", &T::LANDGES, {"LGesLandDay"}, {"LGesLandNite"}, &T::LANDISGES},
    {"LGesLandNite", &T::LANDNITE, {"LGesLandNite"}, {}, nullptr},
    {"LGesSimDay", &T::SIMGES, {"LGesSimDay"}, {"LGesSimNite"}, &T::SIMISGES},
    {"LGesSimNite", &T::SIMNITE, {"LGesSimNite"}, {}, nullptr},
    // Instrument time proper (IMC and hood) against the IFR requirement; the IFR night requirement
    // against the IFR night total.
    {"LGesIfrDay", &T::GESIFR, {"LGesImcDay", "LGesHoodDay"}, {"LGesImcNite", "LGesHoodNite"}, &T::IFRISGES},
    {"LGesIfrNite", &T::NITEIFR, {"LGesIfrNite"}, {}, nullptr},
    {"LGesPrecDay", &T::PRECGES, {"LGesPrecDay", "LGesPrecNite"}, {}, nullptr},
    {"LGesNPrecDay", &T::NONPRECGES, {"LGesNPrecDay", "LGesNPrecNite"}, {}, nullptr},
    {"LGesPrecNite",
     &T::PRECNITE,
     {"LGesPrecNite", "LGesNPrecNite"},
     {},
     nullptr,
     NA::PrecisionLine,
     &T::IFRNDIFF},
    {"LGesNPrecNite", &T::NONPRECNITE, {"LGesNPrecNite"}, {}, nullptr, NA::NonPrecisionLine, &T::IFRNDIFF},
    {"LGes1911ImcDay",
     &T::GES1911,
     {"LGes1911ImcDay", "LGes1911Hood"},
     {"LGes1911ImcNite", "LGes1911HoodNite"},
     &T::IFRISGES1911},
    {"LGes1911ImcNite", &T::NITE1911, {"LGes1911ImcNite"}, {}, nullptr},
    {"LGes1911SimDay", &T::SIM1911GES, {"LGes1911SimDay"}, {"LGes1911SimNite"}, &T::SIMISGES1911},
    {"LGes1911SimNite", &T::SIM1911NITE, {"LGes1911SimNite"}, {}, nullptr},
    {"LGes1911PrecDay", &T::PREC1911GES, {"LGes1911PrecDay", "LGes1911PrecNite"}, {}, nullptr},
    {"LGes1911NPrecDay", &T::NONPREC1911GES, {"LGes1911NPrecDay", "LGes1911NPrecNite"}, {}, nullptr},
    {"LGes1911PrecNite",
     &T::PREC1911NITE,
     {"LGes1911PrecNite", "LGes1911NPrecNite"},
     {},
     nullptr,
     NA::PrecisionLine,
     &T::IFRNDIFF1911},
    {"LGes1911NPrecNite",
     &T::NONPREC1911NITE,
     {"LGes1911NPrecNite"},
     {},
     nullptr,
     NA::NonPrecisionLine,
     &T::IFRNDIFF1911},
};

const char* const kLastFlightKeys[kLastFlightKinds] = {"IFR", "AR", "Nite", "IP", "NB"};
const char* const kLastFlightCells[kLastFlightKinds] = {"LLastIfr", "LLastAr", "LLastNite", "LLastIp",
                                                        "LLastNb"};

// The progress bar moves only every twentieth flight.
constexpr int kProgressStep = 20;

qint64 dayNumberOf(const QDate& date) {
    return kDayZero.daysTo(date);
}

// A flight without simulator time, read from its slot in the file.
bool isRealFlight(const char* slot) {
    return bytes::u16(slot + offsetof(FlightRecord, SimDay)) +
               bytes::u16(slot + offsetof(FlightRecord, SimNite)) ==
           0;
}

// The bytes of a slot the cells add up: the last 64, from "1. Zeit" on, whole vectors for the
// processor; and the approach counts alone for the flights without simulator time. Every summed
// field lies there.
constexpr std::size_t kSummedFrom = kFlightRecordSize - 64;
constexpr std::size_t kSummedTo = kFlightRecordSize;
static_assert(kSummedFrom <= offsetof(FlightRecord, Lf2));
constexpr std::size_t kRealOnlyFrom = offsetof(FlightRecord, PrecDay);
constexpr std::size_t kRealOnlyTo = offsetof(FlightRecord, NPrecNite) + 1;

// Where a cell's field lies in the record, which is where it lies in a slot of the file.
std::size_t fieldOffset(const TotalsCell& cell) {
    static const FlightRecord probe{};
    const auto* base = reinterpret_cast<const char*>(&probe);
    const auto* field = cell.minutes ? reinterpret_cast<const char*>(&(probe.*cell.minutes))
                                     : reinterpret_cast<const char*>(&(probe.*cell.count));
    return std::size_t(field - base);
}

// The sums of a slot's bytes at their offsets over the flights of one range: over all of them from
// "1. Zeit" on, and the approach counts over those without simulator time. A field's total is read
// back from the sums of its bytes. Bytes go into 16-bit lanes, plain additions the compiler turns
// into vector code, and the lanes into the wide sums before they could overflow.
class ByteSums {
public:
    void add(const char* slot) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(slot);
        for (std::size_t i = 0; i < kSummedBytes; ++i) m_lanes[i] += bytes[kSummedFrom + i];
        // Without a branch: the file's order makes simulator flights a coin toss for the processor.
        const std::uint8_t keep = isRealFlight(slot) ? 0xFF : 0;
        for (std::size_t i = 0; i < kRealOnlyBytes; ++i) m_realLanes[i] += bytes[kRealOnlyFrom + i] & keep;
        if (++m_pending == kLaneCapacity) flush();
    }
    // The sum of the field at this offset of the record; two bytes for a time, one for a count.
    qint64 field(std::size_t offset, bool twoBytes, bool realFlightsOnly) {
        flush();
        auto byteSum = [&](std::size_t at) -> qint64 {
            if (realFlightsOnly)
                return at >= kRealOnlyFrom && at < kRealOnlyTo ? m_real[at - kRealOnlyFrom] : 0;
            return at >= kSummedFrom && at < kSummedTo ? m_all[at - kSummedFrom] : 0;
        };
        return byteSum(offset) + (twoBytes ? byteSum(offset + 1) << 8 : 0);
    }

private:
    static constexpr std::size_t kSummedBytes = kSummedTo - kSummedFrom;
    static constexpr std::size_t kRealOnlyBytes = kRealOnlyTo - kRealOnlyFrom;
    // 257 bytes of at most 255 fit 16 bits.
    static constexpr int kLaneCapacity = 257;
    void flush() {
        for (std::size_t i = 0; i < kSummedBytes; ++i) m_all[i] += m_lanes[i];
        for (std::size_t i = 0; i < kRealOnlyBytes; ++i) m_real[i] += m_realLanes[i];
        m_lanes = {};
        m_realLanes = {};
        m_pending = 0;
    }
    std::array<std::uint16_t, kSummedBytes> m_lanes{};
    std::array<std::uint16_t, kRealOnlyBytes> m_realLanes{};
    int m_pending = 0;
    // 65,536 flights of at most 255 in a byte fit 32 bits.
    std::array<std::uint32_t, kSummedBytes> m_all{};
    std::array<std::uint32_t, kRealOnlyBytes> m_real{};
};

class Calculation {
public:
    Calculation(const FlightPass& pass, const Settings& settings, const QDate& today,
                const TotalsProgress& progress)
        : m_pass(pass), m_settings(settings), m_today(today), m_progress(progress) {}

    TotalsResult run(const QDate& von, const QDate& bis);

private:
    // A span of day numbers, both inclusive; empty when from > to.
    struct Days {
        std::uint16_t from = 1, to = 0;
        bool holds(std::uint16_t d) const { return d >= from && d <= to; }
        bool empty() const { return from > to; }
    };
    void ClearTotals();
    Days daysOf(int fromPosition, int toPosition) const;
    Days birthdayYear();
    void sweep(Days range, Days birthday);
    void takeSums(ByteSums& sums, CellSource source);
    void derivedCells();
    void lastFlightColours();
    void checkRequirements();
    void CheckRequirement(const RequirementRow& row, bool skip);
    qint64 sumOf(const std::array<const char*, 2>& cells) const;
    void report(int value, int maximum) const {
        if (m_progress) m_progress(value, maximum);
    }
    std::array<bool, kLastFlightKinds> kindsOf(const char* slot);

    const FlightPass& m_pass;
    const Settings& m_settings;
    QDate m_today;
    const TotalsProgress& m_progress;
    std::vector<qint64> m_sums;  // wide while adding; every total fits 32 bits
    TotalsResult m_result;
    QString m_nbSymbol;
    // Whether a TCTP reference names the NB text, decided once per reference: a logbook uses few.
    std::vector<std::int8_t> m_isNb;
};

TotalsResult Calculation::run(const QDate& von, const QDate& bis) {
    ClearTotals();
    const int from = FindFirstOnOrAfter(m_pass, dayNumberOf(von));
    const int to = FindFirstOnOrAfter(m_pass, dayNumberOf(bis) + 1) - 1;
    m_result.rangeFrom = from;
    m_result.rangeTo = to;
    m_result.requirementYear = von == QDate(m_today.year(), 1, 1) && bis == QDate(m_today.year(), 12, 31);
    report(0, m_pass.FlightCount());
    const Days birthday = birthdayYear();
    // The range, the birthday year and the last flight of each kind: all from one sweep of the
    // file, which reads every slot whatever the range.
    sweep(daysOf(from, to), birthday);
    derivedCells();
    m_result.values.reserve(m_sums.size());
    for (qint64 v : m_sums) m_result.values.push_back(qint32(v));
    lastFlightColours();
    checkRequirements();
    return std::move(m_result);
}

void Calculation::ClearTotals() {
    m_sums.assign(totalsCells().size(), 0);
    m_result = TotalsResult{};
    m_nbSymbol = m_settings.text(setting::TCTP::NBSYMB);
    m_isNb.assign(std::size_t(m_pass.names().NameCount()) + 1, -1);
}

Calculation::Days Calculation::daysOf(int fromPosition, int toPosition) const {
    // The flights of the positions from..to are those dated between theirs.
    if (fromPosition > toPosition) return {};
    return {m_pass.DateAt(fromPosition), m_pass.DateAt(toPosition)};
}

void Calculation::sweep(Days range, Days birthday) {
    ByteSums rangeSums, birthdaySums;
    std::array<std::uint32_t, kLastFlightKinds> newest{};
    const int count = m_pass.FlightCount();
    int seen = 0;
    m_pass.ForEachSlotDated(0, 0xFFFF, [&](const char* slot) {
        const std::uint16_t date = bytes::u16(slot);
        if (range.holds(date)) rangeSums.add(slot);
        if (birthday.holds(date)) birthdaySums.add(slot);
        // The newest flight of each kind by its date and start. Without branches, and kept in
        // registers: the file's order makes "newer than so far" a coin toss for the processor.
        const std::uint32_t key = std::uint32_t(date) << 16 | bytes::u16(slot + offsetof(R, Atd));
        const auto is = kindsOf(slot);
#pragma GCC unroll 5
        for (std::size_t k = 0; k < kLastFlightKinds; ++k) newest[k] = std::max(newest[k], is[k] ? key : 0u);
        if (++seen % kProgressStep == 0) report(seen, count);
    });
    takeSums(rangeSums, CellSource::Range);
    takeSums(birthdaySums, CellSource::BirthdayYear);
    for (std::size_t k = 0; k < kLastFlightKinds; ++k) {
        m_result.lastFlight[k] = Word(newest[k] >> 16);
        m_result.lastFlightPosition[k] =
            newest[k] ? m_pass.PositionOf(m_result.lastFlight[k], Word(newest[k] & 0xFFFF)) : 0;
    }
}

void Calculation::takeSums(ByteSums& sums, CellSource source) {
    const auto cells = totalsCells();
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i].source == source)
            m_sums[i] += sums.field(fieldOffset(cells[i]), cells[i].isTime, cells[i].realFlightsOnly);
}

Calculation::Days Calculation::birthdayYear() {
    m_result.birthdayText = m_settings.text(setting::USER::BIRTHDAY);
    QDate birthday;
    try {
        birthday = TextToDate(m_result.birthdayText);
    } catch (const DateConversionError&) {
        // Without a birthday there is no birthday year: its cells stay zero, everything else is
        // still worth showing.
        const bool digits = std::any_of(m_result.birthdayText.cbegin(), m_result.birthdayText.cend(),
                                        [](QChar c) { return c.isDigit(); });
        m_result.birthdayState = digits ? BirthdayState::Invalid : BirthdayState::Missing;
        return {};
    }
    m_result.birthday = birthday;
    const QDate start = birthdayYearStart(birthday, m_today);
    const QDate next = anniversary(birthday, start.year() + 1);
    m_result.birthdayYearStart = start;
    m_result.birthdayYearEnd = next.addDays(-1);
    const int from = FindFirstOnOrAfter(m_pass, dayNumberOf(start));
    const int to = FindFirstOnOrAfter(m_pass, dayNumberOf(next)) - 1;
    return daysOf(from, to);
}

std::array<bool, kLastFlightKinds> Calculation::kindsOf(const char* slot) {
    auto u16 = [slot](std::size_t offset) { return bytes::u16(slot + offset); };
    // A reference outside the table reads as the empty text; they share the last place.
    const std::size_t ref = std::min(std::size_t(u16(offsetof(R, Tctp))), m_isNb.size() - 1);
    if (m_isNb[ref] < 0) m_isNb[ref] = m_pass.names().NameAt(NameRef(ref)) == m_nbSymbol ? 1 : 0;
    return {
        u16(offsetof(R, IfrGesDay)) + u16(offsetof(R, IfrGesNite)) + u16(offsetof(R, SimDay)) +
                u16(offsetof(R, SimNite)) >
            0,
        std::uint8_t(slot[offsetof(R, ArDay)]) + std::uint8_t(slot[offsetof(R, ArNite)]) > 0,
        u16(offsetof(R, VfrNite)) > 0,
        u16(offsetof(R, Ip)) > 0,
        m_isNb[ref] == 1,
    };
}

void Calculation::derivedCells() {
    auto at = [this](const char* name) -> qint64& { return m_sums[std::size_t(totalsCellIndex(name))]; };
    at("LGesDay") = at("LGesVfrDay") + at("LGesVfrNite") + at("LGesIfrDay") + at("LGesIfrNite") + at("LLf2");
    at("LGesNite") = at("LGesVfrNite") + at("LGesIfrNite");
}

void Calculation::lastFlightColours() {
    const qint64 today = dayNumberOf(m_today);
    const auto pause2 = quint32(m_settings.integer(setting::SETTINGS::PAUSE2MONTH));
    const auto pause3 = quint32(m_settings.integer(setting::SETTINGS::PAUSE3MONTH));
    for (int k = 0; k < kLastFlightKinds; ++k) {
        const qint64 d = m_result.lastFlight[std::size_t(k)];
        auto& colour = m_result.lastFlightColour[std::size_t(k)];
        if (today <= d + 60)
            colour.reset();
        else if (today <= d + 90)
            colour = pause2;
        else
            colour = pause3;
    }
}

qint64 Calculation::sumOf(const std::array<const char*, 2>& cells) const {
    qint64 sum = 0;
    for (const char* name : cells)
        if (name) sum += m_sums[std::size_t(totalsCellIndex(name))];
    return sum;
}

void Calculation::checkRequirements() {
    for (const RequirementRow& row : requirementRows()) {
        const bool birthdayRow =
            totalsCells()[std::size_t(totalsCellIndex(row.cell))].group == TotalsGroup::Zdv1911;
        // Birthday-year figures that could not be added up are not held against a requirement.
        CheckRequirement(row, birthdayRow && m_result.birthdayState != BirthdayState::Valid);
    }
}

void Calculation::CheckRequirement(const RequirementRow& row, bool skip) {
    bool merged = false;
    if (row.nightApproach != RequirementRow::NightApproach::No) {
        merged = m_settings.truth(*row.splitKey);
        if (merged && row.nightApproach == RequirementRow::NightApproach::NonPrecisionLine) return;
    }
    RequirementCheck check;
    check.cell = totalsCellIndex(row.cell);
    m_result.checks.push_back(check);
    if (!m_result.requirementYear || skip) return;

    RequirementCheck& c = m_result.checks.back();
    const TotalsCell& cell = totalsCells()[std::size_t(c.cell)];
    c.required = m_settings.integer(*row.required);
    c.hint = requirementHint(cell.isTime, c.required);
    std::array<const char*, 2> value = row.value;
    if (row.nightApproach == RequirementRow::NightApproach::PrecisionLine && !merged) value[1] = nullptr;
    const bool isTotal = row.isTotal && m_settings.truth(*row.isTotal);
    c.compared = sumOf(value) + (isTotal ? sumOf(row.night) : 0);
    c.marked = c.compared < c.required;

    if (c.required <= 0) return;
    // Pace against an even spread over the year the figures belong to: the calendar year, or the
    // birthday year for the ZDv 19/11 cells.
    const bool birthdayCell = cell.group == TotalsGroup::Zdv1911;
    const QDate start = birthdayCell ? m_result.birthdayYearStart : QDate(m_today.year(), 1, 1);
    const QDate end = birthdayCell ? m_result.birthdayYearEnd : QDate(m_today.year(), 12, 31);
    PaceFigure pace;
    pace.cell = c.cell;
    pace.required = c.required;
    pace.compared = c.compared;
    pace.remaining = std::max<qint64>(0, c.required - c.compared);
    pace.yearDays = int(start.daysTo(end) + 1);
    pace.elapsedDays = int(std::clamp<qint64>(start.daysTo(m_today) + 1, 0, pace.yearDays));
    pace.planned = (c.required * pace.elapsedDays + pace.yearDays - 1) / pace.yearDays;
    pace.onTrack = c.compared >= pace.planned;
    m_result.pace.push_back(pace);
}

}  // namespace

std::span<const TotalsCell> totalsCells() {
    return kCells;
}

int totalsCellIndex(const char* name) {
    for (std::size_t i = 0; i < std::size(kCells); ++i)
        if (std::strcmp(kCells[i].name, name) == 0) return int(i);
    return -1;
}

std::span<const RequirementRow> requirementRows() {
    return kRows;
}

const char* lastFlightKey(int kind) {
    return kLastFlightKeys[kind];
}

const char* lastFlightCell(int kind) {
    return kLastFlightCells[kind];
}

qint32 TotalsResult::value(const char* cellName) const {
    const int i = totalsCellIndex(cellName);
    return i < 0 || std::size_t(i) >= values.size() ? 0 : values[std::size_t(i)];
}

bool TotalsResult::isMarked(int cell) const {
    return std::any_of(checks.cbegin(), checks.cend(),
                       [cell](const RequirementCheck& c) { return c.cell == cell && c.marked; });
}

int FindFirstOnOrAfter(const FlightPass& pass, qint64 day) {
    // Binary search over the dates of the index, which are in ascending order.
    int lo = 1;
    int hi = pass.FlightCount() + 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (qint64(pass.DateAt(mid)) < day)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

QString minutesText(qint64 minutes) {
    const QString sign = minutes < 0 ? QStringLiteral("-") : QString();
    const qint64 m = minutes < 0 ? -minutes : minutes;
    return sign + QString::number(m / 60) + QLatin1Char(':') +
           QString::number(m % 60).rightJustified(2, QLatin1Char('0'));
}

QString requirementHint(bool isTime, qint64 required) {
    return QStringLiteral("Soll : ") + (isTime ? minutesText(required) : QString::number(required));
}

QDate anniversary(const QDate& birthday, int year) {
    if (birthday.month() == 2 && birthday.day() == 29 && !QDate::isLeapYear(year)) return QDate(year, 2, 28);
    return QDate(year, birthday.month(), birthday.day());
}

QDate birthdayYearStart(const QDate& birthday, const QDate& today) {
    const QDate thisYear = anniversary(birthday, today.year());
    return today < thisYear ? anniversary(birthday, today.year() - 1) : thisYear;
}

TotalsResult CalculateTotals(const FlightPass& pass, const Settings& settings, const QDate& von,
                             const QDate& bis, const QDate& today, const TotalsProgress& progress) {
    return Calculation(pass, settings, today, progress).run(von, bis);
}

}  // namespace velmarsk
