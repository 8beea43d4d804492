#include "core/clip.hpp"

#include <atomic>

namespace korvane {

ClipContent ClipContent::make_text(std::string text) {
    ClipContent c;
    c.kind = ClipKind::Text;
    c.text = std::move(text);
    return c;
}

ClipContent ClipContent::make_image(Bytes dib) {
    ClipContent c;
    c.kind = ClipKind::Image;
    c.dib = DibBlock(std::move(dib));
    return c;
}

ClipContent ClipContent::make_files(std::vector<FilePath> files) {
    ClipContent c;
    c.kind = ClipKind::Files;
    c.files = std::move(files);
    return c;
}

void DrawingCache::reset() {
    handles_.reset();
    missing_files = 0;
}

ClipId next_clip_id() {
    static std::atomic<ClipId> counter{1};
    return counter.fetch_add(1);
}

namespace {

// One component of a Windows path: the prefix (drive, UNC share or device form), the root,
// "." at the start of a relative path, "..", or a name.
struct PathComponent {
    enum class Type : uint8_t { Prefix, Root, CurrentDir, ParentDir, Name };
    Type type;
    std::u16string_view text;  // the prefix's significant text, or the name
    bool operator==(const PathComponent&) const = default;
};

struct PathPrefix {
    enum class Type : uint8_t { None, Verbatim, VerbatimUnc, VerbatimDisk, DeviceNamespace, Unc, Disk };
    Type type = Type::None;
    std::u16string key;  // what identifies the prefix in a comparison
    size_t length = 0;   // code units the prefix takes
};

bool is_separator(char16_t c, bool verbatim) { return c == u'\\' || (!verbatim && c == u'/'); }

bool is_drive_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char16_t upper_ascii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

// Splits off the next piece up to a separator: returns the piece, advances `at` past it.
std::u16string_view next_piece(std::u16string_view path, size_t& at, bool verbatim) {
    const size_t start = at;
    while (at < path.size() && !is_separator(path[at], verbatim)) ++at;
    return path.substr(start, at - start);
}

PathPrefix parse_prefix(std::u16string_view path) {
    PathPrefix prefix;
    const auto key_of = [&](PathPrefix::Type type, std::u16string_view a, std::u16string_view b, size_t length) {
        prefix.type = type;
        prefix.key = std::u16string(a) + u'\0' + std::u16string(b);
        prefix.length = length;
    };
    if (path.starts_with(u"\\\\?\\")) {
        size_t at = 4;
        if (path.substr(at).starts_with(u"UNC\\")) {
            at += 4;
            const auto server = next_piece(path, at, true);
            if (at < path.size()) ++at;
            const auto share = next_piece(path, at, true);
            key_of(PathPrefix::Type::VerbatimUnc, server, share, at);
        } else if (path.size() >= at + 2 && is_drive_letter(path[at]) && path[at + 1] == u':' &&
                   (path.size() == at + 2 || path[at + 2] == u'\\')) {
            key_of(PathPrefix::Type::VerbatimDisk, std::u16string(1, upper_ascii(path[at])), u"", at + 2);
        } else {
            const auto name = next_piece(path, at, true);
            key_of(PathPrefix::Type::Verbatim, name, u"", at);
        }
    } else if (path.starts_with(u"\\\\.\\")) {
        size_t at = 4;
        const auto device = next_piece(path, at, false);
        key_of(PathPrefix::Type::DeviceNamespace, device, u"", at);
    } else if (path.size() >= 2 && is_separator(path[0], false) && is_separator(path[1], false)) {
        size_t at = 2;
        const auto server = next_piece(path, at, false);
        if (server.empty()) return prefix;  // "\\" alone is a root, not a share
        if (at < path.size()) ++at;
        const auto share = next_piece(path, at, false);
        key_of(PathPrefix::Type::Unc, server, share, at);
    } else if (path.size() >= 2 && is_drive_letter(path[0]) && path[1] == u':') {
        key_of(PathPrefix::Type::Disk, std::u16string(1, upper_ascii(path[0])), u"", 2);
    }
    return prefix;
}

struct ParsedPath {
    PathPrefix prefix;
    std::vector<PathComponent> components;
};

ParsedPath parse_path(std::u16string_view path) {
    ParsedPath parsed;
    parsed.prefix = parse_prefix(path);
    const bool verbatim = parsed.prefix.type == PathPrefix::Type::Verbatim ||
                          parsed.prefix.type == PathPrefix::Type::VerbatimUnc ||
                          parsed.prefix.type == PathPrefix::Type::VerbatimDisk;
    size_t at = parsed.prefix.length;
    const bool has_prefix = parsed.prefix.type != PathPrefix::Type::None;
    // Every prefix but a bare drive letter implies a root.
    bool has_root = has_prefix && parsed.prefix.type != PathPrefix::Type::Disk;
    if (at < path.size() && is_separator(path[at], verbatim)) has_root = true;
    if (has_root) parsed.components.push_back({PathComponent::Type::Root, {}});
    bool first = true;
    while (at < path.size()) {
        if (is_separator(path[at], verbatim)) {
            ++at;
            continue;
        }
        const auto piece = next_piece(path, at, verbatim);
        if (piece == u".") {
            // Kept only where it means something: the start of a relative path, or a verbatim path.
            if (verbatim || (first && !has_root))
                parsed.components.push_back({PathComponent::Type::CurrentDir, {}});
        } else if (piece == u"..") {
            parsed.components.push_back({PathComponent::Type::ParentDir, {}});
        } else {
            parsed.components.push_back({PathComponent::Type::Name, piece});
        }
        first = false;
    }
    return parsed;
}

}  // namespace

bool same_path(std::u16string_view a, std::u16string_view b) {
    if (a == b) return true;
    const ParsedPath pa = parse_path(a);
    const ParsedPath pb = parse_path(b);
    return pa.prefix.type == pb.prefix.type && pa.prefix.key == pb.prefix.key && pa.components == pb.components;
}

std::optional<char16_t> path_drive(std::u16string_view path) {
    const PathPrefix prefix = parse_prefix(path);
    switch (prefix.type) {
    case PathPrefix::Type::Disk:
    case PathPrefix::Type::VerbatimDisk: return prefix.key[0];
    case PathPrefix::Type::DeviceNamespace:
        // "\\.\C:\..." names the drive's device.
        if (prefix.key.size() == 3 && is_drive_letter(prefix.key[0]) && prefix.key[1] == u':')
            return upper_ascii(prefix.key[0]);
        return std::nullopt;
    default: return std::nullopt;
    }
}

bool same_content(const ClipContent& a, const ClipContent& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case ClipKind::Text: return a.text == b.text;
    case ClipKind::Image: return a.dib == b.dib;
    case ClipKind::Files:
        if (a.files.size() != b.files.size()) return false;
        for (size_t i = 0; i < a.files.size(); ++i)
            if (!same_path(a.files[i], b.files[i])) return false;
        return true;
    }
    return false;
}

}  // namespace korvane
