#!/usr/bin/python3
"""Figures of the web build in headless Chromium on localhost (build/web,
built by scripts/web.sh build): start to the first frame, the main loop's
timer callback that presents a changed frame, key press to changed canvas pixels in the
menu, the processor at rest (every process of the browser, while the menu
waits, while the hero stands in level 1, and on a blank page beside them),
and the download size (gzip).

    /usr/bin/python3 bench/web_bench.py [--json results-web.json] [--web build/web] [--engine firefox]

--engine firefox or webkit takes only the processor figures at rest, in that
engine (Firefox ESR headless; WebKitGTK's MiniBrowser on a virtual display,
whose X server is no part of the browser and is not counted).

--json writes the figures as benchmark runs (counters), which
scripts/bench-table.sh adds to the README's table.
"""
import argparse
import gzip
import json
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'tests', 'web'))
import web_test  # noqa: E402  (the browser and server helpers)

WATCH = '''
    window.bench = { frames: [], keys: [] };
    // Every timer callback timed: the runtime's main-loop passes among them.
    const plainFrame = window.requestAnimationFrame.bind(window);
    const plainTimeout = window.setTimeout.bind(window);
    window.setTimeout = (callback, delay, ...rest) => plainTimeout(() => {
        const begun = performance.now();
        callback(...rest);
        if (bench.timing) bench.frames.push(performance.now() - begun);
    }, delay);
    const changed = (() => {
        let last = null;
        return () => {
            const c = document.getElementById('canvas');
            const g = c.getContext('2d');
            if (!g) return false;
            const p = g.getImageData(0, 0, c.width, c.height).data;
            let h = 0;
            for (let i = 0; i < p.length; i += 4) h = (h * 31 + p[i] + p[i + 1] * 7 + p[i + 2] * 13) | 0;
            const now = h + ':' + c.width;
            const was = last;
            last = now;
            return was !== null && was !== now;
        };
    })();
    addEventListener('click', () => { bench.clicked = performance.now(); }, true);
    addEventListener('keydown', (e) => { bench.pressed = e.timeStamp; }, true);
    const look = () => {
        if (changed()) {
            const now = performance.now();
            if (bench.first === undefined && bench.clicked !== undefined) bench.first = now - bench.clicked;
            if (bench.pressed !== undefined) { bench.keys.push(now - bench.pressed); bench.pressed = undefined; }
        }
        plainFrame(look);
    };
    plainFrame(look);'''


REST_S = 10  # each processor figure is taken over this long
# How each engine names a Web Worker's thread (Chromium, Firefox, WebKit).
WORKER_THREADS = ('DedicatedWorker', 'DOM Worker', 'WebCore: Worker')


