#include "framework/RealtimeNotifier.h"

#include <algorithm>
#include <juce_events/juce_events.h>
#include <vector>

namespace
{
// Set by a trigger on any thread but the message thread. Plain atomics outside the registry, so a trigger
// never reaches anything that static destruction could have taken down.
std::atomic<bool> anyRaised{false};
std::atomic<bool> registryAlive{false};

bool isMessageThread() noexcept
{
    auto* mm = juce::MessageManager::getInstanceWithoutCreating();
    return mm != nullptr && mm->isThisTheMessageThread();
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
/** Every notifier of the process and the one timer that delivers what other threads raised. The timer runs
    only while a notifier exists, so a plug-in with no instance left leaves no timer behind. */
struct RealtimeNotifier::Registry : private juce::Timer
{
    Registry() { registryAlive.store (true); }

    ~Registry() override
    {
        registryAlive.store (false);
        stopTimer();
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
        if (!isTimerRunning() && juce::MessageManager::getInstanceWithoutCreating() != nullptr)
            startTimer (pollIntervalMs);
    }

    void remove (RealtimeNotifier* notifier)
    {
        const juce::ScopedLock sl (lock);
        notifiers.erase (std::remove (notifiers.begin(), notifiers.end(), notifier), notifiers.end());
        ++generation;

        if (notifiers.empty())
            stopTimer();
    }

    /** Message thread. Walks the list only when something was raised off the message thread (or when
        asked to walk anyway), so an idle timer tick reads one atomic. */
    void deliver (bool evenIfNothingRaised)
    {
        if (!anyRaised.exchange (false, std::memory_order_acq_rel) && !evenIfNothingRaised)
            return;

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
    }

    void timerCallback() override { deliver (false); }

    bool isPolling() const { return isTimerRunning(); }

    juce::CriticalSection lock; // recursive: a delivery may make or delete notifiers
    std::vector<RealtimeNotifier*> notifiers;
    juce::uint32 generation = 0;
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
        poster->triggerAsyncUpdate();
    else
        anyRaised.store (true, std::memory_order_release);
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
