// A WASI preview 1 host for the program's WebAssembly module, covering the imports it has: standard
// input at its end, standard output and error collected, exit by exception.

// WASI preview 1 numbers this host uses: error numbers, the character-device file type, and the
// rights fd_read (bit 1) and fd_write (bit 6), without fd_seek and fd_tell, as a terminal has.
const ESUCCESS = 0;
const EBADF = 8;
const ESPIPE = 70;
const CHARACTER_DEVICE = 2;
const STREAM_RIGHTS = (1n << 1n) | (1n << 6n);

// Thrown by proc_exit to end the run with its status.
class Exit {
  constructor(status) {
    this.status = status;
  }
}

// The imports of one run: standard output and error collected in out[1] and out[2]. memory() gives
// the module's memory.
function wasiHost(memory) {
  const out = { 1: [], 2: [] };
  const view = () => new DataView(memory().buffer);
  const isStream = fd => fd >= 0 && fd <= 2;
  const imports = {
    // Closes a descriptor: only the three streams exist.
    fd_close: fd => (isStream(fd) ? ESUCCESS : EBADF),
    // Describes a stream (struct fdstat): a character device that cannot seek.
    fd_fdstat_get(fd, at) {
      if (!isStream(fd)) return EBADF;
      new Uint8Array(memory().buffer, at, 24).fill(0);
      view().setUint8(at, CHARACTER_DEVICE);
      view().setBigUint64(at + 8, STREAM_RIGHTS, true);
      return ESUCCESS;
    },
    // Gives a stream's attributes (struct filestat): its file type, every other field zero.
    fd_filestat_get(fd, at) {
      if (!isStream(fd)) return EBADF;
      new Uint8Array(memory().buffer, at, 64).fill(0);
      view().setUint8(at + 16, CHARACTER_DEVICE);
      return ESUCCESS;
    },
    // Reads standard input, which is at its end: no bytes.
    fd_read(fd, iovs, count, readAt) {
      if (fd !== 0) return EBADF;
      view().setUint32(readAt, 0, true);
      return ESUCCESS;
    },
    // Refuses to move in a stream.
    fd_seek: fd => (isStream(fd) ? ESPIPE : EBADF),
    // Appends the buffers (struct iovec: address, length) to standard output or error.
    fd_write(fd, iovs, count, writtenAt) {
      if (fd !== 1 && fd !== 2) return EBADF;
      let written = 0;
      for (let i = 0; i < count; ++i) {
        const address = view().getUint32(iovs + 8 * i, true);
        const length = view().getUint32(iovs + 8 * i + 4, true);
        out[fd].push(...new Uint8Array(memory().buffer, address, length));
        written += length;
      }
      view().setUint32(writtenAt, written, true);
      return ESUCCESS;
    },
    // Ends the run with the program's status.
    proc_exit: status => {
      throw new Exit(status);
    },
  };
  return { imports: { wasi_snapshot_preview1: imports }, out };
}

// An instance of the compiled module with a host of its own; out collects what it writes.
export async function instantiate(module) {
  let instance = null;
  const host = wasiHost(() => instance.exports.memory);
  instance = await WebAssembly.instantiate(module, host.imports);
  return { exports: instance.exports, out: host.out };
}

// Runs the program's _start in an instance of its own; returns its output text and exit status.
export async function runProgram(module) {
  const { exports, out } = await instantiate(module);
  let status = 0;
  try {
    exports._start();
  } catch (thrown) {
    if (!(thrown instanceof Exit)) throw thrown;
    status = thrown.status;
  }
  const text = bytes => new TextDecoder().decode(new Uint8Array(bytes));
  return { stdout: text(out[1]), stderr: text(out[2]), status };
}
