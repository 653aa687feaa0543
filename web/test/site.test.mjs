// SPDX-License-Identifier: GPL-3.0-or-later
// The site in Debian's Chromium, against the command-line tool: the same estimate, the same
// report bytes, the same batch table; a reload and an offline reload keep the judgement; no
// horizontal scroll on a 360 px phone; no request leaves the site's origin. Screenshots of each
// view go to build-web-test/screenshots/ (kept by CI).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { bars, launch, phone, retype, root, serve, shots, site, tobiuoSim } from './harness.mjs';

/** @type {import('puppeteer-core').Browser} */
let browser;
/** @type {{origin: string, close: () => void}} */
let server;
let origin = '';
/** @type {string[]} */
const requested = [];

async function page(width = 390, height = 844) {
  const p = await phone(browser, width, height);
  p.on('request', (r) => requested.push(r.url()));
  return p;
}

before(async () => {
  server = await serve({ current: site });
  origin = server.origin;
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.close();
});

test('the estimate is the command line\'s, and a reload keeps the history', async () => {
  const csv = readFileSync(join(root, 'tests/golden/history_setting6.csv'), 'utf8');
  const history = csv.trim().split('\n').slice(1).map((l) => l.replaceAll(',', ':')).join(',');
  const p = await page();
  await p.goto(`${origin}/#estimate?games=6000&pure_misses=24&stock=20&setting_changed=0&history=${history}`);
  const cli = JSON.parse(tobiuoSim(['estimate', '--games', '6000', '--history', join(root, 'tests/golden/history_setting6.csv'),
    '--pure-miss', '24', '--format', 'json']));
  assert.deepEqual(await bars(p), cli.posterior.map((/** @type {{probability: number}} */ s) => s.probability));

  // One bonus added by taps, oldest first: its ハマり on the keypad, REG, and the trigger that adds it.
  await p.select('#history-order', 'oldest');
  await p.click('#hamari');
  await p.keyboard.type('12');
  await p.click('button[data-bonus="REG"]');
  const tapped = performance.now();
  await p.click('button[data-trigger="cherry"]');
  await p.waitForFunction(() => document.querySelectorAll('#history li').length === 62);
  await p.waitForFunction(() => document.getElementById('bars')?.dataset.state?.endsWith('5990:REG:cherry'));
  const tapMs = performance.now() - tapped;
  const afterTap = await bars(p);
  await p.reload();
  await p.waitForFunction(() => document.querySelectorAll('#history li').length === 62);
  assert.deepEqual(await bars(p), afterTap);
  // a closed tab: the page opened again with no address keeps it too
  const again = await page();
  await again.goto(`${origin}/`);
  await again.waitForFunction(() => document.querySelectorAll('#history li').length === 62);
  await p.screenshot({ path: join(shots, 'estimate.png'), fullPage: true });
  console.log(`# tap to updated bars: ${tapMs.toFixed(0)} ms`);
  await again.close();
  await p.close();
});

