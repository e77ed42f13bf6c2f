#!/usr/bin/python3
"""The web build in real headless Chromium (Debian's python3-selenium and
chromium-driver), held against the desktop build on a virtual X display of
its own; or, with --engine, in Firefox ESR or WebKitGTK's MiniBrowser
(engines.py), where the checks that the engine's driver can make run. Prints
one line per check and a last line in ctest's words; exits 0 only when all
passed. Output goes under build/web-test.

    tests/web/web_test.py [--engine chromium|firefox|webkit] [--desktop build/default/tommy-zappo] [--web build/web]
                          [--test-runtime build/web/test]

The players' page (--web) is checked as it is; what needs the runtime's
test exports (the emulated memory, a provoked fault) runs on a copy of it
with the web build's test runtime (--test-runtime) in place of its own.
"""
import argparse
import base64
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

import engines

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
OUT = os.path.join(ROOT, 'build', 'web-test')
PROFILES = os.path.join(OUT, 'profiles')  # a fresh browser profile for each start
started = []  # processes this run started, ended at its end
results = []


def start(command, **kwargs):
    started.append(subprocess.Popen(command, start_new_session=True, **kwargs))
    return started[-1]


def end_started():
    for process in reversed(started):
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGTERM)
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)


def serve(web_root, isolation=True):
    command = [sys.executable, os.path.join(ROOT, 'scripts', 'web-server.py'), '--port', '0', '--root', web_root]
    server = start(command + ([] if isolation else ['--no-isolation']), stdout=subprocess.PIPE, text=True)
    return server.stdout.readline().strip()


# Every sound the page hands to Web Audio, as the 16-bit samples it came
# from (each float is a sample divided by 32,768, exactly); each change of the
# page's visibility; each key's code and meaning as the page got them.
PAGE_WATCH = '''
    window.soundLog = [];
    window.recordSound = (buffer) => {
        const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
        const pcm = new Int16Array(left.length * 2);
        for (let i = 0; i < left.length; i++) { pcm[2 * i] = left[i] * 32768; pcm[2 * i + 1] = right[i] * 32768; }
        soundLog.push(Array.from(new Uint8Array(pcm.buffer)));
    };
    window.visibilityLog = [];
    document.addEventListener('visibilitychange', () => visibilityLog.push(document.visibilityState));
    window.keyLog = [];
    addEventListener('keydown', (e) => keyLog.push(e.code + '=' + e.key), true);
    // ?hz=N: a display of N frames a second, whatever the machine's.
    const hz = Number(new URLSearchParams(location.search).get('hz'));
    if (hz) window.requestAnimationFrame = (callback) => setTimeout(() => callback(performance.now()), 1000 / hz);'''
ENGINE = 'chromium'  # the engine of this run: chromium, firefox or webkit


def browser(scale=None):
    if ENGINE == 'firefox':
        return engines.Firefox(start, OUT, tempfile.mkdtemp(dir=PROFILES), PAGE_WATCH)
    if ENGINE == 'webkit':  # no script before the page's own: PAGE_WATCH is run once it loaded
        return engines.webkit(start, virtual_display())
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--user-data-dir=' + tempfile.mkdtemp(dir=PROFILES), '--window-size=1024,768'] + ([f'--force-device-scale-factor={scale}'] if scale else []):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': PAGE_WATCH})
    return driver


