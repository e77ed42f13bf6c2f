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
// | Mix_Playing             | main    | the audio clock before the buffer's end|
// | Mix_Volume              | program | always full here: nothing to do        |
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
    if (!audio || !audio.context) return 0;
    var frames = bytes >> 2;
    if (frames == 0) return 0;
    var pcm = new Int16Array(wasmMemory.buffer, samples, frames * 2);
    var buffer = audio.context.createBuffer(2, frames, 22050);
    var left = buffer.getChannelData(0);
    var right = buffer.getChannelData(1);
    for (var i = 0; i < frames; i++) {
        left[i] = pcm[2 * i] / 32768;
        right[i] = pcm[2 * i + 1] / 32768;
    }
    var source = audio.context.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.context.destination);
    var start = audio.context.currentTime;
    source.start(start);
    var old = audio.channels[channel];
    if (old) old.source.stop();
    audio.channels[channel] = { source: source, end: start + buffer.duration };
    if (audio.onStart) audio.onStart(buffer);
    return 1;
});

EM_JS(int, web_audio_playing, (int channel), {
    var audio = Module.webAudio;
    var playing = audio && audio.channels[channel];
    if (!playing) return 0;
    if (audio.context.currentTime < playing.end) return 1;
    audio.channels[channel] = null;
    return 0;
});

EM_JS(void, web_audio_halt, (int channel), {
    var audio = Module.webAudio;
    var playing = audio && audio.channels[channel];
    if (!playing) return;
    playing.source.stop();
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
