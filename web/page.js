// The page around the game: checks that the browser can run it, waits for a
// click or key (browsers let a page start sound only after one), loads the
// WebAssembly runtime, scales the canvas, hands keys to the runtime, holds
// the game while the tab is hidden and shows the end or a fault.
// Everything but Module stays inside one function: the runtime's script
// defines globals of its own (run, exit, abort and more).
(() => {
'use strict';

const canvas = document.getElementById('canvas');
const show = (id, shown) => { document.getElementById(id).hidden = !shown; };

// What this browser or this host lacks for the game's threads.
function missingFeatures() {
  const missing = [];
  if (typeof WebAssembly !== 'object') missing.push('WebAssembly');
  if (typeof SharedArrayBuffer !== 'function') missing.push('SharedArrayBuffer (WebAssembly threads)');
  if (!window.crossOriginIsolated) {
    missing.push('cross-origin isolation: the host must send "Cross-Origin-Opener-Policy: same-origin" and ' +
                 '"Cross-Origin-Embedder-Policy: require-corp" with the page, or allow the service worker ' +
                 '(service_worker.js) that adds them');
  }
  return missing;
}

// A host that cannot send the two headers: the page's own service worker
// adds them to every response, and the page is loaded once more under it.
// A hard reload bypasses the worker: the page is then loaded once more, so
// two tries in a row, not one, tell that the worker cannot help.
async function isolateThroughServiceWorker() {
  if (!window.isSecureContext || !('serviceWorker' in navigator)) return false;
  const tries = Number(sessionStorage.getItem('tz-isolation-tries') || 0);
  if (tries >= 2) return false;
  sessionStorage.setItem('tz-isolation-tries', String(tries + 1));
  try {
    await navigator.serviceWorker.register('service_worker.js');
    await navigator.serviceWorker.ready;
  } catch (error) {
    return false;
  }
  location.reload();
  return true;
}

// --scale auto in a browser: the largest whole repetition of the emulated
// screen that fits the stage (the window less any touch controls, or the
// screen, in the stage's full screen), counted in device pixels, so that every game
// pixel is a whole number of device pixels at any zoom; placed on a whole
// device pixel; never smoothed. A picture larger than the room (the
// screen-sized canvas while the browser leaves full screen) is shrunk to fit
// for that moment.
function fitCanvas() {
  const ratio = window.devicePixelRatio || 1;
  const stage = document.getElementById('stage');
  const room = document.fullscreenElement === stage ? [screen.width, screen.height] : [stage.clientWidth, stage.clientHeight];
  const fit = Math.min(room[0] * ratio / canvas.width, room[1] * ratio / canvas.height);
  const repeat = fit >= 1 ? Math.floor(fit) : fit;
  const size = [Math.floor(canvas.width * repeat), Math.floor(canvas.height * repeat)];
  const style = {
    width: size[0] / ratio + 'px', height: size[1] / ratio + 'px',
    left: Math.floor((room[0] * ratio - size[0]) / 2) / ratio + 'px',
    top: Math.floor((room[1] * ratio - size[1]) / 2) / ratio + 'px',
  };
  // Unchanged values are not written again: the observer sees every write.
  for (const [name, value] of Object.entries(style)) {
    if (canvas.style[name] !== value) canvas.style.setProperty(name, value, 'important');
  }
}

// The browser's full screen follows the runtime's, but only when the
// runtime's changes (S or Alt+Enter): the switch sets a new video mode,
// which resizes the canvas (and the port's SDL then clears the canvas's
// style, so the observer sees that too). Leaving the browser's full screen
// by its own means (Esc, F11, its control) is told to the runtime, which
// returns to its window as after Alt+Enter. Where the screen has no room for
// the doubled picture (a phone) the runtime keeps its window's picture, and
// the whole page goes full screen, touch controls and all: the stage shows
// the picture at the largest whole scale it now has room for.
let runtimeFullscreen = false;

function followFullscreen() {
  const state = Module._web_fullscreen_state();
  const wanted = state !== 0;
  if (wanted === runtimeFullscreen) return;
  runtimeFullscreen = wanted;
  const shown = state === 2 ? document.documentElement : document.getElementById('stage');
  // A refusal (no gesture, a frame that forbids it) is a way out as well.
  const refused = () => running() && Module._web_fullscreen_left();
  if (wanted && !document.fullscreenElement) (shown.requestFullscreen ? shown.requestFullscreen() : Promise.reject()).catch(refused);
  if (!wanted && document.fullscreenElement) document.exitFullscreen().catch(() => {});
}

function fullscreenChanged() {
  fitCanvas();
  if (!document.fullscreenElement && runtimeFullscreen && running()) Module._web_fullscreen_left();
}

// DOM key codes to the SDL 1.2 key symbols the desktop reports.
const symbols = (() => {
  const table = {
    Backspace: 8, Tab: 9, Enter: 13, Pause: 19, Escape: 27, Space: 32, Quote: 39, Comma: 44, Minus: 45,
    Period: 46, Slash: 47, Semicolon: 59, Equal: 61, BracketLeft: 91, Backslash: 92, BracketRight: 93,
    Backquote: 96, Delete: 127, NumpadDecimal: 266, NumpadDivide: 267, NumpadMultiply: 268,
    NumpadSubtract: 269, NumpadAdd: 270, NumpadEnter: 271, NumpadEqual: 272, ArrowUp: 273, ArrowDown: 274,
    ArrowRight: 275, ArrowLeft: 276, Insert: 277, Home: 278, End: 279, PageUp: 280, PageDown: 281,
    NumLock: 300, CapsLock: 301, ScrollLock: 302, ShiftRight: 303, ShiftLeft: 304, ControlRight: 305,
    ControlLeft: 306, AltRight: 307, AltLeft: 308, MetaRight: 309, MetaLeft: 310, IntlBackslash: 60,
  };
  for (let i = 0; i < 26; i++) table['Key' + String.fromCharCode(65 + i)] = 97 + i;
  for (let i = 0; i < 10; i++) {
    table['Digit' + i] = 48 + i;
    table['Numpad' + i] = 256 + i;
  }
  for (let i = 1; i <= 15; i++) table['F' + i] = 281 + i;
  return table;
})();

const keypadCodes = new Set(['NumpadDecimal', 'NumpadDivide', 'NumpadMultiply', 'NumpadSubtract', 'NumpadAdd',
  'NumpadEnter', 'NumpadEqual', 'Numpad0', 'Numpad1', 'Numpad2', 'Numpad3', 'Numpad4', 'Numpad5', 'Numpad6',
  'Numpad7', 'Numpad8', 'Numpad9']);

// The typed character SDL 1.2 reports with a key press: the key's text
// (AltGr's and Option's characters included), control codes for Enter,
// Escape, Backspace and Ctrl+letter, else 0. A keypad key with Num Lock off
// names a navigation key and types nothing, as on X11.
function typedCharacter(event) {
  const controls = { Enter: 13, Escape: 27, Backspace: 8, Tab: 9, Delete: 127 };
  if (event.key in controls) return keypadCodes.has(event.code) && event.key !== 'Enter' ? 0 : controls[event.key];
  if (event.key.length === 0 || [...event.key].length !== 1) return 0;
  const code = event.key.codePointAt(0);
  if (event.ctrlKey && !event.altKey && /^[a-z]$/i.test(event.key)) return code & 0x1f;
  return code;
}

// The symbol SDL 1.2 on X11 reports: a letter key's symbol is the layout's
// letter (Z on a German keyboard's Y position), remembered for the moments
// the key types something else (with AltGr); every other key is known by its
// position. AltGr, which the browser names apart, is SDL's Mode key.
const letters = new Map();

function symbolOf(event) {
  if (event.code === 'AltRight' && event.key === 'AltGraph') return 313;
  if (/^Key[A-Z]$/.test(event.code)) {
    if (/^[a-z]$/i.test(event.key)) letters.set(event.code, event.key.toLowerCase().charCodeAt(0));
    if (letters.has(event.code)) return letters.get(event.code);
  }
  return symbols[event.code];
}

// Keys the browser keeps for itself: reload, developer tools, its own full screen.
const browserKeys = new Set(['F5', 'F11', 'F12']);

// The runtime runs: started by the player and not yet ended or failed.
const running = () => Module.started && !Module.ended;

// Keys held now, by symbol, so that a lost focus can release them all.
const held = new Set();

// Caps Lock and Num Lock as the browser last reported them (bits 1 and 2);
// the runtime follows them at its next event drain, as the desktop follows
// the window system's.
let locks = 0;

// The one way by which any source (the keyboard, touch controls) hands the
// runtime a key press or release: SDL 1.2's symbol and the typed character.
function tzKey(down, sym, character) {
  if (!running()) return;
  if (down) held.add(sym);
  else if (!held.delete(sym)) return;
  Module._web_key_event(down ? 1 : 0, sym, down ? character : 0, locks);
}

// SDL 1.2 releases every held key when its window loses the focus; so does
// the page when it loses the focus or is hidden.
function releaseKeys() {
  for (const sym of [...held]) tzKey(false, sym, 0);
}

function onKey(event) {
  resumeAudio();
  // The port's own SDL never sees a key: it would report SDL 1.3's codes.
  event.stopPropagation();
  if (!running()) return;
  const lockBits = (event.getModifierState('CapsLock') ? 1 : 0) | (event.getModifierState('NumLock') ? 2 : 0);
  locks = lockBits;
  if (event.code === 'CapsLock' || event.code === 'NumLock') return;  // followed as states
  const sym = symbolOf(event);
  if (sym === undefined || browserKeys.has(event.code)) return;
  event.preventDefault();
  // A held key repeats by the runtime's own rule, as on the desktop.
  if (event.repeat) return;
  const down = event.type === 'keydown';
  const character = down ? typedCharacter(event) : 0;
  if (character >= 32 && composedWithAlt(event)) {
    for (const modifier of [305, 306, 307, 308]) tzKey(false, modifier, 0);
  }
  tzKey(down, sym, character);
}

// AltGr on Windows (which the browser reports as Ctrl and Alt held) and
// Option on macOS type characters: the runtime gets them as characters, its
// Ctrl and Alt let go first, or they would arrive as Ctrl and Alt codes.
const optionTypes = /Mac|iPhone|iPad/.test(navigator.platform);

function composedWithAlt(event) {
  if (event.getModifierState('AltGraph')) return true;
  return optionTypes && event.altKey && !event.ctrlKey && !event.metaKey;
}

// Browsers start an audio context suspended without a user gesture, and
// suspend it when the system takes the sound (a call, another app): each
// gesture and each return of the tab asks for it again, and so does each
// sound (runtime/sound/mixer_web.cpp). Meanwhile sounds count as played by
// the page's clock.
function resumeAudio() {
  const context = Module.webAudio.context;
  if (context && context.state !== 'running' && context.state !== 'closed') context.resume().catch(() => {});
  restAudioWhenSilent();
}

// A running audio context keeps the browser's audio threads busy in silence
// too (several percent of a core): it rests, suspended, once a second has
// passed with no sound playing, and the next sound wakes it.
const audioRest = { timer: 0, after_ms: 1000 };

function restAudioWhenSilent() {
  clearTimeout(audioRest.timer);
  const ends = Object.values(Module.webAudio.channels).map((playing) => (playing ? playing.pageEnd : 0));
  const quiet_ms = Math.max(0, ...ends) + audioRest.after_ms - performance.now();
  audioRest.timer = setTimeout(() => {
    const context = Module.webAudio.context;
    if (quiet_ms > 0) restAudioWhenSilent();
    else if (context && context.state === 'running') context.suspend().catch(() => {});
  }, Math.max(quiet_ms, 0));
}

// A hidden tab holds the game as the Pause key does; shown again, it goes on.
function visibilityChanged() {
  if (!running()) return;
  const hidden = document.visibilityState === 'hidden';
  if (hidden) releaseKeys();
  Module._web_page_hidden(hidden ? 1 : 0);
  if (!hidden) resumeAudio();
}

// The end: nothing reaches the runtime any more (its globals are gone), and
// "Play again" takes the focus, for Enter and Space.
function finish(panel) {
  Module.ended = true;
  held.clear();
  show(panel, true);
  // Leaving full screen gives the focus back to the canvas: taken again after.
  const focusAgain = () => document.querySelector('#' + panel + ' button').focus();
  if (document.fullscreenElement) document.exitFullscreen().then(focusAgain, focusAgain);
  focusAgain();
}

function ended(status) {
  if (Module.ended) return;
  document.getElementById('status').textContent = String(status);
  finish('ended');
}

// A fault anywhere (the main thread, a worker, an abort, memory): the game
// stopped, and the page says so with the error's text.
function crashed(what) {
  if (Module.ended) return;
  try {
    Module.pauseMainLoop();
  } catch (error) {
    // the runtime may not have come so far
  }
  document.getElementById('fault-text').textContent = String(what || '') || 'the runtime aborted';
  finish('fault');
}

function failed(what) {
  document.getElementById('missing-text').textContent = String(what);
  show('missing', true);
}

const Module = {
  canvas,
  webAudio: { context: null, channels: [], wake: () => resumeAudio() },
  // The runtime loads while the cover waits; the game starts at the click.
  onRuntimeInitialized() {
    Module.loaded = true;
    if (Module.wanted) play();
  },
  // The runtime's exit: the page's timer would go on calling
  // the main loop, which keeps the runtime alive, so it is stopped here. An
  // exception other than the exit's own is a fault on the main thread.
  quit(status, toThrow) {
    Module.pauseMainLoop();
    if (toThrow && toThrow.name !== 'ExitStatus') crashed(toThrow.message || toThrow);
    else ended(status);
    throw toThrow;
  },
  onAbort: crashed,
  print: (text) => console.log(text),
  printErr: (text) => console.error(text),
};

function play() {
  Module.started = performance.now();
  Module.callMain([]);
}

// The click or key that browsers require before a page may play sound.
function start(event) {
  event.preventDefault();
  event.stopImmediatePropagation();
  removeEventListener('keydown', start, true);
  removeEventListener('click', start, true);
  show('cover', false);
  canvas.focus();
  const AudioContextClass = window.AudioContext || window.webkitAudioContext;
  if (AudioContextClass) {
    Module.webAudio.context = new AudioContextClass();
    Module.webAudio.context.resume();
  }
  Module.wanted = true;
  if (Module.loaded) play();
}

function load() {
  addEventListener('keydown', onKey, true);
  addEventListener('keyup', onKey, true);
  // Nor a typed character: it would cancel what the key does on the page
  // (Enter on "Play again").
  addEventListener('keypress', (event) => event.stopPropagation(), true);
  addEventListener('pointerdown', resumeAudio, true);
  addEventListener('blur', releaseKeys);
  document.addEventListener('visibilitychange', visibilityChanged);
  // A worker's fault reaches the page as an error thrown by the runtime's
  // worker handler; the main thread's own as an uncaught error.
  addEventListener('error', (event) => {
    if (Module.started) crashed((event.error && event.error.message) || event.message);
  });
  addEventListener('unhandledrejection', (event) => {
    if (Module.started) crashed((event.reason && event.reason.message) || event.reason);
  });
  new MutationObserver(() => {
    fitCanvas();
    followFullscreen();
  }).observe(canvas, { attributes: true, attributeFilter: ['width', 'height', 'style'] });
  addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', fullscreenChanged);
  canvas.focus();
  const script = document.createElement('script');
  script.src = 'tommy-zappo.js';
  script.onerror = () => failed('tommy-zappo.js could not be loaded');
  document.body.appendChild(script);
}

async function main() {
  fitCanvas();
  for (const again of document.querySelectorAll('.again')) again.addEventListener('click', () => location.reload());
  let missing = missingFeatures();
  if (missing.length !== 0 && typeof WebAssembly === 'object' && await isolateThroughServiceWorker()) return;
  missing = missingFeatures();
  if (missing.length === 0) sessionStorage.removeItem('tz-isolation-tries');
  if (missing.length !== 0) {
    failed('missing ' + missing.join('; ') + '.');
    return;
  }
  show('cover', true);
  addEventListener('keydown', start, true);
  addEventListener('click', start, true);
  load();
}

window.Module = Module;
window.tzKey = tzKey;
main();
})();