def virtual_display():
    """A virtual X display of this run's own: its name."""
    read_end, write_end = os.pipe()
    # -noreset, as the desktop window tests have it: SDL's probe connection
    # would otherwise reset the server and the real one be refused.
    start(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1024x768x24', '-noreset', '-nolisten', 'tcp'],
          pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        return ':' + announced.readline().strip()


def canvas_pixels(driver):
    """The canvas as (width, height, RGB bytes), read with getImageData."""
    width, height, rgb = driver.execute_script('''
        const c = document.getElementById('canvas');
        const copy = document.createElement('canvas');
        copy.width = c.width; copy.height = c.height;
        const g = copy.getContext('2d', { willReadFrequently: true });
        g.drawImage(c, 0, 0);
        const rgba = g.getImageData(0, 0, c.width, c.height).data;
        let text = '';
        for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
        return [c.width, c.height, btoa(text)];''')
    return width, height, base64.b64decode(rgb)


def web_key(driver, key):
    ActionChains(driver).send_keys(key).perform()


class Desktop:
    """The desktop build on a virtual X display, its sound written to a file."""

    def __init__(self, executable):
        self.display = virtual_display()
        self.pcm = os.path.join(OUT, 'desktop.pcm')
        self.env = dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER='x11', SDL_AUDIODRIVER='disk',
                        SDL_DISKAUDIOFILE=self.pcm, SDL_DISKAUDIODELAY='46')
        log = open(os.path.join(OUT, 'desktop.log'), 'w')
        self.executable = executable
        self.process = start([executable], env=self.env, stdout=log, stderr=subprocess.STDOUT)
        found = wait_for(lambda: self.run('xdotool', 'search', '--name', 'Untitled').split(), bool, 30)
        self.window = found[0] if found else None

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True).stdout.decode('latin-1')

    def key(self, name):
        self.run('xdotool', 'windowfocus', '--sync', self.window, 'key', name)

    def ring(self):
        """The BIOS keyboard ring's head, tail and 16 words (0x41A-0x43D),
        read from the process's emulated memory."""
        symbols = subprocess.run(['nm', self.executable], capture_output=True, text=True).stdout.split('\n')
        offset = next(int(line.split()[0], 16) for line in symbols if line.endswith(' emulated_memory'))
        with open(f'/proc/{self.process.pid}/maps') as maps:
            base = next(int(line.split('-')[0], 16) for line in maps if line.rstrip().endswith(os.path.realpath(self.executable)))
        with open(f'/proc/{self.process.pid}/mem', 'rb') as memory:
            memory.seek(base + offset + 0x41A)
            return list(memory.read(0x24))

    def pixels(self):
        size = self.run('xdotool', 'getwindowgeometry', self.window).split('Geometry:')[1].split()[0].split('x')
        rgb = subprocess.run(['import', '-display', self.display, '-window', self.window, '-depth', '8', 'rgb:-'],
                             env=self.env, capture_output=True).stdout
        return int(size[0]), int(size[1]), rgb


def label():
    """What begins each line this run prints: web: in Chromium, web-firefox:
    and web-webkit: in the others."""
    return 'web:' if ENGINE == 'chromium' else f'web-{ENGINE}:'


def check(name, ok, detail=''):
    results.append(bool(ok))
    print(f"{label()} {'ok  ' if ok else 'FAIL'} {name}{' (' + detail + ')' if detail and not ok else ''}", flush=True)


def arguments():
    """The command line (the two builds, the engine), and fresh browser profiles."""
    global ENGINE
    parser = argparse.ArgumentParser()
    parser.add_argument('--engine', choices=('chromium', 'firefox', 'webkit'), default=ENGINE)
    parser.add_argument('--desktop', default=os.path.join(ROOT, 'build', 'default', 'tommy-zappo'))
    parser.add_argument('--web', default=os.path.join(ROOT, 'build', 'web'))
    parser.add_argument('--test-runtime', default=os.path.join(ROOT, 'build', 'web', 'test'))
    args = parser.parse_args()
    ENGINE = args.engine
    shutil.rmtree(PROFILES, ignore_errors=True)
    os.makedirs(PROFILES)
    return args


RUNTIME_FILES = ('tommy-zappo.js', 'tommy-zappo.wasm', 'tommy-zappo.worker.js')
TEST_EXPORTS = ('web_provoke_fault', 'web_emulated_memory')


def test_page(web_root, test_runtime, folder):
    """A copy of the page in folder, its runtime the test's (which has the
    test exports): the page's own files are the players'."""
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(web_root, folder, ignore=shutil.ignore_patterns('CMake*', '*.a', '*.ninja*', '*.cmake', '*.json', 'test'))
    for name in RUNTIME_FILES:
        shutil.copy(os.path.join(test_runtime, name), folder)
    return folder


def check_no_test_exports(web_root, test_root):
    """The players' runtime names no test export; the test's names each (so
    that the search would find one)."""
    for root, page, wanted in ((web_root, "the players' page", False), (test_root, 'the test page', True)):
        for export in TEST_EXPORTS:
            found = []
            for name in RUNTIME_FILES:
                with open(os.path.join(root, name), 'rb') as f:
                    found += [name] if export.encode() in f.read() else []
            check(f"runtime of {page} {'has' if wanted else 'has no'} {export}",
                  bool(found) == wanted, f'in {found}')


