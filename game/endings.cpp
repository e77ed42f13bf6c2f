#include "game/endings.h"

#include "game/basic.h"
#include "game/game_state.h"

namespace {

constexpr const char* building_full = "\333\333\333\333";
constexpr const char* building_windows = " \333 \333";

// Every PRINT here ends its line, so a LOCATE with a row only lands on
// column 1.
void print_line(int line, const char* literal) {
    statement(line, [&] { print({text(literal)}); });
}

// Rows of the bank below its sign, alternately full and with windows.
void print_building(int line, int rows) {
    for (int i = 0; i < rows; ++i) print_line(line, i % 2 == 0 ? building_full : building_windows);
}

struct CollapseStage {
    float blank_row;  // 0: none
    int building_rows;
    float color;
    const char* burst;
    const char* tune;
};

constexpr CollapseStage collapse[] = {
    {0, 0, 43, "******* ", "o0l60adaddd"},   {4, 8, 44, "********", "o0l60adadad"},
    {5, 7, 43, "******* ", "o0l60adadad"},   {6, 6, 44, "********", "o0l60adadad"},
    {7, 5, 43, "******* ", "o0l60adadad"},   {8, 4, 44, "****** ", "o0l60adadad"},
    {9, 3, 43, "******* ", "o0l60adadad"},   {10, 2, 44, "******** ", "o0l60adadda"},
    {11, 2, 43, "******  ", "o0l60daddad"},  {12, 1, 44, "*******  ", "o0l60adadad"},
    {13, 0, 43, "********* ", "o0l60adadad"},
};

struct DustFrame {
    float color;
    const char* dust;
    const char* tune;
    int16_t wait;
};

constexpr DustFrame dust[] = {
    {31, "********* ", "o0l60addadad", 1}, {28, "*******  ", "o0l60aaadad", 1}, {25, "*****  ", "o0l60adddad", 1},
    {22, "***  ", "o0l60adaadd", 1},       {18, "*  ", "o0l60adadaad", 1},   {18, " ", "o0l60adadadp10p60", 2},
};

struct RebootLine {
    const char* line_text;
    const char* tune;  // nullptr: none
    int16_t wait;
};

constexpr RebootLine reboot[] = {
    {" System clear ... Virus stoped ... ", "p3p60", 5},
    {" Reboot DU-VOV V 99.9", "P10", 0},
    {" .", "p3", 1},
    {" .", "p3", 1},
    {" .", "p10", 1},
    {" .", nullptr, 1},
    {" .", "p30", 1},
    {" .", "p60", 1},
    {" System ready ...", "p5p60", 5},
    {" Video : 125 Mb detected", "p3p60", 10},
    {" Processor : Pentium 555 MHz ", "p3p60", 1},
};

struct BurstFrame {
    float row, col;
    const char* burst;
};

constexpr BurstFrame bomb_bursts[] = {
    {10, 21, " *"}, {10, 21, "***"}, {9, 21, " *"}, {9, 21, "***"},
    {10, 21, " * "}, {10, 21, "  "}, {9, 21, " * "}, {9, 21, "  "},
};

}  // namespace

