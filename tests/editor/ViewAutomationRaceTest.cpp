// Host automation reaching the views from the audio thread while the message thread builds, draws and destroys them.
// Built as an executable of its own so that tests/tsan can build the same file under ThreadSanitizer.

#include "editor/ControlView.h"
#include "editor/DraggableLabelView.h"
#include "editor/ZemSlider.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

using namespace corvane;

TEST (ViewAutomationRace, AutomationFromTheAudioThreadWhileViewsAreDrawnAndDestroyed)
{
    AudioPluginAudioProcessor processor;
    auto& apvts = processor.getApvtsManager().getApvts();
    auto* gain = apvts.getParameter (masterGainParameterID);
    auto* zemOn = apvts.getParameter (zemOnParameterID);

    std::atomic<bool> stop { false };
    std::atomic<int> automated { 0 };

    // The host's automation, as JUCE's wrapper applies it on the audio thread: no gestures.
    std::thread audio ([&] {
        juce::Random random (5);

        while (! stop.load())
        {
            gain->setValueNotifyingHost (random.nextFloat());
            zemOn->setValueNotifyingHost (random.nextBool() ? 1.0f : 0.0f);
            ++automated;
            std::this_thread::yield();
        }
    });

    juce::Image canvas (juce::Image::ARGB, 200, 600, true);

    // Views come and go while updates are pending; each lives for a fixed number of pumps.
    for (int round = 0; round < 20; ++round)
    {
        DraggableLabelView label (apvts, masterGainParameterID);
        ZemSlider slider (apvts, masterGainParameterID);
        ControlView controlBar (apvts, processor.getConfigState());
        label.setBounds (0, 0, 90, 19);
        slider.setBounds (0, 0, 62, 283);
        controlBar.setBounds (0, 0, 377, 62);

        for (int pump = 0; pump < 5; ++pump)
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
            juce::Graphics g (canvas);
            slider.paintEntireComponent (g, false);
            label.paintEntireComponent (g, false);
            controlBar.paintEntireComponent (g, false);
        }
    }

    stop.store (true);
    audio.join();
    EXPECT_GT (automated.load(), 0);

    // Once automation stops, the views catch up with the parameter.
    DraggableLabelView label (apvts, masterGainParameterID);
    gain->setValueNotifyingHost (0.5f);
    EXPECT_EQ (label.label.getText(), gain->getCurrentValueAsText());
}

namespace
{
/** Automated from another thread right after its first read once armed, as if the host's change landed just after
    a view read what to show: a view that starts listening only then misses it. A real race lands there too rarely
    to fail a test. */
class LateAutomatedParameter : public juce::AudioParameterFloat
{
public:
    explicit LateAutomatedParameter (const juce::String& parameterID)
        : juce::AudioParameterFloat ({ parameterID, 1 }, parameterID, 0.0f, 1.0f, 0.0f)
    {
    }

    void automateAfterNextRead (float value) { automation = value; }

private:
    float getValue() const override
    {
        const auto value = convertTo0to1 (get());

        if (const auto pending = std::exchange (automation, std::nullopt))
            std::thread ([this, pending] { const_cast<LateAutomatedParameter*> (this)->setValueNotifyingHost (*pending); }).join();

        return value;
    }

    mutable std::optional<float> automation;
};
} // namespace

TEST (ViewAutomationRace, ViewsShowAChangeThatLandsWhileTheyAreBuilt)
{
    auto gainOwned = std::make_unique<LateAutomatedParameter> (masterGainParameterID);
    auto zemOnOwned = std::make_unique<LateAutomatedParameter> (zemOnParameterID);
    auto &gain = *gainOwned, &zemOn = *zemOnOwned;
    juce::AudioProcessorGraph processor; // any processor holds the state
    juce::AudioProcessorValueTreeState apvts (processor, nullptr, "State", { std::move (gainOwned), std::move (zemOnOwned) });
    juce::ValueTree configState ("ConfigState");

    // Each parameter starts at 0 and is automated to 1; at 62 x 283 the slider's thumb is centred at y = 37 for 1.
    juce::Image canvas (juce::Image::ARGB, 62, 283, true);
    const auto thumbAtTheTop = [&] (juce::Component& slider) {
        canvas.clear (canvas.getBounds());
        juce::Graphics g (canvas);
        slider.setBounds (canvas.getBounds());
        slider.paintEntireComponent (g, false);
        return canvas.getPixelAt (31, 37).getAlpha() > 0;
    };
    const auto gainText = [&] (juce::Component& view) { return dynamic_cast<DraggableLabelView&> (view).label.getText() == gain.getCurrentValueAsText(); };
    const auto switchOn = [on = juce::ImageCache::getFromMemory (BinaryData::ZemSwitchOn_png, BinaryData::ZemSwitchOn_pngSize)] (juce::Component& bar) {
        return dynamic_cast<juce::ImageButton&> (*bar.getChildComponent (1)).getNormalImage() == on;
    };

    struct Case
    {
        const char* view;
        LateAutomatedParameter& parameter;
        std::function<std::unique_ptr<juce::Component>()> build;
        std::function<bool (juce::Component&)> showsOne;
    };

    const Case cases[] = {
        { "slider", gain, [&] { return std::make_unique<ZemSlider> (apvts, masterGainParameterID); }, thumbAtTheTop },
        { "value label", gain, [&] { return std::make_unique<DraggableLabelView> (apvts, masterGainParameterID); }, gainText },
        { "control bar", zemOn, [&] { return std::make_unique<ControlView> (apvts, configState); }, switchOn },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.view);
        c.parameter.setValueNotifyingHost (0.0f);
        c.parameter.automateAfterNextRead (1.0f);
        const auto view = c.build();
        EXPECT_TRUE (test::pumpMessagesUntil ([&] { return c.showsOne (*view); }));
    }
}
