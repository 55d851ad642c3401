#include "editor/ZemSlider.h"

#include <BinaryData.h>

namespace corvane
{
ZemSlider::ZemSlider (juce::AudioProcessorValueTreeState& apvtsToUse, juce::String parameterIDToUse)
    : apvts (apvtsToUse)
    , parameterID (std::move (parameterIDToUse))
    , thumbImage (juce::ImageCache::getFromMemory (BinaryData::SliderThumb_png, BinaryData::SliderThumb_pngSize))
    , updater ([this] { showCurrentValue(); })
{
    jassert (apvts.getParameter (parameterID) != nullptr);
    jassert (thumbImage.isValid());

    // Listening before reading, so that automation landing in between is not missed until the next change.
    apvts.addParameterListener (parameterID, this);

    if (auto* parameter = apvts.getParameter (parameterID))
        shownValue = parameter->getValue();
}

ZemSlider::~ZemSlider()
{
    apvts.removeParameterListener (parameterID, this);
}

void ZemSlider::setThumbSize (int newThumbSize)
{
    thumbSize = newThumbSize;
}

float ZemSlider::getThumbHalfHeight() const
{
    return (float) thumbImage.getHeight() * ((float) getWidth() / (float) thumbImage.getWidth()) * 0.5f;
}

float ZemSlider::getTravel() const
{
    const auto thumbHeight = (float) thumbImage.getHeight() * ((float) getWidth() / (float) thumbImage.getWidth());
    return juce::jmax (0.0f, (float) getHeight() - thumbHeight);
}

float ZemSlider::valueToY (float value) const
{
    const auto travel = getTravel();
    const auto offset = (float) ((1.0 - (double) value) * (double) travel);
    return juce::jlimit (0.0f, travel, offset) + getThumbHalfHeight();
}

float ZemSlider::yToValue (float y) const
{
    const auto travel = getTravel();

    if (travel == 0.0f)
        return 0.0f;

    const auto proportion = juce::jlimit (0.0f, 1.0f, (y - getThumbHalfHeight()) / travel);
    return (float) (1.0 - (double) proportion);
}

bool ZemSlider::isInsideHitBand (const juce::MouseEvent& event) const
{
    const auto distance = event.getPosition().x - getWidth() / 2;
    return std::abs ((double) distance) <= (double) thumbSize * 0.5;
}

void ZemSlider::setValue (float value)
{
    if (auto* parameter = apvts.getParameter (parameterID))
    {
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (value);
        parameter->endChangeGesture();
    }
}

void ZemSlider::mouseDown (const juce::MouseEvent& event)
{
    auto* parameter = apvts.getParameter (parameterID);

    if (parameter == nullptr || ! isInsideHitBand (event))
        return;

    const auto y = (float) event.getPosition().y;
    grabOffset = 0.0f;
    auto target = yToValue (y);

    // Back to the default at once; the drag that follows keeps the pointer where it grabbed the thumb.
    if (event.mods.isCtrlDown())
    {
        target = parameter->getDefaultValue();
        grabOffset = y - valueToY (target);
    }

    setValue (target);
    isDragging = true;
}

void ZemSlider::mouseDrag (const juce::MouseEvent& event)
{
    if (isDragging && event.getOffsetFromDragStart().y != 0)
        setValue (yToValue ((float) event.getPosition().y - grabOffset));
}

void ZemSlider::mouseUp (const juce::MouseEvent&)
{
    isDragging = false;
}

void ZemSlider::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    // Not passed on to the parent, inside the band or outside it.
    auto* parameter = apvts.getParameter (parameterID);

    if (parameter == nullptr || ! isInsideHitBand (event))
        return;

    const auto step = (double) wheel.deltaY * 0.15 * (wheel.isReversed ? -1.0 : 1.0);
    setValue (juce::jlimit (0.0f, 1.0f, (float) ((double) parameter->getValue() + step)));
}

void ZemSlider::paint (juce::Graphics& g)
{
    const auto width = (float) getWidth();
    const auto scale = width / (float) thumbImage.getWidth();
    const auto drawnWidth = (float) thumbImage.getWidth() * scale;
    const auto drawnHeight = (float) thumbImage.getHeight() * scale;
    const auto centreY = valueToY (shownValue);

    g.drawImage (thumbImage,
                 { width * 0.5f - drawnWidth * 0.5f, centreY - drawnHeight * 0.5f, drawnWidth, drawnHeight },
                 juce::RectanglePlacement::stretchToFit,
                 false);
}

void ZemSlider::parameterChanged (const juce::String&, float)
{
    updater.requestUpdate();
}

void ZemSlider::showCurrentValue()
{
    auto* parameter = apvts.getParameter (parameterID);

    if (parameter == nullptr || parameter->getValue() == shownValue)
        return;

    shownValue = parameter->getValue();
    repaint();
}
} // namespace corvane
