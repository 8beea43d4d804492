#include "svg/svg_render.hpp"

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>

#include "svg/resvg_host.h"

namespace korvane {
namespace {

static_assert(RESVG_PICTURE_BYTES == PICTURE_BYTES);

// The library recurses; its nesting is capped at KORVANE_RESVG_CALL_DEPTH wasm calls (a trap
// beyond), and its XML parser already refuses more than 1024 nested elements.  The largest
// native frame of the module compiled at -O1 is about 2 KB, so the conversion thread gets
// room for the whole limit plus a margin for the host and the C library.
constexpr size_t FRAME_BYTES = 2048;
constexpr size_t WORKER_STACK = size_t{KORVANE_RESVG_CALL_DEPTH} * FRAME_BYTES + (size_t{1} << 20);

// Memory beyond this is handed back after a conversion by starting the library afresh.
constexpr uint32_t KEPT_PAGES = 1024;  // 64 MiB

std::mutex g_lock;
ResvgEngine* g_engine = nullptr;
SvgLimits g_limits;
std::atomic<int64_t> g_time_limit_ms{SVG_TIME_LIMIT.count()};  // g_limits.time_limit, for svg_time_limit

struct Conversion {
    std::span<const uint8_t> svg;
    std::chrono::milliseconds time_limit{};
    SvgResult result;
    std::mutex lock;
    std::condition_variable ended_signal;
    bool ended = false;
};

std::string duration_text(std::chrono::milliseconds time) {
    if (time.count() % 1000 == 0) return std::to_string(time.count() / 1000) + " s";
    return std::to_string(time.count()) + " ms";
}

void convert(Conversion& job) {
    if (!g_engine) {
        g_engine = resvg_engine_new(g_limits.memory_limit);
        if (!g_engine) {
            job.result.error = "out of memory";
            return;
        }
    } else if (resvg_engine_unusable(g_engine)) {
        resvg_engine_restart(g_engine);
    }
    std::vector<uint8_t> picture(PICTURE_BYTES);
    char error[600] = "";
    int status = resvg_render_picture(g_engine, job.svg.data(), job.svg.size(), picture.data(), error,
                                      sizeof error);
    if (status == RESVG_OK) {
        job.result.picture = std::move(picture);
    } else if (status == RESVG_STOPPED) {
        job.result.error = "the conversion took longer than " + duration_text(job.time_limit);
        job.result.too_long = true;
    } else {
        job.result.error = error[0] ? error : "unknown error";
    }
    bool trapped = status == RESVG_TRAPPED || status == RESVG_UNUSABLE || status == RESVG_STOPPED;
    if (trapped || resvg_engine_memory_pages(g_engine) > KEPT_PAGES) resvg_engine_restart(g_engine);
}

void* conversion_thread(void* param) {
    Conversion& job = *static_cast<Conversion*>(param);
    try {
        convert(job);
    } catch (const std::bad_alloc&) {
        job.result = {std::nullopt, "out of memory"};
    }
    std::lock_guard lock(job.lock);
    job.ended = true;
    job.ended_signal.notify_one();
    return nullptr;
}

// Runs the conversion on a thread with WORKER_STACK of stack and waits for it.  Past the time
// limit the library is asked to stop, which it does at its next function entry or loop
// iteration; the thread then ends on its own, and is joined, never abandoned.
bool run_on_big_stack(Conversion& job) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_t thread;
    resvg_clear_stop();
    bool started = pthread_attr_setstacksize(&attributes, WORKER_STACK) == 0 &&
                   pthread_create(&thread, &attributes, conversion_thread, &job) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) return false;
    {
        std::unique_lock lock(job.lock);
        if (!job.ended_signal.wait_for(lock, job.time_limit, [&] { return job.ended; })) resvg_request_stop();
    }
    pthread_join(thread, nullptr);
    resvg_clear_stop();
    return true;
}

std::string size_text(size_t bytes) {
    if (bytes % (size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

SvgResult render_svg(std::span<const uint8_t> svg) noexcept {
    try {
        std::lock_guard lock(g_lock);
        if (svg.size() > g_limits.max_file_bytes)
            return {std::nullopt, "the file is larger than " + size_text(g_limits.max_file_bytes)};
        Conversion job;
        job.svg = svg;
        job.time_limit = g_limits.time_limit;
        if (!run_on_big_stack(job)) return {std::nullopt, "the conversion thread could not be started"};
        return std::move(job.result);
    } catch (const std::exception&) {
        return {std::nullopt, "out of memory"};
    }
}

void set_svg_limits(const SvgLimits& limits) noexcept {
    std::lock_guard lock(g_lock);
    g_limits = limits;
    g_time_limit_ms = limits.time_limit.count();
    resvg_engine_free(g_engine);
    g_engine = nullptr;
}

std::chrono::milliseconds svg_time_limit() noexcept { return std::chrono::milliseconds(g_time_limit_ms.load()); }

}  // namespace korvane
