// SPDX-License-Identifier: GPL-3.0-or-later
// 設定判別 at the machine: the start, the games played, the bonus history (one tap per bonus) and
// the pure misses as a tally; the six probabilities follow every change, computed exactly by
// `tobiuo-sim estimate --history`. The state lives in the address, in a documented form that can
// be written by hand,
//   #estimate?games=8000&pure_misses=11&stock=20&setting_changed=0&history=77:BIG:cherry,159:REG:none
// (history entries game:bonus:trigger, the game of the run as in the history file), and in local
// storage, so that a reload, the back button, a shared link or a closed tab keep the judgement.
import { cli, refusal } from './engine.js';

const STORAGE_KEY = 'tobiuo.estimate';
const TRIGGER_LABELS = /** @type {Record<string, string>} */ ({
  pure_miss: '純ハズレ',
  cherry: 'チェリー',
  none: 'なし',
  unknown: '不明',
});

/** @typedef {{game: number, bonus: string, trigger: string}} Release */

/**
 * @typedef {{games: string, pure_misses: string, stock: string, setting_changed: string,
 *   prior: string, history: Release[]}} EstimateState
 */

/** @returns {EstimateState} */
function defaults() {
  return { games: '6000', pure_misses: '', stock: '20', setting_changed: '0', prior: '1,1,1,1,1,1', history: [] };
}

/**
 * The state of an address's query ("games=...&history=...").
 * @param {string} query
 * @returns {EstimateState}
 */
