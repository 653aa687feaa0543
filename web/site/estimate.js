// SPDX-License-Identifier: GPL-3.0-or-later
// 設定判別 at the machine: the start, the games played, the bonus history (one tap per bonus, in
// the data counter's order, newest first, or oldest first) and the pure misses as a tally; the six
// probabilities follow every change in a strip that stays in view, computed exactly by `tobiuo-sim
// estimate --history` in a Worker, so that the page keeps answering however long the history. The
// state lives in the address, in a documented form that can be written by hand,
//   #estimate?games=8000&pure_misses=11&stock=20&setting_changed=0&history=77:BIG:cherry,159:REG:none
// (history entries game:bonus:trigger, the game of the run as in the history file; watched_from=W
// when the player began watching at game W), and in local
// storage once the module has read it without a refusal, so that a reload, the back button, a
// shared link or a closed tab keep the judgement and a state the module cannot read is never kept.
import { Latest, refusal } from './engine.js';
import { startValue } from './value.js';

const STORAGE_KEY = 'tobiuo.estimate';
const ORDER_KEY = 'tobiuo.order';
const TRIGGERS = new Map([['pure_miss', '純ハズレ'], ['cherry', 'チェリー'], ['none', 'なし'], ['unknown', '不明']]);
/** A machine shows at most 8000 games, so at most 8000 releases; a longer state is not a machine's. */
const MAX_RELEASES = 8000;
const MAX_STATE_CHARS = 8000 * 24 + 200;
/** The state's fields typed as text, as the address names them. */
const FIELDS = /** @type {const} */ (['games', 'watched_from', 'pure_misses', 'stock', 'setting_changed', 'prior']);

/** @typedef {{game: number, bonus: string, trigger: string}} Release */

/**
 * @typedef {{games: string, watched_from: string, pure_misses: string, stock: string,
 *   setting_changed: string, prior: string, history: Release[]}} EstimateState
 */

/** @returns {EstimateState} */
function defaults() {
  return {
    games: '', watched_from: '', pure_misses: '', stock: '20', setting_changed: '0', prior: '1,1,1,1,1,1', history: [],
  };
}

/**
 * The state of an address's query ("games=...&history=..."), or undefined for one longer than a
 * machine can show.
 * @param {string} query
 * @returns {EstimateState | undefined}
 */
export function parseState(query) {
  if (query.length > MAX_STATE_CHARS) return undefined;
  const params = new URLSearchParams(query);
  const state = defaults();
  for (const key of FIELDS) {
    const value = params.get(key);
    if (value !== null) state[key] = value;
  }
  const history = params.get('history');
  if (history) {
    const entries = history.split(',');
    if (entries.length > MAX_RELEASES) return undefined;
    state.history = entries.map((entry) => {
      const [game, bonus, trigger] = entry.split(':');
      return { game: Number(game), bonus: bonus ?? 'BIG', trigger: trigger ?? 'unknown' };
    });
  }
  return state;
}

/**
 * @param {EstimateState} state
 * @returns {string}
 */
export function formatState(state) {
  const params = new URLSearchParams();
  params.set('games', state.games);
  if (state.watched_from !== '') params.set('watched_from', state.watched_from);
  if (state.pure_misses !== '') params.set('pure_misses', state.pure_misses);
  params.set('stock', state.stock);
  params.set('setting_changed', state.setting_changed);
  if (state.prior !== '1,1,1,1,1,1') params.set('prior', state.prior);
  params.set('history', state.history.map((r) => `${r.game}:${r.bonus}:${r.trigger}`).join(','));
  return params.toString().replaceAll('%3A', ':').replaceAll('%2C', ',');
}

/**
 * @param {string} id
 * @returns {HTMLInputElement}
 */
function input(id) {
  return /** @type {HTMLInputElement} */ (document.getElementById(id));
}

/**
 * @param {number} p
 * @returns {string}
 */
const percent = (p) => `${(100 * p).toFixed(1)}%`;

/**
 * A select of the given values and labels.
 * @param {[string, string][]} choices
 * @param {string} value
 * @param {string} label
 * @returns {HTMLSelectElement}
 */
function select(choices, value, label) {
  const s = document.createElement('select');
  for (const [v, text] of choices) s.add(new Option(text, v));
  s.value = value;
  s.setAttribute('aria-label', label);
  return s;
}

/**
 * One setting's bar in the answer strip; without a probability, an empty place (class slot, no
 * data) kept until the first answer.
 * @param {number} setting
 * @param {number} [probability]
 * @param {boolean} [top] the most likely setting
 * @returns {HTMLElement}
 */
