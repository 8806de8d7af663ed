#include "storage/fileheader.h"
#include "storage/flightrecord.h"
#include "storage/scramble.h"
#include "storage/stringrecord.h"
#include "text/cp1252.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velmarsk {
namespace {

TEST(Cp1252, EveryByteRoundTripsAndForeignCharactersAreRefused) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0xE4), QChar(0xE4));    // ä
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));  // €
    EXPECT_EQ(cp1252::encode(text), all);
    EXPECT_EQ(cp1252::decodeFolded(all), text.toCaseFolded());
    EXPECT_EQ(cp1252::decodeFolded(all).size(), 256);
    EXPECT_FALSE(cp1252::encode(QString::fromUtf8("Flug \xF0\x9F\x9A\x81")).has_value());
    EXPECT_FALSE(cp1252::canEncode(QString::fromUtf8("\xC5\x81")));  // Ł
}

TEST(Scramble, PermutesBitsOfEachByteAndInvertsExactly) {
    EXPECT_EQ(ScrambleBytes("abc"), QByteArray("\x0B\x07\x0F"));
    EXPECT_EQ(UnscrambleBytes("\x0B\x07\x0F"), QByteArray("abc"));
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        EXPECT_EQ(UnscrambleByte(ScrambleByte(u)), u);
        EXPECT_EQ(ScrambleByte(u) == 0, b == 0);
    }
    const QString comment = QStringLiteral("Prüfung bestanden, Übung €");
    EXPECT_EQ(UnscrambleText(ScrambleText(comment)), comment);
    EXPECT_NE(ScrambleText(comment), comment);
}

TEST(FileHeader, VersionTextsAreReadExactly) {
    const struct {
        const char* text;
        int version;
    } cases[] = {{"1,13", 113}, {"1,12", 112}, {"1,10", 110}, {"1,1", 110},
                 {"2", 200},    {"x,13", -1},  {"", -1}};
    for (const auto& c : cases) EXPECT_EQ(fileheader::versionNumber(c.text), c.version) << c.text;

    const QByteArray header = fileheader::make(QStringLiteral("1,13"));
    ASSERT_EQ(header.size(), fileheader::kSize);
    EXPECT_EQ(fileheader::read(header).version, 113);
    EXPECT_EQ(fileheader::read(header.left(30)).version, 0);  // too short for a header: the oldest layout
    EXPECT_EQ(fileheader::read(QByteArray(42, 'x')).version, 0);
}

// The slot as older files hold it, written down independently of the code: field, offset, width
// in bytes. Duty and Name are eight 2-byte references each.
struct SlotField {
    const char* name;
    int offset;
    int width;
};
constexpr SlotField kSlotLayout[] = {
    {"Date", 0, 2},       {"Duty", 2, 16},       {"Name", 18, 16},
    {"Aircraft", 34, 2},  {"Callsign", 36, 2},   {"Registration", 38, 2},
    {"Tctp", 40, 2},      {"Atd", 42, 2},        {"Ata", 44, 2},
    {"Ate", 46, 2},       {"Lf1", 48, 2},        {"Lf2", 50, 2},
    {"Ip", 52, 2},        {"VfrDay", 54, 2},     {"VfrNite", 56, 2},
    {"NavDay", 58, 2},    {"NavNite", 60, 2},    {"LlDay", 62, 2},
    {"LlNavDay", 64, 2},  {"EmergDay", 66, 2},   {"EmergNite", 68, 2},
    {"FormDay", 70, 2},   {"FormNite", 72, 2},   {"TfDay", 74, 2},
    {"TfNite", 76, 2},    {"ArDay", 78, 1},      {"ArNite", 79, 1},
    {"VertDay", 80, 1},   {"VertNite", 81, 1},   {"WinchDay", 82, 1},
    {"WinchNite", 83, 1}, {"SearchDay", 84, 1},  {"SearchNite", 85, 1},
    {"ConfDay", 86, 1},   {"ConfNite", 87, 1},   {"ExtDay", 88, 1},
    {"ExtNite", 89, 1},   {"LandDay", 90, 1},    {"LandNite", 91, 1},
    {"IfrGesDay", 92, 2}, {"IfrGesNite", 94, 2}, {"ImcDay", 96, 2},
    {"ImcNite", 98, 2},   {"HoodDay", 100, 2},   {"SimDay", 102, 2},
    {"SimNite", 104, 2},  {"PrecDay", 106, 1},   {"PrecNite", 107, 1},
    {"NPrecDay", 108, 1}, {"NPrecNite", 109, 1}, {"CommentHidden", 110, 1},
    {"Spare", 111, 1},
};

