// Wiping a secret from memory once it has been used.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

namespace korvane {

// Every character the string has room for, so what an earlier, longer value left there, or
// what a move out of its inner buffer left behind, goes too.
template <class Char>
void wipe(std::basic_string<Char>& text) {
    SecureZeroMemory(text.data(), text.capacity() * sizeof(Char));
    text.clear();
}

template <class T>
    requires std::is_trivially_copyable_v<T>
void wipe(std::vector<T>& buffer) {
    if (!buffer.empty()) SecureZeroMemory(buffer.data(), buffer.size() * sizeof(T));
    buffer.clear();
}

inline void wipe(std::vector<std::vector<std::string>>& value_lists) {
    for (std::vector<std::string>& values : value_lists)
        for (std::string& value : values) wipe(value);
    value_lists.clear();
}

}  // namespace korvane
