// The browser's full screen follows the runtime's, but only when the
// runtime's changes (S or Alt+Enter): the switch sets a new video mode,
// which resizes the canvas (and the port's SDL then clears the canvas's
// style, so the observer sees that too). Leaving the browser's full screen
// by its own means (Esc, F11, its control) is told to the runtime, which
// returns to its window as after Alt+Enter. Where the screen has no room for
// the doubled picture (a phone) the runtime keeps its window's picture, and
// the whole page goes full screen, touch controls and all: the stage shows
// the picture at the largest whole scale it now has room for.
(() => {
'use strict';

const canvas = document.getElementById('canvas');
let runtimeFullscreen = false;

function followFullscreen() {
  const state = Module._web_fullscreen_state();
  const wanted = state !== 0;
  if (wanted === runtimeFullscreen) return;
  runtimeFullscreen = wanted;
  const shown = state === 2 ? document.documentElement : document.getElementById('stage');
  // A refusal (no gesture, a frame that forbids it) is a way out as well.
  const refused = () => tz.running && Module._web_fullscreen_left();
  if (wanted && !document.fullscreenElement) (shown.requestFullscreen ? shown.requestFullscreen() : Promise.reject()).catch(refused);
  if (!wanted && document.fullscreenElement) document.exitFullscreen().catch(() => {});
}

function fullscreenChanged() {
  tz.fitCanvas();
  if (!document.fullscreenElement && runtimeFullscreen && tz.running) Module._web_fullscreen_left();
}

tz.watchCanvas = () => {
  new MutationObserver(() => {
    tz.fitCanvas();
    followFullscreen();
  }).observe(canvas, { attributes: true, attributeFilter: ['width', 'height', 'style'] });
  addEventListener('resize', tz.fitCanvas);
  document.addEventListener('fullscreenchange', fullscreenChanged);
};
})();
