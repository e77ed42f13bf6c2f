#include "runtime/sound/play.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "runtime/core/emulated_memory.h"
#include "runtime/sound/tone.h"

namespace {

struct Rendered {
    int32_t error = 0;
    std::vector<MusicPart> parts;

    size_t bytes() const { return parts.empty() ? 0 : parts[0].samples.size(); }
    const std::vector<uint8_t>& samples() const { return parts.at(0).samples; }
};

Rendered render(const std::string& text, PlaySettings& settings) {
    Rendered rendered;
    rendered.error = render_music(reinterpret_cast<const uint8_t*>(text.data()), text.size(), settings, rendered.parts);
    return rendered;
}

Rendered render(const std::string& text) {
    PlaySettings settings;
    return render(text, settings);
}

double note_hz(int32_t note) { return 440 * std::pow(2.0, note / 12.0); }

// A note as the tune holds it: the tone for the sounding share of d, then
// the silent share.
std::vector<uint8_t> expected_note(double frequency_hz, double d, double articulation = 0.125, double volume = 0.5) {
    std::vector<uint8_t> bytes = render_tone(frequency_hz, (1 - articulation) * d, volume);
    if (articulation > 0) bytes.resize(bytes.size() + silence_bytes(articulation * d), 0);
    return bytes;
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& part) { to.insert(to.end(), part.begin(), part.end()); }

int16_t sample_at(const std::vector<uint8_t>& bytes, size_t index) {
    return static_cast<int16_t>(bytes[index * 2] | (bytes[index * 2 + 1] << 8));
}

}  // namespace

TEST(PlayDurations, CAtTheStartValuesIsHalfASecondOfToneThenAnEighthSilent) {
    Rendered c = render("C");
    ASSERT_EQ(c.error, 0);
    ASSERT_EQ(c.parts.size(), 1u);
    EXPECT_TRUE(c.parts[0].wait_after);
    std::vector<uint8_t> tone = render_tone(note_hz(15), 0.4375, 0.5);  // C of octave 4 is about 1046.5 Hz
    ASSERT_EQ(c.bytes(), tone.size() + 1378 * 4);
    EXPECT_EQ(std::memcmp(c.samples().data(), tone.data(), tone.size()), 0);
    for (size_t i = tone.size(); i < c.bytes(); ++i) ASSERT_EQ(c.samples()[i], 0);
    // Cut back by less than one period of the tone.
    EXPECT_GT(tone.size(), (0.4375 * 22050 - 22050 / 1046.5) * 4);
}

TEST(PlayDurations, ShortNotesAtTempo120And180) {
    PlaySettings settings;
    Rendered at_120 = render("o0l60adada", settings);
    ASSERT_EQ(at_120.error, 0);
    std::vector<uint8_t> expected;
    for (char note : std::string("adada")) append(expected, expected_note(note == 'a' ? 110.0 : note_hz(-31), 1.0 / 30));
    EXPECT_EQ(at_120.samples(), expected);
    EXPECT_NEAR(note_hz(-31), 73.42, 0.01);

    render("T180", settings);
    Rendered at_180 = render("o0l60adada", settings);
    expected.clear();
    for (char note : std::string("adada")) append(expected, expected_note(note == 'a' ? 110.0 : note_hz(-31), 1.0 / 45));
    EXPECT_EQ(at_180.samples(), expected);
    EXPECT_LT(at_180.bytes(), 5 * 88200 / 45 + 4);
}

TEST(PlayDurations, LengthNumbersDotsAndPauses) {
    EXPECT_EQ(render("L64C").samples(), expected_note(note_hz(15), 0.5 / 16));
    EXPECT_EQ(render("C0").samples(), expected_note(note_hz(15), 0.5));
    EXPECT_EQ(render("C8").samples(), expected_note(note_hz(15), 0.25));
    EXPECT_EQ(render("C.").samples(), expected_note(note_hz(15), 0.75));
    EXPECT_EQ(render("C..").samples(), expected_note(note_hz(15), 0.875));
    EXPECT_EQ(render("C8.").samples(), expected_note(note_hz(15), 0.375));
    EXPECT_EQ(render("P").bytes(), 44100u);
    EXPECT_EQ(render("P2").bytes(), 88200u);
    EXPECT_EQ(render("P4.").bytes(), 16537u * 4);  // whole frames of 0.75 s
    EXPECT_EQ(render("L8P").bytes(), 5512u * 4);
    // Many dots approach twice the length and stop there.
    EXPECT_EQ(render("P" + std::string(2000, '.')).bytes(), 88200u);
}

