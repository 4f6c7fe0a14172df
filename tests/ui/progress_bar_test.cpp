#include "tests/support/gtest.h"

#include "ui/progress_frame.h"

TEST(ProgressBar, ChunksStayInsideTheBarAndOnlyANewMeasureRedrawsIt)
{
    // A 310-pixel bar without a theme: 306 pixels of content, slots of 8 + 2.
    const struct {
        uint32_t done, total;
        int32_t chunks;
    } measures[] = {{1, 1, 31},
                    {600000000, 600000000, 31},
                    {300000000, 600000000, 16},
                    {1, 100, 1},
                    {1, 1000, 0},
                    {0, 100, 0},
                    {5, 0, 0},
                    {0xFFFFFFFFu, 1, 31}};
    for (const auto& c : measures)
        EXPECT_EQ(FilledChunks(306, c.done, c.total, 2, 10), c.chunks) << c.done << " of " << c.total;
    EXPECT_EQ(std::to_string(ChunkSlots(306, 2, 10)) + " " + std::to_string(ChunkSlots(2, 2, 10)) + " " +
                  std::to_string(ChunkSlots(306, 2, 0)),
              "31 0 0");

    CProgressFrame frame;
    frame.Show();
    frame.bar.SetPos(5, 10);
    // 50001 of 100000 shows the same chunks as 5 of 10; 0 of 0 is the busy mode, which a measure equal
    // to the last one still ends.
    const struct {
        uint32_t done, total;
        bool redrawn;
    } reports[] = {{5, 10, false}, {50001, 100000, false}, {6, 10, true}, {6, 10, false},
                   {0, 0, true},   {0, 0, false},          {6, 10, true}};
    for (const auto& c : reports) {
        UpdateWindow(frame.bar.m_hWnd);
        c.total ? frame.bar.SetPos(c.done, c.total) : frame.bar.SetMarquee(true);
        EXPECT_EQ(GetUpdateRect(frame.bar.m_hWnd, nullptr, FALSE) != FALSE, c.redrawn)
            << c.done << "/" << c.total;
    }
}
