// SPDX-License-Identifier: GPL-3.0-or-later
// 設定別の統計: the batch's table for the chosen settings and runs, played in Web Workers (one
// single-threaded module each, as many as the device has cores), each shard a range of runs, and
// the shards merged exactly as `tobiuo-sim merge` merges them: the same figures as `tobiuo-sim
// batch` for the same options and seed, and the bands of 差枚数 (its `--bands` file) drawn for a
// chosen setting. Progress as shards finish; 中止 ends the Workers.
import { bytesOf, cli, refusal } from './engine.js';
import { rateChoice } from './run.js';

/**
 * @param {string} id
 * @returns {HTMLInputElement}
 */
function input(id) {
  return /** @type {HTMLInputElement} */ (document.getElementById(id));
}

/**
 * The rows of the batch's text table ("設定  機械割 ..." and a row per setting) as cells.
 * @param {string} text
 * @returns {string[][]}
 */
export function tableCells(text) {
  return text.split('\n').slice(1).filter((l) => l.trim() !== '').map((l) => l.trim().split(/\s+/));
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
  const x = (/** @type {number} */ game) => 50 + (530 * game) / Math.max(1, last);
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
  const labels = [high, 0, low].map((v) => {
    const t = document.createElementNS(ns, 'text');
    t.setAttribute('x', '46');
    t.setAttribute('y', String(y(v) + 4));
    t.setAttribute('text-anchor', 'end');
    t.textContent = String(v);
    return t;
  });
  const legend = document.createElementNS(ns, 'text');
  legend.setAttribute('x', '60');
  legend.setAttribute('y', '252');
  legend.textContent = `設定${setting}: 濃い帯に半分、薄い帯に90%のプレイ、線は中央値（${last}Pまで）`;
  svg.replaceChildren(area(3, 7, 'band90'), area(4, 6, 'band50'), median, ...labels, legend);
}

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
  const message = /** @type {HTMLElement} */ (document.getElementById('stats-message'));
  const info = /** @type {HTMLElement} */ (document.getElementById('stats-info'));
  const table = /** @type {HTMLTableElement} */ (document.getElementById('stats-table'));
  /** @type {Worker[]} */
  let workers = [];

  function stop() {
    for (const w of workers) w.terminate();
    workers = [];
    button.textContent = '実行';
  }

  button.addEventListener('click', async () => {
    if (workers.length) {
      stop();
      message.textContent = '中止しました';
      return;
    }
    const chosen = [...document.querySelectorAll('input.stats-setting')]
      .filter((b) => /** @type {HTMLInputElement} */ (b).checked)
      .map((b) => /** @type {HTMLInputElement} */ (b).value);
    const seed = input('stats-seed').value.trim() || String(crypto.getRandomValues(new Uint32Array(1))[0]);
    const options = ['--games', input('stats-games').value, '--rate', rate(),
      '--stock', input('stats-stock').value, '--settings', chosen.join(','), '--seed', seed, '--threads', '1'];
    if (input('stats-setting-changed').checked) options.push('--setting-changed');
    // The options are checked as the command checks them: the runs typed (a refusal comes before
    // any run is played), the rest with one run.
    const typed = input('stats-runs').value;
    const runs = Number(typed.normalize('NFKC').trim());
    const check = Number.isInteger(runs) && runs >= 1 && runs <= 1e8
      ? await cli(['batch', ...options, '--format', 'partial', '--runs', '1'])
      : await cli(['batch', '--runs', typed]);
    if (check.status !== 0) {
      message.textContent = refusal(check.err).message;
      return;
    }
    message.textContent = '';
    info.textContent = '';
    table.replaceChildren();
    const count = Math.max(1, Math.min(navigator.hardwareConcurrency || 2, 16));
    const size = Math.max(1, Math.ceil(runs / (count * 8)));
    /** @type {{first: number, runs: number}[]} */
    const shards = [];
    for (let first = 0; first < runs; first += size) shards.push({ first, runs: Math.min(size, runs - first) });
    progress.max = shards.length;
    progress.value = 0;
    button.textContent = '中止';
    /** @type {Record<string, string>} */
    const partials = {};
    let next = 0;
    const started = performance.now();
    workers = Array.from({ length: Math.min(count, shards.length) }, () =>
      new Worker(new URL('./worker.js', import.meta.url), { type: 'module' }));
    const finished = await new Promise((resolve) => {
      let done = 0;
      const give = (/** @type {Worker} */ worker) => {
        if (next >= shards.length) return;
        const id = next++;
        const shard = shards[id];
        worker.postMessage({ id, args: ['batch', ...options, '--format', 'partial', '--first-run',
          String(shard.first), '--runs', String(shard.runs)] });
      };
      for (const worker of workers) {
        worker.addEventListener('message', (event) => {
          const { id, result } = event.data;
          if (result.status !== 0) {
            message.textContent = refusal(result.err).message;
            resolve(false);
            return;
          }
          partials[`shard${id}.json`] = result.out;
          progress.value = ++done;
          if (done === shards.length) resolve(true);
          else give(worker);
        });
        give(worker);
      }
    });
    const seconds = (performance.now() - started) / 1000;
    stop();
    if (!finished) return;
    const names = Object.keys(partials);
    const text = await cli(['merge', '--format', 'text', '--bands', 'bands.csv', ...names], partials);
    const csv = await cli(['merge', '--format', 'csv', ...names], partials);
    if (text.status !== 0 || csv.status !== 0) {
      message.textContent = refusal(text.err || csv.err).message;
      return;
    }
    const cells = tableCells(text.out);
    table.replaceChildren(...cells.map((row, i) => {
      const tr = document.createElement('tr');
      tr.append(...row.map((cell) => {
        const td = document.createElement(i === 0 ? 'th' : 'td');
        td.textContent = cell;
        return td;
      }));
      return tr;
    }));
    const bands = new TextDecoder().decode(bytesOf(text.files['bands.csv'] ?? ''));
    const choice = /** @type {HTMLSelectElement} */ (document.getElementById('stats-band-setting'));
    const svg = /** @type {SVGSVGElement} */ (/** @type {unknown} */ (document.getElementById('stats-bands')));
    choice.replaceChildren(...chosen.map((s) => new Option(`設定${s}`, s)));
    choice.onchange = () => drawBands(svg, bands, choice.value);
    drawBands(svg, bands, choice.value);
    svg.removeAttribute('hidden');
    /** @type {HTMLElement} */ (document.getElementById('stats-band-choice')).hidden = false;
    table.dataset.csv = csv.out;
    table.dataset.seed = seed;
    info.textContent = `シード ${seed}・${(runs * chosen.length * Number(input('stats-games').value) / seconds / 1e6).toFixed(1)} M ゲーム/秒`;
  });
}
