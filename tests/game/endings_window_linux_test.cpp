// The two ends of a game as a player sees them, in a real X window read back
// from screenshots: the bank robbery after "q" in the real executable, and
// the ending (started directly, since playing through nine levels would take
// too long) with its 640 x 480 reboot screen and, after Hard, the medal.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "game/ending_routines.h"
#include "game/game_child.h"
#include "game/x_session.h"

namespace {

bool on_menu(const TextScreen& screen) { return screen.shows(9, 15, "A- Play") && screen.shows(17, 15, "F- Exit"); }

const std::string full_row(4, '\333');

// The order in which the parts of a sequence were first seen; -1: never.
struct Sightings {
    std::vector<std::string> names;
    std::vector<int> first;

    explicit Sightings(std::vector<std::string> wanted) : names(std::move(wanted)), first(names.size(), -1) {}

    void saw(size_t part, int shot) {
        if (first[part] < 0) first[part] = shot;
    }

    void expect_all_in_order() const {
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_GE(first[i], 0) << names[i] << " never seen";
            if (i > 0 && first[i] >= 0 && first[i - 1] >= 0) {
                EXPECT_GE(first[i], first[i - 1]) << names[i] << " before " << names[i - 1];
            }
        }
    }
};

}  // namespace

TEST(GameOverWindow, QuitInTheFirstStepShowsTheBankRobberyThenTheScoreThenTheMenu) {
    XSession session;
    if (!session.start_server()) GTEST_SKIP() << "Xvfb cannot start here";
    ASSERT_TRUE(session.start_game(game_executable())) << "no window appeared";
    TextScreen screen;
    ASSERT_TRUE(session.wait_for(screen, on_menu, 20000));
    session.key("1");
    ASSERT_TRUE(session.wait_for(screen, [](const TextScreen& s) { return s.shows(10, 32, "Level 1"); }, 4000));
    session.key("q");

    enum Part : size_t { bank, villain, burst, money, game_over, menu };
    Sightings seen({"bank", "villain walking", "explosion", "money", "GAME OVER and score", "menu"});
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    for (int shot = 0; std::chrono::steady_clock::now() < deadline && seen.first[menu] < 0; ++shot) {
        if (!session.screenshot(screen)) continue;
        bool bank_standing = screen.shows(4, 1, "BANK") && screen.text(5, 1, 4) == full_row && screen.text(15, 1, 40) == std::string(40, '\337');
        if (bank_standing) seen.saw(bank, shot);
        for (int col = 4; col <= 39; ++col) {
            const TextCell& cell = screen.cells[14][col];
            if (bank_standing && cell.code == 2 && cell.color == 8) seen.saw(villain, shot);
            if (cell.code == '$' && cell.color == 44) seen.saw(money, shot);
        }
        if (screen.cells[14][1].code == '*') seen.saw(burst, shot);
        if (screen.shows(5, 15, "GAME OVER") && screen.shows(7, 12, "SCORE :  0 ")) {
            seen.saw(game_over, shot);
            EXPECT_EQ(screen.cells[7][12].color, 53);
        }
        if (on_menu(screen)) seen.saw(menu, shot);
    }
    seen.expect_all_in_order();
    session.key("f");
    EXPECT_EQ(session.wait_exit(), 0);
}

namespace {

// A screenshot of the 640 x 480 mode as its 80 x 30 text, 8 x 16 glyphs.
std::vector<std::string> text_of_screen12(const std::string& ppm) {
    int width = 0, height = 0, maxval = 0, consumed = 0;
    if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maxval, &consumed) != 3 || width != 640 || height != 480) return {};
    size_t base = static_cast<size_t>(consumed) + 1;
    if (ppm.size() < base + 640u * 480u * 3u) return {};
    std::vector<std::string> rows(31, std::string(81, ' '));
    for (int row = 1; row <= 30; ++row) {
        for (int col = 1; col <= 80; ++col) {
            uint8_t pattern[16] = {};
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 8; ++x) {
                    size_t px = base + 3 * (static_cast<size_t>((row - 1) * 16 + y) * 640 + static_cast<size_t>((col - 1) * 8 + x));
                    if (ppm[px] != 0 || ppm[px + 1] != 0 || ppm[px + 2] != 0) pattern[y] |= static_cast<uint8_t>(0x80 >> x);
                }
            for (int code = 1; code < 255; ++code)
                if (std::equal(pattern, pattern + 16, packed_font8x16 + code * 16)) {
                    rows[static_cast<size_t>(row)][static_cast<size_t>(col)] = static_cast<char>(code);
                    break;
                }
        }
    }
    return rows;
}

