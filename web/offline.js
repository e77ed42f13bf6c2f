// Offline play and installing as an app: the page's service worker caches
// every file of the page (see service_worker.js). It is registered once the
// page has loaded, so that its own download of the files finds them in the
// browser's cache instead of competing with the page for them.
'use strict';
if ('serviceWorker' in navigator && window.isSecureContext) {
  addEventListener('load', () => {
    navigator.serviceWorker.register('service_worker.js', { scope: './' }).catch(() => {});
  });
}
