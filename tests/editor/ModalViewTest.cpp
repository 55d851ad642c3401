#include "editor/ModalView.h"

#include "support/DesktopWindow.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** Stands in for the editor: white, counting the presses that reach it, with a content of the About view's size. */
struct Editor : juce::Component
{
    Editor()
    {
        addChildComponent (overlay);
        content.setSize (585, 427);
        setSize (770, 487);
    }

    ~Editor() override { overlay.setContent (nullptr); }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::white); }
    void mouseDown (const juce::MouseEvent&) override { ++presses; }
    void resized() override { overlay.setBounds (getLocalBounds()); }
    juce::Image snapshot() { return createComponentSnapshot (getLocalBounds(), true, 1.0f); }

    ModalView overlay;
    juce::Component content;
    int presses = 0;
};

// Black at 0.4 over the white editor, and the panel's own colour.
const juce::Colour backdrop (153, 153, 153), panel (229, 234, 240);
} // namespace

TEST (ModalView, CentresTheContentAtItsOwnSizeOnARoundedPanelAsTheEditorResizes)
{
    Editor editor;
    editor.overlay.setContent (&editor.content);
    editor.overlay.show();

    struct Case
    {
        int width, height;
        juce::Rectangle<int> content;
    };

    for (const auto c : { Case { 770, 487, { 93, 30, 585, 427 } }, Case { 1540, 974, { 478, 274, 585, 427 } }, Case { 770, 487, { 93, 30, 585, 427 } } })
    {
        SCOPED_TRACE (c.width);
        editor.setSize (c.width, c.height);
        const auto shown = editor.content.getBounds();
        EXPECT_EQ (shown, c.content);

        const auto image = editor.snapshot();
        EXPECT_EQ (image.getPixelAt (2, 2), backdrop);
        EXPECT_EQ (image.getPixelAt (shown.getCentreX(), shown.getY()), panel) << "the panel starts with the content";
        EXPECT_EQ (image.getPixelAt (shown.getCentreX(), shown.getBottom() - 1), panel);
        EXPECT_LT (image.getPixelAt (shown.getCentreX(), shown.getY() - 2).getBrightness(), 0.55f) << "a shadow";
        EXPECT_NE (image.getPixelAt (shown.getX(), shown.getY()), panel) << "a rounded corner";
    }
}

TEST (ModalView, OnlyTheContentHidingClosesItNotClicksOnTheBackdropNorKeys)
{
    Editor editor;
    auto& overlay = editor.overlay;
    test::DesktopWindow window (editor);

    // As the editor answers the info button: the content set again, or shown again as it is.
    for (const auto setContentFirst : { true, false, true })
    {
        SCOPED_TRACE (setContentFirst);

        if (setContentFirst)
            overlay.setContent (&editor.content);

        overlay.show();
        EXPECT_EQ (editor.content.getBoundsInParent(), juce::Rectangle<int> (93, 30, 585, 427));

        for (const auto at : { juce::Point<int> (5, 5), juce::Point<int> (50, 240), juce::Point<int> (760, 480) })
        {
            window.press (at);
            window.release (at);
        }

        ASSERT_TRUE (window.focus (overlay));

        for (const auto key : { juce::KeyPress (juce::KeyPress::escapeKey), juce::KeyPress (juce::KeyPress::returnKey), juce::KeyPress ('x') })
            window.pressKey (key);

        EXPECT_TRUE (overlay.isVisible() && editor.content.isVisible());
        EXPECT_EQ (editor.presses, 0) << "nothing below gets the clicks";

        editor.content.setVisible (false);
        EXPECT_FALSE (overlay.isVisible());
    }

    // Detached, the content no longer closes it, and without one it draws only the backdrop.
    overlay.setContent (nullptr);
    overlay.setVisible (true);
    editor.content.setVisible (true);
    editor.content.setVisible (false);
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_EQ (editor.snapshot().getPixelAt (385, 243), backdrop);
}
