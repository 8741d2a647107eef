#include "core/sound.h"

#include <utility>
#include <vector>

#include "core/asset_file.h"
#include "core/settings.h"
#include "core/state.h"
#include "platform/input.h"

namespace {

constexpr int kMixRate = 44100;
constexpr int kChannels = 32;
// Six minutes of 44.1 kHz 16-bit stereo; a bigger file in data/ is a mistake,
// and every sound is read into memory whole.
constexpr size_t kMaxSoundBytes = size_t(64) << 20;

bool g_soundOn = false;

// The file's bytes if it can be read and is a RIFF/WAVE file; otherwise it is
// named with the reason and the result is empty.
std::vector<uint8_t> ReadWav(const char* path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!g_soundOn) {
        ReportAssetProblem(path, "not read: no sound device");
        return bytes;
    }
    if (ReadAssetFile(path, kMaxSoundBytes, &bytes, &reason) != AssetRead::Ok) {
        ReportAssetProblem(path, reason);
        return bytes;
    }
    const auto tagAt = [&bytes](size_t at, const char* tag) {
        return bytes[at] == tag[0] && bytes[at + 1] == tag[1] && bytes[at + 2] == tag[2] && bytes[at + 3] == tag[3];
    };
    if (bytes.size() < 12 || !tagAt(0, "RIFF") || !tagAt(8, "WAVE")) {
        ReportAssetProblem(path, "not a WAV file");
        bytes.clear();
    }
    return bytes;
}

platform::SoundSample* LoadSample(const char* path) {
    const std::vector<uint8_t> wav = ReadWav(path);
    if (wav.empty()) return nullptr;
    std::string reason;
    platform::SoundSample* sample = platform::SoundLoadSample(path, wav.data(), wav.size(), &reason);
    if (!sample) ReportAssetProblem(path, reason);
    return sample;
}

platform::MusicStream* OpenStream(const char* path) {
    std::vector<uint8_t> wav = ReadWav(path);
    if (wav.empty()) return nullptr;
    std::string reason;
    platform::MusicStream* stream = platform::SoundOpenStream(path, std::move(wav), &reason);
    if (!stream) ReportAssetProblem(path, reason);
    return stream;
}

}  // namespace

void StartSound() {
    g_soundOn = platform::SoundInit(kMixRate, kChannels);
    ApplySoundVolume();
    g_bulletFireSample = LoadSample("data/bulletFire.wav");
    g_musicStream = OpenStream("data/wpqce.wav");
    platform::SoundPlayStream(g_musicStream, true);
    g_explodeSample = LoadSample("data/explode.wav");
    g_ughSample = LoadSample("data/ugh.wav");
}

void StopSound() {
    platform::SoundFreeSample(g_bulletFireSample);
    platform::SoundFreeSample(g_explodeSample);
    platform::SoundFreeSample(g_ughSample);
    platform::SoundCloseStream(g_musicStream);
    platform::SoundClose();
    g_soundOn = false;
    g_bulletFireSample = nullptr;
    g_explodeSample = nullptr;
    g_ughSample = nullptr;
    g_musicStream = nullptr;
}

void PlaySound(platform::SoundSample* sample) { platform::SoundPlaySample(sample); }

void ApplySoundVolume() {
    if (g_muted) {
        platform::SoundSetVolume(0, 0);
    } else {
        platform::SoundSetVolume(g_settings.musicVolume, g_settings.effectsVolume);
    }
}
