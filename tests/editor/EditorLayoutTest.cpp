#include "editor/EditorLayout.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST (EditorLayout, PlacesTheViewsAtEveryWidthInWholePixelsThatHoldThemAndScalesTheThumb)
{
    using R = juce::Rectangle<int>;

    struct Case
    {
        int width;
        R scope, slider, inputMeter, outputMeter, controlBar, valueLabel;
        int thumbSize;
    };

    const Case cases[] = {
        { 770, { 176, 42, 399, 316 }, { 622, 104, 62, 283 }, { 76, 114, 21, 254 }, { 683, 114, 21, 254 }, { 187, 368, 377, 62 }, { 629, 398, 90, 19 }, 24 },
        { 1000, { 228, 54, 519, 411 }, { 807, 135, 82, 368 }, { 98, 148, 28, 330 }, { 887, 148, 28, 330 }, { 242, 477, 491, 82 }, { 816, 516, 118, 26 }, 31 },
        { 1540, { 352, 84, 798, 632 }, { 1244, 208, 124, 566 }, { 152, 228, 42, 508 }, { 1366, 228, 42, 508 }, { 374, 736, 754, 124 }, { 1258, 796, 180, 38 }, 48 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.width);
        const auto s = EditorLayout::scaleFor (c.width);
        EXPECT_EQ (EditorLayout::place (EditorLayout::vectorScope, s), c.scope);
        EXPECT_EQ (EditorLayout::place (EditorLayout::gainSlider, s), c.slider);
        EXPECT_EQ (EditorLayout::place (EditorLayout::inputLevelMeter, s), c.inputMeter);
        EXPECT_EQ (EditorLayout::place (EditorLayout::outputLevelMeter, s), c.outputMeter);
        EXPECT_EQ (EditorLayout::place (EditorLayout::controlBar, s), c.controlBar);
        EXPECT_EQ (EditorLayout::place (EditorLayout::gainValueLabel, s), c.valueLabel);
        EXPECT_EQ (EditorLayout::thumbSizeFor (s), c.thumbSize);
    }
}
