#include "tests/support/gtest.h"

#include "tests/support/window_pixels.h"
#include "ui/progress_frame.h"
#include "ui/theme_library.h"

#include <string>

namespace {

// The bar of a progress window: 310 x 16 pixels.
const int kRow = 8;

WindowPixels Snapshot(CProgressBar& bar)
{
    RECT client = {};
    GetClientRect(bar.m_hWnd, &client);
    return WindowPixels(client.right, client.bottom, [&](HDC dc) { bar.Render(dc); });
}

// The middle of chunk slot `slot` in the classic look (content from x 2).
int SlotCentre(int slot) { return 2 + slot * 10 + 4; }

// Runs `body` with the classic look (no visual style), restoring the style.
class ClassicLook {
public:
    ClassicLook() : switched_(SwitchVisualStyle(false)) {}
    ~ClassicLook()
    {
        if (switched_)
            SwitchVisualStyle(true);
    }
    bool switched() const { return switched_ && !ThemesActive(); }

private:
    bool switched_;
};

}  // namespace

TEST(ProgressBar, ClassicChunksShowDoneOfTotal)
{
    ClassicLook classic;
    ASSERT_TRUE(classic.switched());
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    CProgressBar& bar = frame.bar;
    struct Case {
        uint32_t done, total;
        int filledSlots;
    };
    const Case cases[] = {
        {1, 1, 31}, {600000000, 600000000, 31}, {300000000, 600000000, 16}, {1, 100, 1}, {1, 1000, 0},
        {0, 100, 0}, {5, 0, 0}, {0xFFFFFFFFu, 1, 31},  // more than the whole: a full bar, no overrun
    };
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (const Case& c : cases) {
        bar.SetPos(c.done, c.total);
        ASSERT_FALSE(bar.animating);
        WindowPixels shot = Snapshot(bar);
        std::string name = std::to_string(c.done) + " of " + std::to_string(c.total);
        for (int slot = 0; slot < 31; ++slot) {
            COLORREF expected = slot < c.filledSlots ? bar.chunkColour : face;
            EXPECT_EQ(shot.At(SlotCentre(slot), kRow), expected) << name << ", slot " << slot;
            if (slot < 30) {
                EXPECT_EQ(shot.At(SlotCentre(slot) + 5, kRow), face) << name << ", gap after slot " << slot;
            }
        }
        // The last chunk is cut where the content ends, inside the edge.
        if (c.filledSlots == 31) {
            EXPECT_EQ(shot.At(307, kRow), bar.chunkColour) << name;
            EXPECT_NE(shot.At(308, kRow), bar.chunkColour) << name;
        }
    }
}

TEST(ProgressBar, SweepOfSixFadingChunksWrapsAndRestarts)
{
    ClassicLook classic;
    ASSERT_TRUE(classic.switched());
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    CProgressBar& bar = frame.bar;
    ASSERT_TRUE(bar.animating);
    bar.phase = 29;
    WindowPixels shot = Snapshot(bar);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Slot -> constant alpha of the chunk drawn there; every other slot is empty.
    const struct {
        int slot;
        double alpha;
    } sweep[] = {{29, 63}, {30, 127}, {0, 255}, {1, 255}, {2, 127}, {3, 63}};
    for (int slot = 0; slot < 31; ++slot) {
        double expected = 0;
        for (const auto& s : sweep)
            if (s.slot == slot)
                expected = s.alpha / 255;
        EXPECT_NEAR(shot.Mix(SlotCentre(slot), kRow, face, bar.chunkColour), expected, 0.03) << "slot " << slot;
    }

    // Ticks move it on; leaving the busy mode and coming back starts over.
    for (int tick = 0; tick < 3; ++tick)
        SendMessageA(bar.m_hWnd, WM_TIMER, CProgressBar::kTimerId, 0);
    EXPECT_EQ(bar.phase, 32u);
    bar.SetPos(1, 2);
    EXPECT_FALSE(bar.animating);
    bar.SetMarquee(true);
    EXPECT_EQ(bar.phase, 0u);
    WindowPixels restarted = Snapshot(bar);
    EXPECT_NEAR(restarted.Mix(SlotCentre(0), kRow, face, bar.chunkColour), 63.0 / 255, 0.03);
    EXPECT_NEAR(restarted.Mix(SlotCentre(3), kRow, face, bar.chunkColour), 1.0, 0.03);
    EXPECT_NEAR(restarted.Mix(SlotCentre(6), kRow, face, bar.chunkColour), 0.0, 0.03);
}

TEST(ProgressBar, FollowsTheVisualStyleAndItsSwitching)
{
    ASSERT_TRUE(ThemesActive()) << "the test prefix is expected to have its visual style active";
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    CProgressBar& bar = frame.bar;
    ASSERT_NE(bar.theme, nullptr);
    // The style's own sizes, as the style reports them (a positive chunk, a gap not below 0).
    int chunk = -1, space = -1;
    ASSERT_TRUE(SUCCEEDED(Themes().GetThemeMetric(bar.theme, nullptr, kProgressBarPart, 0, kThemeChunkSize, &chunk)));
    ASSERT_TRUE(SUCCEEDED(Themes().GetThemeMetric(bar.theme, nullptr, kProgressBarPart, 0, kThemeSpaceSize, &space)));
    EXPECT_EQ(bar.chunkWidth, chunk > 0 ? chunk : 8);
    EXPECT_EQ(bar.chunkGap, space >= 0 ? space : 2);
    EXPECT_EQ(GetWindowLongA(frame.m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    bar.SetPos(1, 1);

    // Switching to the classic look reaches the open window: sunken client
    // edge on the frame, plain chunks of 8 + 2 in the caption colour.
    ASSERT_TRUE(SwitchVisualStyle(false));
    EXPECT_FALSE(ThemesActive());
    EXPECT_EQ(bar.theme, nullptr);
    EXPECT_EQ(bar.chunkWidth, 8);
    EXPECT_EQ(bar.chunkGap, 2);
    EXPECT_NE(GetWindowLongA(frame.m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    WindowPixels classic = Snapshot(bar);
    EXPECT_EQ(classic.At(SlotCentre(30), kRow), bar.chunkColour);
    EXPECT_EQ(classic.At(SlotCentre(29) + 5, kRow), GetSysColor(COLOR_BTNFACE));
    // Wine cannot load the style again in a running process, so the way
    // back is not tried here.
}
