// The page: a file in, its container text out; a container in, its file out. Each job runs
// in a worker of its own, so the page stays responsive, with a progress bar once a job takes
// more than a moment. Nothing leaves the page: files are read, and offered back, locally.

/* global quillpackWasmBase64, quillpackEngine, quillpackWorker */
(function () {
  'use strict';

  // Container text shown in the page, in characters; a longer text would stall it for seconds
  // (copy and download still give the whole text).
  const kShownText = 8 * 1024 * 1024;
  // How long a job runs before its progress bar appears, in milliseconds.
  const kProgressDelay = 150;

  const element = (id) => document.getElementById(id);
  const wasm = Uint8Array.from(atob(quillpackWasmBase64), (c) => c.charCodeAt(0));
  const workerUrl = URL.createObjectURL(
    new Blob([`${quillpackEngine}\n(${quillpackWorker})(self, quillpackEngine);\n`], {
      type: 'text/javascript',
    }),
  );

  // ---------------------------------------------------------------------------------------
  // Jobs

  // The rejection of a job that a newer one of its panel replaced; nothing is shown for it.
  class Superseded extends Error {}

  // The job under way in each panel, { cancel }, and the one the progress bar shows.
  const running = { pack: null, unpack: null };
  let shown = null;

  const progress = element('progress');
  const progressBar = element('progress-bar');

  function showProgress(job, label) {
    shown = job;
    element('progress-label').textContent = label;
    progressBar.value = job.progress;
    progress.hidden = false;
  }

  function hideProgress(job) {
    if (shown !== job) return;
    shown = null;
    progress.hidden = true;
  }

  // The job on this page's own thread, for a browser that cannot start the worker.
  async function runHere(op, input) {
    const { instance } = await WebAssembly.instantiate(wasm, {});
    const engine = quillpackEngine(instance);
    return op === 'pack' ? engine.pack(input) : engine.unpack(input);
  }

  // Runs `op` ('pack' or 'unpack', the panel's own) on `input` in a new worker, ending the
  // panel's job still under way. Resolves to the text or the bytes; rejects with the
  // library's line, or with Superseded.
  function run(op, input, label) {
    if (running[op]) running[op].cancel();
    return new Promise((resolve, reject) => {
      let worker;
      try {
        worker = new Worker(workerUrl);
      } catch (error) {
        runHere(op, input).then(resolve, reject);
        return;
      }
      const job = {
        progress: 0,
        cancel() {
          end();
          reject(new Superseded());
        },
      };
      const timer = setTimeout(() => showProgress(job, label), kProgressDelay);
      const end = () => {
        clearTimeout(timer);
        worker.terminate();
        if (running[op] === job) running[op] = null;
        hideProgress(job);
      };
      running[op] = job;
      worker.onmessage = ({ data }) => {
        if ('progress' in data) {
          job.progress = data.progress;
          if (shown === job) progressBar.value = data.progress;
          return;
        }
        end();
        if ('error' in data) reject(new Error(data.error));
        else resolve(data.result);
      };
      worker.onerror = (event) => {
        // The worker could not start (a browser that allows no worker from this page).
        event.preventDefault();
        end();
        runHere(op, input).then(resolve, reject);
      };
      worker.postMessage({ wasm, op, input });
    });
  }

  function offerDownload(name, parts, type) {
    const url = URL.createObjectURL(new Blob(parts, { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  const count = (n) => n.toLocaleString('en');

  // Each panel's newest request: a file whose bytes arrive after a newer one was chosen (or
  // text given) is dropped, so a slow read never takes the place of what came after it.
  const latest = { pack: 0, unpack: 0 };

  // The bytes of `file`, or null after `failed(error)` when they cannot be read, or null when
  // `panel` had a newer request meanwhile.
  async function readFile(panel, file, failed) {
    const ticket = ++latest[panel];
    let bytes = null;
    let error = null;
    try {
      bytes = await file.arrayBuffer();
    } catch (caught) {
      error = caught;
    }
    if (ticket !== latest[panel]) return null;
    if (error) failed(error);
    return bytes;
  }

  // ---------------------------------------------------------------------------------------
  // File to text

  const packText = element('pack-text');
  const packSizes = element('pack-sizes');
  const packCopy = element('pack-copy');
  const packDownload = element('pack-download');
  const packNote = element('pack-note');
  let packed = null; // { name, text }

  async function packFile(file) {
    packed = null;
    packText.value = '';
    packText.placeholder = '';
    packCopy.disabled = true;
    packDownload.disabled = true;
    packDownload.textContent = 'Download';
    packNote.textContent = '';
    packSizes.classList.remove('error');
    packSizes.textContent = `Packing ${file.name}…`;
    const bytes = await readFile('pack', file, (error) => {
      packSizes.classList.add('error');
      packSizes.textContent = `Cannot read ${file.name}: ${error.message}`;
    });
    if (!bytes) return;
    let text;
    try {
      text = await run('pack', bytes, `Packing ${file.name}`);
    } catch (error) {
      if (error instanceof Superseded) return;
      packSizes.classList.add('error');
      packSizes.textContent = error.message;
      return;
    }
    packed = { name: file.name, text };
    packSizes.textContent =
      `${file.name}: ${count(file.size)} bytes; ` + `container text: ${count(text.length)} bytes`;
    if (text.length <= kShownText) {
      packText.value = text;
    } else {
      packText.placeholder =
        `The container text has ${count(text.length)} characters, too many to show here. ` +
        'Copy text and Download give all of it.';
    }
    packCopy.disabled = false;
    packDownload.disabled = false;
    packDownload.textContent = `Download ${file.name}.qpk`;
  }

  packCopy.addEventListener('click', async () => {
    if (!packed) return;
    try {
      await navigator.clipboard.writeText(packed.text);
      packNote.textContent = 'Copied.';
      return;
    } catch (error) {
      // No clipboard access from this page: copy the selection, as a person would.
    }
    let copied = false;
    if (packText.value === packed.text) {
      packText.select();
      copied = document.execCommand('copy');
    }
    packNote.textContent = copied
      ? 'Copied.'
      : 'This browser let the page copy nothing: select the text and copy it, or download it.';
  });

  packDownload.addEventListener('click', () => {
    if (packed) offerDownload(`${packed.name}.qpk`, [packed.text], 'text/plain');
  });

  element('pack-file').addEventListener('change', (event) => {
    const file = event.target.files[0];
    if (file) packFile(file);
  });

  // ---------------------------------------------------------------------------------------
  // Text to file

  const unpackText = element('unpack-text');
  const unpackName = element('unpack-name');
  const unpackDownload = element('unpack-download');
  const unpackResult = element('unpack-result');
  const unpackError = element('unpack-error');
  let restored = null; // the bytes of the last container restored

  const restoredName = () => unpackName.value.trim() || unpackName.placeholder;

  // Restores `container` (text, or the bytes of a file). A malformed one shows its line, and
  // nothing else.
  async function restore(container) {
    latest.unpack += 1;
    restored = null;
    unpackDownload.hidden = true;
    unpackError.textContent = '';
    unpackResult.textContent = 'Restoring…';
    let bytes;
    try {
      bytes = await run('unpack', container, 'Restoring');
    } catch (error) {
      if (error instanceof Superseded) return;
      unpackResult.textContent = '';
      unpackError.textContent = error.message;
      return;
    }
    restored = bytes;
    unpackResult.textContent = `Restored ${count(bytes.length)} bytes.`;
    unpackDownload.textContent = `Download ${restoredName()}`;
    unpackDownload.hidden = false;
  }

  // A container file is restored from its bytes as they are, never through the text box.
  async function restoreFile(file) {
    unpackText.value = '';
    unpackName.value = file.name.replace(/\.qpk$/i, '');
    const bytes = await readFile('unpack', file, (error) => {
      restored = null;
      unpackDownload.hidden = true;
      unpackResult.textContent = '';
      unpackError.textContent = `Cannot read ${file.name}: ${error.message}`;
    });
    if (bytes) restore(new Uint8Array(bytes));
  }

  element('unpack-run').addEventListener('click', () => restore(unpackText.value));

  unpackText.addEventListener('input', (event) => {
    if (event.inputType === 'insertFromPaste') restore(unpackText.value);
  });

  unpackName.addEventListener('input', () => {
    unpackDownload.textContent = `Download ${restoredName()}`;
  });

  unpackDownload.addEventListener('click', () => {
    if (restored) offerDownload(restoredName(), [restored], 'application/octet-stream');
  });

  element('unpack-file').addEventListener('change', (event) => {
    const file = event.target.files[0];
    if (file) restoreFile(file);
  });

  // ---------------------------------------------------------------------------------------
  // Dropping

  // A file dropped anywhere else must not replace the page with itself.
  for (const type of ['dragover', 'drop']) {
    document.addEventListener(type, (event) => event.preventDefault());
  }

  function dropZone(zone, onDrop) {
    zone.addEventListener('dragover', (event) => {
      event.preventDefault();
      zone.classList.add('over');
    });
    zone.addEventListener('dragleave', (event) => {
      if (!zone.contains(event.relatedTarget)) zone.classList.remove('over');
    });
    zone.addEventListener('drop', (event) => {
      event.preventDefault();
      event.stopPropagation();
      zone.classList.remove('over');
      onDrop(event.dataTransfer);
    });
  }

  dropZone(element('pack'), (data) => {
    if (data.files.length > 0) packFile(data.files[0]);
  });

  dropZone(element('unpack'), (data) => {
    if (data.files.length > 0) {
      restoreFile(data.files[0]);
      return;
    }
    const text = data.getData('text/plain');
    if (text) {
      unpackText.value = text;
      restore(text);
    }
  });
})();
