#include "editor/ZemAlertWindow.h"
#include "editor/ZemLookAndFeel.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#if JUCE_LINUX
    #include <dlfcn.h>
#endif

using namespace corvane;

namespace
{
const juce::Colour titleColour (34, 34, 34);
const juce::Colour indicatorColour (255, 152, 152);
const juce::Colour controlColour (155, 166, 175);
const juce::Colour defaultColour (114, 106, 114);
const juce::Colour outlineColour (34, 34, 34);
const juce::Colour disabledColour (124, 124, 124);

juce::Image render (int width, int height, const std::function<void (juce::Graphics&)>& paint)
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    paint (g);
    return image;
}

/** Text drawn the way a single-line label or button is expected to draw it. */
juce::Image renderText (int width,
                        int height,
                        const juce::String& text,
                        float fontHeight,
                        juce::Justification justification,
                        juce::Colour colour,
                        bool ellipsis = true)
{
    return render (width,
                   height,
                   [&] (juce::Graphics& g)
                   {
                       g.setColour (colour);
                       g.setFont (juce::Font (fontHeight));
                       g.drawText (text, juce::Rectangle<int> (width, height).toFloat(), justification, ellipsis);
                   });
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

/** Whether a pixel is (nearly) covered by a line of the given colour; where the line curves, the
    anti-aliasing leaves the outermost pixels slightly short of full coverage. */
bool isMostlyCovered (juce::Colour pixel, juce::Colour colour)
{
    return pixel.getAlpha() >= 200 && std::abs (pixel.getRed() - colour.getRed()) <= 1
        && std::abs (pixel.getGreen() - colour.getGreen()) <= 1 && std::abs (pixel.getBlue() - colour.getBlue()) <= 1;
}

/** Alert windows always go on the desktop. Hosts and standalone JUCE applications install an X error handler
    that ignores errors; without one, Xlib ends the process at the first error, and a bare X server without a
    window manager lacks the atoms that JUCE sets on a new window. */
void ignoreXErrors()
{
#if JUCE_LINUX
    using Handler = int (*) (void*, void*);
    using SetHandler = Handler (*) (Handler);

    if (auto* x11 = dlopen ("libX11.so.6", RTLD_LAZY))
        if (auto setHandler = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            setHandler ([] (void*, void*) { return 0; });
#endif
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
        return render (label.getWidth(), label.getHeight(), [&] (juce::Graphics& g) { lookAndFeel.drawLabel (g, label); });
    }

    /** A label whose own colours and font would all show if they were used. */
    static void giveOwnLooks (juce::Label& label)
    {
        label.setColour (juce::Label::textColourId, juce::Colours::lime);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::blue);
        label.setColour (juce::Label::outlineColourId, juce::Colours::red);
        label.setFont (juce::Font (30.0f));
    }

    ZemLookAndFeel lookAndFeel;
};

struct TaggedName
{
    const char* name;
    juce::Colour expected;
};

void PrintTo (const TaggedName& tagged, std::ostream* os)
{
    *os << '"' << tagged.name << '"';
}

class LabelTagTest : public ZemLookAndFeelTest
    , public testing::WithParamInterface<TaggedName>
{
};
} // namespace

TEST_P (LabelTagTest, TextTakesTheColourOfTheFirstTagAndNothingElseIsDrawn)
{
    juce::Label label (GetParam().name, "HIM");
    label.setBounds (0, 0, 160, 60);
    giveOwnLooks (label);

    const auto image = renderLabel (label);
    const auto colours = opaqueColours (image);

    ASSERT_FALSE (colours.isEmpty());
    EXPECT_EQ (colours.size(), 1);
    EXPECT_EQ (colours.getFirst(), GetParam().expected);
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "no background or outline";
    EXPECT_EQ (image.getPixelAt (159, 59).getAlpha(), 0) << "no background or outline";
}

