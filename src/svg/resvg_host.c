/* The host of the resvg wasm module; see resvg_host.h.
 *
 * The imports do what the package's index.js does in JavaScript.  Objects handed to the
 * module are indices into a table standing in for the JS heap: the first 132 indices are
 * reserved (128 undefined, 129 null, 130 true, 131 false), new objects get indices from 132
 * up and are released by __wbindgen_object_drop_ref.
 *
 * The file is long because the module's imports are many small functions over that one table;
 * splitting them would spread the table's rules over several files. */
#include "svg/resvg_host.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "svg/module_limits.h"
#include "resvg_module.h"
#include "wasm-rt-impl.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

uint32_t korvane_resvg_call_depth_limit = KORVANE_RESVG_CALL_DEPTH;
atomic_int korvane_resvg_stop_requested;

enum { HANDLE_UNDEFINED = 128, HANDLE_FIRST = 132 };
enum { WASM_PAGE = 65536 };

/* ---------------------------------------------------------------------------------------- */
/* The object table                                                                          */

typedef enum {
  OBJ_FREE,
  OBJ_STRING,
  OBJ_ERROR,
  OBJ_MEMORY,
  OBJ_BUFFER,
  OBJ_VIEW,  /* a Uint8Array over linear memory: offset, len */
  OBJ_BYTES, /* a Uint8Array held by the host (a copy, or the caller's input, borrowed) */
  OBJ_ARRAY,
  OBJ_ITERATOR,
  OBJ_ITER_RESULT
} ObjKind;

typedef struct {
  ObjKind kind;
  uint32_t next_free;
  uint8_t* data; /* strings, errors, bytes */
  size_t len;    /* also views */
  int owned;
  uint32_t offset;  /* views */
  uint32_t* items;  /* arrays: handles owned by the array */
  size_t count, cap;
  uint32_t ref;     /* iterators: the array; results: the value */
  size_t pos;
  int done;
} Obj;

/* The import environment; the generated code knows it only by this name. */
struct Z_wbg_instance_t {
  Z_resvg_instance_t* module;
  Obj* objs;
  size_t used, cap;
  uint32_t free_head; /* slot + 1, 0 for none */
  int thrown;
  char thrown_text[512];
  int out_of_memory;
};
typedef struct Z_wbg_instance_t Host;

static WASM_RT_NO_RETURN void host_throw(Host* h, const char* text) {
  h->thrown = 1;
  snprintf(h->thrown_text, sizeof h->thrown_text, "%s", text);
  wasm_rt_trap(WASM_RT_TRAP_UNREACHABLE);
}

static WASM_RT_NO_RETURN void host_out_of_memory(Host* h) {
  h->out_of_memory = 1;
  wasm_rt_trap(WASM_RT_TRAP_UNREACHABLE);
}

static Obj* obj_get(Host* h, uint32_t handle) {
  if (handle < HANDLE_FIRST || handle - HANDLE_FIRST >= h->used) return NULL;
  Obj* o = &h->objs[handle - HANDLE_FIRST];
  return o->kind == OBJ_FREE ? NULL : o;
}

static Obj* obj_expect(Host* h, uint32_t handle, ObjKind kind) {
  Obj* o = obj_get(h, handle);
  if (!o || o->kind != kind) host_throw(h, "host: unexpected object");
  return o;
}

static uint32_t obj_add(Host* h, const Obj* value) {
  size_t slot;
  if (h->free_head) {
    slot = h->free_head - 1;
    h->free_head = h->objs[slot].next_free;
  } else {
    if (h->used == h->cap) {
      size_t cap = h->cap ? h->cap * 2 : 64;
      Obj* grown = realloc(h->objs, cap * sizeof *grown);
      if (!grown) host_out_of_memory(h);
      h->objs = grown;
      h->cap = cap;
    }
    slot = h->used++;
  }
  h->objs[slot] = *value;
  return (uint32_t)(slot + HANDLE_FIRST);
}

static void obj_release(Host* h, uint32_t handle);

static void obj_clear(Host* h, Obj* o) {
  if (o->owned) free(o->data);
  o->data = NULL;
  o->owned = 0;
  if (o->kind == OBJ_ARRAY) {
    uint32_t* items = o->items;
    size_t count = o->count;
    o->items = NULL;
    o->count = 0;
    for (size_t i = 0; i < count; i++) obj_release(h, items[i]);
    free(items);
  }
}

static void obj_release(Host* h, uint32_t handle) {
  Obj* o = obj_get(h, handle);
  if (!o) return;
  obj_clear(h, o);
  o = &h->objs[handle - HANDLE_FIRST]; /* releasing items never moves the table */
  o->kind = OBJ_FREE;
  o->next_free = h->free_head;
  h->free_head = handle - HANDLE_FIRST + 1;
}

static void table_destroy(Host* h) {
  for (size_t i = 0; i < h->used; i++)
    if (h->objs[i].kind != OBJ_FREE) obj_clear(h, &h->objs[i]);
  free(h->objs);
  h->objs = NULL;
  h->used = h->cap = 0;
  h->free_head = 0;
}

static uint8_t* copy_bytes(Host* h, const uint8_t* p, size_t n) {
  uint8_t* copy = malloc(n ? n : 1);
  if (!copy) host_out_of_memory(h);
  if (n) memcpy(copy, p, n);
  return copy;
}

/* In JavaScript a value handed out twice is one object; here each handle owns a copy,
 * which is the same for the immutable values the module passes around. */
static uint32_t obj_clone(Host* h, uint32_t handle) {
  if (handle < HANDLE_FIRST) return handle;
  Obj* o = obj_get(h, handle);
  if (!o || o->kind == OBJ_ARRAY) host_throw(h, "host: cannot share this object");
  Obj copy = *o;
  if (o->data) {
    copy.data = copy_bytes(h, o->data, o->len);
    copy.owned = 1;
  }
  return obj_add(h, &copy);
}

static wasm_rt_memory_t* memory_of(Host* h) { return &h->module->w2c_memory; }

static uint8_t* memory_at(Host* h, uint32_t ptr, uint64_t len) {
  wasm_rt_memory_t* m = memory_of(h);
  if ((uint64_t)ptr + len > m->size) host_throw(h, "host: range outside memory");
  return m->data + ptr;
}

static uint32_t load_u32(Host* h, uint32_t ptr) {
  uint32_t v;
  memcpy(&v, memory_at(h, ptr, 4), 4);
  return v;
}

static void store_u32(Host* h, uint32_t ptr, uint32_t v) { memcpy(memory_at(h, ptr, 4), &v, 4); }

