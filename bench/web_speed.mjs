// Packing through the web page's module in Node against the library's own packing (the
// benchmark's Quillpack column, one thread), on bible.txt and 1,000,000 random bytes, in one
// run. Every container the module makes is checked against the library's. The target: the
// module packs at least half as fast as the library.
//
// Usage: node bench/web_speed.mjs [--runs N] [--corpus DIR] [--web DIR] [--cpu]
// (bench/run-web.sh builds the page first.) --cpu times CPU seconds instead of wall clock:
// the Node process's user and system time, and the benchmark's --cpu for the library.
import { execFileSync } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const options = { runs: 5, corpus: join(root, '..', 'shared', 'corpus'), web: join(root, 'build-web', 'web'), cpu: false };
for (let i = 2; i < process.argv.length; i += 2) {
  const name = process.argv[i].replace(/^--/, '');
  if (name === 'cpu') {
    options.cpu = true;
    i -= 1;
    continue;
  }
  if (!(name in options) || i + 1 >= process.argv.length) {
    console.error('usage: node bench/web_speed.mjs [--runs N] [--corpus DIR] [--web DIR] [--cpu]');
    process.exit(2);
  }
  options[name] = name === 'runs' ? Number(process.argv[i + 1]) : process.argv[i + 1];
}

// Seconds since `since` (null: now, to start from), by the clock chosen.
function clock(since) {
  if (options.cpu) {
    const { user, system } = process.cpuUsage();
    const now = (user + system) / 1e6;
    return since === null ? now : now - since;
  }
  const now = Number(process.hrtime.bigint()) / 1e9;
  return since === null ? now : now - since;
}

const { pack } = await import(pathToFileURL(join(options.web, 'quillpack.mjs')).href);
const work = mkdtempSync(join(tmpdir(), 'quillpack-web-speed-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// The library's median pack time of the file `path`, from the benchmark program, and the
// container it wrote there (kept with --keep).
function libraryPack(path, name) {
  const keep = join(work, 'kept');
  const args = ['bench/run.sh', '--no-gzip', '--no-shapes', '--no-linear', '--runs', String(options.runs),
    '--corpus', options.corpus, '--keep', keep, '--filter', name];
  if (options.cpu) args.push('--cpu');
  if (dirname(path) !== resolve(options.corpus)) args.push('--file', path);
  const table = execFileSync('bash', args, { cwd: root, encoding: 'utf8' });
  const row = table.split('\n').find((line) => line.split(/\s+/)[0] === name);
  if (!row) throw new Error(`the benchmark printed no row for ${name}:\n${table}`);
  return { seconds: Number(row.split(/\s+/)[2]), container: readFileSync(join(keep, `${name}.qpk`), 'latin1') };
}

const random = join(work, 'random-1000000');
writeFileSync(random, randomBytes(1000000));
const inputs = [
  { name: 'bible.txt', path: join(options.corpus, 'bible.txt') },
  { name: 'random-1000000', path: random },
];

console.log(`runs ${options.runs}, median ${options.cpu ? 'CPU' : 'wall-clock'} seconds of one pack; Node ${process.version}`);
console.log('input              size  library s  module s  speed  MB/s  container');
let missed = 0;
for (const { name, path } of inputs) {
  const bytes = readFileSync(path);
  const times = [];
  let text;
  for (let run = 0; run < options.runs; run++) {
    const start = clock(null);
    text = await pack(bytes);
    times.push(clock(start));
  }
  const library = libraryPack(path, name);
  const module = median(times);
  const speed = library.seconds / module;
  const same = text === library.container;
  console.log(
    `${name.padEnd(14)} ${String(bytes.length).padStart(9)} ${library.seconds.toFixed(4).padStart(10)}` +
      ` ${module.toFixed(4).padStart(9)} ${speed.toFixed(2).padStart(6)} ${(bytes.length / 1e6 / module).toFixed(1).padStart(5)}` +
      `  ${same ? 'same' : 'DIFFERS'}`,
  );
  if (!same) missed++;
  if (speed < 0.5) {
    console.log(`target missed: ${name}: the module packs at ${speed.toFixed(2)} of the library's speed`);
    missed++;
  }
}
if (missed === 0) console.log('every target met: the module packs at least half as fast as the library');
process.exit(missed === 0 ? 0 : 1);
