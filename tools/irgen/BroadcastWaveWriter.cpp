#include "BroadcastWaveWriter.h"

#include <cstring>

namespace corvane
{

namespace
{
    void writeChunkHeader (juce::MemoryOutputStream& stream, const char* id, int size)
    {
        stream.write (id, 4);
        stream.writeInt (size); // JUCE streams write little-endian
    }

    void writeFixedText (juce::MemoryOutputStream& stream, const juce::String& text, size_t fieldSize)
    {
        // Fixed-width ASCII field: no terminator when the text fills it, zero padding otherwise
        juce::HeapBlock<char> field (fieldSize, true);
        std::memcpy (field.get(), text.toRawUTF8(), juce::jmin (fieldSize, text.getNumBytesAsUTF8()));
        stream.write (field.get(), fieldSize);
    }
} // namespace

juce::MemoryBlock BroadcastWaveWriter::createFile (const juce::AudioBuffer<float>& audio, int sampleRate,
                                                   const juce::String& originationDate, const juce::String& originationTime)
{
    const auto numChannels = audio.getNumChannels();
    const auto numFrames = audio.getNumSamples();
    const auto blockAlign = numChannels * (int) sizeof (float);
    const auto dataSize = numFrames * blockAlign;
    const auto riffSize = 4 + (8 + junkSize) + (8 + 16) + (8 + 4) + (8 + bextSize) + (8 + dataSize);

    juce::MemoryOutputStream stream;
    stream.preallocate ((size_t) riffSize + 8);

    writeChunkHeader (stream, "RIFF", riffSize);
    stream.write ("WAVE", 4);

    writeChunkHeader (stream, "JUNK", junkSize);
    stream.writeRepeatedByte (0, junkSize);

    writeChunkHeader (stream, "fmt ", 16);
    stream.writeShort (3); // WAVE_FORMAT_IEEE_FLOAT
    stream.writeShort ((short) numChannels);
    stream.writeInt (sampleRate);
    stream.writeInt (sampleRate * blockAlign);
    stream.writeShort ((short) blockAlign);
    stream.writeShort (32);

    writeChunkHeader (stream, "fact", 4);
    stream.writeInt (numFrames);

    // EBU Tech 3285 fields: Description 256, Originator 32, OriginatorReference 32,
    // OriginationDate 10, OriginationTime 8, TimeReference 8, Version 2, UMID 64,
    // loudness 10, reserved 180
    writeChunkHeader (stream, "bext", bextSize);
    stream.writeRepeatedByte (0, 256 + 32 + 32);
    writeFixedText (stream, originationDate, 10);
    writeFixedText (stream, originationTime, 8);
    stream.writeRepeatedByte (0, 8);
    stream.writeShort (1);
    stream.writeRepeatedByte (0, 64 + 10 + 180);

    writeChunkHeader (stream, "data", dataSize);

    for (int frame = 0; frame < numFrames; ++frame)
        for (int channel = 0; channel < numChannels; ++channel)
            stream.writeFloat (audio.getSample (channel, frame));

    jassert ((int) stream.getDataSize() == riffSize + 8);
    return stream.getMemoryBlock();
}

bool BroadcastWaveWriter::writeFile (const juce::File& file, const juce::AudioBuffer<float>& audio, int sampleRate,
                                     const juce::String& originationDate, const juce::String& originationTime)
{
    auto bytes = createFile (audio, sampleRate, originationDate, originationTime);
    return file.replaceWithData (bytes.getData(), bytes.getSize());
}

} // namespace corvane
