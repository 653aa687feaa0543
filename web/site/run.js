// SPDX-License-Identifier: GPL-3.0-or-later
// 1 run as the main window plays it: the same inputs and refusals (`tobiuo-sim run`, read as its
// JSON), the chart of 差枚数, the event log and the result summary, the report saved as the window
// saves it (Shift-JIS, CR LF: the bytes of `tobiuo-sim run --report`), the seed shown and
// replayable, with all the run's pure misses as the window shows them.
import { bytesOf, cli, refusal } from './engine.js';

/**
 * @param {string} id
 * @returns {HTMLInputElement}
 */
function input(id) {
  return /** @type {HTMLInputElement} */ (document.getElementById(id));
}

/**
 * The size, in the chart's own units (600 across), that shows a label at 12 px however wide the
 * chart is drawn; the chart must be shown.
 * @param {SVGSVGElement} svg
 * @returns {number}
 */
export function labelSize(svg) {
  return (12 * 600) / Math.max(200, svg.getBoundingClientRect().width || 600);
}

/**
 * A value label at the left of a chart.
 * @param {number} x its right end
 * @param {number} y
 * @param {number} size
 * @param {string} text
 * @returns {SVGTextElement}
 */
export function label(x, y, size, text) {
  const t = document.createElementNS('http://www.w3.org/2000/svg', 'text');
  t.setAttribute('x', String(x));
  t.setAttribute('y', String(y + size / 3));
  t.setAttribute('text-anchor', 'end');
  t.style.fontSize = `${size}px`;
  t.textContent = text;
  return t;
}

/**
 * The chart's rows as a line through the rows the run reached.
 * @param {SVGSVGElement} svg
 * @param {{row: number, label: string, coin_diff: number | null}[]} rows
 */
function drawChart(svg, rows) {
  const reached = rows.flatMap((r, i) => (r.coin_diff === null ? [] : [{ i, v: r.coin_diff }]));
  const values = reached.map((r) => r.v);
  const low = Math.min(0, ...values), high = Math.max(0, ...values);
  const size = labelSize(svg);
  const left = Math.max(40, 3.6 * size);
  const x = (/** @type {number} */ i) => left + ((580 - left) * i) / Math.max(1, rows.length - 1);
  const y = (/** @type {number} */ v) => 220 - (200 * (v - low)) / Math.max(1, high - low);
  const ns = 'http://www.w3.org/2000/svg';
  const zero = document.createElementNS(ns, 'line');
  zero.setAttribute('x1', String(left));
  zero.setAttribute('x2', '580');
  zero.setAttribute('y1', String(y(0)));
  zero.setAttribute('y2', String(y(0)));
  zero.setAttribute('class', 'axis');
  const line = document.createElementNS(ns, 'polyline');
  line.setAttribute('points', reached.map(({ i, v }) => `${x(i)},${y(v)}`).join(' '));
  line.setAttribute('class', 'line');
  const labels = [high, 0, low].map((v) => label(left - 4, y(v), size, String(v)));
  svg.replaceChildren(zero, line, ...labels);
}

/**
 * 換金率 as the window asks for it: 5 to 8, or その他 and a rate typed in the field beside
 * (`${id}-other`).
 * @param {string} id the select's
 * @returns {() => string} the rate chosen or typed
 */
export function rateChoice(id) {
  const select = /** @type {HTMLSelectElement} */ (document.getElementById(id));
  for (let r = 5; r <= 8; ++r) select.add(new Option(String(r)));
  select.add(new Option('その他', 'other'));
  const other = input(`${id}-other`);
  select.addEventListener('change', () => {
    other.hidden = select.value !== 'other';
    if (!other.hidden) other.focus();
  });
  return () => (select.value === 'other' ? other.value : select.value);
}

export function startRun() {
  const setting = /** @type {HTMLSelectElement} */ (document.getElementById('run-setting'));
  for (let s = 6; s >= 1; --s) setting.add(new Option(String(s)));
  const gamesList = /** @type {HTMLElement} */ (document.getElementById('games-list'));
  for (let g = 100; g <= 8000; g += g < 1000 ? 100 : 500) gamesList.append(new Option(String(g)));
  const rate = rateChoice('run-rate');
  // ストッククリア starts with no stock and keeps the number typed for when it is cleared again.
  const stock = input('run-stock');
  let savedStock = stock.value;
  input('run-stock-clear').addEventListener('change', (event) => {
    const clear = /** @type {HTMLInputElement} */ (event.target).checked;
    if (clear) savedStock = stock.value;
    stock.value = clear ? '0' : savedStock;
    stock.disabled = clear;
  });
  const message = /** @type {HTMLElement} */ (document.getElementById('run-message'));
  const save = /** @type {HTMLButtonElement} */ (document.getElementById('run-save'));
  /** @type {Uint8Array<ArrayBuffer> | undefined} */
  let report;

  document.getElementById('run-button')?.addEventListener('click', async () => {
    const args = ['run', '--setting', setting.value, '--games', input('run-games').value,
      '--rate', rate(), '--stock', input('run-stock').value, '--report', 'report.txt', '--format', 'json'];
    if (input('run-setting-changed').checked) args.push('--setting-changed');
    if (input('run-seed').value.trim() !== '') args.push('--seed', input('run-seed').value.trim());
    const result = await cli(args);
    if (result.status !== 0) {
      const refused = refusal(result);
      message.textContent = refused.message;
      const field = new Map([['games', 'run-games'], ['rate', 'run-rate-other'], ['stock', 'run-stock'],
        ['seed', 'run-seed']]).get(refused.field);
      if (field) input(field).focus();
      return;
    }
    message.textContent = '';
    /** @type {{seed: number, pure_misses: number, title: string, log: string[], summary: string[],
     *   chart: {row: number, label: string, coin_diff: number | null}[]}} */
    const played = JSON.parse(result.out);
    /** @type {HTMLElement} */ (document.getElementById('run-seed-shown')).textContent = `シード ${played.seed}`;
    /** @type {HTMLElement} */ (document.getElementById('run-pure-misses')).textContent =
      `純ハズレ（解除しなかったものも含む） ${played.pure_misses}回`;
    /** @type {HTMLElement} */ (document.getElementById('run-log')).textContent = [played.title, ...played.log].join('\n');
    /** @type {HTMLElement} */ (document.getElementById('run-summary')).textContent = played.summary.join('\n');
    drawChart(/** @type {SVGSVGElement} */ (/** @type {unknown} */ (document.getElementById('run-chart'))), played.chart);
    report = bytesOf(result.files['report.txt'] ?? '');
    save.hidden = false;
  });

  save.addEventListener('click', () => {
    if (!report) return;
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([report], { type: 'text/plain;charset=shift_jis' }));
    link.download = 'tobiuodata.txt';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  });
}
