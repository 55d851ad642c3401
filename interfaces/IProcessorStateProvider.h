#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace corvane
{
/** Read access to the plug-in's parameters by ID. The reads are called on the audio and OpenGL threads and
    must only be given IDs of the parameter layout. */
struct IProcessorStateProvider
{
    virtual ~IProcessorStateProvider() = default;

    /** The value in the parameter's own units (dB for "Master Gain"). */
    virtual float getValue (juce::String parameterID) = 0;
    virtual int getIntValue (juce::String parameterID) = 0;
    virtual float getNormalisedValue (juce::String parameterID) = 0;
    virtual juce::String getText (juce::String parameterID) = 0;
    /** The normalised default. */
    virtual float getDefaultValue (juce::String parameterID) = 0;
    virtual bool getBoolValue (juce::String parameterID) = 0;

    virtual void addParameterListener (juce::StringRef parameterID,
                                       juce::AudioProcessorValueTreeState::Listener* listener) = 0;
    virtual void removeParameterListener (juce::StringRef parameterID,
                                          juce::AudioProcessorValueTreeState::Listener* listener) = 0;
};
} // namespace corvane
