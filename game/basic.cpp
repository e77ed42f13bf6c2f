#include "game/basic.h"

#include <cstring>

#include "runtime/core/number_text.h"
#include "runtime/core/rounding.h"
#include "runtime/core/strings.h"
#include "runtime/core/timer.h"
#include "runtime/input/joystick.h"
#include "runtime/input/key_buffer.h"
#include "runtime/screen/flood_fill.h"
#include "runtime/screen/present.h"
#include "runtime/screen/read_back.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"
#include "runtime/sound/play.h"

namespace {

int32_t whole(double value) { return round_to_int32(value); }

// Passed masks of the runtime operations: bit n for argument n.
constexpr int32_t first_argument = 1;
constexpr int32_t second_argument = 2;
constexpr int32_t row_and_column = 3;

}  // namespace

StringDescriptor* text(const char* literal) { return temp_literal(literal, static_cast<int32_t>(std::strlen(literal))); }

StringDescriptor* text_bytes(const uint8_t* bytes, int length) { return temp_literal(reinterpret_cast<const char*>(bytes), length); }

StringDescriptor* chr(float code) { return chr_string(whole(code)); }

StringDescriptor* string_of(float count, float code) { return repeat_char_string(whole(count), whole(code)); }

StringDescriptor* number_text(float value) { return concat_strings(single_to_text(value), temp_cstring(" ")); }

StringDescriptor* join(StringDescriptor* left, StringDescriptor* right) { return concat_strings(left, right); }

bool same_text(StringDescriptor* left, StringDescriptor* right) { return string_equal(left, right) != 0; }

double timer() { return timer_value(0, false); }

float rnd() { return rnd_value(0, false); }

float screen_char(float row, float col) { return static_cast<float>(character_at(whole(row), whole(col), 0, 0)); }

float stick(float n) { return static_cast<float>(stick(whole(n), 0, false)); }

float strig(float n) { return static_cast<float>(strig(whole(n), 0, false)); }

void screen_mode(float mode) { set_screen_mode(whole(mode), 0, 0, 0, 0, first_argument); }

void cls() { cls_statement(0, 0, 0); }

void color(float fg) { color_statement(whole(fg), 0, 0, first_argument); }

void locate(float row, float col) { locate_statement(whole(row), whole(col), 0, 0, 0, row_and_column); }

void locate_row(float row) { locate_statement(whole(row), 0, 0, 0, 0, first_argument); }

// A PRINT list: every item gets its fit check (it moves to a fresh line when
// it would not fit on the rest of this one) and is printed from a work
// string, then the line ends unless the list ended with a semicolon.
void print(std::initializer_list<StringDescriptor*> items, bool newline) {
    for (StringDescriptor* item : items) {
        StringDescriptor* work = new_string(0, false);
        assign_string(work, item);
        print_fit_check(work);
        print_string(work, 0);
        free_string(work);
    }
    if (newline) print_string(temp_cstring(""), 1);
}

void paint(float x, float y, float fill) { paint_fill(x, y, static_cast<uint32_t>(whole(fill)), 0, 0, second_argument); }

void play(StringDescriptor* tune) { play_bytes(string_text(tune)); }

void play(const char* tune) { play_bytes(tune); }

void fullscreen_switch(int how) { set_fullscreen(how); }

void let_text(StringDescriptor* variable, StringDescriptor* value) { assign_string(variable, value); }

StringDescriptor* new_text_variable() { return new_string(0, false); }

void read_key(StringDescriptor* variable) { assign_string(variable, inkey()); }
