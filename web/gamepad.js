// Gamepads at the cover. Browsers reveal a gamepad to a page only after one
// of its buttons is pressed, and the runtime looks for controllers once, at
// the game's first STICK or STRIG (the menu's first pass): so a gamepad
// button on the cover starts the game as a click or a key does, and the
// gamepad is known before the runtime looks. The game then reads it through
// the port's SDL joystick (the Gamepad API).
(() => {
'use strict';

const cover = document.getElementById('cover');

// The cover's own start, as a click on it; the page keeps waiting while it
// checks what the browser can do (the cover is hidden then).
function startByGamepad() {
  if (cover.hidden || window.Module.wanted) return false;
  cover.click();
  // A gamepad button is no user gesture, after which alone browsers let
  // sound start: until the first tap, click or key resumes the audio
  // (page.js), the game plays silent by the page's clock.
  return true;
}

addEventListener('gamepadconnected', startByGamepad);

// A gamepad the page knew before the cover showed (revealed earlier, or
// before a reload) sends no new event: its buttons are looked at instead.
function watch() {
  if (window.Module.wanted || !document.getElementById('missing').hidden) return;
  const pads = navigator.getGamepads ? Array.from(navigator.getGamepads()) : [];
  if (pads.some((pad) => pad && pad.buttons.some((button) => button.pressed)) && startByGamepad()) return;
  requestAnimationFrame(watch);
}
requestAnimationFrame(watch);
})();
