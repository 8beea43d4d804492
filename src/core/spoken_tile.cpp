#include "core/spoken_tile.hpp"

#include <optional>
#include <string_view>

#include "core/dib.hpp"
#include "core/text.hpp"
#include "core/tooltip_text.hpp"

namespace korvane {
namespace {

constexpr char ELLIPSIS[] = "\u2026";
constexpr char MISSING_FILES[] = " (some files no longer exist)";
constexpr size_t VALUE_FILE_LINES = 8;
// A name cut in the middle of a word is hard to follow by ear: it is cut at the last space of
// its final stretch of this many characters, when there is one.
constexpr size_t WORD_SEARCH = 20;

// The name a text gives and where the rest of it starts: its first line, cut at the name's
// limit (at a space near it when there is one).
struct Split {
    std::string name;
    std::string_view rest;
};

Split split_first_line(std::string_view text) {
    // A line break further on than the name can reach ends nothing: the text is not searched
    // for it, so that a long text costs what a short one does.
    const std::string_view head = first_scalars(text, SPOKEN_NAME_LIMIT + 1);
    const size_t line_end = head.find('\n');
    const std::string_view line = head.substr(0, line_end);
    std::string_view shown = first_scalars(line, SPOKEN_NAME_LIMIT);
    std::string_view rest = line_end == std::string_view::npos ? std::string_view() : text.substr(line_end + 1);
    const bool cut = shown.size() < line.size();
    if (cut) {
        const size_t space = shown.find_last_of(' ');
        if (space != std::string_view::npos && space > 0 &&
            first_scalars(shown.substr(space), WORD_SEARCH).size() == shown.size() - space)
            shown = shown.substr(0, space);
        rest = text.substr(shown.size());
    }
    Split split{std::string(trim(shown)), trim(rest)};
    if (cut) split.name += ELLIPSIS;
    return split;
}

std::string capped(std::string_view text) {
    const std::string_view shown = first_scalars(text, SPOKEN_VALUE_LIMIT);
    std::string result(shown);
    if (shown.size() < text.size()) result += ELLIPSIS;
    return result;
}

void add_line(std::string& text, std::string_view line) {
    if (line.empty()) return;
    if (!text.empty()) text += '\n';
    text += line;
}

// The last name of a path, without the separators that may end it; a path that has no name
// (a drive, a root) is its own name.
std::u16string_view last_name(std::u16string_view path) {
    size_t end = path.size();
    while (end > 0 && (path[end - 1] == u'\\' || path[end - 1] == u'/')) --end;
    if (end == 0) return path;
    return file_name_of(path.substr(0, end));
}

std::string files_name(const std::vector<FilePath>& files) {
    if (files.empty()) return "Files";
    std::string name = utf16_to_utf8(last_name(files.front()));
    const size_t more = files.size() - 1;
    if (more == 1) name += " and 1 more file";
    else if (more > 1) name += " and " + std::to_string(more) + " more files";
    return name;
}

std::string files_value(const std::vector<FilePath>& files) {
    std::string value;
    for (size_t i = 0; i < files.size() && i < VALUE_FILE_LINES; ++i) add_line(value, utf16_to_utf8(files[i]));
    if (files.size() > VALUE_FILE_LINES)
        add_line(value, "and " + std::to_string(files.size() - VALUE_FILE_LINES) + " more");
    return value;
}

std::string picture_name(const DibBlock& dib) {
    const std::optional<DibInfo> info = check_dib(dib.head());
    if (!info) return "Picture";
    return "Picture, " + std::to_string(info->width) + " \u00D7 " + std::to_string(info->height);
}

// The name and the rest of the content, before what every kind of tile adds to them.
SpokenTile spoken_content(const Clip& clip) {
    const ClipContent& content = clip.content;
    if (clip.name) {
        Split split = split_first_line(trim(*clip.name));
        SpokenTile spoken{std::move(split.name), capped(split.rest)};
        switch (content.kind) {
        case ClipKind::Text: add_line(spoken.value, capped(trim(content.text))); break;
        case ClipKind::Image: add_line(spoken.value, picture_name(content.dib)); break;
        case ClipKind::Files: add_line(spoken.value, files_value(content.files)); break;
        }
        return spoken;
    }
    switch (content.kind) {
    case ClipKind::Text: {
        Split split = split_first_line(trim(content.text));
        return {std::move(split.name), capped(split.rest)};
    }
    case ClipKind::Image: return {picture_name(content.dib), {}};
    case ClipKind::Files: return {files_name(content.files), files_value(content.files)};
    }
    return {};
}

}  // namespace

SpokenTile spoken_tile(const Clip& clip) {
    SpokenTile spoken = spoken_content(clip);
    // Said with the name, so that a listener knows a plain-text paste is there too.
    if (clip.content.kind == ClipKind::Text && !clip.content.companions.empty()) spoken.name += ", formatted";
    if (clip.content.kind == ClipKind::Files && clip.cache.missing_files != 0) spoken.name += MISSING_FILES;
    if (!clip.variables.empty()) {
        std::string asks = "Asks for: ";
        for (size_t i = 0; i < clip.variables.size(); ++i) asks += (i == 0 ? "" : ", ") + clip.variables[i].name;
        add_line(spoken.value, asks);
    }
    return spoken;
}

}  // namespace korvane
