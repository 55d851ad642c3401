#pragma once

#include "interfaces/IAudioStateProvider.h"
#include "interfaces/IProcessorStateController.h"

namespace corvane
{
/** "Master Gain" as the host shows it: one decimal and " dB"; the maximum length is ignored. */
juce::String masterGainValueToText (float value, int maximumStringLength);

/** Owns the parameter state of the plug-in and offers access to it by parameter ID. */
class ApvtsManager : public IProcessorStateController
{
public:
    ApvtsManager (juce::AudioProcessor& processor, IAudioStateProvider* audioStateProvider);
    ~ApvtsManager() override;

    float getValue (juce::String parameterID) override;
    int getIntValue (juce::String parameterID) override;
    float getNormalisedValue (juce::String parameterID) override;
    juce::String getText (juce::String parameterID) override;
    float getDefaultValue (juce::String parameterID) override;
    bool getBoolValue (juce::String parameterID) override;
    void addParameterListener (juce::StringRef parameterID,
                               juce::AudioProcessorValueTreeState::Listener* listener) override;
    void removeParameterListener (juce::StringRef parameterID,
                                  juce::AudioProcessorValueTreeState::Listener* listener) override;

    void setValue (juce::String parameterID, float value) override;
    void setIntValue (juce::String parameterID, int value) override;
    void beginChangeGesture (juce::String parameterID) override;
    void endChangeGesture (juce::String parameterID) override;
    void setNormalisedValue (juce::String parameterID, float normalisedValue) override;
    void setBoolValue (juce::String parameterID, bool value) override;

    juce::AudioProcessorValueTreeState& getApvts() noexcept { return apvts; }

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

private:
    /** Reads need an ID of the layout; this keeps a wrong ID from dereferencing null in a release build. */
    juce::RangedAudioParameter& getExistingParameter (const juce::String& parameterID);

    juce::AudioProcessorValueTreeState apvts;
    IAudioStateProvider* audioStateProvider;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ApvtsManager)
};
} // namespace corvane
