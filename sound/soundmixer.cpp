#include "soundmixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float RampSeconds = 0.008f;
constexpr float FadeSeconds = 1.0f / 3.0f;
constexpr float MuteSeconds = 0.02f;
// Under the roll music the background stays faintly there, as a hall's music does when
// the host speaks.
constexpr float DuckedLevel = 0.2f;

// One frame's move of a level towards its target.
float approach(float value, float target, float step)
{
    return value < target ? std::min(value + step, target) : std::max(value - step, target);
}

float stepFor(int rate, float seconds)
{
    return 1.0f / std::max(1.0f, float(rate) * seconds);
}

// A clip to share between the playing voice and the ones fading out, at the mixer's rate.
std::shared_ptr<const SoundClip> prepared(SoundClip clip, int rate)
{
    if (clip.isEmpty())
        return nullptr;
    if (clip.sampleRate != rate) {
        clip = toStereoClip(clip.samples.data(), clip.frames(), 2, clip.sampleRate, rate,
                            clip.frames() * (qsizetype(rate) / std::max(clip.sampleRate, 1) + 1));
        if (clip.isEmpty())
            return nullptr;
    }
    return std::make_shared<const SoundClip>(std::move(clip));
}

} // namespace

SoundMixer::SoundMixer(int sampleRate)
    : m_rate(std::max(sampleRate, 1)), m_rampStep(stepFor(m_rate, RampSeconds)),
      m_fadeStep(stepFor(m_rate, FadeSeconds)), m_muteStep(stepFor(m_rate, MuteSeconds))
{
}

int SoundMixer::sampleRate() const
{
    return m_rate;
}

void SoundMixer::setRollMusic(SoundClip clip)
{
    // Converted before the lock, and the old clip let go after it: the device waits for
    // neither.
    Clip next = prepared(std::move(clip), m_rate);
    const QMutexLocker lock(&m_lock);
    m_rollClip.swap(next);
    if (!m_roll.active())
        return;
    // The new clip takes over from its start at the level and fade the old one had.
    Voice voice = start(m_rollClip, true);
    voice.gain = m_roll.gain;
    voice.target = m_roll.target;
    voice.step = m_roll.step;
    release(m_roll);
    m_roll = voice.active() ? std::move(voice) : Voice{};
}

void SoundMixer::setFanfare(SoundClip clip)
{
    Clip next = prepared(std::move(clip), m_rate);
    const QMutexLocker lock(&m_lock);
    m_fanfareClip.swap(next);
}

SoundMixer::Voice SoundMixer::start(const Clip &clip, bool looping) const
{
    Voice voice;
    if (!clip)
        return voice;
    voice.clip = clip;
    voice.looping = looping;
    return voice;
}

void SoundMixer::release(Voice &voice)
{
    if (!voice.active())
        return;
    voice.target = 0.0f;
    voice.step = m_rampStep;
    // A free slot, else the quietest one, which is cut: the rarest case, a burst of presses.
    auto slot = std::find_if(m_released.begin(), m_released.end(),
                             [](const Voice &v) { return !v.active(); });
    if (slot == m_released.end()) {
        slot = std::min_element(m_released.begin(), m_released.end(),
                                [](const Voice &a, const Voice &b) { return a.gain < b.gain; });
    }
    *slot = std::move(voice);
    voice = Voice{};
}

void SoundMixer::startRoll()
{
    const QMutexLocker lock(&m_lock);
    release(m_roll);
    m_roll = start(m_rollClip, true);
    // A long fanfare of the operator's gives way to the next roll's music.
    if (m_fanfare.active()) {
        m_fanfare.target = 0.0f;
        m_fanfare.step = m_fadeStep;
    }
}

void SoundMixer::fadeOutRoll()
{
    const QMutexLocker lock(&m_lock);
    if (!m_roll.active() || m_roll.target == 0.0f)
        return;
    m_roll.target = 0.0f;
    m_roll.step = m_fadeStep;
}

void SoundMixer::playFanfare()
{
    const QMutexLocker lock(&m_lock);
    release(m_fanfare);
    m_fanfare = start(m_fanfareClip, false);
}

void SoundMixer::stopAll()
{
    const QMutexLocker lock(&m_lock);
    release(m_roll);
    release(m_fanfare);
}

void SoundMixer::setMuted(bool muted)
{
    const QMutexLocker lock(&m_lock);
    m_muted = muted;
}

bool SoundMixer::isMuted() const
{
    const QMutexLocker lock(&m_lock);
    return m_muted;
}