function barOf(setting, probability, top = false) {
  const bar = document.createElement('div');
  const shown = probability === undefined ? '—' : percent(probability);
  bar.className = probability === undefined ? 'slot' : top ? 'bar top' : 'bar';
  if (probability !== undefined) {
    bar.dataset.setting = String(setting);
    bar.dataset.probability = String(probability);
  }
  bar.setAttribute('role', 'img');
  bar.setAttribute('aria-label', `設定${setting} ${shown}`);
  const label = document.createElement('span');
  label.textContent = `設定${setting}`;
  const track = document.createElement('span');
  track.className = 'track';
  if (probability !== undefined) {
    const fill = document.createElement('span');
    fill.className = 'fill';
    fill.style.height = `${(100 * probability).toFixed(1)}%`;
    track.append(fill);
  }
  const value = document.createElement('span');
  value.textContent = shown;
  bar.append(label, track, value);
  return bar;
}

export function startEstimate() {
  const message = /** @type {HTMLElement} */ (document.getElementById('estimate-message'));
  const bars = /** @type {HTMLElement} */ (document.getElementById('bars'));
  const headline = /** @type {HTMLElement} */ (document.getElementById('estimate-headline'));
  const summary = /** @type {HTMLElement} */ (document.getElementById('estimate-summary'));
  const list = /** @type {HTMLOListElement} */ (document.getElementById('history'));
  const counts = /** @type {HTMLElement} */ (document.getElementById('history-counts'));
  const hamari = input('hamari');
  const order = /** @type {HTMLSelectElement} */ (document.getElementById('history-order'));
  const navLink = document.querySelector('nav a[data-view="estimate"]');
  const fields = {
    games: input('games'),
    watched_from: input('watched-from'),
    pure_misses: input('pure-misses'),
    stock: input('stock'),
    setting_changed: /** @type {HTMLSelectElement} */ (/** @type {unknown} */ (input('setting-changed'))),
    prior: input('prior'),
  };
  const judging = new Latest(1000);
  const value = startValue();
  const fromAddress = location.hash.startsWith('#estimate?') ? location.hash.slice('#estimate?'.length) : '';
  /** @type {EstimateState} */
  let state = (fromAddress ? parseState(fromAddress) : undefined) ??
    parseState(localStorage.getItem(STORAGE_KEY) ?? '') ?? defaults();
  if (fromAddress && !parseState(fromAddress)) {
    message.textContent = 'アドレスの解除履歴が長すぎます（8000ゲームを超えています）。前回の状態を開きました';
  }
  /** The edits before this state, newest last, for ひとつ戻す; a field's keys are one edit. */
  /** @type {{state: string, field: string}[]} */
  const edits = [];
  let bonus = 'BIG';

  /** @returns {string} */
  const snapshot = () => JSON.stringify(state);

  /**
   * Remembers the state before an edit. Keys typed into one field in a row are one edit.
   * @param {string} field
   */
  function remember(field) {
    const last = edits[edits.length - 1];
    if (field !== '' && last?.field === field) return;
    edits.push({ state: snapshot(), field });
  }

  function fill() {
    for (const key of FIELDS) fields[key].value = state[key];
  }

  function showAddress() {
    const query = formatState(state);
    navLink?.setAttribute('href', `#estimate?${query}`);
    if (location.hash === '' || location.hash.startsWith('#estimate')) {
      history.replaceState(null, '', `#estimate?${query}`);
    }
  }

  /**
   * Rows in the order chosen: newest first as a data counter lists them, or oldest first. Each
   * row shows its ハマり and its game and can be corrected in place.
   */
  function drawHistory() {
    const rows = state.history.map((r, i) => {
      const item = document.createElement('li');
      item.value = i + 1;
      item.dataset.index = String(i);
      const gap = r.game - (i > 0 ? state.history[i - 1].game : 0);
      const text = document.createElement('span');
      text.className = 'gap';
      text.textContent = `ハマり ${gap}\n${r.game}G`;
      const kind = select([['BIG', 'BIG'], ['REG', 'REG']], r.bonus, `${i + 1}件目のボーナス`);
      const trigger = select([...TRIGGERS], r.trigger, `${i + 1}件目の契機`);
      kind.addEventListener('change', () => edit(() => { state.history[i].bonus = kind.value; }));
      trigger.addEventListener('change', () => edit(() => { state.history[i].trigger = trigger.value; }));
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.className = 'remove';
      remove.textContent = '×';
      remove.setAttribute('aria-label', `${i + 1}件目を削除`);
      // The rows after keep their ハマり: the ones typed are the gaps between bonuses.
      remove.addEventListener('click', () => edit(() => {
        state.history.splice(i, 1);
        for (let k = i; k < state.history.length; ++k) state.history[k].game -= gap;
      }));
      item.append(text, kind, trigger, remove);
      return item;
    });
    if (order.value === 'newest') rows.reverse();
    list.reversed = order.value === 'newest';
    list.replaceChildren(...rows);
    const big = state.history.filter((r) => r.bonus === 'BIG').length;
    const last = state.history.length ? state.history[state.history.length - 1].game : 0;
    counts.textContent = `BIG ${big}回・REG ${state.history.length - big}回・最後のボーナスから ${
      Number.isFinite(Number(state.games)) && state.games.trim() !== '' ? `${Number(state.games) - last}G` : '—'}`;
  }

  /**
   * @param {{posterior: {setting: number, probability: number}[], most_likely: number,
   *   p_4_or_more: number, p_5_or_6: number, hit_rate: number, hit_rate_start: string,
   *   hit_rate_for_assumed: boolean, assumed_start: string, games: number}} answer
   */
  function drawAnswer(answer) {
    bars.replaceChildren(...answer.posterior.map(({ setting, probability }) =>
      barOf(setting, probability, setting === answer.most_likely)));
    bars.classList.remove('stale');
    const best = answer.posterior[answer.most_likely - 1].probability;
    headline.textContent = `最も可能性が高い設定: ${answer.most_likely}（${percent(best)}）・` +
      `${answer.games}ゲームでいちばんありそうとされた設定が本当の設定である割合: 約${Math.round(100 * answer.hit_rate)}%` +
      (answer.hit_rate_for_assumed ? '' : `（${answer.hit_rate_start}の場合）`);
    summary.textContent = `設定4以上: ${percent(answer.p_4_or_more)}\u3000設定5・6: ${percent(answer.p_5_or_6)}\n` +
      'この確率は言葉どおりに受け取れます（60%と出た答えは10回に4回外れます）。\n' +
      `前提: ${answer.assumed_start}` +
      (answer.assumed_start.startsWith('初期ストック不明') ? ''
        : '（ホールで初期ストックが分からなければ「不明」が正直な選び方です）');
  }

  /**
   * A refusal: said in place of the headline, the field or the row it names marked, the last
   * answer kept but greyed until the state can be read again.
   * @param {import('./engine.js').Refusal} refused
   */
  function drawRefusal(refused) {
    message.textContent = refused.message;
    bars.classList.add('stale');
    headline.textContent = '入力を直すと確率が出ます';
    const field = /** @type {Record<string, HTMLElement>} */ ({
      games: fields.games, 'watched-from': fields.watched_from, 'pure-miss': fields.pure_misses,
      stock: fields.stock, prior: fields.prior,
    })[refused.field];
    field?.setAttribute('aria-invalid', 'true');
    if (refused.field === 'history' && refused.item > 0) {
      const row = list.querySelector(`li[data-index="${refused.item - 1}"]`);
      row?.classList.add('refused');
      row?.setAttribute('aria-invalid', 'true');
    }
  }

  async function judge() {
    for (const f of Object.values(fields)) f.removeAttribute('aria-invalid');
    message.textContent = '';
    if (state.games.trim() === '') {  // nothing typed yet: not an error
      headline.textContent = 'ゲーム数（P数）を入れると、各設定の確率が出ます';
      // six empty places until the first answer, so that the strip keeps its shape
      if (!bars.querySelector('.bar')) bars.replaceChildren(...[1, 2, 3, 4, 5, 6].map((setting) => barOf(setting)));
      bars.classList.add('stale');
      value.clear();
      return;
    }
    const csv = ['game,bonus,trigger', ...state.history.map((r) => `${r.game},${r.bonus},${r.trigger}`)].join('\n');
    const args = ['--games', state.games, '--history', '解除履歴.csv', '--stock', state.stock, '--prior', state.prior];
    if (state.watched_from.trim() !== '') args.push('--watched-from', state.watched_from);
    if (state.pure_misses.trim() !== '') args.push('--pure-miss', state.pure_misses);
    if (state.setting_changed === '1') args.push('--setting-changed');
    if (state.setting_changed === 'unknown') args.push('--setting-changed-unknown');
    const judged = formatState(state);
    const files = { '解除履歴.csv': `${csv}\n` };
    const result = await judging.ask(['estimate', ...args, '--format', 'json'], files);
    if (!result) return;  // a newer state is being judged
    bars.dataset.state = judged;  // what the bars (or the refusal) stand for
    if (result.status !== 0) {
      drawRefusal(refusal(result));
      value.clear();
      return;
    }
    localStorage.setItem(STORAGE_KEY, judged);  // kept only once read without a refusal
    drawAnswer(JSON.parse(result.out));
    value.judged(args, files);
  }

  function changed() {
    showAddress();
    drawHistory();
    void judge();
  }

  /**
   * One edit: remembered for ひとつ戻す, made, then shown and judged.
   * @param {() => void} change
   * @param {string} [field] the field typed into, whose keys make one edit
   */
  function edit(change, field = '') {
    remember(field);
    change();
    changed();
  }

  for (const key of FIELDS) {
    fields[key].addEventListener('input', () => edit(() => { state[key] = fields[key].value; }, key));
  }
  for (const button of document.querySelectorAll('button.bonus')) {
    button.addEventListener('click', () => {
      bonus = button.getAttribute('data-bonus') ?? 'BIG';
      for (const b of document.querySelectorAll('button.bonus')) {
        b.setAttribute('aria-pressed', String(b === button));
      }
    });
  }
  /** @param {string} which BIG or REG */
  const chooseBonus = (which) => {
    bonus = which;
    for (const b of document.querySelectorAll('button.bonus')) {
      b.setAttribute('aria-pressed', String(b.getAttribute('data-bonus') === which));
    }
  };
  for (const button of document.querySelectorAll('button[data-trigger]')) {
    button.addEventListener('click', () => {
      // The one number the page reads itself, to place the bonus (digits only: not 1e3 or 0x10);
      // the module judges the rest.
      const digits = hamari.value.normalize('NFKC').trim();
      const typed = /^\d{1,4}$/.test(digits) ? Number(digits) : 0;
      if (typed < 1) {
        message.textContent = 'ハマり（ゲーム数）を入れてから契機を押してください';
        hamari.focus();
        return;
      }
      const trigger = button.getAttribute('data-trigger') ?? 'unknown';
      edit(() => {
        if (order.value === 'newest') {
          // a data counter lists the newest first: each bonus typed is older than those before
          // it, and the newer ones keep their ハマり, so each moves on by the new one's
          for (const r of state.history) r.game += typed;
          state.history.unshift({ game: typed, bonus, trigger });
        } else {
          const last = state.history.length ? state.history[state.history.length - 1].game : 0;
          state.history.push({ game: last + typed, bonus, trigger });
        }
      });
      /** @type {HTMLElement} */ (document.getElementById('added')).textContent =
        `${order.value === 'newest' ? 'いちばん古いボーナスとして' : '最後に'}追加しました: ` +
        `ハマり ${typed}・${bonus}・${TRIGGERS.get(trigger)}`;
      hamari.value = '';
      chooseBonus('BIG');
      hamari.focus();
    });
  }
  order.value = localStorage.getItem(ORDER_KEY) === 'oldest' ? 'oldest' : 'newest';
  order.addEventListener('change', () => {
    localStorage.setItem(ORDER_KEY, order.value);
    drawHistory();
  });
  document.getElementById('undo')?.addEventListener('click', () => {
    const last = edits.pop();
    if (!last) return;
    state = JSON.parse(last.state);
    fill();
    changed();
  });
  const tally = (/** @type {number} */ step) => edit(() => {
    const now = Number(state.pure_misses || '0');
    state.pure_misses = String(Math.max(0, (Number.isFinite(now) ? now : 0) + step));
    fields.pure_misses.value = state.pure_misses;
  });
  document.getElementById('pure-miss-plus')?.addEventListener('click', () => tally(1));
  document.getElementById('pure-miss-minus')?.addEventListener('click', () => tally(-1));
  window.addEventListener('hashchange', () => {
    if (!location.hash.startsWith('#estimate')) return;
    const query = location.hash.slice('#estimate?'.length);
    if (query === '' || query === formatState(state)) {
      showAddress();
      return;
    }
    const read = parseState(query);
    if (!read) {
      message.textContent = 'アドレスの解除履歴が長すぎます（8000ゲームを超えています）';
      showAddress();
      return;
    }
    edit(() => { state = read; });
    fill();
  });
  fill();
  changed();
}
