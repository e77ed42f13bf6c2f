// The page around the game: whether the browser can run it (cross-origin
// isolation, through the page's own service worker where the host cannot
// give it), and where the canvas stands. The rest is keys.js,
// fullscreen.js and lifecycle.js, which share state.js.
(() => {
'use strict';

const canvas = document.getElementById('canvas');

// What this browser or this host lacks for the game's threads.
tz.missingFeatures = () => {
  const missing = [];
  if (typeof WebAssembly !== 'object') missing.push('WebAssembly');
  if (typeof SharedArrayBuffer !== 'function') missing.push('SharedArrayBuffer (WebAssembly threads)');
  if (!window.crossOriginIsolated) {
    missing.push('cross-origin isolation: the host must send "Cross-Origin-Opener-Policy: same-origin" and ' +
                 '"Cross-Origin-Embedder-Policy: require-corp" with the page, or allow the service worker ' +
                 '(service_worker.js) that adds them');
  }
  return missing;
};

// A host that cannot send the two headers: the page's own service worker
// adds them to every response, and the page is loaded once more under it.
// A hard reload bypasses the worker: the page is then loaded once more, so
// two tries in a row, not one, tell that the worker cannot help.
tz.isolateThroughServiceWorker = async () => {
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
};

// --scale auto in a browser: the largest whole repetition of the emulated
// screen that fits the stage (the window less any touch controls, or the
// screen, in the stage's full screen), counted in device pixels, so that every game
// pixel is a whole number of device pixels at any zoom; placed on a whole
// device pixel; never smoothed. A picture larger than the room (the
// screen-sized canvas while the browser leaves full screen) is shrunk to fit
// for that moment.
tz.fitCanvas = () => {
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
};
})();
