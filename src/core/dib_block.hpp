// A picture clip's packed DIB, held as captured or, from PACK_THRESHOLD up, compressed with
// zlib.  The compression is lossless: what comes back is exactly the block that was captured.
// It runs on a worker thread, which takes a shared reference to the raw bytes; until the packed
// bytes are adopted the raw ones serve every use.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace korvane {

using Bytes = std::vector<uint8_t>;

// Pictures from this size up are kept compressed.
constexpr size_t PACK_THRESHOLD = size_t(1) << 20;
// The start of the block that is kept raw beside the packed bytes: the largest header with its
// masks and colour table fits in it, so the picture's size is known without expanding it.
constexpr size_t DIB_HEAD_BYTES = 4096;

// A 64-bit hash of a byte block, for telling blocks apart before comparing them in full.
uint64_t block_hash(std::span<const uint8_t> bytes);

// zlib's stream of `raw`; nothing when zlib fails (it needs memory) or `stop` is set between
// two pieces of the work.
std::optional<Bytes> pack_bytes(std::span<const uint8_t> raw, const std::atomic<bool>* stop = nullptr);

class DibBlock {
public:
    DibBlock() = default;
    explicit DibBlock(Bytes raw);

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint64_t hash() const { return hash_; }
    bool is_packed() const { return !raw_ && size_ != 0; }
    // Whether the block is big enough to be kept compressed and is not yet.
    bool wants_packing() const { return raw_ && size_ >= PACK_THRESHOLD; }

    // The first min(size, DIB_HEAD_BYTES) bytes.
    std::span<const uint8_t> head() const;
    // The whole block when it is held raw; empty once it is packed.
    std::span<const uint8_t> raw() const;
    // The raw bytes for the worker that compresses them.
    std::shared_ptr<const Bytes> raw_share() const { return raw_; }
    // Takes the packed form of `source` when the block still holds those raw bytes, which it then
    // releases; false when it holds others (the clip changed or went away meanwhile).
    bool adopt_packed(const Bytes* source, Bytes packed);

    // The whole block, expanded when packed (nothing when memory runs out or the stream is bad).
    std::optional<Bytes> expanded() const;
    // Writes the whole block to `out`, which must be size() bytes.
    bool expand_into(std::span<uint8_t> out) const;
    // Whether the block holds exactly `bytes`, compared piece by piece without expanding it.
    bool holds(std::span<const uint8_t> bytes) const;

    bool operator==(const DibBlock& other) const;

private:
    std::shared_ptr<const Bytes> raw_;  // null once packed
    Bytes packed_;
    Bytes head_;                        // kept only while packed
    size_t size_ = 0;
    uint64_t hash_ = 0;
};

}  // namespace korvane
