// quillpack.mjs in Node: the library's containers, and the library's verdict on containers.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { test } from 'node:test';

import {
  corpusDir,
  corpusFiles,
  libraryContainer,
  libraryContainerOf,
  libraryUnpack,
  webDir,
} from './support.mjs';

const { pack, unpack } = await import(pathToFileURL(join(webDir, 'quillpack.mjs')).href);

// Inputs beside the corpus: the empty one, and lengths around the 4096-byte block and the
// module's 1 MiB piece, where a coder that cut its input anywhere else would differ.
const periodic = (length) => Uint8Array.from({ length }, (_, i) => (i % 251) ^ (i >> 12));
const generated = {
  empty: new Uint8Array(0),
  'abcabcabc': new TextEncoder().encode('abcabcabc'),
  'one block and a byte': periodic(4097),
  'a piece and a byte': periodic((1 << 20) + 1),
};

test('pack gives the library container of every input, and unpack restores it', async (t) => {
  for (const name of corpusFiles()) {
    await t.test(name, async () => {
      const path = join(corpusDir, name);
      const bytes = readFileSync(path);
      const text = await pack(bytes);
      assert.ok(text === libraryContainer(path), `${name}: the container differs from the library's`);
      assert.deepEqual(Buffer.from(await unpack(text)), bytes);
    });
  }
  for (const [name, bytes] of Object.entries(generated)) {
    await t.test(name, async () => {
      const text = await pack(bytes);
      assert.ok(text === libraryContainerOf(bytes), `${name}: the container differs from the library's`);
      assert.deepEqual(await unpack(text), bytes);
    });
  }
});

// Containers the library's reader accepts or refuses; the module must do the same, refusing
// with the library's first line.
const containers = {
  'empty text': '',
  'the header alone': '51504B01\n',
  'either case, white space anywhere': '5150 4b01\r\n0\t0 6\r\n1\n',
  'an empty match, a match longer than its distance': '51504B01 0061 80000000 80050100',
  'an odd digit count': 'ABC',
  'a lone invalid character at the end': '51504B01G',
  'a pair with a non-digit': '51504B01 00G1',
  'a bad pair after a bad token: the text is judged first': '51504B01 0100 ZZ',
  'a short header': '51504B',
  'version 2': '51504B02',
  'a literal cut off': '51504B0100',
  'a match cut off': '51504B018003',
  'a distance beyond the bytes restored': '51504B01 0061 80010200',
  'distance 0 with a length': '51504B01 0061 80010000',
  'kind byte 0xFF': '51504B01 FF00',
  'a character beyond ASCII, as UTF-8': '51504B01\u00e9',
  'a character beyond ASCII after an odd digit': '51504B01 0\u00e9',
  'byte 0xFF at the end': Uint8Array.of(0x35, 0x31, 0xff),
  'a NUL byte in a pair': Uint8Array.of(0x35, 0x00),
};

test('unpack follows the library reader, refusing with its first line', async (t) => {
  for (const [name, container] of Object.entries(containers)) {
    await t.test(name, async () => {
      const library = libraryUnpack(container);
      if (library.bytes) {
        assert.deepEqual(Buffer.from(await unpack(container)), library.bytes);
      } else {
        await assert.rejects(unpack(container), (error) => {
          assert.ok(error instanceof Error);
          assert.equal(error.message, library.line);
          return true;
        });
      }
    });
  }
});
