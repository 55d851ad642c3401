#include "editor/SharedApplicationState.h"

#include <BinaryData.h>

#include <optional>
#include <utility>

namespace corvane
{
std::mutex SharedApplicationState::instanceMutex;
std::weak_ptr<SharedApplicationState> SharedApplicationState::weakInstance;

namespace
{
    // Guarded by instanceMutex. The instance that was built and not yet torn down (it outlives
    // weakInstance by the moment between its last holder letting go and that holder getting the lock),
    // and a count of instances built, which tells a late release that its instance is already gone.
    SharedApplicationState* liveInstance = nullptr;
    std::uint64_t liveGeneration = 0;
} // namespace

/** Installing and removing the default look and feel touches the framework's desktop and font caches,
    which belong to the message thread: off that thread the message manager's lock is taken as well.
    It is always taken before instanceMutex, the order that the message thread, which holds it implicitly,
    follows too. */
struct SharedApplicationState::InstanceLock
{
    InstanceLock()
    {
        if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
            messageManagerLock.emplace();

        mutexLock = std::unique_lock<std::mutex> (instanceMutex);
    }

    std::optional<juce::MessageManagerLock> messageManagerLock;
    std::unique_lock<std::mutex> mutexLock;
};

std::shared_ptr<SharedApplicationState> SharedApplicationState::getInstance()
{
    const InstanceLock lock;

    if (auto instance = weakInstance.lock())
        return instance;

    // The previous instance may have lost its last holder on another thread that is still waiting for
    // this lock to tear it down. Its teardown resets the process default, so it must come before this
    // installation, never after it: tear it down here, and its holder's late release will find it gone.
    delete std::exchange (liveInstance, nullptr);

    liveInstance = new SharedApplicationState();
    const auto generation = ++liveGeneration;

    std::shared_ptr<SharedApplicationState> instance (liveInstance,
                                                      [generation] (SharedApplicationState*) { releaseInstance (generation); });
    weakInstance = instance;
    return instance;
}

void SharedApplicationState::releaseInstance (std::uint64_t generation)
{
    const InstanceLock lock;

    if (generation == liveGeneration)
        delete std::exchange (liveInstance, nullptr);
}

SharedApplicationState::SharedApplicationState()
    : lookAndFeel (std::make_unique<ZemLookAndFeel>())
{
    // Embedded, so the text looks the same whether or not the font is installed on the machine.
    lookAndFeel->setDefaultSansSerifTypeface (
        juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoMedium_ttf,
                                                 (size_t) BinaryData::RobotoMedium_ttfSize));
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());
}

SharedApplicationState::~SharedApplicationState()
{
    // Even over a default that something else installed meanwhile: an instance that goes away leaves the
    // process with the framework's own look and feel, as the first instance found it.
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    lookAndFeel.reset();
}
} // namespace corvane
