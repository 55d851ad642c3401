#include "editor/ZemLookAndFeel.h"

#include "support/DesktopWindow.h"
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

/** The smallest rectangle that holds every pixel drawn at all. */
juce::Rectangle<int> inkBounds (const juce::Image& image)
{
    juce::Rectangle<int> bounds;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 0)
                bounds = bounds.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : bounds.getUnion ({ x, y, 1, 1 });

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
            juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoMedium_ttf, (size_t) BinaryData::RobotoMedium_ttfSize));
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    }

    ~ZemLookAndFeelTest() override { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }

    /** A label of this name whose own colours would all show if they were used. */
    juce::Image renderNamedLabel (const juce::String& name)
    {
        juce::Label label (name, "HIM");
        label.setBounds (0, 0, 160, 60);
        label.setColour (juce::Label::textColourId, juce::Colours::lime);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::blue);
        label.setColour (juce::Label::outlineColourId, juce::Colours::red);
        return render (label, [&] (juce::Graphics& g) { lookAndFeel.drawLabel (g, label); });
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
        return render (button, [&] (juce::Graphics& g) { lookAndFeel.drawButtonBackground (g, button, given, highlighted, down); });
    }

    juce::Image buttonText (juce::TextButton& button)
    {
        return render (button, [&] (juce::Graphics& g) { lookAndFeel.drawButtonText (g, button, false, false); });
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
        const char* drawsLike; // nullptr: the framework draws it with the label's own colours
    };

    for (auto c : { Case { "@title-in-front", "Heading@title" },
                    Case { "Value@indicator@title", "Heading@title" },
                    Case { "Value@control@indicator", "Value@indicator" },
                    Case { "ZemOn@CONTROL", "GainVolumeLabel" },
                    Case { "Legacy@Default-Draw", "GainVolumeLabel" },
                    Case { "Value@indicator@default-draw", nullptr },
                    Case { "@default-draw@title", nullptr } })
    {
        if (c.drawsLike != nullptr)
        {
            EXPECT_EQ (textColourOf (c.name), textColourOf (c.drawsLike)) << c.name;
            continue;
        }

        const auto image = renderNamedLabel (c.name);
        EXPECT_EQ (image.getPixelAt (0, 0), juce::Colours::red) << c.name << ": the outline";
        EXPECT_EQ (image.getPixelAt (1, 30), juce::Colours::blue) << c.name << ": the background";
        EXPECT_TRUE (opaqueColours (image).contains (juce::Colours::lime)) << c.name << ": the text";
    }
}

TEST_F (ZemLookAndFeelTest, LabelTextScalesWithTheLabelNotItsFontAndKeepsItsJustification)
{
    auto inkOf = [&] (int height, float ownFontHeight) {
        juce::Label label ("GainVolumeLabel", "-12.5 dB Gain");
        label.setBounds (0, 0, 400, height);
        label.setJustificationType (juce::Justification::centredRight);
        label.setFont (juce::Font (ownFontHeight));
        return render (label, [&] (juce::Graphics& g) { lookAndFeel.drawLabel (g, label); });
    };

    const auto small = inkBounds (inkOf (19, 30.0f));
    const auto large = inkBounds (inkOf (38, 30.0f));

    EXPECT_TRUE (test::samePixels (inkOf (19, 30.0f), inkOf (19, 8.0f))) << "the label's own font is not used";
    EXPECT_NEAR (large.getHeight() / (double) small.getHeight(), 2.0, 0.15);
    EXPECT_NEAR (large.getWidth() / (double) small.getWidth(), 2.0, 0.15);

    for (auto ink : { small, large })
        EXPECT_LE (400 - ink.getRight(), 3) << ink.toString();
}

TEST_F (ZemLookAndFeelTest, TextButtonIsAnOutlinedCapsuleThatShowsWhatLiesBehindWithCentredText)
{
    juce::TextButton button ("OK");
    button.setBounds (0, 0, 120, 44);

    // A 2-pixel outline on a rectangle inset by 2, its ends rounded by half its height; no body at rest.
    const auto rest = buttonBackground (button, false, false);
    const auto outline = rest.getPixelAt (60, 1);
    EXPECT_TRUE (outline.isOpaque());
    EXPECT_GE (rest.getPixelAt (1, 22).getAlpha(), 200) << "curved, so not quite covered";

    for (auto [x, y] : { std::pair { 60, 0 }, { 0, 22 }, { 8, 2 }, { 60, 22 } })
        EXPECT_EQ (rest.getPixelAt (x, y).getAlpha(), 0) << x << ", " << y;

    EXPECT_TRUE (test::samePixels (rest, buttonBackground (button, false, false, juce::Colours::orange)))
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

    // Disabled: greyed, and hover and press change nothing.
    button.setEnabled (false);
    const auto disabled = buttonBackground (button, false, false);
    const auto greyed = disabled.getPixelAt (60, 1);
    EXPECT_TRUE (greyed.isOpaque());
    EXPECT_NE (greyed, outline);
    EXPECT_TRUE (test::samePixels (disabled, buttonBackground (button, true, true)));
    EXPECT_EQ (opaqueColours (buttonText (button)), juce::Array<juce::Colour> { greyed });
}

TEST_F (ZemLookAndFeelTest, ImageButtonLooksTheSameDisabled)
{
    // The editor disables the control bar under the About overlay, and in a large window the bar shows around it.
    const auto picture = juce::ImageCache::getFromMemory (BinaryData::ZemSwitchOn_png, BinaryData::ZemSwitchOn_pngSize);
    juce::ImageButton button;
    button.setImages (false, true, true, picture, 1.0f, {}, picture, 1.0f, {}, picture, 1.0f, {});
    button.setBounds (0, 0, 124, 75);
    const auto enabled = button.createComponentSnapshot (button.getLocalBounds(), true, 1.0f);
    ASSERT_TRUE (enabled.getPixelAt (62, 37).isOpaque());

    button.setEnabled (false);
    EXPECT_TRUE (test::samePixels (button.createComponentSnapshot (button.getLocalBounds(), true, 1.0f), enabled));
}
