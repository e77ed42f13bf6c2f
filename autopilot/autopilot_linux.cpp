// The autopilot: plays the real tommy-zappo in a window of an Xvfb of its
// own, as a person would. It reads the window, decides a move and types it
// with xdotool, level after level, and writes a line per level: steps, lives
// lost, time left and score. When it fails it keeps the last screenshot.
//
//   autopilot --levels 1-3 [--difficulty easy] [--lives 9]
//       a game from the menu until level 4 shows, then exits the game
//   autopilot --whole-game [--difficulty easy|normal|hard] [--lives 9]
//       a whole game: the nine levels, the ending and the title again
//   autopilot --practice N   one level chosen with its digit in the menu
//
// Further options: --log FILE (also appended to), --failure-shot FILE
// (default autopilot-failure.ppm in the build folder, never the working
// directory, which may be the source tree), --game PATH (default: the tommy-zappo
// beside the test programs), --shots DIR (PPM screenshots of the title,
// level 1 and the ending, for the README).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

extern "C" {
#include <xdo.h>
}

#include "board.h"
#include "medal_frames.h"
#include "planner.h"
#include "tuning.h"
#include "window_reader_linux.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    enum class Run { levels, whole_game, practice } run = Run::levels;
    int first_level = 1, last_level = 3;
    std::string difficulty = "easy";
    int lives = 9;
    std::string log_path;
    std::string failure_shot;
    std::string game;
    std::string shots_dir;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--levels") {
            std::string range = value();
            if (std::sscanf(range.c_str(), "%d-%d", &options.first_level, &options.last_level) != 2) return false;
            options.run = Options::Run::levels;
        } else if (arg == "--whole-game") {
            options.run = Options::Run::whole_game;
            options.first_level = 1;
            options.last_level = 9;
        } else if (arg == "--practice") {
            options.run = Options::Run::practice;
            options.first_level = options.last_level = std::atoi(value().c_str());
        } else if (arg == "--difficulty") {
            options.difficulty = value();
        } else if (arg == "--lives") {
            options.lives = std::atoi(value().c_str());
        } else if (arg == "--log") {
            options.log_path = value();
        } else if (arg == "--failure-shot") {
            options.failure_shot = value();
        } else if (arg == "--game") {
            options.game = value();
        } else if (arg == "--shots") {
            options.shots_dir = value();
        } else {
            return false;
        }
    }
    bool levels_ok = options.first_level >= 1 && options.last_level <= 9 && options.first_level <= options.last_level;
    bool settings_ok = (options.lives == 3 || options.lives == 5 || options.lives == 9) &&
                       (options.difficulty == "easy" || options.difficulty == "normal" || options.difficulty == "hard");
    bool start_ok = options.run != Options::Run::levels || options.first_level == 1;  // a game starts at level 1
    return levels_ok && settings_ok && start_ok;
}

class Log {
public:
    explicit Log(const std::string& path) {
        if (!path.empty()) file_.open(path, std::ios::app);
    }
    void line(const std::string& text) {
        std::cout << text << std::endl;
        if (file_) file_ << text << std::endl;
    }

private:
    std::ofstream file_;
};

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool on_menu(const TextScreen& screen) { return screen.shows(9, 15, "A- Play") && screen.shows(17, 15, "F- Exit"); }

int level_shown(const TextScreen& screen) {
    if (!screen.shows(10, 32, "Level ")) return 0;
    int digit = screen.cells[10][38].code - '0';
    return digit >= 1 && digit <= 9 ? digit : 0;
}

int count_code(const TextScreen& screen, int row, int col, int code) {
    int count = 0;
    while (col <= 40 && screen.cells[row][col].code == code) ++count, ++col;
    return count;
}

// The number printed at a status cell (" 42 " or "-3 "), if any.
std::optional<int> number_at(const TextScreen& screen, int row, int col) {
    std::string text = screen.text(row, col, 40 - col + 1);
    int value;
    if (std::sscanf(text.c_str(), "%d", &value) == 1) return value;
    return std::nullopt;
}

