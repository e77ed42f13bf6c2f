#!/usr/bin/python3
"""The web build on a phone (touch controls, installing, offline) and with a
gamepad, in headless Chromium beside the desktop build, as web_test.py does.
Prints one line per check and a last line in ctest's words; output goes
under build/web-test.

    tests/web/phone_test.py [--desktop build/default/tommy-zappo] [--web build/web] [--test-runtime build/web/test]

The taps are read in the runtime's emulated memory: the phone's page is a
copy of the players' with the test runtime (web_test.test_page).
"""
import os
import subprocess
import sys

from web_test import (OUT, ROOT, Desktop, arguments, browser, canvas_pixels, check, differing_cells, end_started,
                      frames_match, clock_ticked, loop_passes, page_answer, serve, settled, started, summary, test_page,
                      wait_for,
                      moving_cells, walk, walk_matches, web_key)

PHONE = {'width': 844, 'height': 390, 'deviceScaleFactor': 3, 'mobile': True}
# Every tap against the key typed on the desktop, and the frame both then show.
TAPS = [('B', 'b', 'menu after B'), ('C', 'c', 'menu after C'), ('D', 'd', 'menu after D'),
        ('T', 't', 'calibration without a joystick'), ('5', '5', 'menu after calibration'), ('E', 'e', 'help'),
        ('Any key', 'space', 'menu after help')]
# Level 1 from its start at row 22, column 14: right, back, right, up.
WALK = [('Right', 'Right'), ('4', '4'), ('Right', 'Right'), ('Up', 'Up')]
# A standard-mapping gamepad the page's Gamepad API gives, moved by setPad.
VIRTUAL_PAD = '''
    const pad = { id: 'Virtual pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard', timestamp: 1,
                  axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
    Object.defineProperty(navigator, 'getGamepads', { value: () => [pad, null, null, null], writable: true });
    window.setPad = (x, y, pressed) => {
        pad.axes[0] = x; pad.axes[1] = y; pad.timestamp++;
        Object.assign(pad.buttons[0], { pressed, touched: pressed, value: pressed ? 1 : 0 });
    };
    // The d-pad: buttons 12 up, 13 down, 14 left, 15 right; those named held, the others not.
    window.setDpad = (held) => {
        pad.timestamp++;
        for (const i of [12, 13, 14, 15]) Object.assign(pad.buttons[i], { pressed: held.includes(i), value: held.includes(i) ? 1 : 0 });
    };
    window.connectPad = () => dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad: pad }));'''
CACHES = 'navigator.serviceWorker.ready.then(() => caches.keys()).then(arguments[0])'
# The first frame the runtime presents and the tap, timed from the page's navigation.
FIRST_FRAME = '''
    addEventListener('pointerdown', () => { window.tapped = window.tapped || performance.now(); }, true);
    const seen = () => {
        const c = document.getElementById('canvas'), copy = document.createElement('canvas');
        copy.getContext('2d').drawImage(c, 0, 0);
        if (copy.getContext('2d').getImageData(0, 0, 1, 1).data[3]) window.firstFrame = performance.now();
        else requestAnimationFrame(seen);
    };
    requestAnimationFrame(seen);'''


def tap(driver, name):
    x, y = driver.execute_script('''const b = [...document.querySelectorAll('#touch button, #cover')]
        .find((b) => (b.getAttribute('aria-label') || b.textContent) === arguments[0] || b.id === arguments[0]);
        const r = b.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2];''', name)
    for kind, points in (('touchStart', [{'x': x, 'y': y}]), ('touchEnd', [])):
        driver.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': points})


