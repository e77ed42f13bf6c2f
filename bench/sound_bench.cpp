// Tone rendering speed: PLAY renders a whole tune before it queues it, so the
// program's pause before each tune is the rendering time.
#include <benchmark/benchmark.h>

#include <cstring>

#include "runtime/sound/play.h"
#include "runtime/sound/tone.h"

namespace {

// One second of a 440 Hz tone per iteration; the audio_s counter is seconds
// of audio rendered per second of CPU time (target: at least 5,000).
void BM_RenderToneOneSecond(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> tone = render_tone(440, 1.0, 0.5);
        benchmark::DoNotOptimize(tone.data());
    }
    state.counters["audio_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderToneOneSecond);

// The title jingle from settings at their start values (target: at most 1 ms).
void BM_RenderTitleJingle(benchmark::State& state) {
    const char* jingle = "o1l20affaffbffbffdffdffg";
    std::vector<MusicPart> parts;
    for (auto _ : state) {
        PlaySettings settings;
        int32_t error = render_music(reinterpret_cast<const uint8_t*>(jingle), std::strlen(jingle), settings, parts);
        benchmark::DoNotOptimize(error);
        benchmark::DoNotOptimize(parts.data());
    }
    state.SetLabel(std::to_string(parts.empty() ? 0 : parts[0].samples.size() / 88200.0) + " s of audio");
}
BENCHMARK(BM_RenderTitleJingle)->Unit(benchmark::kMicrosecond);

}  // namespace