Screen game_over_sequence() {
    statement(977, [] { cls(); });
    statement(978, [] { color(2); });
    statement(978, [] { locate(15, 1); });
    statement(979, [] { print({string_of(40, 223)}); });
    statement(980, [] { color(12); });
    statement(980, [] { locate_row(4); });
    print_line(981, "BANK");
    statement(982, [] { color(7); });
    print_building(983, 9);
    print_line(984, "\333\333\333");
    // The villain walks to the bank.
    for (game.hero_row = 38; game.hero_row >= 4; --game.hero_row) {
        statement(986, [] { locate(14, game.hero_row); });
        statement(986, [] { color(8); });
        statement(987, [] { print({chr(2), text(" ")}); });
        wait_ticks(1);
    }
    statement(989, [] { locate(14, 4); });
    statement(989, [] { color(8); });
    print_line(990, "  ");
    wait_ticks(1);
    int line = 992;
    for (const CollapseStage& stage : collapse) {
        if (stage.blank_row != 0) {
            statement(line, [&] { locate_row(stage.blank_row); });
            print_line(line, "    ");
            statement(line + 1, [] { color(12); });
            print_line(line + 1, "BANK");
            statement(line + 2, [] { color(7); });
            print_building(line + 2, stage.building_rows);
        }
        statement(line + 3, [] { locate(14, 1); });
        statement(line + 3, [&] { color(stage.color); });
        print_line(line + 4, stage.burst);
        statement(line + 5, [&] { play(stage.tune); });
        wait_ticks(2);
        line += 7;
    }
    statement(1070, [] { locate_row(14); });
    print_line(1070, "    ");
    for (const DustFrame& frame : dust) {
        statement(1072, [] { locate(14, 1); });
        statement(1072, [&] { color(frame.color); });
        print_line(1073, frame.dust);
        statement(1074, [&] { play(frame.tune); });
        wait_ticks(frame.wait);
    }
    // The villain leaves with the money.
    for (game.hero_row = 4; game.hero_row <= 37; ++game.hero_row) {
        statement(1100, [] { locate(14, game.hero_row); });
        statement(1100, [] { color(8); });
        statement(1101, [] { print({text(" "), chr(2)}); });
        statement(1102, [] { locate(14, game.hero_row + 2); });
        statement(1102, [] { color(44); });
        print_line(1103, "$");
        wait_ticks(1);
    }
    for (float cycle : {40.0f, 41.0f, 42.0f, 43.0f, 44.0f}) {
        statement(1110, [] { locate(5, 15); });
        statement(1110, [&] { color(cycle); });
        print_line(1111, "GAME OVER");
        wait_ticks(1);
    }
    statement(1115, [] { locate(7, 12); });
    statement(1115, [] { color(53); });
    statement(1116, [] { print({text("SCORE : "), number_text(game.score)}); });
    wait_ticks(20);
    statement(1120, [] { cls(); });
    return Screen::title;
}