INSTANTIATE_TEST_SUITE_P (
    Tags,
    LabelTagTest,
    testing::Values (TaggedName { "GainVolumeLabel@indicator", indicatorColour },
                     TaggedName { "ZemOn@control", controlColour },
                     TaggedName { "SkinMode@control", controlColour },
                     TaggedName { "Heading@title", titleColour },
                     TaggedName { "@title-in-front", titleColour },
                     TaggedName { "", defaultColour },
                     TaggedName { "GainVolumeLabel", defaultColour },
                     TaggedName { "Value@indicator@title", titleColour },
                     TaggedName { "Value@control@indicator", indicatorColour },
                     TaggedName { "Heading@Title", defaultColour },
                     TaggedName { "ZemOn@CONTROL", defaultColour },
                     TaggedName { "Legacy@Default-Draw", defaultColour }));

TEST_F (ZemLookAndFeelTest, DefaultDrawTagHandsTheLabelToTheFramework)
{
    for (auto name : { "Plain@default-draw", "Value@indicator@default-draw", "@default-draw@title" })
    {
        juce::Label label (name, "HIM");
        label.setBounds (0, 0, 160, 60);
        giveOwnLooks (label);

        const auto image = renderLabel (label);

        EXPECT_EQ (image.getPixelAt (0, 0), juce::Colours::red) << name << ": the framework draws the outline";
        EXPECT_EQ (image.getPixelAt (1, 30), juce::Colours::blue) << name << ": and the background";
        EXPECT_TRUE (opaqueColours (image).contains (juce::Colours::lime)) << name << ": in the label's text colour";
    }
}

TEST_F (ZemLookAndFeelTest, FontHeightFollowsTheLabelHeightWithTheFractionDropped)
{
    struct Case
    {
        int labelHeight;
        float expectedFont;
        float roundedUpFont;
        juce::Justification justification;
    };

    // 19 x 16/19 x 1.1 = 17.6 and 16 x 16/19 x 1.1 = 14.8; the label's own justification is kept.
    for (auto c : { Case { 19, 17.0f, 18.0f, juce::Justification::centredLeft },
                    Case { 16, 14.0f, 15.0f, juce::Justification::centredRight } })
    {
        juce::Label label ("GainVolumeLabel", "-12.5 dB Gain");
        label.setBounds (0, 0, 240, c.labelHeight);
        label.setJustificationType (c.justification);
        giveOwnLooks (label);

        const auto image = renderLabel (label);
        const auto text = label.getText();

        EXPECT_TRUE (samePixels (image, renderText (240, c.labelHeight, text, c.expectedFont, c.justification, defaultColour)))
            << "label height " << c.labelHeight;
        EXPECT_FALSE (samePixels (image, renderText (240, c.labelHeight, text, c.expectedFont + 0.6f, c.justification, defaultColour)));
        EXPECT_FALSE (samePixels (image, renderText (240, c.labelHeight, text, c.roundedUpFont, c.justification, defaultColour)));
    }
}

TEST_F (ZemLookAndFeelTest, LongLabelTextEndsInAnEllipsisOnOneLine)
{
    juce::Label label ("Caption@control", "A caption far too long for its label");
    label.setBounds (0, 0, 90, 40);

    const auto image = renderLabel (label);
    const auto font = (float) (int) (40.0f * (16.0f / 19.0f) * 1.1f);
    const auto justification = label.getJustificationType();

    EXPECT_TRUE (samePixels (image, renderText (90, 40, label.getText(), font, justification, controlColour, true)));
    EXPECT_FALSE (samePixels (image, renderText (90, 40, label.getText(), font, justification, controlColour, false)));
}

TEST_F (ZemLookAndFeelTest, TextButtonFontIsFourEleventhsOfTheHeightPlusTenPercent)
{
    juce::TextButton button ("OK");

    EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 44).getHeight(), 17.6f);
    EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 30).getHeight(), 30.0f * (4.0f / 11.0f) * 1.1f);
    EXPECT_EQ (lookAndFeel.getTextButtonFont (button, 44).getStyleFlags(), juce::Font::plain);
}

