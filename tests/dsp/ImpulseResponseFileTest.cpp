#include "dsp/BinauralProcessor.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** The whole file as the processor's reader decodes it: left ear in channel 0, right ear in channel 1. */
juce::AudioBuffer<float> decode (const EmbeddedResource& resource)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (
        new juce::MemoryInputStream (resource.data, static_cast<size_t> (resource.size), false), true));

    if (reader == nullptr || reader->sampleRate != 192000.0 || reader->numChannels != 2)
        return {};

    juce::AudioBuffer<float> buffer (2, static_cast<int> (reader->lengthInSamples));
    reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);
    return buffer;
}

double energy (const juce::AudioBuffer<float>& buffer, int channel, int start, int end)
{
    double sum = 0.0;

    for (int i = start; i < end; ++i)
        sum += juce::square (static_cast<double> (buffer.getSample (channel, i)));

    return sum;
}
} // namespace

TEST (EmbeddedImpulseResponses, AreMirrorImagesWithTheNearEarLouderAndNothingBeyondWhatIsUsed)
{
    const auto left = decode (impulseResponseResources[0]);
    const auto right = decode (impulseResponseResources[1]);
    constexpr auto used = BinauralProcessor::impulseResponseLength;

    ASSERT_GE (left.getNumSamples(), used) << "stereo at 192 kHz, at least as long as the processor reads";
    ASSERT_EQ (right.getNumSamples(), left.getNumSamples());

    for (int i = 0; i < left.getNumSamples(); ++i)
    {
        ASSERT_EQ (left.getSample (0, i), right.getSample (1, i)) << i;
        ASSERT_EQ (left.getSample (1, i), right.getSample (0, i)) << i;
    }

    const auto nearEnergy = energy (left, 0, 0, used);
    const auto farBelowNearDb = 10.0 * std::log10 (nearEnergy / energy (left, 1, 0, used));
    EXPECT_NEAR (nearEnergy, 0.96, 0.05);
    EXPECT_GT (farBelowNearDb, 5.0);
    EXPECT_LT (farBelowNearDb, 12.0);

    // The processor cuts the responses at this length; what it leaves out must be inaudible.
    const auto end = left.getNumSamples();
    EXPECT_LT (energy (left, 0, used, end) + energy (left, 1, used, end), 6.0e-6);
}
