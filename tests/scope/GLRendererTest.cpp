#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "scope/GLRenderer.h"
#include "support/DesktopWindow.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <thread>

using namespace corvane;

namespace
{
struct FakeState : IProcessorStateProvider
{
    float getValue (juce::String) override { return 0.0f; }
    int getIntValue (juce::String) override { return 0; }
    float getNormalisedValue (juce::String) override { return 0.0f; }
    juce::String getText (juce::String) override { return {}; }
    float getDefaultValue (juce::String) override { return 0.0f; }
    bool getBoolValue (juce::String) override { return true; }
    void addParameterListener (juce::StringRef, juce::AudioProcessorValueTreeState::Listener*) override {}
    void removeParameterListener (juce::StringRef, juce::AudioProcessorValueTreeState::Listener*) override {}
};

/** A ring that always has `ready` samples and remembers what the latest frame took from it. */
struct FakeRing : IAudioSampleProvider
{
    int getNumReady() override
    {
        skipped = 0;
        readLength = 0;
        return ready;
    }

    bool read (juce::AudioBuffer<float>& destination) override
    {
        readLength = destination.getNumSamples();
        return true;
    }

    void skip (int numSamples) override { skipped = numSamples; }

    std::atomic<int> ready { 0 }, skipped { 0 }, readLength { 0 };
};

/** A renderer shown in a window with the context attached, as the editor has it; frames come when asked for. */
struct ShownRenderer
{
    explicit ShownRenderer (const char* vertexText = vertexShaderSource, IAudioSampleProvider* ring = nullptr)
        : renderer (std::make_unique<GLRenderer> (state, ring != nullptr ? *ring : fakeRing, context, vertexText))
    {
        window.setSize (120, 90);
        renderer->setBounds (window.getLocalBounds());
        window.addAndMakeVisible (*renderer);
        desktop = std::make_unique<test::DesktopWindow> (window);
    }

    /** Waits for frames that began after this call. */
    bool awaitFrames (int count = 2)
    {
        const auto target = renderer->getLastFrame().count + count;
        return test::pumpMessagesUntil ([&] {
            context.triggerRepaint();
            return renderer->getLastFrame().count >= target;
        });
    }

    FakeState state;
    FakeRing fakeRing;
    juce::OpenGLContext context;
    juce::Component window;
    std::unique_ptr<GLRenderer> renderer;
    std::unique_ptr<test::DesktopWindow> desktop;
};
} // namespace

TEST (GLRenderer, DrawsOnlyTheNewestSamplesOfTheRing)
{
    struct Case
    {
        int ready, skipped, read;
    };

    ShownRenderer scope;

    for (auto c : { Case { 3000, 952, 2048 }, Case { 2048, 0, 2048 }, Case { 100, 0, 100 }, Case { 0, 0, 0 } })
    {
        scope.fakeRing.ready = c.ready;
        ASSERT_TRUE (scope.awaitFrames());

        EXPECT_EQ (scope.fakeRing.skipped, c.skipped) << c.ready;
        EXPECT_EQ (scope.fakeRing.readLength, c.read) << c.ready;
        EXPECT_EQ (scope.renderer->getLastFrame().points, 2 * c.read) << c.ready;
        EXPECT_TRUE (scope.renderer->getLastFrame().drew);
    }
}

TEST (GLRenderer, RebuildsTheTrailImageForEveryNewSizeOrScale)
{
    struct Case
    {
        float scale;
        int width, frameBufferWidth, viewportWidth;
    };

    ShownRenderer scope;
    const juce::ScopeGuard resetScale { [] { juce::Desktop::getInstance().setGlobalScaleFactor (1.0f); } };
    auto& frame = scope.renderer->getLastFrame();

    // A rescale alone reaches the renderer without a resize of its own; 377.5 rounds to even.
    for (auto c : { Case { 1.0f, 301, 301, 301 }, Case { 1.25f, 301, 376, 376 }, Case { 1.25f, 302, 377, 378 } })
    {
        juce::Desktop::getInstance().setGlobalScaleFactor (c.scale);
        scope.window.setSize (c.width, 200);
        scope.renderer->setSize (c.width, 200);
        const auto rebuilt = test::pumpMessagesUntil ([&] {
            scope.context.triggerRepaint();
            return frame.frameBufferWidth == c.frameBufferWidth;
        });
        ASSERT_TRUE (rebuilt) << c.width << " at " << c.scale << " gave " << frame.frameBufferWidth;
        ASSERT_TRUE (scope.awaitFrames());

        EXPECT_EQ (frame.viewportWidth, c.viewportWidth);
        EXPECT_EQ (frame.frameBufferHeight, (int) (200 * c.scale));
    }
}

