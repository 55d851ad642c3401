#include "dsp/LevelAnalyzer.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <thread>

using namespace corvane;

namespace
{
juce::Array<float> levelsOf (const LevelAnalyzer& analyzer)
{
    juce::Array<float> levels;
    analyzer.getPeakLevels (levels);
    return levels;
}

void sleepMs (int milliseconds)
{
    std::this_thread::sleep_for (std::chrono::milliseconds (milliseconds));
}

/** The timer runs on the message thread, which these tests never pump: they drive each tick themselves. */
class LevelAnalyzerTest : public testing::Test
{
protected:
    void prepareStereo (double sampleRate, juce::int64 holdMs = 60)
    {
        analyzer.setNumChannels (2);
        analyzer.prepare (sampleRate, 30, holdMs);
    }

    /** Analyses what is waiting now and restarts the hold from this moment. */
    void analyseFullWindow (float value)
    {
        analyzer.pushSamples (test::makeConstant (2, analyzer.getWindowSamples(), value));
        analyzer.timerCallback();
        ASSERT_EQ (analyzer.getNumReady (0), 0);
    }

    LevelAnalyzer analyzer;
};
} // namespace

TEST_F (LevelAnalyzerTest, WindowIsThirtyMillisecondsRoundedHalfToEvenAndAFullWindowOneSampleLess)
{
    EXPECT_EQ (analyzer.getWindowSamples(), 4096);
    EXPECT_EQ (analyzer.getHoldTimeMs(), 60);
    analyzer.pushSamples (test::makeConstant (1, 5000, 0.1f));
    EXPECT_EQ (analyzer.getNumReady (0), 4095);

    const std::pair<double, int> expected[] = { { 11025.0, 331 }, { 22050.0, 662 }, { 44100.0, 1323 },
                                                { 48000.0, 1440 }, { 96000.0, 2880 } };

    for (const auto& [sampleRate, window] : expected)
    {
        SCOPED_TRACE (sampleRate);
        analyzer.prepare (sampleRate, 30, 60);
        EXPECT_EQ (analyzer.getWindowSamples(), window);
        EXPECT_EQ (analyzer.getNumReady (0), 0) << "preparing empties the FIFO";

        analyzer.pushSamples (test::makeConstant (1, 4000, 0.1f));
        EXPECT_EQ (analyzer.getNumReady (0), window - 1);
    }
}

TEST_F (LevelAnalyzerTest, ABlockLargerThanTheFreeSpaceKeepsItsFirstSamplesAndAFullFifoDropsWholeBlocks)
{
    prepareStereo (44100.0);

    juce::AudioBuffer<float> ramp (2, 2000);
    for (int i = 0; i < 2000; ++i)
    {
        ramp.setSample (0, i, static_cast<float> (i) / 2000.0f);
        ramp.setSample (1, i, -static_cast<float> (i) / 4000.0f);
    }

    analyzer.pushSamples (ramp);
    EXPECT_EQ (analyzer.getNumReady (0), 1322);
    analyzer.pushSamples (test::makeConstant (2, 64, 1.0f));
    EXPECT_EQ (analyzer.getNumReady (1), 1322);

    analyzer.timerCallback();
    const auto levels = levelsOf (analyzer);
    ASSERT_EQ (levels.size(), 2);
    EXPECT_FLOAT_EQ (levels[0], 1321.0f / 2000.0f);
    EXPECT_FLOAT_EQ (levels[1], 1321.0f / 4000.0f);
}

TEST_F (LevelAnalyzerTest, ASteadyStreamIsAnalysedEverySecondTickAndLosesWhatOverflows)
{
    prepareStereo (44100.0);
    constexpr int perTick = 706; // 44100 Hz over a 16 ms tick

    analyseFullWindow (0.01f);

    analyzer.pushSamples (test::makeConstant (2, perTick, 0.5f));
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.01f) << "fewer than a full window: the tick waits";

    // 616 samples fit; the loud end of this block is dropped and never analysed.
    auto second = test::makeConstant (2, perTick, 0.25f);
    for (int i = 616; i < perTick; ++i)
        second.setSample (0, i, 0.9f);

    analyzer.pushSamples (second);
    EXPECT_EQ (analyzer.getNumReady (0), 1322);
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.5f);
    EXPECT_EQ (analyzer.getNumReady (0), 0);

    analyzer.pushSamples (test::makeConstant (2, perTick, 0.1f));
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.5f);
    analyzer.pushSamples (test::makeConstant (2, perTick, 0.2f));
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.2f);
}

