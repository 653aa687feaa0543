// SPDX-License-Identifier: GPL-3.0-or-later
// The site as a player meets it at the hall, on a 360x740 phone with touch and at the default
// inputs: the default batch, a new version arriving through the browser's HTTP cache, the history
// through views, the address, ×, ひとつ戻す and a refusal, the answer in view with the keypad open,
// what a screen reader names, touch targets, and input far longer than a machine shows.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { bars, launch, phone, retype, serve, shots, site, tobiuoSim } from './harness.mjs';

/** @type {import('puppeteer-core').Browser} */
let browser;
/** @type {{origin: string, close: () => void}} */
let server;

before(async () => {
  server = await serve({ current: site });
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.close();
});

/**
 * The rows of the history as the list shows them, with what each row is.
 * @param {import('puppeteer-core').Page} p
 * @returns {Promise<string>}
 */
function shownState(p) {
  return p.$eval('#bars', (e) => /** @type {HTMLElement} */ (e).dataset.state ?? '');
}

test('the default batch at 360x740 is tobiuo-sim batch, merged from 2, 8 or 16 Workers\' blocks', async () => {
  const p = await phone(browser);
  await p.goto(`${server.origin}/#stats`);
  await p.waitForSelector('#view-stats:not([hidden])');
  // nothing meant for results takes room before a batch
  assert.deepEqual(await p.$$eval('#view-stats [hidden]', (all) => all.filter((e) => e.getClientRects().length > 0).map((e) => e.id)), []);
  await retype(p, '#stats-seed', '77');
  await p.tap('#stats-button');
  // 中止 tapped as the runs end: the button waits while the blocks merge, and no second batch starts
  await p.waitForFunction(() => /** @type {HTMLButtonElement} */ (document.getElementById('stats-button')).disabled,
    { polling: 'mutation', timeout: 240000 });
  await p.$eval('#stats-button', (b) => b.dispatchEvent(new MouseEvent('click')));
  await p.waitForFunction(() => document.getElementById('stats-table')?.dataset.csv || document.getElementById('stats-message')?.textContent,
    { timeout: 240000 });
  await new Promise((done) => setTimeout(done, 1000));
  assert.equal(await p.$eval('#stats-button', (e) => e.textContent), '実行');
  assert.equal(await p.$eval('#stats-message', (e) => e.textContent), '');
  const expected = tobiuoSim(['batch', '--runs', '1000', '--games', '6000', '--seed', '77', '--format', 'csv']);
  assert.equal(await p.$eval('#stats-table', (e) => /** @type {HTMLElement} */ (e).dataset.csv), expected);
  assert.equal(await p.$eval('#stats-progress-text', (e) => e.textContent), '6000 / 6000 回');
  const info = await p.$eval('#stats-info', (e) => e.textContent ?? '');
  assert.match(info, /^シード 77・/);
  console.log(`# default batch (1000 runs x 6000 games x 6 settings) at 360x740: ${info}`);
  // the chart's labels read at the phone's size, not scaled down with the chart
  const labels = await p.$$eval('#stats-bands text', (all) => all.map((t) => t.getBoundingClientRect().height));
  assert.ok(labels.length === 3 && Math.min(...labels) >= 11, `label heights ${labels}`);
  await p.screenshot({ path: join(shots, 'hall-stats-batch-360.png'), fullPage: true });

  // The merge of the blocks that 2, 8 and 16 Workers play: megabytes of partials through the heap.
  for (const workers of [2, 8, 16]) {
    /** @type {Record<string, string>} */
    const partials = {};
    for (let w = 0; w < workers; ++w) {
      const first = Math.floor((1000 * w) / workers);
      const runs = Math.floor((1000 * (w + 1)) / workers) - first;
      partials[`block${w}.json`] = tobiuoSim(['batch', '--runs', String(runs), '--first-run', String(first), '--games', '6000',
        '--seed', '77', '--format', 'partial']);
    }
    const size = Object.values(partials).reduce((sum, text) => sum + text.length, 0);
    const merged = await p.evaluate(async (files, engine) => {
      const { cli } = await import(engine);  // the page's own module, in the page
      return cli(['merge', '--format', 'csv', ...Object.keys(files)], files);
    }, partials, './engine.js');
    assert.equal(merged.status, 0, merged.err);
    assert.equal(merged.out, expected, `${workers} blocks, ${size} characters`);
    console.log(`# merge of ${workers} blocks' partials: ${(size / 1e6).toFixed(2)} M characters`);
  }
  await p.close();
});

