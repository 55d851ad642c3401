#include "editor/BackgroundImageView.h"
#include "interfaces/ParameterIds.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
juce::Image decode (const char* data, int size)
{
    return juce::ImageFileFormat::loadFrom (data, (size_t) size).convertedToFormat (juce::Image::ARGB);
}

/** Mean difference per colour channel, 0 to 255. */
double meanDifference (const juce::Image& a, const juce::Image& b)
{
    const juce::Image::BitmapData first (a, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData second (b, juce::Image::BitmapData::readOnly);
    double sum = 0.0;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = first.getPixelColour (x, y), q = second.getPixelColour (x, y);
            sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                 + std::abs (p.getBlue() - q.getBlue());
        }
    }

    return sum / (3.0 * a.getWidth() * a.getHeight());
}
} // namespace

TEST (BackgroundImageView, DrawsTheSkinThatIsDarkSelectsOverTheWholeViewAndRepaintsWhenItChanges)
{
    const auto light = decode (BinaryData::SkinLight_jpg, BinaryData::SkinLight_jpgSize);
    const auto dark = decode (BinaryData::SkinDark_jpg, BinaryData::SkinDark_jpgSize);

    struct Case
    {
        const char* name;
        juce::var isDark; // void: the property stays missing
        int width, height;
        const juce::Image& expected;
    };

    const Case cases[] = {
        { "missing, design size", {}, 1540, 974, light },
        { "false, smallest editor", false, 770, 487, light },
        { "true, design size", true, 1540, 974, dark },
        { "true, smallest editor", true, 770, 487, dark },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        juce::ValueTree configState ("ConfigState");
        BackgroundImageView view (configState);

        // The editor holds the view, and only a parent paints it from its buffered image: a change that
        // failed to repaint would show the stale skin here.
        juce::Component editor;
        editor.setSize (c.width, c.height);
        editor.addAndMakeVisible (view);
        view.setBounds (editor.getLocalBounds());
        editor.createComponentSnapshot (editor.getLocalBounds());

        if (! c.isDark.isVoid())
            configState.setProperty (isDarkIdentifier, c.isDark, nullptr);

        const auto shown = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
        EXPECT_LT (meanDifference (shown, c.expected.rescaled (c.width, c.height)), 2.0);

        EXPECT_EQ (view.getImageWidth(), 1540);
        EXPECT_EQ (view.getImageHeight(), 974);
    }
}
