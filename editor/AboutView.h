#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** The notices and credits, 15 lines at 15 pixels with 3 pixels' leading; each line fits the 485-pixel text
    block, so none wraps. */
extern const juce::String aboutText;

/** "Version " and the plug-in's version, as the build defines it. */
extern const juce::String versionText;

/** The About panel: wordmark, version line, notices and credits, badge and a close button that hides the view.
    It keeps its 585 x 427 size at every editor size and paints no background: the overlay it is shown in draws
    the panel under it.

    Threads: message thread only. */
class AboutView : public juce::Component
{
public:
    AboutView();
    ~AboutView() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    juce::Image productLogoImage;
    juce::Image badgeImage;
    juce::ImageButton closeButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutView)
};
} // namespace corvane
