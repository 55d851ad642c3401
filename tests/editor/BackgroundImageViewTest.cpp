#include "editor/BackgroundImageView.h"
#include "interfaces/ParameterIds.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** Mean difference per colour channel, 0 to 255. */
double meanDifference (const juce::Image& a, const juce::Image& b)
{
    double sum = 0.0;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen()) + std::abs (p.getBlue() - q.getBlue());
        }
    }

    return sum / (3.0 * a.getWidth() * a.getHeight());
}
} // namespace

TEST (BackgroundImageView, DrawsTheSkinThatIsDarkSelectsOverTheWholeViewAndRepaintsWhenItChanges)
{
    const auto light = juce::ImageFileFormat::loadFrom (BinaryData::SkinLight_jpg, BinaryData::SkinLight_jpgSize);
    const auto dark = juce::ImageFileFormat::loadFrom (BinaryData::SkinDark_jpg, BinaryData::SkinDark_jpgSize);

    juce::ValueTree configState ("ConfigState");
    BackgroundImageView view (configState);

    // The smallest editor, where the pictures are stretched to half their size. The editor holds the view, and
    // only a parent paints it from its buffered image: a change that failed to repaint shows the stale skin.
    juce::Component editor;
    editor.setSize (770, 487);
    editor.addAndMakeVisible (view);
    view.setBounds (editor.getLocalBounds());

    // The property starts missing, as in a tree that never had it.
    for (const auto& [isDark, expected] : { std::pair { juce::var(), &light }, { true, &dark }, { false, &light } })
    {
        SCOPED_TRACE ("isDark " + isDark.toString());

        if (! isDark.isVoid())
            configState.setProperty (isDarkIdentifier, isDark, nullptr);

        const auto shown = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
        EXPECT_LT (meanDifference (shown, expected->rescaled (770, 487)), 2.0);
    }
}
