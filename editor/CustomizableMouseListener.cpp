#include "editor/CustomizableMouseListener.h"

namespace corvane
{
CustomizableMouseListener::~CustomizableMouseListener() = default;

void CustomizableMouseListener::mouseDown (const juce::MouseEvent& event)
{
    if (onMouseDown)
        onMouseDown (event);
}

void CustomizableMouseListener::mouseDrag (const juce::MouseEvent& event)
{
    if (onMouseDrag)
        onMouseDrag (event);
}

void CustomizableMouseListener::mouseUp (const juce::MouseEvent& event)
{
    if (onMouseUp)
        onMouseUp (event);
}

void CustomizableMouseListener::mouseDoubleClick (const juce::MouseEvent& event)
{
    if (onMouseDoubleClick)
        onMouseDoubleClick (event);
}

void CustomizableMouseListener::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (onMouseWheelMove)
        onMouseWheelMove (event, wheel);
}
} // namespace corvane