test('a new version replaces the cached one through the HTTP cache, and a page open across it finishes its batch', async () => {
  const dir = mkdtempSync(join(tmpdir(), 'tobiuo-update-'));
  const a = join(dir, 'a'), b = join(dir, 'b');
  cpSync(site, a, { recursive: true });
  cpSync(site, b, { recursive: true });
  // build B: another worker and another version name, as a new build has
  writeFileSync(join(b, 'worker.js'), `${readFileSync(join(b, 'worker.js'), 'utf8')}\n// build B\n`);
  writeFileSync(join(b, 'sw.js'), readFileSync(join(b, 'sw.js'), 'utf8').replace(/tobiuo-[0-9a-f]{16}/, 'tobiuo-buildb0000000000'));
  const folder = { current: a };
  const cached = await serve(folder, { cacheSeconds: 3600 });
  const context = await browser.createBrowserContext();
  try {
    const open = await phone(context);
    await open.goto(`${cached.origin}/#stats`);
    await open.evaluate(() => navigator.serviceWorker.ready);
    await open.reload();
    await open.waitForFunction(() => Boolean(navigator.serviceWorker.controller));

    folder.current = b;
    const fresh = await phone(context);
    await fresh.goto(`${cached.origin}/#estimate`);
    await fresh.reload();
    await fresh.reload();
    await fresh.waitForFunction(async () => (await caches.keys()).join() === 'tobiuo-buildb0000000000', { timeout: 30000 });
    const worker = await fresh.evaluate(async () => (await (await caches.match('worker.js'))?.text()) ?? '');
    assert.match(worker, /build B/);

    // the page left open asks to be reloaded, and its batch still ends with a table
    await open.bringToFront();  // a tab behind another draws no frames, and a tap waits for one
    await open.waitForSelector('#update:not([hidden])');
    await retype(open, '#stats-runs', '20');
    await retype(open, '#stats-games', '500');
    await open.tap('#stats-button');
    await open.waitForFunction(() => document.getElementById('stats-table')?.dataset.csv || document.getElementById('stats-message')?.textContent,
      { timeout: 60000 });
    assert.equal(await open.$eval('#stats-message', (e) => e.textContent), '');
  } finally {
    await context.close();
    cached.close();
    rmSync(dir, { recursive: true, force: true });
  }
});

