#include "HostedInstanceTest.h"
#include "support/BusLayouts.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <iostream>
#include <thread>
#include <utility>
#include <vector>

namespace
{
using corvane::test::HostedBundle;

/** Loads the built bundle through JUCE's own VST3 hosting, the way a DAW scans and instantiates it. */
class Vst3HostTest : public corvane::test::HostedInstanceTest
{
protected:
    Vst3HostTest()
        : HostedInstanceTest (48000.0, 512)
    {
    }
};

/** One ear's part of a settled rendering: what one input's impulse reaches it as. */
struct Ear
{
    Ear (const juce::AudioBuffer<float>& rendering, int channel, int start, int length)
        : samples (rendering.getReadPointer (channel, start), rendering.getReadPointer (channel, start) + length)
    {
        for (size_t i = 0; i < samples.size(); ++i)
        {
            const auto magnitude = std::abs (samples[i]);
            energy += static_cast<double> (magnitude) * magnitude;

            if (magnitude > peak)
            {
                peak = magnitude;
                peakIndex = static_cast<int> (i);
            }
        }
    }

    std::vector<float> samples;
    int peakIndex = 0;
    float peak = 0.0f;
    double energy = 0.0;
};
} // namespace

TEST_F (Vst3HostTest, FactoryIdentityIsWhatTheHostShows)
{
    const auto& description = *bundle.getDescription();

    EXPECT_EQ (description.name, "ZEM2");
    EXPECT_EQ (description.manufacturerName, "Corvane");
    EXPECT_EQ (description.category, "Fx|Spatial");
    EXPECT_EQ (description.version, "2.1.1");
    EXPECT_EQ (description.pluginFormatName, "VST3");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels, 2);
    EXPECT_EQ (description.numOutputChannels, 2);
    EXPECT_EQ (plugin->getName(), "ZEM2");
    EXPECT_FALSE (plugin->acceptsMidi());
    EXPECT_FALSE (plugin->producesMidi());
}

TEST_F (Vst3HostTest, ParametersInOrderWithDefaultsAndTexts)
{
    auto* zemOn = &parameter ("ZEM On");
    auto* gain = &parameter ("Master Gain");

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
    EXPECT_FALSE (plugin->checkBusesLayoutSupported (layout (Set::mono(), Set::mono())));
    EXPECT_FALSE (plugin->checkBusesLayoutSupported (layout (Set::createLCR(), Set::stereo())));
    EXPECT_FALSE (plugin->checkBusesLayoutSupported (layout (Set::stereo(), Set::create5point1())));

    EXPECT_TRUE (plugin->setBusesLayout (layout (Set::mono(), Set::stereo())));
    EXPECT_EQ (plugin->getMainBusNumInputChannels(), 1);
    EXPECT_TRUE (plugin->setBusesLayout (layout (Set::stereo(), Set::stereo())));
}

TEST_F (Vst3HostTest, ZemOffPassesTheInputAfterTheFadeAndTheCrossfade)
{
    EXPECT_EQ (plugin->getLatencySamples(), 0);

    parameter ("ZEM On").setValueNotifyingHost (0.0f);
    plugin->prepareToPlay (sampleRate, blockSize);

    juce::MidiBuffer midi;
    juce::AudioBuffer<float> buffer (2, blockSize);
    int block = 0, blocksEqualToTheInput = 0;

    // Once the graph is prepared, 30 ms of fade-in and 50 ms of crossfade to the dry path: then the output is the
    // input, block after block.
    EXPECT_TRUE (HostedBundle::waitUntil ([&] {
        for (int channel = 0; channel < 2; ++channel)
            for (int k = 0; k < blockSize; ++k)
                buffer.setSample (channel, k, 0.5f * std::sin (0.01f * static_cast<float> (k + block * blockSize + channel)));

        const auto input = buffer;
        plugin->processBlock (buffer, midi);
        ++block;

        if (HostedBundle::firstSampleOutOfBounds (buffer) >= 0)
        {
            ADD_FAILURE() << "not finite or beyond the clip at block " << block;
            return true;
        }

        const auto equal = std::equal (input.getReadPointer (0), input.getReadPointer (0) + blockSize, buffer.getReadPointer (0))
                        && std::equal (input.getReadPointer (1), input.getReadPointer (1) + blockSize, buffer.getReadPointer (1));
        blocksEqualToTheInput = equal ? blocksEqualToTheInput + 1 : 0;
        return blocksEqualToTheInput == 3;
    }));
}

