#include "core/pins_file.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>

#include "core/byte_io.hpp"
#include "core/companions.hpp"
#include "core/secrets.hpp"
#include "core/store.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

constexpr std::array<uint8_t, 4> MAGIC{'K', 'R', 'V', 'N'};
constexpr std::array<uint8_t, 4> SECTIONS_MAGIC{'K', 'R', 'V', 'X'};

// Reads little-endian fields from the file's source; every read checks that its bytes lie inside
// the file before anything is allocated for them.  Small fields come through a buffer; a block at
// least as large as the buffer is read straight into its own memory, so a picture is copied once.
class Reader {
public:
    explicit Reader(const PinsFileSource& source) : source_(source), left_(source.size) {}

    bool u8(uint8_t& out) { return take(&out, 1); }
    bool u32(uint32_t& out) {
        uint8_t b[4];
        if (!take(b, 4)) return false;
        out = u32_at(b, 0);
        return true;
    }
    bool u64(uint64_t& out) {
        uint8_t b[8];
        if (!take(b, 8)) return false;
        out = u64_at(b, 0);
        return true;
    }
    // From here on every byte read goes into a CRC-32, which `check` gives.
    void start_check() {
        checking_ = true;
        crc_ = 0;
    }
    uint32_t check() const { return crc_; }
    template <class Container>
    bool block(uint64_t length, Container& out) {
        if (left() < length) return false;
        out.resize(static_cast<size_t>(length));
        return take(reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(length));
    }
    bool skip(uint64_t length) {
        if (left() < length) return false;
        uint8_t scratch[4096];
        while (length > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(length, sizeof scratch));
            if (!take(scratch, n)) return false;
            length -= n;
        }
        return true;
    }
    bool string(std::string& out) {
        uint32_t length = 0;
        return u32(length) && block(length, out) && is_valid_utf8(out);
    }
    bool string_list(std::vector<std::string>& out) {
        uint32_t count = 0;
        if (!u32(count)) return false;
        // Each string needs at least its 4-byte length, so a count the file cannot hold fails
        // here.  Nothing is reserved by the count even so: a string takes 8 times its 4 bytes in
        // memory, and a file of some gigabytes would have that reserved before its strings are read.
        if (uint64_t(count) * 4 > left()) return false;
        for (uint32_t i = 0; i < count; ++i) {
            std::string s;
            if (!string(s)) return false;
            out.push_back(std::move(s));
        }
        return true;
    }
    uint64_t left() const { return left_; }

private:
    static constexpr size_t BUFFER = 64 * 1024;

    bool take(uint8_t* out, size_t n) {
        if (!copy(out, n)) return false;
        if (checking_) crc_ = crc32({out, n}, crc_);
        return true;
    }

    bool copy(uint8_t* out, size_t n) {
        if (left_ < n) return false;
        if (n == 0) return true;
        left_ -= n;
        const size_t buffered = std::min(n, buffer_.size() - at_);
        if (buffered > 0) std::memcpy(out, buffer_.data() + at_, buffered);
        at_ += buffered;
        out += buffered;
        n -= buffered;
        if (n == 0) return true;
        if (n >= BUFFER) return source_.read(out, n);
        // Refill with what the file has left, up to a whole buffer.
        const size_t fill = static_cast<size_t>(std::min<uint64_t>(BUFFER, left_ + n));
        buffer_.resize(fill);
        at_ = 0;
        if (!source_.read(buffer_.data(), fill)) return false;
        std::memcpy(out, buffer_.data(), n);
        at_ = n;
        return true;
    }

    const PinsFileSource& source_;
    uint64_t left_;  // bytes of the file not yet taken, buffered ones included
    std::vector<uint8_t> buffer_;
    size_t at_ = 0;
    bool checking_ = false;
    uint32_t crc_ = 0;
};

bool read_variable(Reader& in, VariableDefinition& out) {
    uint8_t kind = 0;
    std::vector<std::string> options;
    if (!in.string(out.name) || !in.u8(kind) || kind > 3 || !in.string_list(options) ||
        !in.string_list(out.remembered_values))
        return false;
    out.kind = static_cast<VariableKind>(kind);
    if (has_options(out.kind)) out.options = std::move(options);
    return true;
}

