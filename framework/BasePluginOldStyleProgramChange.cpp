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

    bankNotices.appliedProgram.store (program);
    bankNotices.triggerAsyncUpdate();
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

    // Only while the program is still current: a preset chosen here since then keeps its own display.
    if (const int program = appliedProgram.exchange (-1);
        program >= 0 && program == owner.getCurrentPresetIndex())
        owner.setCurrentPresetIndex (program, true);
}
