#!/usr/bin/python3
"""Figures of the web build in headless Chromium on localhost (build/web,
built by scripts/web.sh build): start to the first frame, the frame callback
that presents a changed frame, key press to changed canvas pixels in the
menu, the processor while the menu waits, and the download size (gzip).

    /usr/bin/python3 bench/web_bench.py [--json results-web.json]

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
    // Every frame callback timed: the runtime's main-loop pass among them.
    const plainFrame = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => plainFrame((time) => {
        const begun = performance.now();
        callback(time);
        if (bench.timing) bench.frames.push(performance.now() - begun);
    });
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--json', help='write the figures as benchmark runs to this file')
    args = parser.parse_args()
    os.makedirs(web_test.PROFILES, exist_ok=True)
    root = os.path.join(web_test.ROOT, 'build', 'web')
    size = 0
    for name in ('tommy-zappo.wasm', 'tommy-zappo.js', 'tommy-zappo.worker.js'):
        with open(os.path.join(root, name), 'rb') as f:
            size += len(gzip.compress(f.read(), 9))
    print(f'download size (.wasm, .js, worker; gzip -9): {size} bytes')
    runs = [{'name': 'WebDownloadSize', 'gzip_bytes': size}]
    driver = None
    try:
        address = web_test.serve(root)
        driver = web_test.browser()
        driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': WATCH})
        driver.get(address)
        time.sleep(2)  # a player reads the cover while the runtime loads
        driver.find_element('id', 'cover').click()
        time.sleep(15)  # the splash and the title's jingle, then the menu waits
        first = driver.execute_script('return bench.first')
        print(f'start (click on the cover) to the first frame: {first:.0f} ms')
        runs.append({'name': 'WebStartToFirstFrame', 'first_frame_ms': first})
        before, at = web_test.chromium_cpu_s(), time.time()
        time.sleep(5)
        after, elapsed = web_test.chromium_cpu_s(), time.time() - at
        browser, workers = ((b - a) / elapsed * 100 for a, b in zip(before, after))
        print(f'menu waiting: runtime threads {workers:.1f} %, whole browser {browser:.1f} % of a core')
        runs.append({'name': 'WebCpuWhileMenuWaits', 'runtime_threads_percent': workers,
                     'browser_percent': browser})
        driver.execute_script('bench.frames = []; bench.timing = true;')
        for _ in range(12):
            web_test.web_key(driver, 'b')
            time.sleep(0.6)
        keys = driver.execute_script('return bench.keys')
        frames = sorted(driver.execute_script('return bench.frames'))
        # Each press changes the menu's picture once: the slowest callbacks
        # are the ones that presented a changed frame.
        changed = frames[-12:]
        print(f'frame callback presenting a changed frame (the slowest 12 of {len(frames)}): median '
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
    if args.json:
        for run in runs:
            run.update(run_type='iteration', iterations=1)
        with open(args.json, 'w', encoding='utf-8') as f:
            json.dump({'benchmarks': runs}, f, indent=1)


if __name__ == '__main__':
    main()
