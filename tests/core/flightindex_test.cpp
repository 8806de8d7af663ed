#include "storage/flightindex.h"
#include "storage/bytes.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <random>

namespace velmarsk {
namespace {

FlightRecord at(std::uint16_t date, std::uint16_t atd) {
    FlightRecord r;
    r.Date = date;
    r.Atd = atd;
    return r;
}

TEST(FlightIndex, OrdersByDateThenDepartureAndRefusesSameStart) {
    FlightIndex idx;
    EXPECT_EQ(idx.InsertIndexEntry(at(100, 480), 0, 0), 1);
    EXPECT_EQ(idx.InsertIndexEntry(at(100, 450), 1, 10), 1);
    EXPECT_EQ(idx.InsertIndexEntry(at(99, 900), 2, 20), 1);
    EXPECT_EQ(idx.InsertIndexEntry(at(100, 450), 3, 30), -1);
    ASSERT_EQ(idx.FlightCount(), 3);
    EXPECT_EQ(idx.EntryAt(2).Atd, 450);
    EXPECT_EQ(idx.EntryAt(3).Atd, 480);
    EXPECT_EQ(idx.FindFirstOnOrAfter(1), 1);
    EXPECT_EQ(idx.FindFirstOnOrAfter(100), 2);
    EXPECT_EQ(idx.FindFirstOnOrAfter(101), 4);
    EXPECT_EQ(idx.RecNoAt(0), 0);
    EXPECT_EQ(idx.StrPosAt(0), 0);
    EXPECT_EQ(idx.PositionOf(100, 480), 3);
    EXPECT_EQ(idx.PositionOf(100, 481), 0);
    EXPECT_EQ(idx.PositionOfLastSlot(), 1);  // RecNo 2 = count - 1
}

// The blocked list must behave exactly like a plain sorted list under any mix of operations.
TEST(FlightIndex, MatchesAPlainSortedListUnderRandomOperations) {
    FlightIndex idx;
    std::vector<IndexEntry> model;
    std::mt19937 rng(7);
    for (int step = 0; step < 20000; ++step) {
        const int op = int(rng() % 10);
        if (op < 7 || model.empty()) {
            IndexEntry e{std::uint16_t(rng() % 3000 + 1), std::uint16_t(rng() % 1440), std::uint16_t(step),
                         std::int32_t(step)};
            auto it =
                std::lower_bound(model.begin(), model.end(), e,
                                 [](const IndexEntry& a, const IndexEntry& b) { return a.key() < b.key(); });
            const bool dup = it != model.end() && it->key() == e.key();
            const int expected = dup ? -1 : int(it - model.begin()) + 1;
            if (!dup) model.insert(it, e);
            ASSERT_EQ(idx.InsertIndexEntry(e), expected);
        } else if (op < 9) {
            const int p = int(rng() % model.size()) + 1;
            model.erase(model.begin() + (p - 1));
            idx.RemoveIndexEntry(p);
        } else {
            const int a = int(rng() % model.size()) + 1, b = int(rng() % model.size()) + 1;
            std::swap(model[std::size_t(a - 1)].RecNo, model[std::size_t(b - 1)].RecNo);
            idx.SwapRecNo(a, b);
        }
        if (step % 1000 == 0 || step == 19999) {
            ASSERT_EQ(idx.entries(), model);
            const std::uint16_t d = std::uint16_t(rng() % 3100);
            const auto first =
                std::find_if(model.begin(), model.end(), [&](const IndexEntry& e) { return e.Date >= d; });
            ASSERT_EQ(idx.FindFirstOnOrAfter(d), int(first - model.begin()) + 1);
        }
    }
}

TEST(FlightIndex, ReadsBothFileLayoutsAndWritesTheCurrentOne) {
    // The old layout: no header, count, 12-byte entries with two unused bytes.
    QByteArray old;
    bytes::append32(old, 2);
    for (int i = 0; i < 2; ++i) {
        bytes::append16(old, std::uint16_t(500 + i));
        bytes::append16(old, 600);
        bytes::append16(old, std::uint16_t(i));
        bytes::append16(old, 0xBEEF);
        bytes::append32(old, 1000 * i);
    }
    FlightIndex idx;
    ASSERT_EQ(idx.parse(old), FlightIndex::ParseResult::Ok);
    ASSERT_EQ(idx.FlightCount(), 2);
    EXPECT_EQ(idx.EntryAt(2), (IndexEntry{501, 600, 1, 1000}));

    const QByteArray current = idx.serialize();
    EXPECT_EQ(current.size(), 46 + 2 * 10);
    EXPECT_EQ(current.mid(38, 4), QByteArray("1,10"));
    FlightIndex back;
    ASSERT_EQ(back.parse(current), FlightIndex::ParseResult::Ok);
    EXPECT_EQ(back.entries(), idx.entries());

    QByteArray future = current;
    future.replace(38, 4, "1,13");
    EXPECT_EQ(back.parse(future), FlightIndex::ParseResult::UnknownVersion);
    EXPECT_EQ(back.parse(current.left(current.size() - 1)), FlightIndex::ParseResult::ReadError);
    EXPECT_EQ(back.FlightCount(), 0);
    QByteArray huge = current;
    bytes::put32(huge.data() + 42, -5);
    EXPECT_EQ(back.parse(huge), FlightIndex::ParseResult::ReadError);
}

}  // namespace
}  // namespace velmarsk
