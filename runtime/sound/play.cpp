#include "runtime/sound/play.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/rounding.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/sound/sound_queue.h"
#include "runtime/sound/sound_table.h"
#include "runtime/sound/tone.h"

PlaySettings play_settings;

void reset_play_settings() { play_settings = PlaySettings{}; }

namespace {

constexpr int32_t illegal_function_call = 5;

// Numbered as the interpreter has always numbered them.
enum class Command : uint8_t { none, note, length, octave, note_number, mode, tempo, pause, volume };

enum class NumberState : uint8_t { none, digits, variable };

// A number that grows past this is out of every command's range; holding it
// here keeps a long run of digits from wrapping back into a legal value.
constexpr int64_t number_ceiling = int64_t{1} << 40;

constexpr int32_t wait_marker_bytes = bytes_per_frame;

double seconds_of_length(double tempo, double length) { return (1 / (tempo / 60)) * (4 / length); }

uint8_t upper_case(uint8_t byte) { return byte >= 'a' && byte <= 'z' ? static_cast<uint8_t>(byte - 'a' + 'A') : byte; }

// Variable references: "=" then a type code and a little-endian 16-bit
// offset into the string segment of emulated memory.
//
// | code       | value                                                     |
// |------------|-----------------------------------------------------------|
// | 1, 129     | 8-bit, signed / unsigned                                  |
// | 2, 130     | 16-bit, signed / unsigned                                 |
// | 20, 148    | 32-bit, signed / unsigned                                 |
// | 5, 133     | 64-bit signed                                             |
// | 4, 8, 6    | single, double, 80-bit extended                           |
// | 64 + w     | the low w bits (w <= 56) of the 64 bits there; +128: signed |
bool read_variable(uint8_t type, uint16_t offset, int64_t& number) {
    const uint8_t* at = emulated_memory + string_segment_offset + offset;
    uint64_t bits = 0;
    std::memcpy(&bits, at, sizeof bits);
    int64_t whole = 0;
    long double real = 0;
    bool is_real = false;
    switch (type) {
    case 1: whole = static_cast<int8_t>(bits); break;
    case 2: whole = static_cast<int16_t>(bits); break;
    case 20: whole = static_cast<int32_t>(bits); break;
    case 5:
    case 133: whole = static_cast<int64_t>(bits); break;
    case 129: whole = static_cast<uint8_t>(bits); break;
    case 130: whole = static_cast<uint16_t>(bits); break;
    case 148: whole = static_cast<uint32_t>(bits); break;
    case 4: {
        float value;
        std::memcpy(&value, at, sizeof value);
        real = value;
        is_real = true;
        break;
    }
    case 8: {
        double value;
        std::memcpy(&value, at, sizeof value);
        real = value;
        is_real = true;
        break;
    }
    case 6: {
        // Sign and 15-bit exponent above a 64-bit mantissa with an explicit
        // integer bit; decoded by hand so that no host format is assumed.
        uint16_t top = static_cast<uint16_t>(at[8] | (at[9] << 8));
        int exponent = top & 0x7FFF;
        if (exponent == 0x7FFF) return false;  // infinity or not a number
        real = std::ldexp(static_cast<long double>(bits), exponent - 16383 - 63);
        if (top & 0x8000) real = -real;
        is_real = true;
        break;
    }
    default: {
        bool is_signed = type >= 128 + 64;
        int width = type - (is_signed ? 128 + 64 : 64);
        if (width < 0 || width > 56) return false;
        if (width == 0) {
            whole = 0;
            break;
        }
        uint64_t low = bits & ((uint64_t{1} << width) - 1);
        if (is_signed && (low >> (width - 1)) != 0) low |= ~((uint64_t{1} << width) - 1);
        whole = static_cast<int64_t>(low);
    }
    }
    constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
    constexpr int64_t highest = std::numeric_limits<int32_t>::max();
    if (!is_real) {
        if (whole < lowest || whole > highest) return false;
        number = whole;
        return true;
    }
    if (!(real >= lowest && real <= highest)) return false;  // also rejects not-a-number
    number = round_to_int64(real);                              // ties to even
    return true;
}

class MusicInterpreter {
public:
    MusicInterpreter(PlaySettings& settings, std::vector<MusicPart>& parts) : settings_(settings), parts_(parts) {}