TEST_F (ZemLookAndFeelTest, TextButtonIsAnOutlinedCapsuleThatShowsWhatLiesBehind)
{
    juce::TextButton button ("OK");
    button.setBounds (0, 0, 120, 44);

    auto background = [&] (bool highlighted, bool down, juce::Colour given = juce::Colours::orange)
    {
        return render (120,
                       44,
                       [&] (juce::Graphics& g)
                       { lookAndFeel.drawButtonBackground (g, button, given, highlighted, down); });
    };

    const auto rest = background (false, false);

    // A 2-pixel outline centred on a rectangle inset by 2: rows 1-2 and 41-42, columns 1-2 and 117-118.
    EXPECT_EQ (rest.getPixelAt (60, 1), outlineColour);
    EXPECT_EQ (rest.getPixelAt (60, 42), outlineColour);
    EXPECT_TRUE (isMostlyCovered (rest.getPixelAt (1, 22), outlineColour));
    EXPECT_TRUE (isMostlyCovered (rest.getPixelAt (118, 22), outlineColour));
    EXPECT_EQ (rest.getPixelAt (60, 0).getAlpha(), 0);
    EXPECT_EQ (rest.getPixelAt (60, 43).getAlpha(), 0);
    EXPECT_EQ (rest.getPixelAt (0, 22).getAlpha(), 0);

    // Ends rounded by half the height: the corners of the inset rectangle stay empty.
    for (auto [x, y] : { std::pair { 3, 3 }, { 8, 2 }, { 116, 3 }, { 3, 40 }, { 116, 40 } })
        EXPECT_EQ (rest.getPixelAt (x, y).getAlpha(), 0) << x << ", " << y;

    EXPECT_EQ (rest.getPixelAt (60, 22).getAlpha(), 0) << "no body at rest";

    const auto hover = background (true, false).getPixelAt (60, 22);
    EXPECT_NEAR (hover.getAlpha(), 13, 1) << "white veil at 5 %";
    EXPECT_GE (hover.getRed(), 240);

    const auto pressed = background (true, true).getPixelAt (60, 22);
    EXPECT_NEAR (pressed.getAlpha(), 51, 1) << "black veil at 20 %";
    EXPECT_EQ (pressed.getRed(), 0);

    EXPECT_TRUE (samePixels (rest, background (false, false, juce::Colours::blue)))
        << "the colour the button passes is not used";
}

TEST_F (ZemLookAndFeelTest, DisabledTextButtonIsGreyAndIgnoresHoverAndPress)
{
    juce::TextButton button ("Apply");
    button.setBounds (0, 0, 120, 44);
    button.setEnabled (false);

    auto background = [&] (bool highlighted, bool down)
    {
        return render (120,
                       44,
                       [&] (juce::Graphics& g)
                       { lookAndFeel.drawButtonBackground (g, button, juce::Colours::orange, highlighted, down); });
    };

    const auto rest = background (false, false);

    EXPECT_EQ (rest.getPixelAt (60, 1), disabledColour);
    EXPECT_EQ (rest.getPixelAt (60, 22).getAlpha(), 0);
    EXPECT_TRUE (samePixels (rest, background (true, false)));
    EXPECT_TRUE (samePixels (rest, background (true, true)));

    const auto text = render (120, 44, [&] (juce::Graphics& g) { lookAndFeel.drawButtonText (g, button, true, true); });
    EXPECT_TRUE (samePixels (text, renderText (120, 44, "Apply", 17.6f, juce::Justification::centred, disabledColour)));
}

