#!/usr/bin/env -S node --disable-warning=ExperimentalWarning
// Runs a WASI preview 1 module, such as build-wasm32-wasi/polyeval.wasm, with this process's
// standard input, output and error, and exits with the module's status. Node's WASI is still
// experimental; the flag above keeps its warning off standard error, which the program owns.
// usage: run-wasi.mjs MODULE [ARGUMENT...]
import { readFile } from 'node:fs/promises';
import { WASI } from 'node:wasi';

const wasi = new WASI({ version: 'preview1', args: process.argv.slice(2), env: {}, returnOnExit: true });
const module = await WebAssembly.compile(await readFile(process.argv[2]));
process.exitCode = wasi.start(await WebAssembly.instantiate(module, wasi.getImportObject()));
