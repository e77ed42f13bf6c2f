#!/usr/bin/env python3
"""Turns the benchmarks' JSON output into the README's Markdown table.

    tools/bench_table.py RESULTS.json [--readme README.md] [--command TEXT]

Prints the table; with --readme, also puts it between the markers
<!-- benchmarks:begin --> and <!-- benchmarks:end -->, leaving the rest of the
file as it was. Scripts/bench-table.sh runs the benchmarks and then this.

Every benchmark in the JSON gets a row. The ones named in BENCHMARKS below
carry a plain description, the figures that matter for them and the target
they are held to; any other benchmark shows its time per iteration and every
counter it reports, so that a new benchmark appears before anyone describes it.
"""
import argparse
import json
import math
import re
import sys
from dataclasses import dataclass, field
from typing import Callable, Optional

BEGIN_MARKER = "<!-- benchmarks:begin -->"
END_MARKER = "<!-- benchmarks:end -->"

# Keys of a run record that are not counters.
RUN_KEYS = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
    "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit", "label",
    "error_occurred", "error_message", "aggregate_name", "aggregate_unit", "big_o", "rms",
}

UNIT_S = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

# Parts that the benchmark library appends to a name for the way it was run.
RUN_OPTION = re.compile(r"/(iterations|repeats|threads|min_time|min_warmup_time):[^/]+|/(manual_time|real_time)")


def plain_name(name: str) -> str:
    """BM_PlayStep/3/iterations:10/manual_time -> PlayStep/3"""
    name = RUN_OPTION.sub("", name)
    return name[3:] if name.startswith("BM_") else name


def significant(value: float, digits: int = 3) -> str:
    """A number to about three significant digits, without exponent notation."""
    if value == 0 or not math.isfinite(value):
        return f"{value:g}"
    decimals = max(0, digits - 1 - int(math.floor(math.log10(abs(value)))))
    text = f"{value:,.{decimals}f}"
    return text.rstrip("0").rstrip(".") if "." in text else text


def duration(seconds: float) -> str:
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if abs(seconds) >= scale:
            return f"{significant(seconds / scale)} {unit}"
    return f"{significant(seconds / 1e-9)} ns"


# ----------------------------------------------------------------------------
# Figures: how one number is drawn from a run (and, for ratios, from the other
# runs), how it is written, and the bound it is held to.


class Runs:
    """The runs of one JSON file, by plain name."""

    def __init__(self, runs: list):
        self.by_name = {plain_name(run["name"]): run for run in runs}

    def get(self, name: str) -> Optional[dict]:
        return self.by_name.get(name)


def measured_time_s(run: dict) -> Optional[float]:
    """Time per iteration: the wall-clock or manual time when the benchmark
    asked for it (its own CPU time means nothing there), CPU time otherwise,
    which a busy shared machine disturbs least."""
    key = "real_time" if re.search(r"/(manual_time|real_time)", run["name"]) else "cpu_time"
    if key not in run:
        return None
    return run[key] * UNIT_S.get(run.get("time_unit", "ns"), 1e-9)


@dataclass
class Figure:
    value: Callable[[dict, Runs], Optional[float]]
    write: Callable[[float], str]
    at_most: Optional[float] = None
    at_least: Optional[float] = None

    def holds(self, value: float) -> bool:
        return (self.at_most is None or value <= self.at_most) and (self.at_least is None or value >= self.at_least)


def time_per_iteration(at_most_s: Optional[float] = None) -> Figure:
    return Figure(lambda run, runs: measured_time_s(run), duration, at_most=at_most_s)


def time_per_item(item: str, at_most_s: Optional[float] = None) -> Figure:
    def value(run, runs):
        rate = run.get("items_per_second")
        return 1.0 / rate if rate else None
    return Figure(value, lambda s: f"{duration(s)}/{item}", at_most=at_most_s)


def counter(key: str, write: Callable[[float], str], at_most=None, at_least=None) -> Figure:
    return Figure(lambda run, runs: run.get(key), write, at_most, at_least)