    bool run(const uint8_t* text, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            uint8_t byte = text[i];
            if (byte == ' ') continue;
            if (byte == '=') {
                if (number_state_ != NumberState::none || dots_ != 0) return false;
                if (length - i - 1 < 3) return false;
                uint16_t offset = static_cast<uint16_t>(text[i + 2] | (text[i + 3] << 8));
                if (!read_variable(text[i + 1], offset, number_)) return false;
                number_state_ = NumberState::variable;
                i += 3;
                continue;
            }
            if (byte >= '0' && byte <= '9') {
                if (dots_ != 0 || number_state_ == NumberState::variable) return false;
                if (number_state_ == NumberState::none) {
                    number_ = 0;
                    number_state_ = NumberState::digits;
                }
                number_ = std::min(number_ * 10 + (byte - '0'), number_ceiling);
                continue;
            }
            if (byte == '.') {
                if (command_ != Command::note && command_ != Command::note_number && command_ != Command::pause) return false;
                if (dots_ < std::numeric_limits<int32_t>::max()) ++dots_;
                continue;
            }
            byte = upper_case(byte);
            bool consumed = false;
            if (!finish_command(byte, consumed)) return false;
            if (!consumed && !start_command(byte)) return false;
        }
        bool consumed = false;
        if (!finish_command(' ', consumed)) return false;
        // Digits that no command took.
        if (number_state_ != NumberState::none) return false;
        if (pending_) parts_.push_back({std::move(buffer_), settings_.background == 0});
        return true;
    }

private:
    bool number_given() const { return number_state_ != NumberState::none; }
    bool number_within(int64_t lowest, int64_t highest) const { return number_ >= lowest && number_ <= highest; }
    bool required_number_within(int64_t lowest, int64_t highest) const { return number_given() && number_within(lowest, highest); }

    // Each dot adds half of what the previous one added.
    double dotted(double duration) {
        double increment = duration;
        for (int32_t dot = 0; dot < dots_; ++dot) {
            increment /= 2;
            if (duration + increment == duration) break;  // further dots change nothing
            duration += increment;
        }
        return duration;
    }

    void unit_duration_changed() { settings_.unit_duration = seconds_of_length(settings_.tempo, settings_.default_length); }