def summary():
    """Prints the summary line of ctest, which the test command counts;
    returns the exit status."""
    failed = results.count(False)
    print(f'{label()} {100 * (len(results) - failed) // max(len(results), 1)}% tests passed, {failed} tests failed '
          f'out of {len(results)}')
    return 0 if failed == 0 and results else 1


def wait_for(read, done=lambda value: value is not None, limit_s=10):
    """The first value of read() that done accepts, or the last one read by
    limit_s: every wait on what the page, the desktop or a counter shows."""
    deadline = time.time() + limit_s
    while not done(value := read()) and time.time() < deadline:
        time.sleep(0.1)
    return value


def settled(read, quiet_s=1.5, limit_s=30):
    """The frame once it has not changed for quiet_s."""
    last = {'frame': None, 'since': time.time()}

    def quiet(frame):
        if frame != last['frame']:
            last.update(frame=frame, since=time.time())
        return time.time() - last['since'] >= quiet_s
    return wait_for(read, quiet, limit_s)


def frames_match(name, desktop, driver, limit_s=30):
    """Both builds come to the same settled frame within limit_s."""
    web, here = wait_for(lambda: (settled(lambda: canvas_pixels(driver)), settled(desktop.pixels)),
                         lambda both: both[0] == both[1], limit_s)
    if web != here:
        for side, frame in (('web', web), ('desktop', here)):
            with open(os.path.join(OUT, f'{name}-{side}.rgb'), 'wb') as f:
                f.write(frame[2] if frame else b'')
    check(f'frame: {name}', web == here, f'web {web and web[:2]}, desktop {here and here[:2]}')


def both_keys(driver, desktop, web_name, x_name=None):
    web_key(driver, web_name)
    desktop.key(x_name or web_name)


