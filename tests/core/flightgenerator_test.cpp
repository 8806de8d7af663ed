#include "generator/flightgenerator.h"

#include "dates/daynumber.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace velmarsk {
namespace {

// Answers yes to creating a logbook and fails the test on any message.
class CreatingInteraction final : public Interaction {
public:
    Answer ask(const QString& caption, const QString& text, Icon, Buttons) override {
        if (text == msg::noLogbook()) return Answer::Yes;
        ADD_FAILURE() << caption.toStdString() << ": " << text.toStdString();
        return Answer::No;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
};

// When a field may hold a value: the rules of the entry mask, read from its final state.
struct Rule {
    const char* field;
    std::function<bool(const FlightRecord&)> allowed;
};

const std::vector<Rule>& entryRules() {
    using R = const FlightRecord&;
    auto vfrDay = [](R r) { return r.VfrDay > 0; };
    auto vfrNite = [](R r) { return r.VfrNite > 0; };
    auto noSim = [](R r) { return r.SimDay == 0 && r.SimNite == 0; };
    auto ifrDayApproach = [](R r) { return r.IfrGesDay + r.SimDay > 0; };
    auto ifrNiteApproach = [](R r) { return r.IfrGesNite + r.SimNite > 0; };
    static const std::vector<Rule> rules = {
        {"Lf2", [](R r) { return r.Ate > r.Lf1; }},
        {"IfrGesDay", [=](R r) { return r.Ate > r.VfrDay + r.VfrNite + r.IfrGesNite && noSim(r); }},
        {"IfrGesNite", [=](R r) { return r.Ate > r.VfrDay + r.VfrNite + r.IfrGesDay && noSim(r); }},
        {"SimDay",
         [](R r) { return r.VfrDay + r.VfrNite + r.IfrGesDay + r.IfrGesNite == 0 && r.Ate > r.SimNite; }},
        {"SimNite",
         [](R r) { return r.VfrDay + r.VfrNite + r.IfrGesDay + r.IfrGesNite == 0 && r.Ate > r.SimDay; }},
        {"ImcDay", [](R r) { return r.HoodDay < r.IfrGesDay; }},
        {"ImcNite", [](R r) { return r.IfrGesNite > 0; }},
        {"HoodDay", [](R r) { return r.IfrGesDay > r.ImcDay; }},
        {"PrecDay", ifrDayApproach},
        {"NPrecDay", ifrDayApproach},
        {"PrecNite", ifrNiteApproach},
        {"NPrecNite", ifrNiteApproach},
        {"VfrDay", [=](R r) { return r.Ate > r.VfrNite + r.IfrGesDay + r.IfrGesNite && noSim(r); }},
        {"VfrNite", [=](R r) { return r.Ate > r.VfrDay + r.IfrGesDay + r.IfrGesNite && noSim(r); }},
        {"LlDay", vfrDay},
        {"LlNavDay", [](R r) { return r.LlDay > 0; }},
        {"EmergDay", vfrDay},
        {"FormDay", vfrDay},
        {"TfDay", vfrDay},
        {"ArDay", [](R r) { return r.EmergDay > 0; }},
        {"VertDay", vfrDay},
        {"WinchDay", vfrDay},
        {"SearchDay", vfrDay},
        {"ConfDay", vfrDay},
        {"ExtDay", vfrDay},
        {"LandDay", vfrDay},
        {"NavNite", vfrNite},
        {"EmergNite", vfrNite},
        {"FormNite", vfrNite},
        {"TfNite", vfrNite},
        {"ArNite", [](R r) { return r.EmergNite > 0; }},
        {"VertNite", vfrNite},
        {"WinchNite", vfrNite},
        {"SearchNite", vfrNite},
        {"ConfNite", vfrNite},
        {"ExtNite", vfrNite},
        {"LandNite", vfrNite},
    };
    return rules;
}

// Every way the flight breaks the entry rules, as readable texts.
QStringList violations(const FlightDraft& f) {
    const FlightRecord& r = f.record;
    QStringList v;
    auto expect = [&](bool ok, const char* what) {
        if (!ok) v << QString::fromLatin1(what);
    };
    for (const Rule& rule : entryRules())
        if (findFlightField(rule.field)->get(r) > 0 && !rule.allowed(r))
            v << QStringLiteral("%1 not allowed").arg(QString::fromLatin1(rule.field));
    for (const FieldInfo& field : flightFields()) {
        if (field.kind == FieldKind::Time && field.get(r) % 5 != 0)
            v << QStringLiteral("%1 not on 5 minutes").arg(QString::fromLatin1(field.name));
        if (field.kind == FieldKind::Counter && field.get(r) > 99)
            v << QStringLiteral("%1 above 99").arg(QString::fromLatin1(field.name));
    }
    expect(r.Ate > 0 && r.Ata == (r.Atd + r.Ate) % 1440 && r.Atd < 1440, "times out of step");
    expect(r.Lf1 > 0 && r.Lf1 + r.Lf2 <= r.Ate, "crew function times");
    expect((r.Ip > 0) == (f.duty[0] == QLatin1String("IP")) && (r.Ip == 0 || r.Ip == r.Ate), "IP time");
    expect(r.VfrDay + r.VfrNite + r.IfrGesDay + r.IfrGesNite <= r.Ate && r.SimDay + r.SimNite <= r.Ate,
           "categories exceed the flight time");
    expect(r.ImcDay + r.HoodDay <= r.IfrGesDay && r.ImcNite <= r.IfrGesNite, "IMC or hood beyond IFR");
    expect(r.LlNavDay <= r.LlDay && r.LlDay <= r.VfrDay && r.NavNite <= r.VfrNite, "sub-times beyond VFR");
    for (const QString* text : {&f.aircraft, &f.callsign, &f.registration, &f.tctp})
        expect(!text->isEmpty(), "required text empty");
    int crew = 0;
    while (crew < kCrewSlots && !f.duty[std::size_t(crew)].isEmpty()) ++crew;
    expect(crew >= 1, "no crew");
    QSet<QString> names;
    for (int k = 0; k < kCrewSlots; ++k) {
        const QString& name = f.name[std::size_t(k)];
        if (k < crew)
            expect(!name.isEmpty() && !names.contains(name) && name.size() <= 13, "crew name");
        else
            expect(name.isEmpty() && f.duty[std::size_t(k)].isEmpty(), "crew after an empty duty");
        names.insert(name);
    }
    // A callsign ending in a number above 7000 completes the registration from the type's prefix.
    bool numeric = false;
    const int suffix = f.callsign.mid(3, 4).toInt(&numeric);
    if (f.callsign.size() == 7 && numeric && suffix > 7000)
        expect(f.registration.endsWith(f.callsign.mid(3)) && f.registration.size() == 7, "registration");
    expect(
        f.callsign.size() <= 7 && f.registration.size() <= 7 && f.aircraft.size() <= 6 && f.tctp.size() <= 4,
        "text longer than its field");
    return v;
}

TEST(FlightGeneratorTest, SameSeedSameFlightsOtherSeedOthers) {
    FlightGenerator a(42, 500), b(42, 500), c(43, 500);
    int differing = 0;
    for (int i = 0; i < 500; ++i) {
        const FlightDraft fa = a.next(), fb = b.next(), fc = c.next();
        ASSERT_EQ(fa.record, fb.record) << i;
        ASSERT_EQ(fa.name, fb.name) << i;
        ASSERT_EQ(fa.routing, fb.routing) << i;
        ASSERT_EQ(fa.comment, fb.comment) << i;
        if (!(fa.record == fc.record)) ++differing;
    }
    EXPECT_GT(differing, 450);
}

TEST(FlightGeneratorTest, FlightsObeyTheEntryRulesAndCoverEveryKind) {
    const int count = 4000;
    FlightGenerator generator(7, count);
    QSet<int> years;
    QSet<std::uint32_t> keys;
    QSet<QString> seen;
    for (int i = 0; i < count; ++i) {
        const FlightDraft f = generator.next();
        const QStringList broken = violations(f);
        ASSERT_TRUE(broken.isEmpty())
            << "flight " << i << ": " << broken.join(QStringLiteral(", ")).toStdString();
        const QDate date = dayNumberToDate(f.record.Date);
        ASSERT_TRUE(date >= generator.firstDate() && date <= generator.lastDate());
        years.insert(date.year());
        const std::uint32_t key = (std::uint32_t(f.record.Date) << 16) | f.record.Atd;
        ASSERT_FALSE(keys.contains(key)) << "two flights start at the same minute";
        keys.insert(key);
        for (const FieldInfo& field : flightFields())
            if (field.get(f.record) > 0) seen.insert(QString::fromLatin1(field.name));
        for (const QString& duty : f.duty) seen.insert(duty);
    }
    EXPECT_GE(years.size(), 15);
    // A generator that left the hard parts out would pass the rules trivially.
    for (const char* expected :
         {"VfrNite", "IfrGesDay", "IfrGesNite", "ImcDay",   "ImcNite",  "HoodDay",
          "SimDay",  "SimNite",   "Lf2",        "Ip",       "LlNavDay", "ArDay",
          "ArNite",  "WinchDay",  "ExtDay",     "FormNite", "PrecNite", "CommentHidden",
          "IP",      "CP",        "FE",         "LM",       "NFO"})
        EXPECT_TRUE(seen.contains(QString::fromLatin1(expected))) << expected;
}

TEST(FlightGeneratorTest, AddToStoresEveryFlightAroundExistingOnes) {
    QTemporaryDir dir;
    Settings settings(QDir(dir.path()).filePath(QStringLiteral("tarnoki.ini")));
    CreatingInteraction ui;
    Logbook logbook(dir.path(), settings, ui);
    ASSERT_TRUE(logbook.Open());
    FlightBook book(logbook, settings);
    // Flights of the same seed are already there, so every one of them collides at first.
    ASSERT_EQ(FlightGenerator(3, 300).addTo(book, 300), 300);
    const qint64 before = book.RunningTotal();
    FlightGenerator generator(3, 300);
    ASSERT_EQ(generator.addTo(book, 300), 300);
    const qint64 minutes = book.RunningTotal() - before;
    EXPECT_EQ(logbook.FlightCount(), 600);
    EXPECT_TRUE(logbook.Check().isEmpty()) << logbook.Check().join(QLatin1Char('\n')).toStdString();

    qint64 expected = 0;
    for (int p = 1; p <= logbook.FlightCount(); ++p) {
        FlightRecord r;
        ASSERT_TRUE(logbook.ReadFlight(p, r));
        if (r.SimDay + r.SimNite == 0) expected += r.Ate;
    }
    EXPECT_GT(minutes, 0);
    EXPECT_EQ(book.RunningTotal(), expected);  // both batches' non-simulator flight time
}

}  // namespace
}  // namespace velmarsk
