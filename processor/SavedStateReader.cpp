#include "processor/SavedStateReader.h"

#include <cstring>

namespace corvane
{
namespace
{
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
} // namespace

/** JUCE's XML parser parses recursively, one stack frame per level of nesting; it builds attribute texts one
    piece at a time, copying the whole text each time; it loops forever on a processing instruction followed by
    text inside an element ("<a><??>b"); and it steps over the end of a text that ends inside a numeric entity.
    A damaged project could so overflow the host's stack or stall its message thread. A saved state is under two
    kilobytes, three levels deep, and holds no markup but elements, attributes, the leading XML declaration and
    the five named or numeric character entities, so anything far larger or deeper, with other markup or with an
    unterminated or unknown entity, is refused. */
bool SavedStateReader::isPlausibleStateXml (const char* text, size_t length)
{
    if (length > maximumTextLength)
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

/** JUCE's own reader trusts the text to be UTF-8 without a zero byte: a broken multi-byte sequence, or an entity
    that steps over a zero, makes it and the XML parser read past the end of the text. A saved state is always
    such a text, so anything else is refused. */
std::unique_ptr<juce::XmlElement> SavedStateReader::readPluginState (const void* data, size_t size)
{
    constexpr size_t headerSize = 8;
    const auto* bytes = static_cast<const char*> (data);

    if (bytes == nullptr || size <= headerSize || std::memcmp (bytes, "VC2!", 4) != 0)
        return {};

    const auto declaredLength = static_cast<int> (juce::ByteOrder::littleEndianInt (bytes + 4));

    if (declaredLength <= 0)
        return {};

    const auto length = juce::jmin (size - headerSize, static_cast<size_t> (declaredLength));
    const auto* text = bytes + headerSize;

    if (std::memchr (text, 0, length) != nullptr || ! isPlausibleStateXml (text, length)
        || ! juce::CharPointer_UTF8::isValidString (text, static_cast<int> (length)))
        return {};

    return juce::parseXML (juce::String::fromUTF8 (text, static_cast<int> (length)));
}

juce::ValueTree SavedStateReader::readDocument (const juce::String& text)
{
    if (text.isEmpty() || ! isPlausibleStateXml (text.toRawUTF8(), text.getNumBytesAsUTF8()))
        return {};

    if (auto xml = juce::parseXML (text))
        return juce::ValueTree::fromXml (*xml);

    return {};
}
} // namespace corvane
