// The few mixer calls the sound table makes, over the page's Web Audio. The
// port's own mixer cannot play raw PCM (it reads the buffer as mono at the
// context's rate, and playing the chunk then fails), so these definitions
// take its place at link time.
//
// | call                    | thread  | here                                   |
// |-------------------------|---------|----------------------------------------|
// | Mix_OpenAudio           | program | nothing to open: the page made the     |
// | Mix_AllocateChannels    |         | audio context at its first click       |
// | Mix_QuickLoad_RAW       | program | a chunk record over the samples        |
// | Mix_FreeChunk           | any     | frees the record; halts its channel    |
// | Mix_PlayChannelTimed    | main    | one AudioBuffer, 2 channels at 22,050  |
// |                         |         | Hz, started on the audio clock now     |
// | Mix_Playing             | main    | both clocks before the buffer's end    |
// | Mix_Volume              | program | always full here: nothing to do        |
//
// A sound counts as played once either clock passes its end: the audio
// clock, or the page's own (performance.now), which goes on while the audio
// clock stands still (a context suspended by the browser, the system or the
// lack of a user gesture, or the page itself, which lets it rest in silence
// and wakes it for each sound). Every PLAY then keeps its time and the game
// is merely silent; a context that runs again does not stretch a sound.
//
// The samples reach the buffer unchanged: each 16-bit value divided by
// 32,768, which a float holds exactly.
#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>
#include <emscripten/threading.h>

#include <new>

namespace {

constexpr int channel_count = 256;

// Main thread: the chunk each channel was last given.
Mix_Chunk* channel_chunk[channel_count] = {};

bool valid_channel(int channel) { return channel >= 0 && channel < channel_count; }

}  // namespace

// clang-format off
EM_JS(int, web_audio_play, (int channel, const void* samples, int bytes), {
    var audio = Module.webAudio;
    var frames = bytes >> 2;
    if (!audio || frames == 0) return 0;
    var old = audio.channels[channel];
    if (old && old.source) old.source.stop();
    var playing = { source: null, end: 0, pageEnd: performance.now() + frames * 1000 / 22050 };
    audio.channels[channel] = playing;
    var context = audio.context;
    if (!context) return 1;
    if (audio.wake) audio.wake();
    var pcm = new Int16Array(wasmMemory.buffer, samples, frames * 2);
    var buffer = context.createBuffer(2, frames, 22050);
    var left = buffer.getChannelData(0);
    var right = buffer.getChannelData(1);
    for (var i = 0; i < frames; i++) {
        left[i] = pcm[2 * i] / 32768;
        right[i] = pcm[2 * i + 1] / 32768;
    }
    playing.source = context.createBufferSource();
    playing.source.buffer = buffer;
    playing.source.connect(context.destination);
    playing.source.start(context.currentTime);
    playing.end = context.currentTime + buffer.duration;
    if (audio.onStart) audio.onStart(buffer);
    return 1;
});

EM_JS(int, web_audio_playing, (int channel), {
    var audio = Module.webAudio;
    var playing = audio && audio.channels[channel];
    if (!playing) return 0;
    var context = audio.context;
    var audible = context && context.state == 'running' && playing.source;
    if (performance.now() < playing.pageEnd && (!audible || context.currentTime < playing.end)) return 1;
    audio.channels[channel] = null;
    return 0;
});

EM_JS(void, web_audio_halt, (int channel), {
    var audio = Module.webAudio;
    var playing = audio && audio.channels[channel];
    if (!playing) return;
    if (playing.source) playing.source.stop();
    audio.channels[channel] = null;
});
// clang-format on

extern "C" {

int Mix_OpenAudio(int, Uint16, int, int) { return 0; }

int Mix_AllocateChannels(int) { return channel_count; }

int Mix_Volume(int, int) { return MIX_MAX_VOLUME; }

void Mix_CloseAudio() {
    if (!emscripten_is_main_runtime_thread()) return;
    for (int channel = 0; channel < channel_count; ++channel) {
        if (channel_chunk[channel]) web_audio_halt(channel);
        channel_chunk[channel] = nullptr;
    }
}

Mix_Chunk* Mix_QuickLoad_RAW(Uint8* samples, Uint32 bytes) {
    auto* chunk = new (std::nothrow) Mix_Chunk{};
    if (chunk == nullptr) return nullptr;
    chunk->abuf = samples;
    chunk->alen = bytes;
    chunk->volume = MIX_MAX_VOLUME;
    return chunk;
}

// Only the main thread plays chunks; one freed elsewhere was never played.
void Mix_FreeChunk(Mix_Chunk* chunk) {
    if (chunk == nullptr) return;
    if (emscripten_is_main_runtime_thread()) {
        for (int channel = 0; channel < channel_count; ++channel) {
            if (channel_chunk[channel] != chunk) continue;
            web_audio_halt(channel);
            channel_chunk[channel] = nullptr;
        }
    }
    delete chunk;
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int, int) {
    if (!valid_channel(channel) || chunk == nullptr) return -1;
    channel_chunk[channel] = chunk;
    web_audio_play(channel, chunk->abuf, static_cast<int>(chunk->alen));
    return channel;
}

int Mix_Playing(int channel) {
    if (!valid_channel(channel) || channel_chunk[channel] == nullptr) return 0;
    if (web_audio_playing(channel) != 0) return 1;
    channel_chunk[channel] = nullptr;
    return 0;
}

}  // extern "C"
