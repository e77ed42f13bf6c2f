// The page's service worker, for two things:
// - offline play: every file of the page is cached when the worker installs,
//   under a cache named after the version and the build, and answers whenever the network
//   fails. A new build is a new worker (the build writes its name below), so
//   the browser installs it in place of the old one, whose cache goes.
// - hosts that cannot send the two headers the game's threads need: they are
//   added to every response of the page's own origin, so that the page is
//   cross-origin isolated once it is loaded under the worker.
// The network comes first, so a page that can reach its host always gets the
// host's files; the cache is written only at install, so it always holds one
// build whole.
'use strict';

const BUILD = '@BUILD@';
const CACHE = 'tommy-zappo-@VERSION@-' + BUILD;
const FILES = ['./'].concat('@FILES@'.split(';'));

self.addEventListener('install', (event) => {
  // no-cache: the browser's own cache may save the download, but only after
  // the host confirmed the file is still the one it serves. A file the host
  // lacks costs only its offline copy: the worker must still install, as the
  // page waits for it on hosts without the headers.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => Promise.all(FILES.map((file) => cache.add(new Request(file, { cache: 'no-cache' })).catch(() => {}))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('tommy-zappo-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

function isolated(response) {
  if (response.status === 0) return response;
  const headers = new Headers(response.headers);
  headers.set('Cross-Origin-Opener-Policy', 'same-origin');
  headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
  headers.set('Cross-Origin-Resource-Policy', 'same-origin');
  return new Response(response.body, { status: response.status, statusText: response.statusText, headers });
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  // Other origins and other methods are the browser's business.
  if (new URL(request.url).origin !== self.location.origin || request.method !== 'GET') return;
  if (request.cache === 'only-if-cached' && request.mode !== 'same-origin') return;
  event.respondWith(fetch(request).catch(async (failure) => {
    const cached = await caches.match(request, { cacheName: CACHE, ignoreSearch: true });
    if (cached) return cached;
    throw failure;
  }).then(isolated));
});