TEST(PlayDurations, SpacesAreSkippedEverywhereAndNumbersWaitForTheirCommand) {
    PlaySettings settings;
    EXPECT_EQ(render("T1 20", settings).error, 0);
    EXPECT_EQ(settings.tempo, 120);
    EXPECT_EQ(render(" c 8 ").samples(), render("C8").samples());
    EXPECT_EQ(render("C #").samples(), render("C#").samples());
    EXPECT_EQ(render("M L C").samples(), render("MLC").samples());
    // <4C: the number read before C becomes C's length.
    EXPECT_EQ(render("<4C").samples(), expected_note(note_hz(3), 0.5));
    EXPECT_EQ(render("<4C").samples(), render("O3C4").samples());
}

TEST(PlayPitch, AccidentalsMoveASemitoneOncePerNoteBeforeItsLength) {
    EXPECT_EQ(render("C#").samples(), expected_note(note_hz(16), 0.5));
    EXPECT_EQ(render("C+").samples(), render("C#").samples());
    EXPECT_EQ(render("C-").samples(), expected_note(note_hz(14), 0.5));
    EXPECT_EQ(render("C.#").samples(), expected_note(note_hz(16), 0.75));
    EXPECT_EQ(render("C#4").samples(), render("C#").samples());
    EXPECT_EQ(render("C##").error, 5);
    EXPECT_EQ(render("C#-").error, 5);
    EXPECT_EQ(render("C4#").error, 5);
}

TEST(PlayPitch, NoteNumbersAndOctaves) {
    EXPECT_EQ(render("N0").samples(), expected_note(note_hz(-33), 0.5));
    EXPECT_NEAR(note_hz(-33), 65.41, 0.01);
    EXPECT_EQ(render("N33").samples(), expected_note(440, 0.5));
    EXPECT_EQ(render("O2A").samples(), expected_note(440, 0.5));
    EXPECT_EQ(render("A").samples(), expected_note(1760, 0.5));
    PlaySettings settings;
    render("O6>", settings);
    EXPECT_EQ(settings.octave, 6);
    render("O0<<", settings);
    EXPECT_EQ(settings.octave, 0);
    render("O3>>", settings);
    EXPECT_EQ(settings.octave, 5);
    // An accidental may leave the table: B# of octave 6 sounds at the formula.
    EXPECT_EQ(render("O6B#").samples(), expected_note(note_hz(11 + 1 + 72 - 33), 0.5));
}

TEST(PlaySettingsPersist, TempoOctaveLengthAndArticulationCarryToTheNextStatement) {
    PlaySettings settings;
    ASSERT_EQ(render("T180O2L8MS", settings).error, 0);
    EXPECT_TRUE(render("T180O2L8MS", settings).parts.empty());
    Rendered next = render("A", settings);
    EXPECT_EQ(next.samples(), expected_note(440, (60.0 / 180) / 2, 0.25));
    EXPECT_DOUBLE_EQ(settings.unit_duration, 1.0 / 6);
    render("MLV100", settings);
    EXPECT_EQ(render("A", settings).samples(), expected_note(440, 1.0 / 6, 0.0, 1.0));
    render("MN", settings);
    EXPECT_EQ(settings.articulation, 0.125);
}

TEST(PlayErrors, RangeErrors) {
    for (const char* text : {"L65", "L0", "L", "P0", "P65", "T31", "T256", "T", "O7", "O", "V101", "V", "N85", "N", "C65"}) {
        EXPECT_EQ(render(text).error, 5) << text;
    }
    for (const char* text : {"L64", "L1", "P1", "P64", "T32", "T255", "O0", "O6", "V0", "V100", "N84", "C64"}) {
        EXPECT_EQ(render(text).error, 0) << text;
    }
}

TEST(PlayErrors, SyntaxErrors) {
    for (const char* text : {"C4.5", "O.3", ".", "MX", "M", "M4B", "X", ",", "C,,", "T120,", "4", "<4", "C 4 =\x14\x00\x00",
                             "H", "\x80", "C+#", "L4.", "V50."}) {
        EXPECT_EQ(render(text).error, 5) << text;
    }
}

TEST(PlayErrors, ErrorQueuesNothingButKeepsSettingsAlreadyChanged) {
    PlaySettings settings;
    Rendered failed = render("T150CDEX", settings);
    EXPECT_EQ(failed.error, 5);
    EXPECT_TRUE(failed.parts.empty());
    EXPECT_EQ(settings.tempo, 150);
    // A background part ahead of the error is not queued either.
    Rendered mixed = render("CMBDX", settings);
    EXPECT_EQ(mixed.error, 5);
    EXPECT_TRUE(mixed.parts.empty());
    EXPECT_EQ(settings.background, 1);
}

