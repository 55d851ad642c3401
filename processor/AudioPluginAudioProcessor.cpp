#include "processor/AudioPluginAudioProcessor.h"

#include "dsp/ProcessingGraph.h"
#include "interfaces/ParameterIds.h"

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

    /** A tree as a whole XML document, with the declaration and JUCE's default formatting. */
    juce::String toDocumentText (const juce::ValueTree& tree)
    {
        juce::MemoryOutputStream stream (2048);

        if (auto xml = tree.createXml())
            xml->writeTo (stream);

        return stream.toUTF8();
    }

    /** JUCE's XML parser is built for trusted text. It parses recursively, one stack frame per level of nesting;
        it builds attribute texts one piece at a time, copying the whole text each time; and it loops forever on
        a processing instruction followed by text inside an element ("<a><??>b"). A damaged project could so
        overflow the host's stack or stall its message thread. A saved state is under two kilobytes, three
        levels deep, and holds no markup but elements, attributes, the leading XML declaration and the five named
        or numeric character entities; the parser also steps over the end of a text that ends inside a numeric
        entity. So anything far larger or deeper, with other markup or with an unterminated or unknown entity, is
        refused before it is parsed. */
    /** The length of a well-formed entity at text[0] ("&amp;", "&#13;", "&#x2F;"), or 0. */
    size_t entityLength (const char* text, size_t available)
    {
        for (const auto* named : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
        {
            const auto length = std::strlen (named);

            if (length <= available && std::memcmp (text, named, length) == 0)
                return length;
        }

        if (available < 4 || text[1] != '#')
            return 0;

        const auto hex = text[2] == 'x' || text[2] == 'X';
        size_t i = hex ? 3 : 2;
        const auto firstDigit = i;

        while (i < available && i < firstDigit + 8
               && (hex ? juce::CharacterFunctions::getHexDigitValue (static_cast<juce::juce_wchar> (text[i])) >= 0
                       : juce::CharacterFunctions::isDigit (text[i])))
            ++i;

        return i > firstDigit && i < available && text[i] == ';' ? i + 1 : 0;
    }

    bool isPlausibleStateXml (const char* text, size_t length)
    {
        constexpr size_t maximumLength = 64 * 1024;
        constexpr int maximumDepth = 32;

        if (length > maximumLength)
            return false;

        size_t start = 0;

        while (start < length && juce::CharacterFunctions::isWhitespace (text[start]))
            ++start;

        int depth = 0;

        for (auto i = start; i + 1 < length; ++i)
        {
            const auto c = text[i];
            const auto next = text[i + 1];

            if (c == '<' && (next == '!' || (next == '?' && i != start)))
                return false;

            if (c == '&')
            {
                const auto entity = entityLength (text + i, length - i);

                if (entity == 0)
                    return false;

                i += entity - 1;
                continue;
            }

            if (c == '<' && next != '/' && next != '?')
            {
                if (++depth > maximumDepth)
                    return false;
            }
            else if ((c == '<' && next == '/') || (c == '/' && next == '>'))
            {
                depth = juce::jmax (0, depth - 1);
            }
        }

        return length == 0 || text[length - 1] != '&';
    }

    /** The element of the framework's XML-to-binary form: "VC2!", the text's byte count, the text. JUCE's own
        reader trusts the text to be UTF-8 without a zero byte: a broken multi-byte sequence, or an entity that
        steps over a zero, makes it and the XML parser read past the end of the text. A saved state is always
        such a text, so anything else is refused. */
    std::unique_ptr<juce::XmlElement> readStateElement (const juce::MemoryBlock& stored)
    {
        constexpr size_t headerSize = 8;
        const auto* bytes = static_cast<const char*> (stored.getData());

        if (stored.getSize() <= headerSize || std::memcmp (bytes, "VC2!", 4) != 0)
            return {};

        const auto declaredLength = static_cast<int> (juce::ByteOrder::littleEndianInt (bytes + 4));

        if (declaredLength <= 0)
            return {};

        const auto length = juce::jmin (stored.getSize() - headerSize, static_cast<size_t> (declaredLength));

        const auto* text = bytes + headerSize;

        if (std::memchr (text, 0, length) != nullptr || ! isPlausibleStateXml (text, length)
            || ! juce::CharPointer_UTF8::isValidString (text, static_cast<int> (length)))
            return {};

        return juce::parseXML (juce::String::fromUTF8 (text, static_cast<int> (length)));
    }

    /** The tree of a stored document, or an invalid one when the text is empty, implausible or no XML. */
    juce::ValueTree fromDocumentText (const juce::String& text)
    {
        if (text.isEmpty() || ! isPlausibleStateXml (text.toRawUTF8(), text.getNumBytesAsUTF8()))
            return {};

        if (auto xml = juce::parseXML (text))
            return juce::ValueTree::fromXml (*xml);

        return {};
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

    // The first processor of the process installs the plug-in's look and feel for every window it opens.
    sharedApplicationState = SharedApplicationState::getInstance();
}

AudioPluginAudioProcessor::~AudioPluginAudioProcessor()
{
    sharedApplicationState.reset();
    configState.removeListener (this);
    masterReference.clear();
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
    inputLevelAnalyzer->prepare (sampleRate, levelWindowMs, levelHoldMs);
    outputLevelAnalyzer->setNumChannels (numOut);
    outputLevelAnalyzer->prepare (sampleRate, levelWindowMs, levelHoldMs);

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
    const auto numChannels = juce::jmin (juce::jmax (numIn, numOut), workBuffer.getNumChannels());
    const auto numSamples = juce::jmin (buffer.getNumSamples(), workBuffer.getNumSamples());

    juce::AudioBuffer<float> view (workBuffer.getArrayOfWritePointers(), numChannels, numSamples);
    view.clear();

    for (int channel = 0; channel < juce::jmin (numIn, numChannels, buffer.getNumChannels()); ++channel)
        view.copyFrom (channel, 0, buffer, channel, 0, numSamples);

    for (int channel = numIn; channel < juce::jmin (numOut, buffer.getNumChannels()); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());

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
        buffer.copyFrom (channel, 0, view, channel, 0, numSamples);
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
    // The host's buffer is gone once this returns; the restore runs later, on the message thread, where the
    // views listen and where the processor is destroyed.
    juce::MemoryBlock stored (data, static_cast<size_t> (juce::jmax (0, sizeInBytes)));
    juce::WeakReference<AudioPluginAudioProcessor> weakProcessor (this);

    juce::MessageManager::callAsync ([weakProcessor, stored = std::move (stored), processor = this]
                                     { restoreState (weakProcessor, stored, processor); });
}

void AudioPluginAudioProcessor::restoreState (juce::WeakReference<AudioPluginAudioProcessor> weakProcessor,
                                              const juce::MemoryBlock& stored,
                                              AudioPluginAudioProcessor* processor)
{
    if (weakProcessor.get() == nullptr)
        return;

    const auto state = readStateElement (stored);

    if (state == nullptr)
        return;

    const auto version = state->getStringAttribute (versionAttribute);

    if (version.isNotEmpty() && version != stateVersion)
        juce::Logger::outputDebugString ("Plugin versions are diffrent between program and stored setting.\n");

    if (const auto config = fromDocumentText (state->getStringAttribute (configStateAttribute)); config.isValid())
        processor->configState.copyPropertiesFrom (config, nullptr);

    if (auto parameters = fromDocumentText (state->getStringAttribute (processorStateAttribute)); parameters.isValid())
    {
        dropValuesThatAreNotNumbers (parameters);
        processor->apvtsManager->getApvts().replaceState (parameters);
    }
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
