#include "tests/support/gtest.h"

#include "ui/progress_bar.h"

TEST(ProgressBar, ChunksOfAMeasureNeverPassTheBarsEnd)
{
    // A 310-pixel bar without a theme: 306 pixels of content, slots of 8 + 2.
    const struct {
        uint32_t done, total;
        int32_t chunks;
    } cases[] = {
        {1, 1, 31},   {600000000, 600000000, 31}, {300000000, 600000000, 16}, {1, 100, 1},
        {1, 1000, 0}, {0, 100, 0},                {5, 0, 0},                  {0xFFFFFFFFu, 1, 31},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilledChunks(306, c.done, c.total, 2, 10), c.chunks) << c.done << " of " << c.total;
    EXPECT_EQ(ChunkSlots(306, 2, 10), 31);
    EXPECT_EQ(ChunkSlots(2, 2, 10), 0);
    EXPECT_EQ(ChunkSlots(306, 2, 0), 0);
}
