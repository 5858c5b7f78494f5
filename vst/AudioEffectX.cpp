#include "vst/AudioEffectX.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

AudioEffectX::AudioEffectX (audioMasterCallback hostCallback, VstInt32 programs, VstInt32 params)
    : AudioEffect (hostCallback, programs, params)
{
}

VstIntPtr AudioEffectX::dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode)
    {
        case effProcessEvents: return processEvents (static_cast<VstEvents*> (ptr));
        case effCanBeAutomated: return canParameterBeAutomated (index) ? 1 : 0;
        case effString2Parameter: return string2parameter (index, static_cast<char*> (ptr)) ? 1 : 0;
        case effGetProgramNameIndexed:
            return getProgramNameIndexed ((VstInt32) value, index, static_cast<char*> (ptr)) ? 1 : 0;
        case effGetInputProperties:
            return getInputProperties (index, static_cast<VstPinProperties*> (ptr)) ? 1 : 0;
        case effGetOutputProperties:
            return getOutputProperties (index, static_cast<VstPinProperties*> (ptr)) ? 1 : 0;
        case effGetPlugCategory: return getPlugCategory();
        case effOfflineNotify: return offlineNotify (ptr, (VstInt32) value, index != 0) ? 1 : 0;
        case effOfflinePrepare: return offlinePrepare (ptr, (VstInt32) value) ? 1 : 0;
        case effOfflineRun: return offlineRun (ptr, (VstInt32) value) ? 1 : 0;
        case effProcessVarIo: return processVariableIo (ptr) ? 1 : 0;
        case effSetSpeakerArrangement:
            return setSpeakerArrangement (reinterpret_cast<VstSpeakerArrangement*> (value),
                                          static_cast<VstSpeakerArrangement*> (ptr))
                       ? 1
                       : 0;
        case effSetBypass: return setBypass (value != 0) ? 1 : 0;
        case effGetEffectName: return getEffectName (static_cast<char*> (ptr)) ? 1 : 0;
        case effGetVendorString: return getVendorString (static_cast<char*> (ptr)) ? 1 : 0;
        case effGetProductString: return getProductString (static_cast<char*> (ptr)) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific (index, value, ptr, opt);
        case effCanDo: return canDo (static_cast<char*> (ptr));
        case effGetTailSize: return getGetTailSize();
        case effGetParameterProperties: return getParameterProperties (index, ptr) ? 1 : 0;
        case effGetVstVersion: return getVstVersion();

        case effEditKeyDown:
            if (editor != nullptr)
                return editor->onKeyDown (index, value, opt) ? 1 : 0;
            return 0;
        case effEditKeyUp:
            if (editor != nullptr)
                return editor->onKeyUp (index, value, opt) ? 1 : 0;
            return 0;
        case effSetEditKnobMode:
            if (editor != nullptr)
                return editor->setKnobMode ((VstInt32) value) ? 1 : 0;
            return 0;

        case effGetMidiProgramName: return getMidiProgramName (index, ptr);
        case effGetCurrentMidiProgram: return getCurrentMidiProgram (index, ptr);
        case effGetMidiProgramCategory: return getMidiProgramCategory (index, ptr);
        case effHasMidiProgramsChanged: return hasMidiProgramsChanged (index) ? 1 : 0;
        case effGetMidiKeyName: return getMidiKeyName (index, static_cast<MidiKeyName*> (ptr)) ? 1 : 0;
        case effBeginSetProgram: return beginSetProgram() ? 1 : 0;
        case effEndSetProgram: return endSetProgram() ? 1 : 0;
        case effGetSpeakerArrangement:
            return getSpeakerArrangement (reinterpret_cast<VstSpeakerArrangement**> (value),
                                          static_cast<VstSpeakerArrangement**> (ptr))
                       ? 1
                       : 0;
        case effShellGetNextPlugin: return getNextShellPlugin (static_cast<char*> (ptr));
        case effStartProcess: return startProcess();
        case effStopProcess: return stopProcess();
        case effSetTotalSampleToProcess: return setTotalSampleToProcess ((VstInt32) value);
        case effSetPanLaw: return setPanLaw ((VstInt32) value, opt) ? 1 : 0;
        case effBeginLoadBank: return beginLoadBank (ptr);
        case effBeginLoadProgram: return beginLoadProgram (ptr);
        case effSetProcessPrecision: return setProcessPrecision ((VstInt32) value) ? 1 : 0;
        case effGetNumMidiInputChannels: return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels: return getNumMidiOutputChannels();

        default: return AudioEffect::dispatcher (opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume()
{
    char receiveMidi[] = "receiveVstMidiEvent";

    if ((cEffect.flags & effFlagsIsSynth) != 0 || canDo (receiveMidi) == 1)
        wantEvents (1);
}

//==============================================================================
bool AudioEffectX::canParameterBeAutomated (VstInt32)
{
    return true;
}

bool AudioEffectX::string2parameter (VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getParameterProperties (VstInt32, void*)
{
    return false;
}

bool AudioEffectX::beginEdit (VstInt32 index)
{
    return callHost (audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit (VstInt32 index)
{
    return callHost (audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::getProgramNameIndexed (VstInt32, VstInt32, char*)
{
    return false;
}

VstInt32 AudioEffectX::beginLoadBank (void*)
{
    return 0;
}

VstInt32 AudioEffectX::beginLoadProgram (void*)
{
    return 0;
}

bool AudioEffectX::ioChanged()
{
    return callHost (audioMasterIOChanged) != 0;
}

double AudioEffectX::updateSampleRate()
{
    const auto rate = callHost (audioMasterGetSampleRate);

    if (rate > 0)
        sampleRate = (float) rate;

    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize()
{
    const auto size = callHost (audioMasterGetBlockSize);

    if (size > 0)
        blockSize = (VstInt32) size;

    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency()
{
    return (VstInt32) callHost (audioMasterGetInputLatency);
}

VstInt32 AudioEffectX::getOutputLatency()
{
    return (VstInt32) callHost (audioMasterGetOutputLatency);
}

bool AudioEffectX::getInputProperties (VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::getOutputProperties (VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::setSpeakerArrangement (VstSpeakerArrangement*, VstSpeakerArrangement*)
{
    return false;
}

bool AudioEffectX::getSpeakerArrangement (VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs)
{
    if (inputs != nullptr)
        *inputs = nullptr;

    if (outputs != nullptr)
        *outputs = nullptr;

    return false;
}

bool AudioEffectX::setBypass (bool)
{
    return false;
}

bool AudioEffectX::setPanLaw (VstInt32, float)
{
    return false;
}

bool AudioEffectX::setProcessPrecision (VstInt32)
{
    return false;
}

//==============================================================================
VstTimeInfo* AudioEffectX::getTimeInfo (VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*> (callHost (audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return (VstInt32) callHost (audioMasterGetCurrentProcessLevel);
}

VstInt32 AudioEffectX::getAutomationState()
{
    return (VstInt32) callHost (audioMasterGetAutomationState);
}

VstInt32 AudioEffectX::processEvents (VstEvents*)
{
    return 0;
}

bool AudioEffectX::sendVstEventsToHost (VstEvents* events)
{
    return callHost (audioMasterProcessEvents, 0, 0, events) != 0;
}

bool AudioEffectX::processVariableIo (void*)
{
    return false;
}

bool AudioEffectX::getHostVendorString (char* text)
{
    return callHost (audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString (char* text)
{
    return callHost (audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return (VstInt32) callHost (audioMasterGetVendorVersion);
}

VstIntPtr AudioEffectX::hostVendorSpecific (VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg)
{
    return callHost (audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg);
}

VstInt32 AudioEffectX::canHostDo (char* text)
{
    // The host's own answer: 1 yes, -1 no, 0 don't know.
    return text != nullptr ? (VstInt32) callHost (audioMasterCanDo, 0, 0, text) : 0;
}

VstInt32 AudioEffectX::getHostLanguage()
{
    return (VstInt32) callHost (audioMasterGetLanguage);
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*> (callHost (audioMasterGetDirectory));
}

bool AudioEffectX::getEffectName (char*)
{
    return false;
}

bool AudioEffectX::getVendorString (char*)
{
    return false;
}

bool AudioEffectX::getProductString (char*)
{
    return false;
}

VstIntPtr AudioEffectX::vendorSpecific (VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstInt32 AudioEffectX::canDo (char*)
{
    return 0;
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return (cEffect.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
}

VstInt32 AudioEffectX::getMidiProgramName (VstInt32, void*)
{
    return 0;
}

VstInt32 AudioEffectX::getCurrentMidiProgram (VstInt32, void*)
{
    return -1;
}

VstInt32 AudioEffectX::getMidiProgramCategory (VstInt32, void*)
{
    return 0;
}

bool AudioEffectX::hasMidiProgramsChanged (VstInt32)
{
    return false;
}

bool AudioEffectX::getMidiKeyName (VstInt32, MidiKeyName*)
{
    return false;
}

bool AudioEffectX::updateDisplay()
{
    return callHost (audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow (VstInt32 width, VstInt32 height)
{
    return callHost (audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector (void* fileSelect)
{
    return fileSelect != nullptr && callHost (audioMasterOpenFileSelector, 0, 0, fileSelect) != 0;
}

bool AudioEffectX::closeFileSelector (void* fileSelect)
{
    return fileSelect != nullptr && callHost (audioMasterCloseFileSelector, 0, 0, fileSelect) != 0;
}

VstInt32 AudioEffectX::getNextShellPlugin (char*)
{
    return 0;
}

//==============================================================================
size_t AudioEffectX::arrangementSize (VstInt32 numChannels) noexcept
{
    // The declared record holds 8 speakers; a longer one is allocated with room for the rest.
    const auto extra = (size_t) std::max (0, numChannels - 8);
    return sizeof (VstSpeakerArrangement) + extra * sizeof (VstSpeakerProperties);
}

bool AudioEffectX::allocateArrangement (VstSpeakerArrangement** arrangement, VstInt32 numChannels)
{
    if (arrangement == nullptr || numChannels < 0)
        return false;

    deallocateArrangement (arrangement);

    auto* fresh = static_cast<VstSpeakerArrangement*> (std::calloc (1, arrangementSize (numChannels)));

    if (fresh == nullptr)
        return false;

    fresh->numChannels = numChannels;
    *arrangement = fresh;
    return true;
}

bool AudioEffectX::deallocateArrangement (VstSpeakerArrangement** arrangement)
{
    if (arrangement == nullptr)
        return false;

    std::free (*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker (VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (to == nullptr || from == nullptr)
        return false;

    std::memcpy (to, from, sizeof (VstSpeakerProperties));
    return true;
}

bool AudioEffectX::matchArrangement (VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (from == nullptr || !allocateArrangement (to, from->numChannels))
        return false;

    (*to)->type = from->type;

    // Arrangements longer than eight speakers run past the declared array: address the records directly.
    auto speakersOf = [] (VstSpeakerArrangement* a)
    {
        return reinterpret_cast<VstSpeakerProperties*> (reinterpret_cast<char*> (a) +
                                                        offsetof (VstSpeakerArrangement, speakers));
    };

    for (VstInt32 i = 0; i < from->numChannels; ++i)
        copySpeaker (speakersOf (*to) + i, speakersOf (from) + i);

    return true;
}

//==============================================================================
bool AudioEffectX::offlineRead (void* offlineTask, VstInt32 option, bool readSource)
{
    return callHost (audioMasterOfflineRead, readSource ? 1 : 0, option, offlineTask) != 0;
}

bool AudioEffectX::offlineWrite (void* offlineTask, VstInt32 option)
{
    return callHost (audioMasterOfflineWrite, 0, option, offlineTask) != 0;
}

bool AudioEffectX::offlineStart (void* audioFiles, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles)
{
    return callHost (audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}

VstInt32 AudioEffectX::offlineGetCurrentPass()
{
    return (VstInt32) callHost (audioMasterOfflineGetCurrentPass);
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass()
{
    return (VstInt32) callHost (audioMasterOfflineGetCurrentMetaPass);
}

bool AudioEffectX::offlineNotify (void*, VstInt32, bool)
{
    return false;
}

bool AudioEffectX::offlinePrepare (void*, VstInt32)
{
    return false;
}

bool AudioEffectX::offlineRun (void*, VstInt32)
{
    return false;
}

//==============================================================================
void AudioEffectX::wantEvents (VstInt32 filter)
{
    callHost (audioMasterWantMidi, 0, filter);
}

VstInt32 AudioEffectX::tempoAt (VstInt32 position)
{
    return (VstInt32) callHost (audioMasterTempoAt, 0, position);
}

VstInt32 AudioEffectX::getNumAutomatableParameters()
{
    return (VstInt32) callHost (audioMasterGetNumAutomatableParameters);
}

VstInt32 AudioEffectX::getParameterQuantization()
{
    return (VstInt32) callHost (audioMasterGetParameterQuantization);
}

bool AudioEffectX::needIdle()
{
    return callHost (audioMasterNeedIdle) != 0;
}

AEffect* AudioEffectX::getPreviousPlug (VstInt32 input)
{
    return reinterpret_cast<AEffect*> (callHost (audioMasterGetPreviousPlug, 0, input));
}

AEffect* AudioEffectX::getNextPlug (VstInt32 output)
{
    return reinterpret_cast<AEffect*> (callHost (audioMasterGetNextPlug, 0, output));
}

VstInt32 AudioEffectX::willProcessReplacing()
{
    return (VstInt32) callHost (audioMasterWillReplaceOrAccumulate);
}

bool AudioEffectX::setOutputSamplerate (float rate)
{
    return callHost (audioMasterSetOutputSampleRate, 0, 0, nullptr, rate) != 0;
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement()
{
    return reinterpret_cast<VstSpeakerArrangement*> (callHost (audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement()
{
    return reinterpret_cast<VstSpeakerArrangement*> (callHost (audioMasterGetOutputSpeakerArrangement));
}

void* AudioEffectX::openWindow (void* window)
{
    return reinterpret_cast<void*> (callHost (audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow (void* window)
{
    return callHost (audioMasterCloseWindow, 0, 0, window) != 0;
}

void AudioEffectX::setBlockSizeAndSampleRate (VstInt32 newBlockSize, float newSampleRate)
{
    blockSize = newBlockSize;
    sampleRate = newSampleRate;
}

bool AudioEffectX::getChunkFile (void* nativePath)
{
    return nativePath != nullptr && callHost (audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