def times_slower_than(reference: str, what: str, at_most: float) -> Figure:
    """This run's time over the reference benchmark's: "4.2x memcpy"."""
    def value(run, runs):
        other = runs.get(reference)
        mine, theirs = measured_time_s(run), other and measured_time_s(other)
        return mine / theirs if mine and theirs else None
    return Figure(value, lambda r: f"{significant(r, 2)}x {what}", at_most=at_most)


def times_faster_than(reference: str, what: str, at_least: float) -> Figure:
    """The reference benchmark's time over this run's: "9.1x faster than ..."."""
    def value(run, runs):
        other = runs.get(reference)
        mine, theirs = measured_time_s(run), other and measured_time_s(other)
        return theirs / mine if mine and theirs else None
    return Figure(value, lambda r: f"{significant(r, 2)}x faster than {what}", at_least=at_least)


def ms(value: float) -> str:
    """A counter in milliseconds, in whatever unit reads best."""
    return duration(value / 1000)


def counter_by_suffix(key: str) -> Figure:
    """A counter nobody has described yet, written with the unit its name ends in."""
    suffixes = (("_percent", " %"), ("_per_s", "/s"), ("_ms", " ms"), ("_us", " µs"), ("_ns", " ns"), ("_s", " s"))
    for suffix, unit in suffixes:
        if key.endswith(suffix):
            label = key[: -len(suffix)]
            return counter(key, lambda v, label=label, unit=unit: f"{label} {significant(v)}{unit}")
    return counter(key, lambda v: f"{key} {significant(v)}")


@dataclass
class Benchmark:
    pattern: str          # regular expression over the plain name, matched whole
    what: str             # what it measures, in plain words
    figures: list = field(default_factory=list)
    target: str = ""


# The real program's threads in the order they are made (SDL's own timer
# thread comes with SDL_Init's timer subsystem); the waiting benchmarks report
# each one's CPU share by that order.
WAITING_THREADS = ("main thread", "program thread", "timer-event thread", "audio thread")

