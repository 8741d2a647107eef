// The game's four sounds: music looping from the end of start-up, and the
// shot, explosion and "ugh" samples played on game events. Any sound that
// failed to load is simply silent.
#pragma once

#include "platform/sound.h"

// Last step of start-up: opens the mixer, loads the samples, starts the music.
void StartSound();
// First step of shutdown: frees the samples and the music, closes the mixer.
void StopSound();
// Starts the sample on a free channel and returns at once.
void PlaySound(platform::SoundSample* sample);

// The settings' music and effects volume, or silence while g_muted.
void ApplySoundVolume();
