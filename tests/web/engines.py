"""The two browser engines beside Chromium, each behind the part of
Selenium's driver interface that the web checks use (get, execute_script,
W3C key actions through ActionChains, a click on an element, tabs, quit):
Firefox ESR over WebDriver BiDi through a small Node bridge running
puppeteer-core (pinned in tests/web/package-lock.json), and WebKitGTK's
MiniBrowser through its classic WebDriver on a virtual X display."""
import filecmp
import itertools
import json
import os
import shutil
import subprocess

from selenium.webdriver.remote.command import Command
from selenium.webdriver.remote.webdriver import WebDriver as RemoteWebDriver
from selenium.webdriver.webkitgtk.options import Options as WebKitOptions
from selenium.webdriver.webkitgtk.service import Service as WebKitService

HERE = os.path.dirname(os.path.abspath(__file__))
MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser'


def bridge_modules(out):
    """node_modules for the bridge under out, installed by npm ci from the
    lock file whenever the lock there is not this one."""
    folder = os.path.join(out, 'bridge')
    lock = os.path.join(HERE, 'package-lock.json')
    if not (os.path.isdir(os.path.join(folder, 'node_modules')) and
            os.path.exists(os.path.join(folder, 'package-lock.json')) and
            filecmp.cmp(lock, os.path.join(folder, 'package-lock.json'), shallow=False)):
        os.makedirs(folder, exist_ok=True)
        for name in ('package.json', 'package-lock.json'):
            shutil.copy(os.path.join(HERE, name), folder)
        subprocess.run(['npm', 'ci', '--no-audit', '--no-fund', '--loglevel=error'], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
    return os.path.join(folder, 'node_modules')


class BridgeError(Exception):
    pass


class _Element:
    def __init__(self, driver, selector):
        self.driver, self.selector = driver, selector

    def click(self):
        self.driver.call('click', selector=self.selector)


class _SwitchTo:
    def __init__(self, driver):
        self.driver = driver

    def new_window(self, kind='tab'):
        self.driver.call('newTab')

    def window(self, handle):
        self.driver.call('switchTo', handle=handle)


class Firefox:
    """Headless Firefox ESR, its pages driven over WebDriver BiDi."""

    def __init__(self, start, out, profile, preload):
        env = dict(os.environ, NODE_PATH=bridge_modules(out))
        self.process = start(['node', os.path.join(HERE, 'firefox_bridge.js')], env=env, stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True)
        self.ids = itertools.count()
        self.switch_to = _SwitchTo(self)
        self.current_window_handle = self.call('launch', userDataDir=profile, preload=preload)

    def call(self, op, **args):
        request = dict(args, id=next(self.ids), op=op)
        self.process.stdin.write(json.dumps(request) + '\n')
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise BridgeError(f'the Firefox bridge ended (status {self.process.poll()})')
        answer = json.loads(line)
        if 'error' in answer:
            raise BridgeError(answer['error'])
        return answer['value']

    def get(self, url):
        self.call('get', url=url)

    def execute_script(self, body, *args):
        return self.call('script', body=body, args=list(args))

    def execute(self, command, params=None):
        if command != Command.W3C_ACTIONS:
            raise BridgeError(f'{command} is not sent to Firefox')
        self.call('actions', sources=params['actions'])
        return {'value': None}

    def find_element(self, by, value):
        assert by == 'id'
        return _Element(self, '#' + value)

    def close(self):
        self.call('closeTab')

    def quit(self):
        try:
            self.call('quit')
        finally:
            self.process.stdin.close()
            self.process.wait(30)


def webkit(start, display):
    """MiniBrowser on display, driven by WebKitWebDriver. JavaScriptCore
    offers SharedArrayBuffer to a cross-origin isolated page only when told
    to (Safari does since 15.2): the runtime's threads share memory."""
    env = dict(os.environ, DISPLAY=display, JSC_useSharedArrayBuffer='1')
    service = WebKitService('/usr/bin/WebKitWebDriver', env=env)
    service.start()
    options = WebKitOptions()
    options.binary_location = MINIBROWSER
    options.add_argument('--automation')
    options.add_argument('--geometry=1024x768')
    driver = RemoteWebDriver(command_executor=service.service_url, options=options)
    driver.service, driver.display = service, display
    plain_quit = driver.quit

    def quit():
        try:
            plain_quit()
        finally:
            service.stop()
    driver.quit = quit
    return driver


def minimised(driver, meanwhile):
    """MiniBrowser's windows taken off the display (the page hidden and
    without the focus, as in a minimised window) while meanwhile runs."""
    env = dict(os.environ, DISPLAY=driver.display)
    windows = subprocess.run(['xdotool', 'search', '--onlyvisible', '--class', 'MiniBrowser'], env=env,
                             capture_output=True, text=True).stdout.split()
    for window in windows:
        subprocess.run(['xdotool', 'windowunmap', '--sync', window], env=env)
    try:
        meanwhile()
    finally:
        for window in windows:
            subprocess.run(['xdotool', 'windowmap', '--sync', window], env=env)
