#include "processor/AudioPluginAudioProcessor.h"

#include "dsp/ProcessingGraph.h"
#include "editor/AudioPluginAudioProcessorEditor.h"
#include "interfaces/ParameterIds.h"
#include "processor/SavedStateReader.h"

#include <cstdint>
#include <cstring>

namespace corvane
{
namespace
{
    constexpr double outputFadeInSeconds = 0.03;
    constexpr float clipLimit = 2.0f;
    constexpr juce::int64 levelWindowMs = 30;
    constexpr juce::int64 levelHoldMs = 60;

    const juce::Identifier pluginStateTag { "PluginState" };
    const juce::Identifier versionAttribute { "Corvane_ZEM2_Version" };
    const juce::Identifier configStateAttribute { "ConfigState" };
    const juce::Identifier processorStateAttribute { "ProcessorState" };
    const juce::Identifier configStateType { "ConfigState" };

    /** A tree as a whole XML document, with the declaration and JUCE's default formatting. */
    juce::String toDocumentText (const juce::ValueTree& tree)
    {
        juce::MemoryOutputStream stream (2048);

        if (auto xml = tree.createXml())
            xml->writeTo (stream);

        return stream.toUTF8();
    }

    /** A damaged project may hold any value; one that is not a number would put a parameter outside its range,
        so it is left out and the parameter takes its default instead. */
    void dropValuesThatAreNotNumbers (juce::ValueTree& parameters)
    {
        static const juce::Identifier value { "value" };

        for (auto child : parameters)
            if (child.hasProperty (value) && ! std::isfinite (static_cast<double> (child[value])))
                child.removeProperty (value, nullptr);
    }

    /** A NaN or an infinity would spread over a whole response in the convolution and stay in a meter's running
        sums, so it is heard as silence; so is a finite sample beyond 2^100 (about 600 dB over full scale), which
        overflows the convolution's transforms into NaN. Tested by the exponent bits, which hold even under
        fast-math flags. */
    void silenceNonFiniteSamples (float* samples, int numSamples) noexcept
    {
        constexpr std::uint32_t exponentMask = 0x7f800000u;
        constexpr std::uint32_t firstExponentTooLarge = (127u + 100u) << 23;

        for (int i = 0; i < numSamples; ++i)
        {
            std::uint32_t bits;
            std::memcpy (&bits, samples + i, sizeof (bits));
            bits = (bits & exponentMask) >= firstExponentTooLarge ? 0u : bits;
            std::memcpy (samples + i, &bits, sizeof (bits));
        }
    }
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

    inputLevelAnalyzer = std::make_unique<LevelAnalyzer>();
    outputLevelAnalyzer = std::make_unique<LevelAnalyzer>();

    updateConfigStateText();
    configState.addListener (this);

    // Made here, on the message thread, so that a restore on the host's thread never races to create it.
    masterReference.getSharedPointer (this);

    // The first processor of the process installs the plug-in's look and feel for every window it opens.
    sharedApplicationState = SharedApplicationState::getInstance();
}

AudioPluginAudioProcessor::~AudioPluginAudioProcessor()
{
    sharedApplicationState.reset();
    configState.removeListener (this);
    masterReference.clear();
}

juce::AudioProcessorEditor* AudioPluginAudioProcessor::createEditor()
{
    return new AudioPluginAudioProcessorEditor (*this, apvtsManager.get());
}

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

    inputLevelAnalyzer->setNumChannels (numIn);
    inputLevelAnalyzer->prepare (sampleRate, levelWindowMs, levelHoldMs, maximumBlockSize);
    outputLevelAnalyzer->setNumChannels (numOut);
    outputLevelAnalyzer->prepare (sampleRate, levelWindowMs, levelHoldMs, maximumBlockSize);

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

void AudioPluginAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // The framework would silence the right side of a mono input; bypassed, it should sound as with "ZEM On" off.
    const auto numIn = getMainBusNumInputChannels();
    const auto numOut = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels());

    // Bypassed too, nothing that is not finite leaves the plug-in.
    for (int channel = 0; channel < juce::jmin (numIn, buffer.getNumChannels()); ++channel)
        silenceNonFiniteSamples (buffer.getWritePointer (channel), buffer.getNumSamples());

    for (int channel = numIn; channel < numOut; ++channel)
    {
        if (numIn == 1)
            buffer.copyFrom (channel, 0, buffer, 0, 0, buffer.getNumSamples());
        else
            buffer.clear (channel, 0, buffer.getNumSamples());
    }
}

void AudioPluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numIn = getTotalNumInputChannels();
    const auto numOut = getTotalNumOutputChannels();

    for (int channel = numIn; channel < juce::jmin (numOut, buffer.getNumChannels()); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());

    // Hosts should not send more than the prepared size, but some do: every sample still goes through the
    // chain, in pieces that fit the work buffer, so none leaves dry, ungained or unfaded.
    const auto pieceSize = workBuffer.getNumSamples();

    for (int start = 0; pieceSize > 0 && start < buffer.getNumSamples(); start += pieceSize)
        processPiece (buffer, start, juce::jmin (pieceSize, buffer.getNumSamples() - start), midi);
}

