#include "editor/LevelMeterView.h"
#include "support/DesktopWindow.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace
{
class FakeLevels : public IOLevelProviderInterface
{
public:
    void getInputPeakLevels (juce::Array<float>&) override { ADD_FAILURE() << "the meters read getInputLevels"; }
    void getOutputPeakLevels (juce::Array<float>&) override { ADD_FAILURE() << "the meters read getOutputLevels"; }
    void getInputLevels (juce::Array<float>& levels) override { levels = input; }
    void getOutputLevels (juce::Array<float>& levels) override { levels = output; }

    juce::Array<float> input, output;
};

/** Counts the repaints a component asks for; it draws nothing itself, since only children use their image. */
struct RepaintCounter : public juce::CachedComponentImage
{
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override { return ++requests > 0; } // and lets it go ahead
    bool invalidate (const juce::Rectangle<int>&) override { return ++requests > 0; }
    void releaseResources() override {}

    int requests = 0;
};

std::string repeat (int count, char c) { return std::string (static_cast<size_t> (count), c); }

class LevelMeterViewTest : public testing::Test
{
protected:
    // 80 pixels tall leaves a 72-pixel bar area under the 8-pixel strip: one row per dB.
    void makeMeter (int width, int height = 80, LevelMeterView::Mode mode = LevelMeterView::Mode::output)
    {
        meter = std::make_unique<LevelMeterView> (&levels, mode);
        meter->setClock ([this] { return now; });
        meter->setBounds (0, 0, width, height);
        meter->setVisible (true);
        meter->setCachedComponentImage (counter = new RepaintCounter());
    }

    void tickAfter (std::chrono::steady_clock::duration elapsed, juce::Array<float> newLevels, LevelMeterView::Mode side = LevelMeterView::Mode::output)
    {
        (side == LevelMeterView::Mode::input ? levels.input : levels.output) = std::move (newLevels);
        now += elapsed;
        meter->timerCallback();
    }

    /** One pixel row as text: ' ' not painted, '.' background (45, 45, 45), 'B' the blue bar, 'R' a lit clip
        mark or the red bar of an over. */
    std::string row (int y) const
    {
        const auto image = meter->createComponentSnapshot (meter->getLocalBounds());
        std::string text;

        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            text += c.getAlpha() == 0                     ? ' '
                  : c == juce::Colour (45, 45, 45)        ? '.'
                  : c.getBlue() > 150 && c.getRed() < 80  ? 'B'
                  : c.getRed() > 190 && c.getBlue() < 130 ? 'R'
                                                          : '?';
        }

        return text;
    }

    /** The first row of column x that shows a bar, or the view's height when the bar is empty. */
    int barTop (int x) const
    {
        int y = 8;
        while (y < meter->getHeight() && row (y)[(size_t) x] == '.')
            ++y;
        return y;
    }

    FakeLevels levels;
    std::chrono::steady_clock::time_point now {};
    std::unique_ptr<LevelMeterView> meter;
    RepaintCounter* counter = nullptr;
};
} // namespace

TEST_F (LevelMeterViewTest, BarsFallSeventyTwoDecibelsPerSecondOfSteadyClockTimeUntilAHigherLevelArrives)
{
    struct Case
    {
        const char* what;
        int ticks;
        std::chrono::microseconds tickInterval;
        float level;
        int expectedTop; // 80: empty
    };

    const Case cases[] = {
        { "a quarter of a second: 18 dB", 1, 250ms, 0.0f, 26 },
        { "twenty ticks of 25 ms: 36 dB", 20, 25ms, 0.0f, 44 },
        { "a level of -20 dB stops the fall there", 20, 25ms, 0.1f, 28 },
        { "one second empties the bar", 30, 33334us, 0.0f, 80 },
        { "a message thread blocked for 3 s drops the bar to the new peak at once", 1, 3000ms, 0.01f, 48 },
    };

    makeMeter (42);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        tickAfter (33ms, { 1.0f, 1.0f });

        for (int tick = 0; tick < c.ticks; ++tick)
            tickAfter (c.tickInterval, { c.level, c.level });

        EXPECT_EQ (barTop (10), c.expectedTop);
    }
}

