// What the web tests share: where the page, the library's host and the corpus are, and the
// library's own answers (its container of a file, its outcome for a container), which the
// module and the page must give too.
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// A variable scripts/test-web.sh sets; a test run without it fails, naming it.
function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the web tests through scripts/test-web.sh`);
  return value;
}

export const webDir = required('QUILLPACK_WEB_DIR');
export const hostPath = required('QUILLPACK_HOST');
export const corpusDir = required('QUILLPACK_CORPUS_DIR');

// The corpus files' names; a folder that cannot be listed, or holds no file, fails the run.
export function corpusFiles() {
  const names = readdirSync(corpusDir).filter((n) => n !== 'README.md' && n !== 'SHA256SUMS');
  if (names.length === 0) throw new Error(`no corpus files in ${corpusDir}`);
  return names.sort();
}

const work = mkdtempSync(join(tmpdir(), 'quillpack-web-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));

// The container text the library writes for the file at `path`.
export function libraryContainer(path) {
  const out = join(work, 'library.qpk');
  execFileSync(hostPath, ['pack', path, out], { stdio: ['ignore', 'ignore', 'pipe'] });
  return readFileSync(out, 'latin1');
}

// The container text the library writes for `bytes`.
export function libraryContainerOf(bytes) {
  const input = join(work, 'input');
  writeFileSync(input, bytes);
  return libraryContainer(input);
}

// What the library makes of a container file holding `container` (a string is stored as
// UTF-8): { bytes } when it restores, { line } (its first error line) when it fails.
export function libraryUnpack(container) {
  const input = join(work, 'container.qpk');
  const output = join(work, 'restored');
  writeFileSync(input, container);
  const run = spawnSync(hostPath, ['unpack', input, output], { encoding: 'latin1' });
  if (run.status === 0) return { bytes: readFileSync(output) };
  if (run.status === 1) return { line: run.stderr.split('\n')[0] };
  throw new Error(`${hostPath} could not run: status ${run.status}: ${run.stderr}`);
}
