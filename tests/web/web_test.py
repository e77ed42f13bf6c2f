#!/usr/bin/python3
"""The web build in real headless Chromium (driven through Debian's
python3-selenium and chromium-driver), checked against the desktop build
played on a virtual X display of its own. Prints one line per check and a
last line in ctest's words ("N% tests passed, M tests failed out of T");
the exit status is 0 only when all passed. Output goes under build/web-test.

    tests/web/web_test.py [--desktop build/default/tommy-zappo] [--web build/web]
"""
import argparse
import base64
import hashlib
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


def start(command, **kwargs):
    process = subprocess.Popen(command, start_new_session=True, **kwargs)
    started.append(process)
    return process


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
    if not isolation:
        command.append('--no-isolation')
    server = start(command, stdout=subprocess.PIPE, text=True)
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
    """The canvas as RGB bytes, read with getImageData."""
    data = driver.execute_script('''
        const c = document.getElementById('canvas');
        const copy = document.createElement('canvas');
        copy.width = c.width; copy.height = c.height;
        const g = copy.getContext('2d', { willReadFrequently: true });
        g.drawImage(c, 0, 0);
        const rgba = g.getImageData(0, 0, c.width, c.height).data;
        let text = '';
        for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
        return [c.width, c.height, btoa(text)];''')
    return data[0], data[1], base64.b64decode(data[2])


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
        env = dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER='x11', SDL_AUDIODRIVER='disk', SDL_DISKAUDIOFILE=self.pcm,
                   SDL_DISKAUDIODELAY='46')
        self.env = env
        log = open(os.path.join(OUT, 'desktop.log'), 'w')
        self.process = start([executable], env=env, stdout=log, stderr=subprocess.STDOUT)
        self.window = None
        for _ in range(300):
            found = subprocess.run(['xdotool', 'search', '--name', 'Untitled'], env=env, capture_output=True,
                                   text=True).stdout.split()
            if found:
                self.window = found[0]
                break
            time.sleep(0.1)

    def key(self, name):
        subprocess.run(['xdotool', 'windowfocus', '--sync', self.window, 'key', name], env=self.env, check=False,
                       stderr=subprocess.DEVNULL)

    def pixels(self):
        geometry = subprocess.run(['xdotool', 'getwindowgeometry', self.window], env=self.env, capture_output=True,
                                  text=True).stdout
        size = geometry.split('Geometry:')[1].split()[0].split('x')
        rgb = subprocess.run(['import', '-display', self.display, '-window', self.window, '-depth', '8', 'rgb:-'],
                             env=self.env, capture_output=True).stdout
        return int(size[0]), int(size[1]), rgb


def settled(read, quiet_s=1.5, limit_s=30):
    """The frame once it has not changed for quiet_s."""
    last, since, deadline = None, time.time(), time.time() + limit_s
    while time.time() < deadline:
        frame = read()
        if frame != last:
            last, since = frame, time.time()
        elif time.time() - since >= quiet_s:
            return frame
        time.sleep(0.25)
    return last


results = []


def check(name, ok, detail=''):
    results.append(ok)
    print(f"web: {'ok  ' if ok else 'FAIL'} {name}{' (' + detail + ')' if detail and not ok else ''}", flush=True)


def web_key(driver, key):
    ActionChains(driver).send_keys(key).perform()


def frames_match(name, desktop, driver, limit_s=30):
    """Both builds come to the same settled frame within limit_s."""
    deadline = time.time() + limit_s
    while True:
        web = settled(lambda: canvas_pixels(driver), limit_s=limit_s)
        here = settled(desktop.pixels, limit_s=limit_s)
        same = web == here
        if same or time.time() > deadline:
            break
    if not same:
        for side, frame in (('web', web), ('desktop', here)):
            with open(os.path.join(OUT, f'{name}-{side}.rgb'), 'wb') as f:
                f.write(frame[2] if frame else b'')
    check(f'frame: {name}', same, f'web {web[:2] if web else None}, desktop {here[:2] if here else None}')


