// SPDX-License-Identifier: GPL-3.0-or-later
// 設定別の統計: the batch's table for the chosen settings and runs, played in Web Workers (one
// single-threaded module each, as many as the device has cores), each a block of runs that it
// plays a step at a time and keeps as one partial, and the blocks merged exactly as `tobiuo-sim
// merge` merges them: the same figures as `tobiuo-sim batch` for the same options and seed, and
// the bands of 差枚数 (its `--bands` file) drawn for a chosen setting. Progress counts runs, as the
// window does; 中止 ends the Workers. The options are read by the module (`batch --dry-run`), never
// by the page.
import { ModuleWorker, bytesOf, cli, refusal } from './engine.js';
import { label, labelSize, rateChoice } from './run.js';

/**
 * @param {string} id
 * @returns {HTMLInputElement}
 */
function input(id) {
  return /** @type {HTMLInputElement} */ (document.getElementById(id));
}

/**
 * The bands of one setting (the `--bands` CSV: setting,row,game,p5,p25,p50,p75,p95) as the
 * ranges that 90% and half of the runs fall in, and their median.
 * @param {SVGSVGElement} svg
 * @param {string} csv
 * @param {string} setting
 */
function drawBands(svg, csv, setting) {
  const rows = csv.trim().split(/\r?\n/).slice(1).map((l) => l.split(',').map(Number))
    .filter((r) => String(r[0]) === setting);
  const all = rows.flatMap((r) => r.slice(3));
  const low = Math.min(0, ...all), high = Math.max(0, ...all);
  const last = rows.length ? rows[rows.length - 1][2] : 1;
  const size = labelSize(svg);
  const left = Math.max(50, 3.6 * size);
  const x = (/** @type {number} */ game) => left + ((580 - left) * game) / Math.max(1, last);
  const y = (/** @type {number} */ v) => 230 - (210 * (v - low)) / Math.max(1, high - low);
  const ns = 'http://www.w3.org/2000/svg';
  /** @param {number} a @param {number} b @param {string} cls */
  const area = (a, b, cls) => {
    const path = document.createElementNS(ns, 'polygon');
    const top = rows.map((r) => `${x(r[2])},${y(r[b])}`);
    const bottom = rows.map((r) => `${x(r[2])},${y(r[a])}`).reverse();
    path.setAttribute('points', [...top, ...bottom].join(' '));
    path.setAttribute('class', cls);
    return path;
  };
  const median = document.createElementNS(ns, 'polyline');
  median.setAttribute('points', rows.map((r) => `${x(r[2])},${y(r[5])}`).join(' '));
  median.setAttribute('class', 'line');
  const labels = [high, 0, low].map((v) => label(left - 4, y(v), size, String(v)));
  svg.replaceChildren(area(3, 7, 'band90'), area(4, 6, 'band50'), median, ...labels);
  /** @type {HTMLElement} */ (document.getElementById('stats-bands-legend')).textContent =
    `設定${setting}: 濃い帯に半分、薄い帯に90%のプレイ、線は中央値（${last}Pまで）`;
}

/**
 * Seconds as the window shows them, m:ss.
 * @param {number} seconds
 * @returns {string}
 */
