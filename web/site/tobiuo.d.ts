// SPDX-License-Identifier: GPL-3.0-or-later
// The module the build writes (emscripten's output for web/bindings.cc), as engine.js uses it.
export default function createTobiuo(): Promise<{
  ccall(name: 'tobiuo_cli', returns: 'string', types: ['string'], args: [string]): string;
}>;
