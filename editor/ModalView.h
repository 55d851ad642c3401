#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** Lays one component over the whole editor: a dimmed backdrop, a light rounded panel with a soft shadow exactly
    under the content, and the content centred at its own size. Only the content hiding itself closes the overlay;
    clicks on the backdrop are swallowed and keys go on to the parent. Tab would still move the focus on to the
    controls below, so the owner disables them while the overlay shows.

    Threads: message thread only. The content is not owned, and the overlay keeps listening to it until
    setContent (nullptr), which its owner must call before either goes. */
class ModalView : public juce::Component
    , public juce::ComponentListener
{
public:
    ModalView();
    ~ModalView() override;

    /** Detaches the current content, then adopts the new one (null only detaches). */
    void setContent (juce::Component* newContent);

    /** Shows the content and the overlay in front of its siblings, with the keyboard focus. */
    void show();

    void paint (juce::Graphics& g) override;
    void resized() override;

    void componentVisibilityChanged (juce::Component& component) override;

private:
    juce::Component* content = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModalView)
};
} // namespace corvane
