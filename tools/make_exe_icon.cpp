// Draws the program's icon, the clipboard of the notification icon, at the sizes Windows asks
// an exe for (Explorer's views, the Start menu, the taskbar and the installed-apps list at any
// scale) and writes them as one .ico for the resource script.
// usage: make_exe_icon OUTPUT.ico
#include <cstdio>
#include <fstream>

#include "core/logo.hpp"
#include "ico_writer.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_exe_icon OUTPUT.ico\n");
        return 2;
    }
    std::vector<korvane::IconPicture> pictures;
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) pictures.push_back({size, korvane::logo_pixels(size)});
    const std::vector<uint8_t> ico = korvane::ico_file(pictures);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));
    out.close();
    if (ico.empty() || !out) {
        std::fprintf(stderr, "make_exe_icon: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
