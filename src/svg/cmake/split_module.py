#!/usr/bin/env python3
"""Splits the single C file wasm2c 1.0.32 writes into PARTS files, so that the
compiler can work on them in parallel (wasm2c learned to do this itself only
in 1.0.33).

  split_module.py MODULE.c OUTDIR PARTS

Writes OUTDIR/module_common.h and OUTDIR/module_part<i>.c.  Part 0 keeps the
module's state, data segments, start-up code and exports; function bodies are
dealt out over all parts by size.  The module's internal functions lose their
`static` and gain a prefix, so the parts can call one another without clashing
with other code.  Every function entry and every loop head gets a stop point
(module_limits.h), so that the host can end a conversion that runs too long.
A file is rewritten only when its text changes, so that the build does not
recompile what is already compiled."""
import os
import re
import sys

PREFIX = "korvane_resvg_"


def main():
    src, outdir, parts = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(src, encoding="utf-8") as f:
        lines = f.read().split("\n")

    def find(pred, start=0):
        for i in range(start, len(lines)):
            if pred(lines[i]):
                return i
        sys.exit(f"split_module: unexpected layout in {src}")

    types_at = find(lambda l: l.startswith("static u32 func_types["))
    init_types = find(lambda l: l.startswith("static void init_func_types(void) {"), types_at)
    init_types_end = find(lambda l: l == "}", init_types)
    globals_at = find(lambda l: l.startswith("static void init_globals("), init_types_end)
    body_re = re.compile(r"^static \w+ (w2c_\w+)\(Z_\w+_instance_t\* instance")
    bodies_at = find(lambda l: body_re.match(l) is not None, globals_at)
    exports_at = find(lambda l: l.startswith("/* export: "), bodies_at)

    decl_re = re.compile(r"^static \w+ (w2c_\w+)\(")
    internal = {m.group(1) for l in lines[init_types_end + 1:globals_at] if (m := decl_re.match(l))}
    token = re.compile(r"\bw2c_\w+\b")
    # wasm2c writes each function's prologue and each loop label on a line of its own.
    prologue = re.compile(r"^(\s*)FUNC_PROLOGUE;$")
    loop_label = re.compile(r"^(\s*)(w2c_L\d+): $")
    stop_points = {"functions": 0, "loops": 0}

    def add_stop_point(line):
        if prologue.match(line):
            stop_points["functions"] += 1
            return line + " KORVANE_RESVG_STOP_POINT();"
        if m := loop_label.match(line):
            stop_points["loops"] += 1
            return f"{m.group(1)}{m.group(2)}: KORVANE_RESVG_STOP_POINT();"
        return line

    def rename(text):
        return token.sub(lambda m: PREFIX + m.group(0) if m.group(0) in internal else m.group(0), text)

    def unstatic(line):
        return line[len("static "):] if decl_re.match(line) else line

    preamble = [l for l in lines[:types_at] if not l.startswith("static bool s_module_initialized")]
    count = lines[types_at][lines[types_at].index("[") + 1:lines[types_at].index("]")]
    decls = [unstatic(l) for l in lines[init_types_end + 1:globals_at]]

    common = "\n".join(preamble) + "\n"
    common += f"extern u32 {PREFIX}func_types[{count}];\n#define func_types {PREFIX}func_types\n"
    common += rename("\n".join(decls)) + "\n"

    bodies, current = [], []
    for l in lines[bodies_at:exports_at]:
        if body_re.match(l) and current:
            bodies.append(current)
            current = []
        current.append(unstatic(l) if body_re.match(l) else add_stop_point(l))
    if current:
        bodies.append(current)
    labels = sum(len(re.findall(r"\bw2c_L\d+:", l)) for l in lines[bodies_at:exports_at])
    if stop_points["functions"] != len(bodies) or stop_points["loops"] != labels or labels == 0:
        sys.exit(f"split_module: {stop_points['functions']} prologues in {len(bodies)} functions, "
                 f"{stop_points['loops']} of {labels} loops: unexpected layout in {src}")

    shares = [[] for _ in range(parts)]
    sizes = [0] * parts
    sizes[0] = sum(map(len, lines[globals_at:bodies_at]))  # the data segments
    for body in sorted(bodies, key=lambda b: -sum(map(len, b))):
        i = sizes.index(min(sizes))
        shares[i].extend(body)
        sizes[i] += sum(map(len, body))

    os.makedirs(outdir, exist_ok=True)
    write_if_changed(os.path.join(outdir, "module_common.h"), common)
    for i in range(parts):
        text = '#include "module_common.h"\n'
        if i == 0:
            text += f"u32 {PREFIX}func_types[{count}];\nstatic bool s_module_initialized = false;\n"
            text += rename("\n".join(lines[init_types:init_types_end + 1])) + "\n"
            text += rename("\n".join(lines[globals_at:bodies_at])) + "\n"
        text += rename("\n".join(shares[i])) + "\n"
        if i == 0:
            text += rename("\n".join(lines[exports_at:])) + "\n"
        write_if_changed(os.path.join(outdir, f"module_part{i}.c"), text)
    print(f"split_module: {len(bodies)} functions in {parts} parts, "
          f"stop points at their entries and at {stop_points['loops']} loops")


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
