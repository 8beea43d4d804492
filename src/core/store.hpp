// The clip store: the Recent list (newest first, at most 10) and the pins (in the user's
// order, at most 20).  Operations that change a pin return true; the caller then saves the
// pins file.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

constexpr size_t RECENT_CAPACITY = 10;
constexpr size_t PIN_CAPACITY = 20;

struct ClipStore {
    std::deque<Clip> recent;
    std::vector<Clip> pins;
};

enum class Area : uint8_t { Recent, Pinned };

struct ClipLocation {
    Area area;
    size_t index;
    bool operator==(const ClipLocation&) const = default;
};

// The smallest animal index that no clip of the store uses.
unsigned free_animal_index(const ClipStore& store);
std::optional<ClipLocation> find_clip(const ClipStore& store, ClipId id);
Clip* clip_at(ClipStore& store, ClipLocation at);

void push_recent(ClipStore& store, Clip clip);
void truncate_recent(ClipStore& store, size_t n);
std::optional<Clip> remove_recent(ClipStore& store, size_t index);
Clip remove_pin(ClipStore& store, size_t index);

// A content just read from the clipboard: ignored when a pin holds it, moved to the front when
// a Recent clip holds it, otherwise a new clip at the front.
void record_capture(ClipStore& store, ClipContent content);

bool pin_clip(ClipStore& store, size_t recent_index);
bool unpin_clip(ClipStore& store, size_t pin_index);
// Drag and drop of the clip at `source` to position `target_index` of `target_area`.
bool move_clip(ClipStore& store, ClipLocation source, Area target_area, size_t target_index);
bool delete_clip(ClipStore& store, ClipLocation at);
void clear_recent(ClipStore& store);
bool add_pin(ClipStore& store, ClipContent content, std::optional<std::string> name,
             std::vector<VariableDefinition> variables);

// These two report whether the location is a pin (then the pins file is saved), valid or not.
bool set_custom_icon(ClipStore& store, ClipLocation at, std::optional<Bytes> icon);
bool set_variables(ClipStore& store, ClipLocation at, std::vector<VariableDefinition> variables);

void set_name(Clip& clip, std::optional<std::string> name);
void set_text(Clip& clip, std::string text);

// Asks the file system whether a path can still be queried.
using PathExists = std::function<bool(const FilePath&)>;

// Sets the missing-files flag of a Files clip when one of its paths is gone; returns the flag.
uint8_t check_missing_files(Clip& clip, const PathExists& exists);

}  // namespace korvane
