// SPDX-License-Identifier: GPL-3.0-or-later
// A Worker with its own single-threaded module, so that the page keeps answering while the module
// works. Two kinds of message:
// - {id, args, files}: one command of `tobiuo-sim`, answered {id, result};
// - {id, block: {options, first, runs, step}}: runs first to first+runs-1 of a batch, played
//   `step` runs at a time with their partials merged into one as they come (`merge --format
//   partial`), so that memory stays a few partials however many runs; answered {id, done} after
//   each step (runs played so far) and {id, result} at the end, whose `out` is the block's
//   partial.
import { runHere } from './module.js';

const MERGE_EVERY = 8;

/**
 * @param {string[]} options the batch's options, without the run range and the format
 * @param {number} first
 * @param {number} runs
 * @param {number} step
 * @param {(done: number) => void} progressed
 * @returns {Promise<import('./engine.js').CliResult>}
 */
async function playBlock(options, first, runs, step, progressed) {
  /** @type {string[]} the partials not yet merged, the first the merge of all before */
  let kept = [];
  const merge = async () => {
    if (kept.length < 2) return undefined;
    /** @type {Record<string, string>} */
    const files = {};
    kept.forEach((text, i) => { files[`p${i}.json`] = text; });
    const merged = await runHere(['merge', '--format', 'partial', ...Object.keys(files)], files);
    kept = merged.status === 0 ? [merged.out] : [];
    return merged.status === 0 ? undefined : merged;
  };
  for (let at = first; at < first + runs; at += step) {
    const shard = await runHere(['batch', ...options, '--format', 'partial', '--first-run', String(at),
      '--runs', String(Math.min(step, first + runs - at))]);
    if (shard.status !== 0) return shard;
    kept.push(shard.out);
    // a merge reads every partial it is given: merged eight at a time, the cost is small beside
    // the runs, and memory stays a few partials however many runs
    const refused = kept.length > MERGE_EVERY ? await merge() : undefined;
    if (refused) return refused;
    progressed(Math.min(at + step, first + runs) - first);
  }
  const refused = await merge();
  return refused ?? { status: 0, out: kept[0] ?? '', err: '', files: {} };
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
