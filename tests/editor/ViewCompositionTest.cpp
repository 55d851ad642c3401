// The editor's views composed as the editor lays them out, on both skins and at the smallest and the design size.
// Writes what they show to PNG files (ZEM2_SHOTS_DIR) for a person to look at, and checks what a person would.

#include "editor/BackgroundImageView.h"
#include "editor/ControlView.h"
#include "editor/DraggableLabelView.h"
#include "editor/EditorLayout.h"
#include "editor/LevelMeterView.h"
#include "editor/ZemSlider.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/DesktopWindow.h"

#include <gtest/gtest.h>

#include <map>

using namespace corvane;

namespace
{
/** The views in the editor's order, back to front, at the editor's layout; the scope's place shows the skin. */
struct ComposedViews : juce::Component
{
    explicit ComposedViews (AudioPluginAudioProcessor& processor)
        : apvts (processor.getApvtsManager().getApvts())
        , background (processor.getConfigState())
        , inputMeter (&processor, LevelMeterView::Mode::input)
        , outputMeter (&processor, LevelMeterView::Mode::output)
        , valueLabel (apvts, masterGainParameterID)
        , slider (apvts, masterGainParameterID)
        , controlBar (apvts, processor.getConfigState())
    {
        setOpaque (true);
        valueLabel.label.setName ("GainVolumeLabel@indicator");
        valueLabel.label.setJustificationType (juce::Justification::centred);

        for (auto* view : std::initializer_list<juce::Component*> { &background, &inputMeter, &outputMeter, &valueLabel, &slider, &controlBar })
            addAndMakeVisible (view);
    }

    void resized() override
    {
        background.setBounds (getLocalBounds());
        const auto s = EditorLayout::scaleFor (getWidth());
        slider.setBounds (EditorLayout::place (EditorLayout::gainSlider, s));
        slider.setThumbSize (EditorLayout::thumbSizeFor (s));
        inputMeter.setBounds (EditorLayout::place (EditorLayout::inputLevelMeter, s));
        outputMeter.setBounds (EditorLayout::place (EditorLayout::outputLevelMeter, s));
        controlBar.setBounds (EditorLayout::place (EditorLayout::controlBar, s));
        valueLabel.setBounds (EditorLayout::place (EditorLayout::gainValueLabel, s));
    }

    juce::AudioProcessorValueTreeState& apvts;
    BackgroundImageView background;
    LevelMeterView inputMeter, outputMeter;
    DraggableLabelView valueLabel;
    ZemSlider slider;
    ControlView controlBar;
};

/** Music-like levels: both meters moving, one input channel over full scale. */
void playSomething (AudioPluginAudioProcessor& processor, int numBlocks = 20)
{
    juce::MidiBuffer midi;

    for (int block = 0; block < numBlocks; ++block)
    {
        juce::AudioBuffer<float> buffer (2, 480);

        for (int i = 0; i < 480; ++i)
        {
            const auto phase = 0.05f * (float) (block * 480 + i);
            buffer.setSample (0, i, 1.1f * std::sin (phase));
            buffer.setSample (1, i, 0.3f * std::sin (1.3f * phase));
        }

        processor.processBlock (buffer, midi);
    }
}
} // namespace

TEST (ViewComposition, BothSkinsAtTheSmallestAndTheDesignSize)
{
    AudioPluginAudioProcessor processor;
    processor.getApvtsManager().setValue (masterGainParameterID, -6.0f);
    processor.prepareToPlay (48000.0, 480);

    std::map<bool, double> brightness;
    const auto shots = juce::File (ZEM2_SHOTS_DIR);
    shots.createDirectory();

    for (const auto dark : { false, true })
    {
        for (const auto width : { 770, 1540 })
        {
            SCOPED_TRACE ((dark ? "dark, " : "light, ") + juce::String (width));
            processor.getConfigState().setProperty (isDarkIdentifier, dark, nullptr);

            ComposedViews views (processor);
            views.setSize (width, width * EditorLayout::canvasHeight / EditorLayout::canvasWidth);
            test::DesktopWindow window (views);

            // Audio keeps coming while the analysers and the meters tick, until the input meter has clipped.
            const auto clipMarkAt = views.inputMeter.getBoundsInParent().getTopLeft() + juce::Point<int> (2, 2);
            auto clipMarkLit = [&] {
                const auto colour = window.snapshot().getPixelAt (clipMarkAt.x, clipMarkAt.y);
                return colour.getRed() > colour.getBlue() + 50;
            };

            for (const auto deadline = juce::Time::getMillisecondCounter() + 30000;
                 ! clipMarkLit() && juce::Time::getMillisecondCounter() < deadline;)
            {
                playSomething (processor, 2);
                juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
            }

            const auto image = window.snapshot();
            ASSERT_EQ (image.getWidth(), width);

            const auto file = shots.getChildFile (juce::String (dark ? "dark-" : "light-") + juce::String (width) + ".png");
            file.deleteFile();
            juce::FileOutputStream out (file);
            ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));

            // The value label says what the host shows for the parameter.
            EXPECT_EQ (views.valueLabel.label.getText(), "-6.0 dB");
            EXPECT_EQ (views.slider.getBounds(), EditorLayout::place (EditorLayout::gainSlider, EditorLayout::scaleFor (width)));

            EXPECT_TRUE (clipMarkLit()) << "the input meter's clip mark after an over";

            double sum = 0.0;
            for (int y = 0; y < image.getHeight(); y += 4)
                for (int x = 0; x < image.getWidth(); x += 4)
                    sum += image.getPixelAt (x, y).getPerceivedBrightness();
            brightness[dark] = sum;
        }
    }

    EXPECT_LT (brightness[true], brightness[false] * 0.8) << "the dark skin is darker";
}
