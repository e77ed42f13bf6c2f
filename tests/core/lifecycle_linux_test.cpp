#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "runtime/core/command_line.h"
#include "runtime/core/emulated_memory.h"
#include "runtime/core/end_program.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/threads.h"
#include "runtime/core/timer.h"
#include "runtime/platform/system.h"
#include "runtime/platform/window_art.h"
#include "support/runtime_child.h"

namespace {

void wait_forever_in_statements() {
    for (;;) statement(20, [] { SDL_Delay(5); });
}

}  // namespace

TEST(Lifecycle, SystemEndsWithStatusZero) {
    ChildResult result = run_runtime_child([] {
        statement(10, [] { child_report("started"); });
        statement(20, [] { system_exit(); });
    });
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("started"));
}

TEST(Lifecycle, RoutineThatReturnsEndsWithStatusZero) {
    ChildResult result = run_runtime_child([] {});
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
}

TEST(Lifecycle, WindowCloseEndsWithStatusZeroWhileRunningAndWhilePaused) {
    ChildResult running = run_runtime_child([] {
        statement(10, [] { push_quit(); });
        wait_forever_in_statements();
    });
    EXPECT_TRUE(running.exited);
    EXPECT_EQ(running.status, 0);

    ChildResult paused = run_runtime_child([] {
        statement(10, [] {
            set_suspend_bit(suspend_paused);
            control.attention_flag = 1;
            push_quit();
        });
        child_report("not held");
        system_exit();
    });
    EXPECT_TRUE(paused.exited);
    EXPECT_EQ(paused.status, 0);
    EXPECT_FALSE(paused.reported("not held"));
}

TEST(Lifecycle, WindowCloseIsOnlyRecordedWithExitHandling) {
    ChildResult result = run_runtime_child([] {
        statement(10, [] {
            control.exit_handling_enabled = 1;
            push_quit();
        });
        while (control.exit_request_bits.load() == 0) statement(20, [] { SDL_Delay(5); });
        child_report("close recorded");
        system_exit();
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("close recorded"));
}

TEST(Lifecycle, SdlThatCannotStartGivesStatus100) {
    ChildOptions options;
    options.environment = {{"SDL_VIDEODRIVER", "no-such-driver"}};
    ChildResult result = run_runtime_child([] { child_report("ran"); }, options);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 100);
    EXPECT_EQ(result.stderr_text.rfind("Unable to init SDL: ", 0), 0u) << result.stderr_text;
    EXPECT_FALSE(result.reported("ran"));
}

TEST(Lifecycle, CommandLineJoinsArgumentsWithSingleSpaces) {
    ChildOptions options;
    options.args = {"one", "two  words", "three"};
    ChildResult result = run_runtime_child([] { child_report("[" + command_line_text + "]"); }, options);
    EXPECT_TRUE(result.reported("[one two  words three]"));

    ChildResult empty = run_runtime_child([] { child_report("[" + command_line_text + "]"); });
    EXPECT_TRUE(empty.reported("[]"));
}

TEST(Lifecycle, WorkingDirectoryIsTheExecutablesDirectory) {
    char here[PATH_MAX];
    ASSERT_EQ(chdir("/"), 0);
    std::string expected = executable_directory();
    ChildResult result = run_runtime_child([] {
        char cwd[PATH_MAX];
        child_report(std::string("cwd:") + (getcwd(cwd, sizeof cwd) ? cwd : "?"));
    });
    EXPECT_TRUE(result.reported("cwd:" + expected));
    (void)here;
}

TEST(Lifecycle, DirectoryOfCutsAtTheLastSeparator) {
    EXPECT_EQ(directory_of("/usr/games/tommy-zappo"), "/usr/games");
    EXPECT_EQ(directory_of("C:\\GAMES\\TZ.EXE"), "C:\\GAMES");
    EXPECT_EQ(directory_of("C:TZ.EXE"), "C:");
    EXPECT_EQ(directory_of("tz"), "");
}

TEST(Lifecycle, BiosTickCountFollowsTheTimeOfDayAndWrapsAtMidnight) {
    EXPECT_EQ(bios_ticks_at(1000, 1000, 0), 0u);
    EXPECT_EQ(bios_ticks_at(1000, 1000, 86399999), 1572479u);
    EXPECT_EQ(bios_ticks_at(1001, 1000, 86399999), 0u);
    EXPECT_EQ(bios_ticks_at(6000, 1000, 0), 91u);  // 5 s: 5000 x 0.0182
    // SDL's millisecond counter wrapping around 2^32 does not disturb the count.
    EXPECT_EQ(bios_ticks_at(999, 0xFFFFFFFFu - 1000, 0), 36u);
}

TEST(Lifecycle, MainLoopKeepsTheBiosTickCountCurrent) {
    ChildResult result = run_runtime_child([] {
        uint32_t expected = bios_ticks_at(SDL_GetTicks(), control.ticks_base, control.ms_of_day_base);
        SDL_Delay(100);
        uint32_t seen = read_bios_tick_count();
        child_report(seen >= expected && seen <= expected + 3 ? "tick ok" : "tick off");
        child_report(control.ms_of_day_base % 1000 == 0 ? "whole second" : "not whole");
    });
    EXPECT_TRUE(result.reported("tick ok"));
    EXPECT_TRUE(result.reported("whole second"));
}

