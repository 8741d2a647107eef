#include "core/sound.h"
#include "core/state.h"

namespace {
constexpr int kMixRate = 44100;
constexpr int kChannels = 32;
}

void StartSound() {
    platform::SoundInit(kMixRate, kChannels);
    g_bulletFireSample = platform::SoundLoadSample("data/bulletFire.wav");
    g_musicStream = platform::SoundOpenStream("data/wpqce.wav");
    platform::SoundPlayStream(g_musicStream, true);
    g_explodeSample = platform::SoundLoadSample("data/explode.wav");
    g_ughSample = platform::SoundLoadSample("data/ugh.wav");
}

void StopSound() {
    platform::SoundFreeSample(g_bulletFireSample);
    platform::SoundFreeSample(g_explodeSample);
    platform::SoundFreeSample(g_ughSample);
    platform::SoundCloseStream(g_musicStream);
    platform::SoundClose();
    g_bulletFireSample = nullptr;
    g_explodeSample = nullptr;
    g_ughSample = nullptr;
    g_musicStream = nullptr;
}

void PlaySound(platform::SoundSample* sample) { platform::SoundPlaySample(sample); }