TEST(PlayErrors, DotBeforeAnErrorDoesNotLengthenTheNextTune) {
    PlaySettings settings;
    EXPECT_EQ(render("C.5", settings).error, 5);
    EXPECT_EQ(render("C", settings).samples(), expected_note(note_hz(15), 0.5));
}

TEST(PlayErrors, LongRunOfDigitsStaysOutOfRange) {
    // 2^64 + 120 would wrap to 120.
    EXPECT_EQ(render("T18446744073709551736").error, 5);
    EXPECT_EQ(render("L" + std::string(400, '9')).error, 5);
}

TEST(PlayModes, BackgroundMusicDoesNotWait) {
    PlaySettings settings;
    Rendered background = render("MBCDE", settings);
    ASSERT_EQ(background.parts.size(), 1u);
    EXPECT_FALSE(background.parts[0].wait_after);
    EXPECT_FALSE(render("C", settings).parts[0].wait_after);
    render("MF", settings);
    EXPECT_TRUE(render("C", settings).parts[0].wait_after);
}

TEST(PlayModes, BackgroundAfterNotesQueuesThemAsForegroundFirst) {
    PlaySettings settings;
    Rendered split = render("CMBD", settings);
    ASSERT_EQ(split.parts.size(), 2u);
    EXPECT_TRUE(split.parts[0].wait_after);
    EXPECT_FALSE(split.parts[1].wait_after);
    EXPECT_EQ(split.parts[0].samples, expected_note(note_hz(15), 0.5));
    EXPECT_EQ(split.parts[1].samples, expected_note(note_hz(17), 0.5));
    // Only the statement that nothing follows renders nothing.
    Rendered alone = render("MFCMB", settings);
    ASSERT_EQ(alone.parts.size(), 1u);
    EXPECT_TRUE(alone.parts[0].wait_after);
}

TEST(PlayModes, NothingRenderedQueuesNothing) {
    EXPECT_EQ(render("").error, 0);
    EXPECT_TRUE(render("").parts.empty());
    EXPECT_TRUE(render("T200").parts.empty());
    EXPECT_TRUE(render("   ").parts.empty());
    EXPECT_TRUE(render("MBMF<>").parts.empty());
}

TEST(PlayChords, ChordIsAsLongAsItsLongestNote) {
    Rendered chord = render("C,E2,G");
    ASSERT_EQ(chord.error, 0);
    std::vector<uint8_t> c = expected_note(note_hz(15), 0.5);
    std::vector<uint8_t> e = expected_note(note_hz(19), 1.0);
    std::vector<uint8_t> g = expected_note(note_hz(22), 0.5);
    ASSERT_EQ(chord.bytes(), e.size());
    for (size_t i = 0; i < e.size() / 2; ++i) {
        int32_t sum = sample_at(e, i);
        if (i < c.size() / 2) sum += sample_at(c, i);
        if (i < g.size() / 2) sum += sample_at(g, i);
        ASSERT_EQ(sample_at(chord.samples(), i), std::clamp(sum, -32767, 32767)) << i;
    }
    // The note after a chord starts where the last chord note was placed.
    Rendered then = render("C,E2,GP");
    EXPECT_EQ(then.bytes(), g.size() + 44100 > e.size() ? g.size() + 44100 : e.size());
}

TEST(PlayChords, LoudChordSumsAreClampedToPlusMinus32767) {
    Rendered chord = render("V100C,C,C");
    ASSERT_EQ(chord.error, 0);
    int16_t highest = 0;
    int16_t lowest = 0;
    for (size_t i = 0; i < chord.bytes() / 2; ++i) {
        highest = std::max(highest, sample_at(chord.samples(), i));
        lowest = std::min(lowest, sample_at(chord.samples(), i));
    }
    EXPECT_EQ(highest, 32767);
    EXPECT_EQ(lowest, -32767);
}

TEST(PlayChords, NumberAfterACommaBelongsToTheNextNote) {
    // C,4D: D of length 4 over C.
    EXPECT_EQ(render("C,4D").samples(), render("C,D4").samples());
}

class PlayVariables : public ::testing::Test {
protected:
    void SetUp() override { clear_emulated_memory(); }
    void TearDown() override { clear_emulated_memory(); }

    template <class T>
    void put(uint16_t offset, T value) {
        std::memcpy(emulated_memory + string_segment_offset + offset, &value, sizeof value);
    }