// The maze as the planner sees it, one letter a cell, for the log of a lost life.
std::string board_picture(const Board& board, const Sighting& seen) {
    std::string out;
    for (int row = 1; row <= 23; ++row) {
        for (int col = 1; col <= 31; ++col) {
            Cell cell{row, col};
            uint8_t code = board.at(cell);
            char c = code == blank_code ? ' ' : code == trap_code ? 'x' : code == bomb_code ? 'B' : code == fog_code ? ','
                   : code >= lowest_blocking_code ? '#' : code == door_code ? '+' : code == star_key_code || code == pound_key_code ? 'k'
                   : code < 127 && code >= 32 ? static_cast<char>(code) : '?';
            for (Cell chaser : seen.chasers)
                if (chaser == cell) c = 'E';
            if (seen.patroller_seen && seen.patroller == cell) c = 'P';
            if (seen.hero_seen && seen.hero == cell) c = '@';
            out += c;
        }
        out += '\n';
    }
    return out;
}

// The codes and colours of the four cells around the hero, for the log of a lost life.
std::string surroundings(const Board& board, Cell hero) {
    std::string out;
    for (const char* name : {"up", "down", "left", "right"}) {
        const Move move = name[0] == 'u' ? Move::up : name[0] == 'd' ? Move::down : name[0] == 'l' ? Move::left : Move::right;
        out += std::string(" ") + name + " " + std::to_string(board.at(step(hero, move))) + "/" + std::to_string(board.color_at(step(hero, move)));
    }
    return out;
}

std::string cells_text(const std::vector<Cell>& cells) {
    std::string out;
    for (Cell cell : cells) out += " " + std::to_string(cell.row) + "," + std::to_string(cell.col);
    return out;
}

class Pilot {
public:
    Pilot(XSession& session, WindowReader& reader, const Options& options, Log& log)
        : session_(session), reader_(reader), options_(options), log_(log) {}