    // Places a part at the current offset: appended at the end, or added over
    // what is there (a chord), the sums held within -32,767..32,767.
    void place(std::vector<uint8_t> part, bool chord) {
        size_t part_bytes = part.size();
        if (!pending_) {
            buffer_ = std::move(part);
            offset_ = 0;
        } else {
            size_t old_size = buffer_.size();
            if (offset_ + part_bytes > old_size) buffer_.resize(offset_ + part_bytes, 0);
            if (offset_ == old_size) {
                std::memcpy(buffer_.data() + offset_, part.data(), part_bytes);
            } else {
                uint8_t* into = buffer_.data() + offset_;
                for (size_t i = 0; i + 1 < part_bytes; i += 2) {
                    int32_t sum = static_cast<int16_t>(into[i] | (into[i + 1] << 8)) +
                                  static_cast<int16_t>(part[i] | (part[i + 1] << 8));
                    auto clamped = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(sum, -32767, 32767)));
                    into[i] = static_cast<uint8_t>(clamped);
                    into[i + 1] = static_cast<uint8_t>(clamped >> 8);
                }
            }
        }
        pending_ = true;
        if (!chord) offset_ += part_bytes;
    }

    void play_tone(int32_t note, double duration, bool chord) {
        double frequency_hz = 440 * std::pow(2.0, note / 12.0);
        std::vector<uint8_t> part = render_tone(frequency_hz, (1 - settings_.articulation) * duration, settings_.volume / 100);
        if (settings_.articulation > 0) part.resize(part.size() + silence_bytes(settings_.articulation * duration), 0);
        place(std::move(part), chord);
    }

    void play_pause(double duration, bool chord) {
        place(std::vector<uint8_t>(static_cast<size_t>(silence_bytes(duration)), 0), chord);
    }

    // MB: what was rendered so far is foreground music, queued with its wait
    // marker; the rest of the statement starts a new buffer.
    void enter_background() {
        if (settings_.background != 0) return;
        settings_.background = 1;
        if (!pending_) return;
        parts_.push_back({std::move(buffer_), true});
        buffer_ = {};
        pending_ = false;
        offset_ = 0;
    }

    bool set_mode(uint8_t letter) {
        switch (letter) {
        case 'B': enter_background(); return true;
        case 'F': settings_.background = 0; return true;
        case 'L': settings_.articulation = 0; return true;
        case 'N': settings_.articulation = 0.125; return true;
        case 'S': settings_.articulation = 0.25; return true;
        default: return false;
        }
    }

    // Ends the open command with the byte that follows it; consumed tells
    // whether that byte belonged to the command.
    bool finish_command(uint8_t ending, bool& consumed) {
        bool chord = false;
        switch (command_) {
        case Command::none: return true;
        case Command::note: {
            if (ending == '+' || ending == '#' || ending == '-') {
                if (accidental_ || number_given()) return false;
                note_ += ending == '-' ? -1 : 1;
                accidental_ = true;
                consumed = true;
                return true;
            }
            if (number_given() && !number_within(0, 64)) return false;
            double duration = number_given() && number_ != 0 ? seconds_of_length(settings_.tempo, static_cast<double>(number_))
                                                            : settings_.unit_duration;
            chord = ending == ',';
            play_tone(note_, dotted(duration), chord);
            break;
        }
        case Command::note_number:
            if (!required_number_within(0, 84)) return false;
            chord = ending == ',';
            play_tone(static_cast<int32_t>(number_) - 33, dotted(settings_.unit_duration), chord);
            break;
        case Command::pause: {
            if (number_given() && !number_within(1, 64)) return false;
            double duration = number_given() ? seconds_of_length(settings_.tempo, static_cast<double>(number_)) : settings_.unit_duration;
            chord = ending == ',';
            play_pause(dotted(duration), chord);
            break;
        }
        case Command::volume:
            // Only a variable can give a negative volume; it would scale the
            // wave past every 16-bit sample, so it is out of range like 101.
            if (!required_number_within(0, 100)) return false;
            settings_.volume = static_cast<double>(number_);
            break;
        case Command::tempo:
            if (!required_number_within(32, 255)) return false;
            settings_.tempo = static_cast<double>(number_);
            unit_duration_changed();
            break;
        case Command::octave:
            if (!required_number_within(0, 6)) return false;
            settings_.octave = static_cast<int32_t>(number_);
            break;
        case Command::length:
            if (!required_number_within(1, 64)) return false;
            settings_.default_length = static_cast<double>(number_);
            unit_duration_changed();
            break;
        case Command::mode:
            if (number_given() || !set_mode(ending)) return false;
            consumed = true;
            break;
        }
        consumed = consumed || chord;
        command_ = Command::none;
        number_state_ = NumberState::none;
        dots_ = 0;
        accidental_ = false;
        return true;
    }

    bool start_command(uint8_t byte) {
        static constexpr int32_t semitones[] = {9, 11, 0, 2, 4, 5, 7};  // A to G
        switch (byte) {
        case 'A': case 'B': case 'C': case 'D': case 'E': case 'F': case 'G':
            command_ = Command::note;
            note_ = semitones[byte - 'A'] + 12 * settings_.octave - 33;
            return true;
        case 'L': command_ = Command::length; return true;
        case 'M': command_ = Command::mode; return true;
        case 'N': command_ = Command::note_number; return true;
        case 'O': command_ = Command::octave; return true;
        case 'P': command_ = Command::pause; return true;
        case 'T': command_ = Command::tempo; return true;
        case 'V': command_ = Command::volume; return true;
        case '<': settings_.octave = std::max(settings_.octave - 1, 0); return true;
        case '>': settings_.octave = std::min(settings_.octave + 1, 6); return true;
        default: return false;
        }
    }

    PlaySettings& settings_;
    std::vector<MusicPart>& parts_;
    Command command_ = Command::none;
    int32_t note_ = 0;
    bool accidental_ = false;
    NumberState number_state_ = NumberState::none;
    int64_t number_ = 0;
    // Per statement: a dot read just before an error must not lengthen the
    // first note of the next tune.
    int32_t dots_ = 0;
    std::vector<uint8_t> buffer_;
    size_t offset_ = 0;
    bool pending_ = false;
};

}  // namespace

int32_t render_music(const uint8_t* text, size_t length, PlaySettings& settings, std::vector<MusicPart>& parts) {
    parts.clear();
    MusicInterpreter interpreter(settings, parts);
    if (interpreter.run(text, length)) return 0;
    parts.clear();
    return illegal_function_call;
}

void play_bytes(std::string_view text) {
    if (error_pending()) return;
    open_audio();
    std::vector<MusicPart> parts;
    if (render_music(reinterpret_cast<const uint8_t*>(text.data()), text.size(), play_settings, parts) != 0) {
        raise_error(illegal_function_call);
        return;
    }
    for (MusicPart& part : parts) {
        // Out of sound slots the music is dropped, and the program waits only
        // if its marker found a slot.
        int32_t music = make_sound(std::move(part.samples));
        if (music != 0) queue_sound(music);
        if (!part.wait_after) continue;
        int32_t marker = make_sound(std::vector<uint8_t>(wait_marker_bytes, 0));
        if (marker != 0) queue_sound_and_wait(marker);
    }
}

void play_statement(const StringDescriptor* music) {
    if (!music) {
        play_bytes({});
        return;
    }
    play_bytes(std::string_view(reinterpret_cast<const char*>(music->data), static_cast<size_t>(music->length)));
}