TEST_F (LevelAnalyzerTest, AfterTheHoldAShortWindowIsAnalysedAndAfterAnotherWithoutSamplesLevelsFallToZero)
{
    // A hold longer than 60 ms keeps the ticks that must come "within the hold" safe on a loaded machine.
    constexpr int holdMs = 150;
    prepareStereo (48000.0, holdMs);
    analyseFullWindow (0.7f);

    analyzer.pushSamples (test::makeConstant (2, 100, 0.3f));
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[1], 0.7f);

    sleepMs (holdMs + 50);
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[1], 0.7f) << "the hold is judged by the time recorded at an earlier tick";

    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[1], 0.3f) << "the short window";
    EXPECT_EQ (analyzer.getNumReady (1), 0);

    analyzer.timerCallback();
    sleepMs (holdMs + 50);
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.3f);
    analyzer.timerCallback();
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.0f }));

    // And again after the next hold period without samples, from whatever the levels were.
    analyseFullWindow (0.4f);
    analyzer.timerCallback();
    sleepMs (holdMs + 50);
    analyzer.timerCallback();
    analyzer.timerCallback();
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.0f }));
}

TEST_F (LevelAnalyzerTest, TheFirstWaitingTickAfterConstructionCountsThePastAsHeld)
{
    analyzer.setNumChannels (1);
    analyzer.pushSamples (test::makeConstant (1, 10, -0.6f));
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.0f);
    analyzer.timerCallback();
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.6f);
}

TEST_F (LevelAnalyzerTest, PeakIsTheLargerMagnitudeOfMinimumAndMaximum)
{
    prepareStereo (44100.0);
    const auto window = analyzer.getWindowSamples();
    juce::AudioBuffer<float> block (2, window);

    for (int i = 0; i < window; ++i)
    {
        block.setSample (0, i, i % 2 == 0 ? 1.0f : -1.0f);
        block.setSample (1, i, 0.5f * std::sin (0.01f * static_cast<float> (i)));
    }

    block.setSample (1, 700, -0.8f);
    analyzer.pushSamples (block);
    analyzer.timerCallback();

    const auto levels = levelsOf (analyzer);
    EXPECT_FLOAT_EQ (levels[0], 1.0f);
    EXPECT_FLOAT_EQ (levels[1], 0.8f);
}

TEST_F (LevelAnalyzerTest, ChannelCountFollowsSetNumChannelsAndExtraBlockChannelsAreIgnored)
{
    EXPECT_EQ (levelsOf (analyzer).size(), 1);

    analyzer.setNumChannels (0);
    EXPECT_TRUE (levelsOf (analyzer).isEmpty());
    analyzer.pushSamples (test::makeConstant (2, 4000, 0.5f));
    analyzer.timerCallback();
    EXPECT_TRUE (levelsOf (analyzer).isEmpty());
    analyzer.prepare (48000.0, 30, 80);
    EXPECT_EQ (analyzer.getWindowSamples(), 1440) << "stored even without channels";
    EXPECT_EQ (analyzer.getHoldTimeMs(), 80);

    analyzer.setNumChannels (2);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.0f }));
    analyzer.pushSamples (test::makeConstant (1, 4000, 0.5f));
    EXPECT_EQ (analyzer.getNumReady (0), 1439) << "the new FIFOs have the current window";
    EXPECT_EQ (analyzer.getNumReady (1), 0) << "a mono block feeds the first channel only";

    analyzer.setNumChannels (1);
    analyzer.pushSamples (test::makeConstant (2, 1439, 0.25f));
    analyzer.timerCallback();
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.25f }));
}

TEST_F (LevelAnalyzerTest, PrepareAloneResizesAndEmptiesTheFifosAndKeepsTheLevels)
{
    prepareStereo (44100.0);
    analyseFullWindow (0.35f);
    analyzer.pushSamples (test::makeConstant (2, 500, 0.9f));

    analyzer.prepare (96000.0, 30, 60);
    EXPECT_EQ (analyzer.getNumChannels(), 2);
    EXPECT_EQ (analyzer.getNumReady (0), 0);
    EXPECT_EQ (analyzer.getNumReady (1), 0);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.35f, 0.35f }));

    juce::AudioBuffer<float> block (2, 2879);
    block.clear();
    block.setSample (0, 2878, 0.125f);
    analyzer.pushSamples (block);
    analyzer.timerCallback();
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.125f, 0.0f })) << "nothing older than the preparation";
}