    bool capture() {
        for (int attempt = 0; attempt < tuning::read_tries; ++attempt) {
            if (reader_.read(screen_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(tuning::read_retry_ms));
        }
        return false;
    }

    // xdotool's library in the process: a key in well under a millisecond,
    // where starting the xdotool program takes longer than a game step.
    void type(const std::string& key) {
        if (!xdo_) xdo_ = xdo_new(session_.display().c_str());
        if (xdo_) xdo_send_keysequence_window(xdo_, CURRENTWINDOW, key.c_str(), 0);
        else session_.xdotool("key --delay 0 " + key);
    }
    ~Pilot() {
        if (xdo_) xdo_free(xdo_);
    }

    bool wait_for(const std::function<bool(const TextScreen&)>& wanted, double seconds) {
        auto start = Clock::now();
        while (seconds_since(start) < seconds) {
            if (capture() && wanted(screen_)) return true;
            if (!game_running()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(tuning::wait_poll_ms));
        }
        return false;
    }

    bool game_running() { return session_.game_running(); }

    // Sets lives and difficulty from the menu's own lines.
    bool set_up_menu() {
        if (!wait_for(on_menu, tuning::screen_wait_s)) return fail("the menu did not appear");
        save_shot("title");
        const std::string lives_line = "B- Lifes: " + std::to_string(options_.lives) + " ";
        for (int i = 0; i < 4 && !screen_.shows(11, 15, lives_line); ++i) {
            // Without a window manager nothing keeps the focus on the game's
            // window: a server that has just started may not have given it yet.
            if (i > 0) session_.xdotool("windowfocus --sync " + session_.window());
            type("b");
            wait_for([&](const TextScreen& s) { return s.shows(11, 15, lives_line); }, 5);
        }
        if (!screen_.shows(11, 15, lives_line)) return fail("the menu does not take the lives");
        std::string wanted = options_.difficulty == "easy" ? "D- Difficulty: Easy" : options_.difficulty == "hard" ? "D- Difficulty: Hard" : "D- Difficulty: Normal";
        for (int i = 0; i < 4 && !screen_.shows(13, 15, wanted); ++i) {
            type("d");
            wait_for([&](const TextScreen& s) { return s.shows(13, 15, wanted); }, 5);
        }
        if (!screen_.shows(13, 15, wanted)) return fail("the menu does not take the difficulty");
        return true;
    }

    bool run() {
        if (!set_up_menu()) return false;
        type(options_.run == Options::Run::practice ? std::to_string(options_.first_level) : "a");
        auto run_start = Clock::now();
        for (int level = options_.first_level; level <= options_.last_level; ++level) {
            if (!play_level(level)) return false;
        }
        if (options_.run == Options::Run::levels) {
            // The next level is on the screen; the run ends here.
            log_.line("levels " + std::to_string(options_.first_level) + "-" + std::to_string(options_.last_level) +
                      " won in " + format_seconds(seconds_since(run_start)) + ", lives lost " + std::to_string(lives_lost_total_));
            // F is typed once the next level plays, and once only: a game
            // that does not take it fails the run.
            int next = options_.last_level + 1;
            if (next <= level_count) wait_for([&](const TextScreen& s) { return level_shown(s) == next; }, tuning::screen_wait_s);
            type("f");
            return true;
        }
        if (options_.run == Options::Run::whole_game) {
            if (!wait_for([](const TextScreen& s) { return s.shows(8, 15, "THE END"); }, tuning::screen_wait_s)) return fail("no ending");
            save_shot("ending");
            log_.line("ending shown, final score " + std::to_string(last_score_));
        }
        const bool medal_earned = options_.difficulty == "hard" && options_.run == Options::Run::whole_game;
        if (medal_earned && !medal_screen_shown()) return false;
        if (!wait_for(on_menu, tuning::title_wait_s)) return fail("the title did not come back");
        if (medal_earned) {
            const int differing = title_with_medal(options_.lives).differing_pixels(reader_.last_ppm());
            if (differing != 0) return fail("the title with the medal differs from its picture in " + std::to_string(differing) + " pixels");
            log_.line("title with the medal as its picture, pixel for pixel");
        }
        log_.line("run won in " + format_seconds(seconds_since(run_start)) + ", lives lost " + std::to_string(lives_lost_total_) +
                  ", untyped moves " + std::to_string(untyped_moves_));
        type("f");
        return true;
    }

    // The medal screen, watched until it gives way to the title: "BRAVO"
    // must have been seen in one of its colours, and the screen must end
    // as its picture without it, pixel for pixel.
    bool medal_screen_shown() {
        if (!wait_for([](const TextScreen& s) { return s.shows(1, 1, "Congratulation!"); }, tuning::screen_wait_s)) return fail("no medal screen");
        bool bravo = false;
        int differing = -1;
        for (auto start = Clock::now(); seconds_since(start) < tuning::screen_wait_s && capture() && screen_.shows(1, 1, "Congratulation!");) {
            const std::string& shot = reader_.last_ppm();
            bravo = bravo || medal_screen(44).differing_pixels(shot) == 0 || medal_screen(42).differing_pixels(shot) == 0;
            differing = medal_screen(0).differing_pixels(shot);
            std::this_thread::sleep_for(std::chrono::milliseconds(tuning::idle_look_ms));
        }
        if (!bravo) return fail("the medal screen never showed as its picture with BRAVO");
        if (differing != 0) return fail("the medal screen ended " + std::to_string(differing) + " pixels away from its picture");
        log_.line("medal screen as its picture, pixel for pixel");
        return true;
    }

    // A level as it is being played: what the looks have shown so far.
    struct LevelRun {
        int level = 0;
        LevelLook look;
        PilotMemory memory;
        Clock::time_point start = Clock::now();
        int steps = 0, moves_since_turn = 0;
        int lives_at_start = -1, lives_now = -1, attempt_lives = -1;  // hearts shown
        int time_left = 0;
        bool clock_seen = false, neutralised = false;
        Board board;  // of the last look that showed the hero
        Sighting seen;
    };

    // What a look at the window leads to.
    enum class Next { fail, won, look_again, decide };

    // Plays until the level's bomb is neutralised, a look, a decision and a
    // key at a time. Lives lost restart it.
    bool play_level(int level) {
        if (!wait_for([&](const TextScreen& s) { return level_shown(s) == level; }, tuning::screen_wait_s))
            return fail("level " + std::to_string(level) + " did not start");
        LevelRun run;
        run.level = level;
        run.look = level_look(level, options_.difficulty == "hard");
        neutralised_seen_ = false;
        hero_after_key_.reset();
        last_chasers_.clear();
        while (seconds_since(run.start) < tuning::level_give_up_s) {
            const Next next = observe(run);
            if (next == Next::fail) return false;
            if (next == Next::won) break;
            if (next == Next::look_again) continue;
            Decision decision;
            if (plan(run, decision)) act(run, decision);
        }
        return level_won(run);
    }

    // Observe: reads the window into the level's state. The status column
    // gives the lives and the clock; the hero's move since the last key is
    // checked against it.
    Next observe(LevelRun& run) {
        if (!capture()) return failed("the window cannot be read");
        if (!game_running()) return failed("the game ended");
        const int hearts = count_code(screen_, 7, 32, 3);
        if (hearts > 0) {
            if (run.lives_at_start < 0) run.lives_at_start = hearts;
            if (run.attempt_lives != hearts) {
                if (run.attempt_lives > hearts) {
                    log_.line("  life lost at " + std::to_string(last_hero_.row) + "," + std::to_string(last_hero_.col) + " (" + last_reason_ +
                              "), the clock showing " + std::to_string(run.time_left) + " s");
                    if (debug_) {
                        std::cerr << last_dump_ << std::endl;
                        std::ofstream("/tmp/autopilot-death-" + std::to_string(++deaths_) + ".ppm") << last_ppm_;
                    }
                }
                run.memory = PilotMemory{};  // a lost life starts the level afresh
                hero_after_key_.reset();
                run.attempt_lives = hearts;
                std::this_thread::sleep_for(std::chrono::milliseconds(tuning::after_lost_life_ms));
                return Next::look_again;
            }
            run.lives_now = hearts;
        }
        if (auto seconds = number_at(screen_, 3, 32); seconds && level_shown(screen_) == run.level) {
            run.time_left = *seconds;
            run.clock_seen = true;
        }
        if (screen_.shows(5, 8, "Bomb neutralised") || neutralised_seen_) run.neutralised = true;
        if (screen_.shows(5, 15, "GAME OVER")) return failed("game over in level " + std::to_string(run.level));
        const int shown = level_shown(screen_);
        // The next level's set-up shows only after a win.
        if (shown == run.level + 1) run.neutralised = true;
        const bool next_shown = shown == run.level + 1 || (shown == 0 && run.neutralised);
        if (run.neutralised && next_shown) return Next::won;
        if (shown != run.level) {
            std::this_thread::sleep_for(std::chrono::milliseconds(tuning::idle_look_ms));
            return Next::look_again;
        }
        run.board = board_of(screen_);
        run.seen = look_at(run.board, run.look);
        if (!run.seen.hero_seen) {
            std::this_thread::sleep_for(std::chrono::milliseconds(tuning::idle_look_ms));
            return Next::look_again;
        }
        // The hero moves only for a key typed here: a move of his own
        // is a key the game took that nobody typed.
        if (hero_after_key_ && !(run.seen.hero == *hero_after_key_)) {
            ++untyped_moves_;
            if (debug_) std::cerr << "t=" << seconds_since(run.start) << " hero moved untyped to " << run.seen.hero.row << "," << run.seen.hero.col << "\n";
        }
        hero_after_key_ = run.seen.hero;
        return Next::decide;
    }

    // Plan: the planner's move for the last look, with what the driver has
    // counted (the clock, the chasers' turns). False when the look-ahead took
    // so long that the chasers have moved since: the way is dropped and the
    // next look plans afresh.
    bool plan(LevelRun& run, Decision& decision) {
        const Sighting& seen = run.seen;
        PilotMemory& memory = run.memory;
        memory.clock = seconds_since(run.start);
        note_chaser_turns(seen, run.moves_since_turn, debug_);
        memory.moves_since_turn = last_chasers_.empty() ? -1 : run.moves_since_turn;
        memory.chaser_turns = chaser_turns_;
        if (run.clock_seen) memory.seconds_left = run.time_left;
        auto planning = Clock::now();
        decision = plan_move(run.board, seen, run.look, memory);
        planned_ms_ = std::chrono::duration<double, std::milli>(Clock::now() - planning).count();
        if (planned_ms_ > tuning::replan_after_ms && !seen.chasers.empty() && capture() &&
            look_at(board_of(screen_), run.look).chasers != seen.chasers) {
            memory.plan = {};
            return false;
        }
        last_hero_ = seen.hero;
        last_reason_ = decision.reason;
        if (debug_) {
            last_dump_ = board_picture(run.board, seen) + surroundings(run.board, seen.hero) + " move " + std::to_string(static_cast<int>(decision.move));
            last_ppm_ = reader_.last_ppm();
            if (decision.move == Move::none && decision.reason != last_reason_shown_)
                std::cerr << "t=" << seconds_since(run.start) << " hero " << seen.hero.row << "," << seen.hero.col << " waits (" << decision.reason << ")\n";
        }
        last_reason_shown_ = decision.reason;
        return true;
    }

    // Act: a wait, or the decision's key and the wait for the hero to move.
    void act(LevelRun& run, const Decision& decision) {
        if (decision.move == Move::none) {
            // A planned wait lasts one game step; otherwise look again soon.
            std::this_thread::sleep_for(std::chrono::milliseconds(decision.wait_step ? tuning::wait_step_ms : tuning::look_again_ms));
            if (decision.wait_step) ++run.moves_since_turn;
            return;
        }
        type(key_of(decision.move));
        if (debug_)
            std::cerr << "t=" << seconds_since(run.start) << " hero " << run.seen.hero.row << "," << run.seen.hero.col << " " << key_of(decision.move) << " ("
                      << decision.reason << ") planned " << planned_ms_ << " ms, " << run.memory.looked_ahead_nodes << " states, chasers"
                      << cells_text(run.seen.chasers) << "\n";
        ++run.steps;
        ++run.moves_since_turn;
        if (run.level == 1 && run.steps == 40) save_shot("level");
        wait_for_hero_to_leave(run.seen.hero, run.look);
    }

    // The level's line in the log, once it is won.
    bool level_won(const LevelRun& run) {
        if (!run.neutralised) return fail("level " + std::to_string(run.level) + " not won in time");
        const int lost = run.lives_at_start >= 0 && run.lives_now >= 0 ? run.lives_at_start - run.lives_now : 0;
        lives_lost_total_ += lost;
        // The score with the level's bonus shows at the next set-up.
        if (run.level < 9 && options_.run != Options::Run::practice &&
            wait_for([&](const TextScreen& s) { return level_shown(s) == run.level + 1; }, tuning::score_wait_s)) {
            if (auto score = number_at(screen_, 15, 32)) last_score_ = *score;
        }
        std::ostringstream line;
        line << "level " << run.level << ": won in " << format_seconds(seconds_since(run.start)) << ", steps " << run.steps
             << ", lives lost " << lost << ", time left " << run.time_left << " s, score " << last_score_
             << ", untyped moves " << untyped_moves_ << ", key to move median/p90 " << key_to_move_figures();
        log_.line(line.str());
        return true;
    }

    // How many hero moves fall between two chaser turns, seen when the
    // chasers move: the pace the look-ahead has to allow for.
    void note_chaser_turns(const Sighting& seen, int& moves_since_turn, bool report) {
        if (!last_chasers_.empty() && seen.chasers.size() == last_chasers_.size() && seen.chasers != last_chasers_) {
            if (report) std::cerr << "chasers moved after " << moves_since_turn << " hero moves\n";
            moves_since_turn = 0;
            // A screenshot taken between the two chasers' moves shows one
            // turn as two changes; turns come a period of steps apart.
            if (seconds_since(last_turn_seen_) > tuning::same_turn_s) ++chaser_turns_;
            last_turn_seen_ = Clock::now();
        }
        last_chasers_ = seen.chasers;
    }

    // After a key the hero moves at the game's next step; the next look is
    // worth taking only once it has, or once the step has surely passed.
    void wait_for_hero_to_leave(Cell from, const LevelLook& look) {
        auto start = Clock::now();
        hero_after_key_.reset();
        // A key is never typed while the last one may still wait in the
        // game's buffer: on a busy machine a step can take a good part of a
        // second, and two keys in the buffer would make the second move from
        // a cell already left, perhaps beside a trap.
        while (seconds_since(start) < tuning::key_wait_s) {
            std::this_thread::sleep_for(std::chrono::milliseconds(tuning::key_poll_ms));
            if (!reader_.read(screen_)) continue;
            if (screen_.shows(5, 8, "Bomb neutralised")) neutralised_seen_ = true;
            Sighting seen = look_at(board_of(screen_), look);
            if (!seen.hero_seen || !(seen.hero == from)) {
                if (seen.hero_seen) hero_after_key_ = seen.hero;
                key_to_move_ms_.push_back(seconds_since(start) * 1000);
                return;
            }
        }
    }

    // From a key typed to the hero seen on his next cell: a game step's wait
    // for its tick, the way of the key in and of the picture out. The
    // median and the 90th percentile, in milliseconds.
    std::string key_to_move_figures() {
        auto at = [&](double share) {
            auto place = key_to_move_ms_.begin() + static_cast<long>(share * static_cast<double>(key_to_move_ms_.size() - 1));
            std::nth_element(key_to_move_ms_.begin(), place, key_to_move_ms_.end());
            return std::to_string(static_cast<int>(*place + 0.5));
        };
        if (key_to_move_ms_.empty()) return "none";
        std::string figures = at(0.5) + "/" + at(0.9) + " ms";
        key_to_move_ms_.clear();
        return figures;
    }

    Next failed(const std::string& why) {
        fail(why);
        return Next::fail;
    }

    bool fail(const std::string& why) {
        log_.line("FAILED: " + why);
        TextScreen last;
        if (reader_.read(last)) log_.line("last screen:\n" + last.dump());
        if (reader_.save_last(options_.failure_shot)) log_.line("last screenshot: " + options_.failure_shot);
        return false;
    }

    void save_shot(const std::string& name) {
        if (options_.shots_dir.empty()) return;
        reader_.save_last(options_.shots_dir + "/" + name + ".ppm");
    }

private:
    // Cursor keys rather than digits: a key still in the buffer when a
    // practice level ends must not choose the next one in the menu.
    static std::string key_of(Move move) {
        switch (move) {
        case Move::up: return "Up";
        case Move::down: return "Down";
        case Move::left: return "Left";
        case Move::right: return "Right";
        case Move::none: break;
        }
        return "";
    }
    static std::string format_seconds(double seconds) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f s", seconds);
        return text;
    }