export function parseState(query) {
  const params = new URLSearchParams(query);
  const state = defaults();
  for (const key of /** @type {const} */ (['games', 'pure_misses', 'stock', 'setting_changed', 'prior'])) {
    const value = params.get(key);
    if (value !== null) state[key] = value;
  }
  const history = params.get('history');
  if (history) {
    state.history = history.split(',').map((entry) => {
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

export function startEstimate() {
  const hash = location.hash.startsWith('#estimate?') ? location.hash.slice('#estimate?'.length) : '';
  /** @type {EstimateState} */
  let state = parseState(hash || localStorage.getItem(STORAGE_KEY) || '');
  let bonus = 'BIG';
  const fields = {
    games: input('games'),
    pure_misses: input('pure-misses'),
    stock: input('stock'),
    setting_changed: /** @type {HTMLSelectElement} */ (/** @type {unknown} */ (input('setting-changed'))),
    prior: input('prior'),
  };
  const message = /** @type {HTMLElement} */ (document.getElementById('estimate-message'));
  const bars = /** @type {HTMLElement} */ (document.getElementById('bars'));
  const summary = /** @type {HTMLElement} */ (document.getElementById('estimate-summary'));
  const list = /** @type {HTMLElement} */ (document.getElementById('history'));
  const hamari = input('hamari');

  function fill() {
    for (const key of /** @type {const} */ (['games', 'pure_misses', 'stock', 'setting_changed', 'prior'])) {
      fields[key].value = state[key];
    }
  }

  function save() {
    const query = formatState(state);
    localStorage.setItem(STORAGE_KEY, query);
    if (!location.hash.startsWith('#estimate') && location.hash !== '') return;
    history.replaceState(null, '', `#estimate?${query}`);
  }

  function drawHistory() {
    list.replaceChildren();
    let previous = 0;
    state.history.forEach((r, i) => {
      const item = document.createElement('li');
      item.textContent = `ハマり ${r.game - previous}（${r.game}G） ${r.bonus} ${TRIGGER_LABELS[r.trigger] ?? r.trigger}`;
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.textContent = '×';
      remove.setAttribute('aria-label', `${i + 1}件目を削除`);
      remove.addEventListener('click', () => {
        const gap = state.history[i].game - (i > 0 ? state.history[i - 1].game : 0);
        state.history.splice(i, 1);
        for (let k = i; k < state.history.length; ++k) state.history[k].game -= gap;
        changed();
      });
      item.append(remove);
      list.append(item);
      previous = r.game;
    });
  }

  async function judge() {
    const csv = ['game,bonus,trigger', ...state.history.map((r) => `${r.game},${r.bonus},${r.trigger}`)].join('\n');
    const args = ['estimate', '--games', state.games, '--history', 'h.csv', '--format', 'json',
      '--stock', state.stock, '--prior', state.prior];
    if (state.pure_misses.trim() !== '') args.push('--pure-miss', state.pure_misses);
    if (state.setting_changed === '1') args.push('--setting-changed');
    if (state.setting_changed === 'unknown') args.push('--setting-changed-unknown');
    const judged = formatState(state);
    const result = await cli(args, { 'h.csv': `${csv}\n` });
    bars.dataset.state = judged;  // what the bars (or the refusal) stand for
    if (result.status !== 0) {
      message.textContent = refusal(result.err).message;
      bars.replaceChildren();
      summary.textContent = '';
      return;
    }
    message.textContent = '';
    /** @type {{posterior: {setting: number, probability: number}[], most_likely: number, p_4_or_more: number, p_5_or_6: number}} */
    const answer = JSON.parse(result.out);
    bars.replaceChildren(...answer.posterior.map(({ setting, probability }) => {
      const bar = document.createElement('div');
      bar.className = 'bar';
      bar.dataset.setting = String(setting);
      bar.dataset.probability = String(probability);
      const label = document.createElement('span');
      label.textContent = `設定${setting}`;
      const fillBar = document.createElement('span');
      fillBar.className = 'fill';
      fillBar.style.width = `${(100 * probability).toFixed(1)}%`;
      const value = document.createElement('span');
      value.textContent = `${(100 * probability).toFixed(1)}%`;
      bar.append(label, fillBar, value);
      return bar;
    }));
    const percent = (/** @type {number} */ p) => `${(100 * p).toFixed(1)}%`;
    summary.textContent = `最も可能性が高い設定: ${answer.most_likely}（${percent(answer.posterior[answer.most_likely - 1].probability)}）` +
      `\u3000設定4以上: ${percent(answer.p_4_or_more)}\u3000設定5・6: ${percent(answer.p_5_or_6)}\n` +
      '確率は較正されています（60%の答えは10回に4回外れます）。';
  }

  function changed() {
    save();
    drawHistory();
    void judge();
  }

  for (const key of /** @type {const} */ (['games', 'pure_misses', 'stock', 'setting_changed', 'prior'])) {
    fields[key].addEventListener('input', () => {
      state[key] = fields[key].value;
      changed();
    });
  }
  for (const button of document.querySelectorAll('button.bonus')) {
    button.addEventListener('click', () => {
      bonus = button.getAttribute('data-bonus') ?? 'BIG';
      for (const b of document.querySelectorAll('button.bonus')) {
        b.setAttribute('aria-pressed', String(b === button));
      }
    });
  }
  for (const button of document.querySelectorAll('button[data-trigger]')) {
    button.addEventListener('click', () => {
      const gap = Number(hamari.value.normalize('NFKC').trim());
      if (!Number.isInteger(gap) || gap < 1) {
        message.textContent = 'ハマりは1以上の整数で入力してください';
        hamari.focus();
        return;
      }
      const last = state.history.length ? state.history[state.history.length - 1].game : 0;
      state.history.push({ game: last + gap, bonus, trigger: button.getAttribute('data-trigger') ?? 'unknown' });
      hamari.value = '';
      hamari.focus();
      changed();
    });
  }
  document.getElementById('undo')?.addEventListener('click', () => {
    state.history.pop();
    changed();
  });
  const tally = (/** @type {number} */ step) => {
    const now = Number(state.pure_misses || '0');
    state.pure_misses = String(Math.max(0, (Number.isFinite(now) ? now : 0) + step));
    fields.pure_misses.value = state.pure_misses;
    changed();
  };
  document.getElementById('pure-miss-plus')?.addEventListener('click', () => tally(1));
  document.getElementById('pure-miss-minus')?.addEventListener('click', () => tally(-1));
  window.addEventListener('hashchange', () => {
    if (location.hash.startsWith('#estimate?')) {
      state = parseState(location.hash.slice('#estimate?'.length));
      fill();
      changed();
    }
  });
  fill();
  changed();
}