def check_layout(driver, orientation):
    """Every control has its name and room for a finger, none covers the
    picture, and the picture is a whole repetition of the emulated screen."""
    boxes = {b.accessible_name: b.rect for b in driver.find_elements('css selector', '#touch button')}
    canvas = driver.find_element('id', 'canvas').rect
    overlap = [name for name, r in boxes.items() if r['x'] < canvas['x'] + canvas['width'] and canvas['x'] <
               r['x'] + r['width'] and r['y'] < canvas['y'] + canvas['height'] and canvas['y'] < r['y'] + r['height']]
    small = [name for name, r in boxes.items() if min(r['width'], r['height']) < 44]
    names = {'Up', 'Down', 'Left', 'Right', 'Any key', 'Pause', 'Yes', 'No', *'ABCDEFSTQ123456789'}
    # The scale in device pixels, where the page keeps every game pixel whole.
    scale = driver.execute_script('''const r = document.getElementById('canvas').getBoundingClientRect();
        return [r.width * devicePixelRatio / 320, r.height * devicePixelRatio / 200];''')
    check(f'touch controls, {orientation}: all keys, 44 px or more, off the picture at a whole scale',
          names <= set(boxes) and not overlap and not small and scale[0] >= 1 and
          all(abs(s - round(s)) < 1e-3 for s in scale) and round(scale[0]) == round(scale[1]),
          f'missing {names - set(boxes)}, over the picture {overlap}, small {small}, scale {scale}')


def check_fullscreen(driver, orientation, scale):
    """S enters the browser's full screen with the touch controls kept and
    the picture at scale device pixels a game pixel; S again leaves it."""
    states = []
    for full in (True, False):
        tap(driver, 'S')
        states.append(wait_for(lambda: driver.execute_script('''const r = document.getElementById('canvas').getBoundingClientRect();
            return [!!document.fullscreenElement, Math.round(r.width * devicePixelRatio / 320 * 1000) / 1000];'''),
            lambda now: now == [full, scale], 5))
        if not states[1:]:
            check_layout(driver, f'{orientation} in full screen')
    check(f'full screen on a phone, {orientation}: S in and out, {scale} device pixels a game pixel',
          states == [[True, scale], [False, scale]], f'{states}')


def phone(web_root, test_runtime, desktop_path):
    """Taps against the desktop's keys, the layout both ways, installability,
    a rebuild with one changed file, then offline."""
    site = test_page(web_root, test_runtime, os.path.join(OUT, 'site'))  # a copy, which the rebuild changes
    driver, server = browser(), len(started)
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', PHONE)
    driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})
    driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': FIRST_FRAME})
    driver.get(serve(site))
    page_answer(driver, 'return tz.loaded || null')
    tap(driver, 'cover')
    desktop = Desktop(desktop_path)
    frames_match('menu, started by a tap', desktop, driver)
    menu = canvas_pixels(driver)
    check_layout(driver, 'landscape 844 x 390')
    for name, key, frame in TAPS:
        tap(driver, name)
        desktop.key(key)
        frames_match(f'{frame} (tap {name})', desktop, driver)
    check_fullscreen(driver, 'landscape', 4)
    tap(driver, 'A')
    desktop.key('a')
    level_start = clock_ticked(lambda: canvas_pixels(driver))
    walk(driver, desktop, WALK, press=lambda name: tap(driver, name))
    walk_matches('taps', driver, desktop, level_start, (20, 14))
    desktop.key('f')
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {**PHONE, 'width': 390, 'height': 844})
    page_answer(driver, "const r = document.getElementById('canvas').getBoundingClientRect();"
                        "return innerWidth === 390 && r.bottom <= innerHeight && r.right <= innerWidth || null")
    check_layout(driver, 'portrait 390 x 844')
    check_fullscreen(driver, 'portrait', 3)
    errors = driver.execute_cdp_cmd('Page.getInstallabilityErrors', {})['installabilityErrors']
    check('installable: no installability errors', errors == [], f'{errors}')
    old = driver.execute_async_script(CACHES)
    with open(os.path.join(site, 'index.html')) as f:
        page = f.read().replace('</title>', '</title><meta name="rebuilt">')
    with open(os.path.join(site, 'index.html'), 'w') as f:
        f.write(page)
    version = subprocess.run([f'{ROOT}/scripts/version.sh'], check=True, capture_output=True, text=True).stdout.strip()
    subprocess.run(['cmake', f'-DDIR={site}', f'-DWORKER={ROOT}/web/service_worker.js', f'-DVERSION={version}', '-P',
                    f'{ROOT}/cmake/web_cache.cmake'], check=True)
    driver.refresh()
    served = driver.execute_script("return !!document.querySelector('meta[name=rebuilt]')")
    new = page_answer(driver, 'return caches.keys().then((names) => names.length === 1 && names[0] !== '
                              f"'{old[0] if old else ''}' ? names : null)", limit_s=15)
    check('rebuilt: one reload serves the new file; the old cache is gone', served and len(old) == 1 and new,
          f'served {served}, caches {old} then {new}')
    # Offline: the server ends, and a reload plays from the new cache.
    os.killpg(started[server].pid, 15)
    started[server].wait()
    driver.refresh()
    page_answer(driver, "return document.getElementById('cover').hidden || !tz.loaded ? null : true")
    tap(driver, 'cover')
    times = page_answer(driver, 'return window.firstFrame && [firstFrame, tapped]')
    print(f'web: figure: offline reload, cover tapped at {times[1]:.0f} ms, first frame at {times[0]:.0f} ms'
          if times else 'web: figure: offline, no frame', flush=True)
    web = wait_for(lambda: settled(lambda: canvas_pixels(driver)), lambda frame: frame == menu, 30)
    check('offline: a reload with the server gone plays to the menu', web == menu)
    driver.quit()