static uint32_t new_text(Host* h, ObjKind kind, uint32_t ptr, uint32_t len) {
  Obj o = {0};
  o.kind = kind;
  o.data = copy_bytes(h, memory_at(h, ptr, len), len);
  o.len = len;
  o.owned = 1;
  return obj_add(h, &o);
}

static uint8_t* byte_array(Host* h, Obj* o, size_t* len) {
  if (o && o->kind == OBJ_VIEW) {
    *len = o->len;
    return memory_at(h, o->offset, o->len);
  }
  if (o && o->kind == OBJ_BYTES) {
    *len = o->len;
    return o->data;
  }
  host_throw(h, "host: not a Uint8Array");
}

/* ---------------------------------------------------------------------------------------- */
/* The imports (names as wasm-bindgen generated them for this module build)                  */

/* new Error(text) */
u32 Z_wbgZ___wbg_new_28c511d9baebfa89(Host* h, u32 ptr, u32 len) {
  return new_text(h, OBJ_ERROR, ptr, len);
}

u32 Z_wbgZ___wbindgen_memory(Host* h) {
  Obj o = {0};
  o.kind = OBJ_MEMORY;
  return obj_add(h, &o);
}

/* memory.buffer */
u32 Z_wbgZ___wbg_buffer_12d079cc21e14bdb(Host* h, u32 memory) {
  obj_expect(h, memory, OBJ_MEMORY);
  Obj o = {0};
  o.kind = OBJ_BUFFER;
  return obj_add(h, &o);
}

/* new Uint8Array(buffer, offset, len) */
u32 Z_wbgZ___wbg_newwithbyteoffsetandlength_aa4a17c33a06e5cb(Host* h, u32 buffer, u32 offset,
                                                              u32 len) {
  obj_expect(h, buffer, OBJ_BUFFER);
  (void)memory_at(h, offset, len); /* a RangeError in JavaScript */
  Obj o = {0};
  o.kind = OBJ_VIEW;
  o.offset = offset;
  o.len = len;
  return obj_add(h, &o);
}

void Z_wbgZ___wbindgen_object_drop_ref(Host* h, u32 handle) { obj_release(h, handle); }

/* new Uint8Array(x): over an ArrayBuffer, a view of all linear memory (js-sys copies input
 * into the module through it); over a typed array, a copy (the pixels getter relies on it). */
u32 Z_wbgZ___wbg_new_63b92bc8671ed464(Host* h, u32 handle) {
  Obj* x = obj_get(h, handle);
  Obj o = {0};
  if (x && x->kind == OBJ_BUFFER) {
    o.kind = OBJ_VIEW;
    o.len = memory_of(h)->size;
    return obj_add(h, &o);
  }
  size_t n;
  uint8_t* bytes = byte_array(h, x, &n);
  o.kind = OBJ_BYTES;
  o.data = copy_bytes(h, bytes, n);
  o.len = n;
  o.owned = 1;
  return obj_add(h, &o);
}

/* array.values() */
u32 Z_wbgZ___wbg_values_839f3396d5aac002(Host* h, u32 array) {
  obj_expect(h, array, OBJ_ARRAY);
  Obj o = {0};
  o.kind = OBJ_ITERATOR;
  o.ref = array;
  return obj_add(h, &o);
}

/* iterator.next() */
u32 Z_wbgZ___wbg_next_196c84450b364254(Host* h, u32 iterator) {
  Obj* it = obj_expect(h, iterator, OBJ_ITERATOR);
  Obj* array = obj_expect(h, it->ref, OBJ_ARRAY);
  Obj r = {0};
  r.kind = OBJ_ITER_RESULT;
  r.ref = HANDLE_UNDEFINED;
  if (it->pos < array->count) {
    uint32_t item = array->items[it->pos++];
    r.ref = obj_clone(h, item);
  } else {
    r.done = 1;
  }
  return obj_add(h, &r);
}

/* result.done */
u32 Z_wbgZ___wbg_done_298b57d23c0fc80c(Host* h, u32 result) {
  return obj_expect(h, result, OBJ_ITER_RESULT)->done ? 1u : 0u;
}

/* result.value */
u32 Z_wbgZ___wbg_value_d93c65011f51a456(Host* h, u32 result) {
  return obj_clone(h, obj_expect(h, result, OBJ_ITER_RESULT)->ref);
}

u32 Z_wbgZ___wbg_instanceof_Uint8Array_2b3bbecd033d19f6(Host* h, u32 handle) {
  Obj* o = obj_get(h, handle);
  return o && (o->kind == OBJ_BYTES || o->kind == OBJ_VIEW) ? 1u : 0u;
}

/* typeof x === "string" ? [ptr, len] : [0, 0] */
void Z_wbgZ___wbindgen_string_get(Host* h, u32 ret, u32 handle) {
  Obj* o = obj_get(h, handle);
  uint32_t ptr = 0, len = 0;
  if (o && o->kind == OBJ_STRING) {
    len = (uint32_t)o->len;
    ptr = Z_resvgZ___wbindgen_malloc(h->module, len, 1);
    o = obj_get(h, handle);
    memcpy(memory_at(h, ptr, len), o->data, len);
  }
  store_u32(h, ret + 4, len);
  store_u32(h, ret, ptr);
}

/* new Array() */
u32 Z_wbgZ___wbg_new_16b304a2cfa7ff4a(Host* h) {
  Obj o = {0};
  o.kind = OBJ_ARRAY;
  return obj_add(h, &o);
}

u32 Z_wbgZ___wbindgen_string_new(Host* h, u32 ptr, u32 len) {
  return new_text(h, OBJ_STRING, ptr, len);
}

/* array.push(value) */
u32 Z_wbgZ___wbg_push_a5b05aedc7234f9f(Host* h, u32 array, u32 value) {
  uint32_t item = obj_clone(h, value);
  Obj* a = obj_expect(h, array, OBJ_ARRAY);
  if (a->count == a->cap) {
    size_t cap = a->cap ? a->cap * 2 : 8;
    uint32_t* grown = realloc(a->items, cap * sizeof *grown);
    if (!grown) host_out_of_memory(h);
    a->items = grown;
    a->cap = cap;
  }
  a->items[a->count++] = item;
  return (u32)a->count;
}

/* typedArray.length */
u32 Z_wbgZ___wbg_length_c20a40f15020d68a(Host* h, u32 handle) {
  size_t n;
  (void)byte_array(h, obj_get(h, handle), &n);
  return (u32)n;
}

