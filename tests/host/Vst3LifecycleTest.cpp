// The built bundle through JUCE's VST3 host as a DAW drives it over a session: prepared again, released and
// activated from the host's engine thread while audio runs and the editor is open, and many instances coming and
// going from two threads while editors open and close on the message thread.

#include "HostedBundle.h"
#include "ScreenAccess.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace
{
using corvane::test::HostedBundle;
using corvane::test::ScreenAccess;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

class Vst3LifecycleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (screen.isAvailable());
        ASSERT_NE (bundle.getDescription(), nullptr);

        // Earlier tests' clicks leave the pointer where editors open: a button under it may or may not show as
        // hovered, depending on whether its window appeared before or after the pointer's last move.
        screen.movePointer ({ 0, 0 });
    }

    std::unique_ptr<juce::AudioPluginInstance> createInstance() { return bundle.createInstance (sampleRate, blockSize); }

    static juce::AudioBuffer<float> renderSettledImpulses (juce::AudioPluginInstance& instance)
    {
        return HostedBundle::renderSettledImpulses (instance, sampleRate, HostedBundle::fixedBlocks (blockSize));
    }

    ScreenAccess screen;
    HostedBundle bundle;
};
} // namespace

TEST_F (Vst3LifecycleTest, PreparedAgainReleasedAndToggledFromTheEnginesThreadWithTheEditorOpenAndAudioRunning)
{
    auto plugin = createInstance();
    ASSERT_NE (plugin, nullptr);
    plugin->prepareToPlay (sampleRate, blockSize);
    const auto rendered = renderSettledImpulses (*plugin);
    ASSERT_GT (rendered.getNumSamples(), 0) << "the responses never settled";

    auto editor = HostedBundle::openEditor (*plugin);
    ASSERT_NE (editor, nullptr);

    // The device's clock: a block of noise with a tone every block period, of the size the engine last set.
    std::atomic<bool> stop { false };
    std::atomic<int> blocksPlayed { 0 }, silent { 0 }, notFinite { 0 }, currentBlockSize { blockSize };
    std::thread audio ([&] {
        juce::Random random (5);
        juce::AudioBuffer<float> storage (2, 1024);
        juce::MidiBuffer midi;
        double phase = 0.0;

        while (! stop.load())
        {
            const auto numSamples = currentBlockSize.load();
            juce::AudioBuffer<float> block (storage.getArrayOfWritePointers(), 2, numSamples);

            for (int i = 0; i < numSamples; ++i, phase += 0.06)
            {
                const auto tone = 0.05f * static_cast<float> (std::sin (phase));
                block.setSample (0, i, 0.01f * (random.nextFloat() - 0.5f) + tone);
                block.setSample (1, i, 0.01f * (random.nextFloat() - 0.5f) + 0.3f * tone);
            }

            plugin->processBlock (block, midi);

            auto peak = 0.0f;

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < numSamples; ++i)
                {
                    notFinite += std::isfinite (block.getSample (channel, i)) ? 0 : 1;
                    peak = std::max (peak, std::abs (block.getSample (channel, i)));
                }

            // The input is never silent, and neither is the output of a prepared plug-in, even while it fades in.
            silent += peak < 1.0e-6f ? 1 : 0;

            ++blocksPlayed;
            std::this_thread::sleep_for (std::chrono::microseconds (static_cast<int> (1.0e6 * numSamples / sampleRate)));
        }
    });

    struct Change
    {
        const char* what;
        double rates[2];
        int blockSize;
        bool releaseFirst;
        int repeats, blocksBetween;
    };

    // The last change leaves the plug-in as it was first prepared.
    const Change changes[] = {
        { "another rate", { 44100.0, 44100.0 }, blockSize, false, 1, 8 },
        { "another block size", { 44100.0, 44100.0 }, 128, false, 1, 8 },
        { "released, then prepared at another rate and size", { 96000.0, 96000.0 }, 1024, true, 1, 8 },
        { "rates alternating a block apart", { 44100.0, 48000.0 }, blockSize, false, 12, 1 },
        { "deactivated and activated in quick succession", { sampleRate, sampleRate }, blockSize, true, 12, 0 },
    };

    // A DAW's engine thread activates the plug-in; JUCE's host takes the message manager's lock around it.
    std::atomic<int> changesDone { 0 };
    juce::StringArray problems;
    std::thread engine ([&] {
        for (const auto& change : changes)
        {
            const auto silentBefore = silent.load();

            for (int repeat = 0; repeat < change.repeats; ++repeat)
            {
                currentBlockSize.store (std::min (currentBlockSize.load(), change.blockSize));

                if (change.releaseFirst)
                    plugin->releaseResources();

                plugin->prepareToPlay (change.rates[repeat % 2], change.blockSize);
                currentBlockSize.store (change.blockSize);

                const auto played = blocksPlayed.load();

                if (! HostedBundle::waitUntil ([&] { return blocksPlayed.load() >= played + change.blocksBetween; }))
                    problems.add (juce::String ("audio stopped after ") + change.what);
            }

            const auto played = blocksPlayed.load();

            if (! HostedBundle::waitUntil ([&] { return blocksPlayed.load() >= played + 8; }))
                problems.add (juce::String ("audio stopped after ") + change.what);

            if (silent.load() != silentBefore)
                problems.add (juce::String ("silent blocks after ") + change.what);

            ++changesDone;
        }
    });

    EXPECT_TRUE (HostedBundle::waitUntil ([&] { return changesDone.load() == static_cast<int> (std::size (changes)); }));
    engine.join();
    EXPECT_TRUE (problems.isEmpty()) << problems.joinIntoString ("; ");

    // The scope keeps drawing what plays.
    const auto scopeArea = juce::Rectangle<int> (176, 42, 399, 316) + editor->getScreenPosition();
    juce::Image first;
    EXPECT_TRUE (HostedBundle::waitUntil ([&] { return ScreenAccess::spreadOf (first = screen.grab (scopeArea)) > 0.1f; })) << "the scope is blank";
    EXPECT_TRUE (HostedBundle::waitUntil ([&] { return ScreenAccess::differingPixels (first, screen.grab (scopeArea)) > 10; }))
        << "the scope stands still while audio plays";

    stop.store (true);
    audio.join();
    EXPECT_EQ (notFinite.load(), 0);

    // Back at the first settings, the plug-in renders as it did before.
    const auto renderedAfterwards = renderSettledImpulses (*plugin);
    ASSERT_GT (renderedAfterwards.getNumSamples(), 0) << "the responses never settled again";
    EXPECT_LT (HostedBundle::relativeDifference (renderedAfterwards, rendered, rendered.getNumSamples()), 1.0e-5f);

    HostedBundle::closeEditor (editor);
    plugin->releaseResources();
}

