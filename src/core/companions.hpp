// What a clip keeps beside its main content: the formats that carry a text's formatting or a
// picture's transparency, kept as the bytes another program wrote, and the privacy markers its
// owner set.  The pins file keeps both in a section of their own after the last record.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/pins_file.hpp"

namespace korvane {

inline constexpr char HTML_FORMAT[] = "HTML Format";
inline constexpr char RICH_TEXT_FORMAT[] = "Rich Text Format";
inline constexpr char PNG_FORMAT[] = "PNG";

inline constexpr char CLOUD_UPLOAD_MARKER[] = "CanUploadToCloudClipboard";
inline constexpr char HISTORY_MARKER[] = "CanIncludeInClipboardHistory";
inline constexpr char MONITOR_EXCLUSION_MARKER[] = "ExcludeClipboardContentFromMonitorProcessing";

// One clip's companions together; a companion that would go past this is left out.
constexpr uint64_t MAX_COMPANION_BYTES = uint64_t{64} << 20;
// Each block, as for the main formats.
constexpr uint64_t MAX_COMPANION_BLOCK = uint64_t{256} << 20;

// The registered formats read beside a clip of this kind, in the order they are read and
// written; none for a file list.  Only these are ever asked for: asking an owner for every
// format it offers makes it render each one.
std::span<const std::string_view> companion_formats(ClipKind kind);

// Whether a block of `size` bytes may join the companions already kept.
bool companion_fits(const std::vector<Companion>& kept, uint64_t size);

// The marker blocks a paste writes after the content, each a 4-byte little-endian value (the
// monitor exclusion's value is never read).  A secret is kept out of every clipboard history:
// all three markers, whatever the clip remembered.
std::vector<Companion> marker_blocks(const PrivacyMarkers& markers, bool secret);

// The pins file's section of companions and markers: a u32 version (1), a u32 entry count, and
// per entry the pin's index (u32), the format's name (u32 length, UTF-8) and its bytes (u32
// length, bytes).  Entries of a pin past the ones loaded, of a name that is not one of the pin's
// kind, or past its 64 MiB are left out; an entry that runs past the section loses them all.
constexpr uint32_t COMPANIONS_SECTION_TAG = 'C' | 'M' << 8 | 'P' << 16 | uint32_t('N') << 24;
PinsFilePieces encode_companions_section(const std::vector<Clip>& pins);
bool apply_companions_section(std::span<const uint8_t> bytes, std::vector<Clip>& pins);

}  // namespace korvane
