#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** The alert window that ZemLookAndFeel hands out. A class of its own so that alert windows of this
    plug-in can be told apart from the framework's, even though it adds nothing yet. */
class ZemAlertWindow : public juce::AlertWindow
{
public:
    ZemAlertWindow (const juce::String& title,
                    const juce::String& message,
                    juce::AlertWindow::AlertIconType iconType,
                    juce::Component* component = nullptr);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZemAlertWindow)
};
} // namespace corvane
