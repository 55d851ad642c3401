#pragma once

#include "editor/ZemLookAndFeel.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace corvane
{
/** The one object that all plug-in instances of a process share. While it lives, the process's default
    look and feel is a ZemLookAndFeel whose default sans-serif typeface is the embedded Roboto Medium;
    when its last holder lets go, the framework's own default comes back.

    Every processor holds it from its constructor to the start of its destructor, so the look and feel is
    in place before any editor exists. getInstance, and the release of the last reference, may happen on
    any thread; off the message thread they take the message manager's lock, so the message thread must
    keep dispatching meanwhile. */
class SharedApplicationState
{
public:
    /** Returns the live instance, or builds one when there is none. */
    static std::shared_ptr<SharedApplicationState> getInstance();

    ~SharedApplicationState();

private:
    SharedApplicationState();

    struct InstanceLock;
    static void releaseInstance (std::uint64_t generation);

    std::unique_ptr<ZemLookAndFeel> lookAndFeel;

    static std::mutex instanceMutex;
    static std::weak_ptr<SharedApplicationState> weakInstance;

    JUCE_DECLARE_NON_COPYABLE (SharedApplicationState)
};
} // namespace corvane