def tree_cpu_s(root):
    """Processor seconds so far of every process below root (the browser's
    driver): the browser and all its children, read from /proc; and of the
    Web Workers among their threads, which run the runtime's program and
    timer-event threads."""
    children, ticks = {}, {}
    for pid in map(int, filter(str.isdigit, os.listdir('/proc'))):
        try:
            with open(f'/proc/{pid}/stat') as f:
                fields = f.read().rsplit(')', 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append(pid)
        ticks[pid] = int(fields[11]) + int(fields[12])
    total = workers = 0
    below = list(children.get(root, []))
    while below:
        pid = below.pop()
        below += children.get(pid, [])
        total += ticks[pid]
        for tid in os.listdir(f'/proc/{pid}/task') if os.path.isdir(f'/proc/{pid}/task') else []:
            try:
                with open(f'/proc/{pid}/task/{tid}/stat') as f:
                    stat = f.read()
            except OSError:
                continue
            if stat[stat.index('(') + 1:].startswith(WORKER_THREADS):
                fields = stat.rsplit(')', 1)[1].split()
                workers += int(fields[11]) + int(fields[12])
    return total / os.sysconf('SC_CLK_TCK'), workers / os.sysconf('SC_CLK_TCK')


def rest_cpu(driver, what, name, runs):
    """The browser's processor share over REST_S, as a percentage of a core:
    all its processes, and the runtime's threads among them."""
    # Below the driver: Chromium's and WebKit's driver starts the browser,
    # and Firefox's bridge does.
    root = (driver.service.process if hasattr(driver, 'service') else driver.process).pid
    before, at = tree_cpu_s(root), time.time()
    time.sleep(REST_S)
    after, elapsed = tree_cpu_s(root), time.time() - at
    browser, workers = ((b - a) / elapsed * 100 for a, b in zip(before, after))
    print(f'{web_test.ENGINE}: {what}: whole browser {browser:.1f} % of a core (runtime threads {workers:.1f} %)', flush=True)
    name += {'chromium': ''}.get(web_test.ENGINE, web_test.ENGINE.capitalize())
    runs.append({'name': name, 'browser_percent': browser, 'runtime_threads_percent': workers})


def rest_figures(address, runs):
    """A blank page, then the game's menu waiting and its hero standing in
    level 1, each in a fresh browser with nothing of the bench's own on the
    page."""
    driver = web_test.browser()
    try:
        driver.get('about:blank')
        # As old as the browser is when the menu's figure is taken: a fresh
        # Firefox is busy with its own start for half a minute.
        time.sleep(32)
        rest_cpu(driver, 'blank page', 'WebCpuBlankPage', runs)
    finally:
        driver.quit()
    driver = web_test.browser()
    try:
        driver.get(address)
        time.sleep(2)
        driver.find_element('id', 'cover').click()
        # The splash and the title's jingle, then the menu waits; the
        # browser's compiling of the WebAssembly's hot functions in the
        # background is over by 30 s.
        time.sleep(30)
        rest_cpu(driver, 'menu waiting', 'WebCpuWhileMenuWaits', runs)
        web_test.web_key(driver, 'a')
        time.sleep(3)
        rest_cpu(driver, 'level 1 standing', 'WebCpuWhileHeroStands', runs)
    finally:
        driver.quit()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--json', help='write the figures as benchmark runs to this file')
    parser.add_argument('--web', default=os.path.join(web_test.ROOT, 'build', 'web'), help='the web build to measure')
    parser.add_argument('--engine', choices=('chromium', 'firefox', 'webkit'), default='chromium',
                        help="the browser engine; the others' figures are those at rest")
    args = parser.parse_args()
    web_test.ENGINE = args.engine
    os.makedirs(web_test.PROFILES, exist_ok=True)
    root = args.web
    size = 0
    for name in ('tommy-zappo.wasm', 'tommy-zappo.js', 'tommy-zappo.worker.js'):
        with open(os.path.join(root, name), 'rb') as f:
            size += len(gzip.compress(f.read(), 9))
    print(f'download size (.wasm, .js, worker; gzip -9): {size} bytes')
    runs = [{'name': 'WebDownloadSize', 'gzip_bytes': size}]
    driver = None
    try:
        address = web_test.serve(root)
        rest_figures(address, runs)
        if args.engine != 'chromium':  # the timings below watch the page from before its own scripts
            return write(args.json, runs)
        driver = web_test.browser()
        driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': WATCH})
        driver.get(address)
        time.sleep(2)  # a player reads the cover while the runtime loads
        driver.find_element('id', 'cover').click()
        time.sleep(15)  # the splash and the title's jingle, then the menu waits
        first = driver.execute_script('return bench.first')
        print(f'start (click on the cover) to the first frame: {first:.0f} ms')
        runs.append({'name': 'WebStartToFirstFrame', 'first_frame_ms': first})
        driver.execute_script('bench.frames = []; bench.timing = true;')
        for _ in range(12):
            web_test.web_key(driver, 'b')
            time.sleep(0.6)
        keys = driver.execute_script('return bench.keys')
        frames = sorted(driver.execute_script('return bench.frames')) or [0]  # none: a build paced by the display
        # Each press changes the menu's picture once: the slowest callbacks
        # are the ones that presented a changed frame.
        changed = frames[-12:]
        print(f'main-loop callback presenting a changed frame (the slowest 12 of {len(frames)}): median '
              f'{statistics.median(changed):.2f} ms, max {max(changed):.2f} ms; '
              f'any callback: median {statistics.median(frames):.2f} ms')
        runs.append({'name': 'WebPresentChangedFrame', 'median_ms': statistics.median(changed),
                     'max_ms': max(changed)})
        print(f'key press to changed canvas pixels (menu, B): median {statistics.median(keys):.0f} ms '
              f'over {len(keys)} presses, max {max(keys):.0f} ms')
        runs.append({'name': 'WebKeyToChangedPixels', 'median_ms': statistics.median(keys), 'max_ms': max(keys)})
    finally:
        if driver is not None:
            driver.quit()
        web_test.end_started()
    write(args.json, runs)


def write(path, runs):
    """The figures as benchmark runs (counters) in path, where one is given."""
    if path:
        for run in runs:
            run.update(run_type='iteration', iterations=1)
        with open(path, 'w', encoding='utf-8') as f:
            json.dump({'benchmarks': runs}, f, indent=1)


if __name__ == '__main__':
    main()
