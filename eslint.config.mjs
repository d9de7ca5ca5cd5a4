// ESLint for the browser page's modules, their tests and the project's other JavaScript: the rules
// that catch real faults (ESLint's recommended set, from @eslint/js at the version
// tests/page/package-lock.json pins), strict equality, const where nothing reassigns, and one
// declaration per statement, which keeps each name on a line of its own under Prettier.
import { createRequire } from 'node:module';

// The packages are installed in tests/page (npm ci --prefix tests/page), not at the top of the tree.
const js = createRequire(new URL('tests/page/package.json', import.meta.url))('@eslint/js');

const BROWSER = [
  'atob',
  'document',
  'getComputedStyle',
  'matchMedia',
  'history',
  'location',
  'performance',
  'window',
  'HTMLElement',
  'Event',
];
const SHARED = [
  'console',
  'setTimeout',
  'clearTimeout',
  'TextDecoder',
  'TextEncoder',
  'URL',
  'URLSearchParams',
  'WebAssembly',
  'BigUint64Array',
  'BigInt',
  'Float64Array',
  'Uint8Array',
  'DataView',
];
const NODE = ['process'];
const readonly = names => Object.fromEntries(names.map(name => [name, 'readonly']));

export default [
  { ignores: ['**/node_modules/', 'build*/', 'dist/'] },
  {
    files: ['**/*.mjs'],
    languageOptions: {
      ecmaVersion: 2024,
      sourceType: 'module',
      globals: readonly([...BROWSER, ...SHARED, ...NODE]),
    },
    linterOptions: { reportUnusedDisableDirectives: 'error' },
    rules: {
      ...js.configs.recommended.rules,
      eqeqeq: 'error',
      'no-var': 'error',
      'prefer-const': 'error',
      'one-var': ['error', 'never'],
    },
  },
];
