#include "editor/SharedApplicationState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace corvane;

namespace
{
/** Reads the default the way a paint on the message thread would, so the read itself is not a race. */
bool zemLookAndFeelIsInstalled()
{
    const juce::MessageManagerLock lock;
    return dynamic_cast<ZemLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()) != nullptr;
}

/** What the message thread does all the time without any lock: draw with the default look and feel. */
void paintALabel()
{
    juce::Label label ("GainVolumeLabel@indicator", "-12.5 dB");
    label.setBounds (0, 0, 90, 19);

    juce::Image image (juce::Image::ARGB, 90, 19, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    juce::LookAndFeel::getDefaultLookAndFeel().drawLabel (g, label);
}
} // namespace

// Plug-in instances created and destroyed at the same time on different threads: whenever some holder
// keeps the state, the installed default must be its look and feel, which a late reset by an instance
// that is going away would undo. Built on its own so that it can run under ThreadSanitizer.
TEST (SharedApplicationStateRace, HoldersOnSeveralThreadsAlwaysSeeTheLookAndFeelInstalled)
{
    constexpr int rounds = 2000;
    std::atomic<int> misses { 0 };
    std::atomic<int> running { 2 };

    auto acquireAndRelease = [&] {
        auto state = SharedApplicationState::getInstance();

        if (! zemLookAndFeelIsInstalled())
            ++misses;
    };

    auto worker = [&] {
        for (int i = 0; i < rounds; ++i)
            acquireAndRelease();

        --running;
    };

    std::thread first (worker);
    std::thread second (worker);

    // This is the message thread: the workers need it to dispatch to get its lock; meanwhile it paints,
    // and now and then it creates and releases an instance itself.
    for (int i = 0; running.load() > 0; ++i)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        paintALabel();

        if (i % 4 == 0)
            acquireAndRelease();
    }

    first.join();
    second.join();

    EXPECT_EQ (misses.load(), 0);
    EXPECT_FALSE (zemLookAndFeelIsInstalled()) << "the last release restores the framework's default";
}
