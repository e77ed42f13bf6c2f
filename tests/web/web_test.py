#!/usr/bin/python3
"""The web build in real headless Chromium (Debian's python3-selenium and
chromium-driver), held against the desktop build on a virtual X display of
its own. Prints one line per check and a last line in ctest's words; exits 0
only when all passed. Output goes under build/web-test.

    tests/web/web_test.py [--desktop build/default/tommy-zappo] [--web build/web]
"""
import argparse
import base64
import os
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


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--user-data-dir=' + tempfile.mkdtemp(dir=PROFILES), '--window-size=1024,768']:
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    # Every sound the page hands to Web Audio, as the 16-bit samples it came
    # from (each float is a sample divided by 32,768, exactly).
    driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': '''
        window.soundLog = [];
        window.recordSound = (buffer) => {
            const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
            const pcm = new Int16Array(left.length * 2);
            for (let i = 0; i < left.length; i++) { pcm[2 * i] = left[i] * 32768; pcm[2 * i + 1] = right[i] * 32768; }
            soundLog.push(Array.from(new Uint8Array(pcm.buffer)));
        };'''})
    return driver


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
        read_end, write_end = os.pipe()
        # -noreset, as the desktop window tests have it: SDL's probe connection
        # would otherwise reset the server and the real one be refused.
        start(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1024x768x24', '-noreset', '-nolisten', 'tcp'],
              pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            self.display = ':' + announced.readline().strip()
        self.pcm = os.path.join(OUT, 'desktop.pcm')
        self.env = dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER='x11', SDL_AUDIODRIVER='disk',
                        SDL_DISKAUDIOFILE=self.pcm, SDL_DISKAUDIODELAY='46')
        log = open(os.path.join(OUT, 'desktop.log'), 'w')
        self.process = start([executable], env=self.env, stdout=log, stderr=subprocess.STDOUT)
        self.window = None
        for _ in range(300):
            found = self.run('xdotool', 'search', '--name', 'Untitled').split()
            if found:
                self.window = found[0]
                break
            time.sleep(0.1)

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True).stdout.decode('latin-1')

    def key(self, name):
        self.run('xdotool', 'windowfocus', '--sync', self.window, 'key', name)

    def pixels(self):
        size = self.run('xdotool', 'getwindowgeometry', self.window).split('Geometry:')[1].split()[0].split('x')
        rgb = subprocess.run(['import', '-display', self.display, '-window', self.window, '-depth', '8', 'rgb:-'],
                             env=self.env, capture_output=True).stdout
        return int(size[0]), int(size[1]), rgb


def check(name, ok, detail=''):
    results.append(bool(ok))
    print(f"web: {'ok  ' if ok else 'FAIL'} {name}{' (' + detail + ')' if detail and not ok else ''}", flush=True)


def arguments():
    """The command line (the two builds), and fresh browser profiles."""
    parser = argparse.ArgumentParser()
    parser.add_argument('--desktop', default=os.path.join(ROOT, 'build', 'default', 'tommy-zappo'))
    parser.add_argument('--web', default=os.path.join(ROOT, 'build', 'web'))
    args = parser.parse_args()
    shutil.rmtree(PROFILES, ignore_errors=True)
    os.makedirs(PROFILES)
    return args


def summary():
    """Prints the summary line of ctest, which the test command counts;
    returns the exit status."""
    failed = results.count(False)
    print(f'web: {100 * (len(results) - failed) // max(len(results), 1)}% tests passed, {failed} tests failed '
          f'out of {len(results)}')
    return 0 if failed == 0 and results else 1


def settled(read, quiet_s=1.5, limit_s=30):
    """The frame once it has not changed for quiet_s."""
    last, since, deadline = None, time.time(), time.time() + limit_s
    while time.time() < deadline:
        frame = read()
        if frame != last:
            last, since = frame, time.time()
        elif time.time() - since >= quiet_s:
            break
        time.sleep(0.25)
    return last


def frames_match(name, desktop, driver, limit_s=30):
    """Both builds come to the same settled frame within limit_s."""
    deadline = time.time() + limit_s
    while True:
        web, here = settled(lambda: canvas_pixels(driver)), settled(desktop.pixels)
        if web == here or time.time() > deadline:
            break
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
    deadline, answer = time.time() + limit_s, None
    while answer is None and time.time() < deadline:
        answer = driver.execute_script(script)
        time.sleep(0.2)
    return answer


def chromium_cpu_s():
    """Processor seconds of headless Chromium: all its threads, and the Web
    Workers that run the runtime's program and timer-event threads."""
    total = workers = 0
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open(f'/proc/{pid}/cmdline', 'rb') as f:
                if b'chromium' not in f.read():
                    continue
            for tid in os.listdir(f'/proc/{pid}/task'):
                with open(f'/proc/{pid}/task/{tid}/stat') as f:
                    stat = f.read()
                fields = stat.rsplit(')', 1)[1].split()
                ticks = int(fields[11]) + int(fields[12])
                total += ticks
                workers += ticks if stat[stat.index('(') + 1:].startswith('DedicatedWorker') else 0
        except OSError:
            continue
    return total / os.sysconf('SC_CLK_TCK'), workers / os.sysconf('SC_CLK_TCK')


def check_sound(driver, desktop):
    """Each audible sound the page gave Web Audio stands, sample for sample,
    in the stream the desktop's mixer wrote, after the one before it."""
    audible = [bytes(sound) for sound in driver.execute_script('return soundLog') if any(sound)]
    with open(desktop.pcm, 'rb') as f:
        desktop_sound = f.read()
    found, at = 0, 0
    for sound in audible:
        place = desktop_sound.find(sound, at)
        if place < 0:
            break
        found, at = found + 1, place + len(sound)
    check('sound: splash and jingle PCM as on the desktop, in order', audible and found == len(audible),
          f'{found} of {len(audible)} sounds found in {len(desktop_sound)} desktop bytes')
    print(f'web: figure: {len(audible)} sounds, {sum(map(len, audible))} bytes of PCM compared', flush=True)


def check_idle_cpu():
    """The runtime's own waiting is checked; the whole browser's share is a
    figure, since headless Chromium spends about 3 % of a core on an empty
    page and 10 % or more on any page with a frame callback."""
    time.sleep(1)
    before, at = chromium_cpu_s(), time.time()
    time.sleep(5)
    after, elapsed = chromium_cpu_s(), time.time() - at
    total, workers = ((b - a) / elapsed * 100 for a, b in zip(before, after))
    check("menu waiting: the runtime's threads cost at most 3 % of a core", workers <= 3, f'{workers:.1f} %')
    print(f'web: figure: menu waiting, runtime threads {workers:.1f} %, whole browser {total:.1f} % of a core',
          flush=True)


def play(driver, desktop):
    # The title and menu after the splash, with its tunes; the options after
    # B, C and D; help.
    frames_match('menu', desktop, driver)
    check_sound(driver, desktop)
    for key, name in (('b', 'lives'), ('c', 'enemy sound'), ('d', 'difficulty'), ('e', 'help')):
        both_keys(driver, desktop, key)
        frames_match(name if key == 'e' else f'menu after {key.upper()} ({name})', desktop, driver)
    both_keys(driver, desktop, Keys.SPACE, 'space')
    frames_match('menu after help', desktop, driver)
    check_idle_cpu()
    # Level 1 and a short walk by typed keys: the clock and the chaser keep
    # moving, each build at its own moment, so those cells may differ; the
    # maze, the hero and the panel may not. The hero starts in row 22,
    # column 14 (counted from 1): right, back by the digit key, right again,
    # and up into row 21.
    both_keys(driver, desktop, 'a')
    time.sleep(3)
    level_start = canvas_pixels(driver)
    for web_name, x_name in ((Keys.RIGHT, 'Right'), ('4', '4'), (Keys.RIGHT, 'Right'), (Keys.UP, 'Up')):
        both_keys(driver, desktop, web_name, x_name)
        time.sleep(0.4)
    time.sleep(1)
    web, here = canvas_pixels(driver), desktop.pixels()
    moving = {cell for cell in differing_cells(web, here) if cell[0] > 3 or cell[1] < 24}  # all but the clock
    walked = {(21, 13), (20, 14)} <= differing_cells(level_start, web)
    check('frame: level 1 after a short walk (all but the clock and the chaser)',
          walked and web[:2] == here[:2] == (320, 200) and len(moving) <= 4,
          f'hero moved: {walked}; cells {sorted(moving)}')
    # S and Alt+Enter switch the browser's full screen: the canvas takes the
    # screen's size (the picture doubled and centred in it) and back.
    states = []
    for chain in (ActionChains(driver).send_keys('s'),
                  ActionChains(driver).key_down(Keys.ALT).send_keys(Keys.RETURN).key_up(Keys.ALT)):
        chain.perform()
        time.sleep(1.5)
        states.append(driver.execute_script('return [canvas.width, canvas.height, !!document.fullscreenElement]'))
    screen = driver.execute_script('return [screen.width, screen.height]')
    check("S and Alt+Enter: the browser's full screen, then the window", states == [screen + [True], [320, 200, False]],
          f'{states}')
    web_key(driver, 'f')
    status = page_answer(driver, "return document.getElementById('ended').hidden ? null : "
                                 "document.getElementById('status').textContent")
    check('F in a level ends the game with status 0 on the page', status == '0', f'status {status}')


def main():
    args = arguments()
    driver = None
    try:
        driver = browser()
        driver.get(serve(args.web))
        time.sleep(0.5)
        driver.execute_script('Module.webAudio.onStart = recordSound;')
        driver.find_element('id', 'cover').click()
        desktop = Desktop(args.desktop)
        check('desktop window found', desktop.window is not None, f'exit {desktop.process.poll()}')
        if desktop.window is not None:
            play(driver, desktop)
        driver.quit()
        driver = None
        # A host without the two headers: the page's service worker adds them
        # and the game starts, or the page says what is missing.
        driver = browser()
        driver.get(serve(args.web, isolation=False))
        state = page_answer(driver, '''
            if (!document.getElementById('cover').hidden) return crossOriginIsolated ? 'plays' : 'cover';
            return document.getElementById('missing').hidden ? null : 'message';''')
        check('without the headers: plays or says what is missing', state in ('plays', 'message'), f'{state}')
    finally:
        if driver is not None:
            driver.quit()
        end_started()
    return summary()


if __name__ == '__main__':
    sys.exit(main())
