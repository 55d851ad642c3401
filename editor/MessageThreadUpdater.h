#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>

namespace corvane
{
/** Runs a view's update on the message thread, whichever thread asks for it. The views follow parameters whose
    listeners are called on the thread that changed them: the audio thread when the host automates.

    Asked on the message thread, the update runs at once. Asked on any other thread, requestUpdate() only sets an
    atomic flag, so the asking thread never locks, allocates or waits; a timer on the message thread runs the
    update at its next tick (30 a second) and otherwise does nothing. The owning view declares its updater
    last, so that the updater, and with it the timer, goes first when the view is destroyed: no update can run
    on a half-destroyed view. The view must stop listening before its destructor returns. */
class MessageThreadUpdater : private juce::Timer
{
public:
    explicit MessageThreadUpdater (std::function<void()> updateToRun);
    ~MessageThreadUpdater() override;

    /** Any thread. */
    void requestUpdate() noexcept;

private:
    void timerCallback() override;

    std::function<void()> update;
    std::atomic<bool> pending { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageThreadUpdater)
};
} // namespace corvane
