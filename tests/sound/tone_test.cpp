#include "runtime/sound/tone.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int16_t sample_at(const std::vector<uint8_t>& bytes, size_t frame, int channel = 0) {
    size_t at = frame * bytes_per_frame + static_cast<size_t>(channel) * 2;
    return static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
}

size_t frames_of(const std::vector<uint8_t>& bytes) { return bytes.size() / bytes_per_frame; }

}  // namespace

TEST(RenderTone, TenthOfASecondAt440HzKeepsFramesUpToItsLastRise) {
    std::vector<uint8_t> tone = render_tone(440, 0.1, 1.0);
    // 2,205 frames rendered; frame 2,155 is the last that rises through zero.
    EXPECT_EQ(tone.size(), 8620u);
    EXPECT_EQ(frames_of(tone), 2155u);
    EXPECT_EQ(sample_at(tone, 0), 0);
    int16_t highest = 0;
    int16_t lowest = 0;
    for (size_t frame = 0; frame < frames_of(tone); ++frame) {
        int16_t left = sample_at(tone, frame, 0);
        ASSERT_EQ(left, sample_at(tone, frame, 1)) << "frame " << frame;
        ASSERT_GE(left, -32767);
        ASSERT_LE(left, 32767);
        highest = std::max(highest, left);
        lowest = std::min(lowest, left);
    }
    // The peaks of a 50-frame period come within one step of full scale.
    EXPECT_GT(highest, 32767 - 2700);
    EXPECT_LT(lowest, -32767 + 2700);
}

TEST(RenderTone, WaveRisesForAQuarterPeriodThenFalls) {
    std::vector<uint8_t> tone = render_tone(441, 0.1, 1.0);  // 50 frames a period, 12.5 rising
    for (size_t frame = 1; frame <= 12; ++frame) EXPECT_GT(sample_at(tone, frame), sample_at(tone, frame - 1)) << frame;
    for (size_t frame = 14; frame <= 36; ++frame) EXPECT_LT(sample_at(tone, frame), sample_at(tone, frame - 1)) << frame;
    // Rises through zero come at frames 1, 51, 101, ...; the tone ends just
    // before the last of them, on a sample at or below zero.
    size_t kept = frames_of(tone);
    EXPECT_EQ(kept % 50, 1u);
    EXPECT_LE(sample_at(tone, kept - 1), 0);
}

TEST(RenderTone, SampleIsTheTruncatedPositionTimesTheAmplitude) {
    std::vector<uint8_t> tone = render_tone(1000, 0.01, 0.5);
    double step = 4 * 1000 * 0.01 / (22050 * 0.01);
    // Second frame: one step up; the seventh: past the peak, on the way down.
    EXPECT_EQ(sample_at(tone, 1), static_cast<int16_t>(step * 0.5 * 32767));
    double after_peak = 2 - 6 * step;
    EXPECT_EQ(sample_at(tone, 6), static_cast<int16_t>(after_peak * 0.5 * 32767));
}

TEST(RenderTone, VolumeZeroIsSilentAndKeepsItsFullLength) {
    std::vector<uint8_t> tone = render_tone(440, 0.1, 0.0);
    EXPECT_EQ(frames_of(tone), 2205u);
    for (uint8_t byte : tone) ASSERT_EQ(byte, 0);
}

TEST(RenderTone, FrequencyZeroIsSilenceOfFullLength) {
    std::vector<uint8_t> tone = render_tone(0, 1.0, 1.0);
    EXPECT_EQ(frames_of(tone), 22050u);
    for (uint8_t byte : tone) ASSERT_EQ(byte, 0);
}

TEST(RenderTone, ToneShorterThanAPeriodKeepsOneFrame) {
    EXPECT_EQ(render_tone(100, 0.001, 1.0).size(), 4u);
    // No frame at all still renders one.
    EXPECT_EQ(render_tone(440, 0, 1.0).size(), 4u);
}

TEST(RenderTone, FrequenciesAboveHalfTheRateStayWithinSixteenBits) {
    std::vector<uint8_t> tone = render_tone(32767, 0.05, 1.0);
    EXPECT_GE(tone.size(), 4u);
    EXPECT_EQ(tone.size() % 4, 0u);
}

TEST(SilenceBytes, WholeFramesAndAtLeastOne) {
    EXPECT_EQ(silence_bytes(1.0), 88200);
    EXPECT_EQ(silence_bytes(0.0625), 1378 * 4);  // 1,378.125 frames
    EXPECT_EQ(silence_bytes(0), 4);
    EXPECT_EQ(silence_bytes(-1), 4);
    EXPECT_EQ(silence_bytes(1e12) % 4, 0);
    EXPECT_GT(silence_bytes(1e12), 0);
}