namespace {
pid_t program_tid = 0;
}

TEST(Lifecycle, ProgramThreadIsGoneAfterShutdown) {
    ChildResult result = run_runtime_child([] {
        program_tid = static_cast<pid_t>(syscall(SYS_gettid));
        std::atexit([] {
            std::string path = "/proc/self/task/" + std::to_string(program_tid);
            child_report(std::filesystem::exists(path) ? "program thread alive" : "program thread gone");
        });
        statement(10, [] { push_quit(); });
        wait_forever_in_statements();
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("program thread gone"));
}

// Every way out leaves the program routine from deep inside its statements:
// the stack unwinds (a local's destructor reports it) and the thread function
// returns, so the wait for the thread ends on either SDL 1.2 library.
struct UnwindWitness {
    ~UnwindWitness() { child_report("unwound"); }
};

struct WayOut {
    const char* name;
    ProgramRoutine routine;
};

const WayOut ways_out[] = {
    {"system", [] { statement(10, [] { system_exit(); }); }},
    {"routine returns", [] {}},
    {"window closed", [] {
         statement(10, [] { push_quit(); });
         wait_forever_in_statements();
     }},
    {"stop request", [] {
         statement(10, [] { control.stop_request = 1; });
         wait_forever_in_statements();
     }},
    {"end and a key", [] {
         std::thread([] {
             SDL_Delay(300);
             push_key(SDLK_x, 'x');
         }).detach();
         statement(10, [] { end_program(); });
     }},
    {"error dialog no", [] {
         answer_next_dialog(SDLK_n);
         statement(10, [] { raise_error(5); });
         wait_forever_in_statements();
     }},
    {"critical box", [] {
         answer_next_dialog(SDLK_RETURN);
         statement(10, [] { raise_error(257); });
     }},
};

TEST(Lifecycle, EveryWayOutUnwindsTheProgramThreadAndEndsWithStatusZero) {
    for (const WayOut& way : ways_out) {
        SCOPED_TRACE(way.name);
        static ProgramRoutine inner;
        inner = way.routine;
        ChildResult result = run_runtime_child([] {
            UnwindWitness witness;
            inner();
        });
        EXPECT_TRUE(result.exited);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.reported("unwound"));
    }
}

// An unwinder that cannot walk the stack must not hang the close: the thread
// lands in its thread function all the same (no destructors run) and the
// process still ends with status 0.
TEST(Lifecycle, FailedUnwindStillEndsTheProgramThreadWithStatusZero) {
    for (const WayOut& way : {ways_out[0], ways_out[2]}) {
        SCOPED_TRACE(way.name);
        static ProgramRoutine inner;
        inner = way.routine;
        ChildOptions options;
        options.timeout_ms = 10000;
        ChildResult result = run_runtime_child(
            [] {
                program_thread_end.unwind_fails = true;
                UnwindWitness witness;
                inner();
            },
            options);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.status, 0);
        EXPECT_FALSE(result.reported("unwound"));
    }
}

TEST(Lifecycle, StopRequestLeadsToShutdownAndStatusZero) {
    ChildResult result = run_runtime_child([] {
        statement(10, [] { control.stop_request = 1; });
        wait_forever_in_statements();
    });
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
}

TEST(WindowArt, IconIsAValid8BitBmpOf32By32) {
    const std::vector<uint8_t>& bmp = window_icon_bmp();
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    ASSERT_EQ(SDL_Init(0), 0);
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bmp.data(), static_cast<int>(bmp.size())), 1);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->w, 32);
    EXPECT_EQ(icon->h, 32);
    EXPECT_EQ(icon->format->BitsPerPixel, 8);
    SDL_FreeSurface(icon);
    SDL_Quit();
}

TEST(WindowArt, PointerRowsFollowTheTable) {
    uint8_t data[128];
    uint8_t mask[128];
    cursor_bits(data, mask);
    // Row 0: one black pixel. Row 2: black, white, black.
    EXPECT_EQ(data[0], 0x80);
    EXPECT_EQ(mask[0], 0x80);
    EXPECT_EQ(data[8], 0xA0);
    EXPECT_EQ(mask[8], 0xE0);
    // Row 11: X......XXXXX spans twelve columns, into the second byte.
    EXPECT_EQ(data[44], 0x81);
    EXPECT_EQ(data[45], 0xF0);
    EXPECT_EQ(mask[44], 0xFF);
    EXPECT_EQ(mask[45], 0xF0);
    // Row 14: X.X--X..X: the two dashes are transparent.
    EXPECT_EQ(mask[56], 0xE7);
    EXPECT_EQ(mask[57], 0x80);
    // Rows 20-31 are transparent.
    for (int i = 80; i < 128; ++i) EXPECT_EQ(mask[i], 0) << i;
}