TEST (GLRenderer, ReleasesEveryGLObjectWhenHiddenAndSurvivesAProgramThatFailsToBuild)
{
    struct Case
    {
        const char* name;
        const char* vertexText;
        bool draws;
    };

    for (auto c : { Case { "the scope's program", vertexShaderSource, true },
                    Case { "not GLSL", "this is not a shader", false },
                    Case { "nothing to link", "attribute vec4 position;", false } })
    {
        SCOPED_TRACE (c.name);
        ShownRenderer scope (c.vertexText);
        auto& renderer = *scope.renderer;

        for (int showing = 0; showing < 2; ++showing)
        {
            ASSERT_TRUE (scope.awaitFrames());
            EXPECT_EQ (renderer.getLastFrame().drew, c.draws);
            EXPECT_EQ (renderer.shader != nullptr && renderer.particles != nullptr && renderer.fillRectangle != nullptr
                           && renderer.attributes != nullptr && renderer.uniforms != nullptr,
                       c.draws);
            EXPECT_TRUE (renderer.frameBuffer.isValid() && renderer.backgroundTexture.getTextureID() != 0);

            // The About overlay hides the scope: the context lets everything go, and builds it anew on showing.
            renderer.setVisible (false);
            ASSERT_FALSE (scope.context.isAttached());
            EXPECT_TRUE (renderer.shader == nullptr && renderer.particles == nullptr && renderer.fillRectangle == nullptr
                         && renderer.attributes == nullptr && renderer.uniforms == nullptr);
            EXPECT_FALSE (renderer.frameBuffer.isValid() || renderer.backgroundTexture.getTextureID() != 0);
            renderer.setVisible (true);
        }
    }
}

TEST (GLRenderer, LeavesTheContextFreeInEveryOrderOfTeardown)
{
    enum class Order
    {
        destroyedWhileShown,
        destroyedWhileHidden,
        contextDetachedFirst
    };

    for (auto order : { Order::destroyedWhileShown, Order::destroyedWhileHidden, Order::contextDetachedFirst })
    {
        SCOPED_TRACE ((int) order);
        ShownRenderer scope;
        ASSERT_TRUE (scope.awaitFrames());

        if (order == Order::destroyedWhileHidden)
            scope.renderer->setVisible (false);
        else if (order == Order::contextDetachedFirst)
            scope.context.detach();

        scope.renderer.reset();

        // A context still watching the deleted renderer would reach it when it is detached or destroyed.
        EXPECT_EQ (scope.context.getTargetComponent(), nullptr);
        scope.context.detach();
    }
}

TEST (GLRenderer, KeepsDrawingWhileTheAudioThreadWritesAndReplacesTheRing)
{
    AudioPluginAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    ShownRenderer scope (vertexShaderSource, &processor);
    scope.context.setContinuousRepainting (true);

    std::atomic<bool> stop { false };
    std::thread audio ([&] {
        const auto noise = test::makeNoise (2, 512, 0.5f);
        juce::AudioBuffer<float> block (2, 512);
        juce::MidiBuffer midi;

        // Every preparation replaces the ring under the scope's reads.
        for (int i = 1; ! stop; ++i)
        {
            if (i % 50 == 0)
                processor.prepareToPlay (48000.0, 512);

            block.makeCopyOf (noise, true);
            processor.processBlock (block, midi);
        }
    });

    EXPECT_TRUE (scope.awaitFrames (300));
    stop = true;
    audio.join();
    EXPECT_TRUE (scope.renderer->getLastFrame().drew);
}
