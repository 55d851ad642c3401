// The scope as the editor wires it to the processor; frames are read back on the GL thread.

#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "scope/VectorScopeView.h"
#include "support/DesktopWindow.h"
#include "support/GLTestContext.h"

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

    /** Renders one frame on the GL thread and returns its mean brightness. */
    float frameBrightness()
    {
        std::vector<juce::PixelARGB> pixels;
        context.executeOnGLThread ([&] (juce::OpenGLContext&) {
            view.getRenderer().renderOpenGL();
            pixels = test::readPixels (view.getWidth(), view.getHeight());
        },
                                   true);

        auto sum = 0.0f;
        for (auto pixel : pixels)
            sum += juce::Colour (pixel).getBrightness();
        return sum / (float) juce::jmax ((size_t) 1, pixels.size());
    }

    AudioPluginAudioProcessor processor;
    juce::OpenGLContext context;
    VectorScopeView view { processor.getApvtsManager(), processor, processor.getConfigState(), context };
    juce::Component window;
    std::unique_ptr<test::DesktopWindow> desktop;
};
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

    const auto light = scope.frameBrightness();
    config.setProperty (isDarkIdentifier, true, nullptr);
    EXPECT_LT (scope.frameBrightness(), light - 0.1f);

    // Hidden under the About overlay, the context lets every GL object go, and rebuilds them on showing.
    scope.view.setVisible (false);
    config.setProperty (isDarkIdentifier, false, nullptr);
    scope.view.setVisible (true);
    EXPECT_NEAR (scope.frameBrightness(), light, 0.01f);
}