// Each field alone in an otherwise empty slot: its value lands on exactly its bytes, little-endian,
// and is read back from there, so two fields of one width cannot trade places unseen.
TEST(FlightRecord, EveryFieldHasItsOwnBytesInTheSlot) {
    int next = 0;
    for (const SlotField& f : kSlotLayout) {
        EXPECT_EQ(f.offset, next) << f.name;  // the table leaves no gap and no overlap
        next = f.offset + f.width;
    }
    EXPECT_EQ(next, kFlightRecordSize);

    // One probe per field: where it is set, what the slot holds.
    struct Probe {
        std::string name;
        std::function<void(FlightRecord&)> set;
        int offset;
        QByteArray bytes;
    };
    std::vector<Probe> probes;
    int tableScalars = 0;
    for (const SlotField& f : kSlotLayout) {
        const std::string name = f.name;
        if (name == "Duty" || name == "Name") {
            for (int k = 0; k < kCrewSlots; ++k) {
                const auto slot = std::size_t(k);
                const NameRef ref = NameRef(0x1234 + k);
                const auto member = name == "Duty" ? &FlightRecord::Duty : &FlightRecord::Name;
                probes.push_back({name + "[" + std::to_string(k + 1) + "]",
                                  [=](FlightRecord& r) { (r.*member)[slot] = ref; }, f.offset + 2 * k,
                                  QByteArray(1, char(0x34 + k)) + '\x12'});
            }
            continue;
        }
        if (name == "Spare") {
            probes.push_back({name, [](FlightRecord& r) { r.Spare = 0xA5; }, f.offset, QByteArray("\xA5")});
            continue;
        }
        const FieldInfo* info = findFlightField(f.name);
        ASSERT_NE(info, nullptr) << f.name;
        ++tableScalars;
        ASSERT_EQ(info->maximum() > 0xFF ? 2 : 1, f.width) << f.name;
        // The largest value the field may hold, so the high byte is not 0 in a 2-byte field.
        const std::uint32_t value = f.width == 2 ? 0xA55A & info->maximum() : info->maximum();
        QByteArray bytes;
        for (int i = 0; i < f.width; ++i) bytes.append(char(value >> (8 * i)));
        probes.push_back({name, [=](FlightRecord& r) { info->set(r, value); }, f.offset, bytes});
    }
    EXPECT_EQ(tableScalars, int(flightFields().size()));  // no field of the record is left out

    for (const Probe& p : probes) {
        FlightRecord r;
        p.set(r);
        QByteArray expected(kFlightRecordSize, '\0');
        expected.replace(p.offset, p.bytes.size(), p.bytes);
        EXPECT_EQ(r.toBytes().toHex(' ').toStdString(), expected.toHex(' ').toStdString()) << p.name;
        EXPECT_EQ(FlightRecord::fromBytes(expected.constData()), r) << p.name;
    }
    EXPECT_EQ(findFlightField("Duty"), nullptr);
}