TEST_F (Vst3HostTest, RendersAnImpulseOnEachSideAsTwoMirroredLoudspeakers)
{
    plugin->prepareToPlay (sampleRate, blockSize);

    const auto rendering = HostedBundle::renderSettledImpulses (*plugin, sampleRate, HostedBundle::fixedBlocks (blockSize));
    ASSERT_GT (rendering.getNumSamples(), 0) << "the responses never settled";

    // The left input's impulse first, the right's half-way.
    const auto length = rendering.getNumSamples() / 2;
    const std::array<Ear, 2> fromLeft { Ear (rendering, 0, 0, length), Ear (rendering, 1, 0, length) };
    const std::array<Ear, 2> fromRight { Ear (rendering, 0, length, length), Ear (rendering, 1, length, length) };

    const auto levelDifferenceDb = 10.0 * std::log10 (fromLeft[0].energy / fromLeft[1].energy);
    const auto timeDifferenceMs = 1000.0 * (fromLeft[1].peakIndex - fromLeft[0].peakIndex) / sampleRate;

    std::cout << "left impulse: left ear peak " << fromLeft[0].peak << " at " << fromLeft[0].peakIndex
              << ", right ear peak " << fromLeft[1].peak << " at " << fromLeft[1].peakIndex
              << "; ILD " << levelDifferenceDb << " dB, ITD " << timeDifferenceMs << " ms\n"
              << "right impulse: left ear peak " << fromRight[0].peak << " at " << fromRight[0].peakIndex
              << ", right ear peak " << fromRight[1].peak << " at " << fromRight[1].peakIndex << "\n";

    // The near ear hears the loudspeaker first and louder, by the margins of a source 30 degrees off centre.
    EXPECT_GT (levelDifferenceDb, 3.0);
    EXPECT_LT (levelDifferenceDb, 15.0);
    EXPECT_GT (timeDifferenceMs, 0.15);
    EXPECT_LT (timeDifferenceMs, 0.4);
    EXPECT_LT (fromLeft[0].peakIndex, 48); // within 1 ms: no latency

    // The right loudspeaker is the mirror image of the left.
    for (size_t i = 0; i < fromLeft[0].samples.size(); ++i)
    {
        ASSERT_NEAR (fromLeft[0].samples[i], fromRight[1].samples[i], 1.0e-6f) << i;
        ASSERT_NEAR (fromLeft[1].samples[i], fromRight[0].samples[i], 1.0e-6f) << i;
    }

    // Every build of the bundle must sound the same: the Linux run keeps its rendering (left input to both
    // ears, then right input to both ears) and the Windows run compares against it.
    const std::array<const std::vector<float>*, 4> rendered { &fromLeft[0].samples, &fromLeft[1].samples,
                                                              &fromRight[0].samples, &fromRight[1].samples };
    juce::WavAudioFormat wav;

#if defined(ZEM2_REFERENCE_IMPULSE_OUT)
    {
        juce::AudioBuffer<float> reference (4, length);
        for (int channel = 0; channel < 4; ++channel)
            reference.copyFrom (channel, 0, rendered[static_cast<size_t> (channel)]->data(), length);

        const juce::File file (ZEM2_REFERENCE_IMPULSE_OUT);
        file.deleteFile();
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (file.createOutputStream().release(), sampleRate, 4, 32, {}, 0));
        ASSERT_NE (writer, nullptr) << file.getFullPathName();
        ASSERT_TRUE (writer->writeFromAudioSampleBuffer (reference, 0, length));
    }
#endif

