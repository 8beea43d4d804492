/* Included ahead of the generated module: what the host can bound in it.
 *
 * Its nesting limit becomes a variable, so that the host can fit it to the stack of the thread
 * that runs conversions.  And split_module.py puts a stop point at the entry of every function
 * and at the head of every loop, so that between two stop points the module runs only
 * straight-line code (and single host calls): once the host asks it to stop, the module traps
 * at the next stop point, which unwinds it like any other trap. */
#ifndef KORVANE_SVG_MODULE_LIMITS_H
#define KORVANE_SVG_MODULE_LIMITS_H
#include <stdatomic.h>
#include <stdint.h>

extern uint32_t korvane_resvg_call_depth_limit;
#define WASM_RT_MAX_CALL_STACK_DEPTH korvane_resvg_call_depth_limit

/* Set from another thread by resvg_request_stop; a relaxed load costs one compare a loop. */
extern atomic_int korvane_resvg_stop_requested;
__attribute__((noreturn, cold)) void korvane_resvg_stop(void);
#define KORVANE_RESVG_STOP_POINT()                                                             \
  do {                                                                                         \
    if (__builtin_expect(atomic_load_explicit(&korvane_resvg_stop_requested, memory_order_relaxed), 0)) \
      korvane_resvg_stop();                                                                    \
  } while (0)
#endif
