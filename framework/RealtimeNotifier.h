#pragma once

#include <atomic>
#include <memory>

/** A notice that any thread may raise and that is delivered on the message thread: the system's
    asynchronous updater, shaped like juce::AsyncUpdater (triggerAsyncUpdate, handleAsyncUpdate,
    cancelPendingUpdate, handleUpdateNowIfNeeded) so that owners read the same.

    Why not juce::AsyncUpdater itself: posting to JUCE's Linux message queue takes a lock and allocates
    whenever the queue has emptied since the last post, which is every few milliseconds in a host. So a
    trigger from any thread but the message thread only sets an atomic flag; one timer per process, on
    the message thread, finds the raised flags and delivers them. That timer runs only while notices keep
    coming: once a tick finds nothing it stops, and the next trigger off the message thread wakes the loop
    through an eventfd (one non-blocking write, the first trigger after the stop only). A trigger on the
    message thread itself still posts a JUCE message, so a notice raised there is delivered with the next
    turn of the loop, in order with the other messages.

    Several triggers before the delivery give one handleAsyncUpdate call.

    Threads: triggerAsyncUpdate and isUpdatePending from any thread, wait-free and allocation-free.
    handleAsyncUpdate runs on the message thread only. Construction and destruction from any thread but
    the audio thread (they take the process-wide list's lock). A derived class calls cancelPendingUpdate in
    its own destructor, before its members go, as with juce::AsyncUpdater. */
class RealtimeNotifier
{
public:
    RealtimeNotifier();
    virtual ~RealtimeNotifier();

    /** The message thread calls this once for every run of triggers. */
    virtual void handleAsyncUpdate() = 0;

    /** Any thread: raises the notice. */
    void triggerAsyncUpdate() noexcept;

    /** Drops a raised notice. Waits for a delivery in progress on the message thread to end, so after it
        returns handleAsyncUpdate is not running and will not run for earlier triggers. Not for the audio
        thread. */
    void cancelPendingUpdate() noexcept;

    /** Message thread: delivers a raised notice now. */
    void handleUpdateNowIfNeeded();

    bool isUpdatePending() const noexcept { return pending.load (std::memory_order_acquire); }

    /** Message thread: delivers every raised notice of every notifier now, as the timer would. */
    static void deliverAllPending();

    /** How often the message thread looks for notices raised on other threads while they keep coming. */
    static constexpr int pollIntervalMs = 20;

    /** True while the process-wide timer runs: from the first notifier made while a message manager
        exists, or from a wake, until a tick finds nothing raised; never without a notifier. */
    static bool isPollingTimerRunning();

    /** True while the timer is stopped and the next trigger off the message thread wakes the loop. */
    static bool isSleeping();

private:
    class MessagePoster;
    struct Registry;
    friend struct Registry;

    /** Delivers under the list's lock, if the notice is still raised. */
    void deliverIfPending();

    std::atomic<bool> pending{false};
    std::unique_ptr<MessagePoster> poster;

    RealtimeNotifier (const RealtimeNotifier&) = delete;
    RealtimeNotifier& operator= (const RealtimeNotifier&) = delete;
};