test('the history keeps through views and the address; × then ひとつ戻す restores it; a refusal is in Japanese', async () => {
  const context = await browser.createBrowserContext();
  const p = await phone(context);
  const start = 'games=1100&stock=20&setting_changed=0&history=300:BIG:none,420:REG:cherry,700:BIG:pure_miss';
  await p.goto(`${server.origin}/#estimate?${start}`);
  const before = await bars(p);
  // to 1回のプレイ and back by the menu: the address holds the history again
  await p.tap('nav a[data-view="run"]');
  await p.waitForSelector('#view-run:not([hidden])');
  await p.tap('nav a[data-view="estimate"]');
  await p.waitForSelector('#view-estimate:not([hidden])');
  const address = await p.evaluate(() => location.hash);
  assert.match(address, /history=300:BIG:none,420:REG:cherry,700:BIG:pure_miss/);
  // the link opened by someone else, with their own saved state, shows this one
  const other = await phone(await browser.createBrowserContext());
  await other.goto(`${server.origin}/#estimate?games=300&history=`);
  await bars(other);
  await other.goto(`${server.origin}/${address}`);
  await other.waitForFunction(() => document.querySelectorAll('#history li').length === 3);
  assert.deepEqual(await bars(other), before);
  await other.browserContext().close();

  // × on the second bonus, then ひとつ戻す: the same three bonuses and bars
  const judged = await shownState(p);
  await p.tap('#history li[data-index="1"] button.remove');
  await p.waitForFunction(() => document.querySelectorAll('#history li').length === 2);
  await p.tap('#undo');
  await p.waitForFunction((s) => document.getElementById('bars')?.dataset.state === s, {}, judged);
  assert.deepEqual(await bars(p), before);

  // fewer pure misses than the bonuses a pure miss released: the field marked, then undone
  await p.type('#pure-misses', '0');
  await p.waitForFunction(() => document.getElementById('pure-misses')?.getAttribute('aria-invalid') === 'true');
  assert.match(await p.$eval('#estimate-message', (e) => e.textContent ?? ''), /^純ハズレ回数が/);
  await p.tap('#undo');
  await p.waitForFunction((s) => document.getElementById('bars')?.dataset.state === s, {}, judged);

  // a bonus past P数: said in Japanese, the row marked, the bars kept
  await p.select('#history-order', 'oldest');
  await retype(p, '#hamari', '466');
  await p.tap('button[data-trigger="none"]');
  await p.waitForFunction(() => document.getElementById('estimate-message')?.textContent !== '');
  const message = await p.$eval('#estimate-message', (e) => e.textContent ?? '');
  assert.match(message, /^4件目の解除（1166ゲーム目）: 解除のゲームは1～P数で入力してください$/);
  assert.equal(await p.$$eval('#history li.refused', (all) => all.map((e) => /** @type {HTMLElement} */ (e).dataset.index).join()), '3');
  assert.equal((await bars(p)).length, 6);
  assert.ok(await p.$eval('#bars', (e) => e.classList.contains('stale')));
  // what was refused is not kept: a page opened with no address shows the last state read
  const again = await phone(context);
  await again.goto(`${server.origin}/`);
  await again.waitForFunction(() => document.querySelectorAll('#history li').length === 3);
  await again.close();
  await p.screenshot({ path: join(shots, 'hall-refusal-360.png'), fullPage: true });
  await context.close();
});