#if defined(ZEM2_REFERENCE_IMPULSE_IN)
    {
        const juce::File file (ZEM2_REFERENCE_IMPULSE_IN);
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));
        ASSERT_NE (reader, nullptr) << "no reference rendering at " << file.getFullPathName();
        ASSERT_EQ (reader->numChannels, 4u);
        ASSERT_EQ (reader->sampleRate, sampleRate);
        ASSERT_EQ (reader->lengthInSamples, length);

        juce::AudioBuffer<float> reference (4, length);
        ASSERT_TRUE (reader->read (&reference, 0, length, 0, true, true));

        float largestDifference = 0.0f;
        for (int channel = 0; channel < 4; ++channel)
            for (int i = 0; i < length; ++i)
                largestDifference = std::max (largestDifference,
                                              std::abs (reference.getSample (channel, i) - (*rendered[static_cast<size_t> (channel)])[static_cast<size_t> (i)]));

        std::cout << "largest difference from the reference rendering: " << largestDifference << "\n";
        EXPECT_LT (largestDifference, 1.0e-5f);
    }
#endif
}

TEST_F (Vst3HostTest, StateSavedFromOneInstanceRestoresBothParametersInAnother)
{
    parameter ("Master Gain").setValueNotifyingHost (0.3f);
    parameter ("ZEM On").setValueNotifyingHost (0.0f);

    juce::MemoryBlock state;
    plugin->getStateInformation (state);
    ASSERT_GT (state.getSize(), 9u);

    auto other = bundle.createInstance (sampleRate, blockSize);
    ASSERT_NE (other, nullptr);

    auto& otherZemOn = HostedBundle::parameter (*other, "ZEM On");
    auto& otherGain = HostedBundle::parameter (*other, "Master Gain");

    ASSERT_EQ (otherZemOn.getValue(), 1.0f);

    /** Counts what the plug-in reports to the host as edits, from whichever thread it reports them. */
    struct EditCounter : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int, float) override { ++edits; }
        void parameterGestureChanged (int, bool) override { ++edits; }
        std::atomic<int> edits { 0 };
    } counter;

    for (auto* each : other->getParameters())
        each->addListener (&counter);

    other->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    const auto editsDuringTheLoad = counter.edits.load();

    // A host that saves right after loading a project gets back what it loaded.
    juce::MemoryBlock saved;
    other->getStateInformation (saved);
    EXPECT_EQ (saved, state);

    EXPECT_EQ (otherZemOn.getValue(), 0.0f);
    EXPECT_NEAR (otherGain.getValue(), 0.3f, 1.0e-6f);
    EXPECT_EQ (otherGain.getText (otherGain.getValue(), 100), "-30.0 dB");

    // Nothing reaches the host as an edit once the load has returned, or the project would open as changed.
    // On Windows the plug-in's own messages arrive through this thread's queue; on Linux it has a thread of its own.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
    EXPECT_EQ (counter.edits.load(), editsDuringTheLoad);

    for (auto* each : other->getParameters())
        each->removeListener (&counter);
}

TEST_F (Vst3HostTest, EditorOpensAtItsSmallestSizeAndClosesAgain)
{
    plugin->prepareToPlay (sampleRate, blockSize);

    for (int round = 0; round < 3; ++round)
    {
        auto editor = HostedBundle::openEditor (*plugin);
        ASSERT_NE (editor, nullptr);
        HostedBundle::closeEditor (editor);
    }
}

#if JUCE_LINUX
    #include "ScreenAccess.h"

namespace
{
void saveShot (const juce::Image& image, const juce::String& name)
{
    const auto folder = juce::File (ZEM2_HOST_SHOTS_DIR);
    folder.createDirectory();
    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}
} // namespace