bool read_content(Reader& in, uint8_t kind, ClipContent& out) {
    switch (kind) {
    case 0: {
        std::string text;
        if (!in.string(text)) return false;
        out = ClipContent::make_text(std::move(text));
        return true;
    }
    case 1: {
        uint32_t length = 0;
        Bytes dib;
        if (!in.u32(length) || !in.block(length, dib)) return false;
        out = ClipContent::make_image(std::move(dib));
        return true;
    }
    case 2: {
        uint32_t count = 0;
        // As for string lists: checked against the bytes left, grown only by what is read.
        if (!in.u32(count) || uint64_t(count) * 4 > in.left()) return false;
        std::vector<FilePath> paths;
        Bytes raw;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t units = 0;
            if (!in.u32(units) || !in.block(uint64_t(units) * 2, raw)) return false;
            FilePath path(units, u'\0');
            for (uint32_t u = 0; u < units; ++u) path[u] = char16_t(raw[2 * u] | raw[2 * u + 1] << 8);
            paths.push_back(std::move(path));
        }
        out = ClipContent::make_files(std::move(paths));
        return true;
    }
    default: return false;
    }
}

// A stored animal index that no later check accepts.
constexpr unsigned NO_ANIMAL_INDEX = 0xFFFF'FFFF;

bool read_record(Reader& in, uint32_t version, Clip& out) {
    uint8_t kind = 0;
    if (!in.u8(kind)) return false;
    out.animal_index = NO_ANIMAL_INDEX;
    if (version >= 2) {
        uint8_t animal = 0;
        if (!in.u8(animal)) return false;
        out.animal_index = animal;
    }
    if (version >= 3) {
        uint8_t has_icon = 0;
        if (!in.u8(has_icon)) return false;
        if (has_icon != 0) {
            uint32_t length = 0;
            if (!in.u32(length)) return false;
            if (length == CUSTOM_ICON_BYTES) {
                Bytes icon;
                if (!in.block(length, icon)) return false;
                out.custom_icon = std::move(icon);
            } else if (!in.skip(length)) {
                return false;
            }
        }
    }
    uint8_t has_name = 0;
    if (!in.u8(has_name)) return false;
    if (has_name != 0) {
        std::string name;
        if (!in.string(name)) return false;
        out.name = std::move(name);
    }
    if (version >= 4) {
        uint8_t count = 0;
        if (!in.u8(count)) return false;
        for (unsigned i = 0; i < count; ++i) {
            VariableDefinition definition;
            if (!read_variable(in, definition)) return false;
            out.variables.push_back(std::move(definition));
        }
    }
    return read_content(in, kind, out.content);
}

// In file order: a pin keeps its index when it is valid and no earlier pin has it.
void make_animal_indices_unique(std::vector<Clip>& pins) {
    ClipStore before;
    for (Clip& pin : pins) {
        const bool taken = std::any_of(before.pins.begin(), before.pins.end(),
                                       [&](const Clip& c) { return c.animal_index == pin.animal_index; });
        if (pin.animal_index >= ANIMAL_COUNT || taken) pin.animal_index = free_animal_index(before);
        before.pins.push_back(std::move(pin));
    }
    pins = std::move(before.pins);
}

