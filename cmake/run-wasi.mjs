#!/usr/bin/env node
// Runs a WASI preview 1 module, such as build-wasm32-wasi/polyeval.wasm, with this process's
// standard input, output and error, and exits with the module's status.
// usage: run-wasi.mjs MODULE [ARGUMENT...]
import { readFile } from 'node:fs/promises';

// Node's WASI is still experimental and says so on standard error, which belongs to the program:
// that one warning is dropped (it is emitted after this line runs), any other is still shown.
process.removeAllListeners('warning');
process.on('warning', warning => warning.name === 'ExperimentalWarning' || console.error(String(warning)));
const { WASI } = await import('node:wasi');

const wasi = new WASI({ version: 'preview1', args: process.argv.slice(2), env: {}, returnOnExit: true });
const module = await WebAssembly.compile(await readFile(process.argv[2]));
process.exitCode = wasi.start(await WebAssembly.instantiate(module, wasi.getImportObject()));
