#include "editor/ZemAlertWindow.h"

namespace corvane
{
ZemAlertWindow::ZemAlertWindow (const juce::String& title,
                                const juce::String& message,
                                juce::AlertWindow::AlertIconType iconType,
                                juce::Component* component)
    : juce::AlertWindow (title, message, iconType, component)
{
}
} // namespace corvane
