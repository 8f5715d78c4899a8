// The roll music: four bars at 128 bpm in A minor (Am F G E), a kick on every beat, a snare
// on two and four that turns into a rising roll in the last bar, off-beat hats, an octave
// bass and a bright sixteenth-note arpeggio that climbs and opens up towards the E chord,
// which leads back into the loop's start. At 128 bpm a sixteenth is exactly 5625 frames, so
// the loop is a whole number of frames and every note falls on a frame.
#include "soundsynth.h"

#include <algorithm>
#include <array>

namespace synth {

namespace {

constexpr qsizetype Sixteenth = Rate * 60 / 128 / 4;
constexpr int Bars = 4;
constexpr qsizetype LoopFrames = Sixteenth * 16 * Bars;

struct Chord {
    int root;                 // MIDI note of the bass
    std::array<int, 4> tones; // the arpeggio's notes, low to high
};
// Am, F, G, E (with its G sharp: the pull back to A minor).
constexpr std::array<Chord, Bars> Chords{{
    {33, {69, 72, 76, 81}},
    {29, {69, 72, 77, 81}},
    {31, {67, 71, 74, 79}},
    {28, {68, 71, 76, 80}},
}};

// Half a millisecond's rise: a hit still snaps, but no sample jumps from silence.
float onset(float t)
{
    return std::min(t / 0.0005f, 1.0f);
}

void kick(Track &track, qsizetype at, float level)
{
    Noise noise(7);
    float phase = 0.0f;
    for (qsizetype i = 0; i < qsizetype(0.4f * Rate); ++i) {
        const float t = float(i) / Rate;
        const float hz = 48.0f + 130.0f * std::exp(-t / 0.028f);
        phase += hz / Rate;
        const float body = std::sin(2.0f * Pi * phase) * std::exp(-t / 0.22f);
        const float click = noise.next() * onset(t) * std::exp(-t / 0.0015f) * 0.3f;
        const float value = level * std::tanh(1.6f * body) + click * level;
        track.add(at + i, value, value);
    }
}

void snare(Track &track, qsizetype at, float level, std::uint32_t seed)
{
    Noise noise(seed);
    Filter band, sizzle;
    band.set(1900.0f, 0.4f);
    sizzle.set(6000.0f, 0.0f); // a wide band: the wires without the harshest top
    float phase = 0.0f;
    for (qsizetype i = 0; i < qsizetype(0.3f * Rate); ++i) {
        const float t = float(i) / Rate;
        const float n = noise.next();
        const float rattle = (band.process(n).band * 1.4f + sizzle.process(n).band * 1.0f) *
                             onset(t) * std::exp(-t / 0.09f);
        phase += (190.0f - 30.0f * std::min(t / 0.05f, 1.0f)) / Rate;
        const float tone = std::sin(2.0f * Pi * phase) * std::exp(-t / 0.04f) * 0.7f;
        const float value = level * (rattle + tone);
        track.add(at + i, value * 1.05f, value * 0.95f);
    }
}

void hat(Track &track, qsizetype at, float level, float decay, float pan, std::uint32_t seed)
{
    Noise noise(seed);
    Filter high;
    high.set(8000.0f, 0.2f);
    for (qsizetype i = 0; i < qsizetype(decay * 6.0f * Rate); ++i) {
        const float t = float(i) / Rate;
        const float value =
            level * high.process(noise.next()).high * onset(t) * std::exp(-t / decay);
        track.addPanned(at + i, value, pan);
    }
}

void bassNote(Track &track, qsizetype at, int note, float level)
{
    Oscillator saw(0.0f);
    Filter filter;
    const float hz = noteHz(float(note));
    const qsizetype length = Sixteenth * 2 - Sixteenth / 4;
    for (qsizetype i = 0; i < length + Rate / 50; ++i) {
        const float t = float(i) / Rate;
        filter.set(220.0f + 1400.0f * std::exp(-t / 0.06f), 0.35f);
        const float gate = i < length ? 1.0f : std::exp(-float(i - length) / (0.004f * Rate));
        const float attack = std::min(t / 0.003f, 1.0f);
        const float tone = filter.process(saw.saw(hz)).low + 0.5f * std::sin(2.0f * Pi * hz * t);
        const float value = level * attack * gate * tone;
        track.add(at + i, value, value);
    }
}

void arpNote(Track &track, qsizetype at, int note, float level, float brightness, float pan)
{
    Oscillator a(0.0f), b(0.37f), c(0.61f);
    Filter filter;
    const float hz = noteHz(float(note));
    const float detune = std::exp2(8.0f / 1200.0f);
    for (qsizetype i = 0; i < qsizetype(0.45f * Rate); ++i) {
        const float t = float(i) / Rate;
        filter.set(hz * (2.0f + brightness * 14.0f * std::exp(-t / 0.08f)), 0.45f);
        const float osc = a.saw(hz * detune) + b.saw(hz / detune) + 0.6f * c.pulse(hz * 2.0f, 0.3f);
        const float envelope = std::min(t / 0.002f, 1.0f) * std::exp(-t / 0.09f);
        track.addPanned(at + i, level * envelope * filter.process(osc).low, pan);
    }
}

} // namespace

Track rollMusic()
{
    Track drums(LoopFrames, true);
    Track music(LoopFrames, true);
    for (int bar = 0; bar < Bars; ++bar) {
        const qsizetype barStart = bar * 16 * Sixteenth;
        const bool last = bar == Bars - 1;
        for (int beat = 0; beat < 4; ++beat)
            kick(drums, barStart + beat * 4 * Sixteenth, 0.7f);
        for (int step = 0; step < 16; ++step) {
            const qsizetype at = barStart + step * Sixteenth;
            const std::uint32_t seed = std::uint32_t(100 + bar * 16 + step);
            if (last && step >= 8) {
                // The roll into the loop's start: sixteenths, then thirty-seconds, rising.
                const float rise = float(step - 8) / 7.0f;
                snare(drums, at, 0.35f + 0.45f * rise, seed);
                if (step >= 12)
                    snare(drums, at + Sixteenth / 2, 0.4f + 0.4f * rise, seed + 50);
            } else if (step == 4 || step == 12) {
                snare(drums, at, 0.6f, seed);
            }
            if (step % 4 == 2)
                hat(drums, at, 0.32f, step == 14 ? 0.09f : 0.035f, 0.3f, seed + 200);
            else
                hat(drums, at, 0.12f, 0.02f, -0.3f, seed + 300);
        }
        // Octave bass on eighths, ducking under the kick.
        const Chord &chord = Chords[size_t(bar)];
        for (int eighth = 0; eighth < 8; ++eighth) {
            const int note = chord.root + (eighth % 2 ? 12 : 0);
            bassNote(music, barStart + eighth * 2 * Sixteenth, note, eighth % 2 ? 0.38f : 0.45f);
        }
        // Up and down through the chord, an octave higher in the second half of the last bar;
        // brighter bar by bar.
        constexpr std::array<int, 16> Pattern{0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 2, 3, 2, 1};
        for (int step = 0; step < 16; ++step) {
            int note = chord.tones[size_t(Pattern[size_t(step)])];
            if (last && step >= 8)
                note += 12;
            const float brightness = 0.35f + 0.2f * float(bar) + 0.02f * float(step);
            const float accent = step % 4 == 0 ? 1.0f : 0.75f;
            arpNote(music, barStart + step * Sixteenth, note, 0.4f * accent, brightness,
                    step % 2 ? 0.45f : -0.45f);
        }
    }
    // The kick's pump: the music dips after every beat and swells back before the next.
    for (qsizetype i = 0; i < LoopFrames; ++i) {
        const float sinceBeat = float(i % (4 * Sixteenth)) / Rate;
        const float duck = 1.0f - 0.45f * std::exp(-sinceBeat / 0.08f);
        music.left(i) *= duck;
        music.right(i) *= duck;
    }
    addReverb(music, 0.5f, 0.4f, 0.18f);
    drums.mix(music, 1.0f);
    addReverb(drums, 0.3f, 0.5f, 0.05f);
    // A soft clip on the sum brings the kick's peaks closer to the rest: denser, louder in
    // a hall at the same peak.
    float peak = 1e-9f;
    for (qsizetype i = 0; i < LoopFrames; ++i)
        peak = std::max({peak, std::abs(drums.left(i)), std::abs(drums.right(i))});
    const float drive = 2.2f;
    processTrack(drums, [&](float &left, float &right) {
        left = std::tanh(drive * left / peak);
        right = std::tanh(drive * right / peak);
    });
    return drums;
}

} // namespace synth