# The benchmarks the project holds to a target, in plain words. Patterns match
# the name without "BM_" and without the library's run options.
BENCHMARKS = [
    Benchmark("MainThreadWhileProgramSleeps",
              "main thread's CPU share and main-loop rate while the program sleeps (whole runtime, 5 s)",
              [counter("main_thread_cpu_percent", lambda v: f"{significant(v, 2)} % CPU", at_most=1.0),
               counter("main_loop_iterations_per_s", lambda v: f"{significant(v)} it/s", at_least=55, at_most=65)],
              "≤ 1 % CPU; 55–65 it/s"),
    Benchmark("PrintLikeStatement", "a PRINT-like statement: STR$ of a score joined with a space, assigned, freed",
              [time_per_iteration(150e-9)], "≤ 150 ns"),
    Benchmark("PrintLiteralStatement", "the same statement with a literal: the string machinery alone",
              [time_per_iteration()]),
    Benchmark("AssignChrToVariable", "key$ = CHR$(n), the arena's compaction included", [time_per_iteration()]),
    Benchmark("MidOfVariable1000", "MID$(v$, 401, 200) of a 1,000-byte variable: a new 200-byte temporary",
              [time_per_iteration(), counter("arena_bytes_per_call", lambda v: f"{significant(v)} arena bytes/call")]),
    Benchmark("MidOfTemporary1000", "MID$ of a 1,000-byte temporary, which is cut where it lies",
              [time_per_iteration(),
               counter("arena_bytes_per_call", lambda v: f"{significant(v)} arena bytes/call", at_most=0),
               counter("descriptors_per_call", lambda v: f"{significant(v)} descriptors/call", at_most=0)],
              "no allocation"),
    Benchmark("InstrOver1000", "INSTR(v$, \"XYZZY\") over a 1,000-byte alphabet variable, found at byte 992",
              [time_per_iteration()]),
    Benchmark("SingleToText", "STR$ of a single-precision number", [time_per_iteration(500e-9)], "≤ 500 ns"),
    Benchmark("DoubleToText", "STR$ of a double-precision number", [time_per_iteration()]),
    Benchmark("CharacterAtLookup", "reading a character back from a mode-13 cell, quick pattern lookup",
              [time_per_item("cell"), times_faster_than("CharacterAtPlainComparison", "plain comparison", 5)],
              "≥ 5x faster than plain comparison"),
    Benchmark("CharacterAtPlainComparison", "the same read-back comparing the cell with every glyph",
              [time_per_item("cell")]),
    Benchmark("PrintMazeRow", "printing one 31-character maze row in mode 13",
              [time_per_item("char", 60e-9)], "≤ 60 ns/char"),
    Benchmark("PaintWholeScreen", "PAINT of the whole 320x200 screen", [time_per_item("px", 20e-9)], "≤ 20 ns/px"),
    Benchmark("PresentChangedFrameWindowed", "presenting a changed mode-13 frame into a 320x200 window",
              [time_per_iteration(), times_slower_than("MemcpyBytes/256000", "memcpy", 6)], "≤ 6x memcpy"),
    Benchmark("PresentChangedFrameFullScreen", "presenting a changed mode-13 frame full screen (640x400)",
              [time_per_iteration(), times_slower_than("MemcpyBytes/1024000", "memcpy", 6)], "≤ 6x memcpy"),
    Benchmark("PresentChangedFrameScaled", "presenting a changed mode-13 frame into a window scaled 3 times (960x600)",
              [time_per_iteration(), times_slower_than("MemcpyBytes/2304000", "memcpy", 6)], "≤ 6x memcpy"),
    Benchmark("PresentUnchangedFrame", "presenting an unchanged frame (the comparison that skips it)",
              [time_per_iteration(), times_slower_than("MemcmpPixels", "memcmp", 2)], "≤ 2x memcmp"),
    Benchmark("PresentUnchangedFrameScaled", "presenting an unchanged frame in a window scaled 3 times",
              [time_per_iteration(), times_slower_than("MemcmpPixels", "memcmp", 2)], "≤ 2x memcmp"),
    Benchmark("MemcpyBytes/256000", "reference: memcpy of 320x200x4 bytes", [time_per_iteration()]),
    Benchmark("MemcpyBytes/1024000", "reference: memcpy of 640x400x4 bytes", [time_per_iteration()]),
    Benchmark("MemcpyBytes/2304000", "reference: memcpy of 960x600x4 bytes", [time_per_iteration()]),
    Benchmark("MemcmpPixels", "reference: memcmp of 320x200 bytes", [time_per_iteration()]),
    Benchmark("RenderToneOneSecond", "rendering one second of a 440 Hz tone",
              [time_per_iteration(), counter("audio_s", lambda v: f"{significant(v)} s audio per CPU s", at_least=5000)],
              "≥ 5,000 s audio per CPU s"),
    Benchmark("RenderTitleJingle", "rendering the title jingle before it plays", [time_per_iteration(1e-3)], "≤ 1 ms"),
    Benchmark("InkeyEmptyBuffer", "INKEY$ on an empty keyboard buffer, its processor yield included",
              [time_per_iteration()]),
    Benchmark("InkeyEmptyBufferBesidesTheYield", "INKEY$ on an empty buffer without its yield",
              [time_per_iteration(200e-9)], "≤ 200 ns"),
    Benchmark("YieldAlone", "reference: one processor yield", [time_per_iteration()]),
    Benchmark("KeyPressReleaseAndRead", "a key press and release through the main thread's handling, then INKEY$",
              [time_per_iteration()]),
    Benchmark("StickWithoutController", "STICK with no controller plugged in", [time_per_iteration()]),
    Benchmark("KeyEventToBiosBuffer", "a key event's way from SDL's queue into the BIOS buffer (whole runtime)",
              [counter("median_ms", lambda v: f"median {ms(v)}"), counter("p95_ms", lambda v: f"p95 {ms(v)}"),
               counter("max_ms", lambda v: f"max {ms(v)}", at_most=32)],
              "≤ ~32 ms"),
    Benchmark(r"PlayStep/(\d+)", "one play step of level {0} that plays no tune", [time_per_iteration(20e-6)], "≤ 20 µs"),
    Benchmark("FallingDrop", "level 5's drop falling one row (part of a play step)", [time_per_iteration()]),
    Benchmark("CrawlerMove", "a move of level 6's crawler (part of a play step)", [time_per_iteration()]),
    Benchmark("WebStartToFirstFrame",
              "web build (headless Chromium): click on the page's cover to the game's first frame",
              [counter("first_frame_ms", ms, at_most=1500)], "≤ 1.5 s"),
    Benchmark("WebPresentChangedFrame",
              "web build: the main loop's timer callback that presents a changed menu frame (the 12 slowest of about 450)",
              [counter("median_ms", lambda v: f"median {ms(v)}", at_most=2), counter("max_ms", lambda v: f"max {ms(v)}")],
              "≤ 2 ms"),
    Benchmark("WebKeyToChangedPixels", "web build: key press to changed canvas pixels in the menu",
              [counter("median_ms", lambda v: f"median {ms(v)}", at_most=32), counter("max_ms", lambda v: f"max {ms(v)}")],
              "≤ ~32 ms (as the desktop)"),
    Benchmark("WebCpuWhileMenuWaits", "web build: processor over 10 s while the menu waits (every process of the browser)",
              [counter("runtime_threads_percent", lambda v: f"runtime threads {significant(v, 2)} %", at_most=3),
               counter("browser_percent", lambda v: f"whole browser {significant(v, 2)} %")],
              "runtime threads ≤ 3 %; browser within 3 points of a blank page"),
    Benchmark("WebCpuWhileHeroStands", "web build: processor over 10 s while the hero stands in level 1",
              [counter("runtime_threads_percent", lambda v: f"runtime threads {significant(v, 2)} %"),
               counter("browser_percent", lambda v: f"whole browser {significant(v, 2)} %")],
              "browser within 3 points of a blank page"),
    Benchmark("WebCpuBlankPage", "reference: the same browser over 10 s on a blank page",
              [counter("browser_percent", lambda v: f"whole browser {significant(v, 2)} %")]),
    Benchmark("WebDownloadSize", "web build: .wasm, .js and worker, gzip -9",
              [counter("gzip_bytes", lambda v: f"{significant(v / 1024, 3)} KB", at_most=1024 * 1024)], "≤ 1 MB"),
    Benchmark("ProcessStartToFirstFrame",
              "process start to the game's first frame in a window (Xvfb); up to 1 s of it is the designed wait",
              [time_per_iteration(), counter("overhead_ms", lambda v: f"overhead {ms(v)}"),
               counter("longest_ms", lambda v: f"longest {ms(v)}", at_most=1200)],
              "≤ 1.2 s"),
    *[Benchmark(f"ProcessCpuWhileWaiting/{state}",
                f"whole process's CPU over 10 s while the real program waits: {what} (Xvfb)",
                [counter("process_cpu_percent", lambda v: f"{significant(v, 2)} % CPU", at_most=limit),
                 *[counter(f"thread_{number}_percent", lambda v, thread=thread: f"{thread} {significant(v, 2)} %")
                   for number, thread in enumerate(WAITING_THREADS, start=1)],
                 counter("state_kept", lambda v: "state kept" if v else "state left", at_least=1)],
                f"≤ {limit:g} % CPU")
      for state, what, limit in (("menu", "main menu waiting for a key", 3),
                                 ("level_1_standing", "level 1, the hero standing", 5),
                                 ("level_7_standing", "level 7 (a mechanism moving every step), the hero standing", 5),
                                 ("paused", "paused with the Pause key", 1),
                                 ("help", "help screen", 3),
                                 ("foreground_tune", "a foreground tune playing", 3))],
    *[Benchmark(f"KeyToChangedPixels/{where}",
                f"a key sent to the X server to the changed pixels in the window: {what} (real program, Xvfb)",
                [counter("median_ms", lambda v: f"median {ms(v)}", at_most=median),
                 counter("p95_ms", lambda v: f"p95 {ms(v)}", at_most=p95),
                 counter("missed", lambda v: f"{significant(v)} missed", at_most=0)],
                f"as before the waits slept: median ≤ {median:g} ms, p95 ≤ {p95:g} ms")
      for where, what, median, p95 in (("menu", "menu option C", 34, 50), ("level_1", "a hero move in level 1", 75, 110))],
    Benchmark("WaitTicksLateness", "how long after TIMER changed wait_ticks(1) returns (whole runtime)",
              [counter("median_ms", lambda v: f"median {ms(v)}", at_most=1), counter("max_ms", lambda v: f"max {ms(v)}", at_most=4),
               counter("unmeasured", lambda v: f"{significant(v)} of 100 unmeasured (the watcher was kept from looking)")],
              "median ≤ 1 ms, max ≤ 4 ms (quiet machine)"),
    Benchmark(r"PlayPace/(\w+)", "play steps per second in levels 1-9, difficulty {0}, the hero standing (whole runtime)",
              [counter(f"level_{level}_steps_per_s", lambda v, level=level: f"L{level} {significant(v)}") for level in range(1, 10)],
              "as before the waits slept"),
    *[Benchmark(f"UnpacedPlayPace/{keys}",
                f"play steps per second without the step pause (hidden \"g\"), levels 1, 3 and 5, the hero standing, {what} (whole runtime)",
                [counter(f"level_{level}_steps_per_s", lambda v, level=level: f"L{level} {significant(v)}") for level in (1, 3, 5)],
                "the same with and without keys: about 100/s where no step plays a note")
      for keys, what in (("no_key", "no key"), ("key_held", "a key held (a press every 30 ms)"),
                         ("keys_typed", "keys typed (a press and release every 125 ms)"))],
    Benchmark("PauseToHeld/level_wait",
              "Pause during a level's wait (level 3, the step's wait of a tick) to the program thread held (whole runtime)",
              [time_per_iteration(), counter("median_ms", lambda v: f"median {ms(v)}"),
               counter("max_ms", lambda v: f"max {ms(v)}", at_most=15)],
              "max ≤ 15 ms"),
    Benchmark("ForegroundTuneGaps", "silence the device plays between two foreground tunes (a death's fading faces)",
              [counter("mean_gap_ms", lambda v: f"mean {ms(v)}"), counter("min_gap_ms", lambda v: f"min {ms(v)}"),
               counter("max_gap_ms", lambda v: f"max {ms(v)}")],
              "as before the waits slept"),
    Benchmark(r"CloseToExit/(\w+)", "closing the window during the {0} wait to the process's exit (real program, Xvfb)",
              [time_per_iteration(0.5), counter("longest_ms", lambda v: f"longest {ms(v)}", at_most=500),
               counter("failed", lambda v: f"{significant(v)} failed", at_most=0)],
              "≤ 0.5 s, status 0"),
    Benchmark(r"CloseToExitOnSdl12Compat/(\w+)",
              "the same close during the {0} wait with sdl12-compat (SDL 1.2 on SDL 2) in place of SDL 1.2.15",
              [time_per_iteration(0.5), counter("longest_ms", lambda v: f"longest {ms(v)}", at_most=500),
               counter("failed", lambda v: f"{significant(v)} failed", at_most=0)],
              "≤ 0.5 s, status 0"),
]


