// The fanfare: a brass section in C major plays "ta-ta-ta-taaa" (G G G C), then runs up
// the chord (G C E) to a held C major chord over a timpani hit and a cymbal swell, and dies
// away into silence. Each brass voice is a pair of detuned sawtooths through a low-pass
// whose opening follows the note's loudness, as a real horn brightens when blown harder,
// with a small scoop into the pitch and a vibrato that comes in on the long notes.
#include "soundsynth.h"

#include <algorithm>
#include <array>

namespace synth {

namespace {

constexpr float Length = 3.4f;
constexpr float Step = 0.125f;    // the triplet pulse of the "ta-ta-ta"
constexpr float Hold = 9 * Step;  // the final chord's entry
constexpr float ChordEnd = 2.55f; // where the held chord is let go

struct Note {
    float start;
    float length;
    int pitch;
    float level;
    float pan;
};

void brass(Track &track, const Note &note, std::uint32_t seed)
{
    Oscillator a(0.1f), b(0.6f);
    Filter filter, second;
    Noise breath(seed);
    const float hz = noteHz(float(note.pitch));
    const float detune = std::exp2(6.0f / 1200.0f);
    const qsizetype begin = qsizetype(note.start * Rate);
    const float release = 0.16f;
    const qsizetype frames = qsizetype((note.length + release * 5.0f) * Rate);
    const float vibratoStart = 0.25f;
    for (qsizetype i = 0; i < frames; ++i) {
        const float t = float(i) / Rate;
        // Loudness: a quick attack with a little overshoot, sustain, exponential release.
        float amp = std::min(t / 0.018f, 1.0f) * (0.85f + 0.25f * std::exp(-t / 0.08f));
        if (t > note.length)
            amp *= std::exp(-(t - note.length) / release);
        // Pitch: a scoop up from 40 cents flat, then vibrato on the long notes.
        float cents = -40.0f * std::exp(-t / 0.025f);
        if (note.length > 0.4f && t > vibratoStart) {
            const float depth = 14.0f * std::min((t - vibratoStart) / 0.4f, 1.0f);
            cents += depth * std::sin(2.0f * Pi * 5.6f * (t - vibratoStart));
        }
        const float f = hz * std::exp2(cents / 1200.0f);
        const float osc = a.saw(f * detune) + b.saw(f / detune) + 0.05f * breath.next() * amp;
        const float cutoff = std::min(hz * (1.5f + 10.0f * amp), 9000.0f);
        filter.set(cutoff, 0.2f);
        second.set(cutoff * 1.3f, 0.1f);
        const float value = note.level * amp * second.process(filter.process(osc).low).low;
        track.addPanned(begin + i, value, note.pan);
    }
}

void timpani(Track &track, float start, int pitch, float level)
{
    Noise noise(91);
    Filter thump;
    thump.set(180.0f, 0.3f);
    const float hz = noteHz(float(pitch));
    float phase = 0.0f, overtone = 0.0f;
    for (qsizetype i = 0; i < qsizetype(1.6f * Rate); ++i) {
        const float t = float(i) / Rate;
        const float f = hz * (1.0f + 0.06f * std::exp(-t / 0.05f));
        phase += f / Rate;
        overtone += 1.5f * f / Rate;
        const float body = std::sin(2.0f * Pi * phase) + 0.35f * std::sin(2.0f * Pi * overtone);
        const float value = level * (body * std::exp(-t / 0.45f) +
                                     thump.process(noise.next()).low * 3.0f * std::exp(-t / 0.03f));
        track.add(qsizetype(start * Rate) + i, value, value);
    }
}

// A cymbal that swells up to the chord, crashes on it and rings out, fading to nothing.
void cymbal(Track &track, float swellFrom, float crash, float level)
{
    Noise left(5), right(6);
    Filter highLeft, highRight, ringLeft, ringRight;
    highLeft.set(4500.0f, 0.1f);
    highRight.set(4500.0f, 0.1f);
    ringLeft.set(7200.0f, 0.6f);
    ringRight.set(6800.0f, 0.6f);
    const qsizetype begin = qsizetype(swellFrom * Rate);
    const qsizetype end = qsizetype((Length - 0.35f) * Rate);
    for (qsizetype i = begin; i < end; ++i) {
        const float t = float(i) / Rate;
        float envelope;
        if (t < crash) {
            const float x = (t - swellFrom) / (crash - swellFrom);
            envelope = 0.55f * x * x * x;
        } else {
            envelope = 0.4f * std::exp(-(t - crash) / 0.9f) + 0.6f * std::exp(-(t - crash) / 0.12f);
        }
        // The crash's last moments fade fully out so that the sound ends in silence.
        envelope *= std::clamp((float(end - i) / Rate) / 0.5f, 0.0f, 1.0f);
        const float nl = left.next(), nr = right.next();
        const float l = highLeft.process(nl).high + 0.5f * ringLeft.process(nl).band;
        const float r = highRight.process(nr).high + 0.5f * ringRight.process(nr).band;
        track.add(i, level * envelope * l, level * envelope * r);
    }
}

} // namespace

Track fanfare()
{
    Track track(qsizetype(Length * Rate), false);
    const float shortNote = Step * 0.78f;
    // Three trumpets and a trombone: the motif harmonised in C, then the run to the chord.
    const std::array<std::array<int, 8>, 4> parts{{
        {67, 67, 67, 72, 67, 72, 76, 79}, // first trumpet
        {64, 64, 64, 67, 64, 67, 72, 76}, // second trumpet
        {60, 60, 60, 64, 60, 64, 67, 72}, // third trumpet
        {48, 48, 48, 48, 43, 48, 52, 48}, // trombone
    }};
    // Onsets in pulses: ta-ta-ta-taaa (0 1 2 3), a rest, the run (6 7 8) to the chord at 9.
    const std::array<int, 8> onsets{0, 1, 2, 3, 6, 7, 8, 9};
    const std::array<float, 4> pans{0.25f, -0.3f, 0.05f, -0.1f};
    const std::array<float, 4> levels{0.34f, 0.28f, 0.26f, 0.36f};
    std::uint32_t seed = 1;
    for (size_t part = 0; part < parts.size(); ++part) {
        for (size_t n = 0; n < onsets.size(); ++n) {
            const float start = float(onsets[n]) * Step;
            float length = shortNote;
            if (n == 3)
                length = 2.0f * Step + 0.03f; // the first "taaa"
            else if (n == 7)
                length = ChordEnd - start;
            brass(
                track,
                {start, length, parts[part][n], levels[part] * (n == 7 ? 1.1f : 1.0f), pans[part]},
                seed++);
        }
    }
    // The final chord's octave below, for body.
    brass(track, {Hold + 0.05f, ChordEnd - Hold - 0.05f, 36, 0.3f, 0.0f}, seed++);
    timpani(track, 3 * Step, 36, 0.35f);
    timpani(track, Hold, 36, 0.5f);
    cymbal(track, 4 * Step, Hold, 0.12f);
    addReverb(track, 0.6f, 0.35f, 0.22f);
    // Whatever the reverb still holds fades out, then true silence.
    const qsizetype fadeFrom = qsizetype((Length - 0.6f) * Rate);
    const qsizetype silentFrom = qsizetype((Length - 0.15f) * Rate);
    for (qsizetype i = fadeFrom; i < track.frames(); ++i) {
        const float gain =
            i >= silentFrom
                ? 0.0f
                : 0.5f + 0.5f * std::cos(Pi * float(i - fadeFrom) / float(silentFrom - fadeFrom));
        track.left(i) *= gain;
        track.right(i) *= gain;
    }
    return track;
}

} // namespace synth
