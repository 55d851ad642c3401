#include "editor/ControlView.h"
#include "editor/DraggableLabelView.h"
#include "editor/ZemSlider.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "scope/GLRenderer.h"
#include "support/AllocationCounter.h"
#include "support/GLTestContext.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <thread>

using namespace corvane;

namespace
{
/** Runs 1000 blocks after preparation, with the parameters moving as host automation would move them. */
std::size_t countAllocationsWhileProcessing (AudioPluginAudioProcessor& processor, int blockSize, int numChannels)
{
    auto buffer = test::makeNoise (numChannels, blockSize, 0.5f);
    juce::MidiBuffer midi;
    auto& parameters = processor.getApvtsManager();

    test::ScopedAllocationCounter counter;

    for (int i = 0; i < 1000; ++i)
    {
        if (i % 100 == 0)
        {
            parameters.setNormalisedValue (masterGainParameterID, static_cast<float> (i % 700) / 700.0f);
            parameters.setBoolValue (zemOnParameterID, (i / 100) % 2 == 0);
        }

        processor.processBlock (buffer, midi);
    }

    return counter.getCount();
}
} // namespace

TEST (RealtimeRules, CounterSeesEveryWayIntoTheHeap)
{
    struct Case
    {
        const char* what;
        std::function<void()> call;
        std::size_t calls, throughNew;
    };

    // Volatile, so that the compiler cannot drop an allocation that is freed at once.
    static void* volatile kept = nullptr;

    const Case cases[] {
        { "operator new and delete", [] { kept = ::operator new (16); ::operator delete (kept); }, 2, 2 },
        { "aligned operator new and delete", [] { kept = ::operator new (64, std::align_val_t (64)); ::operator delete (kept, std::align_val_t (64)); }, 2, 2 },
        { "malloc and free", [] { kept = std::malloc (16); std::free (kept); }, 2, 0 },
        { "calloc, realloc and free", [] { kept = std::calloc (4, 4); kept = std::realloc (kept, 4096); std::free (kept); }, 3, 0 },
        { "a JUCE buffer", [] { juce::AudioBuffer<float> buffer (2, 64); }, 2, 0 },
    };

    for (const auto& c : cases)
    {
        if (c.calls > c.throughNew && ! test::ScopedAllocationCounter::seesTheCHeap)
            continue;

        test::ScopedAllocationCounter counter;
        c.call();
        EXPECT_EQ (counter.getCount(), c.calls) << c.what;
        EXPECT_EQ (counter.getCountThroughNew(), c.throughNew) << c.what;
    }
}

TEST (RealtimeRules, ProcessBlockNeverAllocatesMonoOrShortOrLongBlocks)
{
    // Stereo at the prepared size runs in the views' test below.
    AudioPluginAudioProcessor processor;
    ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (1, 2)));
    processor.prepareToPlay (44100.0, 256);

    for (const auto blockSize : { 100, 1024 })
        EXPECT_EQ (countAllocationsWhileProcessing (processor, blockSize, 2), 0u) << blockSize;
}

TEST (RealtimeRules, OpenViewsFollowHostAutomationWithoutAllocatingOnTheAudioThread)
{
    AudioPluginAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    auto& apvts = processor.getApvtsManager().getApvts();

    // Every view that listens to a parameter, as an open editor has them.
    DraggableLabelView label (apvts, masterGainParameterID);
    ZemSlider slider (apvts, masterGainParameterID);
    ControlView controlBar (apvts, processor.getConfigState());

    std::size_t allocations = 0;
    std::thread audio ([&] {
        auto buffer = test::makeNoise (2, 512, 0.5f);
        juce::MidiBuffer midi;
        test::ScopedAllocationCounter counter;

        for (int i = 0; i < 200; ++i)
        {
            apvts.getParameter (masterGainParameterID)->setValueNotifyingHost ((float) (i % 50) / 50.0f);
            apvts.getParameter (zemOnParameterID)->setValueNotifyingHost ((float) (i % 2));
            processor.processBlock (buffer, midi);
        }

        allocations = counter.getCount();
    });
    audio.join();

    EXPECT_EQ (allocations, 0u);
}

TEST (RealtimeRules, TheScopeDrawsAFrameWithoutAllocating)
{
    AudioPluginAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);

    juce::OpenGLContext context;
    juce::Component window;
    window.setSize (200, 160);
    GLRenderer renderer (processor.getApvtsManager(), processor, context);
    renderer.setBounds (window.getLocalBounds());
    window.addAndMakeVisible (renderer);
    window.addToDesktop (0);
    window.setVisible (true);
    ASSERT_TRUE (test::pumpMessagesUntil ([&] { return renderer.getLastFrame().count > 0; }));

    auto buffer = test::makeNoise (2, 512, 0.05f);
    juce::MidiBuffer midi;
    std::size_t allocations = 0;
    int pointsDrawn = 0;

    // The first frames compile the software renderer's shaders for each state; what follows is the steady frame.
    // Mesa's software driver takes the C heap inside the GL calls, so only our own code's operator new counts.
    for (int frame = 0; frame < 60; ++frame)
    {
        processor.getApvtsManager().setBoolValue (zemOnParameterID, frame % 20 < 10);
        processor.processBlock (buffer, midi);

        context.executeOnGLThread (
            [&] (juce::OpenGLContext&) {
                test::ScopedAllocationCounter counter;
                renderer.renderOpenGL();

                if (frame >= 30)
                {
                    allocations += counter.getCountThroughNew();
                    pointsDrawn += renderer.getLastFrame().points;
                }
            },
            true);
    }

    EXPECT_TRUE (renderer.getLastFrame().drew);
    EXPECT_GT (pointsDrawn, 0);
    window.removeFromDesktop();
    EXPECT_EQ (allocations, 0u);
}
