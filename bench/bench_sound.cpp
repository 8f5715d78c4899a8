// The sound mixer's work for one second of audio at 48 kHz while the roll music loops and the
// fanfare plays over it, rendered in the 10 ms blocks an audio output asks for: its share of
// one core is the time per iteration over one second.
#include "builtinsounds.h"
#include "soundmixer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void renderRollAndFanfare(benchmark::State &state)
{
    constexpr int Rate = 48000;
    constexpr int Block = Rate / 100;
    SoundMixer mixer(Rate);
    mixer.setRollMusic(builtinRollMusic(Rate));
    mixer.setFanfare(builtinFanfare(Rate));
    mixer.startRoll();
    std::vector<qint16> out(size_t(Block) * 2);
    for (auto _ : state) {
        mixer.playFanfare(); // the fanfare is 3.4 s long: it plays through every second
        for (int at = 0; at < Rate; at += Block) {
            mixer.render(out.data(), Block);
            benchmark::DoNotOptimize(out.data());
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Rate); // frames a second
}

} // namespace

BENCHMARK(renderRollAndFanfare)->Unit(benchmark::kMicrosecond);
