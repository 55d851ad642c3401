#include "editor/MessageThreadUpdater.h"

#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace corvane;

TEST (MessageThreadUpdater, RunsAtOnceOnTheMessageThreadAndOnlyThereWhenAskedFromAnother)
{
    std::atomic<int> runs { 0 }, runsOffTheMessageThread { 0 };
    MessageThreadUpdater updater ([&] {
        ++runs;
        if (! juce::MessageManager::existsAndIsCurrentThread())
            ++runsOffTheMessageThread;
    });

    updater.requestUpdate();
    EXPECT_EQ (runs.load(), 1);

    // Many requests from an audio thread between two ticks make one update.
    std::thread audio ([&] {
        for (int i = 0; i < 1000; ++i)
            updater.requestUpdate();
    });
    audio.join();
    EXPECT_EQ (runs.load(), 1) << "nothing runs until the message thread gets to it";

    EXPECT_TRUE (test::pumpMessagesUntil ([&] { return runs.load() == 2; }));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    EXPECT_EQ (runs.load(), 2);
    EXPECT_EQ (runsOffTheMessageThread.load(), 0);
}

TEST (MessageThreadUpdater, AnUpdateStillPendingWhenItsOwnerGoesNeverRuns)
{
    auto ran = std::make_shared<std::atomic<bool>> (false);
    auto updater = std::make_unique<MessageThreadUpdater> ([ran] { ran->store (true); });

    std::thread audio ([&] { updater->requestUpdate(); });
    audio.join();
    updater.reset();

    // A marker posted now runs after any tick that was already due.
    auto markerRan = std::make_shared<std::atomic<bool>> (false);
    juce::Timer::callAfterDelay (100, [markerRan] { markerRan->store (true); });
    EXPECT_TRUE (test::pumpMessagesUntil ([&] { return markerRan->load(); }));
    EXPECT_FALSE (ran->load());
}
