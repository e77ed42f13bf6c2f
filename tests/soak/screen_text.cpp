// Prints the 25 text rows of a mode-13 window screenshot (a binary PPM on
// standard input, as `import -window ID -depth 8 ppm:-` writes it), so that
// scripts driving the real game can see which screen it shows. Codes outside
// printable ASCII print as "?". Exit status 1 when the input is no such picture.
#include <iostream>
#include <iterator>
#include <string>

#include "game/x_session.h"

int main() {
    std::string ppm((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    TextScreen screen;
    if (!decode_screen(ppm, screen)) return 1;
    std::cout << screen.dump();
    return 0;
}
