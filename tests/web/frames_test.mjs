// The browser draws what the desktop draws: the title, play and the pause,
// played from the same input script (frames_script.txt) as the desktop's
// reference program (orvanthe-desktop-frames), compared at 800 x 600.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import { Game, OUT, TEST_TIMEOUT_MS, inFreshContext, keep, shareServerAndBrowser } from './harness.mjs';
import { CELL, difference, encodePng, readPpm, sideBySide } from './images.mjs';

const SCRIPT = process.env.ORVANTHE_FRAMES_SCRIPT ||
  path.join(path.dirname(new URL(import.meta.url).pathname), 'frames_script.txt');
const DESKTOP = process.env.ORVANTHE_DESKTOP_FRAMES || path.join(OUT, 'desktop');

// The two never match bit for bit: the browser's WebGL is SwiftShader under
// emscripten's GL emulation, the desktop's GL is llvmpipe, and they round
// colours and texture lookups differently; the browser also clamps textures to
// the edge where the desktop blends in the border, and draws the sky every
// frame where the desktop copies it. Measured here (mean a channel / pixels
// with a channel more than FAR apart / the worst 20 x 20 square):
//   title  0.03 / 0.000 % / 0 %
//   play   2.66 / 0.061 % / 1.5 %   (the distant grass, sampled a little differently)
//   pause  1.24 / 0.001 % / 0.3 %
// The limits leave room for other versions of either renderer, and are far
// below what a real fault costs: a play frame a tick early or late 1.7 % of
// the pixels; the shot missing 2 %; a missing creature or crosshair 70-85 %
// of one square; high ground lit brighter than on the desktop 0.65 % and
// 70 % of a square.
const FAR = 48;
const LIMIT = { mean: 4, farShare: 0.0025, worstCell: 0.1 };

// [{ steps, keys }] and [{ shot }], in order; the format is the script's own header.
function readScript(file) {
  const lines = [];
  fs.readFileSync(file, 'utf8').split('\n').forEach((text, i) => {
    const words = text.replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
    if (words.length === 0) return;
    if (words[0] === 'shot' && words.length === 2) {
      lines.push({ shot: words[1] });
    } else if (words[0] === 'step' && Number(words[1]) >= 1) {
      lines.push({ steps: Number(words[1]), keys: words.slice(2) });
    } else {
      throw new Error(`${file}:${i + 1}: not a step or a shot: ${text}`);
    }
  });
  return lines;
}

const shared = shareServerAndBrowser();

// What each shot of the script measured against the desktop's frame.
const measured = {};

test('the browser plays the script cleanly', { timeout: TEST_TIMEOUT_MS }, async () => {
  const script = readScript(SCRIPT);
  await inFreshContext(shared.browser, async (context) => {
    const game = await Game.open(context, shared.server.origin);
    for (const line of script) {
      if (line.steps) {
        const running = line.keys.length ? await game.hold(line.keys, line.steps) : await game.step(line.steps);
        assert.equal(running, 1, 'the game ended during the script');
        continue;
      }
      const name = line.shot;
      const browserFrame = await game.frame(`browser-${name}.png`);
      const desktopFrame = readPpm(path.join(DESKTOP, `${name}.ppm`));
      keep(`desktop-${name}.png`, encodePng(desktopFrame));
      keep(`compare-${name}.png`, encodePng(sideBySide(browserFrame, desktopFrame)));
      measured[name] = difference(browserFrame, desktopFrame, FAR);
    }
    game.assertClean();
  });
  console.log(`# screenshots: ${OUT}/{browser,desktop,compare}-NAME.png (compare: browser | desktop | 4 x difference)`);
  for (const [name, d] of Object.entries(measured)) {
    console.log(`# ${name}: mean difference ${d.mean.toFixed(3)} a channel, ` +
      `${(100 * d.farShare).toFixed(3)} % of the pixels more than ${FAR} apart, ` +
      `${(100 * d.worstCell).toFixed(1)} % in the worst ${CELL} x ${CELL} square`);
  }
});

function assertLooksAsOnTheDesktop(name) {
  const d = measured[name];
  assert.ok(d, `no ${name} frame was compared`);
  assert.ok(d.mean <= LIMIT.mean, `${name}: mean difference ${d.mean.toFixed(3)} above ${LIMIT.mean}`);
  assert.ok(d.farShare <= LIMIT.farShare,
    `${name}: ${(100 * d.farShare).toFixed(3)} % of the pixels far apart, above ${100 * LIMIT.farShare} %`);
  assert.ok(d.worstCell <= LIMIT.worstCell,
    `${name}: ${(100 * d.worstCell).toFixed(1)} % of one square far apart, above ${100 * LIMIT.worstCell} %`);
}

test('the title looks as on the desktop', () => assertLooksAsOnTheDesktop('title'));
test('play looks as on the desktop', () => assertLooksAsOnTheDesktop('play'));
test('the pause looks as on the desktop', () => assertLooksAsOnTheDesktop('pause'));
