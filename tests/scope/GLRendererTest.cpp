#include "dsp/ProcessorBase.h"
#include "interfaces/ParameterIds.h"
#include "processor/ApvtsManager.h"
#include "scope/GLRenderer.h"
#include "support/DesktopWindow.h"
#include "support/GLTestContext.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** A ring that always has `ready` samples, `level` in both ears from the left loudspeaker and silence from the
    right, and remembers what the latest frame took from it. */
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
        destination.clear();
        for (auto channel : { 0, 2 })
            juce::FloatVectorOperations::fill (destination.getWritePointer (channel), level, destination.getNumSamples());

        return true;
    }

    void skip (int numSamples) override { skipped = numSamples; }

    std::atomic<int> ready { 0 }, skipped { 0 }, readLength { 0 };
    std::atomic<float> level { 0.0f };
};

/** A renderer shown in a window with the context attached, as the editor has it; frames come when asked for. */
struct ShownRenderer
{
    explicit ShownRenderer (const char* vertexText = vertexShaderSource)
        : renderer (std::make_unique<GLRenderer> (state, fakeRing, context, vertexText))
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

    ProcessorBase parameterOwner;
    ApvtsManager state { parameterOwner, nullptr };
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

TEST (GLRenderer, DrawsEachPointWhereTheLayoutPutsItOverTheBackground)
{
    struct Case
    {
        bool zemOn;
        float level;
        juce::Point<float> position; // in the viewport's -1..1 square, y upwards
    };

    ShownRenderer scope;
    const auto read = [&] {
        std::vector<juce::PixelARGB> pixels;
        scope.context.executeOnGLThread ([&] (juce::OpenGLContext&) {
            scope.renderer->renderOpenGL();
            pixels = test::readPixels (120, 90);
        },
                                         true);
        return pixels;
    };

    // Quiet, the left loudspeaker's sound sits high in its fan, its height scaled by the aspect ratio 120 / 90; off,
    // the left output lies on the bottom line, inward from the left edge by its level.
    for (auto c : { Case { true, 0.01f, { -0.6146f, 0.2514f * 4.0f / 3.0f } }, Case { false, -0.2f, { -0.8f, -0.9f } } })
    {
        scope.state.setBoolValue (zemOnParameterID, c.zemOn);
        scope.fakeRing.level = c.level;
        scope.fakeRing.ready = 0;
        const auto before = read();
        scope.fakeRing.ready = 1;
        const auto after = read();

        juce::Point<float> sum;
        int changed = 0;
        for (size_t i = 0; i < after.size(); ++i)
        {
            if (after[i].getGreen() > before[i].getGreen() + 40)
            {
                sum += { (float) (i % 120), (float) (i / 120) };
                ++changed;
            }
        }

        ASSERT_GT (changed, 0) << c.zemOn;
        const auto expected = juce::Point<float> ((c.position.x + 1.0f) * 60.0f - 0.5f, (c.position.y + 1.0f) * 45.0f - 0.5f);
        EXPECT_LT ((sum / (float) changed).getDistanceFrom (expected), 1.5f) << c.zemOn << ": " << (sum / (float) changed).toString();
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

TEST (GLRenderer, LetsEveryGLObjectGoWhenHiddenAndSurvivesAProgramThatFailsToBuild)
{
    struct Case
    {
        const char* vertexText;
        bool draws;
    };

    for (auto c : { Case { vertexShaderSource, true }, Case { "not GLSL", false }, Case { "attribute vec4 position;", false } })
    {
        SCOPED_TRACE (c.vertexText);
        ShownRenderer scope (c.vertexText);
        auto& r = *scope.renderer;
        const auto numBuilt = [&r] {
            return (r.shader != nullptr) + (r.particles != nullptr) + (r.fillRectangle != nullptr) + (r.attributes != nullptr)
                 + (r.uniforms != nullptr) + r.frameBuffer.isValid() + (r.backgroundTexture.getTextureID() != 0);
        };

        // The About overlay hides the scope, twice: each showing builds everything anew, or all but the program's part.
        for (int showing = 0; showing < 2; ++showing)
        {
            ASSERT_TRUE (scope.awaitFrames());
            EXPECT_EQ (r.getLastFrame().drew, c.draws);
            EXPECT_EQ (numBuilt(), c.draws ? 7 : 2);

            r.setVisible (false);
            ASSERT_FALSE (scope.context.isAttached());
            EXPECT_EQ (numBuilt(), 0);
            r.setVisible (true);
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
