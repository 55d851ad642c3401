#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include "dsp/BinauralProcessor.h"

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

namespace
{
/** Marks a sample whose gain cannot be told because the chain's output was silent. */
constexpr float unknownGain = -1.0f;
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

/** The scope's ring holds the four binaural paths of every block. With "ZEM On" on and no crossfade running, each
    ear's output before the output stage is the sum of its two paths, so the ring tells what the stage was given,
    whenever the convolution engines take over their responses. Returns that gain for each sample, after checking
    that it is the same on both channels. */
std::vector<float> appliedGains (AudioPluginAudioProcessor& processor, const std::vector<int>& blockSizes)
{
    std::vector<float> gains;
    juce::MidiBuffer midi;
    juce::int64 seed = 1;

    for (auto size : blockSizes)
    {
        auto output = test::makeNoise (2, size, 0.25f, seed++);
        processor.processBlock (output, midi);

        juce::AudioBuffer<float> paths (4, processor.getNumReady());
        EXPECT_TRUE (processor.read (paths));
        EXPECT_GE (paths.getNumSamples(), size);

        for (int k = 0; k < juce::jmin (size, paths.getNumSamples()); ++k)
        {
            const auto left = paths.getSample (0, k) + paths.getSample (1, k);
            const auto right = paths.getSample (2, k) + paths.getSample (3, k);
            // A silent chain sample says nothing about the gain applied to it.
            const auto gain = left != 0.0f ? output.getSample (0, k) / left : unknownGain;
            EXPECT_NEAR (output.getSample (1, k), right * gain, 1.0e-7f);
            gains.push_back (gain);
        }
    }

    return gains;
}

void expectFadeIn (const std::vector<float>& gains)
{
    // Sample k after the preparation is scaled by k equal single-precision steps of 1/1440, and the ramp's
    // last sample and everything after it by exactly 1, wherever the block boundaries fall.
    const auto step = 1.0f / 1440.0f;
    auto expected = 0.0f;

    for (size_t i = 0; i < gains.size(); ++i)
    {
        const auto k = static_cast<int> (i) + 1;
        expected = k >= 1440 ? 1.0f : expected + step;

        if (gains[i] == unknownGain)
            continue;

        ASSERT_NEAR (gains[i], expected, 1.0e-6f) << "sample " << k;

        if (k >= 1440)
        {
            ASSERT_EQ (gains[i], 1.0f) << "sample " << k;
        }
    }
}
} // namespace

TEST (OutputFadeIn, ThirtyMillisecondsAfterAFreshStartOrBackToBackPreparationsButNoDipAfterASingleOne)
{
    const std::vector<int> playback (7, blockSize);
    const auto prepare = [] (AudioPluginAudioProcessor& p) { p.prepareToPlay (sampleRate, blockSize); };

    struct Case
    {
        const char* what;
        std::function<void (AudioPluginAudioProcessor&)> before;
        std::vector<int> blocks;
        bool fadesIn;
    };

    const Case cases[] = {
        // The fade runs on across the pieces of a block longer than the prepared size.
        { "host splits blocks", prepare, { 1, 255, 7, 600, 100, 256, 200, 64, 256, 256 }, true },
        { "prepared twice", [&] (auto& p) { prepare (p); prepare (p); }, playback, true },
        { "twice after playback, a release between", [&] (auto& p) { prepare (p); appliedGains (p, playback); prepare (p); p.releaseResources(); prepare (p); }, playback, true },
        { "prepared again during playback", [&] (auto& p) { prepare (p); appliedGains (p, playback); prepare (p); }, { 256, 100, 256 }, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        AudioPluginAudioProcessor processor;
        c.before (processor);
        const auto gains = appliedGains (processor, c.blocks);

        if (c.fadesIn)
            expectFadeIn (gains);
        else
            for (auto gain : gains)
                ASSERT_TRUE (gain == 1.0f || gain == unknownGain);
    }
}

namespace
{
/** Instances whose convolution engines have taken over their responses and settled, so that two of them fed the
    same input render the same samples. */
class LoadedProcessorTest : public testing::Test
{
protected:
    static void prepareAndLoad (AudioPluginAudioProcessor& processor, int numInputChannels = 2)
    {
        ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (numInputChannels, 2)));
        processor.prepareToPlay (sampleRate, blockSize);

        const auto& binaural = *processor.getMainProcessor().getProcessingGraph().binauralProcessor;
        const auto loadedLength = juce::roundToInt (BinauralProcessor::impulseResponseLength * sampleRate / 192000.0);
        auto allLoaded = [&] {
            for (int k = 0; k < BinauralProcessor::numEngines; ++k)
                if (binaural.getImpulseResponseSize (k) != loadedLength)
                    return false;
            return true;
        };

        // The engines load on background threads and take over at the next block; only a real failure takes 30 s.
        const auto deadline = juce::Time::getMillisecondCounter() + 30000;

        while (! allLoaded() && juce::Time::getMillisecondCounter() < deadline)
        {
            processSilence (processor, 1);
            juce::Thread::yield();
        }

        ASSERT_TRUE (allLoaded());
        // Past the engines' own switch-over, whose old engine still rings with the silence fed so far.
        processSilence (processor, 2 * static_cast<int> (0.05 * sampleRate / blockSize) + 2);
    }

    static juce::AudioBuffer<float> process (AudioPluginAudioProcessor& processor, juce::AudioBuffer<float> buffer)
    {
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
        return buffer;
    }

    static void processSilence (AudioPluginAudioProcessor& processor, int numBlocks)
    {
        for (int i = 0; i < numBlocks; ++i)
            process (processor, test::makeConstant (2, blockSize, 0.0f));
    }

    static float largestDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        auto largest = 0.0f;
        for (int c = 0; c < a.getNumChannels(); ++c)
            for (int k = 0; k < a.getNumSamples(); ++k)
                largest = juce::jmax (largest, std::abs (a.getSample (c, k) - b.getSample (c, k)));
        return largest;
    }
};
} // namespace

