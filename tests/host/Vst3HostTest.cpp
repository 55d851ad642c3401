#include "support/BusLayouts.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
/** Loads the built bundle through JUCE's own VST3 hosting, the way a DAW scans and instantiates it. */
class Vst3HostTest : public testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 512;

    void SetUp() override
    {
        const auto bundle = juce::File (ZEM2_VST3_BUNDLE);
        ASSERT_TRUE (bundle.isDirectory()) << bundle.getFullPathName();

        format.findAllTypesForFile (descriptions, bundle.getFullPathName());
        ASSERT_EQ (descriptions.size(), 1);

        juce::String error;
        plugin = format.createInstanceFromDescription (*descriptions[0], sampleRate, blockSize, error);
        ASSERT_NE (plugin, nullptr) << error;
    }

    void TearDown() override
    {
        if (plugin != nullptr)
            plugin->releaseResources();

        plugin.reset();
    }

    /** The plug-in prepares its graph on its own message thread, which is not ours: like a host, give it a
        moment before the first block instead of relying on the silence it passes until then. */
    void prepare()
    {
        plugin->prepareToPlay (sampleRate, blockSize);
        juce::Thread::sleep (500);
    }

    juce::AudioProcessorParameter* findParameter (const juce::String& name)
    {
        for (auto* parameter : plugin->getParameters())
            if (parameter->getName (100) == name)
                return parameter;

        return nullptr;
    }

    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> descriptions;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
};
} // namespace

TEST_F (Vst3HostTest, FactoryIdentityIsWhatTheHostShows)
{
    const auto& description = *descriptions[0];

    EXPECT_EQ (description.name, "ZEM2");
    EXPECT_EQ (description.manufacturerName, "Corvane");
    EXPECT_EQ (description.category, "Fx|Spatial");
    EXPECT_EQ (description.version, "2.1.1");
    EXPECT_EQ (description.pluginFormatName, "VST3");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels, 2);
    EXPECT_EQ (description.numOutputChannels, 2);
    EXPECT_EQ (plugin->getName(), "ZEM2");
}

TEST_F (Vst3HostTest, ParametersInOrderWithDefaultsAndTexts)
{
    auto* zemOn = findParameter ("ZEM On");
    auto* gain = findParameter ("Master Gain");
    ASSERT_NE (zemOn, nullptr);
    ASSERT_NE (gain, nullptr);

    EXPECT_LT (zemOn->getParameterIndex(), gain->getParameterIndex());
    EXPECT_EQ (plugin->getParameters()[0], zemOn);
    EXPECT_EQ (plugin->getParameters()[1], gain);

    EXPECT_EQ (zemOn->getDefaultValue(), 1.0f);
    EXPECT_EQ (zemOn->getValue(), 1.0f);
    EXPECT_EQ (zemOn->getText (zemOn->getValue(), 100), "On");
    EXPECT_EQ (zemOn->getText (0.0f, 100), "Off");

    EXPECT_NEAR (gain->getDefaultValue(), 0.8f, 1.0e-6f);
    EXPECT_EQ (gain->getText (gain->getValue(), 100), "0.0 dB");
    EXPECT_EQ (gain->getText (0.0f, 100), "-48.0 dB");
    EXPECT_EQ (gain->getText (1.0f, 100), "12.0 dB");
    EXPECT_TRUE (gain->isAutomatable());

    // Besides our two, a host sees only the framework's bypass.
    EXPECT_EQ (plugin->getParameters().size(), 3);
    EXPECT_NE (plugin->getBypassParameter(), nullptr);
}

TEST_F (Vst3HostTest, AcceptsMonoOrStereoInAndStereoOut)
{
    using Set = juce::AudioChannelSet;

    const auto layout = corvane::test::makeLayout;

    EXPECT_TRUE (plugin->checkBusesLayoutSupported (layout (Set::stereo(), Set::stereo())));
    EXPECT_TRUE (plugin->checkBusesLayoutSupported (layout (Set::mono(), Set::stereo())));
    EXPECT_FALSE (plugin->checkBusesLayoutSupported (layout (Set::stereo(), Set::mono())));
    EXPECT_FALSE (plugin->checkBusesLayoutSupported (layout (Set::create5point1(), Set::stereo())));

    EXPECT_TRUE (plugin->setBusesLayout (layout (Set::mono(), Set::stereo())));
    EXPECT_EQ (plugin->getMainBusNumInputChannels(), 1);
    EXPECT_TRUE (plugin->setBusesLayout (layout (Set::stereo(), Set::stereo())));
}

TEST_F (Vst3HostTest, ProcessesWithoutLatencyAndFadesInFromSilence)
{
    EXPECT_EQ (plugin->getLatencySamples(), 0);
    EXPECT_EQ (plugin->getTailLengthSeconds(), 0.0);

    prepare();
    juce::MidiBuffer midi;

    juce::AudioBuffer<float> buffer (2, blockSize);
    float previous = 0.0f;

    // 30 ms at 48 kHz is 1440 samples: the output rises from silence to the input level over the first blocks.
    for (int block = 0; block < 4; ++block)
    {
        for (int channel = 0; channel < 2; ++channel)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (channel), 0.5f, blockSize);

        plugin->processBlock (buffer, midi);

        for (int k = 0; k < blockSize; ++k)
        {
            const auto sample = buffer.getSample (0, k);
            ASSERT_TRUE (std::isfinite (sample));
            ASSERT_GE (sample, previous);
            previous = sample;
        }
    }

    EXPECT_EQ (buffer.getSample (0, 0), 0.5f);
    EXPECT_EQ (buffer.getSample (1, blockSize - 1), 0.5f);
}
