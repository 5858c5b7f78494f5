#pragma once

/** The plug-in's own message thread. No Linux host runs JUCE's message loop, so the first plug-in
    instance starts a thread that creates the message manager and runs its dispatch loop, and the last
    one shuts JUCE's GUI layer down on that thread and waits for it to end: after the last instance is
    closed nothing of ours is left running, and the library may be unloaded.

    Where a message manager already exists when the first instance starts (a program that links the
    plug-in code and runs the loop itself), that loop is used and nothing is started or shut down.

    Code on a host thread that creates or touches components takes a juce::MessageManagerLock. */
class MessageThread
{
public:
    /** Keeps the message thread alive while it exists; one per plug-in instance (and one for the
        entry point while it builds an instance). Constructed and destroyed on host threads, never on
        the message thread and never with the message manager locked by the destroying thread. */
    class ScopedUser
    {
    public:
        ScopedUser();
        ~ScopedUser();

        ScopedUser (const ScopedUser&) = delete;
        ScopedUser& operator= (const ScopedUser&) = delete;
    };

    /** True while our own thread runs the message loop. */
    static bool isRunning();

    /** Number of live ScopedUser objects. */
    static int getNumUsers();

private:
    static void addUser();
    static void removeUser();
};
