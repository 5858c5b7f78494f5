#include "framework/RealtimeNotifier.h"

#include <algorithm>
#include <cstdint>
#include <juce_events/juce_events.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace
{
// Set by a trigger on any thread but the message thread. Plain atomics outside the registry, so a trigger
// never reaches anything that static destruction could have taken down.
std::atomic<bool> anyRaised{false};
std::atomic<bool> registryAlive{false};

// While the registry sleeps (no timer, nothing raised), the first trigger off the message thread takes the
// arm and writes to the wake descriptor, which the message loop watches. Sequentially consistent with
// anyRaised: either the trigger sees the arm, or the registry, arming, sees the raised notice.
std::atomic<bool> wakeArmed{false};
std::atomic<int> wakeDescriptor{-1};

bool isMessageThread() noexcept
{
    auto* mm = juce::MessageManager::getInstanceWithoutCreating();
    return mm != nullptr && mm->isThisTheMessageThread();
}

/** Wait-free and allocation-free: one write to an eventfd, which never blocks (the counter cannot fill
    with one write per sleep). */
void wakeMessageThread() noexcept
{
    if (!wakeArmed.load() || !wakeArmed.exchange (false))
        return;

    const int fd = wakeDescriptor.load();
    if (fd < 0)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write (fd, &one, sizeof (one));
}
} // namespace

//==============================================================================
/** The message-thread path: a trigger there posts a JUCE message, which costs nothing the audio thread
    could notice and keeps the notice in order with the loop's other messages. */
class RealtimeNotifier::MessagePoster : public juce::AsyncUpdater
{
public:
    explicit MessagePoster (RealtimeNotifier& notifierToDeliver)
        : owner (notifierToDeliver)
    {
    }

    ~MessagePoster() override { cancelPendingUpdate(); }

    void handleAsyncUpdate() override { owner.deliverIfPending(); }

private:
    RealtimeNotifier& owner;
};

//==============================================================================
/** Every notifier of the process and the one timer that delivers what other threads raised.

    The timer runs while notices keep coming; the first tick that finds nothing raised stops it and arms
    the wake descriptor, so an idle process (a stopped transport, a closed editor) costs the message thread
    nothing. The next trigger off the message thread wakes the loop, which delivers at once. Without an
    eventfd the timer simply keeps running. It never runs while no notifier exists. */
struct RealtimeNotifier::Registry : private juce::Timer
{
    Registry()
    {
        wakeDescriptor.store (::eventfd (0, EFD_NONBLOCK | EFD_CLOEXEC));
        registryAlive.store (true);
    }

    ~Registry() override
    {
        registryAlive.store (false);
        wakeArmed.store (false);
        stopTimer();
        if (const int fd = wakeDescriptor.exchange (-1); fd >= 0)
            ::close (fd);
    }

    static Registry& get()
    {
        static Registry registry;
        return registry;
    }

    void add (RealtimeNotifier* notifier)
    {
        const juce::ScopedLock sl (lock);
        notifiers.push_back (notifier);
        ++generation;

        // Without a message manager no timer could fire; the next notifier made once one exists starts it.
        // The first tick puts the registry to sleep when nothing is raised.
        if (!isTimerRunning() && !wakeArmed.load() &&
            juce::MessageManager::getInstanceWithoutCreating() != nullptr)
            startTimer (pollIntervalMs);
    }

    void remove (RealtimeNotifier* notifier)
    {
        const juce::ScopedLock sl (lock);
        notifiers.erase (std::remove (notifiers.begin(), notifiers.end(), notifier), notifiers.end());
        ++generation;

        if (notifiers.empty())
        {
            wakeArmed.store (false);
            stopTimer();
        }
    }

    /** Message thread. Walks the list only when something was raised off the message thread (or when
        asked to walk anyway), so an idle timer tick reads one atomic. True when something was raised. */
    bool deliver (bool evenIfNothingRaised)
    {
        const bool raised = anyRaised.exchange (false, std::memory_order_acq_rel);
        if (!raised && !evenIfNothingRaised)
            return false;

        const juce::ScopedLock sl (lock);
        const auto generationAtStart = generation;

        // By index, as a delivery may add or remove notifiers; the size is read again every step.
        for (size_t i = 0; i < notifiers.size(); ++i)
        {
            auto* notifier = notifiers[i];
            if (notifier->pending.exchange (false, std::memory_order_acq_rel))
                notifier->handleAsyncUpdate();
        }

        // A removal during the walk shifts the list under the index and may pass over a raised notice.
        if (generation != generationAtStart)
            anyRaised.store (true, std::memory_order_release);

        return raised;
    }