TEST_F (Vst3HostTest, EditorOpensResizesShowsAboutAndClosesWhileAudioRuns)
{
    corvane::test::ScreenAccess screen;
    ASSERT_TRUE (screen.isAvailable());

    plugin->prepareToPlay (sampleRate, blockSize);

    // Music-like audio at the pace of real time: noise with a tone panned to the left. It stops however the test ends.
    std::atomic<bool> stop { false };
    std::thread audio;
    const auto stopAudio = [&] (std::thread*) { stop.store (true); if (audio.joinable()) audio.join(); };
    std::unique_ptr<std::thread, decltype (stopAudio)> audioStopper (&audio, stopAudio);
    audio = std::thread ([&] {
        juce::Random random (3);
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        double phase = 0.0;

        while (! stop.load())
        {
            for (int i = 0; i < blockSize; ++i, phase += 0.06)
            {
                const auto tone = 0.02f * (float) std::sin (phase);
                buffer.setSample (0, i, 0.01f * (random.nextFloat() - 0.5f) + tone);
                buffer.setSample (1, i, 0.01f * (random.nextFloat() - 0.5f) + 0.3f * tone);
            }

            plugin->processBlock (buffer, midi);
            std::this_thread::sleep_for (std::chrono::milliseconds (1000 * blockSize / (int) sampleRate));
        }
    });

    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE (round);
        auto editor = HostedBundle::openEditor (*plugin);
        ASSERT_NE (editor, nullptr);
        ASSERT_EQ (editor->getWidth(), 770);

        // The scope's region at 770 x 487; the scope renders on its own thread, so its picture changes by itself.
        const auto scopeArea = juce::Rectangle<int> (176, 42, 399, 316) + editor->getScreenPosition();
        const auto expectScopeDrawingAndMoving = [&] (const char* when) {
            juce::Image first;
            ASSERT_TRUE (HostedBundle::waitUntil ([&] { return screen.spreadOf (first = screen.grab (scopeArea)) > 0.1f; }))
                << "the scope stays blank " << when;
            ASSERT_TRUE (HostedBundle::waitUntil ([&] { return screen.differingPixels (first, screen.grab (scopeArea)) > 10; }))
                << "the scope does not move " << when;
        };
        ASSERT_NO_FATAL_FAILURE (expectScopeDrawingAndMoving ("while audio plays"));

        if (round == 0)
            saveShot (screen.grab (editor->getScreenBounds()), "editor-770");

        // About covers the scope with its light panel; only its close button ends it.
        const auto origin = editor->getScreenPosition();
        screen.click (origin + juce::Point<int> (506, 403));
        const auto panelAt = origin + juce::Point<int> (300, 200); // inside the scope, and inside the panel over it
        auto isPanel = [&] { return screen.grab ({ panelAt.x, panelAt.y, 1, 1 }).getPixelAt (0, 0).getBrightness() > 0.85f; };
        ASSERT_TRUE (HostedBundle::waitUntil (isPanel)) << "About did not open";

        if (round == 0)
            saveShot (screen.grab (editor->getScreenBounds()), "editor-about");

        screen.click (origin + juce::Point<int> (625, 73));
        ASSERT_TRUE (HostedBundle::waitUntil ([&] { return ! isPanel(); })) << "About did not close";
        ASSERT_NO_FATAL_FAILURE (expectScopeDrawingAndMoving ("after About closed"));

        // The skin switch: the moon, then the sun; the editor's corner follows the skin.
        const auto skinAt = origin + juce::Point<int> (20, 470);
        auto isDarkSkin = [&] { return screen.grab ({ skinAt.x, skinAt.y, 1, 1 }).getPixelAt (0, 0).getBrightness() < 0.5f; };
        screen.click (origin + juce::Point<int> (397, 403));
        ASSERT_TRUE (HostedBundle::waitUntil (isDarkSkin)) << "the dark skin did not show";

        if (round == 0)
            saveShot (screen.grab (editor->getScreenBounds()), "editor-dark");

        screen.click (origin + juce::Point<int> (457, 403));
        ASSERT_TRUE (HostedBundle::waitUntil ([&] { return ! isDarkSkin(); })) << "the light skin did not come back";

        // A host's resize keeps the aspect ratio within the limits.
        editor->setSize (1000, 632);
        ASSERT_TRUE (HostedBundle::waitUntil ([&] { return editor->getWidth() > 770; }));
        // The plug-in's own window follows the host's a moment later, filling it to the corner.
        const auto corner = editor->getScreenBounds().getBottomRight() - juce::Point<int> (4, 4);
        ASSERT_TRUE (HostedBundle::waitUntil ([&] { return screen.grab ({ corner.x, corner.y, 1, 1 }).getPixelAt (0, 0).getBrightness() > 0.05f; }));
        EXPECT_NEAR ((double) editor->getWidth() / editor->getHeight(), 1540.0 / 974.0, 0.01);

        if (round == 0)
            saveShot (screen.grab (editor->getScreenBounds()), "editor-1000");

        HostedBundle::closeEditor (editor);
    }
}
#endif