function clock(seconds) {
  const s = Math.round(seconds);
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

/** The columns a player reads first, by the figures' keys; the others show with すべての列. */
const FIRST_COLUMNS = new Set(['setting', 'payout_ratio', 'balance_win_rate', 'balance_yen_mean']);

/** Games one step of a Worker plays, so that progress moves about every half second. */
const GAMES_PER_STEP = 2e7;

export function startStats() {
  const settings = /** @type {HTMLElement} */ (document.querySelector('#view-stats fieldset.settings'));
  for (let s = 1; s <= 6; ++s) {
    const label = document.createElement('label');
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.value = String(s);
    box.checked = true;
    box.className = 'stats-setting';
    label.append(box, ` ${s}`);
    settings.append(label);
  }
  const rate = rateChoice('stats-rate');
  const button = /** @type {HTMLButtonElement} */ (document.getElementById('stats-button'));
  const progress = /** @type {HTMLProgressElement} */ (document.getElementById('stats-progress'));
  const progressText = /** @type {HTMLElement} */ (document.getElementById('stats-progress-text'));
  const message = /** @type {HTMLElement} */ (document.getElementById('stats-message'));
  const info = /** @type {HTMLElement} */ (document.getElementById('stats-info'));
  const table = /** @type {HTMLTableElement} */ (document.getElementById('stats-table'));
  const allColumns = input('stats-all-columns');
  allColumns.addEventListener('change', () => table.classList.toggle('all', allColumns.checked));
  /** @type {ModuleWorker[]} */
  let workers = [];
  /** 'idle', 'playing' (中止 stops), or 'merging' (the button waits: the batch is done) */
  let phase = 'idle';

  function stop() {
    for (const w of workers) w.terminate();
    workers = [];
    phase = 'idle';
    button.textContent = '実行';
    button.disabled = false;
  }

  /**
   * The batch's options as typed, for the module to read.
   * @returns {string[]}
   */
  function options() {
    const chosen = [...document.querySelectorAll('input.stats-setting')]
      .filter((b) => /** @type {HTMLInputElement} */ (b).checked)
      .map((b) => /** @type {HTMLInputElement} */ (b).value);
    const args = ['--games', input('stats-games').value, '--rate', rate(), '--stock', input('stats-stock').value,
      '--settings', chosen.join(','), '--threads', '1'];
    if (input('stats-setting-changed').checked) args.push('--setting-changed');
    if (input('stats-seed').value.trim() !== '') args.push('--seed', input('stats-seed').value);
    return args;
  }

  button.addEventListener('click', async () => {
    if (phase === 'merging') return;
    if (phase === 'playing') {
      stop();
      message.textContent = '中止しました';
      return;
    }
    const typed = options();
    const check = await cli(['batch', '--runs', input('stats-runs').value, ...typed, '--dry-run']);
    if (check.status !== 0) {
      message.textContent = refusal(check).message;
      return;
    }
    /** @type {{runs: number, settings: number[], games: number, seed: number}} */
    const plan = JSON.parse(check.out);
    // the seed the module chose when none was typed, so that every Worker plays the same batch
    const batch = [...typed.filter((_, i) => typed[i] !== '--seed' && typed[i - 1] !== '--seed'),
      '--seed', String(plan.seed), '--batch-runs', String(plan.runs)];
    message.textContent = '';
    info.textContent = '';
    table.replaceChildren();
    for (const id of ['stats-band-choice', 'stats-bands', 'stats-more', 'stats-bands-legend']) {
      /** @type {HTMLElement} */ (document.getElementById(id)).hidden = true;
    }
    const count = Math.max(1, Math.min(navigator.hardwareConcurrency || 2, 16, plan.runs));
    const perRun = plan.games * plan.settings.length;
    const total = plan.runs * plan.settings.length;
    progress.max = total;
    progress.value = 0;
    progress.hidden = false;
    progressText.textContent = `0 / ${total} 回`;
    phase = 'playing';
    button.textContent = '中止';
    const started = performance.now();
    workers = Array.from({ length: count }, () => new ModuleWorker());
    const done = new Array(count).fill(0);
    const blocks = workers.map((worker, w) => {
      const first = Math.floor((plan.runs * w) / count);
      const runs = Math.floor((plan.runs * (w + 1)) / count) - first;
      const step = Math.max(1, Math.min(Math.ceil(runs / 8), Math.floor(GAMES_PER_STEP / perRun)));
      return worker.block(batch, first, runs, step, (runsDone) => {
        done[w] = runsDone * plan.settings.length;
        const sum = done.reduce((a, b) => a + b, 0);
        const elapsed = (performance.now() - started) / 1000;
        progress.value = sum;
        progressText.textContent = `${sum} / ${total} 回・残り ${clock((elapsed * (total - sum)) / sum)}`;
      });
    });
    const mine = workers;
    const results = await Promise.all(blocks);
    if (workers !== mine) return;  // stopped meanwhile
    const refused = results.find((r) => r.status !== 0);
    if (refused) {
      stop();
      message.textContent = refusal(refused).message;
      return;
    }
    const seconds = (performance.now() - started) / 1000;
    // The merge in one of the batch's own Workers: the same build as the partials it reads.
    phase = 'merging';
    button.disabled = true;
    button.textContent = '集計中…';
    /** @type {Record<string, string>} */
    const partials = {};
    results.forEach((r, i) => { partials[`block${i}.json`] = r.out; });
    const merger = workers[0];
    const one = await merger.cli(['merge', '--format', 'partial', ...Object.keys(partials)], partials);
    const json = one.status === 0
      ? await merger.cli(['merge', '--format', 'json', '--bands', 'bands.csv', 'all.json'], { 'all.json': one.out }) : one;
    const csv = json.status === 0 ? await merger.cli(['merge', '--format', 'csv', 'all.json'], { 'all.json': one.out }) : json;
    if (workers !== mine) return;
    stop();
    if (csv.status !== 0) {
      message.textContent = '結果をまとめられませんでした。ページを再読み込みしてからもう一度実行してください';
      return;
    }
    /** @type {{columns: {key: string, title: string, meaning: string}[], rows: string[][]}} */
    const shown = JSON.parse(json.out).table;
    /**
     * @param {string[]} cells
     * @param {'th' | 'td'} tag
     */
    const row = (cells, tag) => {
      const tr = document.createElement('tr');
      tr.append(...cells.map((cell, c) => {
        const td = document.createElement(tag);
        td.textContent = cell;
        if (tag === 'th') td.title = shown.columns[c].meaning;
        if (!FIRST_COLUMNS.has(shown.columns[c].key)) td.className = 'more';
        return td;
      }));
      return tr;
    };
    table.replaceChildren(row(shown.columns.map((c) => c.title), 'th'), ...shown.rows.map((r) => row(r, 'td')));
    /** @type {HTMLElement} */ (document.getElementById('stats-more')).hidden = false;
    const bands = new TextDecoder().decode(bytesOf(json.files['bands.csv'] ?? ''));
    const choice = /** @type {HTMLSelectElement} */ (document.getElementById('stats-band-setting'));
    const svg = /** @type {SVGSVGElement} */ (/** @type {unknown} */ (document.getElementById('stats-bands')));
    choice.replaceChildren(...plan.settings.map((s) => new Option(`設定${s}`, String(s))));
    choice.onchange = () => drawBands(svg, bands, choice.value);
    /** @type {HTMLElement} */ (document.getElementById('stats-bands-legend')).hidden = false;
    svg.removeAttribute('hidden');  // first: the labels' size follows the width drawn
    /** @type {HTMLElement} */ (document.getElementById('stats-band-choice')).hidden = false;
    drawBands(svg, bands, choice.value);
    table.dataset.csv = csv.out;
    table.dataset.seed = String(plan.seed);
    progressText.textContent = `${total} / ${total} 回`;
    info.textContent = `シード ${plan.seed}・毎秒${Math.round(plan.runs * perRun / seconds / 1e4)}万ゲーム`;
  });
}