// A whole slot written out by hand: counters hold their own offset, durations 0x100 + their
// offset, crew references 0x110.. and 0x220.., the short texts 0x330..; every field differs.
TEST(FlightRecord, AHandWrittenSlotReadsAndWritesFieldByField) {
    const QByteArray slot = QByteArray::fromHex(
        "43 b0 10 01 11 01 12 01 13 01 14 01 15 01 16 01"
        "17 01 20 02 21 02 22 02 23 02 24 02 25 02 26 02"
        "27 02 30 03 31 03 32 03 33 03 58 02 c1 02 69 00"
        "30 01 32 01 34 01 36 01 38 01 3a 01 3c 01 3e 01"
        "40 01 42 01 44 01 46 01 48 01 4a 01 4c 01 4e 4f"
        "50 51 52 53 54 55 56 57 58 59 5a 5b 5c 01 5e 01"
        "60 01 62 01 64 01 66 01 68 01 6a 6b 6c 6d 01 a5");
    ASSERT_EQ(slot.size(), kFlightRecordSize);

    FlightRecord r;
    r.Date = 45123;  // 14.07.2023
    for (int k = 0; k < kCrewSlots; ++k) {
        r.Duty[std::size_t(k)] = NameRef(0x110 + k);
        r.Name[std::size_t(k)] = NameRef(0x220 + k);
    }
    r.Aircraft = 0x330;
    r.Callsign = 0x331;
    r.Registration = 0x332;
    r.Tctp = 0x333;
    r.Atd = 600;  // 10:00
    r.Ata = 705;  // 11:45
    r.Ate = 105;
    r.Lf1 = 0x130;
    r.Lf2 = 0x132;
    r.Ip = 0x134;
    r.VfrDay = 0x136;
    r.VfrNite = 0x138;
    r.NavDay = 0x13A;
    r.NavNite = 0x13C;
    r.LlDay = 0x13E;
    r.LlNavDay = 0x140;
    r.EmergDay = 0x142;
    r.EmergNite = 0x144;
    r.FormDay = 0x146;
    r.FormNite = 0x148;
    r.TfDay = 0x14A;
    r.TfNite = 0x14C;
    r.ArDay = 78;
    r.ArNite = 79;
    r.VertDay = 80;
    r.VertNite = 81;
    r.WinchDay = 82;
    r.WinchNite = 83;
    r.SearchDay = 84;
    r.SearchNite = 85;
    r.ConfDay = 86;
    r.ConfNite = 87;
    r.ExtDay = 88;
    r.ExtNite = 89;
    r.LandDay = 90;
    r.LandNite = 91;
    r.IfrGesDay = 0x15C;
    r.IfrGesNite = 0x15E;
    r.ImcDay = 0x160;
    r.ImcNite = 0x162;
    r.HoodDay = 0x164;
    r.SimDay = 0x166;
    r.SimNite = 0x168;
    r.PrecDay = 106;
    r.PrecNite = 107;
    r.NPrecDay = 108;
    r.NPrecNite = 109;
    r.CommentHidden = 1;
    r.Spare = 0xA5;

    EXPECT_EQ(r.toBytes().toHex(' ').toStdString(), slot.toHex(' ').toStdString());
    const FlightRecord read = FlightRecord::fromBytes(slot.constData());
    // Field by field, so a failure names the field read from the wrong bytes.
    for (const FieldInfo& f : flightFields()) EXPECT_EQ(f.get(read), f.get(r)) << f.name;
    EXPECT_EQ(read.Duty, r.Duty);
    EXPECT_EQ(read.Name, r.Name);
    EXPECT_EQ(read.Spare, r.Spare);
    EXPECT_EQ(read, r);
}

TEST(StringRecord, ParsesItsLayoutAndStopsAtTheEndOfData) {
    StringRecord s;
    s.Tag = QStringLiteral("TOlm");
    s.Date = 45000;
    s.Atd = 600;
    s.Routing = QStringLiteral("EDXW - EDHL");
    s.Comment = QStringLiteral("Zeile 1\r\nZeile 2 mit Ä");
    const QByteArray b = *s.toBytes();
    EXPECT_TRUE(b.startsWith(QByteArray("TOlm\0", 5)));
    EXPECT_EQ(b.size(), 9 + 11 + 1 + s.Comment.size() + 1);

    StringRecord back;
    EXPECT_EQ(StringRecord::parse(QByteArray(b + QByteArray("TOlm")), back), b.size());
    EXPECT_EQ(back.Routing, s.Routing);
    EXPECT_EQ(back.Comment, s.Comment);
    EXPECT_EQ(back.Date, 45000);

    // A record cut off inside its comment yields what is there.
    StringRecord cut;
    EXPECT_EQ(StringRecord::parse(b.left(25), cut), 25);
    EXPECT_EQ(cut.Routing, s.Routing);
    EXPECT_EQ(cut.Comment, s.Comment.left(25 - 21));
    StringRecord empty;
    EXPECT_EQ(StringRecord::parse(QByteArray(), empty), 0);
    EXPECT_FALSE(empty.hasValidTag());

    s.Comment = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_FALSE(s.toBytes().has_value());
}

}  // namespace
}  // namespace velmarsk
