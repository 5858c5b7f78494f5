#include "framework/RealtimeNotifier.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>
#include <thread>

namespace
{
/** Counts its deliveries and notes whether each one ran on the message thread. */
class CountingNotifier : public RealtimeNotifier
{
public:
    ~CountingNotifier() override { cancelPendingUpdate(); }

    void handleAsyncUpdate() override
    {
        ++deliveries;
        auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        offMessageThread += mm != nullptr && mm->isThisTheMessageThread() ? 0 : 1;
        if (onDelivery)
            onDelivery();
    }

    std::atomic<int> deliveries{0};
    int offMessageThread = 0;
    std::function<void()> onDelivery;
};

void triggerOnAnotherThread (RealtimeNotifier& notifier, int times)
{
    std::thread audio (
        [&notifier, times]
        {
            for (int i = 0; i < times; ++i)
                notifier.triggerAsyncUpdate();
        });
    audio.join();
}
} // namespace

TEST (RealtimeNotifier, TriggersFromAnyThreadCoalesceIntoOneDeliveryOnTheMessageThread)
{
    struct Case
    {
        const char* name;
        bool fromAnotherThread;
    };

    for (const auto& c : {Case{"message thread", false}, Case{"another thread", true}})
    {
        CountingNotifier notifier;
        if (c.fromAnotherThread)
            triggerOnAnotherThread (notifier, 50);
        else
            for (int i = 0; i < 50; ++i)
                notifier.triggerAsyncUpdate();

        EXPECT_TRUE (notifier.isUpdatePending()) << c.name;
        EXPECT_EQ (notifier.deliveries.load(), 0) << c.name << ": nothing is delivered inside the trigger";

        ASSERT_TRUE (runMessageLoopUntil ([&] { return notifier.deliveries.load() > 0; })) << c.name;
        runMessageLoopUntil ([] { return false; }, 3 * RealtimeNotifier::pollIntervalMs);

        EXPECT_EQ (notifier.deliveries.load(), 1) << c.name;
        EXPECT_EQ (notifier.offMessageThread, 0) << c.name;
        EXPECT_FALSE (notifier.isUpdatePending()) << c.name;
    }
}

TEST (RealtimeNotifier, TheTimerSleepsWhileNothingIsRaisedAndATriggerWakesTheLoop)
{
    for (int round = 0; round < 2; ++round)
    {
        {
            CountingNotifier notifier;
            EXPECT_TRUE (RealtimeNotifier::isPollingTimerRunning()) << round;
            ASSERT_TRUE (runMessageLoopUntil ([] { return RealtimeNotifier::isSleeping(); }))
                << round << ": the first tick that finds nothing stops the timer";
            EXPECT_FALSE (RealtimeNotifier::isPollingTimerRunning()) << round;

            // Only the wake can deliver now: no timer runs.
            for (int notice = 1; notice <= 3; ++notice)
            {
                triggerOnAnotherThread (notifier, 1);
                EXPECT_FALSE (RealtimeNotifier::isSleeping()) << round << "/" << notice;
                ASSERT_TRUE (runMessageLoopUntil ([&] { return notifier.deliveries.load() == notice; }))
                    << round << "/" << notice;
                ASSERT_TRUE (runMessageLoopUntil ([] { return RealtimeNotifier::isSleeping(); }))
                    << round << "/" << notice;
            }
        }
        EXPECT_FALSE (RealtimeNotifier::isPollingTimerRunning())
            << round << ": an idle plug-in keeps no timer";
        EXPECT_FALSE (RealtimeNotifier::isSleeping()) << round;
    }
}

TEST (RealtimeNotifier, CancelDropsARaisedNoticeAndNowDeliversOnlyARaisedOne)
{
    CountingNotifier cancelled, delivered, quiet;
    triggerOnAnotherThread (cancelled, 1);
    triggerOnAnotherThread (delivered, 1);

    cancelled.cancelPendingUpdate();
    delivered.handleUpdateNowIfNeeded();
    quiet.handleUpdateNowIfNeeded();

    EXPECT_EQ (delivered.deliveries.load(), 1);
    EXPECT_EQ (quiet.deliveries.load(), 0);

    runMessageLoopUntil ([] { return false; }, 3 * RealtimeNotifier::pollIntervalMs);
    EXPECT_EQ (cancelled.deliveries.load(), 0);
    EXPECT_EQ (delivered.deliveries.load(), 1);
}

TEST (RealtimeNotifier, ADeliveryMayDeleteOtherNotifiersAndMakeNewOnesWithoutLosingNotices)
{
    auto deletedEarlier = std::make_unique<CountingNotifier>();
    auto deleter = std::make_unique<CountingNotifier>();
    auto shiftedPast = std::make_unique<CountingNotifier>();
    std::unique_ptr<CountingNotifier> madeDuringDelivery;

    deleter->onDelivery = [&]
    {
        deletedEarlier.reset();
        madeDuringDelivery = std::make_unique<CountingNotifier>();
    };

    for (auto* notifier : {deletedEarlier.get(), deleter.get(), shiftedPast.get()})
        triggerOnAnotherThread (*notifier, 1);

    RealtimeNotifier::deliverAllPending();
    EXPECT_EQ (deleter->deliveries.load(), 1);
    EXPECT_EQ (deletedEarlier, nullptr);
    ASSERT_NE (madeDuringDelivery, nullptr);

    EXPECT_TRUE (runMessageLoopUntil ([&] { return shiftedPast->deliveries.load() == 1; }))
        << "a notice the shrinking list moved past the walk comes with a later turn";

    EXPECT_EQ (madeDuringDelivery->deliveries.load(), 0);
    triggerOnAnotherThread (*madeDuringDelivery, 1);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return madeDuringDelivery->deliveries.load() == 1; }));
    EXPECT_EQ (deleter->deliveries.load(), 1);
}
