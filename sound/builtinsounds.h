#pragma once

#include "soundclip.h"

// The program's own sounds, synthesised at build time and embedded as Qt resources, at `rate`.
SoundClip builtinRollMusic(int rate); // a seamless loop, 4–8 s
SoundClip builtinFanfare(int rate);   // once, 2–4 s, ends in silence
