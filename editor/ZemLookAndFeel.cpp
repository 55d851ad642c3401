#include "editor/ZemLookAndFeel.h"

#include "editor/ZemAlertWindow.h"

namespace corvane
{
namespace
{
    // The framework's colour constants are defined in its header, so in this file they are initialised
    // before the ones below that derive from them.
    const juce::Colour alertWindowBackgroundColour (229, 234, 240);
    const juce::Colour alertWindowTextColour (34, 34, 34);
    const juce::Colour buttonBlackOverlayColour = juce::Colours::transparentBlack.withAlpha (0.2f);
    const juce::Colour buttonTransparentColour = juce::Colours::transparentWhite;
    const juce::Colour buttonWhiteOverlayColour = juce::Colours::transparentWhite.withAlpha (0.05f);
    const juce::Colour buttonOutlineColour (34, 34, 34);
    const juce::Colour buttonDisabledOutlineColour (124, 124, 124);
    const juce::Colour controlLabelColour (155, 166, 175);
    const juce::Colour defaultLabelColour (114, 106, 114);
    const juce::Colour textEditorOutlineColour (34, 34, 34);
    const juce::Colour indicatorLabelColour (255, 152, 152);
    const juce::Colour titleLabelColour (34, 34, 34);

    const juce::String defaultDrawTag ("@default-draw");
    const juce::String titleTag ("@title");
    const juce::String indicatorTag ("@indicator");
    const juce::String controlTag ("@control");

    juce::Colour getLabelTextColour (const juce::String& componentName)
    {
        if (componentName.contains (titleTag))
            return titleLabelColour;

        if (componentName.contains (indicatorTag))
            return indicatorLabelColour;

        if (componentName.contains (controlTag))
            return controlLabelColour;

        return defaultLabelColour;
    }
} // namespace

ZemLookAndFeel::ZemLookAndFeel() = default;

ZemLookAndFeel::~ZemLookAndFeel() = default;

void ZemLookAndFeel::drawButtonBackground (juce::Graphics& g,
                                           juce::Button& button,
                                           const juce::Colour&,
                                           bool shouldDrawButtonAsHighlighted,
                                           bool shouldDrawButtonAsDown)
{
    const auto bounds = button.getLocalBounds().reduced (2).toFloat();
    const auto enabled = button.isEnabled();

    // The button has no body of its own: whatever lies behind it shows through, veiled while it is used.
    auto fill = buttonTransparentColour;

    if (enabled && shouldDrawButtonAsDown)
        fill = buttonBlackOverlayColour;
    else if (enabled && shouldDrawButtonAsHighlighted)
        fill = buttonWhiteOverlayColour;

    const auto cornerSize = bounds.getHeight() * 0.5f;

    g.setColour (fill);
    g.fillRoundedRectangle (bounds, cornerSize);
    g.setColour (enabled ? buttonOutlineColour : buttonDisabledOutlineColour);
    g.drawRoundedRectangle (bounds, cornerSize, 2.0f);
}

juce::Font ZemLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return juce::Font ((float) buttonHeight * (4.0f / 11.0f) * 1.1f);
}

void ZemLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    g.setFont (getTextButtonFont (button, button.getHeight()));
    g.setColour (button.isEnabled() ? buttonOutlineColour : buttonDisabledOutlineColour);
    g.drawText (button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, true);
}

void ZemLookAndFeel::drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY, int imageW, int imageH,
                                      const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton&)
{
    // Not faded when disabled, as the framework's are: the editor disables the control bar under the About
    // overlay, whose backdrop already dims it, and the bar shows around the panel in a large window.
    const auto transform = juce::RectanglePlacement (juce::RectanglePlacement::stretchToFit)
                               .getTransformToFit (image->getBounds().toFloat(), juce::Rectangle<int> (imageX, imageY, imageW, imageH).toFloat());

    if (! overlayColour.isOpaque())
    {
        g.setOpacity (imageOpacity);
        g.drawImageTransformed (*image, transform, false);
    }

    if (! overlayColour.isTransparent())
    {
        g.setColour (overlayColour);
        g.drawImageTransformed (*image, transform, true);
    }
}

void ZemLookAndFeel::drawTextEditorOutline (juce::Graphics& g, int, int, juce::TextEditor& textEditor)
{
    g.setColour (textEditorOutlineColour);
    g.drawRect (textEditor.getLocalBounds(), 2);
}

juce::AlertWindow* ZemLookAndFeel::createAlertWindow (const juce::String& title,
                                                      const juce::String& message,
                                                      const juce::String& button1,
                                                      const juce::String& button2,
                                                      const juce::String& button3,
                                                      juce::AlertWindow::AlertIconType iconType,
                                                      int numButtons,
                                                      juce::Component* associatedComponent)
{
    auto* window = new ZemAlertWindow (title, message, iconType, associatedComponent);

    window->setOpaque (false);
    window->setColour (juce::AlertWindow::textColourId, alertWindowTextColour);
    window->setColour (juce::AlertWindow::backgroundColourId, alertWindowBackgroundColour);
    window->setColour (juce::AlertWindow::outlineColourId, juce::Colours::transparentWhite);

    // JUCE's callers read the result by its convention (1 is OK or Yes, 2 is No, 0 is Cancel or the only button),
    // and expect its keys: Return on the default button, Escape on the cancelling one, each button's initial.
    if (numButtons == 1)
    {
        window->addButton (button1, 0, juce::KeyPress (juce::KeyPress::escapeKey), juce::KeyPress (juce::KeyPress::returnKey));
    }
    else if (numButtons >= 2)
    {
        const juce::KeyPress button1Initial ((int) juce::CharacterFunctions::toLowerCase (button1[0]), 0, 0);
        juce::KeyPress button2Initial ((int) juce::CharacterFunctions::toLowerCase (button2[0]), 0, 0);

        if (button2Initial == button1Initial)
            button2Initial = juce::KeyPress();

        if (numButtons == 2)
        {
            window->addButton (button1, 1, juce::KeyPress (juce::KeyPress::returnKey), button1Initial);
            window->addButton (button2, 0, juce::KeyPress (juce::KeyPress::escapeKey), button2Initial);
        }
        else
        {
            window->addButton (button1, 1, button1Initial);
            window->addButton (button2, 2, button2Initial);
            window->addButton (button3, 0, juce::KeyPress (juce::KeyPress::escapeKey));
        }
    }

    return window;
}

void ZemLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    // Sized from the label's height rather than its font, so the text keeps its proportion when the
    // editor is resized.
    const auto fontHeight = (int) ((float) label.getHeight() * (16.0f / 19.0f) * 1.1f);
    const auto& name = label.getName();

    if (name.contains (defaultDrawTag))
    {
        juce::LookAndFeel_V2::drawLabel (g, label);
        return;
    }

    g.setColour (getLabelTextColour (name));
    g.setFont (juce::Font ((float) fontHeight));
    g.drawText (label.getText (false), label.getLocalBounds().toFloat(), label.getJustificationType(), true);
}
} // namespace corvane
