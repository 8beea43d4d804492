// Compresses big pictures on a worker thread, so a capture is shown at once and its raw bytes
// are given up once their compressed form is ready.  Until then every use reads the raw bytes.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/store.hpp"

namespace korvane {

class PicturePacker {
public:
    PicturePacker() = default;
    PicturePacker(const PicturePacker&) = delete;
    PicturePacker& operator=(const PicturePacker&) = delete;
    // Stops the picture being compressed between two pieces of it, and waits for the worker.
    ~PicturePacker();

    // Queues every picture of the store that wants packing and is not queued yet; `notify`
    // hears WM_PICTURES_PACKED when one is ready.
    void pack_pictures(const ClipStore& store, HWND notify);
    // Hands the finished pictures to the clips that still hold their raw bytes; returns how many
    // were adopted.
    size_t adopt_finished(ClipStore& store);

private:
    struct Finished {
        std::shared_ptr<const Bytes> source;
        Bytes packed;
    };
    void work();
    bool pending(const std::shared_ptr<const Bytes>& raw) const;

    std::mutex mutex_;
    std::condition_variable wake_;
    // A queued picture that no clip holds any more by the time it is reached is skipped.
    std::deque<std::weak_ptr<const Bytes>> queue_;
    std::shared_ptr<const Bytes> current_;  // the one being packed
    std::vector<Finished> finished_;
    HWND notify_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace korvane
