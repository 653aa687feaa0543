// SPDX-License-Identifier: GPL-3.0-or-later
// The site: three views behind the address's fragment (#estimate, #run, #stats), one at a time,
// and the service worker that keeps the site for use offline.
import { startEstimate } from './estimate.js';
import { startRun } from './run.js';
import { startStats } from './stats.js';

const views = ['estimate', 'run', 'stats'];

function show() {
  const name = location.hash.slice(1).split('?')[0];
  const view = views.includes(name) ? name : 'estimate';
  for (const v of views) {
    const section = document.getElementById(`view-${v}`);
    if (section) section.hidden = v !== view;
  }
  for (const link of document.querySelectorAll('nav a')) {
    link.classList.toggle('current', link.getAttribute('data-view') === view);
  }
}

window.addEventListener('hashchange', show);
show();
startEstimate();
startRun();
startStats();

// A new version took over while this page was open: its Workers already load the new files, so
// the page asks to be reloaded rather than mix the two.
if ('serviceWorker' in navigator) {
  const hadController = Boolean(navigator.serviceWorker.controller);
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (!hadController) return;  // the first install, not an update
    const notice = /** @type {HTMLElement} */ (document.getElementById('update'));
    notice.hidden = false;
  });
  document.getElementById('update-reload')?.addEventListener('click', () => location.reload());
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