def gamepad(web_root, desktop_path):
    driver = browser()
    driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': VIRTUAL_PAD})
    driver.get(serve(web_root))
    page_answer(driver, 'return tz.loaded || null')
    driver.execute_script('connectPad()')
    desktop = Desktop(desktop_path)
    check('gamepad: a button on the cover starts the game', driver.execute_script('return tz.started'))
    frames_match('menu, started by a gamepad button', desktop, driver)

    def pad(x, y, pressed=False, passes=18):  # held for passes of the main loop, which reads the pad in each
        driver.execute_script(f'setPad({x}, {y}, {str(pressed).lower()})')
        loop_passes(driver, passes)
    # 0.011 reads 128, what the desktop reads without a joystick.
    rest = 0.011
    pad(rest, rest)
    web_key(driver, 't')
    desktop.key('t')
    frames_match('gamepad: calibration', desktop, driver)
    for x, y in ((-1, -1), (1, 1), (rest, rest)):
        pad(x, y)
    # The d-pad held reads as the stick at its extremes: the same values shown.
    same = []
    for held, x, y in (([14, 12], -1, -1), ([15, 13], 1, 1), ([15], 1, rest), ([12], rest, -1)):
        driver.execute_script(f'setDpad({held})')
        by_dpad = settled(lambda: canvas_pixels(driver), quiet_s=0.6)
        driver.execute_script('setDpad([])')
        pad(x, y)
        same.append(by_dpad == settled(lambda: canvas_pixels(driver), quiet_s=0.6))
        pad(rest, rest)
    check('gamepad: the d-pad reads as the stick at its extremes (calibration)', all(same), f'{same}')
    pad(rest, rest, True)
    pad(rest, rest)
    desktop.key('5')
    web, here = settled(lambda: canvas_pixels(driver)), settled(desktop.pixels)
    check('gamepad: button 1 ends the calibration; the joystick stays on', differing_cells(web, here) ==
          {(14, 28), (14, 29)}, f'{sorted(differing_cells(web, here))}')
    pad(rest, rest, True, passes=0)
    desktop.key('a')
    pad(rest, rest)
    level_start = clock_ticked(lambda: canvas_pixels(driver))
    # Held against the walls: right one cell, up two; each desktop key once
    # the desktop has read the one before (its BIOS keyboard ring).
    def walk_both(keys):
        for key in keys:
            typed = desktop.ring()
            desktop.key(key)
            wait_for(desktop.ring, lambda ring: ring[2] != typed[2] and ring[0] == ring[2], 3)
        wait_for(lambda: (canvas_pixels(driver), desktop.pixels()), lambda frames: len(moving_cells(*frames)) <= 4)
    for x, y, keys in ((1, rest, ['Right'] * 2), (rest, -1, ['Up'] * 3)):
        pad(x, y, passes=0)
        walk_both(keys)
    pad(rest, rest, passes=60)
    walk_matches('the stick', driver, desktop, level_start, (19, 14))
    # The d-pad's down held against the wall: back down two cells.
    driver.execute_script('setDpad([13])')
    walk_both(['Down'] * 3)
    driver.execute_script('setDpad([])')
    walk_matches('the d-pad', driver, desktop, level_start, (21, 14))
    driver.quit()


def main():
    args = arguments()
    try:
        phone(args.web, args.test_runtime, args.desktop)
        gamepad(args.web, args.desktop)
    finally:
        end_started()
    return summary()


if __name__ == '__main__':
    sys.exit(main())