// Gathers the small fields in buffers of the result and refers to each large block where it
// lies, so a file of twenty pictures is never copied into one buffer just to be written.
class Writer {
public:
    void u8(uint8_t v) { small().push_back(v); }
    void u32(uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) u8(static_cast<uint8_t>(v >> shift));
    }
    void raw(std::span<const uint8_t> bytes) {
        if (bytes.size() < LARGE_BLOCK) {
            Bytes& buffer = small();
            buffer.insert(buffer.end(), bytes.begin(), bytes.end());
            return;
        }
        close_small();
        out_.pieces.push_back(bytes);
    }
    void u64(uint64_t v) {
        u32(static_cast<uint32_t>(v));
        u32(static_cast<uint32_t>(v >> 32));
    }
    // Takes another writer's pieces as they are: their buffers move here, and moving a buffer
    // leaves its bytes where they are.
    void adopt(PinsFilePieces&& other) {
        close_small();
        for (Bytes& buffer : other.buffers) out_.buffers.push_back(std::move(buffer));
        out_.pieces.insert(out_.pieces.end(), other.pieces.begin(), other.pieces.end());
    }
    // Where a checked stretch begins, and the CRC-32 of what was written since.
    size_t mark() {
        close_small();
        return out_.pieces.size();
    }
    uint32_t crc_since(size_t mark) {
        close_small();
        uint32_t crc = 0;
        for (size_t i = mark; i < out_.pieces.size(); ++i) crc = crc32(out_.pieces[i], crc);
        return crc;
    }
    void sized_block(std::span<const uint8_t> bytes) {
        u32(static_cast<uint32_t>(bytes.size()));
        raw(bytes);
    }
    // A picture kept compressed is expanded into a buffer of the file; the stream is the
    // program's own, so only a lack of memory can fail that.
    void picture_block(const DibBlock& dib) {
        if (!dib.is_packed()) return sized_block(dib.raw());
        u32(static_cast<uint32_t>(dib.size()));
        close_small();
        Bytes& buffer = out_.buffers.emplace_back(dib.size());
        if (!dib.expand_into(buffer)) throw std::bad_alloc();
        out_.pieces.push_back(buffer);
    }
    void string(std::string_view s) {
        sized_block({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
    }
    void string_list(const std::vector<std::string>& list) {
        u32(static_cast<uint32_t>(list.size()));
        for (const std::string& s : list) string(s);
    }
    PinsFilePieces finish() {
        close_small();
        return std::move(out_);
    }

private:
    static constexpr size_t LARGE_BLOCK = 4096;

    Bytes& small() {
        if (!small_open_) {
            out_.buffers.emplace_back();
            small_open_ = true;
        }
        return out_.buffers.back();
    }
    // A buffer's bytes stay where they are once it is closed, so only then is it referred to.
    void close_small() {
        if (small_open_) out_.pieces.push_back(out_.buffers.back());
        small_open_ = false;
    }

    PinsFilePieces out_;
    bool small_open_ = false;
};

void write_record(Writer& w, const Clip& pin) {
    w.u8(static_cast<uint8_t>(pin.content.kind));
    w.u8(static_cast<uint8_t>(pin.animal_index));
    w.u8(pin.custom_icon ? 1 : 0);
    if (pin.custom_icon) w.sized_block(*pin.custom_icon);
    w.u8(pin.name ? 1 : 0);
    if (pin.name) w.string(*pin.name);
    const size_t count = std::min(pin.variables.size(), MAX_STORED_VARIABLES);
    w.u8(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const VariableDefinition& d = pin.variables[i];
        // A secret is free text with nothing remembered here; the secrets section says the rest.
        const bool secret = d.kind == VariableKind::Secret;
        w.string(d.name);
        w.u8(static_cast<uint8_t>(secret ? VariableKind::FreeText : d.kind));
        w.string_list(has_options(d.kind) ? d.options : std::vector<std::string>{});
        w.string_list(secret ? std::vector<std::string>{} : d.remembered_values);
    }
    switch (pin.content.kind) {
    case ClipKind::Text: w.string(pin.content.text); break;
    case ClipKind::Image: w.picture_block(pin.content.dib); break;
    case ClipKind::Files:
        w.u32(static_cast<uint32_t>(pin.content.files.size()));
        for (const FilePath& path : pin.content.files) {
            w.u32(static_cast<uint32_t>(path.size()));
            for (char16_t unit : path) {
                w.u8(static_cast<uint8_t>(unit));
                w.u8(static_cast<uint8_t>(unit >> 8));
            }
        }
        break;
    }
}

// The sections are additions: when they do not read, the pins are what their records say.
void read_sections(Reader& in, std::span<const PinsSection> known, std::vector<Clip>& pins) {
    if (in.left() == 0) return;
    in.start_check();
    std::array<uint8_t, 4> magic{};
    uint32_t count = 0;
    if (!in.u8(magic[0]) || !in.u8(magic[1]) || !in.u8(magic[2]) || !in.u8(magic[3]) || magic != SECTIONS_MAGIC ||
        !in.u32(count))
        return;
    std::vector<std::pair<const PinsSection*, Bytes>> found;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t tag = 0;
        uint64_t length = 0;
        if (!in.u32(tag) || !in.u64(length)) return;
        const auto section = std::find_if(known.begin(), known.end(), [&](const PinsSection& s) { return s.tag == tag; });
        if (section == known.end()) {
            if (!in.skip(length)) return;
            continue;
        }
        Bytes bytes;
        if (!in.block(length, bytes)) return;
        found.emplace_back(&*section, std::move(bytes));
    }
    const uint32_t computed = in.check();
    uint32_t stored = 0;
    if (!in.u32(stored) || stored != computed) return;
    for (const auto& [section, bytes] : found) section->apply(bytes, pins);
}

