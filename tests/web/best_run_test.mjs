// The best run in the browser: its time and its demo live in the page's
// storage, best.ini as text and best.demo a character a byte. A stored best
// is written on the title, and ?play-best replays the stored demo through
// every tick the desktop recorded, to the desktop's very end state.
//
// The demo is recorded when the test runs, by the desktop's winning bot
// (orvanthe-record-win, run from the build folder where data/ is), so it
// always belongs to this game's rules. ctest names both; by hand they
// default to the checkout's build/.
//   ORVANTHE_RECORD_WIN   the recorder
//   ORVANTHE_BUILD_DIR    the folder it runs in
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Game, TEST_TIMEOUT_MS, WAIT_TIMEOUT_MS, inFreshContext, keep, shareServerAndBrowser } from './harness.mjs';
import { difference, encodePng, sideBySide } from './images.mjs';

const checkout = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const BUILD = process.env.ORVANTHE_BUILD_DIR || path.join(checkout, 'build');
const RECORD_WIN = process.env.ORVANTHE_RECORD_WIN || path.join(BUILD, 'bench', 'orvanthe-record-win');

// In the page HOME is /home/web_user and XDG_DATA_HOME unset.
const FOLDER = '/home/web_user/.local/share/orvanthe';
const INI_KEY = `orvanthe:${FOLDER}/best.ini`;
const DEMO_KEY = `orvanthe-bytes:${FOLDER}/best.demo`;

// 42.36 s in ticks of 20 ms: "Best time 0:42.36".
const BEST_TICKS = 2118;
const iniText = (ticks) => `[best]\nticks = ${ticks}\n`;
// Bytes as the page keeps them: a character a byte.
const asStored = (bytes) => Buffer.from(bytes).toString('latin1');

// "Best time ..." is drawn 14 px from the left, its top 49 px above the foot of the 800 x 600 frame, 7 px high.
const BEST_LINE = [0, 540, 400, 566];
// The picture with the pixels in the box made black, so that the rest can be compared alone.
function withoutBox(image, [x0, y0, x1, y1]) {
  const rgb = Buffer.from(image.rgb);
  for (let y = y0; y < y1; ++y) rgb.fill(0, (y * image.width + x0) * 3, (y * image.width + x1) * 3);
  return { ...image, rgb };
}
// The box's pixels alone, as a picture of their own.
function box(image, [x0, y0, x1, y1]) {
  const width = x1 - x0, height = y1 - y0;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) image.rgb.copy(rgb, y * width * 3, ((y0 + y) * image.width + x0) * 3,
    ((y0 + y) * image.width + x1) * 3);
  return { width, height, rgb };
}

const shared = shareServerAndBrowser();

// The title's second frame, with `storage` in the page before it loads.
async function titleFrame(storage, name) {
  return inFreshContext(shared.browser, async (context) => {
    const game = await Game.open(context, shared.server.origin, { storage });
    assert.equal(await game.step(2), 1);
    const frame = await game.frame(name);
    game.assertClean();
    return frame;
  });
}

test('a best time in the page\'s storage is written at the title\'s lower left, and nothing else changes',
  { timeout: TEST_TIMEOUT_MS }, async () => {
    // Every byte value in the demo: the page's copy of it must not upset the start.
    const demo = asStored(Array.from({ length: 256 }, (_, i) => i));
    const withBest = await titleFrame({ [INI_KEY]: iniText(BEST_TICKS), [DEMO_KEY]: demo }, 'best-title.png');
    const without = await titleFrame(null, 'no-best-title.png');
    keep('best-title-diff.png', encodePng(sideBySide(without, withBest)));
    const line = difference(box(without, BEST_LINE), box(withBest, BEST_LINE), 48);
    assert.ok(line.farShare > 0.02, `the best time is drawn at the lower left (${line.farShare} of its pixels)`);
    const rest = difference(withoutBox(without, BEST_LINE), withoutBox(withBest, BEST_LINE), 48);
    assert.equal(rest.mean, 0, 'the rest of the title is the same');
  });

// The desktop's win: { bytes, ticks, endState }.
function recordWin() {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'orvanthe-best-run-')), 'win.demo');
  try {
    const out = execFileSync(RECORD_WIN, [file], { cwd: BUILD, encoding: 'utf8' });
    const said = / won, (\d+) ticks, end state ([0-9a-f]{16})$/m.exec(out);
    assert.ok(said, `the recorder said: ${out}`);
    return { bytes: fs.readFileSync(file), ticks: Number(said[1]), endState: said[2] };
  } finally {
    fs.rmSync(path.dirname(file), { recursive: true, force: true });
  }
}

// The first console line of `game` that `pattern` matches, once it has come.
function consoleLine(game, pattern) {
  const seen = game.console.find((m) => pattern.test(m.text));
  if (seen) return Promise.resolve(seen.text);
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no console line like ${pattern}`)), WAIT_TIMEOUT_MS).unref();
    game.page.on('console', function listen(message) {
      if (!pattern.test(message.text())) return;
      clearTimeout(timer);
      game.page.off('console', listen);
      resolve(message.text());
    });
  });
}

test('?play-best replays the stored demo to the desktop\'s end state', { timeout: TEST_TIMEOUT_MS },
  async () => {
    const win = recordWin();
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin, {
        query: 'step&max-fps=50&play-best',
        storage: { [INI_KEY]: iniText(win.ticks), [DEMO_KEY]: asStored(win.bytes) },
      });
      const replayed = consoleLine(game, /best\.demo: /);
      // One tick a step, the boxes' pauses (3 s at most each) and the last picture's 2 s besides: the bound only
      // stops a replay that never ends.
      const most = 4 * win.ticks + 1000;
      let running = 1;
      for (let steps = 0; running && steps < most; steps += 250) running = await game.step(250);
      assert.equal(running, 0, `the replay still ran after ${most} steps`);
      const line = await replayed;
      const said = /: replayed, (\d+) ticks, end state ([0-9a-f]{16})$/.exec(line);
      assert.ok(said, `the page said: ${line}`);
      assert.equal(line.split(': ')[1], `${FOLDER}/best.demo`);
      assert.equal(Number(said[1]), win.ticks, 'every recorded tick replayed');
      // The same game in the browser as on the desktop, to the last bit of every value the rules keep.
      assert.equal(said[2], win.endState, 'the browser ends the desktop\'s game where the desktop did');
      assert.equal(await game.storage(DEMO_KEY), asStored(win.bytes),
        'a replay leaves the stored demo as it was');
      game.assertClean();
    });
  });
