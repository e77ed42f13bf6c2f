// The game's life on the page: waits for a click or key (browsers let a page
// start sound only after one), loads the WebAssembly runtime meanwhile,
// starts it, holds the game while the tab is hidden, keeps the sound
// running or resting, and shows the end or a fault. Runs last of the page's
// scripts: it starts the page.
(() => {
'use strict';

const canvas = document.getElementById('canvas');
const show = (id, shown) => { document.getElementById(id).hidden = !shown; };

// Browsers start an audio context suspended without a user gesture, and
// suspend it when the system takes the sound (a call, another app): each
// gesture and each return of the tab asks for it again, and so does each
// sound (runtime/sound/mixer_web.cpp). Meanwhile sounds count as played by
// the page's clock.
tz.resumeAudio = () => {
  const context = Module.webAudio.context;
  if (context && context.state !== 'running' && context.state !== 'closed') context.resume().catch(() => {});
  restAudioWhenSilent();
};

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
  if (!tz.running) return;
  const hidden = document.visibilityState === 'hidden';
  if (hidden) tz.releaseKeys();
  Module._web_page_hidden(hidden ? 1 : 0);
  if (!hidden) tz.resumeAudio();
}

// The end: nothing reaches the runtime any more (its globals are gone), and
// "Play again" takes the focus, for Enter and Space.
function finish(panel) {
  tz.ended = true;
  show(panel, true);
  // Leaving full screen gives the focus back to the canvas: taken again after.
  const focusAgain = () => document.querySelector('#' + panel + ' button').focus();
  if (document.fullscreenElement) document.exitFullscreen().then(focusAgain, focusAgain);
  focusAgain();
}

function ended(status) {
  if (tz.ended) return;
  document.getElementById('status').textContent = String(status);
  finish('ended');
}

// A fault anywhere (the main thread, a worker, an abort, memory): the game
// stopped, and the page says so with the error's text.
function crashed(what) {
  if (tz.ended) return;
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
  webAudio: { context: null, channels: [], wake: () => tz.resumeAudio() },
  // The runtime loads while the cover waits; the game starts at the click.
  onRuntimeInitialized() {
    tz.loaded = true;
    if (tz.wanted) play();
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
  tz.started = true;
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
  tz.wanted = true;
  if (tz.loaded) play();
}

function load() {
  tz.listenToKeys();
  addEventListener('pointerdown', tz.resumeAudio, true);
  addEventListener('blur', tz.releaseKeys);
  document.addEventListener('visibilitychange', visibilityChanged);
  // A worker's fault reaches the page as an error thrown by the runtime's
  // worker handler; the main thread's own as an uncaught error.
  addEventListener('error', (event) => {
    if (tz.started) crashed((event.error && event.error.message) || event.message);
  });
  addEventListener('unhandledrejection', (event) => {
    if (tz.started) crashed((event.reason && event.reason.message) || event.reason);
  });
  tz.watchCanvas();
  canvas.focus();
  const script = document.createElement('script');
  script.src = 'tommy-zappo.js';
  script.onerror = () => failed('tommy-zappo.js could not be loaded');
  document.body.appendChild(script);
}

async function main() {
  tz.fitCanvas();
  for (const again of document.querySelectorAll('.again')) again.addEventListener('click', () => location.reload());
  let missing = tz.missingFeatures();
  if (missing.length !== 0 && typeof WebAssembly === 'object' && await tz.isolateThroughServiceWorker()) return;
  missing = tz.missingFeatures();
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
main();
})();
