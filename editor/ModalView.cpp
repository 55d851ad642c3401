#include "editor/ModalView.h"

#include <cmath>

namespace corvane
{
namespace
{
    const juce::Colour modalContentColour (229, 234, 240);
    const juce::Colour modalDimColour = juce::Colours::black.withAlpha (0.4f);
    const juce::Colour modalShadowColour = juce::Colours::black.withAlpha (0.4f);

    // The panel's corners and shadow were drawn for the 770-pixel editor and grow with the overlay's width.
    constexpr double cornerPerWidth = 1.0 / 96.25;
    constexpr double shadowPerWidth = 1.0 / 38.5;
} // namespace

ModalView::ModalView()
{
    setWantsKeyboardFocus (true);
}

ModalView::~ModalView() = default;

void ModalView::setContent (juce::Component* newContent)
{
    if (content != nullptr)
    {
        content->removeComponentListener (this);
        removeChildComponent (content);
        content = nullptr;
    }

    if (newContent != nullptr)
    {
        content = newContent;

        // Made visible before the overlay listens, so adopting a hidden content does not hide the overlay.
        addAndMakeVisible (content);
        content->addComponentListener (this);
        content->toFront (true);
        resized();
    }
}

void ModalView::show()
{
    // A backdrop with nothing on it could never be closed and would lock the editor.
    if (content == nullptr)
        return;

    // The content first: its becoming visible hides the overlay, which then shows after it.
    content->setVisible (true);
    content->toFront (true);
    setVisible (true);
    toFront (true);
    repaint();
}

void ModalView::paint (juce::Graphics& g)
{
    g.setColour (modalDimColour);
    g.fillRect (getLocalBounds());

    if (content == nullptr)
        return;

    const auto width = (double) getWidth();
    const auto cornerSize = (float) (width * cornerPerWidth);
    const auto shadowRadius = (int) std::round (width * shadowPerWidth);

    const auto panel = content->getBounds().toFloat();
    juce::Path path;
    path.addRoundedRectangle (panel.getX(), panel.getY(), panel.getWidth(), panel.getHeight(), cornerSize, cornerSize);

    juce::DropShadow (modalShadowColour, shadowRadius, {}).drawForPath (g, path);
    g.setColour (modalContentColour);
    g.fillPath (path);
}

void ModalView::resized()
{
    if (content != nullptr)
        content->setBounds (content->getBounds().withCentre (getLocalBounds().getCentre()));
}

void ModalView::componentVisibilityChanged (juce::Component& component)
{
    // Any change counts: show() makes the content visible before the overlay, so only hiding leaves it hidden.
    if (&component == content)
        setVisible (false);
}
} // namespace corvane
