#include "editor/ControlView.h"

#include "interfaces/ParameterIds.h"

#include <BinaryData.h>

namespace corvane
{
namespace
{
    // The bar's layout is drawn on a design 377 units wide and scaled by its width alone.
    constexpr double designWidth = 377.0;

    const juce::Rectangle<int> zemOnLabelBounds (20, 24, 35, 16);
    const juce::Rectangle<int> zemOnToggleBounds = juce::Rectangle<int> (134, 65).withCentre ({ 95, 31 });
    const juce::Rectangle<int> skinModeLabelBounds (161, 25, 45, 16);
    const juce::Rectangle<float> skinToggleBounds = juce::Rectangle<float> (264.0f * 0.46f, 164.0f * 0.46f).withCentre ({ 241.0f, 36.0f });
    const juce::Rectangle<int> infoButtonBounds (309, 25, 20, 20);
    const juce::Rectangle<int> helpButtonBounds (339, 25, 20, 20);

    // The switches are large, so their veils are a quarter of the icon buttons'.
    const juce::Colour switchOverColour = juce::Colours::transparentWhite.withAlpha (0.05f);
    const juce::Colour switchDownColour = juce::Colours::transparentBlack.withAlpha (0.05f);
    const juce::Colour iconOverColour = juce::Colours::transparentWhite.withAlpha (0.2f);
    const juce::Colour iconDownColour = juce::Colours::transparentBlack.withAlpha (0.2f);

    void showImage (juce::ImageButton& button, const juce::Image& image, juce::Colour overColour, juce::Colour downColour)
    {
        button.setImages (false, true, true,
                          image, 1.0f, juce::Colours::transparentWhite,
                          image, 1.0f, overColour,
                          image, 1.0f, downColour,
                          0.0f);
    }

    /** Only a change of picture repaints the switch: automation may move "ZEM On" without crossing 0.5. */
    void showSwitchImage (juce::ImageButton& button, const juce::Image& image)
    {
        if (button.getNormalImage() != image)
            showImage (button, image, switchOverColour, switchDownColour);
    }

    juce::Image loadImage (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }
} // namespace

ControlView::ControlView (juce::AudioProcessorValueTreeState& apvtsToControl, juce::ValueTree configStateToControl)
    : apvts (apvtsToControl)
    , configState (std::move (configStateToControl))
    , zemOnImage (loadImage (BinaryData::ZemSwitchOn_png, BinaryData::ZemSwitchOn_pngSize))
    , zemOffImage (loadImage (BinaryData::ZemSwitchOff_png, BinaryData::ZemSwitchOff_pngSize))
    , lightSkinImage (loadImage (BinaryData::SkinSwitchLight_png, BinaryData::SkinSwitchLight_pngSize))
    , darkSkinImage (loadImage (BinaryData::SkinSwitchDark_png, BinaryData::SkinSwitchDark_pngSize))
{
    const auto infoIcon = loadImage (BinaryData::IconInfo_png, BinaryData::IconInfo_pngSize);
    const auto helpIcon = loadImage (BinaryData::IconHelp_png, BinaryData::IconHelp_pngSize);

    addAndMakeVisible (zemOnLabel);
    addAndMakeVisible (zemOnButton);
    addAndMakeVisible (skinModeLabel);
    addAndMakeVisible (skinModeButton);
    addAndMakeVisible (infoButton);
    addAndMakeVisible (helpButton);

    zemOnLabel.setText ("ZEM", juce::dontSendNotification);
    skinModeLabel.setText ("Mode", juce::dontSendNotification);
    zemOnLabel.setJustificationType (juce::Justification::centredLeft);
    skinModeLabel.setJustificationType (juce::Justification::centredLeft);

    // The tag makes the look and feel draw them as control captions.
    zemOnLabel.setName ("ZemOn@control");
    skinModeLabel.setName ("SkinMode@control");

    zemOnButton.setTriggeredOnMouseDown (true);
    skinModeButton.setTriggeredOnMouseDown (true);

    // Listening before reading, so that automation landing in between is not missed until the next change.
    apvts.addParameterListener (zemOnParameterID, this);
    configState.addListener (this);

    updateZemOnImage();
    updateSkinImage();

    showImage (infoButton, infoIcon, iconOverColour, iconDownColour);
    showImage (helpButton, helpIcon, iconOverColour, iconDownColour);

    zemOnButton.onClick = [this] {
        if (auto* parameter = apvts.getParameter (zemOnParameterID))
        {
            // Hosts record an edit only between the begin and the end of a gesture (in touch or latch mode they
            // drop one without), so even a single flip is a gesture of its own.
            parameter->beginChangeGesture();
            parameter->setValueNotifyingHost (isZemOn() ? 0.0f : 1.0f);
            parameter->endChangeGesture();
        }
    };

    skinModeButton.onClick = [this] { configState.setProperty (isDarkIdentifier, ! isDark(), nullptr); };
    infoButton.onClick = [this] { listeners.call ([this] (ControlViewListener& l) { l.infoButtonClicked (this); }); };
    helpButton.onClick = [this] { listeners.call ([this] (ControlViewListener& l) { l.helpButtonClicked (this); }); };
}

ControlView::~ControlView()
{
    apvts.removeParameterListener (zemOnParameterID, this);
    configState.removeListener (this);
}

void ControlView::addListener (ControlViewListener* listener)
{
    if (listener != nullptr)
        listeners.add (listener);
}

void ControlView::removeListener (ControlViewListener* listener)
{
    listeners.remove (listener);
}

void ControlView::resized()
{
    const auto scale = getWidth() / designWidth;
    const juce::Font captionFont ((float) (scale * 15.0));
    zemOnLabel.setFont (captionFont);
    skinModeLabel.setFont (captionFont);

    zemOnLabel.setBounds (zemOnLabelBounds * scale);
    zemOnButton.setBounds (zemOnToggleBounds * scale);
    skinModeLabel.setBounds (skinModeLabelBounds * scale);
    skinModeButton.setBounds ((skinToggleBounds * scale).toNearestInt());
    infoButton.setBounds (infoButtonBounds * scale);
    helpButton.setBounds (helpButtonBounds * scale);
}

void ControlView::valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property)
{
    // Children of the tree report here too; only the tree's own "isDark" is the skin.
    if (tree == configState && property == isDarkIdentifier)
        updateSkinImage();
}

void ControlView::parameterChanged (const juce::String& parameterID, float)
{
    if (parameterID == zemOnParameterID)
        zemOnImageUpdater.requestUpdate();
}

bool ControlView::isZemOn() const
{
    // The stored value, not the one a listener was handed: a late update must show where the parameter is now.
    const auto* parameter = apvts.getParameter (zemOnParameterID);
    return parameter != nullptr && parameter->getValue() >= 0.5f;
}

bool ControlView::isDark() const
{
    return static_cast<bool> (configState.getProperty (isDarkIdentifier, false));
}

void ControlView::updateZemOnImage()
{
    showSwitchImage (zemOnButton, isZemOn() ? zemOnImage : zemOffImage);
}

void ControlView::updateSkinImage()
{
    showSwitchImage (skinModeButton, isDark() ? darkSkinImage : lightSkinImage);
}
} // namespace corvane
