#include "dsp/BinauralProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace corvane;

namespace
{
constexpr double responseRate = 192000.0;

/** The first 32768 frames of one ear of one loudspeaker, read from the embedded WAV as the processor reads it. */
std::vector<float> readResponse (int loudspeaker, int ear)
{
    const auto& resource = impulseResponseResources.at (static_cast<size_t> (loudspeaker));
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (
        new juce::MemoryInputStream (resource.data, static_cast<size_t> (resource.size), false), true));

    juce::AudioBuffer<float> buffer (2, BinauralProcessor::impulseResponseLength);
    reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);

    const auto* samples = buffer.getReadPointer (ear);
    return { samples, samples + buffer.getNumSamples() };
}

std::vector<float> convolve (const std::vector<float>& signal, const std::vector<float>& response, float gain)
{
    std::vector<float> result (signal.size() + response.size(), 0.0f);

    for (size_t i = 0; i < signal.size(); ++i)
        if (signal[i] != 0.0f)
            for (size_t j = 0; j < response.size(); ++j)
                result[i + j] += gain * signal[i] * response[j];

    return result;
}

/** A 100 Hz sine: low enough that the resampled responses still hold it, slow enough to show any jump. */
std::vector<float> sine (double sampleRate, double seconds, float amplitude)
{
    std::vector<float> samples (static_cast<size_t> (seconds * sampleRate));

    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude
                   * std::sin (juce::MathConstants<float>::twoPi * 100.0f * static_cast<float> (i / sampleRate));

    return samples;
}

float peakOf (const std::vector<float>& samples)
{
    const auto range = juce::FloatVectorOperations::findMinAndMax (samples.data(), (int) samples.size());
    return juce::jmax (-range.getStart(), range.getEnd());
}

class BinauralProcessorTest : public testing::Test
{
protected:
    void prepare (double sampleRate, int samplesPerBlock)
    {
        blockSize = samplesPerBlock;
        binaural->prepareToPlay (sampleRate, blockSize);
    }

    /** Feeds silence until every engine has taken over its response from the background loader, then until the
        engines' own 50 ms switch-over has passed, so that what follows is the response alone. */
    void waitForResponses (double sampleRate)
    {
        const auto loadedLength = juce::roundToInt (BinauralProcessor::impulseResponseLength * sampleRate / responseRate);

        const auto deadline = juce::Time::getMillisecondCounter() + 30000;
        while (! allResponsesLoaded (loadedLength) && juce::Time::getMillisecondCounter() < deadline)
        {
            processSilence (1);
            juce::Thread::sleep (5);
        }

        ASSERT_TRUE (allResponsesLoaded (loadedLength));
        processSilence (static_cast<int> (0.06 * sampleRate) / blockSize + 1);
    }

    bool allResponsesLoaded (int length) const
    {
        for (int k = 0; k < BinauralProcessor::numEngines; ++k)
            if (binaural->getImpulseResponseSize (k) != length)
                return false;
        return true;
    }

    void processSilence (int numBlocks)
    {
        for (int i = 0; i < numBlocks; ++i)
            render ({}, {}, blockSize);
    }

    struct Rendered
    {
        std::vector<float> left, right;
        std::array<std::vector<float>, 4> scope;
    };

    /** Processes the stereo input block by block, with zeros appended for the length of the responses; the hook
        runs before each block. */
    Rendered render (
        const std::vector<float>& inLeft,
        const std::vector<float>& inRight,
        int extraSamples,
        const std::function<void (int)>& beforeBlock = [] (int) {})
    {
        Rendered out;
        const auto total = static_cast<int> (inLeft.size()) + extraSamples;
        juce::AudioBuffer<float> block (2, blockSize);

        for (int start = 0; start < total; start += blockSize)
        {
            beforeBlock (start / blockSize);
            block.clear();
            for (int k = 0; k < blockSize; ++k)
            {
                const auto index = static_cast<size_t> (start + k);
                if (index < inLeft.size())
                {
                    block.setSample (0, k, inLeft[index]);
                    block.setSample (1, k, inRight[index]);
                }
            }

            binaural->processBlock (block, midi);

            for (int k = 0; k < blockSize; ++k)
            {
                out.left.push_back (block.getSample (0, k));
                out.right.push_back (block.getSample (1, k));
                for (int s = 0; s < 4; ++s)
                    out.scope[static_cast<size_t> (s)].push_back (binaural->getScopeBuffer().getSample (s, k));
            }
        }

        return out;
    }