/* target.set(source, offset) */
void Z_wbgZ___wbg_set_a47bac70306a19a7(Host* h, u32 target, u32 source, u32 offset) {
  size_t target_len, source_len;
  uint8_t* to = byte_array(h, obj_get(h, target), &target_len);
  uint8_t* from = byte_array(h, obj_get(h, source), &source_len);
  if ((uint64_t)offset + source_len > target_len) host_throw(h, "RangeError: offset is out of bounds");
  memmove(to + offset, from, source_len);
}

void Z_wbgZ___wbindgen_throw(Host* h, u32 ptr, u32 len) {
  char text[512];
  size_t n = len < sizeof text - 1 ? len : sizeof text - 1;
  memcpy(text, memory_at(h, ptr, len), n);
  text[n] = 0;
  host_throw(h, text);
}

/* ---------------------------------------------------------------------------------------- */
/* Linear memory                                                                             */

/* wasm-rt-impl.c is compiled with its memory functions renamed to *_base, so the module's
 * memory calls land here.  The runtime's own version reallocates (and copies) the whole
 * memory on every memory.grow, which takes seconds for a big file under Wine; here the
 * address space up to the limit is reserved once and pages are committed as it grows.  A
 * refused grow is remembered, to tell the memory limit apart from other traps. */
void wasm_rt_allocate_memory_base(wasm_rt_memory_t*, uint32_t, uint32_t);
uint32_t wasm_rt_grow_memory_base(wasm_rt_memory_t*, uint32_t);
void wasm_rt_free_memory_base(wasm_rt_memory_t*);

static int g_grow_refused;
static int g_stopped; /* the trap came from a stop point */
static uint32_t g_reserve_pages = 65536; /* set before each instantiation */

enum { RESERVATIONS = 8 };
static struct {
  uint8_t* base;
  size_t bytes;
} g_reservations[RESERVATIONS];

