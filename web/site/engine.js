// SPDX-License-Identifier: GPL-3.0-or-later
// The program itself, compiled to WebAssembly: every page asks `tobiuo-sim` for its answers, run
// on files held in memory (web/bindings.cc), so the figures, the refusals and the saved bytes are
// the command line's own.

/**
 * @typedef {{status: number, out: string, err: string, files: Record<string, string>}} CliResult
 * `files`: what the command wrote, base64.
 */

/** @type {Promise<(request: string) => string> | undefined} */
let loading;

/** @returns {Promise<(request: string) => string>} */
function load() {
  if (!loading) {
    loading = import('./tobiuo.js').then(async (module) => {
      /** @type {any} */
      const instance = await module.default();
      return (request) => instance.ccall('tobiuo_cli', 'string', ['string'], [request]);
    });
  }
  return loading;
}

/**
 * Runs one command of `tobiuo-sim`.
 * @param {string[]} args the command and its options, as on the command line
 * @param {Record<string, string>} [files] input files by name
 * @returns {Promise<CliResult>}
 */
export async function cli(args, files = {}) {
  const call = await load();
  return JSON.parse(call(JSON.stringify({ args, files })));
}

/**
 * The message of a refusal, without the program's name and the option: what a player reads.
 * @param {string} err
 * @returns {{option: string, message: string}}
 */
export function refusal(err) {
  const line = err.split('\n').find((l) => l.startsWith('tobiuo-sim: ')) ?? err;
  const match = /^tobiuo-sim: (--[\w-]+): (.*)$/.exec(line);
  return match ? { option: match[1], message: match[2] } : { option: '', message: line.replace(/^tobiuo-sim: /, '') };
}

/**
 * The bytes of a base64 text.
 * @param {string} base64
 * @returns {Uint8Array<ArrayBuffer>}
 */
export function bytesOf(base64) {
  const text = atob(base64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes;
}

/**
 * The seed a command printed on stderr ("seed: N").
 * @param {string} err
 * @returns {string}
 */
export function seedOf(err) {
  return /^seed: (\d+)$/m.exec(err)?.[1] ?? '';
}
