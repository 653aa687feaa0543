// SPDX-License-Identifier: GPL-3.0-or-later
// A Worker with its own single-threaded module: plays the shards of a batch it is handed
// (`tobiuo-sim batch --format partial` over a range of runs) off the page's thread.
import { cli } from './engine.js';

self.addEventListener('message', async (event) => {
  const { id, args } = /** @type {{id: number, args: string[]}} */ (event.data);
  self.postMessage({ id, result: await cli(args) });
});
