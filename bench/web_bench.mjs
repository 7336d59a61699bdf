// web_bench.mjs ROOT REPS: the browser build's figures, as Markdown (run by
// bench/web_bench.sh, which builds first).  In one run, repetitions taking
// turns, medians over them:
//   - each page in headless Chromium on SwiftShader: frames per second, and
//     the wasm and JavaScript work per frame (the page's viewer.workMs: the
//     time the program runs between yields), over a span after a warm-up;
//   - page load to the first frame drawn, in a fresh browser context (no
//     cache), from navigation start;
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

// Before the page's scripts: every change of viewer.frame is stamped with
// the time and the work done so far.
function record_frames() {
  window.frame_log = [];
  let state;
  Object.defineProperty(window, 'viewer', {
    get: () => state,
    set: (value) => {
      state = new Proxy(value, {
        set(target, key, v) {
          target[key] = v;
          if (key === 'frame') window.frame_log[v] = [performance.now(), target.workMs];
          return true;
        },
      });
    },
  });
}

async function page_run(browser, url, program) {
  const [frames, warmup] = plans[program];
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.evaluateOnNewDocument(record_frames);
    await page.goto(`${url}${program}.html`);
    await wait_for(page, (v, last) => v.frame >= last, warmup + frames, 600000);
    const log = await page.evaluate(() => window.frame_log);
    const [t0, w0] = log[warmup], [t1, w1] = log[warmup + frames];
    return {
      fps: frames / ((t1 - t0) / 1000),
      work_ms: (w1 - w0) / frames,
      first_frame_ms: log[0][0] - start_pause_ms[program],
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

const site = await serve(join(root, 'build-web/site'));
const browser = await launch();
const samples = Object.fromEntries(programs.map((p) => [p, { fps: [], work_ms: [], first_frame_ms: [], desktop_fps: [],
                                                             desktop_ms: [] }]));
try {
  for (let rep = 0; rep < reps; ++rep) {
    for (const program of programs) {
      const s = samples[program];
      const page = await page_run(browser, site.url, program);
      s.fps.push(page.fps);
      s.work_ms.push(page.work_ms);
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
console.log(`| program | vertices | page: frames/s | page: ms/frame | page: wasm+JS ms/frame | page: load to first frame, ms | desktop: frames/s | desktop: ms/frame, no pauses |`);
console.log('|---|---:|---:|---:|---:|---:|---:|---:|');
for (const program of programs) {
  const s = samples[program];
  console.log(`| ${program} | ${vertices[program].toLocaleString('en')} | ${f(median(s.fps))} | ${f(1000 / median(s.fps))} | ` +
              `${f(median(s.work_ms), 2)} (${f(Math.min(...s.work_ms), 2)}–${f(Math.max(...s.work_ms), 2)}) | ` +
              `${f(median(s.first_frame_ms), 0)} (worst ${f(Math.max(...s.first_frame_ms), 0)}) | ` +
              `${f(median(s.desktop_fps))} | ${f(median(s.desktop_ms), 2)} |`);
}
