#include "core/dib_block.hpp"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace korvane {

namespace {

// zlib counts in 32-bit units: the work goes in pieces of this size.
constexpr size_t PIECE_BYTES = size_t(1) << 20;

uint64_t rotate_left(uint64_t x, int n) { return (x << n) | (x >> (64 - n)); }

// Expands `packed` piece by piece, handing each piece to `take`, which may stop the work by
// returning false.  True when the stream ends after exactly `size` bytes, all taken.
bool expand_pieces(const Bytes& packed, size_t size, const std::function<bool(std::span<const uint8_t>)>& take) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    Bytes piece(std::min(size, PIECE_BYTES) + 1);
    size_t consumed = 0;
    size_t produced = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.avail_in == 0) {
            const size_t in = std::min(packed.size() - consumed, PIECE_BYTES);
            stream.next_in = const_cast<Bytef*>(packed.data() + consumed);
            stream.avail_in = uInt(in);
            consumed += in;
        }
        stream.next_out = piece.data();
        stream.avail_out = uInt(piece.size());
        status = inflate(&stream, Z_NO_FLUSH);
        const size_t got = piece.size() - stream.avail_out;
        if (status != Z_OK && status != Z_STREAM_END) break;
        if (produced + got > size || (got != 0 && !take(std::span(piece.data(), got)))) {
            status = Z_DATA_ERROR;
            break;
        }
        produced += got;
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && produced == size;
}

}  // namespace

uint64_t block_hash(std::span<const uint8_t> bytes) {
    constexpr uint64_t MULTIPLIER = 0x9E3779B97F4A7C15ull;
    const auto mix = [](uint64_t h, uint64_t word) { return rotate_left(h ^ (word * MULTIPLIER), 29) * MULTIPLIER; };
    const auto word_at = [&](size_t at) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        return word;
    };
    // Four lanes take every fourth word, so that each multiplication need not wait for the one
    // before: a screenshot is hashed in about the time it takes to copy it, not three times that.
    uint64_t a = 0x243F6A8885A308D3ull ^ bytes.size(), b = 0x13198A2E03707344ull, c = 0xA4093822299F31D0ull,
             d = 0x082EFA98EC4E6C89ull;
    size_t at = 0;
    for (; at + 32 <= bytes.size(); at += 32) {
        a = mix(a, word_at(at));
        b = mix(b, word_at(at + 8));
        c = mix(c, word_at(at + 16));
        d = mix(d, word_at(at + 24));
    }
    uint64_t h = mix(mix(mix(a, b), c), d);
    for (; at + 8 <= bytes.size(); at += 8) h = mix(h, word_at(at));
    uint64_t tail = 0;
    if (at < bytes.size()) std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
    h = mix(h, tail);
    return h ^ (h >> 32);
}

std::optional<Bytes> pack_bytes(std::span<const uint8_t> raw, const std::atomic<bool>* stop) {
    z_stream stream{};
    if (deflateInit(&stream, Z_BEST_SPEED) != Z_OK) return std::nullopt;
    Bytes packed;
    size_t consumed = 0;
    size_t used = 0;
    int status = Z_OK;
    try {
        while (status == Z_OK && !(stop && stop->load())) {
            if (stream.avail_in == 0 && consumed < raw.size()) {
                const size_t in = std::min(raw.size() - consumed, PIECE_BYTES);
                stream.next_in = const_cast<Bytef*>(raw.data() + consumed);
                stream.avail_in = uInt(in);
                consumed += in;
            }
            if (packed.size() - used < PIECE_BYTES) packed.resize(used + PIECE_BYTES);
            const uInt room = uInt(std::min(packed.size() - used, PIECE_BYTES));
            stream.next_out = packed.data() + used;
            stream.avail_out = room;
            const bool last = consumed == raw.size() && stream.avail_in == 0;
            status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            used += room - stream.avail_out;
            if (status == Z_BUF_ERROR) status = Z_OK;  // no progress in this round only
        }
        packed.resize(used);
        packed.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        status = Z_MEM_ERROR;
    }
    deflateEnd(&stream);
    if (status != Z_STREAM_END) return std::nullopt;
    return packed;
}

DibBlock::DibBlock(Bytes raw)
    : raw_(std::make_shared<const Bytes>(std::move(raw))), size_(raw_->size()), hash_(block_hash(*raw_)) {}

std::span<const uint8_t> DibBlock::head() const {
    if (raw_) return std::span(*raw_).first(std::min(size_, DIB_HEAD_BYTES));
    return head_;
}

std::span<const uint8_t> DibBlock::raw() const {
    if (raw_) return *raw_;
    return {};
}

bool DibBlock::adopt_packed(const Bytes* source, Bytes packed) {
    if (!raw_ || raw_.get() != source) return false;
    head_.assign(raw_->begin(), raw_->begin() + ptrdiff_t(std::min(size_, DIB_HEAD_BYTES)));
    packed_ = std::move(packed);
    raw_.reset();
    return true;
}

std::optional<Bytes> DibBlock::expanded() const {
    if (raw_) return *raw_;
    try {
        Bytes out(size_);
        if (!expand_into(out)) return std::nullopt;
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool DibBlock::expand_into(std::span<uint8_t> out) const {
    if (out.size() != size_) return false;
    if (size_ == 0) return true;
    if (raw_) {
        if (size_ != 0) std::memcpy(out.data(), raw_->data(), size_);
        return true;
    }
    size_t at = 0;
    return expand_pieces(packed_, size_, [&](std::span<const uint8_t> piece) {
        std::memcpy(out.data() + at, piece.data(), piece.size());
        at += piece.size();
        return true;
    });
}

bool DibBlock::holds(std::span<const uint8_t> bytes) const {
    if (bytes.size() != size_) return false;
    if (size_ == 0) return true;
    if (raw_) return std::equal(raw_->begin(), raw_->end(), bytes.begin());
    size_t at = 0;
    return expand_pieces(packed_, size_, [&](std::span<const uint8_t> piece) {
        const bool same = std::memcmp(bytes.data() + at, piece.data(), piece.size()) == 0;
        at += piece.size();
        return same;
    });
}

bool DibBlock::operator==(const DibBlock& other) const {
    if (size_ != other.size_) return false;
    if (size_ == 0) return true;
    if (hash_ != other.hash_) return false;
    if (raw_) return other.holds(*raw_);
    if (other.raw_) return holds(*other.raw_);
    if (packed_ == other.packed_) return true;
    const std::optional<Bytes> mine = expanded();
    return mine && other.holds(*mine);
}

}  // namespace korvane
