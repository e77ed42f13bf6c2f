// The statements and functions of the language that the game uses, each over
// the runtime operation that implements it. Numbers arrive as the game's
// floats and are rounded to nearest (ties to even) where the runtime wants an
// integer. Text values are the runtime's dynamic strings; the ones made here
// are temporaries, released at the end of the statement that made them, so
// every call below belongs inside a statement().
//
// Called on the program thread only.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/core/statement.h"

struct StringDescriptor;

// Expressions.
StringDescriptor* text(const char* literal);                   // "literal"
StringDescriptor* text_bytes(const uint8_t* bytes, int length);  // the same over code page 437 bytes
StringDescriptor* chr(float code);                             // CHR$(code)
StringDescriptor* string_of(float count, float code);          // STRING$(count, code)
StringDescriptor* number_text(float value);                    // what PRINT shows for a number: STR$ and a blank
StringDescriptor* join(StringDescriptor* left, StringDescriptor* right);  // left + right
bool same_text(StringDescriptor* left, StringDescriptor* right);          // left = right
double timer();                                                // TIMER
float rnd();                                                   // RND
float screen_char(float row, float col);                       // SCREEN(row, col)
float stick(float n);                                          // STICK(n)
float strig(float n);                                          // STRIG(n)

// Statements.
void screen_mode(float mode);          // SCREEN mode
void cls();                            // CLS
void color(float fg);                  // COLOR fg
void locate(float row, float col);     // LOCATE row, col
void locate_row(float row);            // LOCATE row
void print(std::initializer_list<StringDescriptor*> items, bool newline = true);  // PRINT a; b; ...
void paint(float x, float y, float fill);  // PAINT (x, y), fill
void play(StringDescriptor* tune);     // PLAY tune
void play(const char* tune);
void fullscreen_switch(int how);       // the full-screen switch: 1 windowed, 2 full screen
void let_text(StringDescriptor* variable, StringDescriptor* value);  // variable$ = value
StringDescriptor* new_text_variable();  // a string variable, empty
void read_key(StringDescriptor* variable);  // variable$ = INKEY$

// The IF of the language: the condition evaluated as one statement (its
// temporaries released, the statement step taken); a pending run-time error
// makes it count as true, so that the step sees the error at once.
template <class Test>
bool condition(int line, Test&& test) {
    bool result = false;
    statement(line, [&] { result = test() || error_pending(); });
    return result;
}
