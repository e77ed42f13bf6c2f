// Start-up, the splash, the title screen, the main menu, the joystick
// calibration, the help screen and the start of a game.
#include "game/basic.h"
#include "game/endings.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/play_loop.h"
#include "game/screens.h"
#include "runtime/core/end_program.h"

namespace {

bool key_is(const char* literal) { return same_text(game.key, text(literal)); }

// The flashes of the splash: PAINT from the middle of the screen with no
// border colour, so the border is the fill colour and the fill covers all.
void splash_flash(int line, float fill, const char* tune) {
    statement(line, [&] { paint(100, 100, fill); });
    statement(line, [&] { play(tune); });
    wait_ticks(2);
}

}  // namespace

void fullscreen_key_check(int line) {
    for (const char* letter : {"s", "S"}) {
        if (condition(line, [&] { return game.fullscreen == 0 && key_is(letter); })) {
            statement(line, [] { fullscreen_switch(2); });
            statement(line, [] { game.fullscreen = 1; });
            statement(line, [] { let_text(game.key, text("")); });
        }
        if (condition(line + 1, [&] { return game.fullscreen == 1 && key_is(letter); })) {
            statement(line + 1, [] { fullscreen_switch(1); });
            statement(line + 1, [] { game.fullscreen = 0; });
            statement(line + 1, [] { let_text(game.key, text("")); });
        }
    }
}

void start_up() {
    statement(3, [] { fullscreen_switch(1); });
    statement(4, [] { screen_mode(13); });
    wait_ticks(20);
    statement(6, [] { game.key = new_text_variable(); });
    statement(6, [] { game.horizontal_note = new_text_variable(); });
    statement(6, [] { game.vertical_note = new_text_variable(); });
    statement(7, [] { game.lives_setting = 5; });
    statement(7, [] { game.level = 1; });
    statement(7, [] { game.enemy_sound = 1; });
    statement(7, [] { game.score = 0; });
    statement(7, [] { game.hard_mode = 0; });
    statement(7, [] { game.title_jingle_pending = 1; });
    statement(8, [] { game.medal_won = 0; });
    statement(8, [] { game.step_pause = 1; });
    statement(8, [] { game.easy_bonus_seconds = 0; });
    statement(8, [] { game.fullscreen = 0; });
    statement(8, [] { game.joystick_enabled = 0; });
    statement(8, [] { game.fade_color = 16; });
}

Screen splash_screen() {
    // The colours 16 to 31 are the grey ramp of the default palette.
    for (game.fade_color = 16; game.fade_color <= 31; ++game.fade_color) {
        statement(10, [] { color(game.fade_color); });
        statement(11, [] { locate(10, 12); });
        statement(12, [] { print({text("MIRANEX")}); });
        statement(13, [] { read_key(game.key); });
        fullscreen_key_check(14);
        wait_ticks(1);
    }
    for (game.fade_color = 16; game.fade_color <= 31; ++game.fade_color) {
        statement(20, [] { color(game.fade_color); });
        statement(21, [] { locate(10, 20); });
        statement(22, [] { print({text("PRESENT")}); });
        statement(23, [] { read_key(game.key); });
        fullscreen_key_check(24);
        wait_ticks(1);
    }
    for (game.fade_color = 31; game.fade_color >= 16; --game.fade_color) {
        statement(30, [] { color(game.fade_color); });
        statement(31, [] { locate(10, 12); });
        statement(32, [] { print({text("MIRANEX")}); });
        statement(33, [] { locate(10, 20); });
        statement(34, [] { print({text("PRESENT")}); });
        statement(35, [] { read_key(game.key); });
        fullscreen_key_check(36);
        wait_ticks(1);
    }
    statement(40, [] { color(0); });
    statement(41, [] { locate(10, 12); });
    statement(41, [] { print({text("MIRANEX")}); });
    statement(42, [] { locate(10, 20); });
    statement(42, [] { print({text("PRESENT")}); });
    statement(43, [] { read_key(game.key); });
    fullscreen_key_check(44);
    wait_ticks(5);
    splash_flash(47, 15, "o0l60adada");
    splash_flash(48, 44, "o0l60addda");
    splash_flash(49, 15, "o0l60daddd");
    splash_flash(50, 44, "o0l60addda");
    splash_flash(51, 0, "o0l60dd");
    return Screen::title;
}

