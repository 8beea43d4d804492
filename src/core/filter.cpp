#include "core/filter.hpp"

#include <algorithm>
#include <optional>

#include "core/text.hpp"

namespace korvane {
namespace {

// A character as the filter compares it, to the sink: without case and accents (a combining
// accent is dropped, a letter with an accent becomes its plain letter), and the sharp s as "ss",
// as Windows' own search compares them.
template <class Sink>
void fold_for_search(char32_t c, Sink&& sink) {
    if (c >= 0x300 && c <= 0x36F) return;  // combining accents
    if (c == 0xDF || c == 0x1E9E) {
        sink(U's');
        sink(U's');
        return;
    }
    sink(strip_accent(fold_case(c)));
}

// Knuth–Morris–Pratt over folded characters: one pass over the searched text, whatever it
// repeats.
class FoldedSearch {
public:
    explicit FoldedSearch(std::string_view typed) {
        decode(utf8_to_utf16(typed), [&](char32_t c) { fold_for_search(c, [&](char32_t f) { needle_.push_back(f); }); });
        fallback_.assign(needle_.size(), 0);
        for (size_t i = 1, k = 0; i < needle_.size(); ++i) {
            while (k > 0 && needle_[i] != needle_[k]) k = fallback_[k - 1];
            if (needle_[i] == needle_[k]) ++k;
            fallback_[i] = k;
        }
    }

    bool empty() const { return needle_.empty(); }

    bool found_in_utf8(std::string_view text) const {
        return found_in_units(utf8_to_utf16(text.substr(0, std::min(text.size(), SEARCHED_TEXT_BYTES))));
    }

    bool found_in_units(std::u16string_view units) const {
        size_t matched = 0;
        bool found = false;
        decode(units, [&](char32_t c) {
            fold_for_search(c, [&](char32_t folded) {
                if (found) return;
                while (matched > 0 && needle_[matched] != folded) matched = fallback_[matched - 1];
                if (needle_[matched] == folded) ++matched;
                if (matched == needle_.size()) found = true;
            });
        });
        return found;
    }

private:
    template <class Sink>
    static void decode(std::u16string_view units, Sink sink) {
        for (size_t i = 0; i < units.size(); ++i) {
            const char32_t u = units[i];
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                sink(0x10000 + ((u - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
                ++i;
            } else {
                sink(u);
            }
        }
    }

    std::vector<char32_t> needle_;
    std::vector<size_t> fallback_;
};

bool matches(const Clip& clip, const FoldedSearch& search) {
    if (search.empty()) return true;
    if (clip.name && search.found_in_utf8(*clip.name)) return true;
    switch (clip.content.kind) {
    case ClipKind::Text: return search.found_in_utf8(clip.content.text);
    case ClipKind::Image: return false;
    case ClipKind::Files:
        for (const FilePath& path : clip.content.files)
            if (search.found_in_units(file_name_of(path))) return true;
        return false;
    }
    return false;
}

}  // namespace

char32_t fold_case(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 32;  // Latin-1 capitals, not the multiplication sign
    if (c == 0x130) return U'i';
    if (c == 0x178) return 0xFF;
    // Latin Extended-A: a capital and its small letter side by side.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1 ? c + 1 : c;
    // Greek.
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    // Cyrillic.
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) return c | 1;
    if (c == 0x4C0) return 0x4CF;
    if (c >= 0x4C1 && c <= 0x4CE) return c % 2 == 1 ? c + 1 : c;
    // Armenian.
    if (c >= 0x531 && c <= 0x556) return c + 48;
    return c;
}

char32_t strip_accent(char32_t c) {
    // The small letters of Latin-1 from U+00E0, and of Latin Extended-A; '-' has no plain letter.
    static constexpr char latin1[] = "aaaaaa-ceeeeiiii-nooooo--uuuuy-y";
    static constexpr char extended_a[] = "aaaaaaccccccccdd--eeeeeeeeeegggggggghh--iiiiiiiii---jjkk-llllll----nnnnnn---oooooo--rrrrrrsssssssstttt--uuuuuuuuuuuuwwyyyzzzzzz-";
    if (c >= 0xE0 && c <= 0xFF) return latin1[c - 0xE0] == '-' ? c : char32_t(latin1[c - 0xE0]);
    if (c >= 0x100 && c <= 0x17F) return extended_a[c - 0x100] == '-' ? c : char32_t(extended_a[c - 0x100]);
    switch (c) {  // Greek with tonos or dialytika, Cyrillic with a breve or diaeresis
    case 0x3AC: return 0x3B1;
    case 0x3AD: return 0x3B5;
    case 0x3AE: return 0x3B7;
    case 0x3AF: case 0x3CA: case 0x390: return 0x3B9;
    case 0x3CC: return 0x3BF;
    case 0x3CD: case 0x3CB: case 0x3B0: return 0x3C5;
    case 0x3CE: return 0x3C9;
    case 0x439: return 0x438;
    case 0x451: return 0x435;
    case 0x457: return 0x456;
    case 0x45E: return 0x443;
    }
    return c;
}

bool clip_matches(const Clip& clip, std::string_view typed) { return matches(clip, FoldedSearch(typed)); }

ShownClips shown_clips(const ClipStore& store, std::string_view typed) {
    const FoldedSearch search(typed);
    ShownClips shown;
    for (size_t i = 0; i < store.recent.size(); ++i)
        if (matches(store.recent[i], search)) shown.recent.push_back(i);
    for (size_t i = 0; i < store.pins.size(); ++i)
        if (matches(store.pins[i], search)) shown.pins.push_back(i);
    return shown;
}

ShownClips shown_clips(RememberedClips& remembered, const ClipStore& store, std::string_view typed) {
    if (typed.empty()) return shown_clips(store, typed);
    using Seen = RememberedClips::Seen;
    const auto same = [](const std::vector<Seen>& seen, const auto& clips) {
        return std::equal(seen.begin(), seen.end(), clips.begin(), clips.end(), [](const Seen& s, const Clip& c) {
            return s.id == c.id && s.edits == c.edits && s.name == c.name;
        });
    };
    if (remembered.searches > 0 && remembered.typed == typed && same(remembered.recent, store.recent) &&
        same(remembered.pins, store.pins))
        return remembered.shown;
    const auto seen = [](const auto& clips) {
        std::vector<Seen> list;
        for (const Clip& clip : clips) list.push_back({clip.id, clip.edits, clip.name});
        return list;
    };
    remembered.typed = typed;
    remembered.recent = seen(store.recent);
    remembered.pins = seen(store.pins);
    remembered.shown = shown_clips(store, typed);
    ++remembered.searches;
    return remembered.shown;
}

Clip* shown_clip(ClipStore& store, const ShownClips& shown, Area area, size_t index) {
    const std::vector<size_t>& indices = area == Area::Recent ? shown.recent : shown.pins;
    if (index >= indices.size()) return nullptr;
    return clip_at(store, {area, indices[index]});
}

}  // namespace korvane
