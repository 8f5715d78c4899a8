#pragma once

#include "soundclip.h"

#include <QByteArray>
#include <QString>

#include <optional>

// RIFF/WAVE as Windows, Audacity, sox, ffmpeg and LibreOffice write it: PCM 8/16/24/32-bit,
// IEEE float 32/64, WAVE_FORMAT_EXTENSIBLE, any channel count, odd chunk padding, unknown
// chunks (LIST, fact...) skipped, a data chunk whose size field overruns the file (streams
// written live) read to the end. Returns nullopt and a short Chinese reason in *error for
// anything else (not WAVE, compressed like ADPCM/MP3-in-WAV, no data, truncated header).
std::optional<SoundClip> readWav(const QByteArray &bytes, int toRate, qsizetype maxFrames,
                                 QString *error);

QByteArray wavBytes(const SoundClip &clip); // 16-bit stereo PCM WAVE
