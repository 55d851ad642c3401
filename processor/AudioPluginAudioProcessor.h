#pragma once

#include "dsp/LevelAnalyzer.h"
#include "dsp/MainProcessor.h"
#include "editor/SharedApplicationState.h"
#include "interfaces/IAudioSampleProvider.h"
#include "interfaces/IAudioStateProvider.h"
#include "interfaces/IOLevelProviderInterface.h"
#include "processor/ApvtsManager.h"

#include <juce_dsp/juce_dsp.h>

#include <atomic>
#include <memory>

namespace corvane
{
/** The processor that the host drives: the shell around the binaural chain. Every block is processed in a
    preallocated two-channel work buffer, measured on its way in and out, clipped to +-2.0 and faded in over
    30 ms after a fresh preparation. */
class AudioPluginAudioProcessor : public juce::AudioProcessor
    , public IAudioStateProvider
    , public IOLevelProviderInterface
    , public IAudioSampleProvider
    , private juce::ValueTree::Listener
{
public:
    AudioPluginAudioProcessor();
    ~AudioPluginAudioProcessor() override;

    const juce::String getName() const override { return "ZEM2"; }
    void prepareToPlay (double sampleRate, int maximumBlockSize) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlockBypassed;
    double getTailLengthSeconds() const override { return mainProcessor->getTailLengthSeconds(); }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override;
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    double getSampleRate() override { return juce::AudioProcessor::getSampleRate(); }
    int getBlockSize() override { return juce::AudioProcessor::getBlockSize(); }

    void getInputPeakLevels (juce::Array<float>& levels) override { inputLevelAnalyzer->getPeakLevels (levels); }
    void getOutputPeakLevels (juce::Array<float>& levels) override { outputLevelAnalyzer->getPeakLevels (levels); }
    void getInputLevels (juce::Array<float>& levels) override { getInputPeakLevels (levels); }
    void getOutputLevels (juce::Array<float>& levels) override { getOutputPeakLevels (levels); }

    int getNumReady() override { return mainProcessor->getNumReady(); }
    bool read (juce::AudioBuffer<float>& destination) override { return mainProcessor->read (destination); }
    void skip (int numSamples) override { mainProcessor->skip (numSamples); }

    ApvtsManager& getApvtsManager() noexcept { return *apvtsManager; }
    MainProcessor& getMainProcessor() noexcept { return *mainProcessor; }
    juce::ValueTree& getConfigState() noexcept { return configState; }

    /** The version that a saved state carries; another one only earns a debug message. */
    static constexpr const char* stateVersion = "2.1.1";

private:
    void restoreConfigState (const juce::ValueTree& stored);
    void processPiece (juce::AudioBuffer<float>& buffer, int start, int numSamples, juce::MidiBuffer& midi);

    void valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property) override;
    void updateConfigStateText();

    std::unique_ptr<MainProcessor> mainProcessor;
    std::unique_ptr<ApvtsManager> apvtsManager;
    std::unique_ptr<LevelAnalyzer> inputLevelAnalyzer;
    std::unique_ptr<LevelAnalyzer> outputLevelAnalyzer;
    juce::AudioBuffer<float> workBuffer;
    juce::dsp::Gain<float> outputGain;
    std::atomic<double> outputGainTarget { 0.0 };
    juce::ValueTree configState { "ConfigState" };

    // ConfigState changes only on the message thread, but hosts may save from another thread: they read this
    // copy, refreshed under the lock whenever the tree changes.
    juce::String configStateText;
    juce::CriticalSection configStateTextLock;

    std::shared_ptr<SharedApplicationState> sharedApplicationState;

    JUCE_DECLARE_WEAK_REFERENCEABLE (AudioPluginAudioProcessor)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioPluginAudioProcessor)
};
} // namespace corvane