    void timerCallback() override
    {
        if (!deliver (false))
            sleep();
    }

    /** Message thread: stops the timer and arms the wake, unless a notice came meanwhile. */
    void sleep()
    {
        if (wakeDescriptor.load() < 0 || !watchWakeDescriptor())
            return; // no way to be woken: keep polling

        const juce::ScopedLock sl (lock);
        if (notifiers.empty())
            return;

        stopTimer();
        wakeArmed.store (true);

        // A trigger between the last delivery and the arm raised its notice without waking anybody.
        if (anyRaised.load() && wakeArmed.exchange (false))
            startTimer (pollIntervalMs);
    }

    /** Message thread, from the loop: a trigger woke it. */
    void woken (int fd)
    {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto drained = ::read (fd, &count, sizeof (count));

        const juce::ScopedLock sl (lock);
        if (notifiers.empty())
            return;
        wakeArmed.store (false);
        deliver (false);

        // A lone notice costs one wake-up; notices that come faster than the poll interval are gathered
        // by the timer until they stop, so a busy run never wakes the loop more often than it polls.
        const auto now = juce::Time::getMillisecondCounter();
        const bool inARun = now - lastWakeMs < (juce::uint32) pollIntervalMs;
        lastWakeMs = now;
        if (inARun)
            startTimer (pollIntervalMs);
        else
            sleep();
    }

    /** The message loop watches the wake descriptor from the first sleep until JUCE shuts down, which
        drops every watch: the watcher is deleted with it and the next sleep watches anew. */
    bool watchWakeDescriptor()
    {
        if (watcher == nullptr)
            watcher = new Watcher (*this);
        return true;
    }

    bool isPolling() const { return isTimerRunning(); }
    bool isSleeping() const { return wakeArmed.load(); }

    struct Watcher : public juce::DeletedAtShutdown
    {
        explicit Watcher (Registry& r)
            : registry (r)
            , fd (wakeDescriptor.load())
        {
            juce::LinuxEventLoop::registerFdCallback (fd,
                                                      [] (int wokenFd) { Registry::get().woken (wokenFd); });
        }

        ~Watcher() override
        {
            juce::LinuxEventLoop::unregisterFdCallback (fd);
            wakeArmed.store (false);
            if (registry.watcher == this)
                registry.watcher = nullptr;
        }

        Registry& registry;
        const int fd;
    };

    juce::CriticalSection lock; // recursive: a delivery may make or delete notifiers
    std::vector<RealtimeNotifier*> notifiers;
    juce::uint32 generation = 0;
    Watcher* watcher = nullptr;  // message thread; owned by JUCE's shutdown list
    juce::uint32 lastWakeMs = 0; // message thread
};

//==============================================================================
RealtimeNotifier::RealtimeNotifier()
    : poster (std::make_unique<MessagePoster> (*this))
{
    Registry::get().add (this);
}

RealtimeNotifier::~RealtimeNotifier()
{
    pending.store (false);
    poster.reset();

    if (registryAlive.load())
        Registry::get().remove (this);
}

void RealtimeNotifier::triggerAsyncUpdate() noexcept
{
    if (pending.exchange (true, std::memory_order_acq_rel))
        return;

    if (isMessageThread())
    {
        poster->triggerAsyncUpdate();
    }
    else
    {
        anyRaised.store (true);
        wakeMessageThread();
    }
}

void RealtimeNotifier::cancelPendingUpdate() noexcept
{
    pending.store (false, std::memory_order_release);
    if (poster != nullptr)
        poster->cancelPendingUpdate();

    // A delivery runs under the list's lock: taking it waits for one under way to end.
    if (registryAlive.load())
    {
        const juce::ScopedLock sl (Registry::get().lock);
    }
}

void RealtimeNotifier::handleUpdateNowIfNeeded()
{
    deliverIfPending();
}

void RealtimeNotifier::deliverIfPending()
{
    if (!registryAlive.load())
        return;

    const juce::ScopedLock sl (Registry::get().lock);
    if (pending.exchange (false, std::memory_order_acq_rel))
        handleAsyncUpdate();
}

void RealtimeNotifier::deliverAllPending()
{
    if (registryAlive.load())
        Registry::get().deliver (true);
}

bool RealtimeNotifier::isPollingTimerRunning()
{
    return registryAlive.load() && Registry::get().isPolling();
}

bool RealtimeNotifier::isSleeping()
{
    return registryAlive.load() && Registry::get().isSleeping();
}
