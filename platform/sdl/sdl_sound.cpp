// SDL2_mixer backend for platform/sound.h. Without a usable audio device
// every load returns null and the game runs silent.
#include "platform/sound.h"

#include <climits>
#include <cstdio>
#include <utility>

#include <SDL_mixer.h>

#include "platform/sdl/sdl_state.h"

namespace platform {

struct SoundSample {
    Mix_Chunk* chunk;
};

struct MusicStream {
    Mix_Music* music;
    std::vector<uint8_t> wav;
};

namespace {

bool audioOpen = false;

}  // namespace

bool SoundInit(int mixRate, int channels) {
    if (audioOpen) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "orvanthe: no sound: %s\n", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudio(mixRate, AUDIO_S16SYS, 2, 1024) != 0) {
        std::fprintf(stderr, "orvanthe: no sound: %s\n", Mix_GetError());
        sdl::ReleaseSubsystems(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(channels);
    audioOpen = true;
    return true;
}

SoundSample* SoundLoadSample(const char*, const void* bytes, size_t size, std::string* reason) {
    if (!audioOpen) {
        *reason = "no sound device";
        return nullptr;
    }
    // The caller checked the RIFF/WAVE header, so the mixer takes its WAV
    // loader; the chunk gets a converted copy of its own.
    SDL_RWops* rw = size <= INT_MAX ? SDL_RWFromConstMem(bytes, int(size)) : nullptr;
    Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (!chunk) {
        *reason = std::string("cannot decode (") + Mix_GetError() + ")";
        return nullptr;
    }
    return new SoundSample{chunk};
}

MusicStream* SoundOpenStream(const char*, std::vector<uint8_t> wav, std::string* reason) {
    if (!audioOpen) {
        *reason = "no sound device";
        return nullptr;
    }
    // The mixer streams from these bytes while the music plays, so they move
    // into the handle before it is made.
    auto* stream = new MusicStream{nullptr, std::move(wav)};
    SDL_RWops* rw =
        stream->wav.size() <= INT_MAX ? SDL_RWFromConstMem(stream->wav.data(), int(stream->wav.size())) : nullptr;
    // WAV only: a damaged file must not be tried by every other decoder.
    stream->music = rw ? Mix_LoadMUSType_RW(rw, MUS_WAV, 1) : nullptr;
    if (!stream->music) {
        *reason = std::string("cannot decode (") + Mix_GetError() + ")";
        delete stream;
        return nullptr;
    }
    return stream;
}

void SoundPlayStream(MusicStream* stream, bool loop) {
    if (audioOpen && stream) Mix_PlayMusic(stream->music, loop ? -1 : 0);
}

void SoundPlaySample(SoundSample* sample) {
    // -1: any free channel, so plays of one sample overlap.
    if (audioOpen && sample) Mix_PlayChannel(-1, sample->chunk, 0);
}

void SoundSetVolume(int musicPercent, int effectsPercent) {
    if (!audioOpen) return;
    // -1: every channel, playing or not; music has its own volume.
    Mix_Volume(-1, effectsPercent * MIX_MAX_VOLUME / 100);
    Mix_VolumeMusic(musicPercent * MIX_MAX_VOLUME / 100);
}

void SoundFreeSample(SoundSample* sample) {
    if (!sample) return;
    Mix_FreeChunk(sample->chunk);
    delete sample;
}

void SoundCloseStream(MusicStream* stream) {
    if (!stream) return;
    Mix_FreeMusic(stream->music);
    delete stream;
}

void SoundClose() {
    if (!audioOpen) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    audioOpen = false;
    sdl::ReleaseSubsystems(SDL_INIT_AUDIO);
}

}  // namespace platform
