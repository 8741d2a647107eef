// Browser backend for platform/sound.h, on the OpenAL that emscripten builds
// over Web Audio. Every sound is decoded whole into one OpenAL buffer (a Web
// Audio buffer underneath), the music included: the browser plays it from
// there, so nothing streams and the WAV bytes are not kept. Without Web
// Audio every load returns null and the game runs silent.
//
// Browsers hold a page's audio until the player first presses a key, clicks
// or touches: emscripten's alcCreateContext asks for the context to resume on
// the first keydown, mousedown or touchstart on the document, so the music
// started at SoundInit begins then, and nothing here waits for it.
#include <AL/al.h>
#include <AL/alc.h>
#include <emscripten.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/sound.h"
#include "platform/web/wav.h"

namespace platform {

// buffer 0: a file with no samples, which plays as nothing.
struct SoundSample {
    ALuint buffer;
};

struct MusicStream {
    ALuint buffer;
};

namespace {

// AL_SOFT_source_spatialize's switch, which emscripten's OpenAL knows but
// its headers do not name.
constexpr ALenum kSourceSpatialize = 0x1214;

ALCdevice* device = nullptr;
ALCcontext* context = nullptr;
std::vector<ALuint> sampleSources;
ALuint musicSource = 0;

void Report(const char* why) { std::fprintf(stderr, "orvanthe: no sound: %s\n", why); }

// Every source plays flat: no panner, so a mono sound reaches both ears at
// the level it was recorded, as the desktop's mixer plays it, rather than
// 3 dB down in the middle of a stereo field.
void MakeFlat(ALuint source) { alSourcei(source, kSourceSpatialize, AL_FALSE); }

// An OpenAL buffer holding the decoded WAV, or false with the reason.
bool MakeBuffer(const void* bytes, size_t size, ALuint* buffer, std::string* reason) {
    *buffer = 0;
    WavSound wav;
    std::string why;
    if (!DecodeWav(bytes, size, &wav, &why)) {
        *reason = "cannot decode (" + why + ")";
        return false;
    }
    if (wav.sampleBytes == 0) return true;
    if (wav.sampleBytes > size_t(INT_MAX)) {
        *reason = "cannot decode (too many samples)";
        return false;
    }
    // Emscripten reads 16-bit samples through an aligned view of memory.
    // Chunks start on even offsets, but the caller's bytes need not.
    const void* samples = wav.samples;
    std::vector<int16_t> aligned;
    if (wav.bitsPerSample == 16 && reinterpret_cast<uintptr_t>(samples) % alignof(int16_t) != 0) {
        aligned.resize(wav.sampleBytes / 2);
        std::memcpy(aligned.data(), wav.samples, wav.sampleBytes);
        samples = aligned.data();
    }
    const ALenum format = wav.channels == 1 ? (wav.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16)
                                            : (wav.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16);
    alGetError();
    alGenBuffers(1, buffer);
    if (alGetError() != AL_NO_ERROR) {
        *buffer = 0;
        *reason = "no buffer for the sound";
        return false;
    }
    alBufferData(*buffer, format, samples, ALsizei(wav.sampleBytes), ALsizei(wav.sampleRate));
    if (alGetError() != AL_NO_ERROR) {
        // A rate Web Audio cannot make a buffer at, or memory it cannot find.
        *reason = "the browser refused " + std::to_string(wav.sampleRate) + " Hz samples";
        alDeleteBuffers(1, buffer);
        *buffer = 0;
        return false;
    }
    return true;
}

// Stops and empties every source that holds buffer, so it can be deleted.
void Detach(ALuint buffer) {
    auto release = [buffer](ALuint source) {
        ALint held = 0;
        alGetSourcei(source, AL_BUFFER, &held);
        if (ALuint(held) != buffer) return;
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
    };
    for (ALuint source : sampleSources) release(source);
    release(musicSource);
}

void DeleteBuffer(ALuint buffer) {
    if (!context || buffer == 0) return;
    Detach(buffer);
    alDeleteBuffers(1, &buffer);
}

}  // namespace

// mixRate is not asked of the browser: Web Audio plays each buffer at its
// own rate and resamples once, to whatever the output runs at.
bool SoundInit(int, int channels) {
    if (context) return true;
    device = alcOpenDevice(nullptr);
    if (!device) {
        Report("the browser has no Web Audio");
        return false;
    }
    context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        char why[64];
        std::snprintf(why, sizeof why, "cannot start Web Audio (ALC error 0x%X)", unsigned(alcGetError(device)));
        Report(why);
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        context = nullptr;
        device = nullptr;
        return false;
    }
    alGetError();
    sampleSources.assign(size_t(channels > 0 ? channels : 0), 0);
    if (!sampleSources.empty()) alGenSources(ALsizei(sampleSources.size()), sampleSources.data());
    alGenSources(1, &musicSource);
    if (alGetError() != AL_NO_ERROR) {
        Report("cannot make OpenAL sources");
        SoundClose();
        return false;
    }
    for (ALuint source : sampleSources) MakeFlat(source);
    MakeFlat(musicSource);
    return true;
}

