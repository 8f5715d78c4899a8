#pragma once

// The building blocks of the program's own sounds: oscillators without aliasing, a
// state-variable filter, seeded noise, a small reverb and a stereo track that can wrap
// round for loops. Everything is deterministic, so every build makes the same sounds.

#include "soundclip.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace synth {

constexpr int Rate = 48000;
constexpr float Pi = 3.14159265358979f;

inline float noteHz(float midiNote)
{
    return 440.0f * std::exp2((midiNote - 69.0f) / 12.0f);
}

inline float decibels(float db)
{
    return std::pow(10.0f, db / 20.0f);
}

// A stereo buffer. A looping one wraps what is written past its end to its start, so the
// tails of the last notes ring on into the first ones as they do when the loop repeats.
class Track {
public:
    Track(qsizetype frames, bool looping);
    qsizetype frames() const { return qsizetype(m_left.size()); }
    void add(qsizetype frame, float left, float right);
    void addPanned(qsizetype frame, float value, float pan); // pan -1 left … 1 right
    void mix(const Track &other, float gain);
    float &left(qsizetype frame) { return m_left[size_t(frame)]; }
    float &right(qsizetype frame) { return m_right[size_t(frame)]; }
    bool looping() const { return m_looping; }

private:
    std::vector<float> m_left;
    std::vector<float> m_right;
    bool m_looping;
};

class Noise {
public:
    explicit Noise(std::uint32_t seed) : m_state(seed ? seed : 1) {}
    float next(); // uniform in [-1, 1)

private:
    std::uint32_t m_state;
};

// Topology-preserving state-variable filter: stable under fast cutoff sweeps.
class Filter {
public:
    struct Out {
        float low, band, high;
    };
    void set(float cutoffHz, float resonance); // resonance 0 … ~0.95
    Out process(float x);

private:
    float m_g = 0.0f, m_k = 1.4f, m_a1 = 0.0f, m_a2 = 0.0f, m_a3 = 0.0f;
    float m_s1 = 0.0f, m_s2 = 0.0f;
};

// A sawtooth and a pulse with polyBLEP corrections at their edges.
class Oscillator {
public:
    explicit Oscillator(float phase = 0.0f) : m_phase(phase) {}
    float saw(float hz);
    float pulse(float hz, float width);

private:
    float m_phase;
};

// A Schroeder-Moorer reverb of eight damped combs and four allpasses a side.
class Reverb {
public:
    Reverb(float roomSize, float damping);
    void process(float inLeft, float inRight, float &outLeft, float &outRight);

private:
    struct Comb {
        std::vector<float> line;
        size_t at = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> line;
        size_t at = 0;
    };
    std::vector<Comb> m_combs[2];
    std::vector<Allpass> m_allpasses[2];
    float m_feedback;
    float m_damping;
};

// Runs `effect(left, right)` over the track in place; a looping track is run twice so that
// the effect's state at the end carries over into its start.
template <typename Effect> void processTrack(Track &track, Effect &&effect)
{
    const int passes = track.looping() ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const bool keep = pass == passes - 1;
        for (qsizetype i = 0; i < track.frames(); ++i) {
            float left = track.left(i), right = track.right(i);
            effect(left, right);
            if (keep) {
                track.left(i) = left;
                track.right(i) = right;
            }
        }
    }
}

void addReverb(Track &track, float roomSize, float damping, float wet);
// Removes DC with a 20 Hz high-pass, scales to `peakDb` and converts to 16 bits.
SoundClip finish(Track &track, float peakDb);

Track rollMusic();
Track fanfare();

} // namespace synth
