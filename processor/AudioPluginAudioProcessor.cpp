#include "processor/AudioPluginAudioProcessor.h"

#include "dsp/ProcessingGraph.h"
#include "interfaces/ParameterIds.h"

namespace corvane
{
namespace
{
    constexpr double outputFadeInSeconds = 0.03;
    constexpr float clipLimit = 2.0f;
} // namespace

AudioPluginAudioProcessor::AudioPluginAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    configState.setProperty (isDarkIdentifier, false, nullptr);

    apvtsManager = std::make_unique<ApvtsManager> (*this, this);

    mainProcessor = std::make_unique<MainProcessor> (apvtsManager.get());
    mainProcessor->enableAllBuses();
}

AudioPluginAudioProcessor::~AudioPluginAudioProcessor() = default;

const juce::String AudioPluginAudioProcessor::getProgramName (int)
{
    // Hosts and the VST3 validator reject a program list whose only program has no name.
    return "Default";
}

bool AudioPluginAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto input = layouts.getMainInputChannelSet();
    const auto output = layouts.getMainOutputChannelSet();

    return (input == juce::AudioChannelSet::mono() || input == juce::AudioChannelSet::stereo())
        && output == juce::AudioChannelSet::stereo();
}

void AudioPluginAudioProcessor::prepareToPlay (double sampleRate, int maximumBlockSize)
{
    const auto numIn = getMainBusNumInputChannels();
    const auto numOut = getMainBusNumOutputChannels();

    mainProcessor->setBusesLayout (makeBusesLayout (numIn, numOut));
    mainProcessor->prepareToPlay (sampleRate, maximumBlockSize);

    if (workBuffer.getNumChannels() != 2 || workBuffer.getNumSamples() != maximumBlockSize)
        workBuffer.setSize (2, maximumBlockSize);

    // Each preparation resets the stage onto its target 0, so a fresh instance or back-to-back preparations
    // fade in from silence, while a single preparation after playback resets onto full level and stays there.
    outputGain.prepare ({ sampleRate, static_cast<juce::uint32> (juce::jmax (0, maximumBlockSize)), 2 });
    outputGain.setGainLinear (0.0f);
    outputGain.setRampDurationSeconds (outputFadeInSeconds);

    outputGainTarget.store (1.0);
}

void AudioPluginAudioProcessor::releaseResources()
{
    mainProcessor->releaseResources();
}

void AudioPluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numIn = getTotalNumInputChannels();
    const auto numOut = getTotalNumOutputChannels();
    const auto numChannels = juce::jmin (juce::jmax (numIn, numOut), workBuffer.getNumChannels());
    const auto numSamples = juce::jmin (buffer.getNumSamples(), workBuffer.getNumSamples());

    juce::AudioBuffer<float> view (workBuffer.getArrayOfWritePointers(), numChannels, numSamples);
    view.clear();

    for (int channel = 0; channel < juce::jmin (numIn, numChannels, buffer.getNumChannels()); ++channel)
        view.copyFrom (channel, 0, buffer, channel, 0, numSamples);

    for (int channel = numIn; channel < juce::jmin (numOut, buffer.getNumChannels()); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());

    mainProcessor->processBlock (view, midi);

    const auto numOutChannels = juce::jmin (numOut, numChannels, buffer.getNumChannels());

    for (int channel = 0; channel < numOutChannels; ++channel)
        juce::FloatVectorOperations::clip (view.getWritePointer (channel),
                                           view.getReadPointer (channel),
                                           -clipLimit,
                                           clipLimit,
                                           numSamples);

    // Once the fade-in has ended the stage is skipped altogether rather than run at unit gain.
    if (static_cast<double> (outputGain.getGainLinear()) <= 0.9999 || outputGain.isSmoothing())
    {
        outputGain.setGainLinear (static_cast<float> (outputGainTarget.load()));

        auto block = juce::dsp::AudioBlock<float> (view).getSubsetChannelBlock (0, static_cast<size_t> (numOutChannels));
        outputGain.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    for (int channel = 0; channel < numOutChannels; ++channel)
        buffer.copyFrom (channel, 0, view, channel, 0, numSamples);
}

void AudioPluginAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::ignoreUnused (destData);
}

void AudioPluginAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    juce::ignoreUnused (data, sizeInBytes);
}
} // namespace corvane

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new corvane::AudioPluginAudioProcessor();
}
