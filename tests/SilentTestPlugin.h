#pragma once

#include "framework/BasePlugin.h"

/** The processor base with the channel and MIDI answers every test product gives alike: no named
    channels, no stereo pairs, MIDI in and none out. Products add their name, tables and hooks. */
class SilentTestPlugin : public BasePlugin
{
public:
    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
};
