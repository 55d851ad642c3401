#include "dsp/GainProcessor.h"

#include <cmath>

namespace corvane
{
float masterGainFactor (float gainDb) noexcept
{
    constexpr float muteThresholdDb = -47.99f;

    if (gainDb <= muteThresholdDb)
        return 0.0f;

    return juce::jlimit (0.0f, 2.0f, std::pow (10.0f, gainDb * 0.05f));
}

void GainProcessor::prepareToPlay (double, int)
{
    previousGain.store (getTargetGain(), std::memory_order_relaxed);
}

void GainProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const auto target = getTargetGain();
    const auto previous = getPreviousGain();
    const auto numSamples = buffer.getNumSamples();

    if (target == previous)
    {
        // applyGain leaves the samples alone at exactly 1.0 and zeroes them at exactly 0.0.
        buffer.applyGain (previous);
        return;
    }

    if (! buffer.hasBeenCleared() && numSamples > 0)
    {
        const auto increment = (target - previous) / static_cast<float> (numSamples);

        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        {
            auto* samples = buffer.getWritePointer (channel);
            auto factor = previous;

            for (int i = 0; i < numSamples; ++i)
            {
                samples[i] *= factor;
                factor += increment;
            }
        }
    }

    previousGain.store (target, std::memory_order_relaxed);
}
} // namespace corvane
