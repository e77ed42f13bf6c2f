#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "runtime/core/number_text.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"

namespace {

std::string single(float value) {
    char text[48];
    return std::string(text, static_cast<size_t>(single_text(value, text)));
}

std::string dbl(double value) {
    char text[48];
    return std::string(text, static_cast<size_t>(double_text(value, text)));
}

struct NumberTextTest : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        strings_start();
    }
    void TearDown() override { reset_runtime_control(); }
};

}  // namespace

TEST(SingleText, EveryValueOfTheTable) {
    EXPECT_EQ(single(0.0f), " 0");
    EXPECT_EQ(single(1.0f), " 1");
    EXPECT_EQ(single(-1.0f), "-1");
    EXPECT_EQ(single(100.0f), " 100");
    EXPECT_EQ(single(65536.0f), " 65536");
    EXPECT_EQ(single(1234567.0f), " 1234567");
    EXPECT_EQ(single(9999999.0f), " 9999999");
    EXPECT_EQ(single(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(single(10000000.0f), " 1E+07");
    EXPECT_EQ(single(0.5f), " .5");
    EXPECT_EQ(single(-0.25f), "-.25");
    EXPECT_EQ(single(0.1f), " .1");
    EXPECT_EQ(single(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(single(3.14159265f), " 3.141593");
    EXPECT_EQ(single(0.0000001f), " .0000001");
    EXPECT_EQ(single(0.00001234f), " 1.234E-05");
    EXPECT_EQ(single(0.00000001f), " 1E-08");
    EXPECT_EQ(single(1.5E10f), " 1.5E+10");
}

TEST(SingleText, NegativeZeroIsWrittenAsZero) { EXPECT_EQ(single(-0.0f), " 0"); }

TEST(SingleText, ValuesThatRoundUpToTheNextPowerOfTen) {
    EXPECT_EQ(single(9999999.5f), " 1E+07");  // 10000000 in single precision
    EXPECT_EQ(single(0.99999997f), " .9999999");  // the single below 1
    EXPECT_EQ(single(1.23456789f), " 1.234568");  // the seventh digit rounds up
    EXPECT_EQ(single(-123.456f), "-123.456");
    EXPECT_EQ(single(1e-30f), " 1E-30");
    EXPECT_EQ(single(3.4028235e38f), " 3.402823E+38");
    EXPECT_EQ(single(-1.17549435e-38f), "-1.175494E-38");
}

TEST(SingleText, InfinitiesAndNanKeepTheirExponentText) {
    EXPECT_EQ(single(INFINITY), " INF");
    EXPECT_EQ(single(-INFINITY), "-INF");
    EXPECT_EQ(single(NAN), " NAN");
}

// Every text reads back as a value that, kept to 7 significant digits,
// is the same single.
TEST(SingleText, RandomSinglesReadBackToTheSameSevenDigits) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<uint32_t> bits;
    int checked = 0;
    while (checked < 200000) {
        uint32_t pattern = bits(random);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value)) continue;
        std::string text = single(value);
        ASSERT_TRUE(text[0] == ' ' || text[0] == '-') << text;
        ASSERT_EQ(text.find_first_of("eD"), std::string::npos) << text;
        ASSERT_LE(text.size(), 16u);
        double back = std::strtod(text.c_str(), nullptr);
        char seven_back[32];
        char seven_value[32];
        std::snprintf(seven_back, sizeof seven_back, "%.6E", back);
        std::snprintf(seven_value, sizeof seven_value, "%.6E", static_cast<double>(value));
        if (value == 0) ASSERT_EQ(back, 0.0) << text;
        else ASSERT_STREQ(seven_back, seven_value) << text;
        ++checked;
    }
}

namespace {

// The rules for singles written out with the C library's conversions.
std::string reference_single(float x) {
    char e[32];
    std::snprintf(e, sizeof e, "% .6E", static_cast<double>(x));
    std::string text = e;
    if (text.size() == 13) text.insert(11, "0");
    int count = 7;
    for (int at = 8; at >= 1; --at) {
        if (at == 2) continue;
        if (text[static_cast<size_t>(at)] != '0') break;
        --count;
    }
    if (count == 0) return " 0";
    int exponent = std::atoi(text.c_str() + 11) * (text[10] == '-' ? -1 : 1);
    if (exponent <= 6 && exponent - count >= -8) {
        char f[48];
        std::snprintf(f, sizeof f, "% .*f", std::max(count - exponent - 1, 0), static_cast<double>(x));
        std::string fixed = f;
        if (fixed[1] == '0') fixed.erase(1, 1);
        return fixed;
    }
    std::string result = text.substr(0, count == 1 ? 2 : static_cast<size_t>(count + 2));
    result += text.substr(9, 2);
    result += text.substr(std::abs(exponent) <= 99 ? 12 : 11);
    return result;
}

}  // namespace

TEST(SingleText, AgreesWithTheCLibraryConversions) {
    std::mt19937 random(777);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_real_distribution<float> small(-100000.0f, 100000.0f);
    for (int i = 0; i < 200000; ++i) {
        uint32_t pattern = bits(random);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        if (i % 2) value = small(random);
        if (i % 3 == 0) value = std::round(value);
        if (!std::isfinite(value)) continue;
        ASSERT_EQ(single(value), reference_single(value)) << value;
    }
}

TEST(DoubleText, FormsAndTheExponentLetter) {
    EXPECT_EQ(dbl(0.0), " 0");
    EXPECT_EQ(dbl(-0.0), " 0");
    EXPECT_EQ(dbl(1.0), " 1");
    EXPECT_EQ(dbl(-2.5), "-2.5");
    EXPECT_EQ(dbl(0.1), " .1");
    EXPECT_EQ(dbl(1.0 / 3.0), " .3333333333333333");
    EXPECT_EQ(dbl(1234567890123456.0), " 1234567890123456");
    EXPECT_EQ(dbl(12345678901234567.0), " 1.234567890123457D+16");
    EXPECT_EQ(dbl(1e16), " 1D+16");
    EXPECT_EQ(dbl(1.5e300), " 1.5D+300");
    EXPECT_EQ(dbl(1e-16), " .0000000000000001");
    EXPECT_EQ(dbl(1e-17), " 1D-17");
    EXPECT_EQ(dbl(-1.25e-200), "-1.25D-200");
}

TEST(DoubleText, ASixteenthDigitNineIsDropped) {
    // 0.1 + 0.7 is 0.7999999999999999 in binary floating point.
    EXPECT_EQ(dbl(0.1 + 0.7), " .8");
    EXPECT_EQ(dbl(4.35 * 100), " 435");  // 434.99999999999994
    EXPECT_EQ(dbl(1.0 - 1e-16), " 1");
}

TEST_F(NumberTextTest, IntegersAtTheirDeclaredWidth) {
    EXPECT_EQ(string_text(integer_to_text(static_cast<int8_t>(200))), "-56");
    EXPECT_EQ(string_text(integer_to_text(static_cast<int8_t>(5))), " 5");
    EXPECT_EQ(string_text(integer_to_text(static_cast<uint8_t>(255))), " 255");
    EXPECT_EQ(string_text(integer_to_text(static_cast<int16_t>(-32768))), "-32768");
    EXPECT_EQ(string_text(integer_to_text(static_cast<uint16_t>(65535))), " 65535");
    EXPECT_EQ(string_text(integer_to_text(INT32_MIN)), "-2147483648");
    EXPECT_EQ(string_text(integer_to_text(static_cast<uint32_t>(4294967295u))), " 4294967295");
    EXPECT_EQ(string_text(integer_to_text(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(string_text(integer_to_text(UINT64_MAX)), " 18446744073709551615");
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(NumberTextTest, ResultsAreTemporariesReleasedAtStatementEnd) {
    uint32_t base = current_temp_top();
    size_t used = string_storage.arena_used;
    StringDescriptor* text = single_to_text(42.0f);
    EXPECT_EQ(string_text(text), " 42");
    EXPECT_EQ(text->temporary, 1);
    StringDescriptor* wide = double_to_text(42.0);
    EXPECT_EQ(string_text(wide), " 42");
    release_temporaries(base, 0);
    EXPECT_EQ(current_temp_top(), base);
    EXPECT_EQ(string_storage.arena_used, used);
}

TEST_F(NumberTextTest, PendingErrorGivesAnEmptyText) {
    raise_error(5);
    EXPECT_EQ(single_to_text(42.0f)->length, 0);
    EXPECT_EQ(double_to_text(42.0)->length, 0);
    EXPECT_EQ(integer_to_text(7)->length, 0);
    release_temporaries(1, 0);
}
