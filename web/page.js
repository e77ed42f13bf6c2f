// The page around the game: checks that the browser can run it, waits for a
// click or key (browsers let a page start sound only after one), loads the
// WebAssembly runtime, scales the canvas, hands keys to the runtime and shows
// the end.
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
async function isolateThroughServiceWorker() {
  if (!window.isSecureContext || !('serviceWorker' in navigator)) return false;
  if (sessionStorage.getItem('tz-isolation-tried')) return false;
  sessionStorage.setItem('tz-isolation-tried', '1');
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
// screen, in full screen); never smoothed. A picture larger than the room
// (the full-screen mode after the browser left full screen) is shrunk to fit.
function fitCanvas() {
  const stage = document.getElementById('stage');
  const room = document.fullscreenElement ? [screen.width, screen.height] : [stage.clientWidth, stage.clientHeight];
  const fit = Math.min(room[0] / canvas.width, room[1] / canvas.height);
  const repeat = fit >= 1 ? Math.floor(fit) : fit;
  const width = Math.floor(canvas.width * repeat) + 'px';
  const height = Math.floor(canvas.height * repeat) + 'px';
  // Unchanged values are not written again: the observer sees every write.
  if (canvas.style.width !== width) canvas.style.setProperty('width', width, 'important');
  if (canvas.style.height !== height) canvas.style.setProperty('height', height, 'important');
}

// The browser's full screen follows the runtime's: the switch sets a new
// video mode, which resizes the canvas (and the port's SDL then clears the
// canvas's style, so the observer sees that too).
function followFullscreen() {
  const wanted = Module._web_fullscreen_state() !== 0;
  const stage = document.getElementById('stage');
  if (wanted && !document.fullscreenElement && stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
  if (!wanted && document.fullscreenElement) document.exitFullscreen().catch(() => {});
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

// The typed character SDL 1.2 reports with a key press: the key's text,
// control codes for Enter, Escape, Backspace and Ctrl+letter, else 0.
function typedCharacter(event) {
  const controls = { Enter: 13, Escape: 27, Backspace: 8, Tab: 9, Delete: 127 };
  if (event.key in controls) return controls[event.key];
  if (event.key.length === 0 || [...event.key].length !== 1) return 0;
  const code = event.key.codePointAt(0);
  if (event.ctrlKey && !event.altKey && /^[a-z]$/i.test(event.key)) return code & 0x1f;
  return code;
}

// Keys the browser keeps for itself: reload, developer tools, its own full screen.
const browserKeys = new Set(['F5', 'F11', 'F12']);

function onKey(event) {
  if (!Module.started) return;
  const sym = symbols[event.code];
  if (sym === undefined || browserKeys.has(event.code)) return;
  event.preventDefault();
  event.stopPropagation();
  // A held key repeats by the runtime's own rule, as on the desktop.
  if (event.repeat) return;
  const down = event.type === 'keydown';
  tzKey(down, sym, down ? typedCharacter(event) : 0);
}

// The one way any source (keyboard, touch controls) hands the runtime a key
// press or release: an SDL 1.2 key symbol and the typed character.
function tzKey(down, sym, character) {
  if (!Module.started) return;
  Module._web_key_event(down ? 1 : 0, sym, down ? character : 0);
}
window.tzKey = tzKey;

function ended(status) {
  document.getElementById('status').textContent = String(status);
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  show('ended', true);
  document.getElementById('again').focus();
}

function failed(what) {
  document.getElementById('missing-text').textContent = String(what);
  show('missing', true);
}

const Module = {
  canvas,
  webAudio: { context: null, channels: [] },
  // The runtime loads while the cover waits; the game starts at the click.
  onRuntimeInitialized() {
    Module.loaded = true;
    if (Module.wanted) play();
  },
  // The runtime's exit: the browser's frame callback would go on calling
  // the main loop, which keeps the runtime alive, so it is stopped here.
  quit(status, toThrow) {
    Module.pauseMainLoop();
    ended(status);
    throw toThrow;
  },
  onAbort: failed,
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
  new MutationObserver(() => {
    fitCanvas();
    followFullscreen();
  }).observe(canvas, { attributes: true, attributeFilter: ['width', 'height', 'style'] });
  addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', fitCanvas);
  canvas.focus();
  const script = document.createElement('script');
  script.src = 'tommy-zappo.js';
  script.onerror = () => failed('tommy-zappo.js could not be loaded');
  document.body.appendChild(script);
}

async function main() {
  fitCanvas();
  document.getElementById('again').addEventListener('click', () => location.reload());
  let missing = missingFeatures();
  if (missing.length !== 0 && typeof WebAssembly === 'object' && await isolateThroughServiceWorker()) return;
  missing = missingFeatures();
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
main();
})();