void AudioPluginAudioProcessor::processPiece (juce::AudioBuffer<float>& buffer, int start, int numSamples, juce::MidiBuffer& midi)
{
    const auto numIn = getTotalNumInputChannels();
    const auto numOut = getTotalNumOutputChannels();
    const auto numChannels = juce::jmin (juce::jmax (numIn, numOut), workBuffer.getNumChannels());

    juce::AudioBuffer<float> view (workBuffer.getArrayOfWritePointers(), numChannels, numSamples);
    view.clear();

    for (int channel = 0; channel < juce::jmin (numIn, numChannels, buffer.getNumChannels()); ++channel)
    {
        view.copyFrom (channel, 0, buffer, channel, start, numSamples);
        silenceNonFiniteSamples (view.getWritePointer (channel), numSamples);
    }

    inputLevelAnalyzer->pushSamples (view);
    mainProcessor->processBlock (view, midi);

    const auto numOutChannels = juce::jmin (numOut, numChannels, buffer.getNumChannels());

    for (int channel = 0; channel < numOutChannels; ++channel)
        juce::FloatVectorOperations::clip (view.getWritePointer (channel),
                                           view.getReadPointer (channel),
                                           -clipLimit,
                                           clipLimit,
                                           numSamples);

    outputLevelAnalyzer->pushSamples (view);

    // Once the fade-in has ended the stage is skipped altogether rather than run at unit gain.
    if (static_cast<double> (outputGain.getGainLinear()) <= 0.9999 || outputGain.isSmoothing())
    {
        outputGain.setGainLinear (static_cast<float> (outputGainTarget.load()));

        auto block = juce::dsp::AudioBlock<float> (view).getSubsetChannelBlock (0, static_cast<size_t> (numOutChannels));
        outputGain.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    for (int channel = 0; channel < numOutChannels; ++channel)
        buffer.copyFrom (channel, start, view, channel, 0, numSamples);
}

void AudioPluginAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement state (pluginStateTag);
    state.setAttribute (versionAttribute, stateVersion);

    {
        const juce::ScopedLock sl (configStateTextLock);
        state.setAttribute (configStateAttribute, configStateText);
    }

    state.setAttribute (processorStateAttribute, toDocumentText (apvtsManager->getApvts().copyState()));
    copyXmlToBinary (state, destData);
}

void AudioPluginAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // Restored here, on whatever thread the host calls from, so that a save or a render that follows at once
    // already has the loaded settings, and so that the wrapper, which is told of this call, does not report the
    // restore back to the host as edits.
    const auto state = SavedStateReader::readPluginState (data, static_cast<size_t> (juce::jmax (0, sizeInBytes)));

    if (state == nullptr)
        return;

    const auto version = state->getStringAttribute (versionAttribute);

    if (version.isNotEmpty() && version != stateVersion)
        juce::Logger::outputDebugString ("Plugin versions are diffrent between program and stored setting.\n");

    if (auto parameters = SavedStateReader::readDocument (state->getStringAttribute (processorStateAttribute));
        parameters.isValid())
    {
        dropValuesThatAreNotNumbers (parameters);
        apvtsManager->getApvts().replaceState (parameters);
    }

    if (const auto config = SavedStateReader::readDocument (state->getStringAttribute (configStateAttribute));
        config.isValid())
        restoreConfigState (config);
}

void AudioPluginAudioProcessor::restoreConfigState (const juce::ValueTree& stored)
{
    juce::ValueTree loaded { configStateType };
    loaded.copyPropertiesFrom (stored, nullptr);

    // The views listen to the tree on the message thread, so the tree itself changes there; a save taken before
    // that already returns the loaded skin.
    {
        auto text = toDocumentText (loaded);
        const juce::ScopedLock sl (configStateTextLock);
        configStateText = std::move (text);
    }

    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        configState.copyPropertiesFrom (loaded, nullptr);
        return;
    }

    juce::MessageManager::callAsync ([weakProcessor = juce::WeakReference<AudioPluginAudioProcessor> (this), loaded] {
        if (auto* processor = weakProcessor.get())
            processor->configState.copyPropertiesFrom (loaded, nullptr);
    });
}

void AudioPluginAudioProcessor::valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&)
{
    updateConfigStateText();
}

void AudioPluginAudioProcessor::updateConfigStateText()
{
    auto text = toDocumentText (configState);
    const juce::ScopedLock sl (configStateTextLock);
    configStateText = std::move (text);
}
} // namespace corvane

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new corvane::AudioPluginAudioProcessor();
}
