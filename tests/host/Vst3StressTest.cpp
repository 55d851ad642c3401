#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>

namespace
{
// The plug-in clips its output here.
constexpr float clipLimit = 2.0f;

using BlockSizes = std::function<int()>;

/** Drives the built bundle through JUCE's VST3 host as a DAW does, at any rate and block size. */
class Vst3StressTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const auto bundle = juce::File (ZEM2_VST3_BUNDLE);
        ASSERT_TRUE (bundle.exists()) << bundle.getFullPathName();

        format.findAllTypesForFile (descriptions, bundle.getFullPathName());
        ASSERT_EQ (descriptions.size(), 1);
    }

    std::unique_ptr<juce::AudioPluginInstance> createPrepared (double sampleRate, int blockSize)
    {
        juce::String error;
        auto plugin = format.createInstanceFromDescription (*descriptions[0], sampleRate, blockSize, error);

        if (plugin == nullptr)
            ADD_FAILURE() << error;
        else
            plugin->prepareToPlay (sampleRate, blockSize);

        return plugin;
    }

    /** The responses last 0.17 s at any rate: this much silence leaves nothing of what came before. */
    static int responseLength (double sampleRate) { return juce::roundToInt (0.2 * sampleRate); }

    static BlockSizes fixedBlocks (int size)
    {
        return [size] { return size; };
    }

    static BlockSizes randomBlocks (int largest, juce::int64 seed)
    {
        return [largest, random = juce::Random (seed)]() mutable { return 1 + random.nextInt (largest); };
    }

    /** The output for the input, fed in place in blocks of the sizes that nextBlockSize hands out. */
    static juce::AudioBuffer<float> render (juce::AudioPluginInstance& plugin,
                                            const juce::AudioBuffer<float>& input,
                                            const BlockSizes& nextBlockSize)
    {
        juce::AudioBuffer<float> output (input);
        juce::MidiBuffer midi;

        for (int start = 0; start < output.getNumSamples();)
        {
            const auto length = juce::jmin (nextBlockSize(), output.getNumSamples() - start);
            juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), output.getNumChannels(), start, length);
            plugin.processBlock (block, midi);
            start += length;
        }

        return output;
    }

    static void renderSilence (juce::AudioPluginInstance& plugin, int length, const BlockSizes& nextBlockSize)
    {
        juce::AudioBuffer<float> silence (2, length);
        silence.clear();
        render (plugin, silence, nextBlockSize);
    }

    static float peakOf (const juce::AudioBuffer<float>& buffer, int channel, int start, int end)
    {
        auto peak = 0.0f;

        for (int i = start; i < end; ++i)
            peak = std::max (peak, std::abs (buffer.getSample (channel, i)));

        return peak;
    }

    /** The largest difference over the first length samples, relative to the reference's peak there. */
    static float relativeDifference (const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& reference, int length)
    {
        auto largest = 0.0f;

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < length; ++i)
            {
                const auto difference = std::abs (output.getSample (channel, i) - reference.getSample (channel, i));

                if (std::isnan (difference))
                    return difference;

                largest = std::max (largest, difference);
            }

        const auto peak = std::max (peakOf (reference, 0, 0, length), peakOf (reference, 1, 0, length));
        return largest / std::max (peak, std::numeric_limits<float>::min());
    }

    /** Where the first sample that is not finite or lies beyond the clip is, or -1. */
    static int firstSampleOutOfBounds (const juce::AudioBuffer<float>& buffer)
    {
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
                if (! std::isfinite (buffer.getSample (channel, i)) || std::abs (buffer.getSample (channel, i)) > clipLimit)
                    return i;

        return -1;
    }

    /** Calls step until it returns true, keeping the message loop running as a host's does; only a real failure
        takes the 30 s. */
    template <typename Step>
    static bool keepTrying (Step&& step)
    {
        for (const auto deadline = juce::Time::getMillisecondCounter() + 30000; juce::Time::getMillisecondCounter() < deadline;)
        {
            if (step())
                return true;

            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        }

        return false;
    }

    /** Each of the four engines takes over its response on a background thread after preparation and crossfades to
        it: settled once an impulse on each side renders twice alike, with the room after it on both ears, or at
        once when it renders as a settled instance did. Each impulse is followed by the responses' length of
        silence, so the plug-in ends up holding nothing. Returns that rendering, or nothing if it never settled. */
    static juce::AudioBuffer<float> renderSettledImpulses (juce::AudioPluginInstance& plugin,
                                                           double sampleRate,
                                                           const BlockSizes& nextBlockSize,
                                                           const juce::AudioBuffer<float>* settledRendering = nullptr)
    {
        const auto gap = responseLength (sampleRate);
        const auto directSound = juce::roundToInt (0.01 * sampleRate);

        juce::AudioBuffer<float> probe (2, 2 * gap);
        probe.clear();
        probe.setSample (0, 0, 1.0f);
        probe.setSample (1, gap, 1.0f);

        juce::AudioBuffer<float> previous (2, 2 * gap), current;
        previous.clear();
        auto failed = false;

        // Renderings in blocks of other sizes differ by rounding only.
        constexpr auto alike = 1.0e-5f;

        const auto settled = keepTrying ([&] {
            current = render (plugin, probe, nextBlockSize);

            if (const auto at = firstSampleOutOfBounds (current); at >= 0)
            {
                ADD_FAILURE() << "an impulse renders a sample that is not finite or beyond the clip at " << at;
                return failed = true;
            }

            if (settledRendering != nullptr && relativeDifference (current, *settledRendering, 2 * gap) < alike)
                return true;

            auto hasRoom = true;

            for (int side = 0; side < 2; ++side)
                for (int ear = 0; ear < 2; ++ear)
                    hasRoom = hasRoom && peakOf (current, ear, side * gap + directSound, (side + 1) * gap) > 1.0e-4f;

            const auto twiceAlike = relativeDifference (current, previous, 2 * gap) < alike;
            previous.makeCopyOf (current);
            return hasRoom && twiceAlike;
        });

        return settled && ! failed ? current : juce::AudioBuffer<float>();
    }

    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> descriptions;
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
    const std::array<double, 7> sampleRates { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
    const std::array<int, 10> preparedSizes { 1, 7, 32, 64, 100, 256, 512, 1000, 2048, 4096 };
    constexpr int referenceBlockSize = 512;

    // A few host blocks at the largest size, and beyond the engines' first partition of the response.
    auto lengthFor = [] (int preparedSize) { return juce::jmax (4096, 4 * preparedSize); };

    for (const auto sampleRate : sampleRates)
    {
        const auto music = makeMusic (sampleRate, lengthFor (preparedSizes.back()), 7);

        auto reference = createPrepared (sampleRate, referenceBlockSize);
        ASSERT_NE (reference, nullptr);
        const auto impulses = renderSettledImpulses (*reference, sampleRate, fixedBlocks (referenceBlockSize));
        ASSERT_GT (impulses.getNumSamples(), 0) << "the responses never settled at " << sampleRate << " Hz";
        const auto expected = render (*reference, music, fixedBlocks (referenceBlockSize));
        ASSERT_EQ (firstSampleOutOfBounds (expected), -1);

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

            auto blockSizes = randomBlocks (preparedSize, static_cast<juce::int64> (sampleRate) + preparedSize);
            ASSERT_GT (renderSettledImpulses (*plugin, sampleRate, blockSizes, &impulses).getNumSamples(), 0)
                << "the responses never settled";

            const auto output = render (*plugin, input, blockSizes);
            const auto at = firstSampleOutOfBounds (output);
            EXPECT_EQ (at, -1) << output.getSample (0, juce::jmax (0, at)) << ", " << output.getSample (1, juce::jmax (0, at));

            const auto difference = relativeDifference (output, expected, length);
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
    ASSERT_GT (renderSettledImpulses (*plugin, sampleRate, fixedBlocks (preparedSize)).getNumSamples(), 0);

    auto* gain = plugin->getParameters()[1];
    auto* bypass = plugin->getBypassParameter();
    ASSERT_NE (bypass, nullptr);
    const auto defaultGain = gain->getValue();

    // Music, then the bad samples over several host blocks, then music again for as long as the responses last.
    const auto before = 3000, badLength = 1700, after = responseLength (sampleRate);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);

        gain->setValueNotifyingHost (c.atFullGain ? 1.0f : defaultGain);
        bypass->setValueNotifyingHost (c.bypassed ? 1.0f : 0.0f);
        renderSilence (*plugin, after, fixedBlocks (preparedSize));

        auto input = makeMusic (sampleRate, before + badLength + after, 11);
        auto withSilence = input;

        for (int channel = 0; channel < 2; ++channel)
            for (int i = before; i < before + badLength; ++i)
            {
                input.setSample (channel, i, c.sample (channel, i));
                withSilence.setSample (channel, i, 0.0f);
            }

        const auto output = render (*plugin, input, randomBlocks (preparedSize, 5));
        const auto at = firstSampleOutOfBounds (output);
        EXPECT_EQ (at, -1) << "at " << at << ": " << output.getSample (0, juce::jmax (0, at)) << ", "
                           << output.getSample (1, juce::jmax (0, at));

        if (c.heardAsSilence)
        {
            renderSilence (*plugin, after, fixedBlocks (preparedSize));
            const auto expected = render (*plugin, withSilence, randomBlocks (preparedSize, 5));
            EXPECT_LT (relativeDifference (output, expected, output.getNumSamples()), 1.0e-6f);
        }
    }

    gain->setValueNotifyingHost (defaultGain);
    bypass->setValueNotifyingHost (0.0f);
}
