#include "storage/crewlist.h"
#include "storage/nametable.h"
#include "text/cp1252.h"
#include "text/textset.h"

#include <gtest/gtest.h>

#include <QLocale>
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

TEST(TextSet, HoldsEachTextOnceAcrossGrowthAndTakesTextsFromItsBuffer) {
    TextSet set;
    int added = 0;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 1000; ++i) added += set.insert(QString::number(i)) ? 1 : 0;
    EXPECT_EQ(added, 1000);
    EXPECT_EQ(set.size(), 1000);
    int found = 0;
    for (int i = 0; i < 1000; ++i) found += set.contains(QString::number(i)) ? 1 : 0;
    EXPECT_EQ(found, 1000);
    EXPECT_FALSE(set.contains(QStringLiteral("1000")));
    EXPECT_FALSE(set.contains(QString()));
    EXPECT_TRUE(set.insert(QString()));
    EXPECT_TRUE(set.contains(QString()));

    const QString file = QStringLiteral("abc\nab\nabc\n");
    set.setBuffer(file);
    EXPECT_EQ(set.size(), 0);
    EXPECT_TRUE(set.insertAt(0, 3));
    EXPECT_TRUE(set.insertAt(4, 2));
    EXPECT_FALSE(set.insertAt(7, 3));  // "abc" again
    EXPECT_TRUE(set.contains(QStringLiteral("ab")));
    EXPECT_FALSE(set.contains(QStringLiteral("a")));
    EXPECT_TRUE(set.insert(QStringLiteral("abcd")));
    EXPECT_TRUE(set.contains(QStringLiteral("abcd")));
    EXPECT_TRUE(set.contains(QStringLiteral("abc")));
    EXPECT_EQ(file, QStringLiteral("abc\nab\nabc\n"));  // the buffer was shared, never written through
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
    loaded.load(QByteArray("abel\r\nABEL\r\nZander\r\n"));  // in order, with a name twice
    EXPECT_EQ(loaded.names(), (QStringList{QStringLiteral("abel"), QStringLiteral("Zander")}));
}

TEST(CrewList, LoadingAFileGivesTheSetThatAddingItsLinesGives) {
    // A hand-edited file in no order, with names repeated in other letter case and umlauts, and
    // letters with case forms of their own: µ folds to a Greek letter, not to itself, and ß has no capital in
    // the code page.
    std::mt19937 rng(7);
    const QString letters = QStringLiteral("aAbBeEmMuUüÜsSzZµßÿŸ");
    QStringList lines;
    for (int i = 0; i < 3000; ++i) {
        QString name;
        const int length = 1 + int(rng() % 4);
        for (int k = 0; k < length; ++k) name += letters.at(qsizetype(rng() % std::uint32_t(letters.size())));
        lines << name;
    }
    const QByteArray file = cp1252::encode(lines.join(QStringLiteral("\r\n"))).value();
    const QLocale before;
    // The plain byte order of the C locale and the collation of a language.
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::Swedish, QLocale::Sweden)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        CrewList added;
        for (const QString& line : lines) added.add(line);
        CrewList loaded;
        loaded.load(file);
        EXPECT_EQ(loaded.names(), added.names());
        EXPECT_LT(loaded.size(), 3000);
        CrewList reloaded;  // the file this program writes, in order already
        reloaded.load(loaded.serialize());
        EXPECT_EQ(reloaded.names(), loaded.names());
    }
    QLocale::setDefault(before);
}

}  // namespace
}  // namespace velmarsk
