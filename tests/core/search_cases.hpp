// Texts in several scripts and what typing finds in them: the filter's own matching is tested
// against it natively, and Windows' linguistic search (FindNLSStringEx) against it under Wine, so
// that both are held to the same answers.
#pragma once

namespace korvane::search_cases {

struct Case {
    const char* text;
    const char* typed;
    bool found;
};

inline constexpr Case CASES[] = {
    {"Café au lait", "cafe", true},
    {"Straße", "strasse", true},
    {"STRASSE", "straße", true},
    {"École normale", "ecole", true},
    {"naïve", "NAIVE", true},
    {"Ångström", "angstrom", true},
    {"Smörgåsbord", "SMORGAS", true},
    {"İstanbul", "istanbul", true},
    {"Αθήνα", "αθηνα", true},
    {"ΑΘΉΝΑ", "αθηνα", true},
    {"Москва", "МОСК", true},
    {"Ёлка", "елка", true},
    {"日本語のテキスト", "テキスト", true},
    {"apple pie", "pear", false},
    {"Café", "cafés", false},
    {"Москва", "moskva", false},
};

}  // namespace korvane::search_cases
