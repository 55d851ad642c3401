#include "dsp/GainProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST (MasterGainLaw, MutesAtAndBelowTheThresholdAndCapsAtTwo)
{
    EXPECT_EQ (masterGainFactor (-48.0f), 0.0f);
    EXPECT_EQ (masterGainFactor (-47.99f), 0.0f);
    EXPECT_NEAR (masterGainFactor (-47.98f), 0.0039902f, 1.0e-7f);
    EXPECT_NEAR (masterGainFactor (-20.0f), 0.1f, 1.0e-7f);
    EXPECT_EQ (masterGainFactor (0.0f), 1.0f);
    EXPECT_NEAR (masterGainFactor (6.0f), 1.9952624f, 1.0e-6f);
    EXPECT_EQ (masterGainFactor (6.03f), 2.0f);
    EXPECT_EQ (masterGainFactor (12.0f), 2.0f);
}

class GainProcessorTest : public testing::Test
{
protected:
    static constexpr int blockSize = 64;

    void process (juce::AudioBuffer<float>& buffer) { gain.processBlock (buffer, midi); }

    GainProcessor gain;
    juce::MidiBuffer midi;
};

TEST_F (GainProcessorTest, RampsAcrossOneBlockAfterAChangeThenHoldsTheNewFactor)
{
    gain.setTargetGain (0.5f);
    gain.prepareToPlay (48000.0, blockSize);

    gain.setTargetGain (1.5f);
    auto ramped = test::makeConstant (2, blockSize, 1.0f);
    process (ramped);

    for (int channel = 0; channel < 2; ++channel)
    {
        for (int k = 0; k < blockSize; ++k)
            EXPECT_NEAR (ramped.getSample (channel, k), 0.5f + static_cast<float> (k) / blockSize, 1.0e-5f) << k;
    }

    EXPECT_NEAR (ramped.getSample (0, blockSize - 1), 0.5f + (blockSize - 1.0f) / blockSize, 1.0e-5f);

    auto steady = test::makeConstant (2, blockSize, 1.0f);
    process (steady);

    for (int k = 0; k < blockSize; ++k)
        EXPECT_EQ (steady.getSample (1, k), 1.5f);
}

TEST_F (GainProcessorTest, FirstBlockAfterPreparationRampsUpFromSilence)
{
    gain.prepareToPlay (48000.0, blockSize);
    gain.setTargetGain (1.0f);

    auto buffer = test::makeConstant (2, blockSize, 1.0f);
    process (buffer);

    EXPECT_EQ (buffer.getSample (0, 0), 0.0f);
    EXPECT_NEAR (buffer.getSample (0, blockSize / 2), 0.5f, 1.0e-6f);
}

TEST_F (GainProcessorTest, UnitGainLeavesSamplesBitExactAndZeroGainSilences)
{
    gain.setTargetGain (1.0f);
    gain.prepareToPlay (48000.0, blockSize);

    const auto input = test::makeNoise (2, blockSize, 0.9f);
    auto buffer = input;
    process (buffer);

    for (int channel = 0; channel < 2; ++channel)
        for (int k = 0; k < blockSize; ++k)
            ASSERT_EQ (buffer.getSample (channel, k), input.getSample (channel, k));

    gain.setTargetGain (0.0f);
    process (buffer); // the ramp down
    buffer = input;
    process (buffer);

    for (int channel = 0; channel < 2; ++channel)
        for (int k = 0; k < blockSize; ++k)
            ASSERT_EQ (buffer.getSample (channel, k), 0.0f);
}

TEST_F (GainProcessorTest, EmptyOrClearedBlockStillMovesToTheTarget)
{
    gain.prepareToPlay (48000.0, blockSize);
    gain.setTargetGain (0.25f);

    juce::AudioBuffer<float> empty (2, 0);
    process (empty);
    EXPECT_EQ (gain.getPreviousGain(), 0.25f);

    gain.setTargetGain (0.75f);
    juce::AudioBuffer<float> cleared (2, blockSize);
    cleared.clear();
    process (cleared);
    EXPECT_EQ (gain.getPreviousGain(), 0.75f);
}
