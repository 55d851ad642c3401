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

TEST (RealtimeRules, CounterSeesAllocationsOnItsOwnThread)
{
    test::ScopedAllocationCounter counter;
    auto* memory = ::operator new (16);
    ::operator delete (memory);
    EXPECT_EQ (counter.getCount(), 1u);
}

TEST (RealtimeRules, ProcessBlockNeverAllocatesStereo)
{
    AudioPluginAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);

    EXPECT_EQ (countAllocationsWhileProcessing (processor, 512, 2), 0u);
}

TEST (RealtimeRules, ProcessBlockNeverAllocatesMonoOrShortOrLongBlocks)
{
    AudioPluginAudioProcessor processor;
    ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (1, 2)));
    processor.prepareToPlay (44100.0, 256);

    EXPECT_EQ (countAllocationsWhileProcessing (processor, 100, 2), 0u);
    EXPECT_EQ (countAllocationsWhileProcessing (processor, 1024, 2), 0u);
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
                    allocations += counter.getCount();
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
