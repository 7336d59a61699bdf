// web_bench.mjs ROOT REPS: the browser build's figures, as Markdown (run by
// bench/web_bench.sh, which builds first).  In one run, repetitions taking
// turns, medians over them:
//   - each page in headless Chromium on SwiftShader: frames per second, and
//     the wasm and JavaScript work per frame (the page's viewer.workMs: the
//     time the program runs between yields), over a span after a warm-up;
//   - page load to the first frame drawn, in a fresh browser context (no
//     cache), from navigation start;
//   - the page's script time per frame as the browser counts it (DevTools
//     protocol, Performance.getMetrics' ScriptDuration), over the same span,
//     against the floor: bench/web_floor's stream into one array, in a bare
//     page in the same browser, and against the floor as a page that draws:
//     web_floor.html?per_frame=NAME, the stream and one WebGL clear once per
//     animation frame, its script time counted as the viewers' are;
//   - the desktop viewer on Xvfb with Mesa llvmpipe (bench/frame_bench):
//     frames per second with the viewer's own pauses, as the page runs, and
//     the frame's cost without them.

import { execFile } from 'node:child_process';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { launch, programs, serve, wait_for } from '../tests/web/browser.mjs';

const [root, reps_text] = process.argv.slice(2);
const reps = Number(reps_text || 3);
const run = promisify(execFile);
// frames timed, warm-up frames before them
const plans = { terrain320: [40, 10], terrain128: [150, 10], terrain32: [300, 20] };
const vertices = { terrain320: 610566, terrain128: 96774, terrain32: 5766 };
const start_pause_ms = { terrain320: 1000, terrain128: 0, terrain32: 0 };

// Before the page's scripts: frame 0 is stamped with the time.  After that
// the page's own object is handed out, so that nothing of the bench runs in
// the page while it is measured.
function stamp_first_frame() {
  let state, proxy;
  Object.defineProperty(window, 'viewer', {
    get: () => (window.first_frame_at === undefined ? proxy : state),
    set: (value) => {
      state = value;
      proxy = new Proxy(value, {
        set(target, key, v) {
          target[key] = v;
          if (key === 'frame' && v === 0) window.first_frame_at = performance.now();
          return true;
        },
      });
    },
  });
}

// A page that counts its frames in window.viewer.frame: a viewer's, or the
// floor's per-frame page.
async function page_run(browser, page_url, program) {
  const [frames, warmup] = plans[program];
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.evaluateOnNewDocument(stamp_first_frame);
    await page.goto(page_url);
    await wait_for(page, (v, last) => v.frame >= last, warmup, 600000);
    // The span's ends: the browser's script time, the page's clock, frame
    // and work.  In between the bench looks at the page only once a second.
    const ends = async () => [(await page.metrics()).ScriptDuration * 1000,
                              ...(await page.evaluate(() => [performance.now(), viewer.frame, viewer.workMs]))];
    const [s0, t0, f0, w0] = await ends();
    await wait_for(page, (v, last) => v.frame >= last, f0 + frames, 600000, 1000);
    const [s1, t1, f1, w1] = await ends();
    return {
      fps: (f1 - f0) / ((t1 - t0) / 1000),
      work_ms: (w1 - w0) / (f1 - f0),
      script_ms: (s1 - s0) / (f1 - f0),
      first_frame_ms: (await page.evaluate(() => window.first_frame_at)) - start_pause_ms[program],
    };
  } finally {
    await context.close();
  }
}

async function desktop_run(program, real_pauses) {
  const [frames, warmup] = plans[program];
  const args = [join(root, 'tests/harness/x11_harness.py'), 'xserver', '--', join(root, 'build/bench/frame_bench'),
                program, String(frames * 5), String(warmup), ...(real_pauses ? ['--real-pauses'] : [])];
  const { stdout } = await run('python3', args, { timeout: 600000 });
  const words = stdout.trim().split('\n').pop().split(' ');
  return Number(words[words.indexOf('ms_per_frame') + 1]);
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// The floor program's lines, "web_floor NAME ms_per_frame X", from a bare page.
async function floor_run(browser, url) {
  const page = await browser.newPage();
  const found = {};
  page.on('console', (message) => {
    const words = message.text().split(' ');
    if (words[0] === 'web_floor') found[words[1]] = Number(words[3]);
  });
  await page.goto(`${url}bench/web_floor.html`);
  await page.waitForFunction(() => document.getElementById('output')?.value.split('web_floor').length > 3,
                             { polling: 100, timeout: 600000 });
  await page.close();
  return found;
}

const site = await serve(join(root, 'build-web'));
site.url += 'site/';
const bare_url = site.url.replace(/site\/$/, '');
const browser = await launch();
const samples = Object.fromEntries(programs.map((p) => [p, { fps: [], work_ms: [], script_ms: [], floor_ms: [],
                                                             floor_page_ms: [], first_frame_ms: [], desktop_fps: [],
                                                             desktop_ms: [] }]));
try {
  for (let rep = 0; rep < reps; ++rep) {
    const floor = await floor_run(browser, bare_url);
    for (const program of programs) {
      const s = samples[program];
      const page = await page_run(browser, `${site.url}${program}.html`, program);
      s.fps.push(page.fps);
      s.work_ms.push(page.work_ms);
      s.script_ms.push(page.script_ms);
      s.floor_ms.push(floor[program]);
      s.floor_page_ms.push((await page_run(browser, `${bare_url}bench/web_floor.html?per_frame=${program}`, program)).script_ms);
      s.first_frame_ms.push(page.first_frame_ms);
      s.desktop_fps.push(1000 / await desktop_run(program, true));
      s.desktop_ms.push(await desktop_run(program, false));
    }
  }
} finally {
  await browser.close();
  site.close();
}

const f = (value, digits = 1) => value.toFixed(digits);
console.log(`| program | vertices | page: frames/s | page: ms/frame | page: wasm+JS ms/frame | page: script ms/frame (DevTools) | floor: ms/frame | script / floor | floor page: script ms/frame (DevTools) | script / floor page | page: load to first frame, ms | desktop: frames/s | desktop: ms/frame, no pauses |`);
console.log('|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|');
for (const program of programs) {
  const s = samples[program];
  console.log(`| ${program} | ${vertices[program].toLocaleString('en')} | ${f(median(s.fps))} | ${f(1000 / median(s.fps))} | ` +
              `${f(median(s.work_ms), 2)} (${f(Math.min(...s.work_ms), 2)}–${f(Math.max(...s.work_ms), 2)}) | ` +
              `${f(median(s.script_ms), 2)} | ${f(median(s.floor_ms), 2)} | ${f(median(s.script_ms) / median(s.floor_ms), 2)} | ` +
              `${f(median(s.floor_page_ms), 2)} | ${f(median(s.script_ms) / median(s.floor_page_ms), 2)} | ` +
              `${f(median(s.first_frame_ms), 0)} (worst ${f(Math.max(...s.first_frame_ms), 0)}) | ` +
              `${f(median(s.desktop_fps))} | ${f(median(s.desktop_ms), 2)} |`);
}