#ifdef _WIN32
static void* os_reserve(size_t n) { return VirtualAlloc(NULL, n, MEM_RESERVE, PAGE_NOACCESS); }
static int os_commit(void* p, size_t n) {
  return n == 0 || VirtualAlloc(p, n, MEM_COMMIT, PAGE_READWRITE) == p;
}
static void os_release(void* p, size_t n) {
  (void)n;
  VirtualFree(p, 0, MEM_RELEASE);
}
#else
static void* os_reserve(size_t n) {
  void* p = mmap(NULL, n, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? NULL : p;
}
static int os_commit(void* p, size_t n) {
  return n == 0 || mprotect(p, n, PROT_READ | PROT_WRITE) == 0;
}
static void os_release(void* p, size_t n) { munmap(p, n); }
#endif

static int reservation_of(const uint8_t* base) {
  for (int i = 0; i < RESERVATIONS; i++)
    if (g_reservations[i].base && g_reservations[i].base == base) return i;
  return -1;
}

void wasm_rt_allocate_memory(wasm_rt_memory_t* m, uint32_t initial, uint32_t max) {
  uint32_t cap = max < g_reserve_pages ? max : g_reserve_pages;
  if (cap < initial) cap = initial;
  int slot = -1;
  for (int i = 0; i < RESERVATIONS && slot < 0; i++)
    if (!g_reservations[i].base) slot = i;
  size_t bytes = (size_t)cap * WASM_PAGE;
  uint8_t* p = slot >= 0 ? os_reserve(bytes) : NULL;
  if (p && !os_commit(p, (size_t)initial * WASM_PAGE)) {
    os_release(p, bytes);
    p = NULL;
  }
  if (!p) { /* no address space: the runtime's own growing block */
    wasm_rt_allocate_memory_base(m, initial, max);
    return;
  }
  g_reservations[slot].base = p;
  g_reservations[slot].bytes = bytes;
  m->data = p;
  m->pages = initial;
  m->max_pages = cap;
  m->size = initial * WASM_PAGE;
}

uint32_t wasm_rt_grow_memory(wasm_rt_memory_t* m, uint32_t delta) {
  int slot = reservation_of(m->data);
  if (slot < 0) {
    uint32_t old = wasm_rt_grow_memory_base(m, delta);
    if (old == (uint32_t)-1) g_grow_refused = 1;
    return old;
  }
  uint32_t old = m->pages;
  uint64_t pages = (uint64_t)old + delta;
  if (pages > m->max_pages || pages * WASM_PAGE > g_reservations[slot].bytes ||
      !os_commit(m->data + (size_t)old * WASM_PAGE, (size_t)delta * WASM_PAGE)) {
    g_grow_refused = 1;
    return (uint32_t)-1;
  }
  m->pages = (uint32_t)pages;
  m->size = (uint32_t)(pages * WASM_PAGE);
  return old;
}

void wasm_rt_free_memory(wasm_rt_memory_t* m) {
  int slot = reservation_of(m->data);
  if (slot < 0) {
    wasm_rt_free_memory_base(m);
    return;
  }
  os_release(m->data, g_reservations[slot].bytes);
  g_reservations[slot].base = NULL;
  m->data = NULL;
}

/* ---------------------------------------------------------------------------------------- */
/* Engine                                                                                    */

struct ResvgEngine {
  Z_resvg_instance_t instance;
  Host host;
  int live;
  int trapped;
  uint32_t max_pages;
  uint32_t crop_box; /* a BBox object in linear memory, reused for every crop */
  void* scratch[2];  /* host buffers of the running call, freed even after a trap */
};

uint32_t resvg_call_depth_limit(void) { return korvane_resvg_call_depth_limit; }

/* A stop point of the module saw the request.  Only module code calls it, so the trap unwinds
 * from where the module could have trapped anyway: no lock is held, the C library's state is
 * whole, and the engine is started afresh before its next use. */
void korvane_resvg_stop(void) {
  g_stopped = 1;
  wasm_rt_trap(WASM_RT_TRAP_EXHAUSTION);
}

void resvg_request_stop(void) { atomic_store(&korvane_resvg_stop_requested, 1); }
void resvg_clear_stop(void) { atomic_store(&korvane_resvg_stop_requested, 0); }
void resvg_set_call_depth_limit(uint32_t limit) { korvane_resvg_call_depth_limit = limit; }

static void engine_start(ResvgEngine* e) {
  static int module_ready;
  if (!module_ready) {
    wasm_rt_init();
    Z_resvg_init_module();
    module_ready = 1;
  }
  memset(&e->host, 0, sizeof e->host);
  e->host.module = &e->instance;
  g_reserve_pages = e->max_pages;
  Z_resvg_instantiate(&e->instance, &e->host);
  if (e->max_pages < e->instance.w2c_memory.max_pages) e->instance.w2c_memory.max_pages = e->max_pages;
  e->live = 1;
  e->trapped = 0;
  e->crop_box = 0;
}

static void scratch_free(ResvgEngine* e) {
  for (int i = 0; i < 2; i++) {
    free(e->scratch[i]);
    e->scratch[i] = NULL;
  }
}

static void engine_stop(ResvgEngine* e) {
  scratch_free(e);
  if (!e->live) return;
  Z_resvg_free(&e->instance);
  table_destroy(&e->host);
  e->live = 0;
}

ResvgEngine* resvg_engine_new(uint64_t memory_limit) {
  ResvgEngine* e = calloc(1, sizeof *e);
  if (!e) return NULL;
  uint64_t pages = memory_limit / WASM_PAGE;
  e->max_pages = pages == 0 || pages > 65536u ? 65536u : (uint32_t)pages;
  engine_start(e);
  return e;
}

void resvg_engine_free(ResvgEngine* e) {
  if (!e) return;
  engine_stop(e);
  free(e);
}

int resvg_engine_restart(ResvgEngine* e) {
  engine_stop(e);
  engine_start(e);
  return RESVG_OK;
}

int resvg_engine_unusable(const ResvgEngine* e) { return !e->live || e->trapped; }

uint32_t resvg_engine_memory_pages(const ResvgEngine* e) {
  return e->live ? e->instance.w2c_memory.pages : 0;
}

static void set_error(char* err, size_t cap, const char* text, size_t len) {
  if (!err || !cap) return;
  size_t n = len < cap - 1 ? len : cap - 1;
  memcpy(err, text, n);
  err[n] = 0;
}

static void set_error_text(char* err, size_t cap, const char* text) {
  set_error(err, cap, text, strlen(text));
}

static int trapped(ResvgEngine* e, wasm_rt_trap_t trap, char* err, size_t cap) {
  char text[600];
  e->trapped = 1;
  if (g_stopped) {
    set_error_text(err, cap, "stopped");
    return RESVG_STOPPED;
  }
  if (g_grow_refused || e->host.out_of_memory)
    snprintf(text, sizeof text, "out of memory (limit %u MiB)",
             (unsigned)(e->instance.w2c_memory.max_pages / 16u));
  else if (e->host.thrown)
    snprintf(text, sizeof text, "%s", e->host.thrown_text);
  else if (trap == WASM_RT_TRAP_UNREACHABLE) /* a panic inside the library */
    snprintf(text, sizeof text, "internal error in the SVG library");
  else
    snprintf(text, sizeof text, "internal error in the SVG library: %s", wasm_rt_strerror(trap));
  set_error_text(err, cap, text);
  return RESVG_TRAPPED;
}

/* Opens a trap scope in the calling function: a trap anywhere below longjmps back here and
 * the function returns RESVG_TRAPPED.  Locals changed inside the scope and read on the trap
 * path would have to be volatile; none are. */
#define TRAP_SCOPE(e, err, cap)                                           \
  if (!(e) || !(e)->live || (e)->trapped) return RESVG_UNUSABLE;         \
  (e)->host.thrown = 0;                                                   \
  (e)->host.out_of_memory = 0;                                            \
  g_grow_refused = 0;                                                     \
  g_stopped = 0;                                                          \
  wasm_rt_trap_t trap_ = (wasm_rt_trap_t)wasm_rt_impl_try();              \
  if (trap_ != WASM_RT_TRAP_NONE) return trapped((e), trap_, (err), (cap))

/* The return area of exports that give back (value, error, is_error). */
typedef struct {
  uint32_t value, error, is_error;
} Returned;

static uint32_t return_area(ResvgEngine* e) {
  return Z_resvgZ___wbindgen_add_to_stack_pointer(&e->instance, (u32)-16);
}

static Returned take_return(ResvgEngine* e, uint32_t area) {
  Returned r;
  r.value = load_u32(&e->host, area);
  r.error = load_u32(&e->host, area + 4);
  r.is_error = load_u32(&e->host, area + 8);
  Z_resvgZ___wbindgen_add_to_stack_pointer(&e->instance, 16);
  return r;
}

static void take_error(ResvgEngine* e, uint32_t handle, char* err, size_t cap) {
  Obj* o = obj_get(&e->host, handle);
  if (o && (o->kind == OBJ_ERROR || o->kind == OBJ_STRING))
    set_error(err, cap, (const char*)o->data, o->len);
  else
    set_error_text(err, cap, "unknown error");
  obj_release(&e->host, handle);
}

static uint32_t pass_string(ResvgEngine* e, const char* s, uint32_t* len) {
  size_t n = strlen(s);
  uint32_t p = Z_resvgZ___wbindgen_malloc(&e->instance, (u32)n, 1);
  memcpy(memory_at(&e->host, p, n), s, n);
  *len = (uint32_t)n;
  return p;
}

/* Inside a trap scope. */
static int parse(ResvgEngine* e, const uint8_t* svg, size_t len, const char* options, uint32_t* tree,
                 char* err, size_t cap) {
  if (len > 0xFFFFFFF0u) {
    set_error_text(err, cap, "the file is too large");
    return RESVG_REJECTED;
  }
  Obj input = {0};
  input.kind = OBJ_BYTES;
  input.data = (uint8_t*)svg; /* borrowed for this call only */
  input.len = len;
  uint32_t input_handle = obj_add(&e->host, &input);
  uint32_t options_len = 0, options_ptr = 0;
  if (options) options_ptr = pass_string(e, options, &options_len);
  uint32_t area = return_area(e);
  Z_resvgZ_resvg_new(&e->instance, area, input_handle, options_ptr, options_len, 0);
  Returned r = take_return(e, area);
  /* The module drops the input itself; make sure nothing still points at the caller's bytes. */
  Obj* left = obj_get(&e->host, input_handle);
  if (left && left->data == svg) obj_release(&e->host, input_handle);
  if (r.is_error) {
    take_error(e, r.error, err, cap);
    return RESVG_REJECTED;
  }
  *tree = r.value;
  return RESVG_OK;
}

/* Renders the tree; on success the rendered RGBA bytes are host object *pixels, which the caller
   releases. */
static int render_to_object(ResvgEngine* e, uint32_t tree, uint32_t* width, uint32_t* height, uint32_t* pixels,
                            char* err, size_t cap) {
  uint32_t area = return_area(e);
  Z_resvgZ_resvg_render(&e->instance, area, tree);
  Returned r = take_return(e, area);
  if (r.is_error) {
    take_error(e, r.error, err, cap);
    return RESVG_REJECTED;
  }
  *width = Z_resvgZ_renderedimage_width(&e->instance, r.value);
  *height = Z_resvgZ_renderedimage_height(&e->instance, r.value);
  *pixels = Z_resvgZ_renderedimage_pixels(&e->instance, r.value);
  Z_resvgZ___wbg_renderedimage_free(&e->instance, r.value);
  return RESVG_OK;
}

static int render(ResvgEngine* e, uint32_t tree, uint8_t* out, size_t out_cap, uint32_t* width,
                  uint32_t* height, char* err, size_t cap) {
  uint32_t pixels;
  int status = render_to_object(e, tree, width, height, &pixels, err, cap);
  if (status != RESVG_OK) return status;
  Obj* o = obj_expect(&e->host, pixels, OBJ_BYTES);
  size_t need = (size_t)*width * *height * 4;
  int result = RESVG_OK;
  if (o->len != need || need > out_cap) {
    set_error_text(err, cap, "host: unexpected pixel buffer");
    result = RESVG_REJECTED;
  } else {
    memcpy(out, o->data, need);
  }
  obj_release(&e->host, pixels);
  return result;
}

static void crop(ResvgEngine* e, uint32_t tree, double x, double y, double w, double h) {
  if (!e->crop_box) {
    static const char seed[] =
        "<svg xmlns='http://www.w3.org/2000/svg' width='1' height='1'><rect width='1' height='1'/></svg>";
    uint32_t seed_tree;
    char err[64];
    if (parse(e, (const uint8_t*)seed, sizeof seed - 1, NULL, &seed_tree, err, sizeof err) != RESVG_OK)
      host_throw(&e->host, "host: the seed document failed");
    e->crop_box = Z_resvgZ_resvg_getBBox(&e->instance, seed_tree);
    Z_resvgZ___wbg_resvg_free(&e->instance, seed_tree);
    if (!e->crop_box) host_throw(&e->host, "host: the seed document has no bounding box");
  }
  Z_resvgZ___wbg_set_bbox_x(&e->instance, e->crop_box, x);
  Z_resvgZ___wbg_set_bbox_y(&e->instance, e->crop_box, y);
  Z_resvgZ___wbg_set_bbox_width(&e->instance, e->crop_box, w);
  Z_resvgZ___wbg_set_bbox_height(&e->instance, e->crop_box, h);
  Z_resvgZ_resvg_cropByBBox(&e->instance, tree, e->crop_box);
}

/* ---------------------------------------------------------------------------------------- */
/* The document's size and viewBox                                                          */

/* The exports give only the rounded size, so the exact size, viewBox and aspect are read
 * from the Resvg object in linear memory, at offsets found once per process by parsing
 * documents with known values.  If that ever fails (another module build), the tree is
 * serialised instead, which is exact too but quadratic in the number of elements. */
static struct {
  int state; /* 0 not tried, 1 found, -1 not found */
  uint32_t size, rect, align, slice;
} g_layout;

static const struct {
  const char* svg;
  float w, h, left, top, right, bottom;
  int align, slice;
} k_calibration[] = {
    {"<svg xmlns='http://www.w3.org/2000/svg' width='123.25' height='77.5' viewBox='1.5 2.5 3.25 4.75' "
     "preserveAspectRatio='xMaxYMin slice'/>",
     123.25f, 77.5f, 1.5f, 2.5f, 4.75f, 7.25f, 3, 1},
    {"<svg xmlns='http://www.w3.org/2000/svg' width='11' height='13' viewBox='-7 -9 17 19' "
     "preserveAspectRatio='none'/>",
     11, 13, -7, -9, 10, 10, 0, 0},
    {"<svg xmlns='http://www.w3.org/2000/svg' width='0.375' height='4096' viewBox='0 8 1 2' "
     "preserveAspectRatio='xMidYMax'/>",
     0.375f, 4096, 0, 8, 1, 10, 8, 0},
    {"<svg xmlns='http://www.w3.org/2000/svg' width='5' height='6' viewBox='0 0 1 1' "
     "preserveAspectRatio='xMinYMid slice'/>",
     5, 6, 0, 0, 1, 1, 4, 1},
};
enum { CALIBRATIONS = sizeof k_calibration / sizeof *k_calibration, LAYOUT_SPAN = 1024 };

static int f32_at(const uint8_t* p, uint32_t offset, float v) {
  float f;
  memcpy(&f, p + offset, 4);
  return f == v;
}

/* Inside a trap scope.  Keeps the offsets that agree with every calibration document and
 * are the only ones that do.  A trap on the way (a stop, or the memory limit) leaves the
 * layout untried, for the next document to try again. */
static void calibrate(ResvgEngine* e) {
  uint32_t trees[CALIBRATIONS] = {0};
  char err[64];
  for (size_t i = 0; i < CALIBRATIONS; i++)
    if (parse(e, (const uint8_t*)k_calibration[i].svg, strlen(k_calibration[i].svg), NULL, &trees[i],
              err, sizeof err) != RESVG_OK)
      goto done;
  for (size_t i = 0; i < CALIBRATIONS; i++)
    if ((uint64_t)trees[i] + LAYOUT_SPAN > memory_of(&e->host)->size) goto done;
  {
    const uint8_t* m = memory_of(&e->host)->data;
    int sizes = 0, rects = 0, aligns = 0, slices = 0;
    uint32_t size = 0, rect = 0, align = 0, slice = 0;
    for (uint32_t o = 0; o + 16 <= LAYOUT_SPAN; o += 4) {
      int size_ok = 1, rect_ok = 1;
      for (size_t i = 0; i < CALIBRATIONS; i++) {
        const uint8_t* p = m + trees[i];
        size_ok &= f32_at(p, o, k_calibration[i].w) && f32_at(p, o + 4, k_calibration[i].h);
        rect_ok &= f32_at(p, o, k_calibration[i].left) && f32_at(p, o + 4, k_calibration[i].top) &&
                   f32_at(p, o + 8, k_calibration[i].right) && f32_at(p, o + 12, k_calibration[i].bottom);
      }
      if (size_ok) sizes++, size = o;
      if (rect_ok) rects++, rect = o;
    }
    if (sizes != 1 || rects != 1) goto done;
    for (uint32_t o = rect + 16; o < rect + 24; o++) { /* the aspect follows the rectangle */
      int align_ok = 1, slice_ok = 1;
      for (size_t i = 0; i < CALIBRATIONS; i++) {
        align_ok &= m[trees[i] + o] == k_calibration[i].align;
        slice_ok &= m[trees[i] + o] == k_calibration[i].slice;
      }
      if (align_ok) aligns++, align = o;
      if (slice_ok) slices++, slice = o;
    }
    if (aligns != 1 || slices != 1) goto done;
    g_layout.size = size;
    g_layout.rect = rect;
    g_layout.align = align;
    g_layout.slice = slice;
    g_layout.state = 1;
  }
done:
  if (g_layout.state != 1) g_layout.state = -1;
  for (size_t i = 0; i < CALIBRATIONS; i++)
    if (trees[i]) Z_resvgZ___wbg_resvg_free(&e->instance, trees[i]);
}

static int describe_from_memory(ResvgEngine* e, uint32_t tree, ResvgDocument* d) {
  if (g_layout.state == 0) calibrate(e);
  if (g_layout.state != 1) return 0;
  const uint8_t* p = memory_at(&e->host, tree, LAYOUT_SPAN);
  float left, top, right, bottom;
  memcpy(&d->width, p + g_layout.size, 4);
  memcpy(&d->height, p + g_layout.size + 4, 4);
  memcpy(&left, p + g_layout.rect, 4);
  memcpy(&top, p + g_layout.rect + 4, 4);
  memcpy(&right, p + g_layout.rect + 8, 4);
  memcpy(&bottom, p + g_layout.rect + 12, 4);
  d->view_x = left;
  d->view_y = top;
  d->view_w = right - left; /* as the library's NonZeroRect computes its width */
  d->view_h = bottom - top;
  d->align = p[g_layout.align];
  d->slice = p[g_layout.slice];
  d->has_image = -1;
  return d->align <= 9 && d->slice <= 1 && d->width > 0 && d->height > 0 && d->view_w > 0 &&
         d->view_h > 0;
}

static const char* find_attribute(const char* tag, size_t n, const char* name, size_t* len) {
  size_t name_len = strlen(name);
  for (size_t i = 0; i + name_len + 2 < n; i++) {
    if (tag[i] == ' ' && !memcmp(tag + i + 1, name, name_len) && tag[i + 1 + name_len] == '=' &&
        tag[i + 2 + name_len] == '"') {
      const char* value = tag + i + 3 + name_len;
      const char* end = memchr(value, '"', n - (size_t)(value - tag));
      if (!end) return NULL;
      *len = (size_t)(end - value);
      return value;
    }
  }
  return NULL;
}

static void parse_aspect(const char* s, size_t n, int* align, int* slice) {
  static const char* names[] = {"none",     "xMinYMin", "xMidYMin", "xMaxYMin", "xMinYMid",
                                "xMidYMid", "xMaxYMid", "xMinYMax", "xMidYMax", "xMaxYMax"};
  *align = 5;
  *slice = 0;
  for (size_t i = 0; i < n;) {
    while (i < n && s[i] == ' ') i++;
    size_t j = i;
    while (j < n && s[j] != ' ') j++;
    if (j - i == 5 && !memcmp(s + i, "slice", 5)) *slice = 1;
    for (int k = 0; k < 10; k++)
      if (strlen(names[k]) == j - i && !memcmp(s + i, names[k], j - i)) *align = k;
    i = j;
  }
}

/* The root element toString() writes; numbers are in Rust's shortest round-trip form, so
 * strtof gives back the exact values. */
static int describe_from_text(ResvgEngine* e, uint32_t tree, ResvgDocument* d, char* err, size_t cap) {
  uint32_t area = return_area(e);
  Z_resvgZ_resvg_toString(&e->instance, area, tree);
  Returned r = take_return(e, area);
  const char* s = (const char*)memory_at(&e->host, r.value, r.error);
  size_t n = r.error; /* (ptr, len) */
  const char* close = memchr(s, '>', n);
  size_t tag_len = close ? (size_t)(close - s) : n;
  char tag[1024];
  int found = 0;
  if (tag_len < sizeof tag && tag_len > 4 && !memcmp(s, "<svg", 4)) {
    memcpy(tag, s, tag_len);
    tag[tag_len] = 0;
    size_t wl, hl, vl, al;
    const char* w = find_attribute(tag, tag_len, "width", &wl);
    const char* h = find_attribute(tag, tag_len, "height", &hl);
    const char* vb = find_attribute(tag, tag_len, "viewBox", &vl);
    const char* aspect = find_attribute(tag, tag_len, "preserveAspectRatio", &al);
    if (w && h && vb) {
      char* p = (char*)vb;
      d->width = strtof(w, NULL);
      d->height = strtof(h, NULL);
      d->view_x = strtof(p, &p);
      d->view_y = strtof(p, &p);
      d->view_w = strtof(p, &p);
      d->view_h = strtof(p, &p);
      d->align = 5;
      d->slice = 0;
      if (aspect) parse_aspect(aspect, al, &d->align, &d->slice);
      found = 1;
    }
  }
  d->has_image = 0;
  for (size_t i = 0; i + 6 <= n && !d->has_image; i++)
    d->has_image = s[i] == '<' && !memcmp(s + i, "<image", 6);
  Z_resvgZ___wbindgen_free(&e->instance, r.value, r.error, 1);
  if (!found) {
    set_error_text(err, cap, "host: cannot read the document size");
    return RESVG_REJECTED;
  }
  return RESVG_OK;
}

static int describe(ResvgEngine* e, uint32_t tree, int through_text, ResvgDocument* d, char* err,
                    size_t cap) {
  if (!through_text && describe_from_memory(e, tree, d)) return RESVG_OK;
  return describe_from_text(e, tree, d, err, cap);
}

/* ---------------------------------------------------------------------------------------- */
/* Placement                                                                                 */

/* A 2-D affine matrix as the library stores it: x' = sx x + kx y + tx, y' = ky x + sy y + ty. */
typedef struct {
  float sx, ky, kx, sy, tx, ty;
} Matrix;

/* The two operations the library applies, in its f32 arithmetic: the viewBox to viewport
 * mapping, and the concatenation of scale-translate matrices. */
static Matrix view_box_matrix(float vx, float vy, float vw, float vh, int align, int slice, float w,
                              float h) {
  float sx = w / vw, sy = h / vh;
  if (align != 0) sx = sy = slice ? (sx < sy ? sy : sx) : (sx > sy ? sy : sx);
  float x = -vx * sx, y = -vy * sy;
  float free_w = w - vw * sx, free_h = h - vh * sy;
  int column = align == 0 ? 0 : (align - 1) % 3; /* 0 min, 1 mid, 2 max */
  int row = align == 0 ? 0 : (align - 1) / 3;
  Matrix m = {sx, 0, 0, sy, x, y};
  if (column == 1) m.tx = x + free_w / 2.0f;
  if (column == 2) m.tx = x + free_w;
  if (row == 1) m.ty = y + free_h / 2.0f;
  if (row == 2) m.ty = y + free_h;
  return m;
}

static int is_identity(Matrix a) {
  return a.sx == 1 && a.ky == 0 && a.kx == 0 && a.sy == 1 && a.tx == 0 && a.ty == 0;
}

static Matrix concat(Matrix a, Matrix b) {
  if (is_identity(a)) return b;
  if (is_identity(b)) return a;
  Matrix m = {a.sx * b.sx, 0, 0, a.sy * b.sy, a.sx * b.tx + a.tx, a.sy * b.ty + a.ty};
  return m;
}

/* The matrix the library ends with after cropByBBox(x, y, w, h) and a render fitted to
 * `size` pixels wide.  0 when it would refuse the rectangle or the pixmap is not square. */
static int crop_matrix(float x, float y, float w, float h, int align, int slice, int size, Matrix* out) {
  if (!(w > 0) || !(h > 0) || !isfinite(x) || !isfinite(y)) return 0;
  float right = x + w, bottom = y + h;
  if (!(right > x) || !(bottom > y) || !isfinite(right) || !isfinite(bottom)) return 0;
  float zoom = (float)size / w;
  float pw = roundf(w * zoom), ph = roundf(h * zoom);
  if (pw != (float)size || ph != (float)size) return 0;
  Matrix fit = {pw / w, 0, 0, ph / h, 0, 0};
  *out = concat(fit, view_box_matrix(x, y, right - x, bottom - y, align, slice, w, h));
  return 1;
}

static float f32_steps(float v, int n) {
  for (; n > 0; n--) v = nextafterf(v, INFINITY);
  for (; n < 0; n++) v = nextafterf(v, -INFINITY);
  return v;
}

static double matrix_distance(Matrix a, Matrix b, int size) {
  return fabs((double)a.sx - b.sx) * size + fabs((double)a.sy - b.sy) * size + fabs((double)a.tx - b.tx) +
         fabs((double)a.ty - b.ty);
}

/* A crop square whose matrix is `want` (a uniform scale), searched among f32 values next to
 * the obvious one.  1: found exactly; 0: only the closest; -1: nothing usable. */
static int solve_crop(Matrix want, int align, int slice, int size, float box[3]) {
  const int reach = 6;
  float k = want.sx;
  float w0 = (float)size / k, x0 = -want.tx / k, y0 = -want.ty / k;
  double best = INFINITY;
  int found = -1;
  for (int iw = -reach; iw <= reach && best > 0; iw++) {
    float w = f32_steps(w0, iw);
    for (int ix = -reach; ix <= reach && best > 0; ix++) {
      float x = f32_steps(x0, ix);
      for (int iy = -reach; iy <= reach && best > 0; iy++) {
        float y = f32_steps(y0, iy);
        Matrix m;
        if (!crop_matrix(x, y, w, w, align, slice, size, &m)) continue;
        double d = matrix_distance(m, want, size);
        if (d < best) {
          best = d;
          box[0] = x;
          box[1] = y;
          box[2] = w;
          found = d == 0 ? 1 : 0;
        }
      }
    }
  }
  return found;
}

/* The library's pattern and opacity stages round each channel on its own, and now and then a
   colour comes out a few steps (up to eight seen) above its alpha.  Such a pixel is not
   premultiplied: blending it adds more than 255 to the screen.  Each colour is therefore held
   to its alpha. */
static void to_premultiplied_bgra(uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; i += 4) {
    uint8_t r = p[i], a = p[i + 3];
    p[i] = p[i + 2] < a ? p[i + 2] : a;
    p[i + 1] = p[i + 1] < a ? p[i + 1] : a;
    p[i + 2] = r < a ? r : a;
  }
}

