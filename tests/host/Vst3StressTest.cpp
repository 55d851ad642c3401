#include "HostedBundle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <vector>

namespace
{
using corvane::test::HostedBundle;

/** Drives the built bundle through JUCE's VST3 host as a DAW does, at any rate and block size. */
class Vst3StressTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE (bundle.getDescription(), nullptr); }

    std::unique_ptr<juce::AudioPluginInstance> createPrepared (double sampleRate, int blockSize)
    {
        auto plugin = bundle.createInstance (sampleRate, blockSize);

        if (plugin != nullptr)
            plugin->prepareToPlay (sampleRate, blockSize);

        return plugin;
    }

    HostedBundle bundle;
};

/** Music-like and different on the two sides: noise under a tone of its own on each. */
juce::AudioBuffer<float> makeMusic (double sampleRate, int length, juce::int64 seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> music (2, length);

    for (int i = 0; i < length; ++i)
    {
        const auto t = static_cast<double> (i) / sampleRate;
        music.setSample (0, i, 0.15f * (random.nextFloat() - 0.5f) + 0.2f * static_cast<float> (std::sin (juce::MathConstants<double>::twoPi * 440.0 * t)));
        music.setSample (1, i, 0.15f * (random.nextFloat() - 0.5f) + 0.2f * static_cast<float> (std::sin (juce::MathConstants<double>::twoPi * 1250.0 * t)));
    }

    return music;
}
} // namespace

