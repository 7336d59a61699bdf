// web_view.mjs NAME SITE_DIR SCREENSHOT_DIR: tools/run_viewer.sh --web's
// part after the build.  Serves SITE_DIR on 127.0.0.1; on a desktop (DISPLAY
// or WAYLAND_DISPLAY set) opens NAME's page in the default browser, prints
// its URL and serves until interrupted.  With no display it loads the page
// in headless Chromium, saves a picture of the window after a few seconds
// of frames, presses Escape, and prints the picture's path and the exit
// status.

import { spawn } from 'node:child_process';
import { mkdirSync } from 'node:fs';
import { resolve } from 'node:path';
import { launch, open, serve, status_line, wait_for } from '../tests/web/browser.mjs';

const [program, site_dir, shot_dir] = process.argv.slice(2);
const site = await serve(site_dir);
const url = `${site.url}${program}.html`;

if (process.env.DISPLAY || process.env.WAYLAND_DISPLAY) {
  console.log(`${program}: ${url} (serving ${site_dir}; Ctrl-C stops)`);
  spawn('xdg-open', [url], { stdio: 'ignore', detached: true })
    .on('error', () => console.log('no xdg-open here: open the address above in a browser'))
    .unref();
  process.on('SIGINT', () => { site.close(); process.exit(0); });
} else {
  const browser = await launch();
  let status = 1;
  try {
    const page = await open(browser, url);
    const started = await wait_for(page, (v) => v.frame >= 0 || v.exitStatus !== null);
    if (started.exitStatus !== null) {
      console.error(await status_line(page));
      status = started.exitStatus || 1;
    } else {
      await new Promise((done) => setTimeout(done, 3000));
      mkdirSync(shot_dir, { recursive: true });
      const picture = resolve(shot_dir, `${program}.png`);
      await (await page.$('#window')).screenshot({ path: picture });
      await page.keyboard.press('Escape');
      const ended = await wait_for(page, (v) => v.exitStatus !== null, null, 30000);
      console.log(`${program} ran in headless Chromium (no display here); picture: ${picture}`);
      console.log(`${program} exit status: ${ended.exitStatus}`);
      status = 0;
    }
  } finally {
    await browser.close();
    site.close();
  }
  process.exit(status);
}