bool row_starts(const std::vector<std::string>& rows, int row, const std::string& wanted) {
    return rows.size() > static_cast<size_t>(row) && rows[static_cast<size_t>(row)].compare(1, wanted.size(), wanted) == 0;
}

// Screenshots in a process of its own (forking a runtime child while a
// thread of this process runs popen could leave the child holding a lock):
// each first sighting goes to out_fd as one "part shot" line.
[[noreturn]] void observe_ending(const XSession& session, int out_fd) {
    std::vector<bool> reported(6, false);
    auto saw = [&](size_t part, int shot) {
        if (reported[part]) return;
        reported[part] = true;
        std::string line = std::to_string(part) + " " + std::to_string(shot) + "\n";
        if (write(out_fd, line.data(), line.size()) < 0) _exit(1);
    };
    std::string window;
    for (int shot = 0;; ++shot) {
        if (window.empty()) {
            std::string id = session.xdotool("search --name Untitled");
            window = id.substr(0, id.find('\n'));
            if (window.empty()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
        }
        std::string ppm = session.capture(window);
        std::vector<std::string> rows = text_of_screen12(ppm);
        if (row_starts(rows, 1, " System clear ... Virus stoped ... ") && row_starts(rows, 2, " Reboot DU-VOV V 99.9")) saw(0, shot);
        if (row_starts(rows, 13, " Security system is : ON") && row_starts(rows, 11, " Processor : Pentium 555 MHz ")) saw(1, shot);
        TextScreen screen;
        if (!decode_screen(ppm, screen) || screen.width != 320) continue;
        if (screen.shows(3, 8, "KRAXO has been captured !!!") && screen.cells[10][22].code == 1) saw(2, shot);
        if (screen.shows(8, 15, "THE END")) saw(3, shot);
        if (screen.shows(8, 15, "THE END ?") && screen.shows(22, 12, "SCORE :  50 ")) {
            saw(4, shot);
            // scripts/screenshots.sh takes the README's picture of the ending from here.
            if (const char* folder = std::getenv("TZ_SCREENSHOT_DIR")) {
                if (FILE* file = std::fopen((std::string(folder) + "/ending.ppm").c_str(), "wb")) {
                    std::fwrite(ppm.data(), 1, ppm.size(), file);
                    std::fclose(file);
                }
            }
        }
        if (screen.shows(3, 15, "TOMMY-ZAPPO") && screen.cells[5][17].code == 5 && screen.cells[6][17].code == 15) saw(5, shot);
    }
}

}  // namespace

TEST(EndingWindow, RebootTextIn640x480ThenCaptureTheEndAndTheMedalOnTheTitle) {
    XSession session;
    if (!session.start_server()) GTEST_SKIP() << "Xvfb cannot start here";
    Sightings seen({"reboot text in 640 x 480", "security line", "capture", "THE END", "THE END ? and score", "medal on the title"});
    // Close-on-exec: the screenshot commands the observer starts must not
    // hold the pipe open after it has gone.
    int sightings[2];
    ASSERT_EQ(pipe2(sightings, O_CLOEXEC), 0);
    pid_t observer = fork();
    ASSERT_GE(observer, 0);
    if (observer == 0) {
        setpgid(0, 0);
        close(sightings[0]);
        observe_ending(session, sightings[1]);
    }
    setpgid(observer, observer);
    close(sightings[1]);
    ChildOptions options;
    options.timeout_ms = 120000;
    options.environment = {{"DISPLAY", session.display()}, {"SDL_VIDEODRIVER", "x11"}};
    // A busy machine sometimes refuses the first connection to a fresh
    // server: SDL then cannot start (status 100) and the child runs again.
    ChildResult result;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        result = run_runtime_child(hard_ending_then_title, options);
        if (!(result.exited && result.status == 100)) break;
    }
    kill(-observer, SIGKILL);  // with the screenshot commands it may be running
    waitpid(observer, nullptr, 0);
    std::string lines;
    char buffer[256];
    ssize_t got;
    while ((got = read(sightings[0], buffer, sizeof buffer)) > 0) lines.append(buffer, static_cast<size_t>(got));
    close(sightings[0]);
    size_t part = 0;
    int shot = 0, used = 0;
    for (const char* at = lines.c_str(); std::sscanf(at, "%zu %d\n%n", &part, &shot, &used) == 2; at += used)
        if (part < seen.names.size()) seen.saw(part, shot);

    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "ending_to_title"), 1);
    EXPECT_EQ(reported_value(result, "medal_won"), 1);
    seen.expect_all_in_order();
}
