#include "vst/MessageThread.h"

#include <juce_events/juce_events.h>

#include <future>
#include <mutex>
#include <thread>

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

// The promise belongs to the thread, so it outlives the set_value that the starting thread waits for.
void runMessageLoop (std::promise<void> started)
{
    juce::Thread::setCurrentThreadName ("Plug-in message thread");

    // Creating the message manager here makes this thread the message thread.
    juce::initialiseJuce_GUI();
    started.set_value();

    juce::MessageManager::getInstance()->runDispatchLoop();

    // Timers, the desktop and the window system go on the thread that used them.
    juce::shutdownJuce_GUI();
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

    std::promise<void> started;
    auto startedFuture = started.get_future();
    state.thread = std::thread (runMessageLoop, std::move (started));
    startedFuture.wait();
}

void MessageThread::removeUser()
{
    auto& state = getState();
    const std::lock_guard<std::mutex> sl (state.lock);

    jassert (state.numUsers > 0);

    if (state.numUsers == 0 || --state.numUsers > 0 || !state.thread.joinable())
        return;

    if (auto* mm = juce::MessageManager::getInstanceWithoutCreating())
        mm->stopDispatchLoop();

    // Joining from the loop's own thread would wait forever; only a host calling us back from inside
    // one of our own host calls could get here, and then the loop ends once that call returns.
    if (state.thread.get_id() == std::this_thread::get_id())
        state.thread.detach();
    else
        state.thread.join();
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
