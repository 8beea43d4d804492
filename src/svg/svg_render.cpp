#include "svg/svg_render.hpp"

#include <pthread.h>

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

struct Conversion {
    std::span<const uint8_t> svg;
    SvgResult result;
};

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
    if (status == RESVG_OK)
        job.result.picture = std::move(picture);
    else
        job.result.error = error[0] ? error : "unknown error";
    bool trapped = status == RESVG_TRAPPED || status == RESVG_UNUSABLE;
    if (trapped || resvg_engine_memory_pages(g_engine) > KEPT_PAGES) resvg_engine_restart(g_engine);
}

void* conversion_thread(void* job) {
    try {
        convert(*static_cast<Conversion*>(job));
    } catch (const std::bad_alloc&) {
        static_cast<Conversion*>(job)->result = {std::nullopt, "out of memory"};
    }
    return nullptr;
}

// Runs the conversion on a thread with WORKER_STACK of stack and waits for it.
bool run_on_big_stack(Conversion& job) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_t thread;
    bool started = pthread_attr_setstacksize(&attributes, WORKER_STACK) == 0 &&
                   pthread_create(&thread, &attributes, conversion_thread, &job) == 0;
    pthread_attr_destroy(&attributes);
    if (started) pthread_join(thread, nullptr);
    return started;
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
        Conversion job{svg, {}};
        if (!run_on_big_stack(job)) return {std::nullopt, "the conversion thread could not be started"};
        return std::move(job.result);
    } catch (const std::exception&) {
        return {std::nullopt, "out of memory"};
    }
}

void set_svg_limits(const SvgLimits& limits) noexcept {
    std::lock_guard lock(g_lock);
    g_limits = limits;
    resvg_engine_free(g_engine);
    g_engine = nullptr;
}

}  // namespace korvane
