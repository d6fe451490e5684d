// The hook's message tables: what gets reported before and after a
// window's own procedure.
#include <gtest/gtest.h>

#include "tooltip/message_table.h"

namespace vx::tooltip {
namespace {

TEST(MessageTable, RegistersOnceAndReusesClearedEntries) {
    MessageTable table;
    EXPECT_FALSE(table.Matches(0x200));
    table.Add(0x200);
    table.Add(0x113);
    table.Add(0x200);
    EXPECT_EQ(table.Count(), 2);
    EXPECT_TRUE(table.Matches(0x200));
    EXPECT_FALSE(table.Matches(0x21));

    table.Remove(0x200);
    EXPECT_FALSE(table.Matches(0x200));
    EXPECT_EQ(table.Count(), 2);
    // The cleared entry is compared like any other: message 0 matches it.
    EXPECT_TRUE(table.Matches(0));
    table.Add(0x21);
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Entries()[0], 0x21);
    EXPECT_TRUE(table.Matches(0x113));
}

TEST(MessageTable, AllMessagesAndBackToNone) {
    MessageTable table;
    table.Add(0x113);
    table.Add(ALL_MESSAGES);
    EXPECT_EQ(table.Count(), ALL_MESSAGES);
    EXPECT_TRUE(table.Matches(0x1234));
    table.Add(0x200);  // already reported
    EXPECT_TRUE(table.Matches(0x1234));
    table.Remove(ALL_MESSAGES);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_FALSE(table.Matches(0x113));
    EXPECT_FALSE(table.Matches(0));
}

}  // namespace
}  // namespace vx::tooltip
