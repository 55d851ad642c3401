#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** The plug-in's look and feel. It keeps LookAndFeel_V4's drawing except for text buttons (a see-through
    capsule), image buttons (the same disabled as enabled), text editor outlines, alert windows and labels.

    Labels pick their colour from a tag in their component name: "@title", "@indicator" or "@control"
    (tested in that order), no tag for the default text colour, or "@default-draw" to be drawn by the
    framework as usual. Tags are case-sensitive. */
class ZemLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ZemLookAndFeel();
    ~ZemLookAndFeel() override;

    void drawButtonBackground (juce::Graphics& g,
                               juce::Button& button,
                               const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted,
                               bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton& button, int buttonHeight) override;
    void drawButtonText (juce::Graphics& g,
                         juce::TextButton& button,
                         bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;

    void drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton& button) override;

    void drawTextEditorOutline (juce::Graphics& g, int width, int height, juce::TextEditor& textEditor) override;

    /** The buttons return JUCE's values and take its keys, so JUCE's message boxes read them right. The caller
        owns the window. */
    juce::AlertWindow* createAlertWindow (const juce::String& title,
                                          const juce::String& message,
                                          const juce::String& button1,
                                          const juce::String& button2,
                                          const juce::String& button3,
                                          juce::AlertWindow::AlertIconType iconType,
                                          int numButtons,
                                          juce::Component* associatedComponent) override;

    void drawLabel (juce::Graphics& g, juce::Label& label) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZemLookAndFeel)
};
} // namespace corvane