def differing_cells(first, second):
    """The (row, column) of every 8 x 8 cell where two frames differ."""
    (width, height, a), (_, _, b) = first, second
    if first[:2] != second[:2]:
        return {(-1, -1)}
    return {(i // 3 // width // 8, i // 3 % width // 8) for i in range(0, width * height * 3, 3) if a[i:i + 3] != b[i:i + 3]}


def page_answer(driver, script, limit_s=10):
    """The first non-null value the script returns within limit_s."""
    return wait_for(lambda: driver.execute_script(script), limit_s=limit_s)


def loop_passes(driver, count, limit_s=10):
    """Waits for count more passes of the page's main loop: (passes, seconds)."""
    read = lambda: (driver.execute_script('return Module._web_main_loop_passes()'), time.time())
    first = read()
    last = wait_for(read, lambda now: now[0] >= first[0] + count, limit_s)
    return last[0] - first[0], last[1] - first[1]


def chromium_cpu_s():
    """Processor seconds of each thread of headless Chromium, and its name
    (Web Workers, 'DedicatedWorker', run the runtime's program and
    timer-event threads)."""
    threads = {}
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open(f'/proc/{pid}/cmdline', 'rb') as f:
                if b'chromium' not in f.read():
                    continue
            for tid in os.listdir(f'/proc/{pid}/task'):
                with open(f'/proc/{pid}/task/{tid}/stat') as f:
                    stat = f.read()
                fields = stat.rsplit(')', 1)[1].split()
                threads[pid, tid] = ((int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK'),
                                     stat[stat.index('(') + 1:stat.rindex(')')])
        except OSError:
            continue
    return threads


def check_sound(driver, desktop):
    """The audible sounds the page gave Web Audio are the desktop mixer's
    whole stream: each sample for sample, in order, with nothing but silence
    before, between and after them."""
    audible = [bytes(sound) for sound in driver.execute_script('return soundLog') if any(sound)]
    with open(desktop.pcm, 'rb') as f:
        desktop_sound = f.read()
    found, at, extra = 0, 0, 0
    for sound in audible:
        place = desktop_sound.find(sound, at)
        if place < 0:
            break
        extra += any(desktop_sound[at:place])
        found, at = found + 1, place + len(sound)
    extra += any(desktop_sound[at:])
    check('sound: splash and jingle PCM as on the desktop, all of it, in order',
          audible and found == len(audible) and extra == 0,
          f'{found} of {len(audible)} sounds found in {len(desktop_sound)} desktop bytes; {extra} desktop sounds beside them')
    print(f'{label()} figure: {len(audible)} sounds, {sum(map(len, audible))} bytes of PCM compared', flush=True)


def loop_rate(driver, seconds):
    """The main loop's passes a second over the next seconds."""
    read = lambda: driver.execute_script('return Module._web_main_loop_passes()')
    first, at = read(), time.time()
    time.sleep(seconds)
    return (read() - first) / (time.time() - at)


def check_idle_cpu(driver):
    """The runtime's own waiting is checked: the main loop rests once the
    menu has waited a second (a look four times a second, where it passes
    62 times while awake), its threads cost little, and with no gamepad
    found the browser polls none. The whole browser's share is a figure
    (bench/web_bench.py compares it with a blank page)."""
    wait_for(lambda: loop_rate(driver, 1), lambda rate: rate <= 5)
    before, at = chromium_cpu_s(), time.time()
    rate = loop_rate(driver, 5)
    after, elapsed = chromium_cpu_s(), time.time() - at
    # The threads that ran meanwhile: a tab's process that ended does not count.
    spent = [(seconds - before.get(thread, (0,))[0], name) for thread, (seconds, name) in after.items()]
    total, workers, gamepads = (sum(s for s, name in spent if kind in name) / elapsed * 100
                                for kind in ('', 'DedicatedWorker', 'Gamepad'))
    check('menu waiting: the main loop rests (at most 5 passes a second)', rate <= 5, f'{rate:.1f}')
    check("menu waiting: the runtime's threads cost at most 3 % of a core", workers <= 3, f'{workers:.1f} %')
    check('menu waiting, no gamepad found: the browser polls no gamepads', gamepads <= 0.2, f'{gamepads:.1f} %')
    print(f'{label()} figure: menu waiting, runtime threads {workers:.1f} %, whole browser {total:.1f} % of a core',
          flush=True)


def play(driver, desktop):
    # The title and menu after the splash, with its tunes; the options after
    # B, C and D; help.
    frames_match('menu', desktop, driver)
    menu = canvas_pixels(driver)
    check_sound(driver, desktop)
    for key, name in (('b', 'lives'), ('c', 'enemy sound'), ('d', 'difficulty'), ('e', 'help')):
        both_keys(driver, desktop, key)
        frames_match(name if key == 'e' else f'menu after {key.upper()} ({name})', desktop, driver)
    both_keys(driver, desktop, Keys.SPACE, 'space')
    frames_match('menu after help', desktop, driver)
    check_keys(driver, desktop)
    # Alt held as another tab comes to the front and released there: back in
    # the game, D is D again (the page released Alt when it lost the focus).
    ActionChains(driver).key_down(Keys.ALT).perform()
    away(driver, lambda: ActionChains(driver).key_up(Keys.ALT).perform())
    both_keys(driver, desktop, 'd')
    frames_match('menu after Alt held across a tab switch, then D', desktop, driver)
    if ENGINE == 'chromium':  # the other engines' figures are bench/web_bench.py's
        check_idle_cpu(driver)
    # Level 1 and a short walk by typed keys: the clock and the chaser keep
    # moving, each build at its own moment, so those cells may differ; the
    # maze, the hero and the panel may not. The hero starts in row 22,
    # column 14 (counted from 1): right, back by the digit key, right again,
    # and up into row 21.
    both_keys(driver, desktop, 'a')
    level_start = clock_ticked(lambda: canvas_pixels(driver))
    walk(driver, desktop, ((Keys.RIGHT, 'Right'), ('4', '4'), (Keys.RIGHT, 'Right'), (Keys.UP, 'Up')))
    walk_matches('typed keys', driver, desktop, level_start, (20, 14))
    # Right held to the wall, Shift touched on the way: Shift neither repeats
    # nor ends the repeat. Then the audio clock suspended and held so (a
    # call, another app): the level goes on, silent, and walks as on the
    # desktop.
    for web_chain, x_keys in ((ActionChains(driver).key_down(Keys.RIGHT), ('keydown', 'Right')),
                              (ActionChains(driver).key_down(Keys.SHIFT).key_up(Keys.SHIFT), ('key', 'shift')),
                              (ActionChains(driver).key_up(Keys.RIGHT), ('keyup', 'Right'))):
        web_chain.perform()
        desktop.run('xdotool', 'windowfocus', '--sync', desktop.window, *x_keys)
        loop_passes(driver, 90)  # held for 90 passes of the loop, which makes the key's repeats
    web, here = canvas_pixels(driver), desktop.pixels()
    check('Right held with Shift touched walks on as on the desktop', len(moving_cells(web, here)) <= 4,
          f'cells {moving_cells(web, here)}')
    driver.execute_script('const c = Module.webAudio.context; c.suspend(); c.resume = () => Promise.resolve();')
    walk(driver, desktop, ((Keys.DOWN, 'Down'), ('6', '6')))
    before, here = canvas_pixels(driver), desktop.pixels()
    driver.execute_script('visibilityLog.length = 0')
    away(driver, lambda: clock_ticked(desktop.pixels, 2))  # the tab hidden a while: the game waits and goes on
    web = wait_for(lambda: canvas_pixels(driver), lambda frame: differing_cells(before, frame))
    audio, seen = driver.execute_script('return [Module.webAudio.context.state, visibilityLog]')
    check('audio clock suspended: level 1 walks as on the desktop; and goes on after the tab was hidden',
          audio == 'suspended' and len(moving_cells(before, here)) <= 4 and differing_cells(before, web)
          and seen == ['hidden', 'visible'], f'audio {audio}, cells {moving_cells(before, here)}, visibility {seen}')
    driver.execute_script('delete Module.webAudio.context.resume; Module.webAudio.context.resume()')
    # S and Alt+Enter switch the browser's full screen: the canvas takes the
    # screen's size (the picture doubled and centred in it) and back. The
    # browser's own way out (Esc, its control) returns the runtime to its
    # window for good, and one S enters full screen again, as after S on the
    # desktop (Chromium's driver alone leaves it by the browser's own way);
    # F then ends the game, from full screen there.
    if ENGINE == 'chromium':
        full_screen(driver)
    web_key(driver, 'f')
    status = page_answer(driver, "return document.getElementById('ended').hidden ? null : "
                                 "document.getElementById('status').textContent")
    check(f"F{' in full screen' if ENGINE == 'chromium' else ''} ends the game with status 0 on the page, "
          "out of full screen", status == '0' and not driver.execute_script('return document.fullscreenElement'),
          f'status {status}')
    focused = driver.execute_script('return document.activeElement.id')
    web_key(driver, Keys.ENTER)
    again = page_answer(driver, "return document.getElementById('cover').hidden ? null : true")
    check('"Play again" has the focus and Enter starts again', focused == 'again' and again, f'focus on {focused!r}')
    return menu


def full_screen(driver):
    screen = driver.execute_script('return [screen.width, screen.height]')
    full, windowed = screen + [True], [320, 200, False]
    states, alt_enter = [], lambda: ActionChains(driver).key_down(Keys.ALT).send_keys(Keys.RETURN).key_up(Keys.ALT).perform()
    browser_out = lambda: driver.execute_script('document.exitFullscreen()')  # noqa: E731
    expected = (full, windowed, full, windowed, full, windowed, full)
    for step, state in zip((lambda: web_key(driver, 's'), alt_enter, alt_enter, browser_out, alt_enter, browser_out,
                            lambda: web_key(driver, 's')), expected):
        step()
        states.append(wait_for(lambda: driver.execute_script('return [canvas.width, canvas.height, !!document.fullscreenElement]'),
                               lambda now: now == state, 5))
    check("S, Alt+Enter and the browser's own way out: full screen, window, full screen, window, full screen, "
          "window, and one S full screen", states == list(expected), f'{states}')


def walk(driver, desktop, keys, press=None):
    """Types each key on both builds (on the page by press, else the
    keyboard) once both have read the one before, as their BIOS keyboard
    rings show (write end moved, read end caught up); then waits for both
    frames alike but for the clock and the chaser."""
    ends = lambda: [(ring[0], ring[2]) for ring in (driver.execute_script(WEB_RING), desktop.ring())]
    for web_name, x_name in keys:
        typed = ends()
        (press or (lambda name: web_key(driver, name)))(web_name)
        desktop.key(x_name)
        wait_for(ends, lambda now: all(r == w != t for (r, w), (_, t) in zip(now, typed)), 3)
    wait_for(lambda: (canvas_pixels(driver), desktop.pixels()), lambda frames: len(moving_cells(*frames)) <= 4)


WEB_RING = 'return Array.from(HEAPU8.subarray(Module._web_emulated_memory() + 0x41A).slice(0, 0x24))'


def clock_ticked(read, ticks=3):
    """The frame read once the level's clock (rows 0 to 3 from column 24)
    has changed ticks times: the level is drawn and playing."""
    seen = [read()]

    def ticked(frame):
        if any(row <= 3 and column >= 24 for row, column in differing_cells(seen[-1], frame)):
            seen.append(frame)
        return len(seen) > ticks
    return wait_for(read, ticked)


def walk_matches(name, driver, desktop, level_start, hero_at):
    """The hero walked as on the desktop, from row 22, column 14 to hero_at
    (counted from 0): all but the clock and the chaser are the same pixels."""
    web, here = canvas_pixels(driver), desktop.pixels()
    walked = {(21, 13), hero_at} <= differing_cells(level_start, web)
    check(f'frame: level 1 after a walk by {name} (all but the clock and the chaser)',
          walked and web[:2] == here[:2] == (320, 200) and len(moving_cells(web, here)) <= 4,
          f'hero moved: {walked}; cells {moving_cells(web, here)}')


def moving_cells(web, here):
    """The cells where the frames differ, but for the clock's."""
    return sorted(cell for cell in differing_cells(web, here) if cell[0] > 3 or cell[1] < 24)


def away(driver, meanwhile):
    """Another tab in front (the game's hidden, without the focus) while
    meanwhile runs there; then the game's tab again."""
    if ENGINE == 'webkit':  # its driver's new tab is a window beside the game's, which stays in sight
        engines.minimised(driver, meanwhile)
    else:
        game = driver.current_window_handle
        driver.switch_to.new_window('tab')
        meanwhile()
        driver.close()
        driver.switch_to.window(game)
    page_answer(driver, "return document.visibilityState === 'visible' && document.hasFocus() || null")


def shows(driver, frame, limit_s=30):
    """True once the canvas shows the frame, within limit_s."""
    return wait_for(lambda: canvas_pixels(driver), lambda shown: shown == frame, limit_s) == frame


def begin(driver, url):
    """A fresh page of the game, started by a click once the runtime loaded."""
    driver.get(url)
    page_answer(driver, 'return tz.loaded || null')
    driver.find_element('id', 'cover').click()


# What the runtime reads (the words of the BIOS keyboard ring) for keys typed
# on each build under one layout: the page's by the DevTools protocol, which
# takes a key's position (code) and meaning (key) apart as a layout gives
# them (the other engines' drivers where they can: send_row); the desktop's
# by xdotool under setxkbmap. Keys are pressed in order
# and released in reverse.
KEY_ROWS = (
    ('us', 'Numpad0=Insert', 'KP_Insert'),
    ('us', 'NumpadDecimal=Delete', 'KP_Delete'),
    ('us', 'NumpadDecimal=.', 'Num_Lock KP_Delete Num_Lock'),
    ('us', 'NumpadEnter=Enter', 'KP_Enter'),
    ('us', 'ControlLeft=Control ArrowRight=ArrowRight', 'ctrl+Right'),
    ('us', 'ControlLeft=Control KeyH=h', 'ctrl+h'),
    ('us', 'AltLeft=Alt KeyX=x', 'alt+x'),
    ('us', 'AltLeft=Alt Numpad4=ArrowLeft Numpad8=ArrowUp', 'alt+KP_Left+KP_Up'),
    ('us', 'Escape=Escape', 'Escape'),
    ('de', 'KeyZ=y', 'y'),
    ('de', 'AltRight=AltGraph KeyQ=@', 'ISO_Level3_Shift+q'),
    ('fr', 'KeyW=z', 'z'),
    ('fr', 'ControlLeft=Control KeyW=z', 'ctrl+z'),
    ('fr', 'AltRight=AltGraph Digit0=@', 'ISO_Level3_Shift+agrave'),
)


# The keys a WebDriver key action can name (the W3C table of key values):
# the browser gives each the code it has there, whatever the layout, so a row
# whose code and key no US keyboard pairs cannot be sent by Firefox's or
# WebKit's driver.
W3C_KEYS = {'Numpad0=Insert': '\ue05c', 'NumpadDecimal=Delete': '\ue05d', 'NumpadDecimal=.': '\ue028',
            'NumpadEnter=Enter': '\ue007', 'ControlLeft=Control': '\ue009', 'ArrowRight=ArrowRight': '\ue014',
            'KeyH=h': 'h', 'AltLeft=Alt': '\ue00a', 'KeyX=x': 'x', 'Numpad4=ArrowLeft': '\ue058',
            'Numpad8=ArrowUp': '\ue059', 'Escape=Escape': '\ue00c'}


def send_row(driver, web_keys):
    """Types a row's keys on the page, pressed in order and released in
    reverse: by the DevTools protocol in Chromium, by key actions elsewhere.
    None when sent, else why the row cannot be."""
    tokens = web_keys.split()
    if ENGINE == 'chromium':
        bits = 0
        for kind, code, key in [('rawKeyDown', *t.split('=')) for t in tokens] + [('keyUp', *t.split('='))
                                                                                  for t in tokens[::-1]]:
            bits = (bits | {'Alt': 1, 'Control': 2}.get(key, 0)) & ~({'Alt': 1, 'Control': 2}.get(key, 0) * (kind == 'keyUp'))
            driver.execute_cdp_cmd('Input.dispatchKeyEvent', {'type': kind, 'code': code, 'key': key, 'modifiers': bits})
        return None
    if not all(token in W3C_KEYS for token in tokens):
        return "its driver names a key alone and takes the code a US keyboard gives it"
    driver.execute_script('keyLog.length = 0')
    chain = ActionChains(driver)
    for token in tokens:
        chain.key_down(W3C_KEYS[token])
    for token in tokens[::-1]:
        chain.key_up(W3C_KEYS[token])
    chain.perform()
    got = driver.execute_script('return keyLog')
    return None if got == tokens else f'its driver sent {" ".join(got)}'


def check_keys(driver, desktop):
    """Each row, typed in the menu (which takes none of these keys), reaches
    the ring as the same words on both builds."""
    def words(ring, tail):  # ring: the bytes from 0x41A (head, tail, 16 slots from 0x1E)
        return [bytes(ring[4 + (tail - 0x1E + 2 * i) % 32:][:2]).hex() for i in range((ring[2] - tail) // 2 % 16)]
    for layout, web_keys, x_keys in KEY_ROWS:
        desktop.run('setxkbmap', '-display', desktop.display, layout)
        tails = driver.execute_script(WEB_RING)[2], desktop.ring()[2]
        unsent = send_row(driver, web_keys)
        if unsent:
            print(f'{label()} skipped: keys on {layout}: {web_keys}: {unsent}', flush=True)
            continue
        desktop.run('xdotool', 'windowfocus', '--sync', desktop.window, 'key', '--delay', '40', *x_keys.split())
        web, here = wait_for(lambda: (words(driver.execute_script(WEB_RING), tails[0]), words(desktop.ring(), tails[1])),
                             lambda both: both[0] and both[0] == both[1], 3)
        check(f'keys on {layout}: {web_keys}', web and web == here, f'web {web}, desktop {here}')
    desktop.run('setxkbmap', '-display', desktop.display, 'us')


def check_faults(driver, url):
    """A fault shows its panel with its own text, "Play again" focused; a
    division by zero the desktop's critical box, which Enter answers, and the
    end with status 0. A bad allocation shows the address the new[] threw."""
    panel = ("return document.getElementById('{0}').hidden ? null : "
             "[document.getElementById('{1}').textContent, document.activeElement.textContent]")
    for kind, name, shown, expected in ((0, 'abort, main thread', 'fault', 'the runtime aborted'),
                                        (2, 'trap, timer-event thread', 'fault', 'Uncaught RuntimeError: unreachable'),
                                        (3, 'memory, main thread', 'fault', r'Uncaught \d+'),
                                        (1, 'division by zero, program thread', 'ended', '0')):
        begin(driver, url)
        loop_passes(driver, 60)  # the runtime's threads run
        before = canvas_pixels(driver)
        driver.execute_script(f'setTimeout(() => Module._web_provoke_fault({kind}))')
        if kind == 1:  # Enter once the critical box covers the middle of the screen (rows 7-17, columns 10-29)
            wait_for(lambda: canvas_pixels(driver), lambda frame: sum(7 <= row <= 17 and 10 <= column <= 29
                                                                      for row, column in differing_cells(before, frame)) >= 200)
            web_key(driver, Keys.ENTER)
        text = page_answer(driver, panel.format(shown, 'fault-text' if shown == 'fault' else 'status'))
        check(f'fault: {name}', text and re.fullmatch(expected, text[0]) and text[1] == 'Play again', f'{text}')


def check_refresh_rates(driver, url):
    """While awake (here a key held, whose repeat it times) the main loop
    keeps its 16 ms pace (the desktop's 55 to 65 passes a second) on
    displays of 30 to 144 Hz."""
    for hz in (30, 60, 120, 144):
        begin(driver, url + f'?hz={hz}')
        ActionChains(driver).key_down('z').perform()
        loop_passes(driver, 120)
        count, seconds = loop_passes(driver, 180)
        ActionChains(driver).key_up('z').perform()
        rate = count / seconds
        check(f'{hz} Hz display: the main loop passes 55 to 65 times a second', 55 <= rate <= 65, f'{rate:.1f}')


def check_device_pixels(url, menu):
    """At each device pixel ratio the screenshot shows the menu with every
    game pixel a whole square of device pixels."""
    for scale in (1, 1.25, 1.5, 2, 3):
        driver = browser(scale)
        try:
            begin(driver, url)
            shows(driver, menu)
            left, top, width, shot_width = driver.execute_script(
                'const r = canvas.getBoundingClientRect(), d = devicePixelRatio;'
                'return [r.left * d, r.top * d, r.width * d, Math.round(innerWidth * d)];')
            shot = subprocess.run(['convert', 'png:-', '-depth', '8', 'rgb:-'], input=driver.get_screenshot_as_png(),
                                  capture_output=True).stdout
            k, x, y = round(width / 320), round(left), round(top)
            squares = b''.join(b''.join(menu[2][i:i + 3] * k for i in range(row * 960, row * 960 + 960, 3)) * k
                               for row in range(200))
            shown = b''.join(shot[((y + row) * shot_width + x) * 3:][:960 * k] for row in range(200 * k))
            check(f'device pixel ratio {scale}: each game pixel {k} x {k} device pixels', shown == squares,
                  f'canvas at {left:.2f}, {top:.2f}, {width:.2f} wide')
        finally:
            driver.quit()


def main():
    args = arguments()
    driver = None
    try:
        testing = test_page(args.web, args.test_runtime, os.path.join(OUT, 'test-page'))
        if ENGINE == 'chromium':  # the files are the same whichever engine loads them
            check_no_test_exports(args.web, testing)
        driver = browser()
        driver.get(serve(testing))
        if ENGINE == 'webkit':
            driver.execute_script(PAGE_WATCH)
        page_answer(driver, 'return tz.loaded || null')
        driver.execute_script('Module.webAudio.onStart = recordSound;')
        driver.find_element('id', 'cover').click()
        desktop = Desktop(args.desktop)
        check('desktop window found', desktop.window is not None, f'exit {desktop.process.poll()}')
        menu = play(driver, desktop) if desktop.window is not None else None
        if ENGINE != 'chromium':  # faults, displays, pixel ratios and the service worker: Chromium's part
            return summary()
        check_faults(driver, serve(testing))
        url = serve(args.web)
        check_refresh_rates(driver, url)
        driver.quit()
        driver = None
        check_device_pixels(url, menu)
        # A host without the two headers on localhost: the page's service
        # worker adds them and the game plays, started by a key that is no
        # user gesture (so its audio clock stays suspended), to the menu all
        # the same.
        driver = browser()
        driver.get(serve(args.web, isolation=False))
        state = page_answer(driver, '''
            if (!document.getElementById('cover').hidden) return crossOriginIsolated ? 'plays' : 'cover';
            return document.getElementById('missing').hidden ? null : 'message';''')
        page_answer(driver, 'return tz.loaded || null')
        # Headless Chromium lets any page play; this context stays suspended
        # as one made without a gesture does in a player's browser.
        driver.execute_script('window.AudioContext = class extends AudioContext { constructor() { super(); super.suspend(); } '
                              "resume() { return Promise.resolve(); } }; dispatchEvent(new KeyboardEvent('keydown'))")
        reached = shows(driver, menu)
        audio = driver.execute_script('return Module.webAudio.context && Module.webAudio.context.state')
        check('without the headers: plays through the service worker; started by no gesture, silent, to the menu',
              state == 'plays' and reached and audio == 'suspended', f'{state}, menu reached {reached}, audio {audio}')
    finally:
        if driver is not None:
            driver.quit()
        end_started()
    return summary()


if __name__ == '__main__':
    sys.exit(main())
