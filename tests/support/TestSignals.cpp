#include "TestSignals.h"

#include <juce_events/juce_events.h>

namespace corvane::test
{
void pumpMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, float amplitude, juce::int64 seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (int channel = 0; channel < numChannels; ++channel)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (channel, i, amplitude * (2.0f * random.nextFloat() - 1.0f));

    return buffer;
}

juce::AudioBuffer<float> makeConstant (int numChannels, int numSamples, float value)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (int channel = 0; channel < numChannels; ++channel)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (channel), value, numSamples);

    return buffer;
}
} // namespace corvane::test
