// Renders the animal pictures from their SVG sources with the program's own SVG renderer and
// writes them one after the other as the picture table the program embeds.
// usage: render_animals SOURCE_FOLDER OUTPUT_FILE   (sources NN-name.svg, taken in name order)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/clip.hpp"
#include "core/picture.hpp"
#include "svg/svg_render.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_animals SOURCE_FOLDER OUTPUT_FILE\n");
        return 2;
    }
    std::vector<std::filesystem::path> sources;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.path().extension() == ".svg") sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    if (sources.size() != korvane::ANIMAL_COUNT) {
        std::fprintf(stderr, "expected %u SVG files, found %zu\n", korvane::ANIMAL_COUNT, sources.size());
        return 1;
    }
    std::vector<uint8_t> table;
    for (const auto& source : sources) {
        std::ifstream file(source, std::ios::binary);
        const std::vector<uint8_t> svg((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const korvane::SvgResult result = korvane::render_svg(svg);
        if (!result.picture) {
            std::fprintf(stderr, "%s: %s\n", source.c_str(), result.error.c_str());
            return 1;
        }
        table.insert(table.end(), result.picture->begin(), result.picture->end());
    }
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(table.data()), std::streamsize(table.size()));
    std::printf("%zu pictures, %zu bytes written to %s\n", sources.size(), table.size(), argv[2]);
    return out ? 0 : 1;
}