TEST_F (ZemLookAndFeelTest, TextButtonTextIsCentredOnOneLineWithAnEllipsis)
{
    for (auto [width, caption] : { std::pair { 120, "Apply" }, { 70, "A caption far too long" } })
    {
        juce::TextButton button (caption);
        button.setBounds (0, 0, width, 44);

        const auto text =
            render (width, 44, [&] (juce::Graphics& g) { lookAndFeel.drawButtonText (g, button, false, false); });

        EXPECT_TRUE (samePixels (text, renderText (width, 44, caption, 17.6f, juce::Justification::centred, outlineColour)))
            << caption;
    }
}

TEST_F (ZemLookAndFeelTest, TextEditorOutlineIsTwoPixelsWhateverTheFocus)
{
    juce::TextEditor editor;
    editor.setBounds (0, 0, 100, 30);
    editor.setEnabled (false);

    const auto image = render (100, 30, [&] (juce::Graphics& g) { lookAndFeel.drawTextEditorOutline (g, 7, 7, editor); });

    EXPECT_EQ (image.getPixelAt (0, 15), outlineColour);
    EXPECT_EQ (image.getPixelAt (1, 15), outlineColour);
    EXPECT_EQ (image.getPixelAt (99, 29), outlineColour);
    EXPECT_EQ (image.getPixelAt (50, 28), outlineColour);
    EXPECT_EQ (image.getPixelAt (2, 15).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (50, 15).getAlpha(), 0);
}

TEST_F (ZemLookAndFeelTest, AlertWindowsHaveTheirColoursAndButtonsWithoutShortcuts)
{
    ignoreXErrors();

    for (int numButtons = 0; numButtons <= 3; ++numButtons)
    {
        std::unique_ptr<juce::AlertWindow> window (lookAndFeel.createAlertWindow (
            "Title", "Message", "Yes", "No", "Cancel", juce::MessageBoxIconType::NoIcon, numButtons, nullptr));

        ASSERT_NE (dynamic_cast<ZemAlertWindow*> (window.get()), nullptr);
        EXPECT_EQ (window->getNumButtons(), numButtons);
        EXPECT_FALSE (window->isOpaque());
        EXPECT_EQ (window->findColour (juce::AlertWindow::textColourId), juce::Colour (34, 34, 34));
        EXPECT_EQ (window->findColour (juce::AlertWindow::backgroundColourId), juce::Colour (229, 234, 240));
        EXPECT_EQ (window->findColour (juce::AlertWindow::outlineColourId), juce::Colours::transparentWhite);

        for (auto* child : window->getChildren())
        {
            if (auto* button = dynamic_cast<juce::Button*> (child))
            {
                const auto initial = (int) juce::CharacterFunctions::toLowerCase (button->getButtonText()[0]);

                for (auto key : { juce::KeyPress (juce::KeyPress::returnKey),
                                  juce::KeyPress (juce::KeyPress::escapeKey),
                                  juce::KeyPress (initial) })
                    EXPECT_FALSE (button->isRegisteredForShortcut (key)) << button->getButtonText();
            }
        }
    }
}

TEST_F (ZemLookAndFeelTest, AlertWindowButtonsReturnZeroOneAndTwoInOrder)
{
    ignoreXErrors();
    const juce::StringArray captions { "Yes", "No", "Cancel" };

    for (int numButtons = 1; numButtons <= 3; ++numButtons)
    {
        for (int clicked = 0; clicked < numButtons; ++clicked)
        {
            std::unique_ptr<juce::AlertWindow> window (lookAndFeel.createAlertWindow (
                "Title", "Message", captions[0], captions[1], captions[2], juce::MessageBoxIconType::NoIcon, numButtons, nullptr));

            std::optional<int> result;
            window->enterModalState (false, juce::ModalCallbackFunction::create ([&] (int r) { result = r; }), false);
            window->triggerButtonClick (captions[clicked]);

            for (int i = 0; i < 200 && ! result.has_value(); ++i)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

            ASSERT_TRUE (result.has_value()) << numButtons << " buttons, button " << clicked;
            EXPECT_EQ (*result, clicked) << numButtons << " buttons";
        }
    }
}