SoundSample* SoundLoadSample(const char*, const void* bytes, size_t size, std::string* reason) {
    if (!context) {
        *reason = "no sound device";
        return nullptr;
    }
    ALuint buffer;
    if (!MakeBuffer(bytes, size, &buffer, reason)) return nullptr;
    return new SoundSample{buffer};
}

// The bytes are dropped on return: the buffer holds the decoded samples.
MusicStream* SoundOpenStream(const char*, std::vector<uint8_t> wav, std::string* reason) {
    if (!context) {
        *reason = "no sound device";
        return nullptr;
    }
    ALuint buffer;
    if (!MakeBuffer(wav.data(), wav.size(), &buffer, reason)) return nullptr;
    return new MusicStream{buffer};
}

// One music at a time: starting a stream replaces what was playing.
void SoundPlayStream(MusicStream* stream, bool loop) {
    if (!context || !stream || stream->buffer == 0) return;
    alSourceStop(musicSource);
    alSourcei(musicSource, AL_BUFFER, ALint(stream->buffer));
    alSourcei(musicSource, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcePlay(musicSource);
}

// The first key may not count as a gesture (ESC does not) and use up the
// toolkit's one try at resuming: every shot or grunt, which follows a key or
// click, asks again while the audio is still held. The browser allows it
// once the page has had any gesture.
// clang-format off
EM_JS(void, ResumeHeldAudio, (), {
    const ctx = AL.currentCtx && AL.currentCtx.audioCtx;
    if (ctx && ctx.state === 'suspended') ctx.resume().catch(function(){});
});
// clang-format on

// Any source not playing takes the sample, so plays of one sample overlap.
// With every source busy the play is skipped, as the desktop's mixer skips
// it with no free channel: a late shot or grunt cut off in mid-sound would
// be worse than one not heard among 32 others.
void SoundPlaySample(SoundSample* sample) {
    if (!context || !sample || sample->buffer == 0) return;
    ResumeHeldAudio();
    for (ALuint source : sampleSources) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING || state == AL_PAUSED) continue;
        alSourcei(source, AL_BUFFER, ALint(sample->buffer));
        alSourcePlay(source);
        return;
    }
}

// Gain lives on each source, so it holds for what is playing and for every
// later play on that source.
void SoundSetVolume(int musicPercent, int effectsPercent) {
    if (!context) return;
    auto gain = [](int percent) { return float(percent < 0 ? 0 : percent > 100 ? 100 : percent) / 100.0f; };
    for (ALuint source : sampleSources) alSourcef(source, AL_GAIN, gain(effectsPercent));
    alSourcef(musicSource, AL_GAIN, gain(musicPercent));
}

// OpenAL deletes buffers only in a current context: the game frees every
// sound before SoundClose, and a handle freed after it keeps its buffer
// (memory, not sound) until the page goes.
void SoundFreeSample(SoundSample* sample) {
    if (!sample) return;
    DeleteBuffer(sample->buffer);
    delete sample;
}

void SoundCloseStream(MusicStream* stream) {
    if (!stream) return;
    DeleteBuffer(stream->buffer);
    delete stream;
}

void SoundClose() {
    if (!context) return;
    for (ALuint source : sampleSources) alSourceStop(source);
    alSourceStop(musicSource);
    if (!sampleSources.empty()) alDeleteSources(ALsizei(sampleSources.size()), sampleSources.data());
    if (musicSource != 0) alDeleteSources(1, &musicSource);
    sampleSources.clear();
    musicSource = 0;
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
}

}  // namespace platform