test('a run\'s report downloads as the bytes tobiuo-sim writes', async () => {
  const p = await page();
  await p.goto(`${origin}/#run`);
  await p.select('#run-setting', '4');
  await retype(p, '#run-games', '2050');
  await p.type('#run-seed', '8');
  await p.click('#run-button');
  await p.waitForSelector('#run-save:not([hidden])');
  assert.equal(await p.$eval('#run-seed-shown', (e) => e.textContent), 'シード 8');
  const downloads = mkdtempSync(join(tmpdir(), 'tobiuo-download-'));
  const session = await p.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await p.click('#run-save');
  const file = join(downloads, 'tobiuodata.txt');
  for (let i = 0; i < 100 && !existsSync(file); ++i) await new Promise((r) => setTimeout(r, 50));
  const expected = join(downloads, 'cli.txt');
  tobiuoSim(['run', '--seed', '8', '--setting', '4', '--games', '2050', '--report', expected]);
  assert.deepEqual(readFileSync(file), readFileSync(expected));
  // what the page draws is the run's JSON: its log and all its pure misses, as the window shows them
  const played = JSON.parse(tobiuoSim(['run', '--seed', '8', '--setting', '4', '--games', '2050', '--format', 'json']));
  assert.equal(await p.$eval('#run-log', (e) => e.textContent), [played.title, ...played.log].join('\n'));
  assert.equal(await p.$eval('#run-pure-misses', (e) => e.textContent), `純ハズレ（解除しなかったものも含む） ${played.pure_misses}回`);
  // a refusal is the command's, in Japanese, and names nothing else
  await retype(p, '#run-stock', '256');
  await p.click('#run-button');
  await p.waitForFunction(() => document.getElementById('run-message')?.textContent !== '');
  assert.match(await p.$eval('#run-message', (e) => e.textContent ?? ''), /^初期ストック数は/);
  await p.screenshot({ path: join(shots, 'run.png'), fullPage: true });
  await p.close();
});

test('the batch played in Workers is tobiuo-sim batch\'s table', async () => {
  const p = await page(1280, 900);
  await p.goto(`${origin}/#stats`);
  for (const [id, value] of [['#stats-runs', '40'], ['#stats-games', '750'], ['#stats-seed', '2026']]) {
    await retype(p, id, value);
  }
  for (const s of ['1', '3', '4', '6']) await p.click(`input.stats-setting[value="${s}"]`);
  await p.click('#stats-button');
  await p.waitForFunction(() => document.getElementById('stats-table')?.dataset.csv || document.getElementById('stats-message')?.textContent, { timeout: 60000 });
  assert.equal(await p.$eval('#stats-message', (e) => e.textContent), '');
  assert.match(await p.$eval('#stats-info', (e) => e.textContent ?? ''), /^シード 2026・/);
  const csv = await p.$eval('#stats-table', (e) => /** @type {HTMLElement} */ (e).dataset.csv);
  assert.equal(csv, tobiuoSim(['batch', '--runs', '40', '--games', '750', '--seed', '2026', '--settings', '2,5',
    '--format', 'csv']));
  // the bands drawn are the merged --bands file's: the median line has a point per chart row
  const rows = readFileSync(join(root, 'tests/golden/merge_bands_750.csv'), 'utf8').trim().split('\n')
    .filter((l) => l.startsWith('2,')).length;
  assert.equal(await p.$eval('#stats-bands polyline', (e) => e.getAttribute('points')?.split(' ').length), rows);
  await p.screenshot({ path: join(shots, 'stats.png'), fullPage: true });

  console.log(`# web batch: ${await p.$eval('#stats-info', (e) => e.textContent)}`);
  await p.close();
});

