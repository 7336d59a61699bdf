// What the browser tests, tools/run_viewer.sh --web and bench/web_bench.mjs
// share: the site served on 127.0.0.1, Debian's Chromium driven headless on
// SwiftShader or Debian's Firefox ESR on a private X server, and waiting for
// the page's `window.viewer` state.

import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import puppeteer from 'puppeteer-core';

export const programs = ['terrain320', 'terrain128', 'terrain32'];

// WebGL on SwiftShader (software), nothing fetched from outside.
const chromium_args = [
  '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-gpu-sandbox', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--disable-quic',
];
// A browser with no WebGL at all.
export const without_webgl = ['--disable-webgl', '--disable-3d-apis'];

function free_port() {
  return new Promise((resolve, reject) => {
    const probe = createServer();
    probe.on('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Serves `directory` on 127.0.0.1 with Python's static server; resolves
// once it answers.  `close()` ends it.
export async function serve(directory, deadline_ms = 30000) {
  const port = await free_port();
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', directory],
                       { stdio: 'ignore' });
  const url = `http://127.0.0.1:${port}/`;
  const close = () => { server.kill(); };
  for (const start = Date.now(); ; ) {
    if (server.exitCode !== null) throw new Error(`the web server ended with status ${server.exitCode}`);
    try {
      if ((await fetch(url, { method: 'HEAD' })).ok) return { url, close };
    } catch { /* not listening yet */ }
    if (Date.now() - start > deadline_ms) { close(); throw new Error(`the web server did not answer on ${url}`); }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// Headless Chromium with a fresh profile (puppeteer makes and removes it),
// or Firefox where TERRAIN_WEB_BROWSER=firefox says so.
export function launch(extra_args = []) {
  if (process.env.TERRAIN_WEB_BROWSER === 'firefox')
    return launch_firefox(extra_args.includes('--disable-webgl') ? { 'webgl.disabled': true } : {});
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [...chromium_args, ...extra_args],
    protocolTimeout: 300000,
  });
}

// Firefox with a fresh profile, driven over WebDriver BiDi, in a window on
// an X server of its own (Xvfb, on a display it picks), which closing the
// browser ends.  NOTE: headless Firefox has no WebGL here.  Its scrollbars
// are GTK's overlay ones, as on a Linux desktop: laid over the page, taking
// the clicks there, measured as 0 wide.
export async function launch_firefox(prefs = {}) {
  const x = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                  { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((resolve, reject) => {
    x.stdio[3].once('data', (number) => resolve(`:${String(number).trim()}`));
    x.on('exit', (status) => reject(new Error(`Xvfb ended with status ${status}`)));
  });
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: false,
    env: { ...process.env, DISPLAY: display },
    extraPrefsFirefox: { 'widget.gtk.overlay-scrollbars.enabled': true, ...prefs },
    protocolTimeout: 300000,
  }).catch((error) => { x.kill(); throw error; });
  const close = browser.close.bind(browser);
  browser.close = () => close().finally(() => x.kill());
  return browser;
}

// A new tab on `url`, `setup(page)` done before it loads; errors thrown by
// the page's scripts are collected in `page.errors`.
export async function open(browser, url, setup = async () => {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(String(error)));
  await setup(page);
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// Polls `condition(viewer, arg)` in the page until it holds; the viewer's
// state when it does.  Deadlines are generous: SwiftShader on a loaded
// 2-core machine draws a 320 grid frame in well over 100 ms.
export async function wait_for(page, condition, arg = null, timeout = 120000, polling = 50) {
  await page.waitForFunction(`window.viewer && (${condition})(window.viewer, ${JSON.stringify(arg)})`,
                             { polling, timeout });
  return viewer(page);
}

export function viewer(page) {
  return page.evaluate(() => ({ ...window.viewer }));
}

export function status_line(page) {
  return page.$eval('#status', (element) => element.textContent.trim());
}
