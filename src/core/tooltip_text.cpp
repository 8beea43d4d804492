#include "core/tooltip_text.hpp"

#include <algorithm>

#include "core/dib.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

constexpr size_t TOOLTIP_TEXT_LIMIT = 300;  // Unicode scalar values
constexpr size_t TOOLTIP_FILE_LINES = 8;

}  // namespace

std::string_view first_scalars(std::string_view text, size_t limit) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<uint8_t>(text[i]) & 0xC0) == 0x80) continue;  // inside a sequence
        if (seen == limit) return text.substr(0, i);
        ++seen;
    }
    return text;
}

std::string tile_tooltip_text(const Clip& clip) {
    std::string text;
    if (clip.name) {
        text = *clip.name;
    } else {
        const ClipContent& content = clip.content;
        switch (content.kind) {
        case ClipKind::Text: {
            // Cut before it is copied: a clip may hold tens of megabytes.
            const std::string_view trimmed = trim(content.text);
            const std::string_view shown = first_scalars(trimmed, TOOLTIP_TEXT_LIMIT);
            text = shown;
            if (shown.size() < trimmed.size()) text += "\u2026";
            break;
        }
        case ClipKind::Image:
            text = "Image";
            if (const std::optional<DibInfo> info = check_dib(content.dib.head()))
                text += ", " + std::to_string(info->width) + " \u00D7 " + std::to_string(info->height);
            break;
        case ClipKind::Files: {
            const size_t shown = std::min(content.files.size(), TOOLTIP_FILE_LINES);
            for (size_t i = 0; i < shown; ++i) {
                if (i != 0) text += '\n';
                text += utf16_to_utf8(content.files[i]);
            }
            if (content.files.size() > TOOLTIP_FILE_LINES)
                text += "\nand " + std::to_string(content.files.size() - TOOLTIP_FILE_LINES) + " more";
            break;
        }
        }
    }
    if (clip.cache.missing_files != 0) text += "\n(some files no longer exist)";
    if (!clip.variables.empty()) {
        text += "\nAsks for: ";
        for (size_t i = 0; i < clip.variables.size(); ++i) {
            if (i != 0) text += ", ";
            text += clip.variables[i].name;
        }
    }
    return text;
}

}  // namespace korvane
