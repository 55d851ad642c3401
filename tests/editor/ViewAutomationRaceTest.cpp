// Host automation reaching the views from the audio thread while the message thread draws and destroys them.
// Built as an executable of its own so that tests/tsan can build the same file under ThreadSanitizer.

#include "editor/ControlView.h"
#include "editor/DraggableLabelView.h"
#include "editor/ZemSlider.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
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
