#!/usr/bin/env python3
"""Runs the core benchmarks and the Wine benchmark program, and prints one table of ratios
against the baselines of the same run, with the absolute figures beside them.

usage: report.py CORE_BENCH WIN_BENCH   (scripts/bench sets up Wine, the X screen and the prefix)
"""
import json
import os
import statistics
import subprocess
import sys


def percentile(samples, p):
    ordered = sorted(samples)
    rank = max(0, min(len(ordered) - 1, int(round(p / 100 * len(ordered) + 0.5)) - 1))
    return ordered[rank]


def core_cases(core_bench):
    out = subprocess.run(
        [core_bench, "--benchmark_format=json", "--benchmark_repetitions=5", "--benchmark_min_time=0.2"],
        check=True, capture_output=True, text=True).stdout
    samples, units = {}, {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") == "iteration":
            samples.setdefault(b["run_name"], []).append(b["real_time"])
            units[b["run_name"]] = b["time_unit"]
    cases = []
    for name in dict.fromkeys(n.rsplit("/", 1)[0] for n in samples):
        cases.append({"case": name, "unit": units[name + "/product"], "product": samples[name + "/product"],
                      "baseline": samples[name + "/baseline"]})
    return cases


def wine_cases(win_bench, mode):
    out = subprocess.run(["timeout", "900", "wine", win_bench, mode], check=True, capture_output=True,
                         text=True, stdin=subprocess.DEVNULL).stdout
    return [json.loads(line) for line in out.splitlines() if line.startswith("{\"case\"")]


def private_kib(pid):
    """Resident private memory of a Linux process (clean and dirty private pages)."""
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1])
    return total


def wine_process(exe, prefix):
    """The Linux process of a Windows program running in our Wine prefix (other sessions run
    their own prefixes on the same machine)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                args = f.read().split(b"\0")
            with open(f"/proc/{entry}/environ", "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if any(a.lower().endswith(exe.lower().encode()) for a in args[:1]) and \
                ("WINEPREFIX=" + prefix).encode() in environ:
            return int(entry)
    return None


def memory_case(win_bench):
    prefix = os.environ["WINEPREFIX"]
    bench = subprocess.Popen(["timeout", "300", "wine", win_bench, "memory"], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True)
    korvane, minimal = [], []
    for line in bench.stdout:
        if not line.startswith("{\"idle\""):
            continue
        k = wine_process("Korvane.exe", prefix)
        m = wine_process("minimal_window.exe", prefix)
        if k is None or m is None:
            sys.exit("report: the idle programs were not found under /proc")
        korvane.append(private_kib(k) / 1024)
        minimal.append(private_kib(m) / 1024)
        bench.stdin.write("\n")
        bench.stdin.flush()
    if bench.wait() != 0 or not korvane:
        sys.exit("report: the memory case failed")
    return [{"case": "idle_private_bytes", "unit": "MB", "product": korvane, "baseline": minimal}]


SCREENSHOTS = ["docked", "fill-in", "variables-wizard", "text-editor", "tile-menu", "popup"]
PICTURE_BYTES = 40 + 3840 * 2160 * 4


def screenshot_rows(path):
    """One 3840 x 2160 screenshot of the strip and the dialogs, tiled from docs/screenshots, as
    top-down BGRA rows."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    sources = [f"docs/screenshots/{name}.png" for name in SCREENSHOTS]
    subprocess.run(["convert", *sources, "-background", "white", "-gravity", "north", "+append",
                    "-write", "mpr:strip", "+delete", "-size", "3840x2160", "tile:mpr:strip",
                    "-alpha", "off", "-alpha", "set", "-depth", "8", f"BGRA:{path}"], check=True)


