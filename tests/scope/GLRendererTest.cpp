#include "dsp/ProcessorBase.h"
#include "interfaces/ParameterIds.h"
#include "processor/ApvtsManager.h"
#include "scope/GLRenderer.h"
#include "support/DesktopWindow.h"
#include "support/GLTestContext.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <tuple>

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

    /** Renders one frame on the GL thread and reads it back, bottom row first. The context may render frames of
        its own in between: frameCount says which frame this was. */
    std::vector<juce::PixelARGB> frame()
    {
        std::vector<juce::PixelARGB> pixels;
        context.executeOnGLThread ([&] (juce::OpenGLContext&) {
            renderer->renderOpenGL();
            pixels = test::readPixels (120, 90);
            frameCount = renderer->getLastFrame().count;
        },
                                   true);
        return pixels;
    }

    int frameCount = 0;

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

    // Quiet, the left loudspeaker's sound sits high in its fan, its height scaled by the aspect ratio 120 / 90; off,
    // the left output lies on the bottom line, inward from the left edge by its level.
    for (auto c : { Case { true, 0.01f, { -0.6146f, 0.2514f * 4.0f / 3.0f } }, Case { false, -0.2f, { -0.8f, -0.9f } } })
    {
        scope.state.setBoolValue (zemOnParameterID, c.zemOn);
        scope.fakeRing.level = c.level;
        scope.fakeRing.ready = 0;
        const auto before = scope.frame();
        scope.fakeRing.ready = 1;
        const auto after = scope.frame();

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

TEST (GLRenderer, ColoursPointsByWhetherTheyLieBeyondTheSquareAndFadesTheirTrailsAway)
{
    struct Case
    {
        float level;
        bool beyond;
        int framesToFade;
    };

    ShownRenderer scope;
    scope.state.setBoolValue (zemOnParameterID, false);
    scope.renderer->isDark = true;

    // Off, a level of -1 lies on the square's edge and lands mid-way along the bottom line, -1.1 beyond it. Each
    // frame keeps 0.9 of the trails, frames without samples included, until their red falls below 0.03: the count
    // runs from the frame that drew the point to the one without it, give or take the context's own frames.
    for (auto c : { Case { -1.0f, false, 25 }, Case { -1.1f, true, 35 } })
    {
        SCOPED_TRACE (c.level);
        scope.fakeRing.level = c.level;
        scope.fakeRing.ready = 0;
        const auto background = scope.frame();
        scope.fakeRing.ready = 1;
        const auto drawn = scope.frame();
        scope.fakeRing.ready = 0;

        // The right loudspeaker's silent point may touch the left edge; this one lies right of the middle.
        size_t at = 0;
        auto largest = 0;
        for (size_t i = 0; i < drawn.size(); ++i)
        {
            const auto change = std::abs (drawn[i].getRed() - background[i].getRed()) + std::abs (drawn[i].getGreen() - background[i].getGreen())
                              + std::abs (drawn[i].getBlue() - background[i].getBlue());
            if (i % 120 >= 50 && change > largest)
                std::tie (at, largest) = std::tuple (i, change);
        }

        const auto p = drawn[at], b = background[at];
        ASSERT_GT (largest, 100);
        EXPECT_NEAR ((double) (at % 120), c.beyond ? 65.5 : 59.5, 1.0);

        if (c.beyond)
        {
            EXPECT_EQ (p.getRed(), 255);
            EXPECT_EQ (p.getGreen(), b.getGreen());
            EXPECT_EQ (p.getBlue(), b.getBlue());
        }
        else
        {
            EXPECT_GT (p.getGreen() - b.getGreen(), p.getRed() - b.getRed() + 40) << "cyan";
            EXPECT_GT (p.getBlue() - b.getBlue(), p.getRed() - b.getRed() + 40) << "cyan";
        }

        const auto drawnAt = scope.frameCount;
        while (scope.frameCount < drawnAt + 100 && scope.frame()[at].getNativeARGB() != b.getNativeARGB())
            continue;

        EXPECT_NEAR (scope.frameCount - drawnAt, c.framesToFade, 2);
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
