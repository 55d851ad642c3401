#include "editor/ZemAlertWindow.h"
#include "editor/ZemLookAndFeel.h"

#include "support/Desktop.h"
#include <BinaryData.h>

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

namespace
{
juce::Image render (const juce::Component& component, const std::function<void (juce::Graphics&)>& paint)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    paint (g);
    return image;
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y).getARGB() != b.getPixelAt (x, y).getARGB())
                return false;

    return true;
}

/** The smallest rectangle that holds every pixel drawn at all. */
juce::Rectangle<int> inkBounds (const juce::Image& image)
{
    juce::Rectangle<int> bounds;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 0)
                bounds = bounds.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1)
                                          : bounds.getUnion ({ x, y, 1, 1 });

    return bounds;
}

/** The colours of the pixels that the text covers completely (anti-aliased edges blend with nothing). */
juce::Array<juce::Colour> opaqueColours (const juce::Image& image)
{
    juce::Array<juce::Colour> colours;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (auto c = image.getPixelAt (x, y); c.isOpaque())
                colours.addIfNotAlreadyThere (c);

    return colours;
}

/** Draws with Roboto Medium as the default sans-serif typeface, as the plug-in does once its shared
    state is installed, so the pictures do not depend on the machine's fonts. */
class ZemLookAndFeelTest : public testing::Test
{
protected:
    ZemLookAndFeelTest()
    {
        lookAndFeel.setDefaultSansSerifTypeface (
            juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoMedium_ttf,
                                                     (size_t) BinaryData::RobotoMedium_ttfSize));
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    }

    ~ZemLookAndFeelTest() override { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }

    juce::Image renderLabel (juce::Label& label)
    {
        return render (label, [&] (juce::Graphics& g) { lookAndFeel.drawLabel (g, label); });
    }

    /** A label of this name whose own colours would all show if they were used. */
    juce::Image renderNamedLabel (const juce::String& name)
    {
        juce::Label label (name, "HIM");
        label.setBounds (0, 0, 160, 60);
        label.setColour (juce::Label::textColourId, juce::Colours::lime);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::blue);
        label.setColour (juce::Label::outlineColourId, juce::Colours::red);
        return renderLabel (label);
    }

    /** The one colour in which a label of this name draws its text, with nothing behind or around it. */
    juce::Colour textColourOf (const juce::String& name)
    {
        const auto image = renderNamedLabel (name);
        const auto colours = opaqueColours (image);

        EXPECT_EQ (colours.size(), 1) << name;
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << name << ": no background or outline";
        EXPECT_EQ (image.getPixelAt (159, 59).getAlpha(), 0) << name << ": no background or outline";
        return colours.getFirst();
    }

    juce::Image buttonBackground (juce::Button& button, bool highlighted, bool down, juce::Colour given = {})
    {
        return render (button,
                       [&] (juce::Graphics& g) { lookAndFeel.drawButtonBackground (g, button, given, highlighted, down); });
    }

    juce::Image buttonText (juce::TextButton& button)
    {
        return render (button, [&] (juce::Graphics& g) { lookAndFeel.drawButtonText (g, button, false, false); });
    }

    std::unique_ptr<juce::AlertWindow> createAlertWindow (int numButtons)
    {
        test::ignoreXErrors();
        return std::unique_ptr<juce::AlertWindow> (lookAndFeel.createAlertWindow (
            "Title", "Message", "Yes", "No", "Cancel", juce::MessageBoxIconType::NoIcon, numButtons, nullptr));
    }

    ZemLookAndFeel lookAndFeel;
};
} // namespace