TEST_F (LevelMeterViewTest, BarsFollowTheChannelCountAndTheWidth)
{
    struct Case
    {
        const char* what;
        int width, height;
        LevelMeterView::Mode mode;
        juce::Array<float> earlier, levels;
        std::string markRow, areaTopRow;
    };

    const auto bar = repeat (20, 'B'), mark = repeat (20, 'R'), unlit = repeat (20, '.');
    const Case cases[] = {
        { "stereo output, one column of gap right of each bar", 42, 80, LevelMeterView::Mode::output, {}, { 1.0f, 1.0f }, mark + " " + mark + " ", bar + "." + bar + "." },
        { "mono input: one bar", 42, 80, LevelMeterView::Mode::input, {}, { 1.0f }, repeat (41, 'R') + " ", repeat (41, 'B') + "." },
        { "0 dB fills the bar in blue, above it in red; both light the mark", 42, 80, LevelMeterView::Mode::output, {}, { 1.0f, 2.0f }, mark + " " + mark + " ", bar + "." + repeat (20, 'R') + "." },
        { "-6 dB neither fills the bar nor lights the mark", 42, 80, LevelMeterView::Mode::output, {}, { 1.0f, 0.5f }, mark + " " + unlit + " ", bar + "." + unlit + "." },
        { "two pixels wide: no gap", 2, 80, LevelMeterView::Mode::output, {}, { 1.0f, 0.0f }, "R.", "B." },
        { "one pixel wide: the loudest of both, marked if either clipped", 1, 80, LevelMeterView::Mode::output, {}, { 0.0f, 1.0f }, "R", "B" },
        { "no channels: nothing drawn", 42, 80, LevelMeterView::Mode::output, {}, {}, repeat (42, ' '), repeat (42, ' ') },
        { "eight pixels tall: the marks alone", 42, 8, LevelMeterView::Mode::output, {}, { 1.0f, 0.0f }, mark + " " + unlit + " ", repeat (42, ' ') },
        { "a mono input after stereo overs: one empty bar, no mark", 42, 80, LevelMeterView::Mode::output, { 1.0f, 1.0f }, { 0.0f }, repeat (41, '.') + " ", repeat (42, '.') },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        makeMeter (c.width, c.height, c.mode);
        // A meter that read the other side would show the previous case's channels.
        for (const auto& tickLevels : { c.earlier, c.levels })
            tickAfter (33ms, tickLevels, c.mode);

        EXPECT_EQ (row (2), c.markRow);
        EXPECT_EQ (row (juce::jmin (8, c.height - 1)), c.areaTopRow);
    }
}

TEST_F (LevelMeterViewTest, RepaintsOnlyWhenWhatItDrawsChangesAndOnlyAPressClearsTheClipMark)
{
    struct Step
    {
        const char* what;
        std::chrono::steady_clock::duration elapsed; // zero for a mouse press instead of a tick
        juce::Array<float> levels;
        int expectedRepaints;
        bool leftMarkLit;
    };

    const Step steps[] = {
        { "resting on the floor", 33ms, { 0.0f, 0.0f }, 0, false },
        { "a rise", 33ms, { 0.5f, 0.25f }, 1, false },
        { "the same levels", 33ms, { 0.5f, 0.25f }, 0, false },
        { "a change too small to move a pixel", 33ms, { 0.5001f, 0.25f }, 0, false },
        { "a fall", 100ms, { 0.0f, 0.0f }, 1, false },
        { "back at rest", 2s, { 0.0f, 0.0f }, 1, false },
        { "resting again", 33ms, { 0.0f, 0.0f }, 0, false },
        { "full scale lights a mark", 33ms, { 1.0f, 0.0f }, 1, true },
        { "held at full scale", 33ms, { 1.0f, 0.0f }, 0, true },
        { "the mark outlives the level", 5s, { 0.0f, 0.0f }, 1, true },
        { "a press clears it", 0s, {}, 1, false },
        { "a press with no mark lit", 0s, {}, 0, false },
    };

    makeMeter (42);
    test::DesktopWindow window (*meter);

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.what);
        counter->requests = 0;

        if (step.elapsed > 0s)
        {
            tickAfter (step.elapsed, step.levels);
        }
        else
        {
            window.press ({ 30, 40 }, juce::ModifierKeys::ctrlModifier);
            window.release ({ 30, 40 });
        }

        EXPECT_EQ (counter->requests, step.expectedRepaints);
        EXPECT_EQ (row (2), repeat (20, step.leftMarkLit ? 'R' : '.') + " " + repeat (20, '.') + " ");
    }
}
