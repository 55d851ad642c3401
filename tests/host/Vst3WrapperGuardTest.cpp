#include "HostedInstanceTest.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace
{
using corvane::test::HostedBundle;

/** What the bundle's VST3 wrapper does with what a careless host or a damaged project hands it, through JUCE's
    VST3 hosting; the AddressSanitizer build of these tests shows any access outside the wrapper's memory. */
class Vst3WrapperGuardTest : public corvane::test::HostedInstanceTest
{
protected:
    static constexpr int preparedSize = 256;

    Vst3WrapperGuardTest()
        : HostedInstanceTest (48000.0, preparedSize)
    {
    }

    /** Runs input through the plug-in in host blocks of hostBlock, the last one shorter, after silence longer
        than the responses. Each run is a whole number of 1024-sample partitions of the convolutions, so that
        every run meets them at the same phase. */
    juce::AudioBuffer<float> render (const juce::AudioBuffer<float>& input, int hostBlock)
    {
        HostedBundle::renderSilence (*plugin, 32768, HostedBundle::fixedBlocks (preparedSize));
        return HostedBundle::render (*plugin, input, HostedBundle::fixedBlocks (hostBlock));
    }

    /** A different chord on each side for 10240 samples, then 5120 of silence where the room's tail shows. */
    static juce::AudioBuffer<float> makeSignal()
    {
        juce::AudioBuffer<float> signal (2, 15360);
        signal.clear();

        for (int channel = 0; channel < 2; ++channel)
            for (int k = 0; k < 10240; ++k)
            {
                const auto t = static_cast<float> (k);
                const auto high = std::sin (0.031f * t * static_cast<float> (channel + 1));
                const auto low = std::sin (0.0071f * t + static_cast<float> (channel));
                signal.setSample (channel, k, 0.2f * high + 0.2f * low);
            }

        return signal;
    }
};
} // namespace

TEST_F (Vst3WrapperGuardTest, BlocksLongerThanPreparedSoundAsInPreparedSizeBlocks)
{
    plugin->prepareToPlay (sampleRate, preparedSize);
    ASSERT_GT (HostedBundle::renderSettledImpulses (*plugin, sampleRate, HostedBundle::fixedBlocks (preparedSize)).getNumSamples(), 0)
        << "the responses never settled";

    const auto signal = makeSignal();
    const auto reference = render (signal, preparedSize);

    struct Case
    {
        int hostBlock;
        const char* what;
    };

    for (const auto& c : { Case { 1024, "four prepared blocks" },
                           Case { 257, "one sample over" },
                           Case { 5000, "many prepared blocks and a part of one" } })
    {
        // A sample the wrapper left out would stay dry, one processed twice or out of place would differ too.
        const auto output = render (signal, c.hostBlock);
        EXPECT_LE (HostedBundle::relativeDifference (output, reference, output.getNumSamples()), 1.0e-4f)
            << c.hostBlock << " (" << c.what << ")";
    }
}

TEST_F (Vst3WrapperGuardTest, DamagedStateTrailerStillRestoresTheSavedParameters)
{
    parameter ("Master Gain").setValueNotifyingHost (0.3f);
    parameter ("ZEM On").setValueNotifyingHost (0.0f);

    juce::MemoryBlock hostState;
    plugin->getStateInformation (hostState);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), static_cast<int> (hostState.getSize()));
    ASSERT_NE (xml, nullptr);
    auto* component = xml->getChildByName ("IComponent");
    ASSERT_NE (component, nullptr);

    // The wrapper appends to the plug-in's bytes a zero, its private data, that data's 64-bit size and its name.
    juce::MemoryBlock saved;
    ASSERT_TRUE (saved.fromBase64Encoding (component->getAllSubText()));
    const juce::String identifier ("JUCEPrivateData");
    const auto identifierSize = static_cast<size_t> (identifier.length());
    ASSERT_GT (saved.getSize(), identifierSize + 16);
    ASSERT_EQ (std::memcmp (static_cast<const char*> (saved.getData()) + saved.getSize() - identifierSize,
                            identifier.toRawUTF8(),
                            identifierSize),
               0);

    const auto sizeAt = saved.getSize() - identifierSize - 8;
    const auto inFront = static_cast<juce::int64> (sizeAt);

    const auto withSize = [sizeAt] (juce::int64 size) {
        return [sizeAt, size] (juce::MemoryBlock& bytes) {
            const auto littleEndian = juce::ByteOrder::swapIfBigEndian (static_cast<juce::uint64> (size));
            bytes.copyFrom (&littleEndian, static_cast<int> (sizeAt), sizeof (littleEndian));
        };
    };
    const auto cutBy = [] (size_t count) { return [count] (juce::MemoryBlock& bytes) { bytes.setSize (bytes.getSize() - count); }; };

    struct Case
    {
        const char* damage;
        std::function<void (juce::MemoryBlock&)> apply;
    };

    const Case cases[] = {
        { "none", [] (juce::MemoryBlock&) {} },
        { "size the largest 64-bit number", withSize (std::numeric_limits<juce::int64>::max()) },
        { "size negative", withSize (-1) },
        { "size one byte more than all in front of it", withSize (inFront + 1) },
        { "size reaching into the zero in front of the data", withSize (inFront - 4) },
        { "size taking the plug-in's own bytes for private data", withSize (inFront - 8) },
        { "cut inside the name", cutBy (4) },
        { "cut inside the size", cutBy (identifierSize + 4) },
    };

    for (const auto& c : cases)
    {
        auto damaged = saved;
        c.apply (damaged);
        component->deleteAllTextElements();
        component->addTextElement (damaged.toBase64Encoding());
        juce::MemoryBlock project;
        juce::AudioProcessor::copyXmlToBinary (*xml, project);

        parameter ("Master Gain").setValueNotifyingHost (parameter ("Master Gain").getDefaultValue());
        parameter ("ZEM On").setValueNotifyingHost (1.0f);
        plugin->setStateInformation (project.getData(), static_cast<int> (project.getSize()));

        // The plug-in's own part is whole, so the project loads as saved whatever the trailer says.
        EXPECT_EQ (parameter ("ZEM On").getValue(), 0.0f) << c.damage;
        EXPECT_NEAR (parameter ("Master Gain").getValue(), 0.3f, 1.0e-6f) << c.damage;
    }
}