    // T=<type><offset>: the tempo a reference gives, or -1 after an error.
    double tempo_from(uint8_t type, uint16_t offset) {
        PlaySettings settings;
        std::string text = "T=";
        text += static_cast<char>(type);
        text += static_cast<char>(offset & 0xFF);
        text += static_cast<char>(offset >> 8);
        return render(text, settings).error == 0 ? settings.tempo : -1;
    }
};

TEST_F(PlayVariables, EveryTypeCodeReadsItsValue) {
    put<int8_t>(0x10, 100);
    EXPECT_EQ(tempo_from(1, 0x10), 100);
    put<int16_t>(0x20, 200);
    EXPECT_EQ(tempo_from(2, 0x20), 200);
    put<float>(0x30, 150.5f);  // ties to even
    EXPECT_EQ(tempo_from(4, 0x30), 150);
    put<int64_t>(0x40, 77);
    EXPECT_EQ(tempo_from(5, 0x40), 77);
    EXPECT_EQ(tempo_from(133, 0x40), 77);
    put<double>(0x50, 33.5);
    EXPECT_EQ(tempo_from(8, 0x50), 34);
    put<int32_t>(0x60, 255);
    EXPECT_EQ(tempo_from(20, 0x60), 255);
    put<uint8_t>(0x70, 200);
    EXPECT_EQ(tempo_from(129, 0x70), 200);
    put<uint16_t>(0x80, 250);
    EXPECT_EQ(tempo_from(130, 0x80), 250);
    put<uint32_t>(0x90, 60);
    EXPECT_EQ(tempo_from(148, 0x90), 60);
    // 80-bit extended 90.0: mantissa 0xB4 << 56, exponent 16383 + 6.
    put<uint64_t>(0xA0, uint64_t{0xB4} << 56);
    put<uint16_t>(0xA8, 16383 + 6);
    EXPECT_EQ(tempo_from(6, 0xA0), 90);
    // Low bits of the 64 at the offset, plain and sign-extended.
    put<uint64_t>(0xB0, 0x12345678FFull);
    EXPECT_EQ(tempo_from(64 + 8, 0xB0), 255);
    EXPECT_EQ(tempo_from(64 + 12, 0xB0), -1);  // 0x8FF = 2,303
    put<uint64_t>(0xC0, 0xFF60ull);
    EXPECT_EQ(tempo_from(64 + 8, 0xC0), 96);
    EXPECT_EQ(tempo_from(128 + 64 + 8, 0xC0), 96);
    put<uint64_t>(0xD0, 0x80ull);
    EXPECT_EQ(tempo_from(64 + 8, 0xD0), 128);
    EXPECT_EQ(tempo_from(128 + 64 + 8, 0xD0), -1);  // -128
}

TEST_F(PlayVariables, BadReferencesRaiseError5) {
    put<int64_t>(0x10, int64_t{1} << 40);
    EXPECT_EQ(tempo_from(5, 0x10), -1);
    put<double>(0x20, NAN);
    EXPECT_EQ(tempo_from(8, 0x20), -1);
    put<double>(0x30, 3e9);
    EXPECT_EQ(tempo_from(8, 0x30), -1);
    put<uint16_t>(0x48, 0x7FFF);  // 80-bit infinity
    EXPECT_EQ(tempo_from(6, 0x40), -1);
    for (uint8_t type : {0, 3, 7, 9, 19, 63, 64 + 57, 128, 128 + 64 + 57, 255}) EXPECT_EQ(tempo_from(type, 0), -1) << int(type);
    EXPECT_EQ(render(std::string("T=\x14\x00", 4)).error, 5);    // fewer than three bytes
    EXPECT_EQ(render(std::string("T1=\x14\x00\x00", 7)).error, 5);  // after digits
    put<int32_t>(0x60, -1);
    EXPECT_EQ(render(std::string("V=\x14\x60\x00", 5)).error, 5);  // a volume below 0
    put<int32_t>(0x50, 120);
    EXPECT_EQ(render(std::string("T=\x14\x50\x00", 5)).error, 0);
    EXPECT_EQ(render(std::string("T=\x14\x50\x00" "5", 6)).error, 5);  // a digit after it
    EXPECT_EQ(render(std::string("C.=\x14\x50\x00", 6)).error, 5);  // after a dot
}

TEST_F(PlayVariables, ReferenceAtTheTopOfTheSegmentStaysInMemory) {
    EXPECT_EQ(tempo_from(6, 0xFFFF), -1);  // reads zero bytes past the segment: value 0
    EXPECT_EQ(tempo_from(5, 0xFFFF), -1);
}
