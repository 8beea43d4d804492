#include "win/clipboard/picture_packer.hpp"

#include <algorithm>

#include "win/app/messages.hpp"

namespace korvane {

namespace {

template <class Store, class Each>
void for_each_clip(Store& store, Each each) {
    for (auto& clip : store.recent) each(clip);
    for (auto& clip : store.pins) each(clip);
}

bool same_block(const std::weak_ptr<const Bytes>& a, const std::shared_ptr<const Bytes>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

}  // namespace

PicturePacker::~PicturePacker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void PicturePacker::pack_pictures(const ClipStore& store, HWND notify) {
    bool queued_any = false;
    {
        const std::lock_guard lock(mutex_);
        notify_ = notify;
        for_each_clip(store, [&](const Clip& clip) {
            const DibBlock& dib = clip.content.dib;
            if (clip.content.kind != ClipKind::Image || !dib.wants_packing()) return;
            std::shared_ptr<const Bytes> raw = dib.raw_share();
            if (pending(raw)) return;
            queue_.push_back(raw);
            queued_any = true;
        });
        if (queued_any && !worker_.joinable()) worker_ = std::thread([this] { work(); });
    }
    if (queued_any) wake_.notify_one();
}

size_t PicturePacker::adopt_finished(ClipStore& store) {
    std::vector<Finished> finished;
    {
        const std::lock_guard lock(mutex_);
        finished.swap(finished_);
    }
    size_t adopted = 0;
    for (Finished& done : finished)
        for_each_clip(store, [&](Clip& clip) {
            if (clip.content.kind == ClipKind::Image && clip.content.dib.adopt_packed(done.source.get(), done.packed))
                ++adopted;
        });
    return adopted;
}

bool PicturePacker::pending(const std::shared_ptr<const Bytes>& raw) const {
    if (current_ == raw) return true;
    if (std::any_of(queue_.begin(), queue_.end(), [&](const auto& queued) { return same_block(queued, raw); })) return true;
    return std::any_of(finished_.begin(), finished_.end(), [&](const Finished& done) { return done.source == raw; });
}

void PicturePacker::work() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            current_.reset();
            wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            current_ = queue_.front().lock();  // null when no clip holds it any more
            queue_.pop_front();
            if (!current_) continue;
        }
        // current_ is changed by this thread only, so it is read here without the lock.
        std::optional<Bytes> packed = pack_bytes(*current_, &stop_);
        HWND notify = nullptr;
        {
            const std::lock_guard lock(mutex_);
            if (stop_) return;
            // Out of memory, the picture stays raw until the next capture queues it again.
            if (packed) {
                finished_.push_back({current_, std::move(*packed)});
                notify = notify_;
            }
        }
        if (notify) PostMessageW(notify, WM_PICTURES_PACKED, 0, 0);
    }
}

}  // namespace korvane