test('what playing on is worth is the command line\'s, from a Worker, and fits a 360 px phone', async () => {
  const history = [[300, 'BIG', 'unknown'], [420, 'REG', 'cherry'], [900, 'BIG', 'pure_miss'], [1700, 'REG', 'none'],
    [2500, 'BIG', 'none']];
  const p = await page(360, 740);
  await p.goto(`${origin}/#estimate?games=3000&watched_from=350&stock=20&setting_changed=0&history=${
    history.map((r) => r.join(':')).join(',')}`);
  await p.waitForSelector('#value-table tbody tr');
  await retype(p, '#value-coins', '120');
  await retype(p, '#value-games-left', '1500');
  const typed = performance.now();
  await p.waitForFunction(() => document.getElementById('value')?.dataset.asked?.includes('--games-left 1500') &&
    !document.getElementById('value')?.classList.contains('working'));
  console.log(`# value, 1500 games left, 1000 draws: ${Math.round(performance.now() - typed)} ms after the last key`);
  const shown = await p.$$eval('#value-table tbody tr', (rows) => rows.map((r) => [
    Number(/** @type {HTMLElement} */ (r).dataset.evCoins), Number(/** @type {HTMLElement} */ (r).dataset.evYen),
    r.className === 'best']));
  const dir = mkdtempSync(join(tmpdir(), 'tobiuo-value-'));
  const file = join(dir, 'h.csv');
  writeFileSync(file, `game,bonus,trigger\n${history.map((r) => r.join(',')).join('\n')}\n`);
  const cli = JSON.parse(tobiuoSim(['value', '--games', '3000', '--watched-from', '350', '--history', file,
    '--stock', '20', '--rate', '5', '--coins', '120', '--games-left', '1500', '--seed', '1', '--threads', '1',
    '--format', 'json']));
  rmSync(dir, { recursive: true, force: true });
  assert.deepEqual(shown, cli.rules.map((/** @type {{ev_coins: number, ev_yen: number, best: boolean}} */ r) =>
    [r.ev_coins, r.ev_yen, r.best]));
  assert.match(await p.$eval('#value-hidden', (e) => e.textContent ?? ''), /天国中の確率 \d+\.\d%/);
  const [scroll, client] = await p.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
  assert.ok(scroll <= client, `${scroll} px wide in a ${client} px window`);
  await (await p.$('#value'))?.screenshot({ path: join(shots, 'phone-value.png') });
  // the benchmark's case: a 3000-game history, 5000 games left, the default rules and draws
  await retype(p, '#value-games-left', '5000');
  const asked = performance.now();
  await p.waitForFunction(() => document.getElementById('value')?.dataset.asked?.includes('--games-left 5000') &&
    !document.getElementById('value')?.classList.contains('working'), { timeout: 60000 });
  console.log(`# value, 3000 games seen, 5000 left: ${Math.round(performance.now() - asked)} ms after the key ` +
    '(250 of them waiting for more keys)');
  // a refused input is said in the section, with no table
  await retype(p, '#value-coins', '-3');
  await p.waitForFunction(() => document.getElementById('value-coins')?.getAttribute('aria-invalid') === 'true');
  assert.match(await p.$eval('#value-message', (e) => e.textContent ?? ''), /持ちコイン/);
  assert.equal(await p.$$eval('#value-table tbody tr', (rows) => rows.length), 0);
  await p.close();
});

test('the site reloads offline and fits a 360 px phone', async () => {
  const p = await page(360, 740);
  await p.goto(`${origin}/#estimate?games=3000&stock=unknown&setting_changed=unknown&history=300:BIG:none,420:REG:cherry`);
  await p.evaluate(() => navigator.serviceWorker.ready);
  await p.reload();  // now under the service worker
  await bars(p);
  for (const view of ['estimate', 'run', 'stats']) {
    await p.evaluate((v) => { location.hash = v; }, view);
    await p.waitForFunction((v) => !document.getElementById(`view-${v}`)?.hidden, {}, view);
    const [scroll, client] = await p.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
    assert.ok(scroll <= client, `${view}: ${scroll} px wide in a ${client} px window`);
    await p.screenshot({ path: join(shots, `phone-${view}.png`), fullPage: true });
  }
  await p.setOfflineMode(true);
  await p.goto(`${origin}/#estimate?games=3000&stock=unknown&setting_changed=unknown&history=300:BIG:none,420:REG:cherry`);
  assert.equal((await bars(p)).length, 6);
  await p.close();
});

test('nothing is requested outside the site\'s origin', () => {
  const outside = requested.filter((url) => !url.startsWith(origin) && !url.startsWith('data:') && !url.startsWith('blob:'));
  assert.deepEqual(outside, []);
  assert.ok(requested.length > 0);
  const bytes = readdirSync(site).filter((f) => !f.endsWith('.gz'))
    .reduce((sum, f) => sum + (statSync(join(site, f)).isFile() ? statSync(join(site, f)).size : 0), 0);
  console.log(`# first load: ${bytes} bytes uncompressed (top folder)`);
});
