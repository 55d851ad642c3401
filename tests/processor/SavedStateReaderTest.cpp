#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "processor/SavedStateReader.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** The text of a real saved state with Master Gain at -12 dB, as the framework's binary form holds it. */
juce::String savedText()
{
    AudioPluginAudioProcessor source;
    source.getApvtsManager().setValue (masterGainParameterID, -12.0f);

    juce::MemoryBlock block;
    source.getStateInformation (block);
    const auto* bytes = static_cast<const char*> (block.getData());
    return juce::String::fromUTF8 (bytes + 8, static_cast<int> (juce::ByteOrder::littleEndianInt (bytes + 4)));
}

/** "VC2!", the byte count the header declares, the text and the framework's trailing zero. */
juce::MemoryBlock toBlob (const juce::String& text, int extraDeclaredBytes = 0)
{
    const auto length = static_cast<juce::uint32> (text.getNumBytesAsUTF8());
    juce::MemoryOutputStream out;
    out.write ("VC2!", 4);
    out.writeInt (static_cast<int> (length) + extraDeclaredBytes);
    out.write (text.toRawUTF8(), length + 1);
    return out.getMemoryBlock();
}

/** The outer element with depth - 1 levels of children inside it. */
juce::String nestedTo (const juce::String& text, int depth)
{
    const auto close = text.lastIndexOf ("/>");
    return text.substring (0, close) + ">" + juce::String ("<a>").repeatedString ("<a>", depth - 1)
         + juce::String ("</a>").repeatedString ("</a>", depth - 1) + "</PluginState>";
}

juce::String paddedTo (const juce::String& text, size_t length)
{
    const auto close = text.lastIndexOf ("/>");
    const auto head = text.substring (0, close) + " padding=\"";
    const auto tail = juce::String ("\"/>");
    const auto fill = static_cast<int> (length - head.getNumBytesAsUTF8() - tail.getNumBytesAsUTF8());
    return head + juce::String::repeatedString ("x", fill) + tail;
}

juce::MemoryBlock withZeroInTheText (juce::MemoryBlock blob)
{
    static_cast<char*> (blob.getData())[20] = 0;
    return blob;
}

juce::String inserted (const juce::String& text, const juce::String& markup)
{
    const auto close = text.lastIndexOf ("/>");
    return text.substring (0, close) + ">" + markup + "</PluginState>";
}
} // namespace

TEST (SavedStateReader, DamagedStatesAreRefusedWholeAndPlausibleOnesRestored)
{
    const auto text = savedText();
    ASSERT_TRUE (text.contains ("PluginState"));

    struct Case
    {
        const char* what;
        juce::MemoryBlock blob;
        bool restored;
    };

    const Case cases[] = {
        { "as saved", toBlob (text), true },
        { "nested to the limit", toBlob (nestedTo (text, SavedStateReader::maximumDepth)), true },
        { "nested past the limit", toBlob (nestedTo (text, SavedStateReader::maximumDepth + 1)), false },
        { "as long as the limit", toBlob (paddedTo (text, SavedStateReader::maximumTextLength)), true },
        { "longer than the limit", toBlob (paddedTo (text, SavedStateReader::maximumTextLength + 1)), false },
        { "a comment", toBlob (inserted (text, "<!-- x -->")), false },
        { "a CDATA section", toBlob (inserted (text, "<![CDATA[x]]>")), false },
        { "a processing instruction inside", toBlob (inserted (text, "<a><?"
                                                                     "?>b</a>")),
          false },
        { "an unknown entity", toBlob (inserted (text, "&bogus;")), false },
        { "a numeric entity unterminated at the end", toBlob (text + "&#12"), false },
        // The framework's zero after the text then counts as part of it.
        { "a declared length past the data", toBlob (text, 100), false },
        { "a declared length that cuts the text", toBlob (text, -10), false },
        { "a zero byte in the text", withZeroInTheText (toBlob (text)), false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        AudioPluginAudioProcessor target;
        target.setStateInformation (c.blob.getData(), static_cast<int> (c.blob.getSize()));

        EXPECT_FLOAT_EQ (target.getApvtsManager().getValue (masterGainParameterID), c.restored ? -12.0f : 0.0f);
    }
}
