// Keys to the runtime: every key event as the browser reports it (the key's
// position, what the layout makes of it, the modifiers and locks), which the
// runtime translates to the keys the desktop reports
// (runtime/input/browser_keys.cpp). The port's own SDL never sees a key.
(() => {
'use strict';

// AltGr on Windows (Ctrl and Alt held) and Option on macOS type characters:
// the runtime tells them apart by the platform.
const optionTypes = /Mac|iPhone|iPad/.test(navigator.platform);

// The event's modifier state, as runtime/input/browser_keys.h counts its bits.
function stateOf(event) {
  const bits = [event.getModifierState('CapsLock'), event.getModifierState('NumLock'), event.ctrlKey, event.altKey,
                event.metaKey, event.getModifierState('AltGraph'), event.repeat, optionTypes];
  return bits.reduce((state, on, bit) => state | (on ? 1 << bit : 0), 0);
}

function onKey(event) {
  tz.resumeAudio();
  event.stopPropagation();
  if (!tz.running) return;
  const taken = Module.ccall('web_key_event', 'number', ['number', 'string', 'string', 'number'],
                             [event.type === 'keydown' ? 1 : 0, event.code, event.key, stateOf(event)]);
  if (taken) event.preventDefault();
}

tz.releaseKeys = () => {
  if (tz.running) Module._web_release_keys();
};

tz.pressButton = (down, code, key) => {
  if (tz.running) Module.ccall('web_button_event', null, ['number', 'string', 'string'], [down ? 1 : 0, code, key]);
};

tz.listenToKeys = () => {
  addEventListener('keydown', onKey, true);
  addEventListener('keyup', onKey, true);
  // Nor a typed character: it would cancel what the key does on the page
  // (Enter on "Play again").
  addEventListener('keypress', (event) => event.stopPropagation(), true);
};
})();
