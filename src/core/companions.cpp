#include "core/companions.hpp"

#include <algorithm>

#include "core/byte_io.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

constexpr std::string_view TEXT_COMPANIONS[] = {HTML_FORMAT, RICH_TEXT_FORMAT};
constexpr std::string_view IMAGE_COMPANIONS[] = {PNG_FORMAT};

constexpr uint32_t SECTION_VERSION = 1;
constexpr uint8_t MARKER_OFF[] = {0, 0, 0, 0};
constexpr uint8_t MARKER_ON[] = {1, 0, 0, 0};

uint64_t companion_bytes(const std::vector<Companion>& kept) {
    uint64_t total = 0;
    for (const Companion& c : kept) total += c.bytes.size();
    return total;
}

Companion marker(std::string_view name, std::span<const uint8_t> value) {
    return {std::string(name), Bytes(value.begin(), value.end())};
}

// The pieces refer to the bytes where they lie: the pin's companion, or a marker's constant value.
void append_entry(PinsFilePieces& out, uint32_t index, std::string_view name, std::span<const uint8_t> bytes) {
    Bytes& head = out.buffers.emplace_back();
    append_u32(head, index);
    append_u32(head, static_cast<uint32_t>(name.size()));
    head.insert(head.end(), name.begin(), name.end());
    append_u32(head, static_cast<uint32_t>(bytes.size()));
    out.pieces.push_back(head);
    if (!bytes.empty()) out.pieces.push_back(bytes);
}

bool is_companion_of(ClipKind kind, std::string_view name) {
    const std::span<const std::string_view> names = companion_formats(kind);
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A stored marker says what it said when it was captured: only its value 0 or 1 is taken.
void apply_marker(std::string_view name, std::span<const uint8_t> value, PrivacyMarkers& markers) {
    const bool is_on = value.size() == 4 && std::equal(value.begin(), value.end(), MARKER_ON);
    const bool is_off = value.size() == 4 && std::equal(value.begin(), value.end(), MARKER_OFF);
    if (name == CLOUD_UPLOAD_MARKER && is_off) markers.no_cloud_upload = true;
    if (name == HISTORY_MARKER && is_on) markers.history_allowed = true;
}

}  // namespace

std::span<const std::string_view> companion_formats(ClipKind kind) {
    switch (kind) {
    case ClipKind::Text: return TEXT_COMPANIONS;
    case ClipKind::Image: return IMAGE_COMPANIONS;
    case ClipKind::Files: break;
    }
    return {};
}

bool companion_fits(const std::vector<Companion>& kept, uint64_t size) {
    return size > 0 && size <= MAX_COMPANION_BLOCK && size <= MAX_COMPANION_BYTES - companion_bytes(kept);
}

std::vector<Companion> marker_blocks(const PrivacyMarkers& markers, bool secret) {
    std::vector<Companion> blocks;
    if (secret) {
        blocks.push_back(marker(MONITOR_EXCLUSION_MARKER, MARKER_OFF));
        blocks.push_back(marker(HISTORY_MARKER, MARKER_OFF));
        blocks.push_back(marker(CLOUD_UPLOAD_MARKER, MARKER_OFF));
        return blocks;
    }
    if (markers.history_allowed) blocks.push_back(marker(HISTORY_MARKER, MARKER_ON));
    if (markers.no_cloud_upload) blocks.push_back(marker(CLOUD_UPLOAD_MARKER, MARKER_OFF));
    return blocks;
}

PinsFilePieces encode_companions_section(const std::vector<Clip>& pins) {
    PinsFilePieces out;
    // The entry count is filled in once the entries are known; a buffer's bytes stay where they
    // are when more buffers are added, so the piece that refers to it stays valid.
    Bytes& head = out.buffers.emplace_back();
    append_u32(head, SECTION_VERSION);
    append_u32(head, 0);
    out.pieces.push_back(head);
    uint32_t entries = 0;
    for (size_t i = 0; i < pins.size(); ++i) {
        const auto index = static_cast<uint32_t>(i);
        const ClipContent& content = pins[i].content;
        for (const Companion& c : content.companions) append_entry(out, index, c.format, c.bytes);
        entries += static_cast<uint32_t>(content.companions.size());
        if (content.markers.history_allowed) {
            append_entry(out, index, HISTORY_MARKER, MARKER_ON);
            ++entries;
        }
        if (content.markers.no_cloud_upload) {
            append_entry(out, index, CLOUD_UPLOAD_MARKER, MARKER_OFF);
            ++entries;
        }
    }
    if (entries == 0) return {};
    for (int b = 0; b < 4; ++b) out.buffers.front()[size_t(4 + b)] = static_cast<uint8_t>(entries >> (8 * b));
    return out;
}

bool apply_companions_section(std::span<const uint8_t> bytes, std::vector<Clip>& pins) {
    ByteCursor in{bytes};
    uint32_t version = 0, count = 0;
    if (!in.u32(version) || version != SECTION_VERSION || !in.u32(count)) return false;
    std::vector<std::vector<Companion>> companions(pins.size());
    std::vector<PrivacyMarkers> markers(pins.size());
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t index = 0, name_length = 0, length = 0;
        std::span<const uint8_t> name_bytes, block;
        if (!in.u32(index) || !in.u32(name_length) || !in.bytes(name_length, name_bytes) || !in.u32(length) ||
            !in.bytes(length, block))
            return false;
        const std::string name(name_bytes.begin(), name_bytes.end());
        if (index >= pins.size() || !is_valid_utf8(name)) continue;
        if (is_companion_of(pins[index].content.kind, name)) {
            if (companion_fits(companions[index], block.size()))
                companions[index].push_back({name, Bytes(block.begin(), block.end())});
        } else {
            apply_marker(name, block, markers[index]);
        }
    }
    for (size_t i = 0; i < pins.size(); ++i) {
        pins[i].content.companions = std::move(companions[i]);
        pins[i].content.markers = markers[i];
    }
    return true;
}

}  // namespace korvane