TEST_F (ZemLookAndFeelTest, LabelTextTakesTheColourOfTheFirstCaseSensitiveTagAndNotItsOwn)
{
    juce::Array<juce::Colour> distinct;

    for (auto name : { "Heading@title", "Value@indicator", "ZemOn@control", "GainVolumeLabel" })
        distinct.addIfNotAlreadyThere (textColourOf (name));

    EXPECT_EQ (distinct.size(), 4) << "title, indicator, control and untagged labels each have their colour";
    EXPECT_FALSE (distinct.contains (juce::Colours::lime)) << "not the label's own";

    struct Case
    {
        const char* name;
        const char* drawsLike;
    };

    for (auto c : { Case { "@title-in-front", "Heading@title" },
                    Case { "SkinMode@control", "ZemOn@control" },
                    Case { "Value@indicator@title", "Heading@title" },
                    Case { "Value@control@indicator", "Value@indicator" },
                    Case { "", "GainVolumeLabel" },
                    Case { "Heading@Title", "GainVolumeLabel" },
                    Case { "ZemOn@CONTROL", "GainVolumeLabel" },
                    Case { "Legacy@Default-Draw", "GainVolumeLabel" } })
        EXPECT_EQ (textColourOf (c.name), textColourOf (c.drawsLike)) << c.name;
}

TEST_F (ZemLookAndFeelTest, DefaultDrawTagHandsTheLabelToTheFramework)
{
    for (auto name : { "Plain@default-draw", "Value@indicator@default-draw", "@default-draw@title" })
    {
        const auto image = renderNamedLabel (name);

        EXPECT_EQ (image.getPixelAt (0, 0), juce::Colours::red) << name << ": the framework draws the outline";
        EXPECT_EQ (image.getPixelAt (1, 30), juce::Colours::blue) << name << ": and the background";
        EXPECT_TRUE (opaqueColours (image).contains (juce::Colours::lime)) << name << ": in the label's text colour";
    }
}

TEST_F (ZemLookAndFeelTest, LabelTextScalesWithTheLabelNotItsFontAndKeepsItsJustification)
{
    struct Case
    {
        juce::Justification justification;
        bool atLeft;
    };

    for (auto c : { Case { juce::Justification::centredLeft, true },
                    Case { juce::Justification::centredRight, false } })
    {
        auto inkOf = [&] (int height, float ownFontHeight) {
            juce::Label label ("GainVolumeLabel", "-12.5 dB Gain");
            label.setBounds (0, 0, 400, height);
            label.setJustificationType (c.justification);
            label.setFont (juce::Font (ownFontHeight));
            return renderLabel (label);
        };

        const auto small = inkBounds (inkOf (19, 30.0f));
        const auto large = inkBounds (inkOf (38, 30.0f));

        EXPECT_TRUE (samePixels (inkOf (19, 30.0f), inkOf (19, 8.0f))) << "the label's own font is not used";
        EXPECT_NEAR (large.getHeight() / (double) small.getHeight(), 2.0, 0.15);
        EXPECT_NEAR (large.getWidth() / (double) small.getWidth(), 2.0, 0.15);

        for (auto ink : { small, large })
            EXPECT_LE (c.atLeft ? ink.getX() : 400 - ink.getRight(), 3) << ink.toString();
    }
}