static char* base64(const uint8_t* s, size_t n) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  char* out = malloc((n + 2) / 3 * 4 + 1);
  if (!out) return NULL;
  char* o = out;
  size_t i = 0;
  for (; i + 2 < n; i += 3) {
    uint32_t v = (uint32_t)s[i] << 16 | (uint32_t)s[i + 1] << 8 | s[i + 2];
    *o++ = digits[v >> 18];
    *o++ = digits[(v >> 12) & 63];
    *o++ = digits[(v >> 6) & 63];
    *o++ = digits[v & 63];
  }
  if (i < n) {
    uint32_t v = (uint32_t)s[i] << 16 | (i + 1 < n ? (uint32_t)s[i + 1] << 8 : 0);
    *o++ = digits[v >> 18];
    *o++ = digits[(v >> 12) & 63];
    *o++ = i + 1 < n ? digits[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
  *o = 0;
  return out;
}

static const char* fit_options(char* buf, size_t cap, const char* mode, int size) {
  snprintf(buf, cap, "{\"fitTo\":{\"mode\":\"%s\",\"value\":%d},\"font\":{\"loadSystemFonts\":false}}",
           mode, size);
  return buf;
}

/* Uniform scale: crop the document to the square that maps onto the picture and render it
 * fitted to 96 pixels; the library then draws with exactly the wanted matrix. */
static int place_by_crop(ResvgEngine* e, uint32_t tree, Matrix want, const ResvgDocument* d,
                         uint8_t* out, char* err, size_t cap) {
  float box[3];
  if (solve_crop(want, d->align, d->slice, RESVG_PICTURE_SIZE, box) < 0) return -1;
  crop(e, tree, box[0], box[1], box[2], box[2]);
  uint32_t w = 0, h = 0;
  int result = render(e, tree, out, RESVG_PICTURE_BYTES, &w, &h, err, cap);
  if (result == RESVG_OK && (w != RESVG_PICTURE_SIZE || h != RESVG_PICTURE_SIZE)) {
    set_error_text(err, cap, "host: unexpected picture size");
    result = RESVG_REJECTED;
  }
  return result;
}

/* Stretched documents (preserveAspectRatio none, another aspect than the viewBox): a 96 x 96
 * document showing the file as an <image>.  The library maps the inner document's size,
 * rounded to integers, onto the image rectangle, so the rectangle is s W x s H.  Images
 * inside the inner document are lost on this path. */
static int place_by_wrapper(ResvgEngine* e, const uint8_t* svg, size_t len, float s, float tx, float ty,
                            const ResvgDocument* d, uint8_t* out, char* err, size_t cap) {
  float w = fmaxf(1.0f, roundf(d->width)), h = fmaxf(1.0f, roundf(d->height));
  char* encoded = e->scratch[0] = base64(svg, len);
  if (!encoded) host_out_of_memory(&e->host);
  size_t n = strlen(encoded) + 512;
  char* wrapper = e->scratch[1] = malloc(n);
  if (!wrapper) host_out_of_memory(&e->host);
  snprintf(wrapper, n,
           "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
           "width='%d' height='%d'><image x='%.17g' y='%.17g' width='%.17g' height='%.17g' "
           "preserveAspectRatio='none' xlink:href='data:image/svg+xml;base64,%s'/></svg>",
           RESVG_PICTURE_SIZE, RESVG_PICTURE_SIZE, (double)tx, (double)ty, (double)(w * s),
           (double)(h * s), encoded);
  char options[160];
  uint32_t tree;
  int result = parse(e, (const uint8_t*)wrapper, strlen(wrapper),
                     fit_options(options, sizeof options, "width", RESVG_PICTURE_SIZE), &tree, err, cap);
  scratch_free(e);
  if (result != RESVG_OK) return result;
  uint32_t pw = 0, ph = 0;
  result = render(e, tree, out, RESVG_PICTURE_BYTES, &pw, &ph, err, cap);
  Z_resvgZ___wbg_resvg_free(&e->instance, tree);
  return result;
}

/* The last resort: render fitted to the picture's width or height and copy the result in at
 * the rounded offset.  Close, not exact. */
static int place_by_copy(ResvgEngine* e, const uint8_t* svg, size_t len, float tx, float ty,
                         int fit_height, uint8_t* out, char* err, size_t cap) {
  char options[160];
  uint32_t tree;
  int result = parse(e, svg, len,
                     fit_options(options, sizeof options, fit_height ? "height" : "width", RESVG_PICTURE_SIZE),
                     &tree, err, cap);
  if (result != RESVG_OK) return result;
  size_t scratch_cap = (size_t)(RESVG_PICTURE_SIZE + 1) * (RESVG_PICTURE_SIZE + 1) * 4;
  uint8_t* rendered = e->scratch[0] = malloc(scratch_cap);
  if (!rendered) host_out_of_memory(&e->host);
  uint32_t w = 0, h = 0;
  result = render(e, tree, rendered, scratch_cap, &w, &h, err, cap);
  Z_resvgZ___wbg_resvg_free(&e->instance, tree);
  if (result == RESVG_OK) {
    memset(out, 0, RESVG_PICTURE_BYTES);
    int ox = (int)roundf(tx), oy = (int)roundf(ty);
    for (uint32_t y = 0; y < h; y++) {
      int to_y = oy + (int)y;
      if (to_y < 0 || to_y >= RESVG_PICTURE_SIZE) continue;
      for (uint32_t x = 0; x < w; x++) {
        int to_x = ox + (int)x;
        if (to_x < 0 || to_x >= RESVG_PICTURE_SIZE) continue;
        memcpy(out + ((size_t)to_y * RESVG_PICTURE_SIZE + to_x) * 4, rendered + ((size_t)y * w + x) * 4, 4);
      }
    }
  }
  scratch_free(e);
  return result;
}

int resvg_render_picture(ResvgEngine* e, const uint8_t* svg, size_t len, uint8_t out[RESVG_PICTURE_BYTES],
                         char* err, size_t cap) {
  if (e) scratch_free(e);
  TRAP_SCOPE(e, err, cap);
  const float size = RESVG_PICTURE_SIZE;
  char options[160];
  uint32_t tree;
  int result = parse(e, svg, len, fit_options(options, sizeof options, "width", RESVG_PICTURE_SIZE), &tree,
                     err, cap);
  if (result != RESVG_OK) return result;
  ResvgDocument d;
  result = describe(e, tree, 0, &d, err, cap);
  if (result != RESVG_OK) {
    Z_resvgZ___wbg_resvg_free(&e->instance, tree);
    return result;
  }

  /* Scale by s, then translate to the centre; after the document's own viewBox mapping. */
  float by_width = size / d.width, by_height = size / d.height;
  float s = isnan(by_height) ? by_width : (by_width < by_height ? by_width : by_height);
  float tx = (size - d.width * s) * 0.5f, ty = (size - d.height * s) * 0.5f;
  Matrix placement = {s, 0, 0, s, tx, ty};
  Matrix want = concat(placement, view_box_matrix(d.view_x, d.view_y, d.view_w, d.view_h, d.align, d.slice,
                                                  d.width, d.height));

  if (want.sx == want.sy) {
    result = place_by_crop(e, tree, want, &d, out, err, cap);
    Z_resvgZ___wbg_resvg_free(&e->instance, tree);
    if (result >= 0) {
      if (result == RESVG_OK) to_premultiplied_bgra(out, RESVG_PICTURE_BYTES);
      return result;
    }
    result = place_by_copy(e, svg, len, tx, ty, s != by_width, out, err, cap);
  } else {
    result = describe_from_text(e, tree, &d, err, cap);
    Z_resvgZ___wbg_resvg_free(&e->instance, tree);
    if (result != RESVG_OK) return result;
    result = d.has_image ? place_by_copy(e, svg, len, tx, ty, s != by_width, out, err, cap)
                         : place_by_wrapper(e, svg, len, s, tx, ty, &d, out, err, cap);
  }
  if (result == RESVG_OK) to_premultiplied_bgra(out, RESVG_PICTURE_BYTES);
  return result;
}

/* ---------------------------------------------------------------------------------------- */
/* Lower-level calls                                                                         */

int resvg_parse(ResvgEngine* e, const uint8_t* svg, size_t len, const char* options, uint32_t* tree,
                char* err, size_t cap) {
  TRAP_SCOPE(e, err, cap);
  return parse(e, svg, len, options, tree, err, cap);
}

int resvg_describe(ResvgEngine* e, uint32_t tree, int through_text, ResvgDocument* d, char* err,
                   size_t cap) {
  TRAP_SCOPE(e, err, cap);
  return describe(e, tree, through_text, d, err, cap);
}

int resvg_render_tree(ResvgEngine* e, uint32_t tree, uint8_t** rgba, uint32_t* width, uint32_t* height,
                      char* err, size_t cap) {
  TRAP_SCOPE(e, err, cap);
  uint32_t pixels;
  int status = render_to_object(e, tree, width, height, &pixels, err, cap);
  if (status != RESVG_OK) return status;
  Obj* o = obj_expect(&e->host, pixels, OBJ_BYTES);
  *rgba = o->data; /* no module call follows: take the host's copy over */
  o->data = NULL;
  o->owned = 0;
  obj_release(&e->host, pixels);
  return RESVG_OK;
}

void resvg_free_tree(ResvgEngine* e, uint32_t tree) {
  if (!e || !e->live || e->trapped || !tree) return;
  wasm_rt_trap_t trap = (wasm_rt_trap_t)wasm_rt_impl_try();
  if (trap != WASM_RT_TRAP_NONE) {
    e->trapped = 1;
    return;
  }
  Z_resvgZ___wbg_resvg_free(&e->instance, tree);
}

int resvg_layout_known(void) { return g_layout.state == 1; }