def describe(name: str) -> tuple:
    """The entry for a plain name and the groups its pattern caught."""
    for benchmark in BENCHMARKS:
        match = re.fullmatch(benchmark.pattern, name)
        if match:
            return benchmark, match.groups()
    return None, ()


def undescribed_figures(run: dict) -> list:
    figures = [time_per_iteration()]
    if "items_per_second" in run:
        figures.append(time_per_item("item"))
    counters = [key for key in run if key not in RUN_KEYS and key != "items_per_second" and key != "bytes_per_second"]
    figures += [counter_by_suffix(key) for key in counters if isinstance(run[key], (int, float))]
    return figures


def cell(text: str) -> str:
    return text.replace("|", "\\|").replace("\n", " ")


def row(run: dict, runs: Runs) -> str:
    name = plain_name(run["name"])
    benchmark, groups = describe(name)
    what = benchmark.what.format(*groups) if benchmark else ""
    target = benchmark.target if benchmark else ""
    if run.get("error_occurred"):
        return f"| {cell(name)} | {cell(what)} | skipped: {cell(run.get('error_message', ''))} | {cell(target)} | |"
    figures = benchmark.figures if benchmark and benchmark.figures else undescribed_figures(run)
    written, verdicts = [], []
    for figure in figures:
        value = figure.value(run, runs)
        if value is None:
            continue
        written.append(figure.write(value))
        if figure.at_most is not None or figure.at_least is not None:
            verdicts.append(figure.holds(value))
    if run.get("label"):
        written.append(run["label"])
    verdict = "" if not verdicts else ("yes" if all(verdicts) else "**no**")
    return f"| {cell(name)} | {cell(what)} | {cell('; '.join(written))} | {cell(target)} | {verdict} |"