void SoundMixer::startBackground()
{
    const QMutexLocker lock(&m_lock);
    m_background.clear();
    m_backgroundOn = true;
    m_backgroundStopping = false;
    m_backgroundEntry = 0.0f;
    m_backgroundLevel = foregroundPlaying() ? DuckedLevel : 1.0f;
}

void SoundMixer::queueBackground(const qint16 *samples, qsizetype frames)
{
    const QMutexLocker lock(&m_lock);
    if (m_backgroundOn && !m_backgroundStopping)
        m_background.push(samples, frames);
}

qsizetype SoundMixer::backgroundQueued() const
{
    const QMutexLocker lock(&m_lock);
    return m_background.frames();
}

void SoundMixer::stopBackground()
{
    const QMutexLocker lock(&m_lock);
    if (m_backgroundOn)
        m_backgroundStopping = true;
}

bool SoundMixer::isSounding() const
{
    const QMutexLocker lock(&m_lock);
    return foregroundPlaying() || m_backgroundOn ||
           std::any_of(m_released.begin(), m_released.end(),
                       [](const Voice &v) { return v.active(); });
}

bool SoundMixer::isForegroundPlaying() const
{
    const QMutexLocker lock(&m_lock);
    return foregroundPlaying();
}

bool SoundMixer::foregroundPlaying() const
{
    return m_roll.active() || m_fanfare.active();
}

void SoundMixer::mixVoice(Voice &voice, float *mix, qsizetype frames) const
{
    const qint16 *samples = voice.clip->samples.data();
    const qsizetype length = voice.clip->frames();
    for (qsizetype i = 0; i < frames; ++i) {
        voice.entry = std::min(voice.entry + m_rampStep, 1.0f);
        if (voice.gain != voice.target) {
            voice.gain = approach(voice.gain, voice.target, voice.step);
        } else if (voice.gain == 0.0f) {
            voice = Voice{}; // faded out for good
            return;
        }
        const qint16 *frame = samples + 2 * voice.position;
        const float gain = voice.gain * voice.entry;
        mix[2 * i] += gain * float(frame[0]);
        mix[2 * i + 1] += gain * float(frame[1]);
        if (++voice.position == length) {
            if (!voice.looping) {
                voice = Voice{}; // played to its end
                return;
            }
            voice.position = 0;
        }
    }
}

void SoundMixer::mixBackground(float *mix, qsizetype frames)
{
    const qsizetype got = m_background.pop(m_backgroundBlock.data(), frames);
    const float level = foregroundPlaying() ? DuckedLevel : 1.0f;
    const float entry = m_backgroundStopping ? 0.0f : 1.0f;
    for (qsizetype i = 0; i < got; ++i) {
        m_backgroundLevel = approach(m_backgroundLevel, level, m_fadeStep);
        m_backgroundEntry = approach(m_backgroundEntry, entry, m_rampStep);
        const float gain = m_backgroundLevel * m_backgroundEntry;
        mix[2 * i] += gain * float(m_backgroundBlock[size_t(2 * i)]);
        mix[2 * i + 1] += gain * float(m_backgroundBlock[size_t(2 * i + 1)]);
    }
    // Ran short (the decoder late, or its file's end still being read): silent until more
    // comes, which then rises from nothing.
    if (got < frames)
        m_backgroundEntry = 0.0f;
    if (m_backgroundStopping && (m_backgroundEntry == 0.0f || got < frames)) {
        m_background.clear();
        m_backgroundOn = false;
        m_backgroundStopping = false;
    }
}

void SoundMixer::render(qint16 *out, qsizetype frames)
{
    const QMutexLocker lock(&m_lock);
    const float masterTarget = m_muted ? 0.0f : 1.0f;
    while (frames > 0) {
        const qsizetype block = std::min<qsizetype>(frames, qsizetype(m_mix.size() / 2));
        std::fill_n(m_mix.begin(), block * 2, 0.0f);
        for (Voice *voice : {&m_roll, &m_fanfare}) {
            if (voice->active())
                mixVoice(*voice, m_mix.data(), block);
        }
        for (Voice &voice : m_released) {
            if (voice.active())
                mixVoice(voice, m_mix.data(), block);
        }
        if (m_backgroundOn)
            mixBackground(m_mix.data(), block);
        for (qsizetype i = 0; i < block; ++i) {
            m_master = approach(m_master, masterTarget, m_muteStep);
            for (int side = 0; side < 2; ++side) {
                const float value = m_mix[size_t(2 * i + side)] * m_master;
                out[2 * i + side] = qint16(std::lrint(std::clamp(value, -32768.0f, 32767.0f)));
            }
        }
        out += block * 2;
        frames -= block;
    }
}
