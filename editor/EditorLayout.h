#pragma once

#include <juce_graphics/juce_graphics.h>

namespace corvane
{
/** Where the editor's views sit on its 1540 x 974 design canvas, and how a rectangle of the canvas lands in a
    window of another width: the layout scales by the width alone, since the window keeps the canvas's aspect
    ratio. */
struct EditorLayout
{
    static constexpr int canvasWidth = 1540;
    static constexpr int canvasHeight = 974;
    static constexpr int minimumHeight = 487;

    inline static const juce::Rectangle<float> vectorScope { 352.0f, 84.0f, 798.0f, 632.0f };
    inline static const juce::Rectangle<float> gainSlider { 1244.0f, 208.0f, 124.0f, 566.0f };
    inline static const juce::Rectangle<float> inputLevelMeter { 152.0f, 228.0f, 42.0f, 508.0f };
    inline static const juce::Rectangle<float> outputLevelMeter { 1366.0f, 228.0f, 42.0f, 508.0f };
    inline static const juce::Rectangle<float> controlBar { 374.0f, 736.0f, 754.0f, 124.0f };
    inline static const juce::Rectangle<float> gainValueLabel { 1258.0f, 796.0f, 180.0f, 38.0f };
    static constexpr float sliderThumbSize = 48.0f;

    /** The window's width over the canvas's. */
    static float scaleFor (int windowWidth) noexcept { return (float) windowWidth / (float) canvasWidth; }

    /** The smallest whole-pixel rectangle that holds the scaled design rectangle. */
    static juce::Rectangle<int> place (juce::Rectangle<float> design, float scale) noexcept
    {
        return (design * scale).getSmallestIntegerContainer();
    }

    static int thumbSizeFor (float scale) noexcept { return juce::roundToInt (sliderThumbSize * scale); }
};
} // namespace corvane