def make_table(results: dict) -> str:
    # Aggregates (mean, median...) of repeated runs stand for their runs.
    runs = [run for run in results.get("benchmarks", []) if run.get("run_type") != "aggregate"]
    aggregates = [run for run in results.get("benchmarks", []) if run.get("aggregate_name") == "mean"]
    if aggregates:
        runs = [dict(run, name=run["run_name"]) for run in aggregates]
    known = Runs(runs)
    lines = ["| benchmark | measures | figures | target | met |", "|---|---|---|---|---|"]
    lines += [row(run, known) for run in runs]
    return "\n".join(lines) + "\n"


def machine_sentence(results: dict, command: str, load_after: str = "") -> str:
    context = results.get("context", {})
    model = cpu_model()
    cpus = context.get("num_cpus", "?")
    mhz = context.get("mhz_per_cpu")
    load = context.get("load_avg") or []
    load_text = ", ".join(f"{value:.2f}" for value in load) if load else "unknown"
    sentence = (f"Measured on {context.get('date', 'an unknown date')}, on {model or 'an unknown processor'}"
                f" ({cpus} cores{f', {mhz} MHz' if mhz else ''}), a machine shared with other work:"
                f" load average {load_text} (1, 5, 15 min) at the start")
    if load_after:
        sentence += f", {load_after} at the end"
    return sentence + f". Command: `{command}`. CPU time per iteration unless the figure is a latency or a wall-clock span."