    static void expectClose (const std::vector<float>& actual, const std::vector<float>& expected, float tolerance)
    {
        const auto length = juce::jmin (actual.size(), expected.size());
        for (size_t i = 0; i < length; ++i)
            ASSERT_NEAR (actual[i], expected[i], tolerance) << "sample " << i;
    }

    std::unique_ptr<BinauralProcessor> binaural = std::make_unique<BinauralProcessor>();
    juce::MidiBuffer midi;
    int blockSize = 512;
};
} // namespace

TEST_F (BinauralProcessorTest, EachInputReachesEachEarOnlyThroughItsLoudspeakersResponses)
{
    // A noise burst into one input alone, at the responses' own rate so that no resampling is involved, against
    // a direct convolution. Scope channels: left ear from the left speaker, left ear from the right, then the
    // same for the right ear.
    for (auto [loudspeaker, samplesPerBlock] : { std::pair { 0, 512 }, { 1, 256 } })
    {
        SCOPED_TRACE (loudspeaker);
        binaural = std::make_unique<BinauralProcessor>();
        prepare (responseRate, samplesPerBlock);
        waitForResponses (responseRate);

        const auto noise = test::makeNoise (1, 300, 0.5f, 11 + loudspeaker);
        const std::vector<float> input (noise.getReadPointer (0), noise.getReadPointer (0) + 300);
        const std::vector<float> silence (input.size(), 0.0f);
        const auto out = loudspeaker == 0 ? render (input, silence, BinauralProcessor::impulseResponseLength)
                                          : render (silence, input, BinauralProcessor::impulseResponseLength);

        const auto gain = static_cast<float> (binaural->getImpulseResponseGain());
        const auto expectedLeft = convolve (input, readResponse (loudspeaker, 0), gain);
        const auto expectedRight = convolve (input, readResponse (loudspeaker, 1), gain);
        const auto tolerance = 1.0e-5f * juce::jmax (peakOf (expectedLeft), peakOf (expectedRight));

        const auto own = static_cast<size_t> (loudspeaker);
        const auto other = static_cast<size_t> (1 - loudspeaker);
        expectClose (out.left, expectedLeft, tolerance);
        expectClose (out.right, expectedRight, tolerance);
        expectClose (out.scope[own], expectedLeft, tolerance);
        expectClose (out.scope[own + 2], expectedRight, tolerance);
        EXPECT_EQ (peakOf (out.scope[other]), 0.0f);
        EXPECT_EQ (peakOf (out.scope[other + 2]), 0.0f);
    }
}

TEST_F (BinauralProcessorTest, LevelIsTheSameAtEveryRateAndWithoutLatency)
{
    // A 100 Hz tone into both inputs, measured over its last five periods once the responses have taken it in.
    // Each rate gets a new processor: one prepared again swaps in its reloaded responses at an unknown moment.
    std::optional<double> levelAtTheResponsesRate;

    for (auto rate : { responseRate, 96000.0, 48000.0, 44100.0 })
    {
        binaural = std::make_unique<BinauralProcessor>();
        prepare (rate, 256);
        waitForResponses (rate);
        EXPECT_EQ (binaural->getLatencySamples(), 0);

        const auto tone = sine (rate, 0.25, 0.1f);
        const auto out = render (tone, tone, 0);
        const auto period = static_cast<size_t> (rate / 100.0);
        double sum = 0.0;
        for (auto i = tone.size() - 5 * period; i < tone.size(); ++i)
            sum += juce::square (static_cast<double> (out.left[i]));

        const auto level = std::sqrt (sum / static_cast<double> (5 * period));

        if (! levelAtTheResponsesRate.has_value())
            levelAtTheResponsesRate = level;

        EXPECT_NEAR (juce::Decibels::gainToDecibels (level / *levelAtTheResponsesRate), 0.0, 0.2) << rate;
    }
}

TEST_F (BinauralProcessorTest, SwitchingBackAndForthWithinFiftyMillisecondsNeverJumps)
{
    prepare (48000.0, 128);
    waitForResponses (48000.0);

    // A slow sine changes by at most 0.007 per sample; a hard switch between wet and dry would jump by far more.
    const auto tone = sine (48000.0, 0.4, 0.5f);
    const auto out = render (tone, tone, 0, [&] (int block) { binaural->setBypassed ((block / 3) % 2 == 0); });

    float largestStep = 0.0f;
    for (size_t i = 1; i < out.left.size(); ++i)
        largestStep = juce::jmax (largestStep, std::abs (out.left[i] - out.left[i - 1]));

    EXPECT_LT (largestStep, 0.05f) << "a new switch every 8 ms";
}
