#include "NoiseSource.h"

namespace corvane::bench
{
NoiseSource::NoiseSource (double sampleRate, int blockSize)
    : noise (2, juce::roundToInt (sampleRate))
    , block (2, blockSize)
{
    constexpr float level = 0.1f;
    juce::Random random (42);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < noise.getNumSamples(); ++i)
            noise.setSample (channel, i, level * (2.0f * random.nextFloat() - 1.0f));
}

juce::AudioBuffer<float>& NoiseSource::next()
{
    if (position + block.getNumSamples() > noise.getNumSamples())
        position = 0;

    for (int channel = 0; channel < 2; ++channel)
        block.copyFrom (channel, 0, noise, channel, position, block.getNumSamples());

    position += block.getNumSamples();
    return block;
}
} // namespace corvane::bench
