#include "editor/MessageThreadUpdater.h"

namespace corvane
{
MessageThreadUpdater::MessageThreadUpdater (std::function<void()> updateToRun)
    : update (std::move (updateToRun))
{
    startTimerHz (30);
}

MessageThreadUpdater::~MessageThreadUpdater()
{
    stopTimer();
}

void MessageThreadUpdater::requestUpdate() noexcept
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        pending.store (false);
        update();
        return;
    }

    pending.store (true);
}

void MessageThreadUpdater::timerCallback()
{
    if (pending.exchange (false))
        update();
}
} // namespace corvane
