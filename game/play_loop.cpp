#include "game/play_loop.h"

#include <cmath>

#include "game/basic.h"
#include "game/game_state.h"
#include "game/level_data.h"
#include "game/level_mechanics.h"
#include "runtime/core/end_program.h"

namespace {

constexpr double seconds_per_day = 86400;

bool key_is(const char* literal) { return same_text(game.key, text(literal)); }

// A cursor key: a zero byte followed by its scan code.
bool cursor_key_is(const char* scan) { return same_text(game.key, join(chr(0), text(scan))); }

// Moving the hero one cell: walls (177 and above) and doors block it; keys,
// drops and fog under the target are simply printed over.
Screen move_hero(float row_step, float col_step) {
    if (condition(876, [&] {
            float target = screen_char(game.hero_row + row_step, game.hero_col + col_step);
            return target >= lowest_blocking_code || target == door_code;
        }))
        return Screen::play;
    statement(877, [] { locate(game.hero_row, game.hero_col); });
    statement(877, [] { color(hero_color); });
    statement(877, [] { print({text(" ")}); });
    statement(878, [&] { game.hero_row = game.hero_row + row_step; });
    statement(878, [&] { game.hero_col = game.hero_col + col_step; });
    statement(879, [] { locate(game.hero_row, game.hero_col); });
    statement(879, [] { color(hero_color); });
    statement(879, [] { print({chr(hero_code)}); });
    return Screen::play;
}

// The hero's face fading out, each colour with its tune, at the end of every
// death.
void fading_faces(int line) {
    static constexpr struct {
        float color;
        const char* tune;
    } faces[] = {{26, "o3l60ad"}, {20, "o2l60ad"}, {18, "o1l60ad"}, {0, "o0l60ad"}};
    for (const auto& face : faces) {
        statement(line, [] { locate(game.hero_row, game.hero_col); });
        statement(line, [&] { color(face.color); });
        statement(line, [] { print({chr(hero_code)}); });
        statement(line + 1, [&] { play(face.tune); });
        line += 2;
    }
}

// A life is lost: the same level afresh, or the game-over sequence after the last.
Screen life_lost(int line) {
    statement(line, [] { game.lives_left = game.lives_left - 1; });
    if (condition(line, [] { return game.lives_left == 0; })) return Screen::game_over;
    return Screen::level_setup;
}

Screen caught_by_enemy() {
    statement(887, [] { locate(game.hero_row, game.hero_col); });
    statement(887, [] { color(4); });
    statement(888, [] { print({chr(1)}); });
    statement(889, [] { play("o3l60adadd"); });
    fading_faces(890);
    return life_lost(902);
}

Screen bomb_explodes() {
    static constexpr struct {
        float row_step, col_step;
        const char* burst;
    } bursts[] = {{0, 0, "*"}, {0, -1, "***"}, {-1, 0, "*"}, {-1, -1, "***"}};
    statement(905, [] { color(44); });
    int line = 906;
    for (const auto& burst : bursts) {
        statement(line, [&] { locate(game.bomb_row + burst.row_step, game.bomb_col + burst.col_step); });
        statement(line, [&] { print({text(burst.burst)}); });
        statement(line + 1, [] { play("o0l60addad"); });
        line += 2;
    }
    statement(914, [] { cls(); });
    // The flashes fill the whole screen: no border colour means the border is
    // the fill colour itself.
    for (float fill : {44.0f, 30.0f, 44.0f}) {
        statement(915, [&] { paint(160, 100, fill); });
        statement(915, [] { play("o0l60adad"); });
        statement(916, [] { paint(160, 100, 0); });
    }
    statement(918, [] { locate(game.hero_row, game.hero_col); });
    statement(918, [] { color(8); });
    statement(919, [] { print({chr(hero_code)}); });
    statement(920, [] { play("o3l60adaddp10p60"); });
    fading_faces(921);
    return life_lost(931);
}

Screen bomb_neutralised() {
    statement(934, [] { locate(game.bomb_row, game.bomb_col); });
    statement(934, [] { color(44); });
    statement(935, [] { print({text("*")}); });
    statement(936, [] { play("o0l60addad"); });
    wait_ticks(1);
    statement(937, [] { locate(game.bomb_row, game.bomb_col); });
    statement(937, [] { print({text(" ")}); });
    statement(938, [] { locate(5, 8); });
    statement(938, [] { color(10); });
    statement(939, [] { print({text("Bomb neutralised")}); });
    statement(940, [] { play("o2l10abdad"); });
    set_bonus_factors();
    statement(947, [] { game.score = bomb_bonus(remaining_seconds()) + game.score; });
    statement(948, [] { game.level = game.level + 1; });
    if (condition(949, [] { return game.practice == 1; })) {
        statement(949, [] { game.practice = 0; });
        return Screen::title;
    }
    if (condition(951, [] { return game.level >= 2 && game.level <= 9; })) return Screen::level_setup;
    return Screen::ending;
}

// The arrow points away from the trap that killed the hero.
Screen trap_death() {
    statement(956, [] { locate(game.hero_row, game.hero_col); });
    statement(956, [] { color(7); });
    if (condition(957, [] { return game.trap_side == 1; })) {
        statement(957, [] { print({chr(25)}); });
        statement(958, [] { play("o3l60dadbdp10p60"); });
    }
    if (condition(959, [] { return game.trap_side == 2; })) {
        statement(959, [] { print({chr(24)}); });
        statement(960, [] { play("o3l60dabddp10p60"); });
    }
    if (condition(961, [] { return game.trap_side == 3; })) {
        statement(961, [] { print({chr(27)}); });
        statement(962, [] { play("o3l60dabddp10p60"); });
    }
    if (condition(963, [] { return game.trap_side == 4; })) {
        statement(963, [] { print({chr(26)}); });
        statement(964, [] { play("o3l60dabddp10p60"); });
    }
    fading_faces(965);
    return life_lost(974);
}

bool hero_beside(float code) {
    return screen_char(game.hero_row - 1, game.hero_col) == code || screen_char(game.hero_row + 1, game.hero_col) == code ||
           screen_char(game.hero_row, game.hero_col - 1) == code || screen_char(game.hero_row, game.hero_col + 1) == code;
}

}  // namespace

