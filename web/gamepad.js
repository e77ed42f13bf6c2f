// Gamepads at the cover. Browsers reveal a gamepad to a page only after one
// of its buttons is pressed, and the runtime looks for controllers once, at
// the game's first STICK or STRIG (the menu's first pass): so a gamepad
// button on the cover starts the game as a click or a key does, and the
// gamepad is known before the runtime looks. The game then reads it through
// the port's SDL joystick (the Gamepad API).
(() => {
'use strict';

const cover = document.getElementById('cover');

// A standard gamepad's d-pad (buttons 12 up, 13 down, 14 left, 15 right) is
// how most players steer a maze: held, it puts the first stick at its
// extreme in that direction, so calibration, STICK and the hero's moves take
// it as the stick. The port's SDL reads every gamepad through this function.
const dpad = [[0, 14, 15], [1, 12, 13]];  // [axis, button towards -1, button towards +1]

function withDpad(pad) {
  if (!pad || pad.mapping !== 'standard' || pad.buttons.length < 16 || pad.axes.length < 2) return pad;
  const axes = Array.from(pad.axes);
  for (const [axis, less, more] of dpad) {
    const toward = (pad.buttons[more].pressed ? 1 : 0) - (pad.buttons[less].pressed ? 1 : 0);
    if (toward !== 0) axes[axis] = toward;
  }
  const { id, index, connected, mapping, timestamp, buttons } = pad;
  return { id, index, connected, mapping, timestamp, buttons, axes };
}

// The runtime looks for controllers once, at the game's first STICK or
// STRIG, and nothing else asks for the gamepads once the game runs unless
// that look found one. When it found none, the page stops listening for
// gamepads: one that comes later would not be played with, and listening
// keeps Chromium polling the gamepads 60 times a second. In Chromium every
// call starts that polling again and only the listener's removal ends it,
// so the removal waits a second past the look's last call. Shown again, a
// tab that once asked takes up the polling too: a listener added and
// removed at once ends it again.
let listening = true;
let stopTimer = 0;

function stopPolling() {
  listening = false;
  addEventListener('gamepadconnected', connected);
  removeEventListener('gamepadconnected', connected);
}

if (navigator.getGamepads) {
  const padsOfBrowser = navigator.getGamepads.bind(navigator);
  navigator.getGamepads = () => {
    const pads = Array.from(padsOfBrowser(), withDpad);
    if (tz.started && !pads.some((pad) => pad && pad.connected)) {
      clearTimeout(stopTimer);
      stopTimer = setTimeout(stopPolling, 1000);
    }
    return pads;
  };
}

document.addEventListener('visibilitychange', () => {
  if (!listening && !document.hidden) setTimeout(stopPolling, 0);
});

// The cover's own start, as a click on it; the page keeps waiting while it
// checks what the browser can do (the cover is hidden then).
function startByGamepad() {
  if (cover.hidden || tz.wanted) return false;
  cover.click();
  // A gamepad button is no user gesture, after which alone browsers let
  // sound start: until the first tap, click or key resumes the audio
  // (lifecycle.js), the game plays silent by the page's clock.
  return true;
}

// A gamepad the page knew before the cover showed (revealed earlier, or
// before a reload) sends no new event: its buttons are looked at, once a
// frame, but only while a gamepad is connected, so that a page without one
// asks the browser for no frames at all.
let watching = false;

const padsConnected = () => (navigator.getGamepads ? navigator.getGamepads() : []).some((pad) => pad && pad.connected);

function watch() {
  watching = false;
  if (tz.wanted || !document.getElementById('missing').hidden || !padsConnected()) return;
  if (navigator.getGamepads().some((pad) => pad && pad.buttons.some((button) => button.pressed)) && startByGamepad()) return;
  watching = true;
  requestAnimationFrame(watch);
}

function connected() {
  if (startByGamepad() || watching) return;
  watch();
}

addEventListener('gamepadconnected', connected);
if (padsConnected()) connected();
})();
