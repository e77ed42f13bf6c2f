// PLAY: the music macro language. A music string is interpreted from start
// to end and all its notes and pauses are rendered into one buffer before
// anything is queued; unless background music is selected the program then
// waits until that buffer has been played.
//
// | command      | number          | effect                                   |
// |--------------|-----------------|------------------------------------------|
// | A-G [+#-] n  | length 0..64    | a note; 0 or none: the default length    |
// | N n          | 0..84           | a note by number (0 about 65.4 Hz)       |
// | P n          | 1..64, optional | a pause                                  |
// | L n          | 1..64           | default length (4: a quarter note)       |
// | O n, <, >    | 0..6            | octave (A of octave 2 is 440 Hz)         |
// | T n          | 32..255         | tempo, quarter notes per minute          |
// | V n          | 0..100          | volume                                   |
// | MB MF        |                 | background, foreground                   |
// | ML MN MS     |                 | legato, normal (1/8 rest), staccato (1/4) |
// | .            |                 | after a note or pause: half again longer |
// | ,            |                 | after a note or pause: next one over it  |
// | =tlh         |                 | number from a variable: type t at offset |
// |              |                 | h*256+l of the string segment            |
//
// Every syntax or range error is error 5, and nothing of that statement is
// queued; settings it changed before the error stay changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

struct StringDescriptor;

// Process-wide, program thread only; kept from one PLAY to the next.
struct PlaySettings {
    double tempo = 120;
    double default_length = 4;
    double volume = 50;
    double articulation = 0.125;  // share of each note left silent
    int32_t octave = 4;
    double background = 0;        // 1: do not wait for the music
    double unit_duration = 0.5;   // seconds of a note of the default length
};

extern PlaySettings play_settings;

void reset_play_settings();

// A rendered piece of a statement's music, in queue order. wait_after: a
// one-frame wait marker follows it (foreground music).
struct MusicPart {
    std::vector<uint8_t> samples;
    bool wait_after = false;
};

// Interprets one music string against settings and renders it into parts
// without touching the audio device. Returns 0, or 5 for a syntax or range
// error (parts then empty). A string that renders nothing gives no part.
int32_t render_music(const uint8_t* text, size_t length, PlaySettings& settings, std::vector<MusicPart>& parts);

// Program thread: PLAY over a byte view of the music text.
void play_bytes(std::string_view text);

// PLAY with the music text in a dynamic string.
void play_statement(const StringDescriptor* music);
