// Type to filter: which clips the popup keeps for the text typed into it.  A clip is kept when
// its text, its name or the name of one of its files contains the typed text, compared without
// regard to case or accents, the sharp s as "ss" (as Windows' own search compares them: "cafe"
// finds "Café", "strasse" finds "Straße"); a picture is found by its name only.  Without typed
// text every clip is kept.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store.hpp"

namespace korvane {

// Only this much of a text is searched, so that a keystroke costs the same whatever was copied.
constexpr size_t SEARCHED_TEXT_BYTES = size_t{1} << 20;

bool clip_matches(const Clip& clip, std::string_view typed);

// The clips a toolbar shows, as indices into the store's lists, in the store's order.
struct ShownClips {
    std::vector<size_t> recent;
    std::vector<size_t> pins;
};

ShownClips shown_clips(const ClipStore& store, std::string_view typed);

// The clips shown for a typed text, kept from one call to the next: the search runs again only
// when the text, or a clip (its place, its text or its name), has changed since.  Without typed
// text nothing is searched or kept.
struct RememberedClips {
    struct Seen {
        ClipId id = 0;
        uint64_t edits = 0;
        std::optional<std::string> name;
        bool operator==(const Seen&) const = default;
    };
    std::string typed;
    std::vector<Seen> recent;
    std::vector<Seen> pins;
    ShownClips shown;
    uint64_t searches = 0;  // how many times the clips were searched
};
ShownClips shown_clips(RememberedClips& remembered, const ClipStore& store, std::string_view typed);

// The clip shown at a tile's place, or null past the end.
Clip* shown_clip(ClipStore& store, const ShownClips& shown, Area area, size_t index);

// A character compared without regard to case: the small letter of a capital one in the Latin,
// Greek, Cyrillic and Armenian alphabets (and a final sigma as a sigma); others are themselves.
char32_t fold_case(char32_t c);

// A small letter without its accent: the plain Latin letter for those of Latin-1 and Latin
// Extended-A that are a letter and accents, the plain Greek vowel for one with tonos or
// dialytika, and for the Cyrillic й, ё, ї and ў their plain letters; others are themselves.
char32_t strip_accent(char32_t c);

}  // namespace korvane
