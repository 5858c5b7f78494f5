#include "framework/BasePluginOldStyle.h"

bool BasePluginOldStyle::applyProgramChange (int program)
{
    const auto& snapshot = bankSnapshots->acquireLatest();
    if (!juce::isPositiveAndBelow (program, snapshot.numPresets))
        return false;

    // The index first: a parameter listener, and automatic storing on other threads, already see the new
    // current preset.
    currentPresetIndex.store (program);

    auto& manager = getParameterManager();
    const auto& values = snapshot.values[(size_t) program];

    programApplyingThread.store (juce::Thread::getCurrentThreadId());
    for (int id = 0; id < numPresetableParameters; ++id)
        if (auto* parameter = manager.getParameter (id))
            parameter->setValueNormalised (values[(size_t) id], true);
    programApplyingThread.store (nullptr);

    presetListeners.call ([] (PresetManagerListener& l) { l.presetChanged(); });

    bankNotices.postShowCurrentPreset();
    return true;
}

void BasePluginOldStyle::publishBankSnapshot()
{
    const juce::ScopedLock writer (bankSnapshots->writeLock);
    auto& snapshot = bankSnapshots->getBackCopy();
    {
        const juce::ScopedLock sl (presetsLock);
        snapshot.numPresets = juce::jmin (presets.size(), numBankPresets);

        for (int i = 0; i < snapshot.numPresets; ++i)
            for (int id = 0; id < numPresetableParameters; ++id)
                snapshot.values[(size_t) i][(size_t) id] = presets.getUnchecked (i)->getValue (id);
    }

    bankSnapshots->publish();
}

void BasePluginOldStyle::BankNotices::handleAsyncUpdate()
{
    if (snapshotStale.exchange (false))
        owner.publishBankSnapshot();

    // Whatever is current now: a preset chosen or a state restored since then is what to show, and
    // choosing the program here again would undo them.
    if (showPending.exchange (false))
        owner.showCurrentPreset();
}
