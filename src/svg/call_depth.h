/* Included ahead of the generated module: its nesting limit becomes a variable, so that the
 * host can fit it to the stack of the thread that runs conversions. */
#ifndef KORVANE_SVG_CALL_DEPTH_H
#define KORVANE_SVG_CALL_DEPTH_H
#include <stdint.h>
extern uint32_t korvane_resvg_call_depth_limit;
#define WASM_RT_MAX_CALL_STACK_DEPTH korvane_resvg_call_depth_limit
#endif