double remaining_seconds() {
    double elapsed_s = timer() - static_cast<double>(game.level_start_time);
    if (elapsed_s < 0) elapsed_s += seconds_per_day;
    return static_cast<double>(game.time_limit) - elapsed_s;
}

void set_bonus_factors() {
    statement(941, [] { game.difficulty_factor = 0; });
    if (condition(942, [] { return game.easy_bonus_seconds == 0; })) statement(942, [] { game.difficulty_factor = 1; });
    if (condition(943, [] { return game.hard_mode == 1; })) statement(943, [] { game.difficulty_factor = 2; });
    if (condition(944, [] { return game.lives_setting == 3; })) statement(944, [] { game.lives_factor = 3; });
    if (condition(945, [] { return game.lives_setting == 5; })) statement(945, [] { game.lives_factor = 2; });
    if (condition(946, [] { return game.lives_setting == 9; })) statement(946, [] { game.lives_factor = 1; });
}

float bomb_bonus(double remaining_s) {
    return static_cast<float>(std::floor(remaining_s) * 10 * (game.difficulty_factor + 1) * game.lives_factor);
}

Screen play_step() {
    level_own_work();

    if (condition(820, [] { return game.enemy1_row == game.hero_row && game.enemy1_col == game.hero_col; })) return caught_by_enemy();
    if (condition(821, [] { return game.enemy2_row == game.hero_row && game.enemy2_col == game.hero_col; })) return caught_by_enemy();
    if (condition(822, [] { return hero_beside(bomb_code); })) return bomb_neutralised();
    if (condition(823, [] { return screen_char(game.hero_row - 1, game.hero_col) == trap_code; })) {
        statement(823, [] { game.trap_side = 1; });
        return trap_death();
    }
    if (condition(824, [] { return screen_char(game.hero_row + 1, game.hero_col) == trap_code; })) {
        statement(824, [] { game.trap_side = 2; });
        return trap_death();
    }
    if (condition(825, [] { return screen_char(game.hero_row, game.hero_col - 1) == trap_code; })) {
        statement(825, [] { game.trap_side = 4; });
        return trap_death();
    }
    if (condition(826, [] { return screen_char(game.hero_row, game.hero_col + 1) == trap_code; })) {
        statement(826, [] { game.trap_side = 3; });
        return trap_death();
    }

    statement(830, [] { locate(2, 32); });
    statement(830, [] { color(40); });
    statement(830, [] { print({text("TIME :")}); });
    statement(831, [] { locate(3, 32); });
    statement(831, [] { color(2); });
    statement(831, [] { print({number_text(static_cast<float>(std::floor(remaining_seconds())))}); });
    statement(832, [] { locate(6, 32); });
    statement(832, [] { color(40); });
    statement(832, [] { print({text("Lifes:")}); });
    statement(833, [] { locate(7, 32); });
    statement(833, [] { color(60); });
    statement(833, [] { print({string_of(game.lives_left, 3)}); });
    if (condition(840, [] { return remaining_seconds() <= 0; })) return bomb_explodes();
    if (condition(841, [] { return game.step_pause == 1; })) wait_ticks(1);
    statement(842, [] { read_key(game.key); });
    if (condition(843, [] { return key_is("q") || key_is("Q"); })) return Screen::game_over;
    if (condition(844, [] { return key_is("4") || cursor_key_is("K"); })) return move_hero(0, -1);
    if (condition(845, [] { return key_is("8") || cursor_key_is("H"); })) return move_hero(-1, 0);
    if (condition(846, [] { return key_is("2") || cursor_key_is("P"); })) return move_hero(1, 0);
    if (condition(847, [] { return key_is("6") || cursor_key_is("M"); })) return move_hero(0, 1);
    fullscreen_key_check(861);
    if (condition(863, [] { return key_is("f") || key_is("F"); })) {
        statement(863, [] { game.level = 1; });
        statement(864, [] { system_exit(); });
    }
    if (condition(865, [] { return game.joystick_enabled != 0; })) {
        statement(866, [] { game.stick_x = stick(0); });
        statement(866, [] { game.stick_y = stick(1); });
        if (condition(867, [] { return game.stick_x > game.x_max; })) return move_hero(0, 1);
        if (condition(868, [] { return game.stick_y > game.y_max; })) return move_hero(1, 0);
        if (condition(869, [] { return game.stick_x < game.x_min; })) return move_hero(0, -1);
        if (condition(870, [] { return game.stick_y < game.y_min; })) return move_hero(-1, 0);
    }
    return Screen::play;
}
