#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace corvane
{
/** A juce::AudioProcessor with neutral bodies for everything the framework leaves abstract, so that the inner
    processors of the chain only override what they do. Built with the framework's default buses: a stereo
    "Input" and "Output", both disabled until enabled. */
class ProcessorBase : public juce::AudioProcessor
{
public:
    ~ProcessorBase() override = default;

    const juce::String getName() const override { return {}; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 0; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};
} // namespace corvane