Screen ending_sequence() {
    statement(1154, [] { cls(); });
    for (float fill : {40.0f, 30.0f, 40.0f}) {
        statement(1155, [&] { paint(160, 100, fill); });
        statement(1155, [] { play("o0l60adad"); });
        wait_ticks(1);
        statement(1156, [] { paint(160, 100, 0); });
    }
    statement(1158, [] { cls(); });
    statement(1158, [] { screen_mode(12); });
    for (const RebootLine& reboot_line : reboot) {
        print_line(1160, reboot_line.line_text);
        if (reboot_line.tune) statement(1161, [&] { play(reboot_line.tune); });
        wait_ticks(reboot_line.wait);
    }
    statement(1163, [] { print({}); });
    statement(1164, [] { color(12); });
    print_line(1164, " Security system is : ON");
    statement(1165, [] { play("o2l60afdfp1p60"); });
    wait_ticks(10);
    statement(1167, [] { cls(); });
    statement(1167, [] { screen_mode(13); });
    statement(1168, [] { locate(10, 10); });
    statement(1168, [] { color(66); });
    statement(1168, [] { print({chr(2)}); });
    statement(1169, [] { locate(10, 22); });
    statement(1169, [] { color(8); });
    statement(1169, [] { print({chr(2)}); });
    // The hero throws a bomb.
    for (game.hero_row = 11; game.hero_row <= 20; ++game.hero_row) {
        statement(1171, [] { locate(10, game.hero_row); });
        statement(1171, [] { color(7); });
        statement(1172, [] { print({text(" "), chr(235)}); });
        wait_ticks(1);
    }
    statement(1175, [] { play("p10p60"); });
    wait_ticks(2);
    statement(1176, [] { locate(9, 22); });
    statement(1176, [] { color(2); });
    print_line(1176, "?");
    statement(1177, [] { play("p3p60"); });
    wait_ticks(2);
    statement(1178, [] { locate(9, 22); });
    print_line(1178, " ");
    statement(1180, [] { color(44); });
    for (const BurstFrame& frame : bomb_bursts) {
        statement(1181, [&] { locate(frame.row, frame.col); });
        print_line(1181, frame.burst);
        statement(1182, [] { play("o0l60dad"); });
        wait_ticks(1);
    }
    statement(1190, [] { locate(10, 22); });
    statement(1190, [] { color(8); });
    statement(1190, [] { print({chr(1)}); });
    statement(1191, [] { play("p3p60"); });
    wait_ticks(5);
    for (float guard_col : {20.0f, 24.0f}) {
        statement(1193, [&] { locate(10, guard_col); });
        statement(1193, [] { color(9); });
        statement(1193, [] { print({chr(2)}); });
    }
    statement(1194, [] { play("p3p60"); });
    wait_ticks(5);
    for (float cuff_col : {21.0f, 23.0f}) {
        statement(1196, [&] { locate(10, cuff_col); });
        statement(1196, [] { color(7); });
        print_line(1196, "=");
    }
    statement(1197, [] { play("o3l60dcbb"); });
    statement(1198, [] { locate(3, 8); });
    statement(1198, [] { color(12); });
    print_line(1198, "KRAXO has been captured !!!");
    statement(1199, [] { play("p1p3p60"); });
    wait_ticks(5);
    statement(1201, [] { cls(); });
    statement(1201, [] { locate(8, 15); });
    statement(1201, [] { color(44); });
    print_line(1202, "THE END");
    statement(1202, [] { play("p1p60"); });
    wait_ticks(10);
    // The hero leads the villain off.
    for (game.hero_row = 1; game.hero_row <= 29; ++game.hero_row) {
        statement(1205, [] { locate(10, game.hero_row); });
        statement(1205, [] { color(8); });
        statement(1206, [] { print({text("     "), chr(2)}); });
        statement(1207, [] { locate(10, game.hero_row); });
        statement(1207, [] { color(1); });
        statement(1208, [] { print({text(" "), chr(2)}); });
        wait_ticks(1);
    }
    statement(1210, [] { locate(8, 15); });
    statement(1210, [] { color(44); });
    print_line(1211, "THE END ?");
    statement(1212, [] { play("T180o2P2P8L8GGGL2E-P24P8L8FFFL2D"); });
    statement(1213, [] { locate(22, 12); });
    statement(1213, [] { color(53); });
    statement(1214, [] { print({text("SCORE : "), number_text(game.score)}); });
    statement(1215, [] { play("p1p3p60"); });
    wait_ticks(20);
    statement(1216, [] { play("p3p60"); });
    statement(1216, [] { cls(); });
    if (condition(1217, [] { return game.hard_mode == 0; })) return Screen::title;
    statement(1219, [] { cls(); });
    statement(1219, [] { color(40); });
    print_line(1220, "Congratulation! You have beaten the hard mode! You are a real player!");
    statement(1221, [] { color(12); });
    statement(1221, [] { print({}); });
    print_line(1222, "   You have won the following medal:");
    statement(1222, [] { print({}); });
    statement(1223, [] { color(115); });
    statement(1223, [] { print({string_of(16, 32), chr(5)}); });
    statement(1224, [] { color(44); });
    statement(1224, [] { print({string_of(16, 32), chr(15)}); });
    for (float blink : {44.0f, 42.0f, 44.0f, 42.0f, 44.0f, 42.0f, 44.0f, 42.0f, 44.0f}) {
        statement(1226, [] { locate(10, 16); });
        statement(1226, [&] { color(blink); });
        print_line(1227, "BRAVO");
        statement(1228, [] { play("p10"); });
        wait_ticks(3);
    }
    statement(1230, [] { locate(10, 16); });
    statement(1230, [] { color(42); });
    print_line(1231, "     ");
    statement(1232, [] { play("p10"); });
    wait_ticks(3);
    statement(1235, [] { play("p1p1p1p1p1p1p60"); });
    statement(1236, [] { game.medal_won = 1; });
    wait_ticks(1);
    return Screen::title;
}
