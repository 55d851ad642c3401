#include "dsp/GainProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST (MasterGainLaw, MutesAtAndBelowTheThresholdAndCapsAtTwo)
{
    struct Case
    {
        float gainDb, factor;
    };

    for (auto c : { Case { -48.0f, 0.0f }, Case { -47.99f, 0.0f }, Case { -47.98f, 0.00399025f }, Case { -20.0f, 0.1f },
                    Case { 0.0f, 1.0f }, Case { 6.0f, 1.9952624f }, Case { 6.03f, 2.0f }, Case { 12.0f, 2.0f } })
        EXPECT_NEAR (masterGainFactor (c.gainDb), c.factor, 1.0e-5f * c.factor) << c.gainDb << " dB";
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
    // From the factor at preparation, including silence, to the new one.
    for (auto [prepared, target] : { std::pair { 0.5f, 1.5f }, { 0.0f, 1.0f } })
    {
        gain.setTargetGain (prepared);
        gain.prepareToPlay (48000.0, blockSize);
        gain.setTargetGain (target);

        for (auto ramping : { true, false })
        {
            auto buffer = test::makeConstant (2, blockSize, 1.0f);
            process (buffer);

            for (int channel = 0; channel < 2; ++channel)
                for (int k = 0; k < blockSize; ++k)
                    ASSERT_NEAR (buffer.getSample (channel, k),
                                 ramping ? prepared + (target - prepared) * static_cast<float> (k) / blockSize : target,
                                 1.0e-5f)
                        << prepared << " to " << target << ", sample " << k;
        }
    }
}

TEST_F (GainProcessorTest, EmptyOrClearedBlockStillMovesToTheTarget)
{
    gain.prepareToPlay (48000.0, blockSize);

    // A block with nothing to ramp still ends the change, so the next audible block holds the new factor.
    for (auto [target, numSamples] : { std::pair { 0.25f, 0 }, { 0.75f, blockSize } })
    {
        gain.setTargetGain (target);
        juce::AudioBuffer<float> silent (2, numSamples);
        silent.clear();
        process (silent);

        auto next = test::makeConstant (2, blockSize, 1.0f);
        process (next);
        EXPECT_EQ (next.getSample (0, 0), target);
    }
}
