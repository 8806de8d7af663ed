#include "generator/flightgenerator.h"

#include "dates/daynumber.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

#include <algorithm>
#include <cmath>

namespace velmarsk {

struct FlightGenerator::AircraftType {
    const char* name;
    const char* registrationPrefix;
    const char* home;
    int fromYear;
    int toYear;
    int minCrew;
    int maxCrew;
    bool rescue;  // flies rescue missions with winch and search
    bool cargo;   // carries external loads
};

namespace {

const std::array<QString, 36> kSurnames = {
    QStringLiteral("Becker"),    QStringLiteral("Schulz"),   QStringLiteral("Hoffmann"),
    QStringLiteral("Krüger"),    QStringLiteral("Wagner"),   QStringLiteral("Schröder"),
    QStringLiteral("Neumann"),   QStringLiteral("Schwarz"),  QStringLiteral("Zimmermann"),
    QStringLiteral("Braun"),     QStringLiteral("Hartmann"), QStringLiteral("Lange"),
    QStringLiteral("Schmitt"),   QStringLiteral("Werner"),   QStringLiteral("Krause"),
    QStringLiteral("Meier"),     QStringLiteral("Lehmann"),  QStringLiteral("Köhler"),
    QStringLiteral("Herrmann"),  QStringLiteral("König"),    QStringLiteral("Walter"),
    QStringLiteral("Mayer"),     QStringLiteral("Huber"),    QStringLiteral("Kaiser"),
    QStringLiteral("Fuchs"),     QStringLiteral("Peters"),   QStringLiteral("Lang"),
    QStringLiteral("Scholz"),    QStringLiteral("Möller"),   QStringLiteral("Weiß"),
    QStringLiteral("Jung"),      QStringLiteral("Hahn"),     QStringLiteral("Vogel"),
    QStringLiteral("Friedrich"), QStringLiteral("Keller"),   QStringLiteral("Günther"),
};

const std::array<FlightGenerator::AircraftType, 4> kTypes = {{
    {"UH-1D", "73+", "ETHE", 1967, 2021, 2, 4, true, false},
    {"CH-53", "84+", "ETHL", 1973, 9999, 3, 5, false, true},
    {"NH90", "79+", "ETHF", 2008, 9999, 3, 5, true, true},
    {"EC135", "82+", "ETHB", 2002, 9999, 2, 3, false, false},
}};

const std::array<const char*, 16> kAirfields = {"ETHL", "ETHS", "ETHB", "ETHN", "ETHE", "ETHF",
                                                "ETHC", "ETHR", "ETMN", "EDHL", "EDDH", "EDDV",
                                                "EDXW", "EDDG", "ETNS", "ETSH"};
const std::array<const char*, 6> kRescueCallsigns = {"SAR41", "SAR57", "SAR71", "SAR79", "SAR86", "SAR91"};
const std::array<const char*, 3> kCallsignPrefixes = {"GAM", "HTR", "LTR"};

// Sunrise and sunset in central Europe by month, local time in minutes, on 5-minute steps.
constexpr std::array<int, 12> kSunrise = {495, 460, 405, 400, 345, 305, 320, 365, 415, 465, 455, 490};
constexpr std::array<int, 12> kSunset = {990,  1040, 1090, 1200, 1250, 1295,
                                         1290, 1245, 1180, 1115, 1000, 975};

const std::array<QString, 10> kComments = {
    QStringLiteral("Platzrunden und Schwebeflug"),
    QStringLiteral("Außenlandungen im Gelände"),
    QStringLiteral("Wetter: Regen, Sicht 3 km, Wolkenuntergrenze 800 ft"),
    QStringLiteral("Überführung zur Werft"),
    QStringLiteral("Checkflug nach Inspektion"),
    QStringLiteral("Nachtflug mit Bildverstärkerbrille"),
    QStringLiteral("Außenlast 2,5 t, Pendeln beim Absetzen"),
    QStringLiteral("Person aus dem Wasser gerettet, Übergabe an Rettungswagen"),
    QStringLiteral("Notverfahren: Triebwerksausfall, Hydraulikausfall"),
    QStringLiteral("Wetter: Schnee\r\nLandung auf vorbereitetem Außenlandeplatz"),
};

}  // namespace

FlightGenerator::FlightGenerator(std::uint64_t seed, int plannedCount) : m_rng(seed) {
    const int years = std::clamp((plannedCount + 249) / 250, 1, 60);
    m_last = QDate(2024, 12, 31);
    m_first = QDate(2024 - years + 1, 1, 1);
    std::array<QString, kSurnames.size()> pool = kSurnames;
    for (std::size_t i = pool.size() - 1; i > 0; --i)
        std::swap(pool[i], pool[std::size_t(uniform(0, int(i)))]);
    m_owner = pool[0];
    std::copy_n(pool.begin() + 1, m_colleagues.size(), m_colleagues.begin());
    // Tail numbers above 7000, so a callsign ending in one completes the registration.
    for (auto& tails : m_tails)
        for (int& t : tails) t = uniform(7001, 9899);
}

int FlightGenerator::uniform(int lo, int hi) {
    // The modulo keeps the sequence identical on every standard library; the bias is negligible.
    return lo + int(m_rng() % std::uint64_t(hi - lo + 1));
}

int FlightGenerator::round5(double minutes) const {
    return int(std::lround(minutes / 5.0)) * 5;
}

const FlightGenerator::AircraftType& FlightGenerator::typeFor(int year) {
    std::array<std::size_t, kTypes.size()> available{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < kTypes.size(); ++i)
        if (kTypes[i].fromYear <= year && year <= kTypes[i].toYear) available[n++] = i;
    if (n == 0) return kTypes[0];
    // A pilot flies one type for some years and another one now and then.
    const std::size_t main = available[std::size_t(year / 6) % n];
    return kTypes[chance(85) ? main : available[std::size_t(uniform(0, int(n) - 1))]];
}

FlightGenerator::Mission FlightGenerator::missionFor(const AircraftType& type) {
    const int r = uniform(1, 100);
    if (r <= 8) return Mission::Simulator;
    if (r <= 22) return Mission::Night;
    if (r <= 34) return Mission::Instrument;
    if (r <= 50 && type.rescue) return Mission::Rescue;
    if (r <= 66 && type.cargo) return Mission::Transport;
    return Mission::Training;
}

void FlightGenerator::fillCrew(FlightDraft& f, const AircraftType& type, Mission mission) {
    QString ownerDuty;
    const bool teaching =
        mission == Mission::Training || mission == Mission::Instrument || mission == Mission::Simulator;
    if (teaching && chance(25))
        ownerDuty = QStringLiteral("IP");
    else
        ownerDuty = chance(55) ? QStringLiteral("P") : QStringLiteral("CP");
    QStringList duties{ownerDuty,
                       ownerDuty == QLatin1String("CP") ? QStringLiteral("P") : QStringLiteral("CP")};
    if (ownerDuty == QLatin1String("IP")) duties[1] = QStringLiteral("P");
    if (mission != Mission::Simulator) {
        const int size = uniform(type.minCrew, type.maxCrew);
        const QString extras[] = {QStringLiteral("FE"),
                                  mission == Mission::Rescue ? QStringLiteral("SAN") : QStringLiteral("LM"),
                                  type.rescue ? QStringLiteral("NFO") : QStringLiteral("LM")};
        for (int k = 2; k < size; ++k) duties << extras[std::min(k - 2, 2)];
    }
    // The owner of the logbook flies every flight; the others are drawn without repetition.
    std::array<QString, 20> pool = m_colleagues;
    for (std::size_t k = 0; k < std::size_t(duties.size()); ++k) {
        f.duty[k] = duties[qsizetype(k)];
        if (k == 0) {
            f.name[k] = m_owner;
            continue;
        }
        const std::size_t i = std::size_t(uniform(int(k) - 1, int(pool.size()) - 1));
        std::swap(pool[k - 1], pool[i]);
        f.name[k] = pool[k - 1];
    }
}

void FlightGenerator::fillTimes(FlightDraft& f, Mission mission, const QDate& date) {
    FlightRecord& r = f.record;
    const int month = date.month() - 1;
    const int sunrise = kSunrise[std::size_t(month)], sunset = kSunset[std::size_t(month)];
    int ate = 0;
    switch (mission) {
        case Mission::Training:
            ate = 5 * uniform(9, 24);
            break;
        case Mission::Transport:
            ate = 5 * uniform(12, 48);
            break;
        case Mission::Rescue:
            ate = 5 * uniform(6, 36);
            break;
        case Mission::Night:
            ate = 5 * uniform(12, 30);
            break;
        case Mission::Instrument:
        case Mission::Simulator:
            ate = 5 * uniform(12, 24);
            break;
    }
    int atd = 0;
    if (mission == Mission::Night || (mission == Mission::Rescue && chance(20)))
        atd = sunset + 5 * uniform(0, 24);
    else if (mission == Mission::Simulator)
        atd = 5 * uniform(7 * 12, 20 * 12);
    else
        atd = sunrise + 30 + 5 * uniform(0, std::max(0, (sunset - ate - sunrise - 30) / 5));
    atd = std::min(atd, 1435);
    const std::uint16_t day = std::uint16_t(dateToDayNumber(date));
    // Another flight may already start at that minute: take the next free one.
    for (int tries = 0; m_keys.contains((std::uint32_t(day) << 16) | std::uint32_t(atd)) && tries < 288;
         ++tries)
        atd = (atd + 5) % 1440;
    m_keys.insert((std::uint32_t(day) << 16) | std::uint32_t(atd));
    r.Date = day;
    r.Atd = Minutes(atd);
    r.Ate = Minutes(ate);
    r.Ata = Minutes((atd + ate) % 1440);

    int night = 0;
    for (int m = 0; m < ate; m += 5) {
        const int t = (atd + m) % 1440;
        if (t < sunrise || t >= sunset) night += 5;
    }
    const int dayTime = ate - night;

    if (mission == Mission::Simulator) {
        const int simNite = chance(20) ? round5(ate * (0.5 + 0.5 * uniform(0, 10) / 10.0)) : 0;
        r.SimNite = Minutes(simNite);
        r.SimDay = Minutes(ate - simNite);
    } else {
        int ifrPercent = 0;
        switch (mission) {
            case Mission::Instrument:
                ifrPercent = uniform(50, 90);
                break;
            case Mission::Rescue:
                ifrPercent = chance(10) ? uniform(10, 30) : 0;
                break;
            default:
                ifrPercent = chance(25) ? uniform(10, 50) : 0;
                break;
        }
        r.IfrGesDay = Minutes(round5(dayTime * ifrPercent / 100.0));
        r.IfrGesNite = Minutes(round5(night * ifrPercent / 100.0));
        r.VfrDay = Minutes(dayTime - r.IfrGesDay);
        r.VfrNite = Minutes(night - r.IfrGesNite);
    }

    // Crew functions: mostly the whole flight as first pilot, sometimes shared with the second.
    if (f.duty[0] == QLatin1String("IP")) r.Ip = r.Ate;
    if (mission != Mission::Simulator && chance(15)) {
        r.Lf1 = Minutes(std::clamp(round5(ate * uniform(40, 80) / 100.0), 5, ate - 5));
        r.Lf2 = Minutes(ate - r.Lf1);
    } else {
        r.Lf1 = r.Ate;
    }
}

void FlightGenerator::fillProcedures(FlightDraft& f, Mission mission, const AircraftType& type) {
    FlightRecord& r = f.record;
    auto part = [&](int of, int minPercent, int maxPercent) {
        return Minutes(std::min(of, round5(of * uniform(minPercent, maxPercent) / 100.0)));
    };
    auto count = [&](int percent, int lo, int hi) { return Count(chance(percent) ? uniform(lo, hi) : 0); };
    const bool training = mission == Mission::Training;
    const bool rescue = mission == Mission::Rescue || (training && type.rescue && chance(20));

    if (r.IfrGesDay > 0) {
        if (chance(50)) r.ImcDay = part(r.IfrGesDay, 20, 100);
        if (r.IfrGesDay > r.ImcDay && chance(40)) r.HoodDay = part(r.IfrGesDay - r.ImcDay, 30, 100);
    }
    if (r.IfrGesNite > 0 && chance(50)) r.ImcNite = part(r.IfrGesNite, 30, 100);
    if (r.IfrGesDay + r.SimDay > 0) {
        r.PrecDay = count(60, 1, 3);
        r.NPrecDay = count(40, 1, 2);
    }
    if (r.IfrGesNite + r.SimNite > 0) {
        r.PrecNite = count(50, 1, 2);
        r.NPrecNite = count(30, 1, 2);
    }

    if (r.VfrDay > 0) {
        if (mission != Mission::Instrument && chance(40)) r.NavDay = part(r.VfrDay, 20, 70);
        if ((training || mission == Mission::Transport) && chance(30)) {
            r.LlDay = part(r.VfrDay, 10, 50);
            if (r.LlDay > 0 && chance(40)) r.LlNavDay = part(r.LlDay, 30, 100);
        }
        if (training && chance(40)) {
            r.EmergDay = Minutes(std::min<int>(r.VfrDay, 5 * uniform(1, 6)));
            r.ArDay = count(60, 1, 4);
        }
        if (mission == Mission::Transport || (training && chance(20))) {
            if (chance(35)) r.FormDay = part(r.VfrDay, 20, 60);
            if (chance(15)) r.TfDay = part(r.VfrDay, 10, 40);
        }
        r.LandDay = count(95, 1, 6);
        if (training) {
            r.VertDay = count(30, 1, 5);
            r.ConfDay = count(30, 1, 4);
        }
        if (rescue) {
            r.WinchDay = count(70, 1, 8);
            r.SearchDay = count(60, 1, 3);
            r.ConfDay = count(30, 1, 3);
        }
        if (mission == Mission::Transport && type.cargo) r.ExtDay = count(60, 1, 6);
    }
    if (r.VfrNite > 0) {
        if (chance(50)) r.NavNite = part(r.VfrNite, 20, 80);
        if (mission == Mission::Night) {
            if (chance(15)) r.EmergNite = Minutes(std::min<int>(r.VfrNite, 5 * uniform(1, 4)));
            if (chance(20)) r.FormNite = part(r.VfrNite, 20, 60);
            if (chance(10)) r.TfNite = part(r.VfrNite, 10, 40);
            r.VertNite = count(20, 1, 3);
            r.ConfNite = count(15, 1, 2);
        }
        if (r.EmergNite > 0) r.ArNite = count(50, 1, 2);
        r.LandNite = count(90, 1, 4);
        if (rescue) {
            r.WinchNite = count(50, 1, 4);
            r.SearchNite = count(40, 1, 2);
        }
        if (mission == Mission::Transport && type.cargo) r.ExtNite = count(20, 1, 3);
    }
}

void FlightGenerator::fillTexts(FlightDraft& f, const AircraftType& type, Mission mission) {
    f.aircraft = QString::fromLatin1(type.name);
    const auto typeIndex = std::size_t(&type - kTypes.data());
    const int tail = pick(m_tails[typeIndex]);
    const QString home = QString::fromLatin1(type.home);
    switch (mission) {
        case Mission::Simulator:
            f.callsign = QStringLiteral("SIM");
            f.registration = QStringLiteral("SIM");
            f.routing = QStringLiteral("Simulator ") + f.aircraft;
            break;
        case Mission::Rescue:
            f.callsign = QString::fromLatin1(pick(kRescueCallsigns));
            f.registration = QString::fromLatin1(type.registrationPrefix) + QString::number(tail);
            f.routing =
                home + QStringLiteral(" - Einsatzstelle - ") +
                (chance(50) ? QString::fromLatin1(pick(kAirfields)) + QStringLiteral(" - ") : QString()) +
                home;
            break;
        default: {
            // The registration is what the mask completes from a callsign ending in the tail number.
            f.callsign = QString::fromLatin1(pick(kCallsignPrefixes)) + QString::number(tail);
            f.registration = QString::fromLatin1(type.registrationPrefix) + QString::number(tail);
            QStringList stops{home};
            const int legs = uniform(0, 3);
            for (int i = 0; i < legs; ++i) {
                QString next;
                do next = QString::fromLatin1(pick(kAirfields));
                while (next == stops.last());
                stops << next;
            }
            if (stops.last() != home || stops.size() == 1) stops << home;
            f.routing = stops.join(QStringLiteral(" - "));
            break;
        }
    }
    static const std::array<const char*, 6> kTctp[] = {
        {"A101", "A102", "A205", "B110", "B120", "C300"},  // training
        {"T400", "T410", "T420", "T400", "T410", "T430"},  // transport
        {"SAR1", "SAR2", "SAR1", "SAR3", "SAR1", "SAR2"},  // rescue
        {"N500", "N510", "N520", "N500", "N530", "N510"},  // night
        {"I600", "I610", "I620", "I600", "I630", "I610"},  // instrument
        {"S700", "S710", "S720", "S700", "S730", "S740"},  // simulator
    };
    f.tctp = QString::fromLatin1(pick(kTctp[int(mission)]));
    if (chance(60)) {
        f.comment = pick(kComments);
        f.record.CommentHidden = chance(3) ? 1 : 0;
    }
}

FlightDraft FlightGenerator::next() {
    FlightDraft f;
    const QDate date = m_first.addDays(uniform(0, int(m_first.daysTo(m_last))));
    const AircraftType& type = typeFor(date.year());
    const Mission mission = missionFor(type);
    fillCrew(f, type, mission);
    fillTimes(f, mission, date);
    fillProcedures(f, mission, type);
    fillTexts(f, type, mission);
    return f;
}

int FlightGenerator::addTo(FlightBook& book, int count) {
    int added = 0;
    int collisions = 0;
    book.beginBatch();
    while (added < count) {
        FlightDraft f = next();
        if (!f.resolve(book.logbook().names())) break;
        const int position = book.AddFlight(f.record, f.texts());
        if (position == Logbook::kDuplicate) {
            // A flight of the logbook starts at the same minute; draw another one.
            if (++collisions > 16 * count + 1024) break;
            continue;
        }
        if (position < 0) break;
        ++added;
    }
    book.endBatch();
    return added;
}

}  // namespace velmarsk
