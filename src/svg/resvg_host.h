/* The host of the resvg wasm module (wasm2c output): the JavaScript imports that
 * wasm-bindgen's glue expects, linear memory, traps, and a C interface over the module's
 * exports.  C, not C++: a trap longjmps out of the module, and only C frames lie between
 * the module and the trap scope.
 *
 * Not thread-safe: the wasm2c runtime keeps its trap buffer and call-depth counter in
 * globals, so one thread at a time may be inside any resvg_* call (svg_render.cpp holds a
 * lock around them). */
#ifndef KORVANE_SVG_RESVG_HOST_H
#define KORVANE_SVG_RESVG_HOST_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  RESVG_OK = 0,
  RESVG_REJECTED = 1, /* the library refused the document; the error text is its own */
  RESVG_TRAPPED = 2,  /* the module trapped (panic, memory limit, out-of-bounds access, call
                         depth); the engine is unusable until resvg_engine_restart */
  RESVG_UNUSABLE = 3, /* the engine trapped before, or could not be made */
  RESVG_STOPPED = 4   /* resvg_request_stop ended the call; unusable until resvg_engine_restart */
};

#define RESVG_PICTURE_SIZE 96
#define RESVG_PICTURE_BYTES (RESVG_PICTURE_SIZE * RESVG_PICTURE_SIZE * 4)

typedef struct ResvgEngine ResvgEngine;

/* A parsed document as the library holds it. */
typedef struct {
  float width, height;              /* size in user units */
  float view_x, view_y, view_w, view_h; /* the root viewBox */
  int align;                        /* 0 none, 1..9 xMinYMin, xMidYMin, ... xMaxYMax */
  int slice;
  int has_image;                    /* 1 when the tree holds <image> elements, -1 unknown */
} ResvgDocument;

/* memory_limit: bytes the module's linear memory may grow to (0: the 4 GiB of wasm32). */
ResvgEngine* resvg_engine_new(uint64_t memory_limit);
void resvg_engine_free(ResvgEngine* engine);
/* A fresh instance in place of the old one: after a trap, or to hand memory back. */
int resvg_engine_restart(ResvgEngine* engine);
int resvg_engine_unusable(const ResvgEngine* engine);
uint32_t resvg_engine_memory_pages(const ResvgEngine* engine);

/* Nested wasm calls allowed before a call traps; each needs native stack. */
uint32_t resvg_call_depth_limit(void);
void resvg_set_call_depth_limit(uint32_t limit);

/* Asks the module to stop: whatever call runs now, or starts later, traps at its next function
 * entry or loop iteration and returns RESVG_STOPPED.  The only call that may come from another
 * thread than the one inside the module.  In force until resvg_clear_stop. */
void resvg_request_stop(void);
void resvg_clear_stop(void);

/* Parses svg and renders it into a 96 x 96 premultiplied BGRA picture (rows top to bottom),
 * scaled by s = min(96 / w, 96 / h) and centred, after the document's own viewBox mapping.
 * On failure err holds the library's text, or what stopped it (a trap). */
int resvg_render_picture(ResvgEngine* engine, const uint8_t* svg, size_t len,
                         uint8_t out[RESVG_PICTURE_BYTES], char* err, size_t err_cap);

/* Lower-level calls: parse with the given options (JSON, NULL for the defaults), read the
 * document's size and viewBox (through_text: by serialising the tree, which is exact but
 * slow, instead of reading the tree's memory), render at the document's own size into a
 * malloc'd premultiplied RGBA buffer, and release. */
int resvg_parse(ResvgEngine* engine, const uint8_t* svg, size_t len, const char* options,
                uint32_t* tree, char* err, size_t err_cap);
int resvg_describe(ResvgEngine* engine, uint32_t tree, int through_text, ResvgDocument* doc,
                   char* err, size_t err_cap);
int resvg_render_tree(ResvgEngine* engine, uint32_t tree, uint8_t** rgba, uint32_t* width,
                      uint32_t* height, char* err, size_t err_cap);
void resvg_free_tree(ResvgEngine* engine, uint32_t tree);
/* 1 once the tree's memory layout in this module build has been found. */
int resvg_layout_known(void);

#ifdef __cplusplus
}
#endif

#endif
