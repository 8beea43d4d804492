#include "core/store.hpp"

#include <algorithm>
#include <array>

namespace korvane {

unsigned free_animal_index(const ClipStore& store) {
    std::array<bool, RECENT_CAPACITY + PIN_CAPACITY + 1> used{};
    const auto mark = [&](const Clip& clip) {
        if (clip.animal_index < used.size()) used[clip.animal_index] = true;
    };
    std::for_each(store.recent.begin(), store.recent.end(), mark);
    std::for_each(store.pins.begin(), store.pins.end(), mark);
    unsigned index = 0;
    while (index < used.size() && used[index]) ++index;
    return index;
}

std::optional<ClipLocation> find_clip(const ClipStore& store, ClipId id) {
    for (size_t i = 0; i < store.recent.size(); ++i)
        if (store.recent[i].id == id) return ClipLocation{Area::Recent, i};
    for (size_t i = 0; i < store.pins.size(); ++i)
        if (store.pins[i].id == id) return ClipLocation{Area::Pinned, i};
    return std::nullopt;
}

Clip* clip_at(ClipStore& store, ClipLocation at) {
    if (at.area == Area::Recent) return at.index < store.recent.size() ? &store.recent[at.index] : nullptr;
    return at.index < store.pins.size() ? &store.pins[at.index] : nullptr;
}

void push_recent(ClipStore& store, Clip clip) {
    store.recent.push_front(std::move(clip));
    truncate_recent(store, RECENT_CAPACITY);
}

void truncate_recent(ClipStore& store, size_t n) {
    while (store.recent.size() > n) store.recent.pop_back();
}

std::optional<Clip> remove_recent(ClipStore& store, size_t index) {
    if (index >= store.recent.size()) return std::nullopt;
    Clip clip = std::move(store.recent[index]);
    store.recent.erase(store.recent.begin() + static_cast<std::ptrdiff_t>(index));
    return clip;
}

Clip remove_pin(ClipStore& store, size_t index) {
    Clip clip = std::move(store.pins[index]);
    store.pins.erase(store.pins.begin() + static_cast<std::ptrdiff_t>(index));
    return clip;
}

void record_capture(ClipStore& store, ClipContent content) {
    for (const Clip& pin : store.pins)
        if (same_content(pin.content, content)) return;
    for (size_t i = 0; i < store.recent.size(); ++i) {
        if (same_content(store.recent[i].content, content)) {
            // What comes back is what was copied last: its formatting and its markers.
            Clip clip = std::move(*remove_recent(store, i));
            clip.content.companions = std::move(content.companions);
            clip.content.markers = content.markers;
            push_recent(store, std::move(clip));
            return;
        }
    }
    truncate_recent(store, RECENT_CAPACITY - 1);
    Clip clip;
    clip.content = std::move(content);
    clip.id = next_clip_id();
    clip.animal_index = free_animal_index(store);
    push_recent(store, std::move(clip));
}

bool pin_clip(ClipStore& store, size_t recent_index) {
    if (store.pins.size() >= PIN_CAPACITY || recent_index >= store.recent.size()) return false;
    store.pins.push_back(std::move(*remove_recent(store, recent_index)));
    return true;
}

bool unpin_clip(ClipStore& store, size_t pin_index) {
    if (pin_index >= store.pins.size()) return false;
    push_recent(store, remove_pin(store, pin_index));
    return true;
}

bool move_clip(ClipStore& store, ClipLocation source, Area target_area, size_t target_index) {
    if (target_area == Area::Pinned && source.area == Area::Recent && store.pins.size() >= PIN_CAPACITY)
        return false;
    if (source.area == target_area && source.index < target_index) --target_index;
    std::optional<Clip> clip;
    if (source.area == Area::Pinned) {
        if (source.index >= store.pins.size()) return false;
        clip = remove_pin(store, source.index);
    } else {
        clip = remove_recent(store, source.index);
        if (!clip) return false;
    }
    if (target_area == Area::Pinned) {
        const size_t at = std::min(target_index, store.pins.size());
        store.pins.insert(store.pins.begin() + static_cast<std::ptrdiff_t>(at), std::move(*clip));
    } else {
        const size_t at = std::min({target_index, store.recent.size(), RECENT_CAPACITY - 1});
        store.recent.insert(store.recent.begin() + static_cast<std::ptrdiff_t>(at), std::move(*clip));
        truncate_recent(store, RECENT_CAPACITY);
    }
    return source.area == Area::Pinned || target_area == Area::Pinned;
}

bool delete_clip(ClipStore& store, ClipLocation at) {
    if (at.area == Area::Pinned) {
        if (at.index >= store.pins.size()) return false;
        remove_pin(store, at.index);
        return true;
    }
    remove_recent(store, at.index);
    return false;
}

void clear_recent(ClipStore& store) { truncate_recent(store, 0); }

bool add_pin(ClipStore& store, ClipContent content, std::optional<std::string> name,
             std::vector<VariableDefinition> variables) {
    if (store.pins.size() >= PIN_CAPACITY) return false;
    Clip clip;
    clip.content = std::move(content);
    clip.variables = std::move(variables);
    clip.name = std::move(name);
    clip.id = next_clip_id();
    clip.animal_index = free_animal_index(store);
    store.pins.push_back(std::move(clip));
    return true;
}

bool set_custom_icon(ClipStore& store, ClipLocation at, std::optional<Bytes> icon) {
    if (Clip* clip = clip_at(store, at)) {
        clip->custom_icon = std::move(icon);
        clip->cache.reset();
    }
    return at.area == Area::Pinned;
}

bool set_variables(ClipStore& store, ClipLocation at, std::vector<VariableDefinition> variables) {
    if (Clip* clip = clip_at(store, at)) {
        clip->variables = std::move(variables);
        ++clip->edits;
    }
    return at.area == Area::Pinned;
}

void set_name(Clip& clip, std::optional<std::string> name) { clip.name = std::move(name); }

void set_text(Clip& clip, std::string text) {
    if (clip.content.kind != ClipKind::Text) return;
    // The formatting was of the text as it was copied; it cannot follow an edit.
    if (text != clip.content.text) clip.content.companions.clear();
    clip.content.text = std::move(text);
    clip.cache.reset();
    ++clip.edits;
}

uint8_t check_missing_files(Clip& clip, const PathExists& exists) {
    uint8_t missing = 0;
    if (clip.content.kind == ClipKind::Files)
        missing = std::any_of(clip.content.files.begin(), clip.content.files.end(),
                              [&](const FilePath& path) { return !exists(path); })
                      ? 1
                      : 0;
    clip.cache.missing_files = missing;
    return missing;
}

}  // namespace korvane
