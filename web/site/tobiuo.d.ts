// SPDX-License-Identifier: GPL-3.0-or-later
// The module the build writes (emscripten's output for web/bindings.cc), as module.js uses it.
export default function createTobiuo(): Promise<{
  HEAPU8: Uint8Array;
  _tobiuo_request(size: number): number;
  _tobiuo_cli(): number;
  _tobiuo_response_size(): number;
}>;
