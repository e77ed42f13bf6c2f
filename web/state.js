// The one object the page's scripts share (state.js, keys.js, fullscreen.js,
// lifecycle.js, page.js, touch.js, gamepad.js): where the game is in its
// life, and the few functions one script offers the others. Each script
// keeps everything else to itself, inside its own function: the runtime's
// script defines globals of its own (run, exit, abort and more). Sealed, so
// that every field is one written here.
'use strict';
const tz = Object.seal({
  // The runtime's script has loaded and the runtime is ready to start (lifecycle.js).
  loaded: false,
  // The player asked for the game: a click, tap, key or gamepad button on the cover (lifecycle.js).
  wanted: false,
  // The game was started: main was called (lifecycle.js).
  started: false,
  // The game ended or failed: nothing reaches the runtime any more (lifecycle.js).
  ended: false,
  // Whether the runtime runs: started and not yet ended or failed.
  get running() { return this.started && !this.ended; },

  // What this browser or host lacks for the game's threads, as a list (page.js).
  missingFeatures: null,
  // Registers the page's service worker, which isolates the page, and loads
  // the page again under it: false when it cannot help (page.js).
  isolateThroughServiceWorker: null,
  // Scales and places the canvas in its room (page.js).
  fitCanvas: null,
  // Asks the browser to run the game's sound again, and rests it once silent (lifecycle.js).
  resumeAudio: null,
  // Starts handing the keyboard's keys to the runtime (keys.js).
  listenToKeys: null,
  // Releases every key held, as a window that loses the focus does (keys.js).
  releaseKeys: null,
  // Presses (true) or releases (false) the key a control stands for, named as
  // the keyboard's key would be: code and key as in a KeyboardEvent (keys.js).
  pressButton: null,
  // Starts following the canvas's size and the runtime's full screen (fullscreen.js).
  watchCanvas: null,
});
