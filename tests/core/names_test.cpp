#include "storage/crewlist.h"
#include "storage/nametable.h"
#include "text/cp1252.h"

#include <gtest/gtest.h>

#include <random>

namespace velmarsk {
namespace {

TEST(NameTable, FindsOrAppendsTrimmedTextsCaseSensitively) {
    NameTable t;
    const NameRef meier = t.NameIndexOf(QStringLiteral("  Meier\t"));
    EXPECT_EQ(meier, 0);
    EXPECT_TRUE(t.NamesChanged());
    EXPECT_EQ(t.NameIndexOf(QStringLiteral("Meier")), meier);
    EXPECT_EQ(t.NameIndexOf(QStringLiteral("MEIER")), 1);
    EXPECT_EQ(t.NameIndexOf(QString()), 2);
    EXPECT_EQ(t.NameAt(meier), QStringLiteral("Meier"));
    // Outside the table, also as a negative reference: the empty text, never a read beyond it.
    EXPECT_EQ(t.NameAt(3), QString());
    EXPECT_EQ(t.NameAt(-1), QString());
    // Texts the line-based file cannot hold are refused.
    EXPECT_EQ(t.NameIndexOf(QStringLiteral("A\nB")), -1);
    EXPECT_EQ(t.NameIndexOf(QString::fromUtf8("\xF0\x9F\x9A\x81")), -1);
    EXPECT_EQ(t.NameCount(), 3);
}

TEST(NameTable, FileKeepsLinesAndFirstOccurrenceWins) {
    NameTable t;
    t.load(QByteArray("P\r\nM\xFCller\r\n\r\nP\r\n"));
    ASSERT_EQ(t.NameCount(), 4);
    EXPECT_EQ(t.NameAt(1), QStringLiteral("Müller"));
    EXPECT_EQ(t.NameAt(2), QString());
    EXPECT_EQ(t.NameIndexOf(QStringLiteral("P")), 0);
    EXPECT_FALSE(t.NamesChanged());
    EXPECT_EQ(t.serialize(), QByteArray("P\r\nM\xFCller\r\n\r\nP\r\n"));
    t.load(QByteArray("A\nB"));  // hand-edited: bare line feeds, no final line break
    EXPECT_EQ(t.all(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(CrewList, SortedByCollationAndIgnoresCase) {
    CrewList c;
    EXPECT_TRUE(c.add(QStringLiteral("Schulz")));
    EXPECT_TRUE(c.add(QStringLiteral("meier")));
    EXPECT_TRUE(c.add(QStringLiteral("Müller")));
    EXPECT_TRUE(c.add(QString()));
    EXPECT_FALSE(c.add(QStringLiteral("MEIER")));
    EXPECT_EQ(c.names(), (QStringList{QString(), QStringLiteral("meier"), QStringLiteral("Müller"),
                                      QStringLiteral("Schulz")}));
    CrewList loaded;
    loaded.load(QByteArray("Zander\r\nabel\r\nZANDER\r\n"));
    EXPECT_EQ(loaded.names(), (QStringList{QStringLiteral("abel"), QStringLiteral("Zander")}));
    EXPECT_FALSE(loaded.CrewChanged());
}

TEST(CrewList, LoadingAFileGivesTheSetThatAddingItsLinesGives) {
    // A hand-edited file in no order, with names repeated in other letter case and umlauts.
    std::mt19937 rng(7);
    const QString letters = QStringLiteral("aAbBeEmMuUüÜsSzZ");
    QStringList lines;
    for (int i = 0; i < 3000; ++i) {
        QString name;
        const int length = 1 + int(rng() % 4);
        for (int k = 0; k < length; ++k) name += letters.at(qsizetype(rng() % std::uint32_t(letters.size())));
        lines << name;
    }
    CrewList added;
    for (const QString& line : lines) added.add(line);
    CrewList loaded;
    loaded.load(cp1252::encode(lines.join(QStringLiteral("\r\n"))).value());
    EXPECT_EQ(loaded.names(), added.names());
    EXPECT_LT(loaded.size(), 3000);
}

}  // namespace
}  // namespace velmarsk
