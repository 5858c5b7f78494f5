#pragma once

#include "vst/AudioEffect.h"

/** The VST 2 extension of AudioEffect: dispatches opcodes 25 to 79 to virtual operations and wraps the
    host callbacks added by version 2. Records whose layout this system never needs (offline tasks,
    variable I/O, file selectors, MIDI program names, parameter properties, patch chunk info) are passed
    as untyped pointers and left to an override that knows them. */
class AudioEffectX : public AudioEffect
{
public:
    AudioEffectX (audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    VstIntPtr dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    /** Asks the host for MIDI when this is a synth or says it receives MIDI. */
    void resume() override;

    //==============================================================================
    virtual bool canParameterBeAutomated (VstInt32 index);
    virtual bool string2parameter (VstInt32 index, char* text);
    virtual bool getParameterProperties (VstInt32 index, void* properties);

    virtual bool beginEdit (VstInt32 index);
    virtual bool endEdit (VstInt32 index);

    virtual bool getProgramNameIndexed (VstInt32 category, VstInt32 index, char* text);
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual VstInt32 beginLoadBank (void* patchChunkInfo);
    virtual VstInt32 beginLoadProgram (void* patchChunkInfo);

    virtual bool ioChanged();
    virtual double updateSampleRate();
    virtual VstInt32 updateBlockSize();
    virtual VstInt32 getInputLatency();
    virtual VstInt32 getOutputLatency();

    virtual bool getInputProperties (VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties (VstInt32 index, VstPinProperties* properties);
    virtual bool setSpeakerArrangement (VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs);
    virtual bool getSpeakerArrangement (VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs);
    virtual bool setBypass (bool onOff);
    virtual bool setPanLaw (VstInt32 type, float value);
    virtual bool setProcessPrecision (VstInt32 precision);
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }

    /** The host's transport for the current block, or null. Audio thread. */
    virtual VstTimeInfo* getTimeInfo (VstInt32 filter);
    virtual VstInt32 getCurrentProcessLevel();
    virtual VstInt32 getAutomationState();

    /** Host's audio thread, before the block the events belong to. Answers 1 when taken. */
    virtual VstInt32 processEvents (VstEvents* events);
    /** Hands events to the host; they need to stay valid only during the call. */
    virtual bool sendVstEventsToHost (VstEvents* events);

    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }
    virtual bool processVariableIo (void* variableIo);
    virtual VstInt32 setTotalSampleToProcess (VstInt32 value) { return value; }

    virtual bool getHostVendorString (char* text);
    virtual bool getHostProductString (char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific (VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg);
    virtual VstInt32 canHostDo (char* text);
    virtual VstInt32 getHostLanguage();

    virtual void isSynth (bool state) { setFlag (effFlagsIsSynth, state); }
    virtual void noTail (bool state) { setFlag (effFlagsNoSoundInStop, state); }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual void* getDirectory();

    virtual bool getEffectName (char* name);
    virtual bool getVendorString (char* text);
    virtual bool getProductString (char* text);
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific (VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg);
    /** 1 yes, -1 no, 0 don't know. */
    virtual VstInt32 canDo (char* text);
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getPlugCategory();

    virtual VstInt32 getMidiProgramName (VstInt32 channel, void* midiProgramName);
    virtual VstInt32 getCurrentMidiProgram (VstInt32 channel, void* currentProgram);
    virtual VstInt32 getMidiProgramCategory (VstInt32 channel, void* category);
    virtual bool hasMidiProgramsChanged (VstInt32 channel);
    virtual bool getMidiKeyName (VstInt32 channel, MidiKeyName* keyName);

    virtual bool updateDisplay();
    virtual bool sizeWindow (VstInt32 width, VstInt32 height);
    virtual bool openFileSelector (void* fileSelect);
    virtual bool closeFileSelector (void* fileSelect);
    virtual VstInt32 getNextShellPlugin (char* name);

    virtual bool allocateArrangement (VstSpeakerArrangement** arrangement, VstInt32 numChannels);
    virtual bool deallocateArrangement (VstSpeakerArrangement** arrangement);
    virtual bool copySpeaker (VstSpeakerProperties* to, VstSpeakerProperties* from);
    virtual bool matchArrangement (VstSpeakerArrangement** to, VstSpeakerArrangement* from);

    virtual bool offlineRead (void* offlineTask, VstInt32 option, bool readSource);
    virtual bool offlineWrite (void* offlineTask, VstInt32 option);
    virtual bool offlineStart (void* audioFiles, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();
    virtual bool offlineNotify (void* audioFile, VstInt32 numAudioFiles, bool start);
    virtual bool offlinePrepare (void* offlineTask, VstInt32 count);
    virtual bool offlineRun (void* offlineTask, VstInt32 count);

    // Deprecated by the interface; kept for hosts that still answer them.
    virtual void wantEvents (VstInt32 filter);
    virtual VstInt32 tempoAt (VstInt32 position);
    virtual VstInt32 getNumAutomatableParameters();
    virtual VstInt32 getParameterQuantization();
    virtual bool needIdle();
    virtual AEffect* getPreviousPlug (VstInt32 input);
    virtual AEffect* getNextPlug (VstInt32 output);
    virtual VstInt32 willProcessReplacing();
    virtual void wantAsyncOperation (bool state) { setFlag (effFlagsExtIsAsync, state); }
    virtual void hasExternalBuffer (bool state) { setFlag (effFlagsExtHasBuffer, state); }
    virtual bool setOutputSamplerate (float rate);
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual void* openWindow (void* window);
    virtual bool closeWindow (void* window);
    virtual void setBlockSizeAndSampleRate (VstInt32 newBlockSize, float newSampleRate);
    virtual bool getChunkFile (void* nativePath);

private:
    /** Size in bytes of an arrangement record with room for that many speakers. */
    static size_t arrangementSize (VstInt32 numChannels) noexcept;
};