Screen title_screen() {
    statement(78, [] { cls(); });
    statement(79, [] { color(25); });
    // The frame: 235 and "*" alternately, 15 characters, 235 at both ends.
    statement(80, [] { locate(10, 13); });
    statement(80, [] { print({text("\353*\353*\353*\353*\353*\353*\353*\353")}); });
    statement(81, [] { locate(11, 13); });
    statement(81, [] { print({text("*             *")}); });
    statement(82, [] { locate(12, 13); });
    statement(82, [] { print({text("\353*\353*\353*\353*\353*\353*\353*\353")}); });
    wait_ticks(1);
    // The medal lands on rows 13 and 14, below the frame.
    statement(85, [] { color(115); });
    if (condition(86, [] { return game.medal_won == 1; })) statement(86, [] { print({string_of(16, 32), chr(5)}); });
    statement(87, [] { color(44); });
    if (condition(88, [] { return game.medal_won == 1; })) statement(88, [] { print({string_of(16, 32), chr(15)}); });
    for (float cycle : {40.0f, 41.0f, 42.0f, 43.0f, 44.0f, 43.0f, 42.0f, 41.0f, 40.0f}) {
        statement(90, [&] { game.cycle_color = cycle; });
        statement(91, [] { locate(11, 15); });
        statement(92, [] { color(game.cycle_color); });
        statement(93, [] { print({text("TOMMY-ZAPPO")}); });
        wait_ticks(1);
    }
    // Each line end on row 24, the last row of the print area, scrolls rows
    // 1 to 24 up: eight of them lift the frame to rows 2 to 4.
    for (int i = 1; i <= 8; ++i) {
        statement(97, [] { locate_row(24); });
        statement(98, [] { print({text(" ")}); });
        wait_ticks(1);
    }
    statement(101, [] { locate(5, 8); });
    statement(102, [] { color(66); });
    statement(103, [] { print({chr(2)}); });
    statement(104, [] { locate(5, 32); });
    statement(105, [] { color(20); });
    statement(106, [] { print({chr(2), chr(235)}); });
    if (condition(107, [] { return game.title_jingle_pending == 1; })) statement(107, [] { play("o1l20affaffbffbffdffdffg"); });
    statement(108, [] { game.title_jingle_pending = 0; });
    return Screen::menu;
}

