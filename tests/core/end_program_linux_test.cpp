#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/end_program.h"
#include "runtime/core/statement.h"
#include "runtime/input/key_buffer.h"
#include "runtime/screen/screen_image.h"
#include "support/runtime_child.h"

namespace {

// The characters of one row of the start-up text screen (80 x 25 cells of
// character and attribute at 0xB8000).
std::string text_row(int row) {
    std::string text;
    for (int column = 0; column < 80; ++column) text += static_cast<char>(emulated_memory[text_pages_offset + ((row - 1) * 80 + column) * 2]);
    return text;
}

std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Waits until END has taken the keys typed before it, which it does only
// after it has printed its prompt: the ring's head, published by the program
// thread, orders the prompt's bytes before this thread's reads of them.
void wait_for_prompt() {
    for (int i = 0; i < 400 && keyboard_buffer_count() != 0; ++i) SDL_Delay(5);
}

// In the child, before END: types keys and waits until they are in the ring.
void type_keys_before_end() {
    statement(10, [] {
        push_key(SDLK_a, 'a');
        push_key(SDLK_b, 'b');
    });
    while (keyboard_buffer_count() < 2) statement(20, [] { SDL_Delay(5); });
}

}  // namespace

TEST(End, PromptsOnTheBottomRowDiscardsTypedKeysAndEndsOnTheNextOne) {
    ChildResult result = run_runtime_child([] {
        type_keys_before_end();
        std::thread([] {
            wait_for_prompt();
            child_report(keyboard_buffer_count() == 0 ? "typed keys discarded" : "typed keys kept");
            child_report("row 25:" + trimmed(text_row(25)));
            SDL_Delay(300);
            child_report("pressing a key");
            push_key(SDLK_x, 'x');
        }).detach();
        end_program();
    });
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("row 25:Press any key to continue"));
    EXPECT_TRUE(result.reported("typed keys discarded"));
    EXPECT_TRUE(result.reported("pressing a key")) << "END ended before its key";
}

TEST(End, WindowCloseWhileEndWaitsEndsAtOnceWithZero) {
    ChildResult result = run_runtime_child([] {
        type_keys_before_end();
        std::thread([] {
            wait_for_prompt();
            if (trimmed(text_row(25)) == "Press any key to continue") child_report("prompt shown");
            push_quit();
        }).detach();
        end_program();
    });
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("prompt shown"));
}

TEST(End, WindowCloseWhileRunningEndsWithoutThePrompt) {
    ChildResult result = run_runtime_child([] {
        statement(10, [] { push_quit(); });
        for (;;) statement(20, [] { SDL_Delay(5); });
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.stderr_text, "");
}
