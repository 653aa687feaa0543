// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests share: a static server for a copy of the site (whose folder can be
// swapped, and which may let the browser cache what it serves, as web.sh's own server does),
// Debian's Chromium with nothing reaching outside the test server, and the command-line tool the
// page is compared with.
import { execFileSync } from 'node:child_process';
import { createReadStream, existsSync, mkdirSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

export const root = resolve(import.meta.dirname, '../..');
export const site = join(root, 'build-web');
export const shots = join(root, 'build-web-test/screenshots');
const sim = resolve(root, process.env.TOBIUO_SIM ?? 'build-test/cli/tobiuo-sim');
const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

/**
 * @param {string[]} args
 * @returns {string}
 */
export function tobiuoSim(args) {
  return execFileSync(sim, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 });
}

/**
 * Serves `folder.current` at a loopback origin.
 * @param {{current: string}} folder
 * @param {{cacheSeconds?: number}} [options] lets the browser cache each file that long
 * @returns {Promise<{origin: string, close: () => void}>}
 */
export async function serve(folder, options = {}) {
  const server = createServer((req, res) => {
    const base = folder.current;
    const path = join(base, decodeURIComponent(new URL(req.url ?? '/', 'http://x').pathname));
    const file = existsSync(path) && statSync(path).isDirectory() ? join(path, 'index.html') : path;
    if (!file.startsWith(base) || !existsSync(file)) {
      res.writeHead(404).end();
      return;
    }
    /** @type {Record<string, string>} */
    const headers = { 'Content-Type': TYPES[/** @type {keyof TYPES} */ (extname(file))] ?? 'application/octet-stream' };
    if (options.cacheSeconds) headers['Cache-Control'] = `max-age=${options.cacheSeconds}`;
    res.writeHead(200, headers);
    createReadStream(file).pipe(res);
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', () => done(undefined)));
  const address = server.address();
  return {
    origin: `http://127.0.0.1:${typeof address === 'object' && address ? address.port : 0}`,
    close: () => server.close(),
  };
}

/** @returns {Promise<import('puppeteer-core').Browser>} */
export function launch() {
  assertSite();
  mkdirSync(shots, { recursive: true });
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run', '--disable-default-apps', '--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1'],
  });
}

function assertSite() {
  if (!existsSync(join(site, 'tobiuo.wasm'))) throw new Error('build the site first: ./web.sh --build-only');
}

/**
 * A page as a phone shows it: 360x740 with touch, unless told otherwise.
 * @param {import('puppeteer-core').Browser | import('puppeteer-core').BrowserContext} browser
 * @param {number} [width]
 * @param {number} [height]
 */
export async function phone(browser, width = 360, height = 740) {
  const p = await browser.newPage();
  await p.setViewport({ width, height, hasTouch: width < 800, isMobile: width < 800 });
  return p;
}

/**
 * The bars' probabilities, once drawn.
 * @param {import('puppeteer-core').Page} p
 * @returns {Promise<number[]>}
 */
export async function bars(p) {
  await p.waitForSelector('#bars .bar');
  return p.$$eval('#bars .bar', (all) => all.map((b) => Number(/** @type {HTMLElement} */ (b).dataset.probability)));
}

/**
 * Replaces a field's text by typing, key by key.
 * @param {import('puppeteer-core').Page} p
 * @param {string} selector
 * @param {string} text
 */
export async function retype(p, selector, text) {
  await p.$eval(selector, (e) => { /** @type {HTMLInputElement} */ (e).value = ''; });
  await p.type(selector, text);
}
