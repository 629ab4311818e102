// The page in Debian's Chromium, opened from its file as a person would: a file packed to
// the library's container, that text pasted back and restored, a malformed container's line,
// and no request for anything but the page's own files. Leaves a screenshot for the README.
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import { chromium } from 'playwright-core';

import {
  corpusDir,
  libraryContainer,
  libraryContainerOf,
  libraryUnpack,
  webDir,
} from './support.mjs';

const kBrowser = process.env.QUILLPACK_CHROMIUM || '/usr/bin/chromium';
const kScreenshot = process.env.QUILLPACK_SCREENSHOT;
const kFile = 'alice29.txt';
const kTimeout = 30000;

const pageUrl = pathToFileURL(join(webDir, 'index.html')).href;
const pageFolder = pathToFileURL(webDir).href + '/';
const requests = [];
let profile;
let context;
let page;

before(async () => {
  profile = mkdtempSync(join(tmpdir(), 'quillpack-chromium-'));
  // Debian's browser, never one of Playwright's own; no connection of its own anywhere.
  context = await chromium.launchPersistentContext(profile, {
    executablePath: kBrowser,
    headless: true,
    chromiumSandbox: false,
    args: [
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
    viewport: { width: 860, height: 900 },
    acceptDownloads: true,
    permissions: ['clipboard-read', 'clipboard-write'],
  });
  context.on('request', (request) => requests.push(request.url()));
  page = context.pages()[0] ?? (await context.newPage());
  page.setDefaultTimeout(kTimeout);
  await page.goto(pageUrl);
});

after(async () => {
  await context?.close();
  if (profile) rmSync(profile, { recursive: true, force: true });
});

// The bytes of the download that `click` starts, and the name the page gave it.
async function download(click) {
  const [started] = await Promise.all([page.waitForEvent('download'), click()]);
  return { name: started.suggestedFilename(), bytes: readFileSync(await started.path()) };
}

test('a file given through the file input becomes the library container', async () => {
  const path = join(corpusDir, kFile);
  const expected = libraryContainer(path);
  await page.setInputFiles('#pack-file', path);
  await page.waitForSelector('#pack-download:enabled');
  assert.ok((await page.inputValue('#pack-text')) === expected, 'the text shown differs');
  const saved = await download(() => page.click('#pack-download'));
  assert.equal(saved.name, `${kFile}.qpk`);
  assert.ok(saved.bytes.toString('latin1') === expected, 'the file downloaded differs');
});

test('the container copied and pasted back restores the file', async () => {
  await page.click('#pack-copy');
  await page.waitForSelector('#pack-note:has-text("Copied.")');
  await page.fill('#unpack-name', kFile);
  await page.focus('#unpack-text');
  await page.keyboard.press('Control+V');
  await page.waitForSelector('#unpack-download:visible');
  if (kScreenshot) await page.screenshot({ path: kScreenshot, fullPage: true });
  const saved = await download(() => page.click('#unpack-download'));
  assert.equal(saved.name, kFile);
  assert.deepEqual(saved.bytes, readFileSync(join(corpusDir, kFile)));
});

test('a malformed container shows the library line and nothing else', async () => {
  const container = '51504B01 0061 80010200 00G1';
  await page.fill('#unpack-text', container);
  await page.click('#unpack-run');
  await page.waitForSelector('#unpack-error:not(:empty)');
  assert.equal(await page.textContent('#unpack-error'), libraryUnpack(container).line);
  assert.equal(await page.textContent('#unpack-result'), '');
  assert.equal(await page.isVisible('#unpack-download'), false);
});

test('a file chosen while an earlier one is still read is the one that counts', async (t) => {
  // The page's files read as it reads them, but the file named "slow..." only once released;
  // and a count of the workers still running, so that a job the slow file started is awaited.
  await page.evaluate(() => {
    const read = Blob.prototype.arrayBuffer;
    Blob.prototype.arrayBuffer = function () {
      if (!String(this.name).startsWith('slow')) return read.call(this);
      return new Promise((resolve) => {
        window.releaseSlow = () => resolve(read.call(this));
      });
    };
    window.workersRunning = 0;
    window.Worker = class extends window.Worker {
      constructor(...args) {
        super(...args);
        window.workersRunning += 1;
      }
      terminate() {
        if (!this.ended) window.workersRunning -= 1;
        this.ended = true;
        super.terminate();
      }
    };
  });
  const slow = Buffer.from('the file chosen first');
  const fast = Buffer.from('the file chosen last');
  const panels = [
    { input: '#pack-file', slow, fast, done: '#pack-download:has-text("fast.qpk")' },
    {
      input: '#unpack-file',
      slow: Buffer.from(libraryContainerOf(slow), 'latin1'),
      fast: Buffer.from(libraryContainerOf(fast), 'latin1'),
      done: '#unpack-download:visible:has-text("fast")',
    },
  ];
  for (const panel of panels) {
    await t.test(panel.input, async () => {
      const file = (name, buffer) => ({ name, mimeType: 'application/octet-stream', buffer });
      await page.setInputFiles(panel.input, file('slow.qpk', panel.slow));
      await page.setInputFiles(panel.input, file('fast.qpk', panel.fast));
      await page.waitForSelector(panel.done);
      await page.evaluate(async () => {
        window.releaseSlow();
        await new Promise((resolve) => setTimeout(resolve, 0));
      });
      await page.waitForFunction(() => window.workersRunning === 0);
      if (panel.input === '#pack-file') {
        const text = await page.inputValue('#pack-text');
        assert.ok(text === libraryContainerOf(fast), 'the text shown is not the last file\'s');
      } else {
        assert.deepEqual((await download(() => page.click('#unpack-download'))).bytes, fast);
      }
    });
  }
});

test('the module packs in the browser as the library does', async () => {
  // The page's folder served over loopback, since a file:// page cannot import a module, and
  // an empty page of the server's own to import it from (the page's own may fetch nothing).
  const types = { '.mjs': 'text/javascript', '.wasm': 'application/wasm' };
  const server = createServer((request, response) => {
    const name = new URL(request.url, 'http://localhost').pathname.slice(1);
    if (name === '') {
      response.writeHead(200, { 'content-type': 'text/html' }).end('<!doctype html><title>-</title>');
      return;
    }
    try {
      const body = readFileSync(join(webDir, name));
      response.writeHead(200, { 'content-type': types[extname(name)] ?? 'text/plain' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const served = await context.newPage();
  try {
    await served.goto(`${origin}/`);
    const path = join(corpusDir, kFile);
    const text = await served.evaluate(async (bytes) => {
      const { pack } = await import('./quillpack.mjs');
      return pack(Uint8Array.from(bytes));
    }, Array.from(readFileSync(path)));
    assert.ok(text === libraryContainer(path), 'the container differs from the library\'s');
  } finally {
    await served.close();
    server.close();
  }
  const asked = requests.filter((url) => url.startsWith(origin)).map((url) => url.slice(origin.length));
  assert.deepEqual(asked, ['/', '/quillpack.mjs', '/quillpack.wasm']);
});

test('the page asks for nothing but its own files', () => {
  const foreign = requests.filter(
    (url) => !url.startsWith(pageFolder) && !url.startsWith('blob:') && !url.startsWith('http://127.0.0.1:'),
  );
  assert.ok(requests.some((url) => url.startsWith(pageFolder)), 'no request was seen at all');
  assert.deepEqual(foreign, []);
});
