// SPDX-License-Identifier: GPL-3.0-or-later
// The program compiled to WebAssembly, loaded in the thread that imports this file (a Worker: the
// page itself never runs the module, so that it keeps answering while the module works). A
// request is written into the module's memory and the response read from it (web/bindings.cc):
// a batch's partials run to megabytes, more than a string argument can carry.

/** @typedef {import('./engine.js').CliResult} CliResult */

/** @type {Promise<(request: string) => string> | undefined} */
let loading;

/** @returns {Promise<(request: string) => string>} */
function load() {
  if (!loading) {
    loading = import('./tobiuo.js').then(async (module) => {
      const m = await module.default();
      const encoder = new TextEncoder();
      const decoder = new TextDecoder();
      return (request) => {
        const bytes = encoder.encode(request);
        m.HEAPU8.set(bytes, m._tobiuo_request(bytes.length) >>> 0);
        const at = m._tobiuo_cli() >>> 0;
        // HEAPU8 is read again: the call may have grown the memory
        return decoder.decode(m.HEAPU8.subarray(at, at + (m._tobiuo_response_size() >>> 0)));
      };
    });
  }
  return loading;
}

/**
 * Runs one command of `tobiuo-sim` in this thread's module.
 * @param {string[]} args the command and its options, as on the command line
 * @param {Record<string, string>} [files] input files by name
 * @returns {Promise<CliResult>}
 */
export async function runHere(args, files = {}) {
  const call = await load();
  return JSON.parse(call(JSON.stringify({ args, files })));
}