TEST_F (ZemLookAndFeelTest, TextButtonIsAnOutlinedCapsuleThatShowsWhatLiesBehindWithCentredText)
{
    juce::TextButton button ("OK");
    button.setBounds (0, 0, 120, 44);

    const auto rest = buttonBackground (button, false, false);
    const auto outline = rest.getPixelAt (60, 1);

    // A 2-pixel outline centred on a rectangle inset by 2: rows 1-2 and 41-42, columns 1-2 and 117-118.
    EXPECT_TRUE (outline.isOpaque());
    EXPECT_EQ (rest.getPixelAt (60, 42), outline);
    EXPECT_GE (rest.getPixelAt (1, 22).getAlpha(), 200) << "curved, so not quite covered";
    EXPECT_GE (rest.getPixelAt (118, 22).getAlpha(), 200);

    // Nothing outside, and ends rounded by half the height: the corners of the inset rectangle stay empty.
    for (auto [x, y] :
         { std::pair { 60, 0 }, { 60, 43 }, { 0, 22 }, { 3, 3 }, { 8, 2 }, { 116, 3 }, { 3, 40 }, { 116, 40 } })
        EXPECT_EQ (rest.getPixelAt (x, y).getAlpha(), 0) << x << ", " << y;

    EXPECT_EQ (rest.getPixelAt (60, 22).getAlpha(), 0) << "no body at rest";
    EXPECT_TRUE (samePixels (rest, buttonBackground (button, false, false, juce::Colours::orange)))
        << "the colour the button passes is not used";

    // Hovering lays a faint white veil over what lies behind, pressing a darker black one.
    const auto hover = buttonBackground (button, true, false).getPixelAt (60, 22);
    const auto pressed = buttonBackground (button, true, true).getPixelAt (60, 22);
    EXPECT_GT (hover.getAlpha(), 0);
    EXPECT_GE (hover.getRed(), 240);
    EXPECT_EQ (pressed.getRed(), 0);
    EXPECT_GT (pressed.getAlpha(), hover.getAlpha());
    EXPECT_LT (pressed.getAlpha(), 128);

    const auto text = buttonText (button);
    EXPECT_EQ (opaqueColours (text), juce::Array<juce::Colour> { outline }) << "text in the outline's colour";
    EXPECT_NEAR (inkBounds (text).getCentreX(), 60, 2);
    EXPECT_NEAR (inkBounds (text).getCentreY(), 22, 2);
}

TEST_F (ZemLookAndFeelTest, DisabledTextButtonIsGreyedAndIgnoresHoverAndPress)
{
    juce::TextButton button ("Apply");
    button.setBounds (0, 0, 120, 44);
    const auto enabledOutline = buttonBackground (button, false, false).getPixelAt (60, 1);

    button.setEnabled (false);
    const auto rest = buttonBackground (button, false, false);
    const auto outline = rest.getPixelAt (60, 1);

    EXPECT_TRUE (outline.isOpaque());
    EXPECT_NE (outline, enabledOutline);
    EXPECT_EQ (rest.getPixelAt (60, 22).getAlpha(), 0);
    EXPECT_TRUE (samePixels (rest, buttonBackground (button, true, false)));
    EXPECT_TRUE (samePixels (rest, buttonBackground (button, true, true)));
    EXPECT_EQ (opaqueColours (buttonText (button)), juce::Array<juce::Colour> { outline });
}

TEST_F (ZemLookAndFeelTest, TextEditorOutlineIsTwoPixelsWide)
{
    juce::TextEditor editor;
    editor.setBounds (0, 0, 100, 30);

    const auto image =
        render (editor, [&] (juce::Graphics& g) { lookAndFeel.drawTextEditorOutline (g, 7, 7, editor); });
    const auto outline = image.getPixelAt (0, 15);

    EXPECT_TRUE (outline.isOpaque());

    for (auto [x, y] : { std::pair { 1, 15 }, { 99, 29 }, { 50, 28 } })
        EXPECT_EQ (image.getPixelAt (x, y), outline) << x << ", " << y;

    EXPECT_EQ (image.getPixelAt (2, 15).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (50, 15).getAlpha(), 0);
}

TEST_F (ZemLookAndFeelTest, AlertWindowsAreOursWithReadableText)
{
    for (int numButtons = 0; numButtons <= 3; ++numButtons)
    {
        const auto window = createAlertWindow (numButtons);

        ASSERT_NE (dynamic_cast<ZemAlertWindow*> (window.get()), nullptr);
        EXPECT_EQ (window->getNumButtons(), numButtons);
        EXPECT_FALSE (window->isOpaque());

        const auto text = window->findColour (juce::AlertWindow::textColourId);
        const auto background = window->findColour (juce::AlertWindow::backgroundColourId);
        EXPECT_GT (std::abs (text.getPerceivedBrightness() - background.getPerceivedBrightness()), 0.5f);
    }
}
