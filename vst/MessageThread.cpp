#include "vst/MessageThread.h"
#include "vst/XQueuedEvents.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <mutex>
#include <thread>

namespace juce
{
// Defined by the events module but declared in no public header.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
struct MessageThreadState
{
    std::mutex lock; // guards everything below; held while the thread starts and while it is joined
    int numUsers = 0;
    std::thread thread;

    // Host processes may exit without closing every instance: the loop is then left to the exit.
    ~MessageThreadState()
    {
        if (thread.joinable())
            thread.detach();
    }
};

MessageThreadState& getState()
{
    static MessageThreadState state;
    return state;
}

// The event belongs to the starting thread, which waits on it until the manager exists.
void runMessageLoop (juce::WaitableEvent& started)
{
    // Linux keeps 15 characters of a thread's name and refuses a longer one whole: the profilers and the
    // idle-CPU benchmark find the loop by this name.
    juce::Thread::setCurrentThreadName ("Plug-in message");

    // Creating the message manager here makes this thread the message thread.
    juce::initialiseJuce_GUI();
    started.signal();

    // JUCE's own dispatch loop, but one that hands over the X events Xlib has already read before it
    // waits on the sockets again: otherwise they wait for the next X event (see XQueuedEvents).
    auto* messageManager = juce::MessageManager::getInstance();
    while (!messageManager->hasStopMessageBeenSent())
    {
        XQueuedEvents::dispatch();
        juce::dispatchNextMessageOnSystemQueue (false);
    }

    // As in JUCE's loop, what was posted before the stop still runs.
    for (int i = 0; i < 10000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }

    // Timers, the desktop and the window system go on the thread that used them.
    juce::shutdownJuce_GUI();
}

/** Ends the dispatch loop from inside it and waits for its thread. JUCE's stopDispatchLoop posts its
    quit message and then writes to the manager: called on another thread, the loop may meanwhile have
    quit and deleted the manager. Here the message thread makes that call itself, and only once this
    thread has left the manager's posting code, so nothing of the manager is touched after it is gone. */
void stopLoopAndJoin (std::thread& thread)
{
    juce::WaitableEvent postReturned; // outlives the message: the thread is joined below

    // Posting fails only when the loop is already ending; the thread then ends by itself.
    juce::MessageManager::callAsync (
        [&postReturned]
        {
            postReturned.wait();
            juce::MessageManager::getInstance()->stopDispatchLoop();
        });

    postReturned.signal();
    thread.join();
}
} // namespace

MessageThread::ScopedUser::ScopedUser()
{
    addUser();
}

MessageThread::ScopedUser::~ScopedUser()
{
    removeUser();
}

void MessageThread::addUser()
{
    auto& state = getState();
    const std::lock_guard<std::mutex> sl (state.lock);

    if (state.numUsers++ > 0)
        return;

    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        return; // someone else runs the loop in this process

    juce::WaitableEvent started;
    state.thread = std::thread (runMessageLoop, std::ref (started));
    started.wait();
}

void MessageThread::removeUser()
{
    auto& state = getState();
    const std::lock_guard<std::mutex> sl (state.lock);

    jassert (state.numUsers > 0);

    if (state.numUsers == 0 || --state.numUsers > 0 || !state.thread.joinable())
        return;

    // Joining from the loop's own thread would wait forever; only a host calling us back from inside
    // one of our own host calls could get here, and then the loop ends once that call returns.
    if (state.thread.get_id() == std::this_thread::get_id())
    {
        juce::MessageManager::getInstance()->stopDispatchLoop();
        state.thread.detach();
        return;
    }

    stopLoopAndJoin (state.thread);
}

bool MessageThread::isRunning()
{
    auto& state = getState();
    const std::lock_guard<std::mutex> sl (state.lock);
    return state.thread.joinable();
}

int MessageThread::getNumUsers()
{
    auto& state = getState();
    const std::lock_guard<std::mutex> sl (state.lock);
    return state.numUsers;
}
