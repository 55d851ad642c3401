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
    // As wide as at the design size; 80 pixels tall leaves a 72-pixel bar area under the 8-pixel strip.
    void makeMeter (LevelMeterView::Mode mode = LevelMeterView::Mode::output)
    {
        meter = std::make_unique<LevelMeterView> (&levels, mode);
        meter->setClock ([this] { return now; });
        meter->setBounds (0, 0, 42, 80);
        meter->setVisible (true);
        meter->setCachedComponentImage (counter = new RepaintCounter());
    }

    void tickAfter (std::chrono::steady_clock::duration elapsed, juce::Array<float> newLevels, LevelMeterView::Mode side = LevelMeterView::Mode::output)
    {
        (side == LevelMeterView::Mode::input ? levels.input : levels.output) = std::move (newLevels);
        now += elapsed;
        meter->timerCallback();
    }

    /** The pixels of an area, row by row, as text: ' ' not painted, '.' background (45, 45, 45), 'B' the blue
        bar, 'R' a lit clip mark or the red bar of an over. */
    std::string pixels (juce::Rectangle<int> area) const
    {
        const auto image = meter->createComponentSnapshot (meter->getLocalBounds());
        std::string text;

        for (int y = area.getY(); y < area.getBottom(); ++y)
        {
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                text += c.getAlpha() == 0                     ? ' '
                      : c == juce::Colour (45, 45, 45)        ? '.'
                      : c.getBlue() > 150 && c.getRed() < 80  ? 'B'
                      : c.getRed() > 190 && c.getBlue() < 130 ? 'R'
                                                              : '?';
            }
        }

        return text;
    }

    std::string row (int y) const { return pixels ({ 0, y, meter->getWidth(), 1 }); }

    FakeLevels levels;
    std::chrono::steady_clock::time_point now {};
    std::unique_ptr<LevelMeterView> meter;
    RepaintCounter* counter = nullptr;
};
} // namespace

TEST_F (LevelMeterViewTest, OneBarPerChannelOfItsSideRedAboveZeroDecibels)
{
    struct Case
    {
        const char* what;
        LevelMeterView::Mode mode;
        juce::Array<float> earlier, levels;
        std::string markRow, areaTopRow;
    };

    const auto bar = repeat (20, 'B'), mark = repeat (20, 'R');
    const Case cases[] = {
        { "mono input: one bar", LevelMeterView::Mode::input, {}, { 1.0f }, repeat (41, 'R') + " ", repeat (41, 'B') + "." },
        { "stereo output, a column of gap after each bar: 0 dB fills it in blue, more in red; both light the mark", LevelMeterView::Mode::output, {}, { 1.0f, 2.0f }, mark + " " + mark + " ", bar + "." + repeat (20, 'R') + "." },
        { "a mono input after stereo overs: one empty bar, no mark", LevelMeterView::Mode::output, { 1.0f, 1.0f }, { 0.0f }, repeat (41, '.') + " ", repeat (42, '.') },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        makeMeter (c.mode);
        // A meter that read the other side would show the previous case's channels.
        for (const auto& tickLevels : { c.earlier, c.levels })
            tickAfter (33ms, tickLevels, c.mode);

        EXPECT_EQ (row (2), c.markRow);
        EXPECT_EQ (row (8), c.areaTopRow);
    }
}

TEST_F (LevelMeterViewTest, FallsSeventyTwoDecibelsPerSecondRepaintsOnlyForANewPictureAndAPressClearsTheMark)
{
    constexpr auto empty = std::string::npos;

    struct Step
    {
        const char* what;
        std::chrono::steady_clock::duration elapsed; // zero for a mouse press instead of a tick
        juce::Array<float> levels;
        int expectedRepaints;
        bool leftMarkLit;
        size_t leftBarTop; // one row per dB below the strip's 8
    };

    const Step steps[] = {
        { "resting on the floor", 33ms, { 0.0f, 0.0f }, 0, false, empty },
        { "a rise to -6 dB", 33ms, { 0.5f, 0.0f }, 1, false, 14 },
        { "the same levels", 33ms, { 0.5f, 0.0f }, 0, false, 14 },
        { "a change too small to move a pixel", 33ms, { 0.5001f, 0.0f }, 0, false, 14 },
        { "full scale lights a mark", 33ms, { 1.0f, 0.0f }, 1, true, 8 },
        { "held at full scale", 33ms, { 1.0f, 0.0f }, 0, true, 8 },
        { "a quarter of a second falls 18 dB", 250ms, { 0.0f, 0.0f }, 1, true, 26 },
        { "-20 dB stops the fall there", 250ms, { 0.1f, 0.0f }, 1, true, 28 },
        { "a message thread blocked for 3 s drops the bar to the new peak at once", 3s, { 0.01f, 0.0f }, 1, true, 48 },
        { "the mark outlives the level", 2s, { 0.0f, 0.0f }, 1, true, empty },
        { "a press clears it", 0s, {}, 1, false, empty },
        { "a press with no mark lit", 0s, {}, 0, false, empty },
    };

    makeMeter();
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
            window.press ({ 30, 40 });
            window.release ({ 30, 40 });
        }

        EXPECT_EQ (counter->requests, step.expectedRepaints);
        EXPECT_EQ (row (2), repeat (20, step.leftMarkLit ? 'R' : '.') + " " + repeat (20, '.') + " ");
        EXPECT_EQ (pixels ({ 10, 0, 1, 80 }).find ('B'), step.leftBarTop);
    }
}
