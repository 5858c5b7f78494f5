#include "skin/controller/BlinkingComponent.h"

#include <juce_events/juce_events.h>

class BlinkingComponent::BlinkingComponentTimer : public juce::Timer
{
public:
    explicit BlinkingComponentTimer (BlinkingComponent& ownerToTick)
        : owner (ownerToTick)
    {
    }
    void timerCallback() override { owner.blinkTick(); }

private:
    BlinkingComponent& owner;
};

BlinkingComponent::BlinkingComponent() = default;

BlinkingComponent::~BlinkingComponent() = default;

void BlinkingComponent::setBlinking (bool shouldBlink)
{
    if (shouldBlink)
    {
        if (blinkTimer == nullptr)
            blinkTimer = std::make_unique<BlinkingComponentTimer> (*this);
        blinkState = false;
        blinkTimer->startTimer (blinkPeriod);
    }
    else
    {
        if (blinkTimer != nullptr)
            blinkTimer->stopTimer();
        blinkState = false;
    }
}

bool BlinkingComponent::isBlinking() const noexcept
{
    return blinkTimer != nullptr && blinkTimer->isTimerRunning();
}

void BlinkingComponent::blinkTick()
{
    blinkState = !blinkState;
    blinkStateChanged();
}
