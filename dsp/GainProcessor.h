#pragma once

#include "dsp/ProcessorBase.h"

#include <atomic>

namespace corvane
{
/** The "Master Gain" law: mute at -47.99 dB and below, otherwise the dB value as a linear factor limited to
    2.0, so every setting above about +6.02 dB sounds the same. */
float masterGainFactor (float gainDb) noexcept;

/** Applies the master gain factor, ramping linearly across one block whenever the factor changed. */
class GainProcessor : public ProcessorBase
{
public:
    GainProcessor() = default;
    ~GainProcessor() override = default;

    const juce::String getName() const override { return "Gain"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** Written by the audio thread before each block and read by the next preparation on the host's thread. */
    void setTargetGain (float newTarget) noexcept { targetGain.store (newTarget, std::memory_order_relaxed); }
    float getTargetGain() const noexcept { return targetGain.load (std::memory_order_relaxed); }
    float getPreviousGain() const noexcept { return previousGain.load (std::memory_order_relaxed); }

private:
    std::atomic<float> previousGain { 0.0f };
    std::atomic<float> targetGain { 0.0f };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GainProcessor)
};
} // namespace corvane
