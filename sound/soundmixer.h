#pragma once

#include "framequeue.h"
#include "soundclip.h"

#include <QMutex>

#include <array>
#include <memory>

// The program's sounds mixed into one stereo stream: the roll music, looped while a tier
// rolls and faded out at the stop, the fanfare once per winner, and under them the
// background music as its decoder streams it in. Any thread may call it: the device's own
// renders while the sound's thread cues. Every change of level is a short ramp, so neither
// a start, a stop, a restart, a new clip nor muting clicks.
class SoundMixer {
public:
    explicit SoundMixer(int sampleRate);
    int sampleRate() const;
    // A clip at another rate is converted first. A playing roll continues with the new clip
    // from its start.
    void setRollMusic(SoundClip clip);
    void setFanfare(SoundClip clip);
    // From the clip's start, looping, full volume (also during a fade-out); a fanfare still
    // playing fades out as the roll's fade does.
    void startRoll();
    void fadeOutRoll(); // linear fade to silence over 1/3 s, then stops
    void playFanfare(); // once, from its start (restarts if playing)
    void stopAll();     // roll and fanfare to silence within ~10 ms, no click
    // The master gain ramps in ~20 ms; time goes on while muted, so a fanfare muted half
    // way does not restart.
    void setMuted(bool muted);
    bool isMuted() const;
    // The background music, decoded ahead by its caller into the mixer's queue. It ducks to a
    // fifth under the roll and the fanfare and comes back after, over a third of a second
    // each way. Music that runs short falls silent until more comes, rising again in ~10 ms.
    void startBackground(); // from silence, dropping whatever was queued
    void queueBackground(const qint16 *samples, qsizetype frames);
    qsizetype backgroundQueued() const; // frames
    void stopBackground();              // to silence in ~10 ms, then the rest is dropped
    bool isSounding() const;            // roll, fade, fanfare or background still to come
    bool isForegroundPlaying() const;   // roll (incl. its fade) or fanfare playing
    // Overwrites `frames` stereo frames; sums with saturation.
    void render(qint16 *out, qsizetype frames);

private:
    using Clip = std::shared_ptr<const SoundClip>;
    // One clip playing from `position`. Its gain moves towards `target` by `step` a frame
    // (fades and stops); `entry` rises from silence in ~10 ms after each start, so that a
    // clip that does not begin at zero does not click. It ends at the clip's end (unless
    // looping) or when it has fallen silent for good.
    struct Voice {
        Clip clip;
        qsizetype position = 0;
        bool looping = false;
        float entry = 0.0f;
        float gain = 1.0f;
        float target = 1.0f;
        float step = 0.0f;
        bool active() const { return clip != nullptr; }
    };

    // These run with m_lock held.
    bool foregroundPlaying() const;
    Voice start(const Clip &clip, bool looping) const;
    void release(Voice &voice); // hands the voice to a short fade-out of its own
    void mixVoice(Voice &voice, float *mix, qsizetype frames) const;
    void mixBackground(float *mix, qsizetype frames);

    int m_rate;
    mutable QMutex m_lock;
    float m_rampStep; // full scale in ~10 ms: starts, stops, restarts
    float m_fadeStep; // full scale in 1/3 s: the roll's fade-out
    float m_muteStep; // full scale in ~20 ms
    Clip m_rollClip;
    Clip m_fanfareClip;
    Voice m_roll;
    Voice m_fanfare;
    std::array<Voice, 4> m_released;
    // The background: `m_backgroundEntry` rises after a start or a gap and falls at the stop;
    // `m_backgroundLevel` follows the ducking.
    FrameQueue m_background;
    bool m_backgroundOn = false;
    bool m_backgroundStopping = false;
    float m_backgroundEntry = 0.0f;
    float m_backgroundLevel = 1.0f;
    bool m_muted = false;
    float m_master = 1.0f;
    std::array<float, 2048> m_mix{};
    std::array<qint16, 2048> m_backgroundBlock{};
};