Screen main_menu() {
    for (;;) {
        statement(111, [] { locate(9, 15); });
        statement(112, [] { color(51); });
        statement(113, [] { print({text("A- Play")}); });
        statement(114, [] { locate(10, 14); });
        statement(115, [] { color(52); });
        statement(116, [] { print({text("1-9 Practice level")}); });
        statement(117, [] { locate(11, 15); });
        statement(118, [] { color(53); });
        statement(119, [] { print({text("B- Lifes:"), number_text(game.lives_setting)}); });
        statement(120, [] { locate(12, 15); });
        statement(121, [] { color(54); });
        if (condition(122, [] { return game.enemy_sound == 1; })) statement(122, [] { print({text("C- Ennemy sound: yes")}); });
        if (condition(123, [] { return game.enemy_sound == 0; })) statement(123, [] { print({text("C- Ennemy sound: no ")}); });
        statement(124, [] { locate(13, 15); });
        statement(125, [] { color(54); });
        if (condition(126, [] { return game.hard_mode == 0 && game.easy_bonus_seconds == 30; }))
            statement(126, [] { print({text("D- Difficulty: Easy  ")}); });
        if (condition(127, [] { return game.hard_mode == 0 && game.easy_bonus_seconds == 0; }))
            statement(127, [] { print({text("D- Difficulty: Normal")}); });
        if (condition(128, [] { return game.hard_mode == 1; })) statement(128, [] { print({text("D- Difficulty: Hard   ")}); });
        statement(129, [] { locate(14, 15); });
        statement(130, [] { color(56); });
        if (condition(131, [] { return game.fullscreen == 0; })) statement(131, [] { print({text("S- Fullscreen: off")}); });
        if (condition(132, [] { return game.fullscreen == 1; })) statement(132, [] { print({text("S- Fullscreen: on ")}); });
        statement(133, [] { locate(15, 15); });
        statement(134, [] { color(57); });
        if (condition(135, [] { return game.joystick_enabled == 0; })) statement(135, [] { print({text("T- Joystick: off")}); });
        if (condition(136, [] { return game.joystick_enabled == 1; })) statement(136, [] { print({text("T- Joystick: on ")}); });
        statement(137, [] { locate(16, 15); });
        statement(138, [] { color(58); });
        statement(139, [] { print({text("E- Help")}); });
        statement(140, [] { locate(17, 15); });
        statement(141, [] { color(59); });
        statement(142, [] { print({text("F- Exit")}); });
        statement(143, [] { game.practice = 0; });
        statement(144, [] { game.score = 0; });
        statement(145, [] { read_key(game.key); });

        for (int digit = 1; digit <= 9; ++digit) {
            const char digit_text[2] = {static_cast<char>('0' + digit), 0};
            if (condition(146 + digit, [&] { return key_is(digit_text); })) {
                statement(146 + digit, [] { game.practice = 1; });
                statement(146 + digit, [&] { game.level = static_cast<float>(digit); });
                statement(146 + digit, [] { game.lives_left = game.lives_setting; });
                return Screen::start_of_game;
            }
        }
        if (condition(156, [] { return key_is("a") || key_is("A"); })) {
            statement(156, [] { game.practice = 0; });
            statement(156, [] { game.level = 1; });
            statement(156, [] { game.lives_left = game.lives_setting; });
            return Screen::start_of_game;
        }
        // Both sides are evaluated, as the language's AND does: the button is
        // read on every pass, also while the joystick option is off.
        if (condition(158, [] {
                bool button = strig(0) != 0;
                return game.joystick_enabled == 1 && button;
            })) {
            statement(158, [] { game.practice = 0; });
            statement(158, [] { game.level = 1; });
            statement(158, [] { game.lives_left = game.lives_setting; });
            return Screen::start_of_game;
        }
        if (condition(160, [] { return key_is("b") || key_is("B"); })) {
            if (condition(161, [] { return game.lives_setting == 3; })) statement(161, [] { game.lives_setting = 5; });
            else if (condition(162, [] { return game.lives_setting == 5; })) statement(162, [] { game.lives_setting = 9; });
            else if (condition(163, [] { return game.lives_setting == 9; })) statement(163, [] { game.lives_setting = 3; });
            continue;
        }
        if (condition(165, [] { return key_is("c") || key_is("C"); })) {
            statement(165, [] { game.enemy_sound = game.enemy_sound == 1 ? 0.0f : 1.0f; });
            continue;
        }
        if (condition(167, [] { return key_is("d") || key_is("D"); })) {
            if (condition(168, [] { return game.hard_mode == 1; })) {
                statement(168, [] { game.hard_mode = 0; });
                statement(168, [] { game.easy_bonus_seconds = 30; });
            } else if (condition(169, [] { return game.easy_bonus_seconds == 30; })) {
                statement(169, [] { game.easy_bonus_seconds = 0; });
            } else {
                statement(170, [] { game.hard_mode = 1; });
            }
            continue;
        }
        if (condition(172, [] { return key_is("s") || key_is("S"); })) {
            if (condition(173, [] { return game.fullscreen == 0; })) {
                statement(173, [] { fullscreen_switch(2); });
                statement(173, [] { game.fullscreen = 1; });
            } else {
                statement(174, [] { fullscreen_switch(1); });
                statement(174, [] { game.fullscreen = 0; });
            }
            continue;
        }
        if (condition(176, [] { return key_is("t") || key_is("T"); })) {
            if (condition(177, [] { return game.joystick_enabled == 0; })) {
                statement(177, [] { game.joystick_enabled = 1; });
                return Screen::calibration;
            }
            statement(178, [] { game.joystick_enabled = 0; });
            continue;
        }
        if (condition(180, [] { return key_is("g"); })) {
            statement(180, [] { game.step_pause = game.step_pause == 1 ? 0.0f : 1.0f; });
            continue;
        }
        if (condition(182, [] { return key_is("e") || key_is("E"); })) return Screen::help;
        if (condition(183, [] { return key_is("f") || key_is("F"); })) {
            statement(183, [] { game.level = 1; });
            statement(184, [] { system_exit(); });
        }
    }
}

