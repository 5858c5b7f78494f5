#pragma once

#include "vst/VstAbi.h"

#include <memory>

/** An editor reached through the record's editor opcodes. This system shows its editor through the
    wrapper instead, so no AudioEffect ever holds one; the hooks answer "nothing done". */
class AEffEditor
{
public:
    virtual ~AEffEditor() = default;

    virtual bool getRect (ERect** rect);
    virtual bool open (void* parentWindow);
    virtual void close() {}
    virtual void idle() {}
    virtual bool onKeyDown (VstInt32 character, VstIntPtr virtualKey, float modifiers);
    virtual bool onKeyUp (VstInt32 character, VstIntPtr virtualKey, float modifiers);
    virtual bool setKnobMode (VstInt32 mode);
};

//==============================================================================
/** Owns the effect record that the host holds and turns its plain callbacks and dispatcher opcodes
    into virtual operations; wraps the host callback in named operations. Every host call answers 0
    (or false, or null) when there is no host callback. */
class AudioEffect
{
public:
    AudioEffect (audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    virtual VstIntPtr dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate (float newSampleRate) { sampleRate = newSampleRate; }
    virtual void setBlockSize (VstInt32 newBlockSize) { blockSize = newBlockSize; }

    /** Host's audio thread. */
    virtual void processReplacing (float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing (double** inputs, double** outputs, VstInt32 sampleFrames);

    virtual void setParameter (VstInt32 index, float value);
    virtual float getParameter (VstInt32 index);
    /** Sets the parameter, then tells the host as if the user had moved it. */
    virtual void setParameterAutomated (VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram (VstInt32 program) { curProgram = program; }
    virtual void setProgramName (char* name);
    virtual void getProgramName (char* name);

    // The text buffers come from the host; each operation writes a 0-terminated text.
    virtual void getParameterLabel (VstInt32 index, char* label);
    virtual void getParameterDisplay (VstInt32 index, char* text);
    virtual void getParameterName (VstInt32 index, char* text);

    virtual VstInt32 getChunk (void** data, bool isPreset);
    virtual VstInt32 setChunk (void* data, VstInt32 byteSize, bool isPreset);

    virtual void setUniqueID (VstInt32 newId) { cEffect.uniqueID = newId; }
    virtual void setNumInputs (VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs (VstInt32 outputs) { cEffect.numOutputs = outputs; }

    virtual void canProcessReplacing (bool state) { setFlag (effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing (bool state) { setFlag (effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks (bool state) { setFlag (effFlagsProgramChunks, state); }
    virtual void setInitialDelay (VstInt32 delay) { cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor.get(); }
    virtual AEffect* getAeffect() { return &cEffect; }
    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }

    /** The host's VST version; 1 for a host that does not say. */
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    /** True unless the host says the pin is not connected (it answers 0 for a connected pin). */
    virtual bool isInputConnected (VstInt32 input);
    virtual bool isOutputConnected (VstInt32 output);

    // Number-to-text helpers: at most maxLen characters, 0-terminated (the buffer holds maxLen + 1).
    virtual void dB2string (float value, char* text, VstInt32 maxLen);
    virtual void Hz2string (float samples, char* text, VstInt32 maxLen);
    virtual void ms2string (float samples, char* text, VstInt32 maxLen);
    virtual void float2string (float value, char* text, VstInt32 maxLen);
    virtual void int2string (VstInt32 value, char* text, VstInt32 maxLen);

    // Deprecated by the interface; kept for hosts that still call them.
    virtual void process (float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual float getVu() { return 0.0f; }
    virtual void hasVu (bool state) { setFlag (effFlagsHasVu, state); }
    virtual void hasClip (bool state) { setFlag (effFlagsHasClip, state); }
    virtual void canMono (bool state) { setFlag (effFlagsCanMono, state); }
    virtual void setRealtimeQualities (VstInt32 qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities (VstInt32 qualities) { cEffect.offQualities = qualities; }

    /** Copies at most maxLen characters of a 0-terminated text and terminates it; a null source
        gives an empty text. Does nothing without a destination or with a negative maxLen. */
    static void copyText (char* dest, const char* source, VstInt32 maxLen) noexcept;

protected:
    /** Calls the host with this effect's record; 0 when there is no host callback. */
    VstIntPtr callHost (VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f);

    void setFlag (VstInt32 flag, bool state) noexcept;

    audioMasterCallback audioMaster = nullptr;
    std::unique_ptr<AEffEditor> editor;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms = 0;
    VstInt32 numParams = 0;
    VstInt32 curProgram = 0;
    AEffect cEffect{};

private:
    static AudioEffect* fromRecord (AEffect* effect) noexcept;

    static VstIntPtr dispatchEffectClass (AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
    static float getParameterClass (AEffect* effect, VstInt32 index);
    static void setParameterClass (AEffect* effect, VstInt32 index, float value);
    static void processClass (AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processClassReplacing (AEffect* effect, float** inputs, float** outputs,
                                       VstInt32 sampleFrames);
    static void processClassDoubleReplacing (AEffect* effect, double** inputs, double** outputs,
                                             VstInt32 sampleFrames);

    AudioEffect (const AudioEffect&) = delete;
    AudioEffect& operator= (const AudioEffect&) = delete;
};
