#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace corvane
{
/** A mouse listener whose handlers its owner assigns, so a view can take a child's mouse events without
    subclassing the child. An unassigned handler ignores its event. */
class CustomizableMouseListener : public juce::MouseListener
{
public:
    CustomizableMouseListener() = default;
    ~CustomizableMouseListener() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

    std::function<void (const juce::MouseEvent&)> onMouseDown;
    std::function<void (const juce::MouseEvent&)> onMouseDrag;
    std::function<void (const juce::MouseEvent&)> onMouseUp;
    std::function<void (const juce::MouseEvent&)> onMouseDoubleClick;
    std::function<void (const juce::MouseEvent&, const juce::MouseWheelDetails&)> onMouseWheelMove;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomizableMouseListener)
};
} // namespace corvane