TEST_F (Vst3StressTest, EveryRateAndBlockSizeRendersAsFixedBlocksDo)
{
#if defined(ZEM2_ASAN_RUNTIME)
    // The sanitized bundle runs some ten times slower: the lowest, a usual and the highest rate keep every block size.
    const std::vector<double> sampleRates { 22050.0, 44100.0, 192000.0 };
#else
    const std::vector<double> sampleRates { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
#endif
    const std::array<int, 10> preparedSizes { 1, 7, 32, 64, 100, 256, 512, 1000, 2048, 4096 };
    constexpr int referenceBlockSize = 512;

    // A few host blocks at the largest size, and beyond the engines' first partition of the response.
    auto lengthFor = [] (int preparedSize) { return juce::jmax (4096, 4 * preparedSize); };

    for (const auto sampleRate : sampleRates)
    {
        const auto music = makeMusic (sampleRate, lengthFor (preparedSizes.back()), 7);

        auto reference = createPrepared (sampleRate, referenceBlockSize);
        ASSERT_NE (reference, nullptr);
        const auto impulses = HostedBundle::renderSettledImpulses (*reference, sampleRate, HostedBundle::fixedBlocks (referenceBlockSize));
        ASSERT_GT (impulses.getNumSamples(), 0) << "the responses never settled at " << sampleRate << " Hz";
        const auto expected = HostedBundle::render (*reference, music, HostedBundle::fixedBlocks (referenceBlockSize));
        ASSERT_EQ (HostedBundle::firstSampleOutOfBounds (expected), -1);

        std::cout << sampleRate << " Hz, largest difference per prepared size, relative to the peak:";

        for (const auto preparedSize : preparedSizes)
        {
            SCOPED_TRACE (juce::String (sampleRate) + " Hz, prepared for " + juce::String (preparedSize));

            auto plugin = createPrepared (sampleRate, preparedSize);
            ASSERT_NE (plugin, nullptr);

            const auto length = lengthFor (preparedSize);
            juce::AudioBuffer<float> input (2, length);
            for (int channel = 0; channel < 2; ++channel)
                input.copyFrom (channel, 0, music, channel, 0, length);

            auto blockSizes = HostedBundle::randomBlocks (preparedSize, static_cast<juce::int64> (sampleRate) + preparedSize);
            ASSERT_GT (HostedBundle::renderSettledImpulses (*plugin, sampleRate, blockSizes, &impulses).getNumSamples(), 0)
                << "the responses never settled";

            const auto output = HostedBundle::render (*plugin, input, blockSizes);
            const auto at = HostedBundle::firstSampleOutOfBounds (output);
            EXPECT_EQ (at, -1) << output.getSample (0, juce::jmax (0, at)) << ", " << output.getSample (1, juce::jmax (0, at));

            const auto difference = HostedBundle::relativeDifference (output, expected, length);
            EXPECT_LT (difference, 1.0e-4f) << "largest difference from fixed blocks of " << referenceBlockSize << " of the peak";
            std::cout << " " << preparedSize << ": " << difference;
        }

        std::cout << "\n";
    }
}

TEST_F (Vst3StressTest, BadInputsLeaveTheOutputFiniteAndWithinTheClip)
{
    constexpr double sampleRate = 48000.0;
    constexpr int preparedSize = 512;
    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto infinity = std::numeric_limits<float>::infinity();

    struct Case
    {
        const char* name;
        std::function<float (int channel, int index)> sample;
        bool atFullGain;
        bool bypassed;
        bool heardAsSilence;
    };

    const Case cases[] {
        { "silence", [] (int, int) { return 0.0f; }, false, false, false },
        { "denormals", [] (int channel, int i) { return ((i + channel) % 2 == 0 ? 1.0f : -1.0f) * 1.0e-40f; }, false, false, true },
        { "full-scale square waves at full gain", [] (int channel, int i) { return (i / (20 + channel)) % 2 == 0 ? 1.0f : -1.0f; }, true, false, false },
        { "full-scale DC at full gain", [] (int channel, int) { return channel == 0 ? 1.0f : -1.0f; }, true, false, false },
        { "NaN", [=] (int, int) { return nan; }, false, false, true },
        { "infinities of both signs", [=] (int channel, int i) { return (i + channel) % 2 == 0 ? infinity : -infinity; }, false, false, true },
        { "NaN in the left side only", [=] (int channel, int) { return channel == 0 ? nan : 0.0f; }, false, false, true },
        { "NaN with the host's bypass on", [=] (int, int) { return nan; }, false, true, true },
        { "the largest finite values", [] (int channel, int) { return channel == 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max(); }, false, false, true },
    };

    auto plugin = createPrepared (sampleRate, preparedSize);
    ASSERT_NE (plugin, nullptr);
    ASSERT_GT (HostedBundle::renderSettledImpulses (*plugin, sampleRate, HostedBundle::fixedBlocks (preparedSize)).getNumSamples(), 0);

    auto* gain = plugin->getParameters()[1];
    auto* bypass = plugin->getBypassParameter();
    ASSERT_NE (bypass, nullptr);
    const auto defaultGain = gain->getValue();

    // Music, then the bad samples over several host blocks, then music again for as long as the responses last.
    const auto before = 3000, badLength = 1700, after = HostedBundle::responseLength (sampleRate);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);

        gain->setValueNotifyingHost (c.atFullGain ? 1.0f : defaultGain);
        bypass->setValueNotifyingHost (c.bypassed ? 1.0f : 0.0f);
        HostedBundle::renderSilence (*plugin, after, HostedBundle::fixedBlocks (preparedSize));

        auto input = makeMusic (sampleRate, before + badLength + after, 11);
        auto withSilence = input;

        for (int channel = 0; channel < 2; ++channel)
            for (int i = before; i < before + badLength; ++i)
            {
                input.setSample (channel, i, c.sample (channel, i));
                withSilence.setSample (channel, i, 0.0f);
            }

        const auto output = HostedBundle::render (*plugin, input, HostedBundle::randomBlocks (preparedSize, 5));
        const auto at = HostedBundle::firstSampleOutOfBounds (output);
        EXPECT_EQ (at, -1) << "at " << at << ": " << output.getSample (0, juce::jmax (0, at)) << ", "
                           << output.getSample (1, juce::jmax (0, at));

        if (c.heardAsSilence)
        {
            HostedBundle::renderSilence (*plugin, after, HostedBundle::fixedBlocks (preparedSize));
            const auto expected = HostedBundle::render (*plugin, withSilence, HostedBundle::randomBlocks (preparedSize, 5));
            EXPECT_LT (HostedBundle::relativeDifference (output, expected, output.getNumSamples()), 1.0e-6f);
        }
    }

    gain->setValueNotifyingHost (defaultGain);
    bypass->setValueNotifyingHost (0.0f);
}
