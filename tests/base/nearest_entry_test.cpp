// The nearest table entry: the cell lists used for many searches give the
// same answers as trying every entry, ties included.
#include "base/nearest_entry.h"

#include <gtest/gtest.h>

#include <vector>

namespace vx {
namespace {

TEST(NearestEntry, CellListsAnswerAsTryingEveryEntryWithTheLowestIndexOnATie) {
    std::vector<Bgrx> table;
    for (unsigned i = 0; i < 60; ++i)
        table.push_back({static_cast<std::uint8_t>(i * 37 % 256), static_cast<std::uint8_t>(i * 91 % 256),
                         static_cast<std::uint8_t>(i * 53 % 256), 0});
    table.push_back(table[7]);  // a twin: never chosen over entry 7
    table.push_back({10, 10, 10, 0});
    table.push_back({12, 12, 12, 0});  // (11, 11, 11) lies halfway: the first wins
    NearestEntry everyEntry(table, 0);
    NearestEntry cells(table, 1u << 20);
    for (unsigned r = 0; r < 256; r += 5)
        for (unsigned g = 0; g < 256; g += 3)
            for (unsigned b = 0; b < 256; b += 7) ASSERT_EQ(cells.Find(r, g, b), everyEntry.Find(r, g, b));
    EXPECT_EQ(cells.Find(Rgb{0x0B0B0B}), 61u);
    EXPECT_EQ(cells.Find(table[7]), 7u);
}

}  // namespace
}  // namespace vx
