// Touch controls for phones and tablets, which have no keyboard: a button for
// every key the game and its runtime read, around the picture. A touch is a
// key press, and lifting the finger its release, handed to the runtime as a
// typed key is (window.tzKey), so the runtime's own key repeat runs while a
// button is held. They appear on a device whose main pointer is a finger, or
// at the first touch; a desktop with a mouse never sees them.
(() => {
'use strict';

// [name, SDL 1.2 key symbol, typed character, label]: the name is the
// button's accessible name and, with no label, what it shows.
const letter = (name) => [name, name.toLowerCase().charCodeAt(0), name.toLowerCase().charCodeAt(0)];
const pad = [
  ['Up', 273, 0, '\u25b2'], ['Left', 276, 0, '\u25c0'], ['Any key', 32, 32, 'any\nkey'], ['Right', 275, 0, '\u25b6'],
  ['Down', 274, 0, '\u25bc'],
];
const keys = [
  ...['A', 'B', 'C', 'D', 'E', 'F', 'S', 'T', 'Q', '1', '2', '3', '4', '5', '6', '7', '8', '9'].map(letter),
  ['Pause', 19, 0], ['Yes', 121, 121], ['No', 110, 110],
];

function button(parent, [name, sym, character, label]) {
  const control = document.createElement('button');
  control.type = 'button';
  control.textContent = label || name;
  if (label) control.setAttribute('aria-label', name);
  // Each finger on its own button: the release goes where the press went,
  // even when the finger slides off.
  const release = () => {
    if (!control.classList.contains('held')) return;
    control.classList.remove('held');
    tzKey(false, sym, 0);
  };
  control.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    control.setPointerCapture(event.pointerId);
    control.classList.add('held');
    tzKey(true, sym, character);
  });
  control.addEventListener('pointerup', release);
  control.addEventListener('pointercancel', release);
  control.addEventListener('lostpointercapture', release);
  // A screen reader's activation has no pointer: a press and a release.
  control.addEventListener('click', (event) => {
    if (event.detail !== 0) return;
    tzKey(true, sym, character);
    tzKey(false, sym, 0);
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