def status_kib(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def pictures_case(win_bench):
    """Korvane's resident private memory with ten screenshots in Recent, and how far its resident
    memory rises above that while it pastes one of them back."""
    rows = os.path.abspath("build/bench/screenshot-3840x2160.bgra")
    screenshot_rows(rows)
    bench = subprocess.Popen(["timeout", "600", "wine", win_bench, "pictures", "Z:" + rows.replace("/", "\\")],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    held, paste_rise = [], []
    resident_before = 0
    for line in bench.stdout:
        if line.startswith("{\"pictures\""):
            k = wine_process("Korvane.exe", os.environ["WINEPREFIX"])
            held.append(private_kib(k) / 1024)
            resident_before = status_kib(k, "VmRSS")
            with open(f"/proc/{k}/clear_refs", "w") as f:
                f.write("5")  # the peak resident size starts again from here
        elif line.startswith("{\"pasted\""):
            paste_rise.append((status_kib(k, "VmHWM") - resident_before) / 1024)
        else:
            continue
        bench.stdin.write("\n")
        bench.stdin.flush()
    if bench.wait() != 0 or not held or not paste_rise:
        sys.exit("report: the pictures case failed")
    one_copy = PICTURE_BYTES / (1024 * 1024)
    return [{"case": "ten_pictures_private_bytes", "unit": "MB", "product": held, "baseline": [one_copy * 10]},
            {"case": "paste_picture_peak_rise", "unit": "MB", "product": paste_rise, "baseline": [one_copy]}]


def cpu_seconds(pid):
    """User and system time of a Linux process so far."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def flood_case(win_bench):
    """Korvane through two floods of clipboard changes: the delays win_bench measures, and the
    share of one core Korvane used during the first flood."""
    bench = subprocess.Popen(["timeout", "900", "wine", win_bench, "flood"], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True)
    cases, cpu, at, floods = [], [], 0.0, 0
    for line in bench.stdout:
        if line.startswith("{\"case\""):
            cases.append(json.loads(line))
            continue
        if not line.startswith("{\"flood\""):
            continue
        k = wine_process("Korvane.exe", os.environ["WINEPREFIX"])
        event = json.loads(line)
        if event["flood"] == "start":
            at = cpu_seconds(k)
        else:
            floods += 1
            if floods == 1:
                cpu.append((cpu_seconds(k) - at) / event["seconds"])
        bench.stdin.write("\n")
        bench.stdin.flush()
    if bench.wait() != 0 or len(cases) != 2 or not cpu:
        sys.exit("report: the flood case failed")
    return cases + [{"case": "flood_cpu_share", "unit": "cores", "product": cpu, "baseline": [1.0]}]


# What each measured case must meet.  "ratio": the product's median over the baseline's;
# "p95": the product's 95th percentile in its unit; "at_most": the product's median.
TARGETS = {
    "capture_text": ("p95", 16.0, "p95 <= 16 ms"),
    "capture_picture": ("ratio", 3.0, "<= 3x one copy"),
    "capture_text_beside_html": ("ratio", 2.0, "<= 2x one copy"),
    "capture_picture_vs_bare": ("ratio", 1.2, "<= 1.2x bare listener"),
    "full_paint": ("ratio", 1.5, "<= 1.5x bare BitBlt"),
    "pins_save": ("ratio", 1.5, "<= 1.5x raw write"),
    "pins_load": ("ratio", 1.5, "<= 1.5x raw read"),
    "start_to_visible": ("ratio", 1.5, "<= 1.5x minimal program"),
    "idle_private_bytes": ("at_most", 12.0, "<= 12 MB"),
    "ten_pictures_private_bytes": ("at_most", 80.0, "<= 80 MB"),
    "paste_picture_peak_rise": ("ratio", 2.0, "<= 2x one copy"),
    "flood_last_text_shown": ("at_most", 1000.0, "<= 1 s"),
    "flood_click_to_clipboard": ("at_most", 1000.0, "<= 1 s"),
    "flood_cpu_share": ("at_most", 0.25, "<= 0.25 core"),
}

BASELINES = {
    "capture_text": "bare listener",
    "capture_picture": "one copy of 33 MB",
    "capture_picture_bare_listener": "one copy of 33 MB",
    "capture_text_beside_html": "one clipboard read of 200 MiB",
    "capture_picture_vs_bare": "bare listener",
    "full_paint": "bare BitBlt",
    "hover_paint": "bare BitBlt",
    "pins_save": "one flushed WriteFile",
    "pins_load": "one ReadFile",
    "start_to_visible": "minimal program",
    "idle_private_bytes": "minimal program",
    "ten_pictures_private_bytes": "ten raw copies",
    "paste_picture_peak_rise": "one copy of 33 MB",
    "flood_last_text_shown": "1 s",
    "flood_click_to_clipboard": "1 s",
    "flood_cpu_share": "one core",
}


def row(c):
    product, baseline = c["product"], c["baseline"]
    pm, bm = statistics.median(product), statistics.median(baseline)
    ratio = pm / bm if bm else float("inf")
    p95 = percentile(product, 95) if len(product) >= 10 else None
    verdict, target = "context", ""
    if c["case"] in TARGETS:
        kind, limit, target = TARGETS[c["case"]]
        value = {"ratio": ratio, "p95": p95, "at_most": pm}[kind]
        verdict = "met" if value is not None and value <= limit else "MISSED"
    unit = c["unit"]
    absolute = f"{pm:.4g} {unit}" + (f" (p95 {p95:.4g})" if p95 is not None else "")
    return [c["case"], f"{ratio:.2f}x", absolute, f"{bm:.4g} {unit}", BASELINES.get(c["case"], "plain copy or loop"),
            f"{len(product)}", target, verdict]


def main():
    core_bench, win_bench = sys.argv[1], sys.argv[2]
    cases = core_cases(core_bench)
    for mode in ("capture", "paint", "pins", "start"):
        cases += wine_cases(win_bench, mode)
    cases += memory_case(win_bench)
    cases += pictures_case(win_bench)
    cases += flood_case(win_bench)
    header = ["case", "ratio", "product (median)", "baseline (median)", "baseline is", "n", "target", "result"]
    rows = [header] + [row(c) for c in cases]
    widths = [max(len(r[i]) for r in rows) for i in range(len(header))]
    for i, r in enumerate(rows):
        print("| " + " | ".join(v.ljust(w) for v, w in zip(r, widths)) + " |")
        if i == 0:
            print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    with open(os.environ.get("KORVANE_BENCH_JSON", os.devnull), "w") as f:
        json.dump(cases, f)


if __name__ == "__main__":
    main()
