#pragma once

#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>

#include <memory>

namespace corvane
{
/** Reads the plug-in's saved state without trusting it. A host hands back whatever its project file holds, and a
    damaged project may hold anything: every check here runs before JUCE's reader or XML parser sees the bytes,
    because those are built for trusted text (see the source for what they trip over). */
class SavedStateReader
{
public:
    /** The "PluginState" element of the framework's XML-to-binary form ("VC2!", the text's byte count, the
        text), or null when the bytes are not such a form or their text is implausible for a saved state. */
    static std::unique_ptr<juce::XmlElement> readPluginState (const void* data, size_t size);

    /** The tree that a stored XML document describes, or an invalid tree when the text is empty, implausible or
        no XML. */
    static juce::ValueTree readDocument (const juce::String& text);

    /** The longest and the deepest text that is still taken for a saved state. */
    static constexpr size_t maximumTextLength = 64 * 1024;
    static constexpr int maximumDepth = 32;

private:
    static bool isPlausibleStateXml (const char* text, size_t length);
};
} // namespace corvane