def cpu_model() -> str:
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as info:
            for line in info:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return ""


def replace_between_markers(text: str, inner: str) -> str:
    """text with everything between the markers replaced by inner; a text
    without the markers gets a Benchmarks section holding them at its end."""
    begin, end = text.find(BEGIN_MARKER), text.find(END_MARKER)
    if begin < 0 or end < begin:
        section = ("\n## Benchmarks\n\n`scripts/bench-table.sh` builds the project, runs every benchmark and "
                   "rewrites the table below.\n\n")
        return text.rstrip("\n") + "\n" + section + BEGIN_MARKER + "\n" + inner + END_MARKER + "\n"
    return text[: begin + len(BEGIN_MARKER)] + "\n" + inner + text[end:]


def merged_results(paths: list) -> dict:
    """The first file's results with the runs of the others appended (a
    second run of some benchmarks, on another SDL 1.2 for instance)."""
    merged = {}
    for path in paths:
        with open(path, encoding="utf-8") as file:
            results = json.load(file)
        if not merged:
            merged = results
        else:
            merged.setdefault("benchmarks", []).extend(results.get("benchmarks", []))
    return merged


def main(argv: list) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("results", nargs="+",
                        help="the benchmarks' --benchmark_out JSON files; the runs of later ones follow the first's")
    parser.add_argument("--readme", help="README.md to write the table into")
    parser.add_argument("--command", default="scripts/bench-table.sh", help="the command named in the sentence")
    parser.add_argument("--load-after", default="", help="the load average when the run ended")
    args = parser.parse_args(argv)
    results = merged_results(args.results)
    inner = machine_sentence(results, args.command, args.load_after) + "\n\n" + make_table(results)
    print(inner, end="")
    if args.readme:
        with open(args.readme, encoding="utf-8") as file:
            text = file.read()
        with open(args.readme, "w", encoding="utf-8") as file:
            file.write(replace_between_markers(text, inner))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
