// SPDX-License-Identifier: GPL-3.0-or-later
// What playing on is worth, under 設定判別's answer: the 換金率, 持ちコイン and 閉店まで a player
// gives, and from the history just judged `tobiuo-sim value` in a Worker of its own: the hidden
// state now (exact) and a table of the stop rules with the best marked. Only the newest question
// is answered; a refusal is said in the section's own line.
import { Latest, refusal } from './engine.js';
import { rateChoice } from './run.js';

/**
 * @typedef {{rule: string, games: number | null, label: string, ev_coins: number, ev_coins_se: number,
 *   ev_yen: number, ev_yen_se: number, p_plus: number, mean_games: number, coins_p5: number,
 *   coins_p95: number, best: boolean}} Rule
 * @typedef {{p_stock_empty: number, p_heaven: number, rules: Rule[], best: string, lead_yen: number,
 *   lead_yen_se: number, draws: number}} ValueAnswer
 */

const SEED = '1';  // the same inputs show the same figures
/** Keys typed in a burst ask once, after the last: each answer plays a million games. */
const SETTLE_MS = 250;

/**
 * @param {number} p
 * @returns {string}
 */
const percent = (p) => `${(100 * p).toFixed(1)}%`;
/**
 * @param {number} x
 * @returns {string}
 */
const signed = (x) => `${x > 0 ? '+' : ''}${Math.round(x).toLocaleString('ja-JP')}`;
/**
 * @param {number} x
 * @returns {string}
 */
const plain = (x) => Math.round(x).toLocaleString('ja-JP');

/**
 * A cell of a figure and its standard error, one under the other so that the table fits a phone.
 * @param {string} value
 * @param {string} [error]
 * @returns {HTMLTableCellElement}
 */
function cell(value, error) {
  const td = document.createElement('td');
  const main = document.createElement('span');
  main.textContent = value;
  td.append(main);
  if (error !== undefined) {
    const se = document.createElement('span');
    se.className = 'se';
    se.textContent = `± ${error}`;
    td.append(se);
  }
  return td;
}

export function startValue() {
  const section = /** @type {HTMLElement} */ (document.getElementById('value'));
  const hidden = /** @type {HTMLElement} */ (document.getElementById('value-hidden'));
  const message = /** @type {HTMLElement} */ (document.getElementById('value-message'));
  const body = /** @type {HTMLTableSectionElement} */ (document.querySelector('#value-table tbody'));
  const note = /** @type {HTMLElement} */ (document.getElementById('value-note'));
  const coins = /** @type {HTMLInputElement} */ (document.getElementById('value-coins'));
  const left = /** @type {HTMLInputElement} */ (document.getElementById('value-games-left'));
  const rate = rateChoice('value-rate');
  const asking = new Latest(10000);
  /** @type {{args: string[], files: Record<string, string>} | undefined} the history's part */
  let history;
  /** @type {ReturnType<typeof setTimeout> | undefined} */
  let settling;

  /** @param {ValueAnswer} answer */
  function draw(answer) {
    hidden.textContent = `いま: ストックが空の確率 ${percent(answer.p_stock_empty)}・天国中の確率 ${
      percent(answer.p_heaven)}（正確）`;
    body.replaceChildren(...answer.rules.map((r) => {
      const row = document.createElement('tr');
      row.dataset.evCoins = String(r.ev_coins);
      row.dataset.evYen = String(r.ev_yen);
      if (r.best) row.className = 'best';
      const name = document.createElement('th');
      name.scope = 'row';
      name.textContent = `${r.best ? '★ ' : ''}${r.label}`;
      const exact = r.ev_coins_se === 0 && r.mean_games === 0;
      row.append(name,
        exact ? cell('0') : cell(signed(r.ev_coins), plain(r.ev_coins_se)),
        exact ? cell('0円') : cell(`${signed(r.ev_yen)}円`, `${plain(r.ev_yen_se)}円`),
        cell(percent(r.p_plus)), cell(plain(r.mean_games)));
      return row;
    }));
    const best = answer.rules.find((r) => r.best);
    note.textContent = best ? `最良: ${best.label}（期待収支 ${signed(best.ev_yen)}円、次点より ${
      signed(answer.lead_yen)} ± ${plain(answer.lead_yen_se)}円）。期待値は同じ状態の台を何度も打ったときの平均で、` +
      `1回では差枚の5%～95%が ${signed(best.coins_p5)}～${signed(best.coins_p95)}枚に散らばります。` +
      `設定・ストックが空・天国中の確率は正確、差枚と収支は${answer.draws}回の試行からの値です。` : '';
  }

  /** Asks once the keys have settled. */
  function askSoon() {
    clearTimeout(settling);
    section.classList.add('working');
    settling = setTimeout(() => void ask(), SETTLE_MS);
  }

  async function ask() {
    if (!history) return;
    const args = ['value', ...history.args, '--rate', rate(), '--coins', coins.value, '--seed', SEED,
      '--threads', '1', '--format', 'json'];
    if (left.value.trim() !== '') args.push('--games-left', left.value);
    for (const f of [coins, left]) f.removeAttribute('aria-invalid');
    message.textContent = '';
    section.classList.add('working');
    const result = await asking.ask(args, history.files);
    if (!result) return;  // a newer question is being answered
    section.classList.remove('working');
    section.dataset.asked = args.join(' ');
    if (result.status !== 0) {
      const refused = refusal(result);
      message.textContent = refused.message;
      ({ coins, 'games-left': left })[refused.field]?.setAttribute('aria-invalid', 'true');
      body.replaceChildren();
      note.textContent = '';
      return;
    }
    draw(JSON.parse(result.out));
  }

  for (const f of [coins, left, /** @type {HTMLElement} */ (document.getElementById('value-rate-other'))]) {
    f.addEventListener('input', askSoon);
  }
  document.getElementById('value-rate')?.addEventListener('change', askSoon);

  return {
    /**
     * The history just judged without a refusal, as the estimate's options (no format).
     * @param {string[]} args
     * @param {Record<string, string>} files
     */
    judged(args, files) {
      history = { args, files };
      askSoon();
    },
    /** No history to answer from: the section is emptied. */
    clear() {
      clearTimeout(settling);
      section.classList.remove('working');
      history = undefined;
      hidden.textContent = '';
      body.replaceChildren();
      note.textContent = '';
      message.textContent = '';
    },
  };
}
