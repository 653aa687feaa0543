// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the whole site for use offline: every file is cached when the worker installs (the list
// and the version are written in by the build), and every request of this origin is answered from
// the cache first, so that the site opens at the hall with no network. The files are fetched past
// the browser's HTTP cache, which would otherwise hand a new version the old one's files; the old
// version's cache goes once the new one is active, and the pages it served are asked to reload.
const VERSION = '@VERSION@';
const FILES = /** @type {string[]} */ (JSON.parse('@FILES@'));

const sw = /** @type {any} */ (self);

sw.addEventListener('install', (/** @type {any} */ event) => {
  event.waitUntil(caches.open(VERSION)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => sw.skipWaiting()));
});

sw.addEventListener('activate', (/** @type {any} */ event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k !== VERSION).map((k) => caches.delete(k))))
    .then(() => sw.clients.claim()));
});

sw.addEventListener('fetch', (/** @type {any} */ event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== location.origin) return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then((hit) => hit ?? fetch(event.request)));
});
