#pragma once

#include "dsp/ProcessorBase.h"
#include "resources/EmbeddedResource.h"

#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>
#include <memory>

namespace corvane
{
/** The two embedded loudspeaker responses, left loudspeaker first; channel 0 of each is the left ear. */
extern const std::array<EmbeddedResource, 2> impulseResponseResources;

/** Renders a stereo loudspeaker mix for headphones: each input side is convolved with its loudspeaker's two ear
    responses, the four paths are summed per ear, and a 50 ms crossfade follows the bypass flag. The
    convolutions run in every block, bypassed or not, so switching back never starts from a cold engine. */
class BinauralProcessor : public ProcessorBase
{
public:
    static constexpr int numEngines = 4;
    static constexpr int impulseResponseLength = 32768;
    static constexpr double embeddedResponseSampleRate = 192000.0;

    BinauralProcessor();
    ~BinauralProcessor() override;

    const juce::String getName() const override { return "BinauralProcessor"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;
    void reset() override;

    /** The responses' length at the processing rate: how long the output goes on sounding after the input
        stops. May be asked on any thread. */
    double getTailLengthSeconds() const override { return tailSeconds.load(); }

    void setBypassed (bool shouldBeBypassed) noexcept { bypassed.store (shouldBeBypassed); }

    /** The four paths of the last block (left ear: left speaker, right speaker; right ear: the same), or the
        output twice over while bypassed. Samples beyond the block's length are zero. */
    juce::AudioBuffer<float>& getScopeBuffer() noexcept { return scopeBuffer; }

    /** Gain applied to every convolved path at the prepared sample rate. */
    double getImpulseResponseGain() const noexcept { return irGain; }

    /** The length of the response that an engine uses at the processing rate, from the end of a preparation. */
    int getImpulseResponseSize (int engineIndex) const { return convolutions.at (static_cast<size_t> (engineIndex))->getCurrentIRSize(); }

private:
    void loadResponses();

    std::array<std::unique_ptr<juce::dsp::Convolution>, numEngines> convolutions;
    juce::dsp::DryWetMixer<float> dryWetMixer;
    std::atomic<bool> bypassed { false };
    double wetMixProportion = 1.0;
    double irGain = 0.0;
    double resamplingCompensation = 1.0;
    double responseSampleRate = embeddedResponseSampleRate;
    bool responsesLoaded = false;
    std::atomic<double> tailSeconds { impulseResponseLength / embeddedResponseSampleRate };
    juce::AudioBuffer<float> monoBuffer;
    juce::AudioBuffer<float> stereoBuffer;
    juce::AudioBuffer<float> scopeBuffer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BinauralProcessor)
};
} // namespace corvane
