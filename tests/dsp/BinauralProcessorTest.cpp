#include "dsp/BinauralProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

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

/** The response as an engine that does not compensate the resampler's gain would hold it at another rate. */
std::vector<float> resampleResponse (const std::vector<float>& response, double targetRate)
{
    juce::AudioBuffer<float> source (1, static_cast<int> (response.size()));
    std::copy (response.begin(), response.end(), source.getWritePointer (0));

    juce::MemoryAudioSource memory (source, false);
    juce::ResamplingAudioSource resampler (&memory, false, 1);
    const auto ratio = responseRate / targetRate;
    const auto length = juce::roundToInt (static_cast<double> (response.size()) / ratio);
    resampler.setResamplingRatio (ratio);
    resampler.prepareToPlay (length, responseRate);

    juce::AudioBuffer<float> result (1, length);
    resampler.getNextAudioBlock ({ &result, 0, length });
    return { result.getReadPointer (0), result.getReadPointer (0) + length };
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

float peakOf (const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (auto s : samples)
        peak = juce::jmax (peak, std::abs (s));
    return peak;
}

class BinauralProcessorTest : public testing::Test
{
protected:
    void prepare (double sampleRate, int samplesPerBlock)
    {
        blockSize = samplesPerBlock;
        binaural.prepareToPlay (sampleRate, blockSize);
    }

    /** Feeds silence until every engine has taken over its response from the background loader, then until the
        engines' own 50 ms switch-over has passed, so that what follows is the response alone. */
    void waitForResponses (double sampleRate)
    {
        const auto loadedLength = juce::roundToInt (BinauralProcessor::impulseResponseLength * sampleRate / responseRate);

        for (int attempt = 0; attempt < 1000 && ! allResponsesLoaded (loadedLength); ++attempt)
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
            if (binaural.getImpulseResponseSize (k) != length)
                return false;
        return true;
    }

    void processSilence (int numBlocks)
    {
        juce::AudioBuffer<float> silence (2, blockSize);
        for (int i = 0; i < numBlocks; ++i)
        {
            silence.clear();
            binaural.processBlock (silence, midi);
        }
    }

    struct Rendered
    {
        std::vector<float> left, right;
        std::array<std::vector<float>, 4> scope;
    };

    /** Processes the stereo input block by block, with zeros appended for the length of the responses. */
    Rendered render (const std::vector<float>& inLeft, const std::vector<float>& inRight, int extraSamples)
    {
        Rendered out;
        const auto total = static_cast<int> (inLeft.size()) + extraSamples;
        juce::AudioBuffer<float> block (2, blockSize);

        for (int start = 0; start < total; start += blockSize)
        {
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

            binaural.processBlock (block, midi);

            for (int k = 0; k < blockSize; ++k)
            {
                out.left.push_back (block.getSample (0, k));
                out.right.push_back (block.getSample (1, k));
                for (int s = 0; s < 4; ++s)
                    out.scope[static_cast<size_t> (s)].push_back (binaural.getScopeBuffer().getSample (s, k));
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

    /** Feeds a noise burst into one input alone, at the responses' own rate so no resampling is involved,
        and compares both ears and the scope with a direct convolution of that loudspeaker's responses. */
    void expectOnlyThePathsOf (int loudspeaker)
    {
        waitForResponses (responseRate);

        const auto input = burst (300, 11 + loudspeaker);
        const std::vector<float> silence (input.size(), 0.0f);
        const auto out = loudspeaker == 0 ? render (input, silence, BinauralProcessor::impulseResponseLength)
                                          : render (silence, input, BinauralProcessor::impulseResponseLength);

        const auto gain = static_cast<float> (binaural.getImpulseResponseGain());
        const auto expectedLeft = convolve (input, readResponse (loudspeaker, 0), gain);
        const auto expectedRight = convolve (input, readResponse (loudspeaker, 1), gain);
        const auto tolerance = 1.0e-5f * juce::jmax (peakOf (expectedLeft), peakOf (expectedRight));

        expectClose (out.left, expectedLeft, tolerance);
        expectClose (out.right, expectedRight, tolerance);

        // Scope channels: left ear from the left speaker, left ear from the right, then the same for the right ear.
        const auto own = static_cast<size_t> (loudspeaker);
        const auto other = static_cast<size_t> (1 - loudspeaker);
        expectClose (out.scope[own], expectedLeft, tolerance);
        expectClose (out.scope[own + 2], expectedRight, tolerance);
        EXPECT_EQ (peakOf (out.scope[other]), 0.0f);
        EXPECT_EQ (peakOf (out.scope[other + 2]), 0.0f);
    }

    static std::vector<float> burst (int length, juce::int64 seed)
    {
        const auto noise = test::makeNoise (1, length, 0.5f, seed);
        return { noise.getReadPointer (0), noise.getReadPointer (0) + length };
    }

    BinauralProcessor binaural;
    juce::MidiBuffer midi;
    int blockSize = 512;
};
} // namespace

TEST_F (BinauralProcessorTest, LeftInputReachesEachEarOnlyThroughTheLeftLoudspeakersResponses)
{
    prepare (responseRate, 512);
    expectOnlyThePathsOf (0);
}

TEST_F (BinauralProcessorTest, RightInputReachesEachEarOnlyThroughTheRightLoudspeakersResponses)
{
    prepare (responseRate, 256);
    expectOnlyThePathsOf (1);
}

TEST_F (BinauralProcessorTest, LevelAtOtherRatesIsTheResponseGainOverTheResampledResponse)
{
    prepare (48000.0, 480);
    waitForResponses (48000.0);

    std::vector<float> impulse (480, 0.0f);
    impulse[0] = 1.0f;
    const std::vector<float> silence (impulse.size(), 0.0f);
    const auto out = render (impulse, silence, 8192);

    const auto gain = static_cast<float> (binaural.getImpulseResponseGain());
    const auto expectedLeft = convolve (impulse, resampleResponse (readResponse (0, 0), 48000.0), gain);
    expectClose (out.left, expectedLeft, 1.0e-5f * peakOf (expectedLeft));
}

TEST_F (BinauralProcessorTest, ResponseGainFollowsTheSampleRateWithoutLatency)
{
    const std::pair<double, double> expected[] = {
        { 44100.0, 1.862087 }, { 48000.0, 1.710793 }, { 96000.0, 0.855396 }, { 192000.0, 0.427698 }
    };

    for (const auto& [rate, gain] : expected)
    {
        BinauralProcessor processor;
        processor.prepareToPlay (rate, 256);
        EXPECT_NEAR (processor.getImpulseResponseGain(), gain, 1.0e-6) << rate;
        EXPECT_EQ (processor.getLatencySamples(), 0);
    }
}

TEST_F (BinauralProcessorTest, BypassFromTheFirstBlockFadesToTheDryInputWithinFiftyMilliseconds)
{
    prepare (48000.0, 480);
    binaural.setBypassed (true);

    const auto input = test::makeNoise (2, 480, 0.5f, 5);

    for (int block = 0; block < 8; ++block)
    {
        auto buffer = input;
        binaural.processBlock (buffer, midi);

        if (block == 0)
        {
            EXPECT_GT (std::abs (buffer.getSample (0, 0) - input.getSample (0, 0)), 1.0e-3f);
        }

        if (block >= 5) // 2400 samples: the crossfade has ended
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int k = 0; k < 480; ++k)
                    ASSERT_EQ (buffer.getSample (channel, k), input.getSample (channel, k));
        }
    }

    // While bypassed the scope shows the output: left in 0 and 2, right in 1 and 3.
    const auto& scope = binaural.getScopeBuffer();
    for (int k = 0; k < 480; ++k)
    {
        ASSERT_EQ (scope.getSample (0, k), input.getSample (0, k));
        ASSERT_EQ (scope.getSample (2, k), input.getSample (0, k));
        ASSERT_EQ (scope.getSample (1, k), input.getSample (1, k));
        ASSERT_EQ (scope.getSample (3, k), input.getSample (1, k));
    }
}

TEST_F (BinauralProcessorTest, SwitchingBackAndForthWithinFiftyMillisecondsNeverJumps)
{
    prepare (48000.0, 128);
    waitForResponses (48000.0);

    // A slow sine changes by at most 0.007 per sample; a hard switch between wet and dry would jump by far more.
    float previous = 0.0f;
    float largestStep = 0.0f;
    int sampleIndex = 0;
    juce::AudioBuffer<float> buffer (2, 128);

    for (int block = 0; block < 150; ++block)
    {
        binaural.setBypassed ((block / 3) % 2 == 0); // a new switch every 8 ms

        for (int k = 0; k < 128; ++k, ++sampleIndex)
        {
            const auto value = 0.5f * std::sin (juce::MathConstants<float>::twoPi * 100.0f * static_cast<float> (sampleIndex) / 48000.0f);
            buffer.setSample (0, k, value);
            buffer.setSample (1, k, value);
        }

        binaural.processBlock (buffer, midi);

        for (int k = 0; k < 128; ++k)
        {
            largestStep = juce::jmax (largestStep, std::abs (buffer.getSample (0, k) - previous));
            previous = buffer.getSample (0, k);
        }
    }

    EXPECT_LT (largestStep, 0.05f);
}

TEST_F (BinauralProcessorTest, ShortBlockLeavesTheRestOfTheScopeAtZero)
{
    EXPECT_EQ (binaural.getScopeBuffer().getNumChannels(), 0);
    EXPECT_EQ (binaural.getScopeBuffer().getNumSamples(), 0);

    prepare (48000.0, 512);
    waitForResponses (48000.0);

    auto buffer = test::makeNoise (2, 100, 0.5f, 9);
    binaural.processBlock (buffer, midi);

    const auto& scope = binaural.getScopeBuffer();
    ASSERT_EQ (scope.getNumChannels(), 4);
    ASSERT_EQ (scope.getNumSamples(), 512);
    EXPECT_GT (scope.getMagnitude (0, 0, 100), 0.0f);

    for (int channel = 0; channel < 4; ++channel)
        EXPECT_EQ (scope.getMagnitude (channel, 100, 412), 0.0f) << channel;

    // The output's left channel is the sum of the two left-ear paths.
    for (int k = 0; k < 100; ++k)
        ASSERT_NEAR (buffer.getSample (0, k), scope.getSample (0, k) + scope.getSample (1, k), 1.0e-6f);
}

TEST_F (BinauralProcessorTest, ReleaseThenPrepareReloadsAllFourResponses)
{
    prepare (48000.0, 256);
    waitForResponses (48000.0);

    binaural.releaseResources();
    prepare (96000.0, 256);
    waitForResponses (96000.0);

    for (int k = 0; k < BinauralProcessor::numEngines; ++k)
        EXPECT_EQ (binaural.getImpulseResponseSize (k), 16384);

    std::vector<float> impulse (256, 0.0f);
    impulse[0] = 1.0f;
    const auto out = render (impulse, impulse, 16384);
    EXPECT_GT (peakOf (out.left), 0.05f);
    EXPECT_NEAR (peakOf (out.left), peakOf (out.right), 1.0e-3f);
}
