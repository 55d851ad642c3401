#include "dsp/BinauralProcessor.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace corvane;

namespace
{
std::uint32_t read32 (const std::uint8_t* bytes, size_t offset)
{
    return static_cast<std::uint32_t> (bytes[offset]) | static_cast<std::uint32_t> (bytes[offset + 1]) << 8
         | static_cast<std::uint32_t> (bytes[offset + 2]) << 16 | static_cast<std::uint32_t> (bytes[offset + 3]) << 24;
}

std::uint16_t read16 (const std::uint8_t* bytes, size_t offset)
{
    return static_cast<std::uint16_t> (bytes[offset] | bytes[offset + 1] << 8);
}

std::string chunkId (const std::uint8_t* bytes, size_t offset)
{
    return { reinterpret_cast<const char*> (bytes + offset), 4 };
}

float frameSample (const std::uint8_t* bytes, size_t frame, size_t channel)
{
    float value;
    std::memcpy (&value, bytes + 702 + (frame * 2 + channel) * 4, sizeof (value));
    return value;
}
} // namespace

TEST (EmbeddedImpulseResponses, HaveTheBroadcastWaveLayoutChunkByChunk)
{
    for (const auto& resource : impulseResponseResources)
    {
        ASSERT_EQ (resource.size, 769118u);
        const auto* bytes = static_cast<const std::uint8_t*> (resource.data);

        EXPECT_EQ (chunkId (bytes, 0), "RIFF");
        EXPECT_EQ (read32 (bytes, 4), 769110u);
        EXPECT_EQ (chunkId (bytes, 8), "WAVE");

        EXPECT_EQ (chunkId (bytes, 12), "JUNK");
        EXPECT_EQ (read32 (bytes, 16), 28u);
        for (size_t i = 20; i < 48; ++i)
            ASSERT_EQ (bytes[i], 0);

        EXPECT_EQ (chunkId (bytes, 48), "fmt ");
        EXPECT_EQ (read32 (bytes, 52), 16u);
        EXPECT_EQ (read16 (bytes, 56), 3); // IEEE float
        EXPECT_EQ (read16 (bytes, 58), 2);
        EXPECT_EQ (read32 (bytes, 60), 192000u);
        EXPECT_EQ (read32 (bytes, 64), 1536000u);
        EXPECT_EQ (read16 (bytes, 68), 8);
        EXPECT_EQ (read16 (bytes, 70), 32);

        EXPECT_EQ (chunkId (bytes, 72), "fact");
        EXPECT_EQ (read32 (bytes, 76), 4u);
        EXPECT_EQ (read32 (bytes, 80), 96052u);

        EXPECT_EQ (chunkId (bytes, 84), "bext");
        EXPECT_EQ (read32 (bytes, 88), 602u);

        EXPECT_EQ (chunkId (bytes, 694), "data");
        EXPECT_EQ (read32 (bytes, 698), 768416u);
    }
}

TEST (EmbeddedImpulseResponses, AreMirrorImagesWithTheNearEarFirstAndLouder)
{
    const auto* left = static_cast<const std::uint8_t*> (impulseResponseResources[0].data);
    const auto* right = static_cast<const std::uint8_t*> (impulseResponseResources[1].data);

    double nearEnergy = 0.0, farEnergy = 0.0, tailEnergy = 0.0;

    for (size_t frame = 0; frame < 96052; ++frame)
    {
        ASSERT_EQ (frameSample (left, frame, 0), frameSample (right, frame, 1)) << frame;
        ASSERT_EQ (frameSample (left, frame, 1), frameSample (right, frame, 0)) << frame;

        const auto nearSample = static_cast<double> (frameSample (left, frame, 0));
        const auto farSample = static_cast<double> (frameSample (left, frame, 1));

        if (frame < 32768)
        {
            nearEnergy += nearSample * nearSample;
            farEnergy += farSample * farSample;
        }
        else
        {
            tailEnergy += nearSample * nearSample + farSample * farSample;
        }
    }

    EXPECT_NEAR (nearEnergy, 0.96, 0.05);
    const auto farBelowNearDb = 10.0 * std::log10 (nearEnergy / farEnergy);
    EXPECT_GT (farBelowNearDb, 5.0);
    EXPECT_LT (farBelowNearDb, 12.0);
    EXPECT_LT (tailEnergy, 2 * 0.000003);
}

TEST (EmbeddedImpulseResponses, DecodeAsStereoFloatAtTheirOwnRate)
{
    juce::WavAudioFormat wav;

    for (const auto& resource : impulseResponseResources)
    {
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (
            new juce::MemoryInputStream (resource.data, static_cast<size_t> (resource.size), false), true));

        ASSERT_NE (reader, nullptr);
        EXPECT_EQ (reader->sampleRate, 192000.0);
        EXPECT_EQ (reader->numChannels, 2u);
        EXPECT_EQ (reader->lengthInSamples, 96052);
        EXPECT_TRUE (reader->usesFloatingPointData);
        EXPECT_EQ (reader->bitsPerSample, 32u);
    }
}
