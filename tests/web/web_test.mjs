// The browser build, end to end: the three pages in headless Chromium, and
// the wasm scene_probe and scene_tests under node.  Run by tools/web_tests.sh
// (node --test), which builds build-web/ and the native build/ first.
//   TERRAIN_WEB_BUILD     the browser build (default build-web/)
//   TERRAIN_NATIVE_BUILD  the native build with frame_capture, scene_probe
//                         and client_area_check (default build/)

import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';
import { launch, open, programs, serve, status_line, viewer, wait_for, without_webgl } from './browser.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const web_build = resolve(process.env.TERRAIN_WEB_BUILD || join(root, 'build-web'));
const native_build = resolve(process.env.TERRAIN_NATIVE_BUILD || join(root, 'build'));
const run = promisify(execFile);
// Node 20's fetch cannot load the .wasm beside emcc's .js; its fallback reads the file.
const run_wasm = (script, args) => run(process.execPath, ['--no-experimental-fetch', script, ...args]);
const limit = { timeout: 600000 };

// Keys the viewers ignore, and the flood: presses and releases of many keys,
// with some held down long enough to repeat.
const other_keys = ['a', 'Enter', 'Space', 'Tab', 'ArrowLeft', 'F1', 'Shift', 'Backspace', '1'];
async function flood(page) {
  const sent = [];
  for (let i = 0; i < 400; ++i) {
    const key = other_keys[i % other_keys.length];
    sent.push(page.keyboard.down(key), page.keyboard.down(key), page.keyboard.up(key));
  }
  for (let i = 0; i < 200; ++i) sent.push(page.keyboard.down('KeyQ'));  // held: auto-repeats
  sent.push(page.keyboard.up('KeyQ'));
  await Promise.all(sent);
}

async function assert_ended(page, program, exit_status) {
  const ended = await wait_for(page, (v) => v.exitStatus !== null);
  assert.equal(ended.exitStatus, exit_status);
  assert.equal(await status_line(page), `${program} ended with exit status ${exit_status}`);
  assert.deepEqual(page.errors, []);
}

describe('pages in headless Chromium', () => {
  let site, browser, shots;
  before(async () => {
    site = await serve(join(web_build, 'site'));
    browser = await launch();
    // The canvas pictures stay for a look (beside them, on a mismatch, the
    // desktop's cut of the same frame).
    shots = join(web_build, 'test-pictures');
    mkdirSync(shots, { recursive: true });
  });
  after(async () => {
    await browser?.close();
    site?.close();
  });

  for (const program of programs) {
    test(`${program}: the window, frames through other keys and a flood of them, Escape ends the run`, limit, async () => {
      const page = await open(browser, `${site.url}${program}.html`);
      assert.equal(await page.title(), 'KOLVAR Map Editor');
      // No click first: keys reach the window as soon as it is shown.
      let state = await wait_for(page, (v) => v.frame >= 0);
      const client = await (await page.$('#client')).boundingBox();
      assert.deepEqual(client, { x: 3, y: 22, width: 634, height: 455 });
      state = await wait_for(page, (v, f) => v.frame >= f + 3, state.frame);
      for (const key of other_keys) await page.keyboard.press(key);
      await flood(page);
      state = await wait_for(page, (v, f) => v.frame >= f + 3, (await viewer(page)).frame);
      assert.equal(state.exitStatus, null, 'a key other than Escape ended the run');

      await page.keyboard.press('Escape');
      await assert_ended(page, program, 0);
      await page.close();
    });

    test(`${program}: frame 150 as on the desktop, then no more; the close button ends the run`, limit, async (t) => {
      const page = await open(browser, `${site.url}${program}.html?frame=150`);
      await wait_for(page, (v) => v.frame >= 150, null, 480000);
      const shot = join(shots, `${program}_150.png`);
      await (await page.$('#client')).screenshot({ path: shot });
      const check = await run(join(native_build, 'tests/pictures/client_area_check'), [program, '150', shot])
        .catch((failed) => failed);
      assert.equal(check.code ?? 0, 0, `${check.stdout}${check.stderr}(pictures: ${shot}*)`);
      t.diagnostic(check.stdout.trim());
      assert.equal((await viewer(page)).frame, 150, 'frames went on past ?frame=150');

      await page.click('#close');
      await assert_ended(page, program, 0);
      await page.close();
    });
  }

  test('without WebGL each page says so in one line and ends with status 1', limit, async () => {
    const bare = await launch(without_webgl);
    try {
      for (const program of programs) {
        const page = await open(bare, `${site.url}${program}.html`);
        const ended = await wait_for(page, (v) => v.exitStatus !== null);
        assert.deepEqual([ended.frame, ended.exitStatus], [-1, 1]);
        assert.equal(await status_line(page), `${program}: cannot create the GL context: WebGL is unavailable`);
        await page.close();
      }
    } finally {
      await bare.close();
    }
  });
});

describe('the scene in wasm under node', () => {
  test('scene_probe agrees with the native build', limit, async () => {
    for (const program of programs) {
      for (const frame of ['0', '1', '401', '777', '470228', '16777300']) {
        const [native, wasm] = await Promise.all([
          run(join(native_build, 'tools/scene_probe'), [program, frame]),
          run_wasm(join(web_build, 'tools/scene_probe.js'), [program, frame]),
        ]);
        assert.equal(wasm.stdout, native.stdout, `${program} ${frame}`);
      }
    }
  });

  test('scene_tests pass', limit, async () => {
    await run_wasm(join(web_build, 'tests/scene_tests.js'), []);
  });
});
