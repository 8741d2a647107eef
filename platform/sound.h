// Samples and one looping music stream. Every call tolerates a null handle,
// and a load that fails (no device, no file) returns null: the game then
// runs silent.
#pragma once

namespace platform {

struct SoundSample;
struct MusicStream;

bool SoundInit(int mixRate, int channels);
SoundSample* SoundLoadSample(const char* path);
MusicStream* SoundOpenStream(const char* path);
void SoundPlayStream(MusicStream* stream, bool loop);
// Starts at once on a free channel; plays of one sample overlap.
void SoundPlaySample(SoundSample* sample);
void SoundFreeSample(SoundSample* sample);
void SoundCloseStream(MusicStream* stream);
void SoundClose();

}  // namespace platform
