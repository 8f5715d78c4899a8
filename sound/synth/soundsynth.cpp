#include "soundsynth.h"

#include <algorithm>

namespace synth {

Track::Track(qsizetype frames, bool looping)
    : m_left(size_t(frames), 0.0f), m_right(size_t(frames), 0.0f), m_looping(looping)
{
}

void Track::add(qsizetype frame, float left, float right)
{
    if (m_looping)
        frame %= frames();
    if (frame < 0 || frame >= frames())
        return;
    m_left[size_t(frame)] += left;
    m_right[size_t(frame)] += right;
}

void Track::addPanned(qsizetype frame, float value, float pan)
{
    // Equal power: a sound in the middle is 3 dB down on each side.
    const float angle = (pan + 1.0f) * Pi / 4.0f;
    add(frame, value * std::cos(angle), value * std::sin(angle));
}

void Track::mix(const Track &other, float gain)
{
    for (size_t i = 0; i < m_left.size() && i < other.m_left.size(); ++i) {
        m_left[i] += gain * other.m_left[i];
        m_right[i] += gain * other.m_right[i];
    }
}

float Noise::next()
{
    // xorshift32: fast, and the same on every compiler and system.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return float(m_state >> 8) / float(1 << 23) - 1.0f;
}

void Filter::set(float cutoffHz, float resonance)
{
    cutoffHz = std::clamp(cutoffHz, 10.0f, 0.45f * float(Rate));
    m_g = std::tan(Pi * cutoffHz / float(Rate));
    m_k = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.98f);
    m_a1 = 1.0f / (1.0f + m_g * (m_g + m_k));
    m_a2 = m_g * m_a1;
    m_a3 = m_g * m_a2;
}

Filter::Out Filter::process(float x)
{
    const float v3 = x - m_s2;
    const float v1 = m_a1 * m_s1 + m_a2 * v3;
    const float v2 = m_s2 + m_a2 * m_s1 + m_a3 * v3;
    m_s1 = 2.0f * v1 - m_s1;
    m_s2 = 2.0f * v2 - m_s2;
    return {v2, v1, x - m_k * v1 - v2};
}

namespace {

// The polyBLEP residual that rounds a step at phase 0 of a cycle `dt` long.
float blep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

} // namespace

float Oscillator::saw(float hz)
{
    const float dt = hz / float(Rate);
    const float value = 2.0f * m_phase - 1.0f - blep(m_phase, dt);
    m_phase += dt;
    m_phase -= std::floor(m_phase);
    return value;
}

float Oscillator::pulse(float hz, float width)
{
    const float dt = hz / float(Rate);
    float value = m_phase < width ? 1.0f : -1.0f;
    value += blep(m_phase, dt);
    float falling = m_phase - width;
    falling -= std::floor(falling);
    value -= blep(falling, dt);
    m_phase += dt;
    m_phase -= std::floor(m_phase);
    return value;
}

Reverb::Reverb(float roomSize, float damping)
    : m_feedback(0.7f + 0.28f * roomSize), m_damping(damping)
{
    // Freeverb's tunings at 44.1 kHz, scaled; the right side a little longer for width.
    const int combs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const int allpasses[] = {556, 441, 341, 225};
    for (int side = 0; side < 2; ++side) {
        for (int length : combs) {
            Comb comb;
            comb.line.assign(size_t((length + 23 * side) * Rate / 44100), 0.0f);
            m_combs[side].push_back(std::move(comb));
        }
        for (int length : allpasses) {
            Allpass allpass;
            allpass.line.assign(size_t((length + 23 * side) * Rate / 44100), 0.0f);
            m_allpasses[side].push_back(std::move(allpass));
        }
    }
}

void Reverb::process(float inLeft, float inRight, float &outLeft, float &outRight)
{
    const float input = (inLeft + inRight) * 0.015f;
    float out[2];
    for (int side = 0; side < 2; ++side) {
        float sum = 0.0f;
        for (Comb &comb : m_combs[side]) {
            const float delayed = comb.line[comb.at];
            comb.store = delayed * (1.0f - m_damping) + comb.store * m_damping;
            comb.line[comb.at] = input + comb.store * m_feedback;
            comb.at = (comb.at + 1) % comb.line.size();
            sum += delayed;
        }
        for (Allpass &allpass : m_allpasses[side]) {
            const float delayed = allpass.line[allpass.at];
            allpass.line[allpass.at] = sum + delayed * 0.5f;
            allpass.at = (allpass.at + 1) % allpass.line.size();
            sum = delayed - sum;
        }
        out[side] = sum;
    }
    outLeft = out[0];
    outRight = out[1];
}

void addReverb(Track &track, float roomSize, float damping, float wet)
{
    Reverb reverb(roomSize, damping);
    processTrack(track, [&](float &left, float &right) {
        float wetLeft, wetRight;
        reverb.process(left, right, wetLeft, wetRight);
        left += wet * wetLeft;
        right += wet * wetRight;
    });
}

SoundClip finish(Track &track, float peakDb)
{
    Filter dcLeft, dcRight;
    dcLeft.set(20.0f, 0.3f);
    dcRight.set(20.0f, 0.3f);
    processTrack(track, [&](float &left, float &right) {
        left = dcLeft.process(left).high;
        right = dcRight.process(right).high;
    });
    float peak = 1e-9f;
    for (qsizetype i = 0; i < track.frames(); ++i)
        peak = std::max({peak, std::abs(track.left(i)), std::abs(track.right(i))});
    const float scale = decibels(peakDb) * 32767.0f / peak;
    SoundClip clip;
    clip.sampleRate = Rate;
    clip.samples.reserve(size_t(track.frames()) * 2);
    for (qsizetype i = 0; i < track.frames(); ++i) {
        clip.samples.push_back(qint16(std::lrint(track.left(i) * scale)));
        clip.samples.push_back(qint16(std::lrint(track.right(i) * scale)));
    }
    return clip;
}

} // namespace synth
