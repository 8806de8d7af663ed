#include "storage/fileheader.h"
#include "storage/flightrecord.h"
#include "storage/scramble.h"
#include "storage/stringrecord.h"
#include "text/cp1252.h"

#include <gtest/gtest.h>

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

TEST(FlightRecord, EveryFieldSitsAtItsOffsetInTheSlot) {
    FlightRecord r;
    std::uint32_t v = 1;
    for (const FieldInfo& f : flightFields()) f.set(r, (v++ % f.maximum()) + 1);
    r.Duty[7] = 0x1234;
    r.Name[0] = 0x0102;
    const QByteArray b = r.toBytes();
    ASSERT_EQ(b.size(), 112);
    EXPECT_EQ(FlightRecord::fromBytes(b.constData()), r);
    // Spot checks against the layout on disk, little-endian.
    auto u16 = [&](int off) { return int(std::uint8_t(b[off])) | (int(std::uint8_t(b[off + 1])) << 8); };
    EXPECT_EQ(u16(0), r.Date);
    EXPECT_EQ(u16(16), 0x1234);
    EXPECT_EQ(u16(18), 0x0102);
    EXPECT_EQ(u16(42), r.Atd);
    EXPECT_EQ(u16(100), r.HoodDay);
    EXPECT_EQ(std::uint8_t(b[78]), r.ArDay);
    EXPECT_EQ(std::uint8_t(b[109]), r.NPrecNite);
    EXPECT_EQ(std::uint8_t(b[110]), r.CommentHidden);
    EXPECT_NE(findFlightField("LandNite"), nullptr);
    EXPECT_EQ(findFlightField("Duty"), nullptr);
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
