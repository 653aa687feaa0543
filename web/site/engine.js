// SPDX-License-Identifier: GPL-3.0-or-later
// The program itself, compiled to WebAssembly and run in Workers (worker.js): every page asks
// `tobiuo-sim` for its answers, run on files held in memory (web/bindings.cc), so the figures,
// the refusals and the saved bytes are the command line's, and the page never waits on the module.

/**
 * @typedef {{field: string, item: number, message: string}} Refusal
 * `field`: the refused field's key (the option's name), empty when no one field is to blame;
 * `item`: the 1-based item of a list (a history's release), 0 for none.
 * @typedef {{status: number, out: string, err: string, files: Record<string, string>, refusal?: Refusal | null}} CliResult
 * `files`: what the command wrote, base64.
 */

/** A Worker with its own module, answering one message at a time in order. */
export class ModuleWorker {
  constructor() {
    this.worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
    this.next = 0;
    /** @type {Map<number, {resolve: (r: CliResult) => void, progressed?: (done: number) => void}>} */
    this.waiting = new Map();
    this.worker.addEventListener('message', (event) => {
      const { id, result, done } = event.data;
      const call = this.waiting.get(id);
      if (!call) return;
      if (result === undefined) {
        call.progressed?.(done);
        return;
      }
      this.waiting.delete(id);
      call.resolve(result);
    });
  }

  /**
   * Runs one command of `tobiuo-sim`.
   * @param {string[]} args the command and its options, as on the command line
   * @param {Record<string, string>} [files] input files by name
   * @returns {Promise<CliResult>}
   */
  cli(args, files = {}) {
    return this.post({ args, files });
  }

  /**
   * Plays runs first to first+runs-1 of a batch, `step` at a time; `out` is their partial.
   * @param {string[]} options
   * @param {number} first
   * @param {number} runs
   * @param {number} step
   * @param {(done: number) => void} progressed runs played so far
   * @returns {Promise<CliResult>}
   */
  block(options, first, runs, step, progressed) {
    return this.post({ block: { options, first, runs, step } }, progressed);
  }

  /**
   * @param {object} message
   * @param {(done: number) => void} [progressed]
   * @returns {Promise<CliResult>}
   */
  post(message, progressed) {
    const id = this.next++;
    return new Promise((resolve) => {
      this.waiting.set(id, { resolve, progressed });
      this.worker.postMessage({ id, ...message });
    });
  }

  /** Ends the Worker; what it was asked is never answered. */
  terminate() {
    this.worker.terminate();
    this.waiting.clear();
  }
}

/** @type {ModuleWorker | undefined} */
let shared;

/**
 * Runs one command of `tobiuo-sim` in the page's shared Worker.
 * @param {string[]} args
 * @param {Record<string, string>} [files]
 * @returns {Promise<CliResult>}
 */
export function cli(args, files = {}) {
  shared ??= new ModuleWorker();
  return shared.cli(args, files);
}

/**
 * Asks again and again with only the newest question mattering (the estimate follows every key):
 * an answer to an older question is dropped, a question asked while another is worked on waits
 * for it, and one worked on for longer than `patience` ms is abandoned with its Worker.
 */
export class Latest {
  /** @param {number} patience */
  constructor(patience) {
    this.patience = patience;
    /** @type {ModuleWorker | undefined} */
    this.worker = undefined;
    this.asked = 0;
    this.busySince = 0;
  }

  /**
   * @param {string[]} args
   * @param {Record<string, string>} files
   * @returns {Promise<CliResult | undefined>} undefined when a newer question came meanwhile
   */
  async ask(args, files) {
    const mine = ++this.asked;
    if (this.worker && this.busySince && performance.now() - this.busySince > this.patience) {
      this.worker.terminate();
      this.worker = undefined;
      this.busySince = 0;
    }
    this.worker ??= new ModuleWorker();
    const worker = this.worker;
    this.busySince ||= performance.now();
    const result = await worker.cli(args, files);
    if (worker.waiting.size === 0) this.busySince = 0;
    return mine === this.asked ? result : undefined;
  }
}

/**
 * The message of a refusal, what a player reads, and the field it names.
 * @param {CliResult} result
 * @returns {Refusal}
 */
export function refusal(result) {
  if (result.refusal) return result.refusal;
  const line = result.err.split('\n').find((l) => l.startsWith('tobiuo-sim: ')) ?? result.err;
  return { field: '', item: 0, message: line.replace(/^tobiuo-sim: /, '') };
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

