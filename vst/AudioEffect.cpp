#include "vst/AudioEffect.h"

#include <cmath>
#include <cstdint>
#include <cstring>

bool AEffEditor::getRect (ERect** rect)
{
    if (rect != nullptr)
        *rect = nullptr;

    return false;
}

bool AEffEditor::open (void*)
{
    return false;
}

bool AEffEditor::onKeyDown (VstInt32, VstIntPtr, float)
{
    return false;
}

bool AEffEditor::onKeyUp (VstInt32, VstIntPtr, float)
{
    return false;
}

bool AEffEditor::setKnobMode (VstInt32)
{
    return false;
}

//==============================================================================
AudioEffect::AudioEffect (audioMasterCallback hostCallback, VstInt32 programs, VstInt32 params)
    : audioMaster (hostCallback)
    , numPrograms (programs)
    , numParams (params)
{
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = vstFourCharCode ('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() = default;

//==============================================================================
// The static callbacks are the only way in from the host. No exception may cross into the host's C
// code, and a record whose object is gone gets neutral answers.
namespace
{
/** Runs the call, swallowing whatever it throws; what it would have given is then left as it was. */
template <typename Call>
void runGuarded (Call&& call) noexcept
{
    try
    {
        call();
    }
    catch (...)
    {
    }
}
} // namespace

AudioEffect* AudioEffect::fromRecord (AEffect* effect) noexcept
{
    return effect != nullptr && effect->magic == kEffectMagic ? static_cast<AudioEffect*> (effect->object)
                                                              : nullptr;
}

VstIntPtr AudioEffect::dispatchEffectClass (AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt)
{
    auto* self = fromRecord (effect);

    if (self == nullptr)
        return 0;

    VstIntPtr result = 0;
    runGuarded ([&] { result = self->dispatcher (opcode, index, value, ptr, opt); });

    if (opcode == effClose)
    {
        // The record lives inside the object: the host must not touch it after this call.
        effect->object = nullptr;
        delete self;
        return 1;
    }

    return result;
}

float AudioEffect::getParameterClass (AEffect* effect, VstInt32 index)
{
    float result = 0.0f;
    if (auto* self = fromRecord (effect))
        runGuarded ([&] { result = self->getParameter (index); });

    return result;
}

void AudioEffect::setParameterClass (AEffect* effect, VstInt32 index, float value)
{
    if (auto* self = fromRecord (effect))
        runGuarded ([&] { self->setParameter (index, value); });
}

void AudioEffect::processClass (AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (auto* self = fromRecord (effect))
        runGuarded ([&] { self->process (inputs, outputs, sampleFrames); });
}

void AudioEffect::processClassReplacing (AEffect* effect, float** inputs, float** outputs,
                                         VstInt32 sampleFrames)
{
    if (auto* self = fromRecord (effect))
        runGuarded ([&] { self->processReplacing (inputs, outputs, sampleFrames); });
}

void AudioEffect::processClassDoubleReplacing (AEffect* effect, double** inputs, double** outputs,
                                               VstInt32 sampleFrames)
{
    if (auto* self = fromRecord (effect))
        runGuarded ([&] { self->processDoubleReplacing (inputs, outputs, sampleFrames); });
}

//==============================================================================
VstIntPtr AudioEffect::dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode)
    {
        case effOpen: open(); break;
        case effClose: close(); break;

        case effSetProgram:
            if (value >= 0 && value < numPrograms)
                setProgram ((VstInt32) value);
            break;

        case effGetProgram: return getProgram();
        case effSetProgramName:
            if (ptr != nullptr)
                setProgramName (static_cast<char*> (ptr));
            break;
        case effGetProgramName:
            if (ptr != nullptr)
                getProgramName (static_cast<char*> (ptr));
            break;
        case effGetParamLabel:
            if (ptr != nullptr)
                getParameterLabel (index, static_cast<char*> (ptr));
            break;
        case effGetParamDisplay:
            if (ptr != nullptr)
                getParameterDisplay (index, static_cast<char*> (ptr));
            break;
        case effGetParamName:
            if (ptr != nullptr)
                getParameterName (index, static_cast<char*> (ptr));
            break;

        case effSetSampleRate: setSampleRate (opt); break;
        case effSetBlockSize: setBlockSize ((VstInt32) value); break;

        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            break;

        case effEditGetRect:
            if (editor != nullptr && ptr != nullptr)
                return editor->getRect (static_cast<ERect**> (ptr)) ? 1 : 0;
            break;
        case effEditOpen:
            if (editor != nullptr)
                return editor->open (ptr) ? 1 : 0;
            break;
        case effEditClose:
            if (editor != nullptr)
                editor->close();
            break;
        case effEditIdle:
            if (editor != nullptr)
                editor->idle();
            break;

        case effIdentify: return vstFourCharCode ('N', 'v', 'E', 'f');

        case effGetChunk:
            if (ptr != nullptr)
                return getChunk (static_cast<void**> (ptr), index != 0);
            break;
        case effSetChunk: return setChunk (ptr, (VstInt32) value, index != 0);

        default: break;
    }

    return 0;
}

