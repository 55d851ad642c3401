// The scope as the editor wires it to the processor. The on-screen tests read the frames back on the GL thread and
// write what they show to PNG files (ZEM2_SHOTS_DIR) for a person to look at.

#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "scope/VectorScopeView.h"
#include "support/DesktopWindow.h"
#include "support/GLTestContext.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

namespace
{
struct ShownScope
{
    ShownScope()
    {
        processor.prepareToPlay (48000.0, 512);
        window.setSize (399, 316); // the scope at the editor's opening size
        view.setBounds (window.getLocalBounds());
        window.addAndMakeVisible (view);
        desktop = std::make_unique<test::DesktopWindow> (window);
    }

    /** Renders one frame on the GL thread and reads it back, top row first. */
    juce::Image frame()
    {
        std::vector<juce::PixelARGB> pixels;
        context.executeOnGLThread ([&] (juce::OpenGLContext&) {
            view.getRenderer().renderOpenGL();
            pixels = test::readPixels (view.getWidth(), view.getHeight());
        },
                                   true);

        juce::Image image (juce::Image::RGB, view.getWidth(), view.getHeight(), false);
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                image.setPixelAt (x, image.getHeight() - 1 - y, juce::Colour (pixels[(size_t) (y * image.getWidth() + x)]));

        return image;
    }

    AudioPluginAudioProcessor processor;
    juce::OpenGLContext context;
    VectorScopeView view { processor.getApvtsManager(), processor, processor.getConfigState(), context };
    juce::Component window;
    std::unique_ptr<test::DesktopWindow> desktop;
};

float brightness (const juce::Image& image)
{
    return image.rescaled (1, 1, juce::Graphics::highResamplingQuality).getPixelAt (0, 0).getBrightness();
}
} // namespace

TEST (VectorScopeView, TakesTheSkinFromItsConfigStatesOwnProperty)
{
    struct Case
    {
        juce::var stored;
        std::function<void (juce::ValueTree&)> change;
        bool dark;
    };

    const auto setDark = [] (juce::var value) { return [=] (juce::ValueTree& tree) { tree.setProperty (isDarkIdentifier, value, nullptr); }; };
    const auto setOther = [] (juce::ValueTree& tree) { tree.setProperty ("other", false, nullptr); };
    const auto setChilds = [] (juce::ValueTree& tree) { tree.getOrCreateChildWithName ("Child", nullptr).setProperty (isDarkIdentifier, true, nullptr); };

    // A restored state holds "0" or "1" as text; an empty var stands for no property at all.
    for (const auto& c : { Case { {}, {}, false }, Case { "1", {}, true }, Case { true, setDark ("0"), false },
                           Case { false, setDark (true), true }, Case { true, setOther, true }, Case { false, setChilds, false } })
    {
        juce::ValueTree config ("ConfigState");
        if (! c.stored.isVoid())
            config.setProperty (isDarkIdentifier, c.stored, nullptr);

        AudioPluginAudioProcessor processor;
        juce::OpenGLContext context;
        VectorScopeView view (processor.getApvtsManager(), processor, config, context);
        if (c.change)
            c.change (config);

        EXPECT_EQ (view.getRenderer().isDark.load(), c.dark) << c.stored.toString() << " changed: " << (c.change != nullptr);
    }
}

TEST (VectorScopeView, ShowsASkinSwitchFromTheNextFrameAlsoWhenMadeWhileHidden)
{
    ShownScope scope;
    auto& config = scope.processor.getConfigState();

    const auto light = brightness (scope.frame());
    config.setProperty (isDarkIdentifier, true, nullptr);
    EXPECT_LT (brightness (scope.frame()), light - 0.1f);

    // Hidden under the About overlay, the context lets every GL object go, and rebuilds them on showing.
    scope.view.setVisible (false);
    config.setProperty (isDarkIdentifier, false, nullptr);
    scope.view.setVisible (true);
    EXPECT_NEAR (brightness (scope.frame()), light, 0.01f);
}

TEST (VectorScopeView, DrawsTheProcessorsPathsInEitherLayoutOverEitherSkin)
{
    ShownScope scope;
    const auto shots = juce::File (ZEM2_SHOTS_DIR);
    shots.createDirectory();

    // Pink noise (three poles) on both sides and a tone panned to the left; four blocks a frame.
    juce::AudioBuffer<float> block (2, 512);
    juce::MidiBuffer midi;
    juce::Random random (7);
    float pink[2][3] = {};
    int sample = 0;
    const auto feed = [&] {
        for (int i = 0; i < block.getNumSamples(); ++i, ++sample)
        {
            for (int ch = 0; ch < 2; ++ch)
            {
                const auto white = random.nextFloat() * 2.0f - 1.0f;
                auto* p = pink[ch];
                p[0] = 0.99765f * p[0] + white * 0.099046f;
                p[1] = 0.963f * p[1] + white * 0.2965164f;
                p[2] = 0.57f * p[2] + white * 1.0526913f;
                const auto tone = (float) std::sin (0.0576 * sample) * (ch == 0 ? 0.3f : 0.08f); // 440 Hz
                block.setSample (ch, i, 0.05f * (p[0] + p[1] + p[2] + white * 0.1848f) + tone);
            }
        }

        scope.processor.processBlock (block, midi);
    };

    for (const auto zemOn : { true, false })
    {
        for (const auto dark : { false, true })
        {
            const auto name = juce::String ("scope-b-") + (zemOn ? "on-" : "off-") + (dark ? "dark" : "light");
            scope.processor.getApvtsManager().setBoolValue (zemOnParameterID, zemOn);
            scope.processor.getConfigState().setProperty (isDarkIdentifier, dark, nullptr);

            // With no new samples the earlier trails fade to the bare background.
            juce::Image background, image;
            for (int k = 0; k < 40; ++k)
                background = scope.frame();

            for (int k = 0; k < 160; ++k)
            {
                feed();
                if (k % 4 == 3)
                    image = scope.frame();
            }

            // Off, each side's output lies on a line near the bottom; on, the paths spread over the fans above it.
            int changed = 0, nearBottom = 0;
            for (int y = 0; y < image.getHeight(); ++y)
            {
                for (int x = 0; x < image.getWidth(); ++x)
                {
                    const auto a = image.getPixelAt (x, y), b = background.getPixelAt (x, y);
                    if (std::abs (a.getGreen() - b.getGreen()) + std::abs (a.getBlue() - b.getBlue()) > 12)
                    {
                        ++changed;
                        nearBottom += y > image.getHeight() * 9 / 10 ? 1 : 0;
                    }
                }
            }

            EXPECT_GT (changed, 100) << name;
            EXPECT_EQ (nearBottom == changed, ! zemOn) << name << ": " << nearBottom << " of " << changed;

            const auto file = shots.getChildFile (name + ".png");
            file.deleteFile();
            juce::FileOutputStream out (file);
            ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
        }
    }
}
