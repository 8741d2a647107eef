// Samples and one looping music stream, made from WAV files the game has
// already read into memory. Every call tolerates a null handle, and a load
// that fails (no device, a file the decoder refuses) returns null with the
// reason: the game then runs silent for that sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct SoundSample;
struct MusicStream;

bool SoundInit(int mixRate, int channels);
// bytes: a whole RIFF/WAVE file, decoded at once and not kept. name: the
// file it came from, for logs.
SoundSample* SoundLoadSample(const char* name, const void* bytes, size_t size, std::string* reason);
// The stream plays from wav, a whole RIFF/WAVE file, and keeps it until closed.
MusicStream* SoundOpenStream(const char* name, std::vector<uint8_t> wav, std::string* reason);
void SoundPlayStream(MusicStream* stream, bool loop);
// Starts at once on a free channel; plays of one sample overlap.
void SoundPlaySample(SoundSample* sample);
// Loudness of the music and of every sample, 0 (silent) to 100 (as
// recorded), from now on and for what is playing.
void SoundSetVolume(int musicPercent, int effectsPercent);
void SoundFreeSample(SoundSample* sample);
void SoundCloseStream(MusicStream* stream);
void SoundClose();

}  // namespace platform
