#pragma once

// Our own declarations of the VST 2.4 binary interface for Linux x86-64 (System V calling
// convention, no calling-convention attribute). Self-contained: the command-line host tool includes
// this header on its own. Every size and offset a host relies on is checked at compile time below,
// so a layout mistake fails the build rather than a host.

#include <cstddef>
#include <cstdint>

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;

struct AEffect;

/** The host's callback, called by the plug-in on whatever thread the plug-in is on. */
using audioMasterCallback = VstIntPtr (*) (AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           void* ptr, float opt);

using AEffectDispatcherProc = VstIntPtr (*) (AEffect* effect, VstInt32 opcode, VstInt32 index,
                                             VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void (*) (AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*) (AEffect* effect, double** inputs, double** outputs,
                                           VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*) (AEffect* effect, VstInt32 index, float value);
using AEffectGetParameterProc = float (*) (AEffect* effect, VstInt32 index);

/** A four-character code, first character most significant ('VstP' -> 0x56737450). */
constexpr VstInt32 vstFourCharCode (char a, char b, char c, char d) noexcept
{
    return (VstInt32) (((std::uint32_t) (unsigned char) a << 24) | ((std::uint32_t) (unsigned char) b << 16) |
                       ((std::uint32_t) (unsigned char) c << 8) | (std::uint32_t) (unsigned char) d);
}

constexpr VstInt32 kEffectMagic = vstFourCharCode ('V', 's', 't', 'P');
static_assert (kEffectMagic == 0x56737450);

constexpr VstInt32 kVstVersion = 2400;

//==============================================================================
struct AEffect
{
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // deprecated accumulating process
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities; // deprecated
    VstInt32 offQualities;  // deprecated
    float ioRatio;          // deprecated
    void* object;           // the plug-in's own object
    void* user;             // the host's
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32
{
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2, // deprecated
    effFlagsHasVu = 4,   // deprecated
    effFlagsCanMono = 8, // deprecated
    effFlagsCanReplacing = 0x10,
    effFlagsProgramChunks = 0x20,
    effFlagsIsSynth = 0x100,
    effFlagsNoSoundInStop = 0x200,
    effFlagsExtIsAsync = 0x400,   // deprecated
    effFlagsExtHasBuffer = 0x800, // deprecated
    effFlagsCanDoubleReplacing = 0x1000
};

//==============================================================================
/** Opcodes of the host callback. */
enum AudioMasterOpcodes : VstInt32
{
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4, // deprecated
    audioMasterWantMidi = 6,     // deprecated
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,                      // deprecated
    audioMasterTempoAt = 10,                     // deprecated
    audioMasterGetNumAutomatableParameters = 11, // deprecated
    audioMasterGetParameterQuantization = 12,    // deprecated
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14, // deprecated
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,         // deprecated
    audioMasterGetNextPlug = 21,             // deprecated
    audioMasterWillReplaceOrAccumulate = 22, // deprecated
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,         // deprecated
    audioMasterGetOutputSpeakerArrangement = 31, // deprecated
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36, // deprecated
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,  // deprecated
    audioMasterCloseWindow = 40, // deprecated
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,                  // deprecated
    audioMasterGetChunkFile = 48,              // deprecated
    audioMasterGetInputSpeakerArrangement = 49 // deprecated
};

/** Opcodes of the effect dispatcher. */
enum AEffectOpcodes : VstInt32
{
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9, // deprecated
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,  // deprecated
    effEditMouse = 17, // deprecated
    effEditKey = 18,   // deprecated
    effEditIdle = 19,
    effEditTop = 20,   // deprecated
    effEditSleep = 21, // deprecated
    effIdentify = 22,  // deprecated
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28, // deprecated
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,   // deprecated
    effConnectInput = 31,  // deprecated
    effConnectOutput = 32, // deprecated
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,   // deprecated
    effGetDestinationBuffer = 37, // deprecated
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43, // deprecated
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46, // deprecated
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,            // deprecated
    effGetIcon = 54,         // deprecated
    effSetViewPosition = 55, // deprecated
    effGetParameterProperties = 56,
    effKeysRequired = 57, // deprecated
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79
};

/** Answers of audioMasterGetCurrentProcessLevel. */
enum VstProcessLevels : VstInt32
{
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser = 1,
    kVstProcessLevelRealtime = 2,
    kVstProcessLevelPrefetch = 3,
    kVstProcessLevelOffline = 4
};

enum VstPlugCategory : VstInt32
{
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2
};

/** Text limits in characters, without the terminating 0. */
enum VstStringConstants : VstInt32
{
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8
};

//==============================================================================
enum VstEventTypes : VstInt32
{
    kVstMidiType = 1,
    kVstSysExType = 6
};

enum VstMidiEventFlags : VstInt32
{
    kVstMidiEventIsRealtime = 1
};

struct VstEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent
{
    VstInt32 type;     // kVstMidiType
    VstInt32 byteSize; // 32
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent
{
    VstInt32 type;     // kVstSysExType
    VstInt32 byteSize; // 48
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

/** Declared with two entries; senders allocate room for as many as they pass. */
struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

//==============================================================================
struct VstTimeInfo
{
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;         // beats per minute
    double barStartPos;   // quarter notes
    double cycleStartPos; // quarter notes
    double cycleEndPos;   // quarter notes
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

enum VstTimeInfoFlags : VstInt32
{
    kVstTransportChanged = 1,
    kVstTransportPlaying = 2,
    kVstTransportCycleActive = 4,
    kVstTransportRecording = 8,
    kVstAutomationWriting = 0x40,
    kVstAutomationReading = 0x80,
    kVstNanosValid = 0x100,
    kVstPpqPosValid = 0x200,
    kVstTempoValid = 0x400,
    kVstBarsValid = 0x800,
    kVstCyclePosValid = 0x1000,
    kVstTimeSigValid = 0x2000,
    kVstSmpteValid = 0x4000,
    kVstClockValid = 0x8000
};

/** Request mask for audioMasterGetTime asking for everything from kVstPpqPosValid up. */
constexpr VstIntPtr kVstTimeInfoRequestAll = 0xFE00;

enum VstSmpteFrameRate : VstInt32
{
    kVstSmpte24fps = 0,
    kVstSmpte25fps = 1,
    kVstSmpte2997fps = 2,
    kVstSmpte30fps = 3,
    kVstSmpte2997dfps = 4,
    kVstSmpte30dfps = 5,
    kVstSmpteFilm16mm = 6,
    kVstSmpteFilm35mm = 7,
    kVstSmpte239fps = 10,
    kVstSmpte249fps = 11,
    kVstSmpte599fps = 12,
    kVstSmpte60fps = 13
};

//==============================================================================
struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

enum VstPinPropertiesFlags : VstInt32
{
    kVstPinIsActive = 1,
    kVstPinIsStereo = 2,
    kVstPinUseSpeaker = 4
};

struct VstPinProperties
{
    char label[64];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[8];
    char future[48];
};

struct VstSpeakerProperties
{
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    VstInt32 type;
    char future[28];
};

/** Declared with eight speakers; allocated longer for more channels. */
struct VstSpeakerArrangement
{
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
};

enum VstSpeakerArrangementType : VstInt32
{
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo = 1
};

enum VstSpeakerType : VstInt32
{
    kSpeakerM = 0,
    kSpeakerL = 1,
    kSpeakerR = 2,
    kSpeakerC = 3,
    kSpeakerLfe = 4,
    kSpeakerLs = 5,
    kSpeakerRs = 6
};

struct MidiKeyName
{
    VstInt32 thisProgramIndex;
    VstInt32 thisKeyNumber;
    char keyName[64];
    VstInt32 reserved;
    VstInt32 flags;
};

//==============================================================================
static_assert (sizeof (void*) == 8 && sizeof (VstIntPtr) == 8,
               "the layouts below are those of a 64-bit build");

static_assert (sizeof (AEffect) == 192);
static_assert (offsetof (AEffect, magic) == 0);
static_assert (offsetof (AEffect, dispatcher) == 8);
static_assert (offsetof (AEffect, process) == 16);
static_assert (offsetof (AEffect, setParameter) == 24);
static_assert (offsetof (AEffect, getParameter) == 32);
static_assert (offsetof (AEffect, numPrograms) == 40);
static_assert (offsetof (AEffect, numParams) == 44);
static_assert (offsetof (AEffect, numInputs) == 48);
static_assert (offsetof (AEffect, numOutputs) == 52);
static_assert (offsetof (AEffect, flags) == 56);
static_assert (offsetof (AEffect, resvd1) == 64);
static_assert (offsetof (AEffect, resvd2) == 72);
static_assert (offsetof (AEffect, initialDelay) == 80);
static_assert (offsetof (AEffect, realQualities) == 84);
static_assert (offsetof (AEffect, offQualities) == 88);
static_assert (offsetof (AEffect, ioRatio) == 92);
static_assert (offsetof (AEffect, object) == 96);
static_assert (offsetof (AEffect, user) == 104);
static_assert (offsetof (AEffect, uniqueID) == 112);
static_assert (offsetof (AEffect, version) == 116);
static_assert (offsetof (AEffect, processReplacing) == 120);
static_assert (offsetof (AEffect, processDoubleReplacing) == 128);
static_assert (offsetof (AEffect, future) == 136);

static_assert (sizeof (VstEvent) == 32);
static_assert (offsetof (VstEvent, type) == 0);
static_assert (offsetof (VstEvent, byteSize) == 4);
static_assert (offsetof (VstEvent, deltaFrames) == 8);
static_assert (offsetof (VstEvent, flags) == 12);
static_assert (offsetof (VstEvent, data) == 16);

static_assert (sizeof (VstMidiEvent) == 32);
static_assert (offsetof (VstMidiEvent, type) == 0);
static_assert (offsetof (VstMidiEvent, byteSize) == 4);
static_assert (offsetof (VstMidiEvent, deltaFrames) == 8);
static_assert (offsetof (VstMidiEvent, flags) == 12);
static_assert (offsetof (VstMidiEvent, noteLength) == 16);
static_assert (offsetof (VstMidiEvent, noteOffset) == 20);
static_assert (offsetof (VstMidiEvent, midiData) == 24);
static_assert (offsetof (VstMidiEvent, detune) == 28);
static_assert (offsetof (VstMidiEvent, noteOffVelocity) == 29);
static_assert (offsetof (VstMidiEvent, reserved1) == 30);
static_assert (offsetof (VstMidiEvent, reserved2) == 31);

static_assert (sizeof (VstMidiSysexEvent) == 48);
static_assert (offsetof (VstMidiSysexEvent, type) == 0);
static_assert (offsetof (VstMidiSysexEvent, byteSize) == 4);
static_assert (offsetof (VstMidiSysexEvent, deltaFrames) == 8);
static_assert (offsetof (VstMidiSysexEvent, flags) == 12);
static_assert (offsetof (VstMidiSysexEvent, dumpBytes) == 16);
static_assert (offsetof (VstMidiSysexEvent, resvd1) == 24);
static_assert (offsetof (VstMidiSysexEvent, sysexDump) == 32);
static_assert (offsetof (VstMidiSysexEvent, resvd2) == 40);

static_assert (offsetof (VstEvents, numEvents) == 0);
static_assert (offsetof (VstEvents, reserved) == 8);
static_assert (offsetof (VstEvents, events) == 16);

static_assert (sizeof (VstTimeInfo) == 88);
static_assert (offsetof (VstTimeInfo, samplePos) == 0);
static_assert (offsetof (VstTimeInfo, sampleRate) == 8);
static_assert (offsetof (VstTimeInfo, nanoSeconds) == 16);
static_assert (offsetof (VstTimeInfo, ppqPos) == 24);
static_assert (offsetof (VstTimeInfo, tempo) == 32);
static_assert (offsetof (VstTimeInfo, barStartPos) == 40);
static_assert (offsetof (VstTimeInfo, cycleStartPos) == 48);
static_assert (offsetof (VstTimeInfo, cycleEndPos) == 56);
static_assert (offsetof (VstTimeInfo, timeSigNumerator) == 64);
static_assert (offsetof (VstTimeInfo, timeSigDenominator) == 68);
static_assert (offsetof (VstTimeInfo, smpteOffset) == 72);
static_assert (offsetof (VstTimeInfo, smpteFrameRate) == 76);
static_assert (offsetof (VstTimeInfo, samplesToNextClock) == 80);
static_assert (offsetof (VstTimeInfo, flags) == 84);

static_assert (sizeof (ERect) == 8);
static_assert (offsetof (ERect, top) == 0);
static_assert (offsetof (ERect, left) == 2);
static_assert (offsetof (ERect, bottom) == 4);
static_assert (offsetof (ERect, right) == 6);

static_assert (sizeof (VstPinProperties) == 128);
static_assert (offsetof (VstPinProperties, label) == 0);
static_assert (offsetof (VstPinProperties, flags) == 64);
static_assert (offsetof (VstPinProperties, arrangementType) == 68);
static_assert (offsetof (VstPinProperties, shortLabel) == 72);
static_assert (offsetof (VstPinProperties, future) == 80);

static_assert (sizeof (VstSpeakerProperties) == 112);
static_assert (offsetof (VstSpeakerProperties, azimuth) == 0);
static_assert (offsetof (VstSpeakerProperties, elevation) == 4);
static_assert (offsetof (VstSpeakerProperties, radius) == 8);
static_assert (offsetof (VstSpeakerProperties, reserved) == 12);
static_assert (offsetof (VstSpeakerProperties, name) == 16);
static_assert (offsetof (VstSpeakerProperties, type) == 80);
static_assert (offsetof (VstSpeakerProperties, future) == 84);

static_assert (offsetof (VstSpeakerArrangement, type) == 0);
static_assert (offsetof (VstSpeakerArrangement, numChannels) == 4);
static_assert (offsetof (VstSpeakerArrangement, speakers) == 8);
static_assert (sizeof (VstSpeakerArrangement) == 8 + 8 * sizeof (VstSpeakerProperties));

static_assert (sizeof (MidiKeyName) == 80);
static_assert (offsetof (MidiKeyName, thisProgramIndex) == 0);
static_assert (offsetof (MidiKeyName, thisKeyNumber) == 4);
static_assert (offsetof (MidiKeyName, keyName) == 8);
static_assert (offsetof (MidiKeyName, reserved) == 72);
static_assert (offsetof (MidiKeyName, flags) == 76);
