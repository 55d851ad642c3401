#include "processor/ApvtsManager.h"

#include "interfaces/ParameterIds.h"

namespace corvane
{
juce::String masterGainValueToText (float value, int /*maximumStringLength*/)
{
    return juce::String (value, 1) + " dB";
}

ApvtsManager::ApvtsManager (juce::AudioProcessor& processor, IAudioStateProvider* audioStateProviderToUse)
    : apvts (processor, nullptr, juce::Identifier ("Parameters"), createParameterLayout())
    , audioStateProvider (audioStateProviderToUse)
{
    juce::ignoreUnused (audioStateProvider);
}

ApvtsManager::~ApvtsManager() = default;

juce::AudioProcessorValueTreeState::ParameterLayout ApvtsManager::createParameterLayout()
{
    auto zemOn = std::make_unique<juce::AudioParameterBool> (zemOnParameterID,
                                                             zemOnParameterID,
                                                             true);

    auto masterGain = std::make_unique<juce::AudioParameterFloat> (
        masterGainParameterID,
        masterGainParameterID,
        juce::NormalisableRange<float> (-48.0f, 12.0f, 0.0f, 1.0f, false),
        0.0f,
        juce::String(),
        juce::AudioProcessorParameter::genericParameter,
        masterGainValueToText,
        nullptr);

    auto group = std::make_unique<juce::AudioProcessorParameterGroup> ("Group",
                                                                       "Global",
                                                                       "|",
                                                                       std::move (zemOn),
                                                                       std::move (masterGain));

    std::vector<std::unique_ptr<juce::AudioProcessorParameterGroup>> groups;
    groups.push_back (std::move (group));
    return { groups.begin(), groups.end() };
}

juce::RangedAudioParameter& ApvtsManager::getExistingParameter (const juce::String& parameterID)
{
    auto* parameter = apvts.getParameter (parameterID);
    jassert (parameter != nullptr);

    if (parameter == nullptr)
        parameter = apvts.getParameter (masterGainParameterID);

    return *parameter;
}

float ApvtsManager::getValue (juce::String parameterID)
{
    auto& parameter = getExistingParameter (parameterID);
    return parameter.getNormalisableRange().convertFrom0to1 (juce::jlimit (0.0f, 1.0f, parameter.getValue()));
}

int ApvtsManager::getIntValue (juce::String parameterID)
{
    return juce::roundToInt (getValue (parameterID));
}

float ApvtsManager::getNormalisedValue (juce::String parameterID)
{
    return getExistingParameter (parameterID).getValue();
}

juce::String ApvtsManager::getText (juce::String parameterID)
{
    return getExistingParameter (parameterID).getCurrentValueAsText();
}

float ApvtsManager::getDefaultValue (juce::String parameterID)
{
    return getExistingParameter (parameterID).getDefaultValue();
}

bool ApvtsManager::getBoolValue (juce::String parameterID)
{
    // On from halfway, as the parameter's own text and JUCE's switches read it: a host may send any value.
    return getExistingParameter (parameterID).getValue() >= 0.5f;
}

void ApvtsManager::addParameterListener (juce::StringRef parameterID,
                                         juce::AudioProcessorValueTreeState::Listener* listener)
{
    apvts.addParameterListener (parameterID, listener);
}

void ApvtsManager::removeParameterListener (juce::StringRef parameterID,
                                            juce::AudioProcessorValueTreeState::Listener* listener)
{
    apvts.removeParameterListener (parameterID, listener);
}

void ApvtsManager::setValue (juce::String parameterID, float value)
{
    if (auto* parameter = apvts.getParameter (parameterID))
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void ApvtsManager::setIntValue (juce::String parameterID, int value)
{
    if (auto* parameter = apvts.getParameter (parameterID))
        dynamic_cast<juce::AudioParameterInt&> (*parameter) = value;
}

void ApvtsManager::beginChangeGesture (juce::String parameterID)
{
    if (auto* parameter = apvts.getParameter (parameterID))
        parameter->beginChangeGesture();
}

void ApvtsManager::endChangeGesture (juce::String parameterID)
{
    if (auto* parameter = apvts.getParameter (parameterID))
        parameter->endChangeGesture();
}

void ApvtsManager::setNormalisedValue (juce::String parameterID, float normalisedValue)
{
    if (auto* parameter = apvts.getParameter (parameterID))
        parameter->setValueNotifyingHost (normalisedValue);
}

void ApvtsManager::setBoolValue (juce::String parameterID, bool value)
{
    if (auto* parameter = apvts.getParameter (parameterID))
        parameter->setValueNotifyingHost (value ? 1.0f : 0.0f);
}
} // namespace corvane