void write_sections(Writer& w, std::span<const PinsSection> sections, const std::vector<Clip>& pins) {
    std::vector<std::pair<uint32_t, PinsFilePieces>> written;
    for (const PinsSection& section : sections) {
        PinsFilePieces bytes = section.encode(pins);
        if (!bytes.pieces.empty()) written.emplace_back(section.tag, std::move(bytes));
    }
    if (written.empty()) return;
    const size_t start = w.mark();
    for (uint8_t b : SECTIONS_MAGIC) w.u8(b);
    w.u32(static_cast<uint32_t>(written.size()));
    for (auto& [tag, bytes] : written) {
        uint64_t length = 0;
        for (std::span<const uint8_t> piece : bytes.pieces) length += piece.size();
        w.u32(tag);
        w.u64(length);
        w.adopt(std::move(bytes));
    }
    w.u32(w.crc_since(start));
}

}  // namespace

std::span<const PinsSection> pins_sections() {
    static constexpr PinsSection SECTIONS[] = {
        {COMPANIONS_SECTION_TAG, encode_companions_section, apply_companions_section},
        {SECRETS_SECTION_TAG, encode_secrets_section, apply_secrets_section},
    };
    return SECTIONS;
}

DecodedPins decode_pins(const PinsFileSource& file, std::span<const PinsSection> sections) {
    Reader in(file);
    std::array<uint8_t, 4> magic{};
    uint32_t version = 0;
    uint32_t count = 0;
    if (!in.u8(magic[0]) || !in.u8(magic[1]) || !in.u8(magic[2]) || !in.u8(magic[3]) || magic != MAGIC)
        return std::string(PINS_CORRUPT);
    if (!in.u32(version) || version < 1 || version > PINS_FILE_VERSION || !in.u32(count))
        return std::string(PINS_CORRUPT);
    std::vector<Clip> pins;
    for (uint32_t i = 0; i < count; ++i) {
        Clip clip;
        if (!read_record(in, version, clip)) return std::string(PINS_CORRUPT);
        if (pins.size() < PIN_CAPACITY) {
            clip.id = next_clip_id();
            pins.push_back(std::move(clip));
        }
    }
    make_animal_indices_unique(pins);
    read_sections(in, sections, pins);
    return pins;
}

DecodedPins decode_pins(std::span<const uint8_t> file, std::span<const PinsSection> sections) {
    size_t at = 0;
    const PinsFileSource source{file.size(), [&](uint8_t* out, size_t n) {
                                    std::memcpy(out, file.data() + at, n);
                                    at += n;
                                    return true;
                                }};
    return decode_pins(source, sections);
}

PinsFilePieces encode_pins_pieces(const std::vector<Clip>& pins, std::span<const PinsSection> sections) {
    Writer w;
    for (uint8_t b : MAGIC) w.u8(b);
    w.u32(PINS_FILE_VERSION);
    w.u32(static_cast<uint32_t>(pins.size()));
    for (const Clip& pin : pins) write_record(w, pin);
    write_sections(w, sections, pins);
    return w.finish();
}

Bytes encode_pins(const std::vector<Clip>& pins, std::span<const PinsSection> sections) {
    const PinsFilePieces file = encode_pins_pieces(pins, sections);
    size_t size = 0;
    for (std::span<const uint8_t> piece : file.pieces) size += piece.size();
    Bytes out;
    out.reserve(size);
    for (std::span<const uint8_t> piece : file.pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

}  // namespace korvane
