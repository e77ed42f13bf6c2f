#include <gtest/gtest.h>
#include <thread>
#include "runtime/platform/dialog.h"

#include "runtime/core/end_program.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "support/runtime_child.h"

namespace {

struct StatementTest : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        reset_error_state();
    }
    void TearDown() override {
        reset_runtime_control();
        reset_error_state();
    }
};

}  // namespace

TEST_F(StatementTest, FirstErrorOfAStatementWins) {
    raise_error(5);
    raise_error(6);
    EXPECT_EQ(control.pending_error.load(), 5);
    EXPECT_EQ(control.attention_flag.load(), 1);
}

TEST_F(StatementTest, CodesBelowOneBecomeFive) {
    raise_error(0);
    EXPECT_EQ(control.pending_error.load(), 5);
    control.pending_error = 0;
    raise_error(-7);
    EXPECT_EQ(control.pending_error.load(), 5);
}

TEST_F(StatementTest, StepWithoutErrorClearsTheFlagsAndReturns) {
    control.attention_flag = 1;
    control.retry_flag = 1;
    statement_step(10);
    EXPECT_EQ(control.attention_flag.load(), 0);
    EXPECT_EQ(control.retry_flag.load(), 0);
}

TEST_F(StatementTest, StatementRunsItsBodyOnceWithoutAttention) {
    int runs = 0;
    statement(10, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST_F(StatementTest, LineLabelIsRemembered) {
    line_label(60.0);
    EXPECT_EQ(error_state.last_line_label, 60.0);
}

TEST(ErrorTexts, MessagesByCode) {
    EXPECT_STREQ(error_message(5), "Illegal function call");
    EXPECT_STREQ(error_message(258), "Invalid handle");
    EXPECT_STREQ(error_message(313), "Source and destination memory have been freed");
    EXPECT_STREQ(error_message(15), "Unprintable error");
    EXPECT_STREQ(error_message(11), "Unprintable error");
    EXPECT_STREQ(error_message(0), "Unprintable error");
}

TEST(ErrorTexts, DialogCaptionAndText) {
    char caption[48];
    char text[160];
    error_dialog_texts(5, 312, caption, sizeof caption, text, sizeof text);
    EXPECT_STREQ(caption, "Unhandled Error #5");
    EXPECT_STREQ(text, "Line:312\nIllegal function call\nContinue?");
    error_dialog_texts(301, 40, caption, sizeof caption, text, sizeof text);
    EXPECT_STREQ(caption, "Critical Error #301");
    EXPECT_STREQ(text, "Line:40\nInvalid size");
}

TEST(ErrorTexts, CriticalBoxesOfRaiseError) {
    const char* text = nullptr;
    char caption[32];
    ASSERT_TRUE(critical_error_box(11, &text, caption, sizeof caption));
    EXPECT_STREQ(text, "Division by zero");
    EXPECT_STREQ(caption, "Critical Error");
    ASSERT_TRUE(critical_error_box(257, &text, caption, sizeof caption));
    EXPECT_STREQ(caption, "Critical Error #1");
    ASSERT_TRUE(critical_error_box(502, &text, caption, sizeof caption));
    EXPECT_STREQ(caption, "Critical Error #2");
    ASSERT_TRUE(critical_error_box(518, &text, caption, sizeof caption));
    EXPECT_STREQ(caption, "Critical Error #18");
    EXPECT_STREQ(text, "Out of memory");
    ASSERT_TRUE(critical_error_box(261, &text, caption, sizeof caption));
    EXPECT_STREQ(text, "Sub/Function does not exist in dynamic library");
    EXPECT_FALSE(critical_error_box(5, &text, caption, sizeof caption));
    EXPECT_FALSE(critical_error_box(519, &text, caption, sizeof caption));
    EXPECT_FALSE(critical_error_box(301, &text, caption, sizeof caption));
}

TEST(ErrorDialog, YesContinuesWithTheNextStatement) {
    ChildResult result = run_runtime_child([] {
        answer_next_dialog(SDLK_y);
        statement(312, [] {
            raise_error(5);
            raise_error(6);
            if (!error_pending()) child_report("rest of statement ran");
        });
        statement(313, [] { child_report("continued"); });
        system_exit();
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("caption:Unhandled Error #5"));
    EXPECT_TRUE(result.reported("text:Line:312|Illegal function call|Continue?"));
    EXPECT_FALSE(result.reported("rest of statement ran"));
    EXPECT_TRUE(result.reported("continued"));
}

TEST(ErrorDialog, EnterAnswersYes) {
    ChildResult result = run_runtime_child([] {
        answer_next_dialog(SDLK_RETURN);
        statement(7, [] { raise_error(15); });
        statement(8, [] { child_report("continued"); });
        system_exit();
    });
    EXPECT_TRUE(result.reported("text:Line:7|Unprintable error|Continue?"));
    EXPECT_TRUE(result.reported("continued"));
}

TEST(ErrorDialog, NoAndEscapeEndWithStatusZero) {
    for (SDLKey key : {SDLK_n, SDLK_ESCAPE}) {
        static SDLKey answer;
        answer = key;
        ChildResult result = run_runtime_child([] {
            answer_next_dialog(answer);
            statement(50, [] { raise_error(0); });
            child_report("continued");
            system_exit();
        });
        EXPECT_TRUE(result.exited);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.reported("caption:Unhandled Error #5"));
        EXPECT_FALSE(result.reported("continued"));
    }
}

TEST(ErrorDialog, OtherKeysDoNotAnswer) {
    ChildResult result = run_runtime_child([] {
        std::thread([] {
            while (!dialog_is_open()) SDL_Delay(2);
            push_key(SDLK_a);
            push_key(SDLK_SPACE);
            SDL_Delay(150);
            child_report(dialog_is_open() ? "still open" : "closed");
            push_key(SDLK_n);
        }).detach();
        statement(50, [] { raise_error(5); });
        system_exit();
    });
    EXPECT_TRUE(result.reported("still open"));
    EXPECT_EQ(result.status, 0);
}

TEST(ErrorDialog, CriticalCodeShowsOkBoxWithoutContinueAndEnds) {
    ChildResult result = run_runtime_child([] {
        answer_next_dialog(SDLK_RETURN);
        statement(40, [] { raise_error(301); });
        child_report("continued");
        system_exit();
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("caption:Critical Error #301"));
    EXPECT_TRUE(result.reported("text:Line:40|Invalid size"));
    EXPECT_FALSE(result.reported("continued"));
}

TEST(ErrorDialog, CriticalRaiseShowsItsBoxAtOnce) {
    ChildResult result = run_runtime_child([] {
        answer_next_dialog(SDLK_SPACE);
        statement(40, [] {
            raise_error(507);
            child_report("returned");
        });
        system_exit();
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("caption:Critical Error #7"));
    EXPECT_TRUE(result.reported("text:Out of memory"));
    EXPECT_FALSE(result.reported("returned"));
}

namespace {

// The processor's own division, so that the fault is the hardware's even in
// builds whose sanitizer would catch a division by zero in C++ first.
int hardware_divide(int dividend, int divisor) {
    int quotient;
    asm volatile("cltd\n\tidivl %2" : "=a"(quotient) : "a"(dividend), "r"(divisor) : "edx", "cc");
    return quotient;
}

}  // namespace

TEST(ErrorDialog, IntegerDivisionByZeroShowsErrorElevenAndEnds) {
    ChildResult result = run_runtime_child([] {
        answer_next_dialog(SDLK_RETURN);
        statement(90, [] {
            volatile int zero = 0;
            volatile int quotient = hardware_divide(7, zero);
            child_report("divided " + std::to_string(quotient));
        });
        system_exit();
    });
    EXPECT_TRUE(result.exited) << "signal " << result.signal << " " << result.stderr_text;
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("caption:Critical Error"));
    EXPECT_TRUE(result.reported("text:Division by zero"));
}

TEST(ErrorDialog, WindowCloseWhileTheDialogIsOpenEndsWithZero) {
    ChildResult result = run_runtime_child([] {
        std::thread([] {
            while (!dialog_is_open()) SDL_Delay(2);
            push_quit();
        }).detach();
        statement(50, [] { raise_error(5); });
        child_report("continued");
        system_exit();
    });
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(result.reported("continued"));
}
