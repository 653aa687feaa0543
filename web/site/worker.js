// SPDX-License-Identifier: GPL-3.0-or-later
// A Worker with its own single-threaded module, so that the page keeps answering while the module
// works. Two kinds of message:
// - {id, args, files}: one command of `tobiuo-sim`, answered {id, result};
// - {id, block: {options, first, runs, step}}: runs first to first+runs-1 of a batch, played
//   `step` runs at a time with their partials merged into one as they come (`merge --format
//   partial`), so that memory stays one partial however many runs; answered {id, done} after each
//   step (runs played so far) and {id, result} at the end, whose `out` is the block's partial.
import { runHere } from './module.js';

/**
 * @param {string[]} options the batch's options, without the run range and the format
 * @param {number} first
 * @param {number} runs
 * @param {number} step
 * @param {(done: number) => void} progressed
 * @returns {Promise<import('./engine.js').CliResult>}
 */
async function playBlock(options, first, runs, step, progressed) {
  /** @type {string | undefined} */
  let kept;
  for (let at = first; at < first + runs; at += step) {
    const shard = await runHere(['batch', ...options, '--format', 'partial', '--first-run', String(at),
      '--runs', String(Math.min(step, first + runs - at))]);
    if (shard.status !== 0) return shard;
    if (kept === undefined) {
      kept = shard.out;
    } else {
      const merged = await runHere(['merge', '--format', 'partial', 'kept.json', 'shard.json'],
        { 'kept.json': kept, 'shard.json': shard.out });
      if (merged.status !== 0) return merged;
      kept = merged.out;
    }
    progressed(Math.min(at + step, first + runs) - first);
  }
  return { status: 0, out: kept ?? '', err: '', files: {} };
}

self.addEventListener('message', async (event) => {
  const { id, args, files, block } = event.data;
  if (block) {
    const result = await playBlock(block.options, block.first, block.runs, block.step,
      (done) => self.postMessage({ id, done }));
    self.postMessage({ id, result });
    return;
  }
  self.postMessage({ id, result: await runHere(args, files) });
});
