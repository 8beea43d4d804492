#include "core/drop_list.hpp"

#include "core/byte_io.hpp"

namespace korvane {

bool check_drop_block(std::span<const uint8_t> block) {
    if (block.size() < 20) return false;
    const uint64_t start = u32_at(block, 0);
    const bool wide = u32_at(block, 16) != 0;
    const uint64_t unit = wide ? 2 : 1;
    const auto unit_at = [&](uint64_t at) { return wide ? uint32_t(u16_at(block, size_t(at))) : uint32_t(block[size_t(at)]); };
    if (start < 20 || start > block.size()) return false;
    // Names end with a zero unit; the list ends with one more (an empty list is that zero alone).
    bool at_name_start = true;
    for (uint64_t at = start; at + unit <= block.size(); at += unit) {
        const bool zero = unit_at(at) == 0;
        if (zero && at_name_start) return true;
        at_name_start = zero;
    }
    return false;
}

std::optional<uint64_t> drop_file_count(std::span<const uint8_t> block) {
    if (!check_drop_block(block)) return std::nullopt;
    const bool wide = u32_at(block, 16) != 0;
    const uint64_t unit = wide ? 2 : 1;
    uint64_t names = 0;
    bool at_name_start = true;
    for (uint64_t at = u32_at(block, 0); at + unit <= block.size(); at += unit) {
        const bool zero = (wide ? uint32_t(u16_at(block, size_t(at))) : uint32_t(block[size_t(at)])) == 0;
        if (zero && at_name_start) break;
        if (zero) ++names;
        at_name_start = zero;
    }
    return names;
}

std::optional<std::vector<FilePath>> parse_drop_block(std::span<const uint8_t> block) {
    if (!check_drop_block(block) || u32_at(block, 16) == 0) return std::nullopt;
    std::vector<FilePath> paths;
    FilePath name;
    for (size_t at = u32_at(block, 0); at + 2 <= block.size(); at += 2) {
        const auto unit = static_cast<char16_t>(u16_at(block, at));
        if (unit != 0) {
            name.push_back(unit);
        } else if (name.empty()) {
            break;  // the empty name that ends the list
        } else {
            paths.push_back(std::move(name));
            name.clear();
        }
    }
    return paths;
}

std::optional<std::vector<std::string>> parse_narrow_drop_block(std::span<const uint8_t> block) {
    if (!check_drop_block(block) || u32_at(block, 16) != 0) return std::nullopt;
    std::vector<std::string> names;
    std::string name;
    for (size_t at = u32_at(block, 0); at < block.size(); ++at) {
        const uint8_t byte = block[at];
        if (byte != 0) {
            name.push_back(static_cast<char>(byte));
        } else if (name.empty()) {
            break;  // the empty name that ends the list
        } else {
            names.push_back(std::move(name));
            name.clear();
        }
    }
    return names;
}

}  // namespace korvane
