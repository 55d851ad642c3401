#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** The editor's skin: the light or the dark picture by the "isDark" property of the processor's ConfigState,
    stretched over the whole view. The tree changes only on the message thread, so everything here runs there.

    The view is buffered to an image, so the meters and controls that repaint in front of it many times a second
    copy the stretched skin instead of scaling the full picture again. */
class BackgroundImageView : public juce::Component
    , private juce::ValueTree::Listener
{
public:
    explicit BackgroundImageView (juce::ValueTree& configState);
    ~BackgroundImageView() override;

    /** The design canvas, which the editor takes its aspect ratio and layout scale from. */
    int getImageWidth() const noexcept { return lightImage.getWidth(); }
    int getImageHeight() const noexcept { return lightImage.getHeight(); }

    void paint (juce::Graphics& g) override;

private:
    void valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property) override;
    void valueTreeRedirected (juce::ValueTree& tree) override;

    juce::Image lightImage;
    juce::Image darkImage;
    juce::ValueTree& configState;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BackgroundImageView)
};
} // namespace corvane