Screen joystick_calibration() {
    statement(56, [] { cls(); });
    statement(57, [] { game.stick_x = stick(0); });
    statement(57, [] { game.stick_y = stick(1); });
    statement(58, [] { color(1); });
    statement(58, [] { print({text("      Calibrate Joystick :")}); });
    statement(59, [] { locate_row(3); });
    statement(59, [] { color(2); });
    statement(60, [] {
        print({text("Move the Joystick in all directions. To finish push Keyboard number '5' or push the Joystick button 1.")});
    });
    statement(61, [] { game.joystick_enabled = 1; });
    statement(62, [] { game.x_min = stick(0); });
    statement(62, [] { game.x_max = stick(0); });
    statement(63, [] { game.y_min = stick(1); });
    statement(63, [] { game.y_max = stick(1); });
    for (;;) {
        statement(64, [] { game.stick_x = stick(0); });
        statement(64, [] { game.stick_y = stick(1); });
        statement(65, [] { color(4); });
        statement(65, [] { locate(10, 10); });
        statement(66, [] { print({number_text(game.stick_x), text(" "), number_text(game.stick_y), text("      ")}); });
        if (condition(67, [] { return game.stick_x < game.x_min; })) statement(67, [] { game.x_min = game.stick_x; });
        if (condition(68, [] { return game.stick_x > game.x_max; })) statement(68, [] { game.x_max = game.stick_x; });
        if (condition(69, [] { return game.stick_y < game.y_min; })) statement(69, [] { game.y_min = game.stick_y; });
        if (condition(70, [] { return game.stick_y > game.y_max; })) statement(70, [] { game.y_max = game.stick_y; });
        statement(71, [] { read_key(game.key); });
        // The button is read whatever the key, as the language's OR evaluates both sides.
        if (condition(72, [] {
                bool button = strig(0) != 0;
                return key_is("5") || button;
            }))
            break;
    }
    statement(73, [] { game.x_min = game.x_min + 10; });
    statement(73, [] { game.y_min = game.y_min + 10; });
    statement(74, [] { game.x_max = game.x_max - 10; });
    statement(74, [] { game.y_max = game.y_max - 10; });
    // An axis that never moved leaves its thresholds 20 apart the wrong way
    // round; without a joystick both stay put, so the option goes off again.
    if (condition(75, [] { return game.x_min - 10 == game.x_max + 10; })) statement(75, [] { game.joystick_enabled = 0; });
    if (condition(76, [] { return game.y_min - 10 == game.y_max + 10; })) statement(76, [] { game.joystick_enabled = 0; });
    return Screen::title;
}

Screen help_screen() {
    statement(1124, [] { cls(); });
    statement(1125, [] { color(10); });
    statement(1126, [] { print({text("KRAXO has hacked the bank central")}); });
    statement(1127, [] { print({text("to shut down the security system !!!")}); });
    statement(1128, [] { print({text("In order to stop him, Tommy Zappo has")}); });
    statement(1129, [] { print({text("been virtualized and sent into the")}); });
    statement(1130, [] { print({text("system. But the traps are numerous!")}); });
    statement(1131, [] { print({text("You have to neutralize the viral")}); });
    statement(1132, [] { print({text("binary bombs....")}); });
    statement(1133, [] { print({}); });
    statement(1134, [] { color(7); });
    statement(1135, [] { print({text("Keyboard map (Joystick available):  ")}); });
    statement(1136, [] { print({text("           ")}); });
    statement(1137, [] { print({text(" 8/U arow = Up  2/D arow = Down ")}); });
    statement(1138, [] { print({text(" 4/L arow = Left 6/R arow = Right")}); });
    statement(1139, [] { print({text(" Q = Quit to main menu  F = Quit to OS ")}); });
    statement(1140, [] { print({text(" S= Switch FullScreen ")}); });
    statement(1141, [] { print({}); });
    statement(1142, [] { color(40); });
    statement(1143, [] { print({text("* or \234 = Key      "), chr(8), text(" = Door ")}); });
    statement(1144, [] { print({chr(178), text("= trap    "), chr(4), text("= Ennemy")}); });
    statement(1145, [] { print({chr(235), text(" = Bomb : Neutralize them before the")}); });
    statement(1146, [] { print({text("timer goes to 0! ")}); });
    statement(1147, [] { print({}); });
    statement(1148, [] { color(15); });
    statement(1149, [] { locate_row(22); });
    statement(1150, [] { print({text("Press any key ...")}); });
    bool waiting = true;
    while (waiting) {
        statement(1151, [] { read_key(game.key); });
        waiting = condition(1151, [] { return same_text(game.key, text("")); });
    }
    return Screen::title;
}

Screen start_of_game() {
    statement(186, [] { cls(); });
    return Screen::level_setup;
}

Screen run_screen(Screen screen) {
    switch (screen) {
    case Screen::splash: return splash_screen();
    case Screen::title: return title_screen();
    case Screen::menu: return main_menu();
    case Screen::calibration: return joystick_calibration();
    case Screen::help: return help_screen();
    case Screen::start_of_game: return start_of_game();
    case Screen::level_setup: return start_level();
    case Screen::play: return play_step();
    case Screen::game_over: return game_over_sequence();
    case Screen::ending: return ending_sequence();
    }
    return Screen::title;
}

void game_main() {
    start_up();
    Screen next = Screen::splash;
    for (;;) next = run_screen(next);
}