TEST_F (LoadedProcessorTest, ZemOnAgainRendersAsIfItHadNeverBeenOff)
{
    AudioPluginAudioProcessor switched, reference;
    prepareAndLoad (switched);
    prepareAndLoad (reference);

    for (int block = 0; block < 40; ++block)
    {
        if (block == 5 || block == 20)
            switched.getApvtsManager().setBoolValue (zemOnParameterID, block == 20);

        const auto input = test::makeNoise (2, blockSize, 0.25f, block + 1);
        const auto fromSwitched = process (switched, input);
        const auto fromReference = process (reference, input);

        const auto fromInput = largestDifference (fromSwitched, input);
        const auto fromBinaural = largestDifference (fromSwitched, fromReference);

        // 50 ms is 9.4 blocks of 256 at 48 kHz.
        if (block >= 15 && block < 20)
        {
            EXPECT_EQ (fromInput, 0.0f) << "off: the input itself, block " << block;
        }

        if (block >= 30)
        {
            EXPECT_LT (fromBinaural, 1.0e-6f) << "block " << block;
        }
    }
}

TEST_F (LoadedProcessorTest, PreparedAgainWithTheSameSettingsPlaysOnAsIfUninterrupted)
{
    // Hosts prepare again on transport and activation changes; the room's tails must not restart or dip.
    AudioPluginAudioProcessor preparedAgain, reference;
    prepareAndLoad (preparedAgain);
    prepareAndLoad (reference);

    for (int block = 0; block < 30; ++block)
    {
        if (block == 10)
            preparedAgain.prepareToPlay (sampleRate, blockSize);

        const auto input = test::makeNoise (2, blockSize, 0.25f, block + 1);
        ASSERT_LE (largestDifference (process (preparedAgain, input), process (reference, input)), 1.0e-6f) << "block " << block;
    }
}

TEST_F (LoadedProcessorTest, MonoInputIsRenderedFromBothLoudspeakers)
{
    AudioPluginAudioProcessor mono, stereo;
    prepareAndLoad (mono, 1);
    prepareAndLoad (stereo, 2);

    for (int block = 0; block < 10; ++block)
    {
        auto input = test::makeNoise (2, blockSize, 0.25f, block + 1);
        input.copyFrom (1, 0, input, 0, 0, blockSize);

        auto monoInput = input;
        monoInput.clear (1, 0, blockSize);

        ASSERT_LT (largestDifference (process (mono, monoInput), process (stereo, input)), 1.0e-6f) << block;
    }
}

TEST (AudioPluginAudioProcessorLifecycle, ABlockBeforeAnyPreparationLeavesTheInputOrSilence)
{
    for (const auto numSamples : { 0, 1, 256, 4096 })
    {
        AudioPluginAudioProcessor processor;
        const auto input = test::makeNoise (2, numSamples, 0.5f);
        auto output = input;
        juce::MidiBuffer midi;
        processor.processBlock (output, midi);

        for (int c = 0; c < 2; ++c)
            for (int k = 0; k < numSamples; ++k)
                ASSERT_TRUE (output.getSample (c, k) == input.getSample (c, k) || output.getSample (c, k) == 0.0f)
                    << numSamples << " samples, channel " << c << ", sample " << k;
    }
}
