// SPDX-License-Identifier: GPL-3.0-or-later
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  { files: ['site/**/*.js'], languageOptions: { globals: { ...globals.browser, ...globals.worker } } },
  // the tests' page functions run in the browser
  { files: ['test/**/*.mjs'], languageOptions: { globals: { ...globals.node, ...globals.browser } } },
];