//==============================================================================
void AudioEffect::processDoubleReplacing (double**, double**, VstInt32) {}

void AudioEffect::process (float**, float**, VstInt32) {}

void AudioEffect::setParameter (VstInt32, float) {}

float AudioEffect::getParameter (VstInt32)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated (VstInt32 index, float value)
{
    setParameter (index, value);
    callHost (audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName (char*) {}

void AudioEffect::getProgramName (char* name)
{
    copyText (name, "", 0);
}

void AudioEffect::getParameterLabel (VstInt32, char* label)
{
    copyText (label, "", 0);
}

void AudioEffect::getParameterDisplay (VstInt32, char* text)
{
    copyText (text, "", 0);
}

void AudioEffect::getParameterName (VstInt32, char* text)
{
    copyText (text, "", 0);
}

VstInt32 AudioEffect::getChunk (void**, bool)
{
    return 0;
}

VstInt32 AudioEffect::setChunk (void*, VstInt32, bool)
{
    return 0;
}

//==============================================================================
VstIntPtr AudioEffect::callHost (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster != nullptr ? audioMaster (&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag (VstInt32 flag, bool state) noexcept
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

VstInt32 AudioEffect::getMasterVersion()
{
    const auto version = (VstInt32) callHost (audioMasterVersion);
    return version != 0 ? version : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return (VstInt32) callHost (audioMasterCurrentId);
}

void AudioEffect::masterIdle()
{
    callHost (audioMasterIdle);
}

bool AudioEffect::isInputConnected (VstInt32 input)
{
    return callHost (audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected (VstInt32 output)
{
    return callHost (audioMasterPinConnected, output, 1) == 0;
}

//==============================================================================
void AudioEffect::copyText (char* dest, const char* source, VstInt32 maxLen) noexcept
{
    if (dest == nullptr || maxLen < 0)
        return;

    VstInt32 n = 0;

    if (source != nullptr)
        for (; n < maxLen && source[n] != 0; ++n)
            dest[n] = source[n];

    dest[n] = 0;
}

void AudioEffect::float2string (float value, char* text, VstInt32 maxLen)
{
    constexpr int places = 8; // sign, digits and point together

    const double v = value;

    if (!std::isfinite (v) || v > 99999999.0 || v < -9999999.0)
    {
        copyText (text, "Huge!", maxLen);
        return;
    }

    char buffer[32]{};
    int used = 0;

    const bool negative = v < 0.0;
    const double magnitude = std::fabs (v);
    double integerPart = std::floor (magnitude);

    // Integer digits from the units upward. All of them are written even when they fill every place:
    // dropping the leading ones would show a different number.
    char digits[16]{};
    int numDigits = 0;

    do
    {
        digits[numDigits++] = (char) ('0' + (int) std::fmod (integerPart, 10.0));
        integerPart = std::floor (integerPart / 10.0);
    } while (integerPart >= 1.0 && numDigits < 10);

    if (negative)
        buffer[used++] = '-';

    for (int i = numDigits; --i >= 0;)
        buffer[used++] = digits[i];

    buffer[used++] = '.';

    // Fraction digits fill the remaining places, cut rather than rounded.
    double fraction = magnitude - std::floor (magnitude);

    while (used < places)
    {
        fraction *= 10.0;
        const double digit = std::floor (fraction);
        buffer[used++] = (char) ('0' + (int) digit);
        fraction -= digit;
    }

    copyText (text, buffer, maxLen);
}

void AudioEffect::int2string (VstInt32 value, char* text, VstInt32 maxLen)
{
    if (value >= 100000000)
    {
        copyText (text, "Huge!", maxLen);
        return;
    }

    char buffer[16]{};
    int used = 0;

    std::int64_t magnitude = value;

    if (magnitude < 0)
    {
        buffer[used++] = '-';
        magnitude = -magnitude;
    }

    char digits[12]{};
    int numDigits = 0;

    do
    {
        digits[numDigits++] = (char) ('0' + (int) (magnitude % 10));
        magnitude /= 10;
    } while (magnitude > 0);

    while (numDigits > 0)
        buffer[used++] = digits[--numDigits];

    copyText (text, buffer, maxLen);
}

void AudioEffect::dB2string (float value, char* text, VstInt32 maxLen)
{
    if (!(value > 0.0f))
        copyText (text, "-oo", maxLen);
    else
        float2string ((float) (20.0 * std::log10 ((double) value)), text, maxLen);
}

void AudioEffect::Hz2string (float samples, char* text, VstInt32 maxLen)
{
    float2string (samples != 0.0f ? sampleRate / samples : 0.0f, text, maxLen);
}

void AudioEffect::ms2string (float samples, char* text, VstInt32 maxLen)
{
    float2string ((float) ((double) samples * 1000.0 / (double) sampleRate), text, maxLen);
}
