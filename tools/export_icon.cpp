// Writes the window icon, exactly as the program builds it, to a BMP file,
// from which the installed PNG icons are made (scripts/make-icons.sh).
#include <cstdio>

#include "runtime/platform/window_art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_icon OUT.bmp\n");
        return 2;
    }
    const std::vector<uint8_t>& bmp = window_icon_bmp();
    FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(bmp.data(), 1, bmp.size(), out) != bmp.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
