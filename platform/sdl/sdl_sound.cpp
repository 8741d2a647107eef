// SDL2_mixer backend for platform/sound.h. Without a usable audio device
// every load returns null and the game runs silent; that is never an error.
#include "platform/sound.h"

#include <cstdio>

#include <SDL_mixer.h>

#include "platform/sdl/sdl_state.h"

namespace platform {

struct SoundSample {
    Mix_Chunk* chunk;
};

struct MusicStream {
    Mix_Music* music;
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

SoundSample* SoundLoadSample(const char* path) {
    if (!audioOpen || !path) return nullptr;
    // Opened here rather than by Mix_LoadWAV, whose error for a missing
    // file hides the reason.
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    Mix_Chunk* chunk = file ? Mix_LoadWAV_RW(file, 1) : nullptr;
    if (!chunk) {
        std::fprintf(stderr, "orvanthe: cannot load sound %s: %s\n", path, Mix_GetError());
        return nullptr;
    }
    return new SoundSample{chunk};
}

MusicStream* SoundOpenStream(const char* path) {
    if (!audioOpen || !path) return nullptr;
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    Mix_Music* music = file ? Mix_LoadMUS_RW(file, 1) : nullptr;
    if (!music) {
        std::fprintf(stderr, "orvanthe: cannot load music %s: %s\n", path, Mix_GetError());
        return nullptr;
    }
    return new MusicStream{music};
}

void SoundPlayStream(MusicStream* stream, bool loop) {
    if (audioOpen && stream) Mix_PlayMusic(stream->music, loop ? -1 : 0);
}

void SoundPlaySample(SoundSample* sample) {
    // -1: any free channel, so plays of one sample overlap.
    if (audioOpen && sample) Mix_PlayChannel(-1, sample->chunk, 0);
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
