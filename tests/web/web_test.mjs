// The browser build, end to end: the three pages in headless Chromium, and
// in Firefox what Firefox does otherwise.  Run
// by build-web's ctest (node --test) once tools/build_web.sh has assembled
// the site; the wasm scene_probe and scene_tests are build-web's own tests.
//   TERRAIN_WEB_BUILD     the browser build (default build-web/)
//   TERRAIN_NATIVE_BUILD  the native build with client_area_check (default build/)

import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';
import { KnownDevices } from 'puppeteer-core';
import { launch, launch_firefox, open, programs, serve, status_line, viewer, wait_for, without_webgl } from './browser.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const web_build = resolve(process.env.TERRAIN_WEB_BUILD || join(root, 'build-web'));
const native_build = resolve(process.env.TERRAIN_NATIVE_BUILD || join(root, 'build'));
const run = promisify(execFile);
const limit = { timeout: 600000 };

// Keys the viewers ignore, and the flood: presses and releases of many keys,
// with some held down long enough to repeat (NOTE: Space as ' ': Firefox's
// driver knows no key names for characters).
const other_keys = ['a', 'Enter', ' ', 'ArrowLeft', 'F1', 'Shift', 'Backspace', '1'];
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

// The canvas's pixels brighter than near-black: the terrain is there.
const lit_pixels = (page) => page.$eval('#client', (canvas) => {
  const copy = document.createElement('canvas');
  [copy.width, copy.height] = [canvas.width, canvas.height];
  const context = copy.getContext('2d');
  context.drawImage(canvas, 0, 0);
  return context.getImageData(0, 0, copy.width, copy.height).data.filter((v, i) => i % 4 < 3 && v > 40).length;
});
// Lets the page run `count` animation frames (a wait on the page's own clock).
const animation_frames = (page, count) => page.evaluate((n) => new Promise((done) => {
  const step = () => (--n > 0 ? requestAnimationFrame(step) : done());
  requestAnimationFrame(step);
}), count);
// restore: true gives the context back, 'soon' loses it and gives it back
// right after the loss's event, faster than the layer looks.
const lose_context = (page, restore) => page.$eval('#client', (canvas, restore) => {
  canvas.lose ??= canvas.getContext('webgl').getExtension('WEBGL_lose_context');
  const back = () => setTimeout(() => canvas.lose.restoreContext());
  if (restore === 'soon') canvas.addEventListener('webglcontextlost', back, { once: true });
  if (restore === true) canvas.lose.restoreContext(); else canvas.lose.loseContext();
}, restore);
// A context lost as the page makes it, given back `restore_ms` later (null: never).
const lost_at_start = (restore_ms) => (page) => page.evaluateOnNewDocument((restore_ms) => {
  const get_context = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    const context = get_context.call(this, kind, ...rest);
    if (kind === 'webgl' && !this.lose) {
      (this.lose = context.getExtension('WEBGL_lose_context')).loseContext();
      if (restore_ms !== null) setTimeout(() => this.lose.restoreContext(), restore_ms);
    }
    return context;
  };
}, restore_ms);
// The points of a 24-px square (44 for a finger) round the close button's
// middle, moved down onto the page, that miss the button.
const hit_area_misses = (page) => page.$eval('#close', (close) => {
  const side = matchMedia('(pointer: coarse)').matches ? 44 : 24, box = close.getBoundingClientRect();
  const [x, y] = [box.left + box.width / 2, Math.max(box.top + box.height / 2, side / 2)];
  return [-1, 0, 1].flatMap((dx) => [-1, 0, 1].map((dy) => [x + dx * (side / 2 - 0.5), y + dy * (side / 2 - 0.5)]))
    .filter((point) => !close.contains(document.elementFromPoint(...point)));
});
// Tabs to the close button of a page that holds its picture: the colour
// values round it that change (polled: a screenshot may show the frame before).
async function focus_ring_change(page) {
  const box = await (await page.$('#close')).boundingBox();
  const clip = { x: box.x - 8, y: Math.max(0, box.y - 8), width: box.width + 16, height: box.height + 16 };
  const before = await page.screenshot({ clip, encoding: 'base64' });
  await page.keyboard.press('Tab');
  for (const end = Date.now() + 30000; ;) {
    const changed = await page.evaluate(async (shots) => {
      const [a, b] = await Promise.all(shots.map(async (png) => {
        const image = await createImageBitmap(await (await fetch(`data:image/png;base64,${png}`)).blob());
        const context = new OffscreenCanvas(image.width, image.height).getContext('2d');
        context.drawImage(image, 0, 0);
        return context.getImageData(0, 0, image.width, image.height).data;
      }));
      return a.filter((v, i) => i % 4 < 3 && Math.abs(v - b[i]) > 40).length;
    }, [before, await page.screenshot({ clip, encoding: 'base64' })]);
    if (changed >= 150 || Date.now() > end) return changed;
  }
}
// The close button, as a visitor finds it: scrolled to, inside the browser's window.
async function reachable_close(page) {
  await page.$eval('#close', (button) => button.scrollIntoView({ block: 'nearest', inline: 'nearest' }));
  const box = await (await page.$('#close')).boundingBox();
  const view = await page.evaluate(() => [document.documentElement.clientWidth, document.documentElement.clientHeight]);
  // (a scroll position is whole pixels, the scaled window's are not)
  assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= view[0] + 1 && box.y + box.height <= view[1] + 1,
            `the close button at ${JSON.stringify(box)} is outside the ${view} window`);
  return box;
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
      assert.equal(await page.title(), `${program} — KOLVAR Map Editor`);
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
      assert.equal(await page.$eval('#after a', (a) => a.href), `${site.url}${program}.html?frame=150`);
      await page.close();
    });
  }

  test('a lost context: no frames meanwhile, the picture back on restore; never restored, status 1', limit, async () => {
    const page = await open(browser, `${site.url}terrain128.html`);
    await wait_for(page, (v) => v.frame >= 2);
    await lose_context(page, false);
    const lost = await wait_for(page, (v) => v.contextLost);
    await page.keyboard.press('a');
    await animation_frames(page, 30);
    assert.equal((await viewer(page)).frame, lost.frame, 'frames counted while the context was lost');
    assert.equal(await status_line(page), 'terrain128: the picture waits for the browser to restore the WebGL context');
    await lose_context(page, true);
    await wait_for(page, (v, f) => v.frame >= f + 3, lost.frame);
    assert.ok(await lit_pixels(page) > 50000, 'no terrain after the context came back');
    assert.equal(await status_line(page), '');
    await page.keyboard.press('Escape');
    await assert_ended(page, 'terrain128', 0);

    const gone = await open(browser, `${site.url}terrain32.html`);
    await wait_for(gone, (v) => v.frame >= 0);
    await lose_context(gone, false);
    assert.equal((await wait_for(gone, (v) => v.exitStatus !== null)).exitStatus, 1);
    assert.equal(await status_line(gone), 'terrain32: lost the WebGL context: the browser did not restore it - reload the page');

    // A held last picture comes back; Escape while lost ends the run at once.
    const held = await open(browser, `${site.url}terrain32.html?frame=3`);
    await wait_for(held, (v) => v.frame >= 3);
    await lose_context(held, 'soon');
    for (const end = Date.now() + 60000; await lit_pixels(held) < 10000;) {
      assert.ok(Date.now() < end, 'the held picture did not come back');
      await animation_frames(held, 5);
    }
    await lose_context(held, false);
    await wait_for(held, (v) => v.contextLost);
    await held.keyboard.press('Escape');
    await assert_ended(held, 'terrain32', 0);

    // Lost as it is made: waited for the same way.
    const late = await open(browser, `${site.url}terrain32.html`, lost_at_start(500));
    const drawn = await wait_for(late, (v) => v.frame >= 3 || v.exitStatus !== null);
    assert.equal(drawn.exitStatus, null, await status_line(late));
    assert.ok(await lit_pixels(late) > 10000, 'no terrain after a context lost at its start came back');
    await late.keyboard.press('Escape');
    await assert_ended(late, 'terrain32', 0);
    const never = await open(browser, `${site.url}terrain32.html`, lost_at_start(null));
    assert.equal((await wait_for(never, (v) => v.exitStatus !== null)).exitStatus, 1);
    assert.equal(await status_line(never), 'terrain32: lost the WebGL context: the browser did not restore it - reload the page');
    await Promise.all([page, gone, held, late, never].map((each) => each.close()));
  });

  test('from file:// a page draws; a page whose wasm cannot start says so and ends with status 1', limit, async () => {
    const url = `file://${join(web_build, 'site/terrain32.html')}`;
    const page = await open(browser, url);
    await wait_for(page, (v) => v.frame >= 3);
    await page.keyboard.press('Escape');
    await assert_ended(page, 'terrain32', 0);
    const refused = await open(browser, url, (page) => page.evaluateOnNewDocument(() => {
      WebAssembly.instantiate = () => Promise.reject(new Error('refused'));
    }));
    assert.equal((await wait_for(refused, (v) => v.exitStatus !== null)).exitStatus, 1);
    assert.equal(await status_line(refused), 'terrain32: stopped: Error: refused');
    await Promise.all([page.close(), refused.close()]);
  });

  test('a small browser window and a window dragged far off: the close button stays reachable, in Firefox under an overlay scrollbar too', limit, async () => {
    const firefox = await launch_firefox();
    try {
      // (Firefox's driver keeps the pointer inside the browser's window.)
      for (const [each, far] of [[browser, [5000, 4000]], [firefox, null], [firefox, [479, 339]]]) {
        const page = await open(each, `${site.url}terrain32.html?frame=0`, (page) => page.setViewport({ width: 480, height: 340 }));
        await wait_for(page, (v) => v.frame >= 0);
        const start = await reachable_close(page);
        if (each === firefox) assert.ok(await page.evaluate(() => document.documentElement.scrollHeight > innerHeight));
        if (!far) {
          assert.deepEqual(await hit_area_misses(page), []);
          assert.ok(await focus_ring_change(page) >= 150, 'no focus ring to be seen on the close button');
        } else {
          await page.mouse.move(start.x - 100, start.y + 5);
          await page.mouse.down();
          await page.mouse.move(...far, { steps: 5 });
          await page.mouse.up();
          assert.notDeepEqual(await reachable_close(page), start, 'the caption did not move the window');
        }
        await page.click('#close');  // on its middle
        await assert_ended(page, 'terrain32', 0);
        await page.close();
      }
    } finally {
      await firefox.close();
    }
  });

  test('keys: scrolling keys cancelled on the window, the browser keys left to it', limit, async () => {
    const page = await open(browser, `${site.url}terrain32.html`);
    await wait_for(page, (v) => v.frame >= 0);
    await page.evaluate(() => {
      window.cancelled = {};
      addEventListener('keydown', (event) => { window.cancelled[event.key] = event.defaultPrevented; });
    });
    for (const key of ['ArrowDown', 'PageDown', ' ', 'F1', 'F3', 'Backspace']) await page.keyboard.press(key);
    for (const [modifier, key] of [['Control', 'KeyL'], ['Alt', 'KeyD']]) {
      await page.keyboard.down(modifier);
      await page.keyboard.press(key);
      await page.keyboard.up(modifier);
    }
    assert.deepEqual(await page.evaluate(() => window.cancelled), {
      ArrowDown: true, PageDown: true, ' ': true, F1: false, F3: false, Backspace: false,
      Control: false, l: false, Alt: false, d: false,
    });
    await page.keyboard.press('Escape');
    await assert_ended(page, 'terrain32', 0);
    await page.close();
  });

  test('keyboard and screen reader: names, Tab reaches the close button, its ring shows, Enter presses it, the end is announced', limit, async () => {
    const page = await open(browser, `${site.url}terrain128.html?frame=0`);
    await wait_for(page, (v) => v.frame >= 0);
    assert.deepEqual(await hit_area_misses(page), []);
    const nodes = [];
    (function walk(node) {
      nodes.push([node.role, node.name, node.description, node.live].filter(Boolean).join(' '));
      node.children?.forEach(walk);
    })(await page.accessibility.snapshot());
    for (const node of ['button Close', 'image terrain128: a rotating terrain', 'status polite'])
      assert.ok(nodes.includes(node), `${node} is not in ${nodes}`);
    assert.ok(await focus_ring_change(page) >= 150, 'no focus ring to be seen on the close button');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'close');
    await page.keyboard.press('Enter');
    await assert_ended(page, 'terrain128', 0);
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Run terrain128 again');
    await page.close();
  });

  test('a phone: the window fits 390 px and 320 px, Close stays a finger wide, the caption drags with a finger, a tap closes', limit, async () => {
    const page = await open(browser, `${site.url}terrain32.html`, (page) => page.emulate(KnownDevices['iPhone 13']));
    await wait_for(page, (v) => v.frame >= 0);
    const box = await (await page.$('#window')).boundingBox();
    assert.ok(box.width <= 390 && Math.abs(box.width / box.height - 640 / 480) < 0.01, JSON.stringify(box));
    assert.deepEqual(await hit_area_misses(page), []);
    const caption = await (await page.$('#caption-title')).boundingBox();
    await page.touchscreen.touchStart(caption.x + 20, caption.y + 5);
    await page.touchscreen.touchMove(caption.x + 20, caption.y + 105);
    await page.touchscreen.touchEnd();
    assert.ok((await (await page.$('#window')).boundingBox()).y > box.y + 50, 'the caption did not follow the finger');
    await page.setViewport({ width: 320, height: 568, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    await page.waitForFunction(() => document.getElementById('window').getBoundingClientRect().right <= 320);
    assert.deepEqual(await hit_area_misses(page), []);
    await page.tap('#close');
    await assert_ended(page, 'terrain32', 0);
    await page.close();
  });

  test('without WebGL each page says so in one line and ends with status 1, the links below it; without scripts, in a sentence', limit, async () => {
    const bare = await launch(without_webgl);
    try {
      for (const program of programs) {
        const page = await open(bare, `${site.url}${program}.html`);
        const ended = await wait_for(page, (v) => v.exitStatus !== null);
        assert.deepEqual([ended.frame, ended.exitStatus], [-1, 1]);
        assert.equal(await status_line(page), `${program}: cannot create the GL context: WebGL is unavailable - the browser offers no WebGL: turn on hardware acceleration in its settings`);
        await page.setViewport({ width: 320, height: 568 });
        const [line, links] = await page.$$eval('#status, #after', (parts) => parts.map((part) => part.getBoundingClientRect().toJSON()));
        assert.ok(line.height > 30 && links.top >= line.bottom, `the end line ${JSON.stringify(line)} runs into the links`);
        await page.close();
      }
      for (const address of [`${site.url}terrain32.html`, site.url]) {
        const page = await open(bare, address, (page) => page.setJavaScriptEnabled(false));
        assert.match(await page.$eval('body', (body) => body.innerText), /turn JavaScript on/);
        await page.close();
      }
    } finally {
      await bare.close();
    }
  });
});

