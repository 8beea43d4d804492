#include "core/tooltip_text.hpp"

#include <algorithm>

#include "core/dib.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

constexpr size_t TOOLTIP_TEXT_LIMIT = 300;  // Unicode scalar values
constexpr size_t TOOLTIP_FILE_LINES = 8;

// Cuts UTF-8 text after `limit` scalar values; true when something was cut.
bool cut_to_scalars(std::string& text, size_t limit) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<uint8_t>(text[i]) & 0xC0) == 0x80) continue;  // inside a sequence
        if (seen == limit) {
            text.resize(i);
            return true;
        }
        ++seen;
    }
    return false;
}

}  // namespace

std::string tile_tooltip_text(const Clip& clip) {
    std::string text;
    if (clip.name) {
        text = *clip.name;
    } else {
        const ClipContent& content = clip.content;
        switch (content.kind) {
        case ClipKind::Text:
            text = trim(content.text);
            if (cut_to_scalars(text, TOOLTIP_TEXT_LIMIT)) text += "\u2026";
            break;
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
