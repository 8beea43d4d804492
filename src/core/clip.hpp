// The one record of the program: a clip, with what it holds and how its tile is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/dib_block.hpp"
#include "core/picture.hpp"
#include "core/template.hpp"

namespace korvane {

// The codes are stored in the pins file.
enum class ClipKind : uint8_t { Text = 0, Image = 1, Files = 2 };

using FilePath = std::u16string;  // the shell's UTF-16 code units, unpaired surrogates included

// A registered clipboard format kept beside the main content as the bytes its owner wrote.
struct Companion {
    std::string format;  // the name it was registered by
    Bytes bytes;
    bool operator==(const Companion&) const = default;
};

// What the content's owner asked of clipboard histories: no upload to other devices, and a
// history that was told it may keep the content (one that was told not to is never captured).
struct PrivacyMarkers {
    bool no_cloud_upload = false;
    bool history_allowed = false;
    bool operator==(const PrivacyMarkers&) const = default;
};

struct ClipContent {
    ClipKind kind = ClipKind::Text;
    std::string text;              // Text: UTF-8, exactly as captured
    DibBlock dib;                  // Image: the whole packed DIB block, kept compressed when big
    std::vector<FilePath> files;   // Files: the paths in list order
    // Not part of what makes two contents the same: a capture equal to a clip in all but these
    // gives the clip the newer ones.
    std::vector<Companion> companions;
    PrivacyMarkers markers;

    static ClipContent make_text(std::string text);
    static ClipContent make_image(Bytes dib);
    static ClipContent make_files(std::vector<FilePath> files);
};

constexpr size_t CUSTOM_ICON_BYTES = PICTURE_BYTES;  // a picture: 96 x 96 premultiplied BGRA
constexpr unsigned ANIMAL_COUNT = 30;

// The drawing layer's per-clip handles.  The store owns their lifetime without knowing what
// they are: whoever fills the cache supplies the function that releases them.
struct TileCache;
using TileCacheRelease = void (*)(TileCache*);

class DrawingCache {
public:
    DrawingCache() = default;
    DrawingCache(DrawingCache&&) noexcept = default;
    DrawingCache& operator=(DrawingCache&&) noexcept = default;

    TileCache* handles() const { return handles_.get(); }
    void set_handles(TileCache* handles, TileCacheRelease release) { handles_ = Handles(handles, release); }
    // Releases the handles and clears the missing-files flag.
    void reset();

    uint8_t missing_files = 0;
    // Set while a tile is being drawn, so a re-entered drawing leaves the cache alone.
    bool busy = false;

private:
    using Handles = std::unique_ptr<TileCache, TileCacheRelease>;
    Handles handles_{nullptr, nullptr};
};

using ClipId = uint64_t;

// Move-only: a clip owns its cached handles, which are released when it is destroyed.
struct Clip {
    ClipContent content;
    std::vector<VariableDefinition> variables;
    std::optional<Bytes> custom_icon;  // CUSTOM_ICON_BYTES when present
    std::optional<std::string> name;
    ClipId id = 0;
    unsigned animal_index = 0;
    DrawingCache cache;
    // Counts the changes of the text and the definitions, so that a dialog opened on older ones
    // can tell when it comes back: its result is then out of date.
    uint64_t edits = 0;
};

// Ids come from one process-wide counter that starts at 1; they are never reused in a run.
ClipId next_clip_id();

bool same_content(const ClipContent& a, const ClipContent& b);

// Compares two paths by their components (prefix, root, names) as Windows splits them:
// separators may repeat or trail, interior "." is skipped, names compare case-sensitively.
bool same_path(std::u16string_view a, std::u16string_view b);

// The drive letter, in upper case, of a path on a drive: "c:\x", "C:x", "\\?\C:\x", "\\.\C:\x".
// Nothing for a share ("\\server\share", "\\?\UNC\server\share"), another device or a path
// without a drive.
std::optional<char16_t> path_drive(std::u16string_view path);

}  // namespace korvane
