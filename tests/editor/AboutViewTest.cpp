#include "editor/AboutView.h"
#include "editor/ModalView.h"
#include "editor/SharedApplicationState.h"

#include "support/DesktopWindow.h"
#include <BinaryData.h>

#include <gtest/gtest.h>

using namespace corvane;

TEST (AboutView, TheCloseButtonHidesViewAndOverlayOnTheReleaseAtEveryEditorSize)
{
    for (const auto& [width, height] : { std::pair { 770, 487 }, std::pair { 1540, 974 } })
    {
        SCOPED_TRACE (width);
        juce::Component editor;
        ModalView overlay;
        AboutView about;
        editor.setSize (width, height);
        editor.addChildComponent (overlay);
        overlay.setBounds (editor.getLocalBounds());
        test::DesktopWindow window (editor);

        for (int round = 0; round < 2; ++round)
        {
            // As the editor answers the info button, each time.
            overlay.setContent (&about);
            overlay.show();
            EXPECT_EQ (about.getBounds().withZeroOrigin(), juce::Rectangle<int> (585, 427));

            const auto closeButton = about.getPosition() + juce::Point<int> (532, 43);
            window.press (closeButton);
            EXPECT_TRUE (about.isVisible() && overlay.isVisible()) << "a press alone";
            window.release (closeButton);
            EXPECT_FALSE (about.isVisible() || overlay.isVisible());
        }

        overlay.setContent (nullptr);
    }
}

TEST (AboutView, ShowsTheBuildsVersionAndFifteenLinesThatFitTheTextBlockWithoutWrapping)
{
    EXPECT_EQ (versionText, "Version 2.1.1");

    const auto lines = juce::StringArray::fromLines (aboutText);
    ASSERT_EQ (lines.size(), 15);

    for (const auto empty : { 1, 2, 5, 6, 9, 10 })
        EXPECT_TRUE (lines[empty].isEmpty()) << "two empty lines between blocks, not at " << empty;

    const juce::Font roboto (juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoMedium_ttf, (size_t) BinaryData::RobotoMedium_ttfSize));

    for (const auto& line : lines)
        EXPECT_LT (roboto.withHeight (15.0f).getStringWidthFloat (line), 485.0f) << line;

    // As the plug-in draws it: the first baseline at 112 and 15 + 3 pixels between lines put the ninth written
    // line on y = 364; a wrapped line would add a tenth. Only the text has ink left of the badge and below y 90.
    const auto sharedState = SharedApplicationState::getInstance();
    AboutView about;
    const auto image = about.createComponentSnapshot (about.getLocalBounds(), true, 1.0f);
    int writtenLines = 0, firstInkRow = -1, lastInkRow = -1;

    for (int y = 90; y < image.getHeight(); ++y)
    {
        for (int x = 39; x < 447; ++x)
        {
            if (image.getPixelAt (x, y).getAlpha() > 0)
            {
                writtenLines += lastInkRow == y - 1 ? 0 : 1;
                firstInkRow = firstInkRow < 0 ? y : firstInkRow;
                lastInkRow = y;
                break;
            }
        }
    }

    EXPECT_EQ (writtenLines, 9);
    EXPECT_TRUE (firstInkRow > 100 && firstInkRow < 112) << firstInkRow;
    EXPECT_TRUE (lastInkRow >= 363 && lastInkRow < 370) << lastInkRow;
}