    XSession& session_;
    xdo_t* xdo_ = nullptr;
    WindowReader& reader_;
    const Options& options_;
    Log& log_;
    TextScreen screen_;
    int lives_lost_total_ = 0;
    std::vector<double> key_to_move_ms_;
    Cell last_hero_;
    std::string last_reason_, last_dump_, last_ppm_, last_reason_shown_;
    double planned_ms_ = 0;  // of the last decision
    const bool debug_ = std::getenv("AUTOPILOT_DEBUG") != nullptr;  // every move and every lost life
    int deaths_ = 0;
    bool neutralised_seen_ = false;  // seen while waiting for a move
    int last_score_ = 0;
    std::vector<Cell> last_chasers_;
    int chaser_turns_ = 0;                // seen in the run so far
    Clock::time_point last_turn_seen_;
    std::optional<Cell> hero_after_key_;  // where the last key left him, while known
    int untyped_moves_ = 0;               // in the run so far
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: autopilot --levels 1-N | --whole-game | --practice N  [--difficulty easy|normal|hard] [--lives 3|5|9]\n"
                     "                 [--log FILE] [--failure-shot FILE] [--game PATH] [--shots DIR]\n";
        return 2;
    }
    if (options.game.empty()) options.game = game_executable();
    if (options.failure_shot.empty()) {
        std::string build_dir = game_executable();
        options.failure_shot = build_dir.substr(0, build_dir.rfind('/') + 1) + "autopilot-failure.ppm";
    }
    Log log(options.log_path);
    XSession session;
    if (!session.start_server()) {
        log.line("FAILED: Xvfb cannot start");
        return 1;
    }
    if (!session.start_game(options.game)) {
        log.line("FAILED: no window of " + options.game);
        return 1;
    }
    session.xdotool("windowfocus --sync " + session.window());
    WindowReader reader;
    if (!reader.open(session.display(), session.window())) {
        log.line("FAILED: cannot read the window");
        return 1;
    }
    log.line("autopilot: " + options.difficulty + ", " + std::to_string(options.lives) + " lives, levels " +
             std::to_string(options.first_level) + "-" + std::to_string(options.last_level));
    Pilot pilot(session, reader, options, log);
    bool won = pilot.run();
    int status = session.wait_exit(won ? 10000 : 100);
    if (won && status != 0) {
        log.line("FAILED: the game ended with status " + std::to_string(status));
        return 1;
    }
    return won ? 0 : 1;
}
