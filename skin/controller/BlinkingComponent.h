#pragma once

#include <memory>

/** The blink of a skin control (step lights, the play state). The editors switch it on and off; each tick
    of the timer inverts the blink state and calls blinkStateChanged, and the control draws the two phases
    as its own class says.

    The timer exists and runs only while the control blinks, so a panel of a few hundred controls holds no
    idle timers. Message thread only. */
class BlinkingComponent
{
public:
    BlinkingComponent();
    virtual ~BlinkingComponent();

    /** Called on the message thread at each tick while blinking, and by the editors after they switch the
        blinking on or off, so the control redraws. */
    virtual void blinkStateChanged() {}

    /** On: the blink state becomes false and the timer starts with the blink period (restarting it when it
        ran already). Off: the timer stops and the blink state returns to false. Neither calls
        blinkStateChanged. */
    void setBlinking (bool shouldBlink);

    bool isBlinking() const noexcept;

    /** The raw phase, toggled by each tick. */
    bool getBlinkState() const noexcept { return blinkState; }

    /** True only while blinking and in the phase in which the control shows its blank picture: a control
        whose blinking was switched off never stays blank. */
    bool isInBlinkOnPhase() const noexcept { return blinkState && isBlinking(); }

    /** Milliseconds per phase (150 at construction); takes effect at the next switch-on. Values below 1
        become 1. */
    void setBlinkPeriod (int milliseconds) noexcept { blinkPeriod = milliseconds < 1 ? 1 : milliseconds; }
    int getBlinkPeriod() const noexcept { return blinkPeriod; }

    /** One tick of the timer: inverts the state and calls blinkStateChanged. Tests call it directly. */
    void blinkTick();

private:
    class BlinkingComponentTimer;

    bool blinkState = false;
    std::unique_ptr<BlinkingComponentTimer> blinkTimer; // made at the first switch-on
    int blinkPeriod = 150;
};