TEST_F (Vst3LifecycleTest, EightInstancesComeAndGoFromTwoThreadsWhileEditorsOpenAndClose)
{
    enum State
    {
        empty,
        alive,
        editing,
        dying
    };

    struct Slot
    {
        std::unique_ptr<juce::AudioPluginInstance> instance;
        std::atomic<int> state { empty };
    };

    std::array<Slot, 8> slots;

    struct Step
    {
        int slot;
        bool create;
    };

    // The editor's value label and control bar, drawn with the plug-in's look, and its gain column; clear of the
    // meters and the scope.
    const juce::Rectangle<int> regions[] = { { 629, 398, 90, 19 }, { 187, 372, 377, 56 }, { 622, 104, 60, 280 } };
    std::vector<juce::Image> reference;

    auto grabRegionsOf = [&] (const juce::AudioProcessorEditor& editor) {
        std::vector<juce::Image> images;

        for (const auto& region : regions)
            images.push_back (screen.grab (region + editor.getScreenPosition()));

        return images;
    };

    // The logo of the framework's badge has a ring of a green that the editor itself never draws.
    auto showsTheFrameworksBadge = [&] (const juce::AudioProcessorEditor& editor) {
        const auto logo = screen.grab (juce::Rectangle<int> (641, 418, 123, 63) + editor.getScreenPosition());
        int ringPixels = 0;

        for (int y = 0; y < logo.getHeight(); ++y)
            for (int x = 0; x < logo.getWidth(); ++x)
            {
                const auto pixel = logo.getPixelAt (x, y);
                ringPixels += std::abs (pixel.getRed() - 141) <= 16 && std::abs (pixel.getGreen() - 198) <= 16
                                   && std::abs (pixel.getBlue() - 63) <= 16
                                ? 1
                                : 0;
            }

        return ringPixels > 40;
    };

    auto looksLikeTheReference = [&] (const std::vector<juce::Image>& images) {
        for (size_t i = 0; i < images.size(); ++i)
            if (ScreenAccess::differingPixels (images[i], reference[i]) != 0)
                return false;

        return true;
    };

    // The process's first instance, made before the others, and its editor's picture once it stays the same.
    slots[0].instance = createInstance();
    ASSERT_NE (slots[0].instance, nullptr);
    slots[0].instance->prepareToPlay (sampleRate, blockSize);

    // The framework's badge shades the lower right corner, the value label's included, of every editor opened within
    // two seconds of the process's first, and each badge starts to fade two seconds after it appeared. The first
    // editor stays open until its badge fades, so that the second, which gives the reference, and all later ones
    // show none, however long the instances take to come and go.
    for (int pass = 0; pass < 2; ++pass)
    {
        auto editor = HostedBundle::openEditor (*slots[0].instance);
        ASSERT_NE (editor, nullptr);
        reference.clear();
        ASSERT_TRUE (HostedBundle::waitUntil ([&] {
            auto images = grabRegionsOf (*editor);
            const auto steady = ! reference.empty() && looksLikeTheReference (images);
            reference = std::move (images);
            return steady && ScreenAccess::spreadOf (reference[0]) > 0.1f && ! showsTheFrameworksBadge (*editor);
        })) << "the first editor never painted its gain value without the framework's badge";
        HostedBundle::closeEditor (editor);
    }

    slots[0].state.store (alive);

    // Each thread creates and destroys its own instances, in orders that interleave with the other's; 3 and 6
    // outlive the others, the first among them.
    const std::vector<Step> scripts[] = {
        { { 2, true }, { 4, true }, { 0, false }, { 6, true }, { 4, false }, { 2, false } },
        { { 1, true }, { 3, true }, { 1, false }, { 5, true }, { 7, true }, { 5, false }, { 7, false } },
    };

    // JUCE's host hands creation and destruction to the message thread and blocks until they are done there;
    // a DAW's loader threads do the same. An instance with its editor open waits for the editor to close.
    std::atomic<int> workersDone { 0 }, failures { 0 };
    std::vector<std::thread> workers;

    for (const auto& script : scripts)
    {
        workers.emplace_back ([&, script] {
            for (const auto& step : script)
            {
                auto& slot = slots[static_cast<size_t> (step.slot)];

                if (step.create)
                {
                    slot.instance = createInstance();

                    if (slot.instance == nullptr)
                    {
                        ++failures;
                        continue;
                    }

                    slot.instance->prepareToPlay (sampleRate, blockSize);
                    slot.state.store (alive);
                    continue;
                }

                if (! HostedBundle::waitUntil ([&] {
                        auto expected = static_cast<int> (alive);
                        return slot.state.compare_exchange_strong (expected, dying);
                    }))
                {
                    ++failures;
                    continue;
                }

                slot.instance.reset();
                slot.state.store (empty);
            }

            ++workersDone;
        });
    }

    auto showEditorOf = [&] (Slot& slot) {
        auto editor = HostedBundle::openEditor (*slot.instance);

        if (editor == nullptr)
            return false;

        std::vector<juce::Image> images;
        const auto shown = HostedBundle::waitUntil ([&] { return looksLikeTheReference (images = grabRegionsOf (*editor)); });

        for (size_t i = 0; ! shown && i < images.size(); ++i)
            ADD_FAILURE() << "region " << i << ": " << ScreenAccess::differingPixels (images[i], reference[i])
                          << " pixels differ, editor at " << editor->getScreenPosition().toString() << ", size "
                          << editor->getWidth() << "x" << editor->getHeight();

        HostedBundle::closeEditor (editor);
        return shown;
    };

    // A fixed number of editors while the instances come and go, each on the next instance that is alive.
    constexpr int numEditors = 6;
    int editorsShown = 0, editorsOpened = 0;
    size_t next = 0;

    for (; editorsOpened < numEditors; ++editorsOpened)
    {
        Slot* chosen = nullptr;
        const auto found = HostedBundle::waitUntil ([&] {
            for (size_t tried = 0; tried < slots.size() && chosen == nullptr; ++tried)
            {
                auto& slot = slots[next++ % slots.size()];
                auto expected = static_cast<int> (alive);

                if (slot.state.compare_exchange_strong (expected, editing))
                    chosen = &slot;
            }

            return chosen != nullptr;
        });

        if (! found)
            break;

        editorsShown += showEditorOf (*chosen) ? 1 : 0;
        chosen->state.store (alive);
    }

    EXPECT_TRUE (HostedBundle::waitUntil ([&] { return workersDone.load() == 2; }));

    for (auto& worker : workers)
        worker.join();

    EXPECT_EQ (failures.load(), 0);
    EXPECT_EQ (editorsOpened, numEditors);

    // Once every other instance and editor has gone, the first instance among them, the survivors' editors
    // still show the plug-in's look.
    for (auto* survivor : { &slots[6], &slots[3] })
    {
        if (survivor->state.load() != alive)
            continue;

        editorsShown += showEditorOf (*survivor) ? 1 : 0;
        survivor->instance.reset();
    }

    EXPECT_EQ (editorsShown, numEditors + 2) << "an editor lost the plug-in's look";
}
