#include "editor/AboutView.h"

#include <BinaryData.h>

namespace corvane
{
const juce::String aboutText = juce::String::fromUTF8 (
    "\xc2\xa9 2026 Corvane. All rights reserved.\n"
    "\n"
    "\n"
    "Head-related responses: MIT Media Lab KEMAR measurements\n"
    "by Bill Gardner and Keith Martin; rooms modelled by Corvane\n"
    "\n"
    "\n"
    "ASIO Interface Technology and VST Plugin Technology\n"
    "by Steinberg Media Technologies GmbH\n"
    "\n"
    "\n"
    "Signal processing: Corvane\n"
    "Room modelling: Corvane\n"
    "Interface design: Corvane\n"
    "Testing and support: Corvane");

// From the build, so the panel cannot show another version than the plug-in reports to the host.
const juce::String versionText = juce::String ("Version ") + JucePlugin_VersionString;

namespace
{
    const juce::Colour aboutTextColour (114, 106, 114);

    // The panel was drawn on a design 585 units wide; its pictures are embedded at twice that resolution.
    constexpr double designWidth = 585.0;
    const juce::Rectangle<int> productLogoBounds (40, 33, 309, 35);
    const juce::Rectangle<int> versionBounds (393, 48, 120, 19);
    const juce::Rectangle<int> closeButtonBounds (516, 27, 32, 32);
    const juce::Rectangle<int> textBounds (39, 112, 485, 266);
    const juce::Rectangle<int> badgeBounds (447, 323, 95, 76);
    constexpr float textHeight = 15.0f;
    constexpr float textLeading = 3.0f;
} // namespace

AboutView::AboutView()
{
    setBounds (0, 0, 585, 427);

    productLogoImage = juce::ImageCache::getFromMemory (BinaryData::ProductWordmark_png, BinaryData::ProductWordmark_pngSize);
    badgeImage = juce::ImageCache::getFromMemory (BinaryData::HeadphoneBadge_png, BinaryData::HeadphoneBadge_pngSize);
    const auto closeIcon = juce::ImageCache::getFromMemory (BinaryData::IconClose_png, BinaryData::IconClose_pngSize);

    addAndMakeVisible (closeButton);
    closeButton.setImages (false, true, true,
                           closeIcon, 1.0f, juce::Colours::transparentWhite,
                           closeIcon, 1.0f, juce::Colours::transparentWhite.withAlpha (0.2f),
                           closeIcon, 1.0f, juce::Colours::transparentBlack.withAlpha (0.2f),
                           0.0f);

    // The overlay showing this view closes when the view hides.
    closeButton.onClick = [this] { setVisible (false); };
}

AboutView::~AboutView() = default;

void AboutView::paint (juce::Graphics& g)
{
    const auto scale = getWidth() / designWidth;

    g.drawImage (productLogoImage, (productLogoBounds * scale).toFloat(), juce::RectanglePlacement::stretchToFit, false);
    g.drawImage (badgeImage, (badgeBounds * scale).toFloat(), juce::RectanglePlacement::stretchToFit, false);

    // The text keeps its height whatever the scale: the panel never changes size in the editor.
    g.setColour (aboutTextColour);
    g.setFont (textHeight);

    const auto text = textBounds * scale;
    g.drawMultiLineText (aboutText, text.getX(), text.getY(), text.getWidth(), juce::Justification::topLeft, textLeading);
    g.drawText (versionText, versionBounds * scale, juce::Justification::topLeft, true);
}

void AboutView::resized()
{
    closeButton.setBounds (closeButtonBounds * (getWidth() / designWidth));
}
} // namespace corvane
