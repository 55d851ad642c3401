#include "dsp/BinauralProcessor.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
struct Case
{
    const char* name;
    double sampleRate;
    int preparedSize;
    std::vector<int> hostBlocks; // repeated until the crossfade is well over
    bool monoInput = false;
};

void PrintTo (const Case& c, std::ostream* os)
{
    *os << c.name;
}

class CrossfadeTest : public testing::TestWithParam<Case>
{
};
} // namespace

/** Switches "ZEM On" from off to on and follows the wet proportion sample by sample. While on, the scope holds the
    wet paths, so each output sample tells how far the crossfade from the dry input has come. */
TEST_P (CrossfadeTest, ZemOnCrossfadeLastsFiftyMillisecondsHoweverTheHostSplitsBlocks)
{
    const auto& c = GetParam();
    const auto rampLength = static_cast<int> (c.sampleRate * 0.05);

    AudioPluginAudioProcessor processor;
    juce::MidiBuffer midi;
    auto& parameters = processor.getApvtsManager();
    const auto& scope = processor.getMainProcessor().getProcessingGraph().binauralProcessor->getScopeBuffer();

    if (c.monoInput)
    {
        ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (1, 2)));
    }

    parameters.setBoolValue (zemOnParameterID, false);
    processor.prepareToPlay (c.sampleRate, c.preparedSize);

    // Whole blocks past the gain node's first ramp, the output fade-in and the crossfade to the dry input.
    juce::AudioBuffer<float> silence (2, c.preparedSize);
    for (int done = 0; done < 3 * rampLength; done += c.preparedSize)
    {
        silence.clear();
        processor.processBlock (silence, midi);
    }

    parameters.setBoolValue (zemOnParameterID, true);

    int sampleIndex = 0;
    int samplesMeasured = 0;
    int lastSize = 0;
    juce::int64 seed = 1;
    auto expectedReady = processor.getNumReady();

    for (size_t i = 0; sampleIndex < rampLength + 500; ++i)
    {
        const auto size = c.hostBlocks[i % c.hostBlocks.size()];
        lastSize = size;
        const auto input = test::makeNoise (2, size, 0.5f, seed++);
        auto output = input;
        processor.processBlock (output, midi);

        // The scope gets the block's own samples, no more.
        expectedReady += size;
        ASSERT_EQ (processor.getNumReady(), expectedReady) << "block " << i;

        for (int k = 0; k < size; ++k, ++sampleIndex)
        {
            const auto expectedWet = juce::jmin (1.0f, static_cast<float> (sampleIndex + 1) / static_cast<float> (rampLength));

            for (int channel = 0; channel < 2; ++channel)
            {
                const auto dry = input.getSample (c.monoInput ? 0 : channel, k);
                const auto wet = scope.getSample (2 * channel, k) + scope.getSample (2 * channel + 1, k);
                const auto out = output.getSample (channel, k);

                // The dry and the wet volume are two ramps that add up to 1 only within a few 1e-5, so only a sample
                // whose wet and dry differ well tells the proportion.
                const auto tellsProportion = std::abs (wet - dry) > juce::jmax (0.01f, 0.1f * std::abs (dry));

                if (sampleIndex >= rampLength)
                {
                    ASSERT_EQ (out, wet) << "sample " << sampleIndex << " after the crossfade";
                }
                else if (tellsProportion)
                {
                    ASSERT_NEAR ((out - dry) / (wet - dry), expectedWet, 1.0e-3f) << "sample " << sampleIndex;
                    ++samplesMeasured;
                }
            }
        }
    }

    EXPECT_GT (samplesMeasured, rampLength / 4) << "too few samples told wet from dry";

    // The newest samples in the ring are the last block's paths.
    juce::AudioBuffer<float> ring (MainProcessor::numScopeChannels, expectedReady);
    ASSERT_TRUE (processor.read (ring));

    for (int channel = 0; channel < MainProcessor::numScopeChannels; ++channel)
        for (int k = 0; k < lastSize; ++k)
            ASSERT_EQ (ring.getSample (channel, expectedReady - lastSize + k), scope.getSample (channel, k));
}

INSTANTIATE_TEST_SUITE_P (
    HostSplits,
    CrossfadeTest,
    testing::Values (Case { "Whole1024", 48000.0, 1024, { 1024 } },
                     Case { "Fed1", 48000.0, 1024, { 1 } },
                     Case { "Varying", 48000.0, 1024, { 1, 1023, 64, 7, 512, 333, 1024, 100 } },
                     Case { "Mono44kVarying", 44100.0, 512, { 100, 512, 3, 250 }, true }),
    [] (const testing::TestParamInfo<Case>& param) { return std::string (param.param.name); });
