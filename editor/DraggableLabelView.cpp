#include "editor/DraggableLabelView.h"

namespace corvane
{
const juce::Colour DraggableLabelView::draggableLabelTextColour { 255, 152, 152 };

DraggableLabelView::DraggableLabelView (juce::AudioProcessorValueTreeState& apvtsToUse, juce::String parameterIDToUse)
    : parameterID (std::move (parameterIDToUse))
    , apvts (apvtsToUse)
    , updater ([this] { updateText(); })
{
    jassert (apvts.getParameter (parameterID) != nullptr);
    apvts.addParameterListener (parameterID, this);

    addAndMakeVisible (label);
    label.addMouseListener (&mouseListener, false);
    label.setColour (juce::Label::textColourId, draggableLabelTextColour);
    label.setJustificationType (juce::Justification::centred);

    mouseListener.onMouseDown = [this] (const juce::MouseEvent& event) {
        if (auto* parameter = apvts.getParameter (parameterID))
            startValue = event.mods.isCtrlDown() ? parameter->getDefaultValue() : parameter->getValue();
    };

    // The value follows the distance from the press alone, so the path the pointer took does not matter.
    mouseListener.onMouseDrag = [this] (const juce::MouseEvent& event) {
        const auto distance = (double) event.getDistanceFromDragStartY();
        setValue (juce::jlimit (0.0f, 1.0f, (float) ((double) startValue.load() - distance / 200.0)));
    };

    mouseListener.onMouseWheelMove = [this] (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel) {
        if (auto* parameter = apvts.getParameter (parameterID))
        {
            const auto step = (double) wheel.deltaY * 0.15 * (wheel.isReversed ? -1.0 : 1.0);
            setValue (juce::jlimit (0.0f, 1.0f, (float) ((double) parameter->getValue() + step)));
        }
    };

    updateText();
}

DraggableLabelView::~DraggableLabelView()
{
    apvts.removeParameterListener (parameterID, this);
    label.removeMouseListener (&mouseListener);
}

void DraggableLabelView::resized()
{
    label.setBounds (getLocalBounds());
}

void DraggableLabelView::parameterChanged (const juce::String& changedParameterID, float)
{
    if (changedParameterID == parameterID)
        updater.requestUpdate();
}

void DraggableLabelView::updateText()
{
    // The label repaints only when the text differs from what it shows.
    if (auto* parameter = apvts.getParameter (parameterID))
        label.setText (parameter->getCurrentValueAsText(), juce::dontSendNotification);
}

void DraggableLabelView::setValue (float value)
{
    if (auto* parameter = apvts.getParameter (parameterID))
    {
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (value);
        parameter->endChangeGesture();
    }
}
} // namespace corvane