def differing_cells(first, second):
    """The (row, column) of every 8 x 8 cell where two frames differ."""
    width, height = first[0], first[1]
    if (width, height) != second[:2]:
        return {(-1, -1)}
    cells = set()
    for y in range(height):
        row = slice(y * width * 3, (y + 1) * width * 3)
        a, b = first[2][row], second[2][row]
        if a == b:
            continue
        for x in range(width):
            if a[x * 3:x * 3 + 3] != b[x * 3:x * 3 + 3]:
                cells.add((y // 8, x // 8))
    return cells


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--desktop', default=os.path.join(ROOT, 'build', 'default', 'tommy-zappo'))
    parser.add_argument('--web', default=os.path.join(ROOT, 'build', 'web'))
    args = parser.parse_args()
    shutil.rmtree(PROFILES, ignore_errors=True)
    os.makedirs(PROFILES)
    driver = None
    try:
        address = serve(args.web)
        driver = browser()
        driver.get(address)
        time.sleep(0.5)
        driver.execute_script('Module.webAudio.onStart = recordSound;')
        driver.find_element('id', 'cover').click()
        desktop = Desktop(args.desktop)
        check('desktop window found', desktop.window is not None, f'exit {desktop.process.poll()}')
        if desktop.window is None:
            return 1
        # (a) The same pictures: the title and menu after the splash, help,
        # the options after B, C and D.
        frames_match('menu', desktop, driver)
        # (b) The splash tunes and the title's jingle, in order: each sound
        # the page gave Web Audio stands, sample for sample, in the stream
        # the desktop's mixer wrote, after the one before it.
        web_sounds = [bytes(sound) for sound in driver.execute_script('return soundLog')]
        with open(desktop.pcm, 'rb') as f:
            desktop_sound = f.read()
        audible = [sound for sound in web_sounds if sound.strip(b'\0')]
        found, at = 0, 0
        for sound in audible:
            place = desktop_sound.find(sound, at)
            if place < 0:
                break
            found, at = found + 1, place + len(sound)
        check('sound: splash and jingle PCM as on the desktop, in order', audible and found == len(audible),
              f'{found} of {len(audible)} sounds found; web {sum(map(len, audible))} bytes '
              f'{hashlib.sha1(b"".join(audible)).hexdigest()[:8]}, desktop {len(desktop_sound)} bytes')
        print(f'web: figure: {len(audible)} sounds, {sum(map(len, audible))} bytes of PCM compared', flush=True)
        for key, name in (('b', 'lives'), ('c', 'enemy sound'), ('d', 'difficulty')):
            web_key(driver, key)
            desktop.key(key)
            frames_match(f'menu after {key.upper()} ({name})', desktop, driver)
        web_key(driver, 'e')
        desktop.key('e')
        frames_match('help', desktop, driver)
        web_key(driver, Keys.SPACE)
        desktop.key('space')
        frames_match('menu after help', desktop, driver)
        # (d) A waiting menu costs almost nothing.
        check_idle_cpu(driver)
        # Level 1 and a short walk by typed cursor keys: the clock and the
        # chaser keep moving, each build at its own moment, so those cells
        # may differ; the maze, the hero and the panel may not.
        web_key(driver, 'a')
        desktop.key('a')
        time.sleep(3)
        start = canvas_pixels(driver)
        # The hero starts in row 22, column 14 (counted from 1): right, back
        # by the digit key, right again, and up into row 21.
        for web_name, x_name in ((Keys.RIGHT, 'Right'), ('4', '4'), (Keys.RIGHT, 'Right'), (Keys.UP, 'Up')):
            web_key(driver, web_name)
            desktop.key(x_name)
            time.sleep(0.4)
        time.sleep(1)
        web, here = canvas_pixels(driver), desktop.pixels()
        moving = differing_cells(web, here)
        clock = {cell for cell in moving if cell[0] <= 3 and cell[1] >= 24}
        walked = {(21, 13), (20, 14)} <= differing_cells(start, web)
        check('frame: level 1 after a short walk (all but the clock and the chaser)',
              walked and web[:2] == here[:2] == (320, 200) and len(moving - clock) <= 4,
              f'hero moved: {walked}; cells {sorted(moving - clock)}')
        # S and Alt+Enter switch the browser's full screen: the canvas takes
        # the screen's size (the picture doubled and centred in it) and back.
        states = []
        for keys in (('s',), (Keys.ALT, Keys.RETURN)):
            chain = ActionChains(driver)
            for key in keys[:-1]:
                chain.key_down(key)
            chain.send_keys(keys[-1])
            for key in keys[:-1]:
                chain.key_up(key)
            chain.perform()
            time.sleep(1.5)
            states.append(driver.execute_script(
                'return [canvas.width, canvas.height, !!document.fullscreenElement]'))
        screen = driver.execute_script('return [screen.width, screen.height]')
        check('S and Alt+Enter: the browser\'s full screen, then the window', states == [screen + [True], [320, 200, False]],
              f'{states}')
        # (c) F ends the game; the page says so with status 0.
        web_key(driver, 'f')
        deadline = time.time() + 10
        status = None
        while time.time() < deadline and status is None:
            status = driver.execute_script(
                "return document.getElementById('ended').hidden ? null : document.getElementById('status').textContent")
            time.sleep(0.2)
        check('F in a level ends the game with status 0 on the page', status == '0', f'status {status}')
        driver.quit()
        driver = None
        # (e) A host without the two headers: the page's service worker adds
        # them and the game starts, or the page says what is missing.
        bare = serve(args.web, isolation=False)
        driver = browser()
        driver.get(bare)
        deadline = time.time() + 10
        state = None
        while time.time() < deadline and state is None:
            state = driver.execute_script('''
                if (!document.getElementById('cover').hidden) return crossOriginIsolated ? 'plays' : 'cover';
                if (!document.getElementById('missing').hidden) return 'message';
                return null;''')
            time.sleep(0.2)
        check('without the headers: plays or says what is missing', state in ('plays', 'message'), f'{state}')
    finally:
        if driver is not None:
            driver.quit()
        end_started()
    failed = results.count(False)
    share = 100 * (len(results) - failed) // max(len(results), 1)
    # The summary line of ctest, which the test command counts.
    print(f'web: {share}% tests passed, {failed} tests failed out of {len(results)}')
    return 0 if failed == 0 and results else 1


def chromium_cpu_s():
    """Processor seconds of headless Chromium: (all its threads, the Web
    Workers that run the runtime's program and timer-event threads)."""
    total = workers = 0
    for pid in os.listdir('/proc'):
        if not pid.isdigit():
            continue
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
                if stat[stat.index('(') + 1:].startswith('DedicatedWorker'):
                    workers += ticks
        except OSError:
            continue
    per_second = os.sysconf('SC_CLK_TCK')
    return total / per_second, workers / per_second


def check_idle_cpu(driver):
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


if __name__ == '__main__':
    sys.exit(main())