test('at 360x420 with the keypad open the answer stays in view; names, targets and the first screen', async () => {
  const context = await browser.createBrowserContext();
  const p = await phone(context);
  await p.goto(`${server.origin}/`);
  // the first screen is an invitation, not an error
  await p.waitForFunction(() => document.getElementById('estimate-headline')?.textContent !== '');
  assert.equal(await p.$eval('#estimate-message', (e) => e.textContent), '');
  await p.screenshot({ path: join(shots, 'hall-first-360.png') });

  // counter order: P数, then each bonus's ハマり from the newest back
  await p.tap('#games');
  await p.type('#games', '1000');
  for (const [gap, kind, trigger] of [['150', 'REG', 'cherry'], ['400', 'BIG', 'none']]) {
    await p.tap('#hamari');
    await p.type('#hamari', gap);
    await p.tap(`button[data-bonus="${kind}"]`);
    await p.tap(`button[data-trigger="${trigger}"]`);
  }
  await p.waitForFunction(() => document.getElementById('bars')?.dataset.state?.endsWith('history=400:BIG:none,550:REG:cherry'));
  assert.match(await p.$eval('#history-counts', (e) => e.textContent ?? ''), /BIG 1回・REG 1回・最後のボーナスから 450G/);

  await p.setViewport({ width: 360, height: 420, hasTouch: true, isMobile: true });
  await p.tap('#hamari');
  await p.evaluate(() => document.getElementById('hamari')?.scrollIntoView({ block: 'end' }));
  const [answer, field] = await p.evaluate(() => ['answer', 'hamari'].map((id) => {
    const r = /** @type {HTMLElement} */ (document.getElementById(id)).getBoundingClientRect();
    return { top: r.top, bottom: r.bottom };
  }));
  assert.ok(answer.top >= 0 && answer.bottom <= field.top, `answer ${JSON.stringify(answer)}, field ${JSON.stringify(field)}`);
  assert.ok(field.bottom <= 420.5, `field ${JSON.stringify(field)}`);
  await p.screenshot({ path: join(shots, 'hall-keypad-360x420.png') });
  await p.setViewport({ width: 360, height: 740, hasTouch: true, isMobile: true });

  // what a screen reader announces
  /** @type {string[]} */
  const named = [];
  /** @param {import('puppeteer-core').SerializedAXNode | null} node */
  const walk = (node) => {
    if (!node) return;
    named.push(`${node.role}: ${node.name}`);
    for (const child of node.children ?? []) walk(child);
  };
  walk(await p.accessibility.snapshot());
  assert.ok(named.includes('textbox: 純ハズレ回数'), named.join('\n'));
  const shown = await p.$$eval('#bars .bar', (all) => all.map((b) => `image: 設定${/** @type {HTMLElement} */ (b).dataset.setting} ${b.lastChild?.textContent}`));
  for (const bar of shown) assert.ok(named.includes(bar), `${bar} in\n${named.join('\n')}`);

  // every target a thumb taps is at least 44 px each way, in every view
  for (const view of ['estimate', 'run', 'stats']) {
    await p.evaluate((v) => { /** @type {HTMLAnchorElement} */ (document.querySelector(`nav a[data-view="${v}"]`)).click(); }, view);
    await p.waitForSelector(`#view-${view}:not([hidden])`);
    const small = await p.$$eval('button, a, select, input:not([type="checkbox"]), summary, label:has(> input[type="checkbox"])', (all) =>
      all.filter((e) => e.getClientRects().length > 0)
        .map((e) => ({ e, r: e.getBoundingClientRect() }))
        .filter(({ r }) => r.height < 43.5 || r.width < 43.5)
        .map(({ e, r }) => `${e.tagName}#${e.id}.${e.className} ${r.width.toFixed(0)}x${r.height.toFixed(0)}`));
    assert.deepEqual(small, [], view);
    assert.deepEqual(await p.$$eval(`#view-${view} [hidden]`, (all) => all.filter((e) => e.getClientRects().length > 0).map((e) => e.id)), []);
    await p.screenshot({ path: join(shots, `hall-${view}-360.png`), fullPage: true });
  }
  await p.setViewport({ width: 1280, height: 800 });
  for (const view of ['estimate', 'run', 'stats']) {
    await p.evaluate((v) => { /** @type {HTMLAnchorElement} */ (document.querySelector(`nav a[data-view="${v}"]`)).click(); }, view);
    await p.waitForSelector(`#view-${view}:not([hidden])`);
    await p.screenshot({ path: join(shots, `hall-${view}-1280.png`), fullPage: true });
  }
  await context.close();
});

test('input far longer than a machine shows neither traps nor freezes the page', async () => {
  const context = await browser.createBrowserContext();
  const p = await phone(context);
  // 8000 releases, one a game: the longest history a machine can show, judged off the page's thread
  const longest = Array.from({ length: 8000 }, (_, i) => `${i + 1}:REG:unknown`).join(',');
  await p.goto(`${server.origin}/#estimate?games=8000&stock=unknown&history=${longest}`);
  await p.waitForFunction(() => document.querySelectorAll('#history li').length === 8000, { timeout: 60000 });
  const answered = await p.evaluate(() => new Promise((done) => {
    const asked = performance.now();
    setTimeout(() => done(performance.now() - asked), 0);
  }));
  assert.ok(/** @type {number} */ (answered) < 1000, `the page answered after ${answered} ms`);
  // longer than any machine: refused in Japanese, and nothing of it kept
  const tooLong = `${longest},8001:BIG:none`;
  await p.goto(`${server.origin}/#estimate?games=8000&history=${tooLong}`);
  await p.waitForFunction(() => document.getElementById('estimate-message')?.textContent?.includes('8000'));
  assert.ok(!(await p.evaluate(() => localStorage.getItem('tobiuo.estimate') ?? '')).includes('8001:BIG'));
  // a trigger of a hand-made address is never shown as an object, and is refused in Japanese
  await p.goto(`${server.origin}/#estimate?games=1000&history=300:BIG:__proto__`);
  await p.waitForSelector('#history li.refused');
  assert.doesNotMatch(await p.$eval('#history', (e) => e.textContent ?? ''), /object Object/);
  assert.match(await p.$eval('#estimate-message', (e) => e.textContent ?? ''), /1件目の解除: 契機 '__proto__' は/);
  await context.close();
});
