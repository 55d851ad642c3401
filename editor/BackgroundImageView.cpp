#include "editor/BackgroundImageView.h"

#include "interfaces/ParameterIds.h"

#include <BinaryData.h>

namespace corvane
{
BackgroundImageView::BackgroundImageView (juce::ValueTree& configStateToFollow)
    : lightImage (juce::ImageCache::getFromMemory (BinaryData::SkinLight_jpg, BinaryData::SkinLight_jpgSize))
    , darkImage (juce::ImageCache::getFromMemory (BinaryData::SkinDark_jpg, BinaryData::SkinDark_jpgSize))
    , configState (configStateToFollow)
{
    setBufferedToImage (true);
    configState.addListener (this);
}

BackgroundImageView::~BackgroundImageView()
{
    configState.removeListener (this);
}

void BackgroundImageView::paint (juce::Graphics& g)
{
    const auto isDark = static_cast<bool> (configState.getProperty (isDarkIdentifier, false));
    g.drawImage (isDark ? darkImage : lightImage, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit, false);
}

void BackgroundImageView::valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier&)
{
    // The tree's children report here too, but only the tree's own properties can be drawn.
    if (tree == configState)
        repaint();
}

void BackgroundImageView::valueTreeRedirected (juce::ValueTree&)
{
    repaint();
}
} // namespace corvane
