// Touch controls for phones and tablets, which have no keyboard: a button for
// every key the game and its runtime read, around the picture. A touch is a
// key press, and lifting the finger its release, handed to the runtime named
// as the keyboard's key (tz.pressButton, keys.js), so the runtime's own key
// repeat runs while a button is held. They appear on a device whose main pointer is a finger, or
// at the first touch; a desktop with a mouse never sees them.
(() => {
'use strict';

// [name, the key's code and key as a US keyboard's KeyboardEvent has them,
// label]: the name is the button's accessible name and, with no label, what
// it shows.
const typing = (name) => [name, (/[0-9]/.test(name) ? 'Digit' : 'Key') + name, name.toLowerCase()];
const pad = [
  ['Up', 'ArrowUp', 'ArrowUp', '\u25b2'], ['Left', 'ArrowLeft', 'ArrowLeft', '\u25c0'],
  ['Any key', 'Space', ' ', 'any\nkey'], ['Right', 'ArrowRight', 'ArrowRight', '\u25b6'],
  ['Down', 'ArrowDown', 'ArrowDown', '\u25bc'],
];
const keys = [
  ...['A', 'B', 'C', 'D', 'E', 'F', 'S', 'T', 'Q', '1', '2', '3', '4', '5', '6', '7', '8', '9'].map(typing),
  ['Pause', 'Pause', 'Pause'], ['Yes', 'KeyY', 'y'], ['No', 'KeyN', 'n'],
];

function button(parent, [name, code, key, label]) {
  const control = document.createElement('button');
  control.type = 'button';
  control.textContent = label || name;
  if (label) control.setAttribute('aria-label', name);
  // Each finger on its own button: the release goes where the press went,
  // even when the finger slides off.
  const release = () => {
    if (!control.classList.contains('held')) return;
    control.classList.remove('held');
    tz.pressButton(false, code, key);
  };
  control.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    control.setPointerCapture(event.pointerId);
    control.classList.add('held');
    tz.pressButton(true, code, key);
  });
  control.addEventListener('pointerup', release);
  control.addEventListener('pointercancel', release);
  control.addEventListener('lostpointercapture', release);
  // A screen reader's activation has no pointer: a press and a release.
  control.addEventListener('click', (event) => {
    if (event.detail !== 0) return;
    tz.pressButton(true, code, key);
    tz.pressButton(false, code, key);
  });
  control.addEventListener('contextmenu', (event) => event.preventDefault());
  parent.appendChild(control);
}

const controls = document.getElementById('touch');

function show() {
  if (!controls.hidden) return;
  controls.hidden = false;
  document.body.classList.add('touch');
  // The picture's room shrinks to what the controls leave.
  dispatchEvent(new Event('resize'));
}

const padPart = controls.appendChild(document.createElement('div'));
padPart.id = 'pad';
pad.forEach((entry) => button(padPart, entry));
const keysPart = controls.appendChild(document.createElement('div'));
keysPart.id = 'keys';
keys.forEach((entry) => button(keysPart, entry));

if (matchMedia('(pointer: coarse)').matches) show();
addEventListener('touchstart', show, { capture: true, passive: true });
})();
