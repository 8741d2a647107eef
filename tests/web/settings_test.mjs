// The player's settings in the browser live in the page's storage: the game
// reads them at start as the desktop reads its file, writes them back when a
// setting changes in the game (F11), keeps the other settings as stored, and
// leaves a file it cannot read as it is, saying why on the console.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { Game, SETTINGS_KEY, TEST_TIMEOUT_MS, inFreshContext, shareServerAndBrowser } from './harness.mjs';
import { difference } from './images.mjs';

// Every setting away from its default.
const STORED = {
  'display.fullscreen': 'false',
  'display.vsync': 'false',
  'display.max_fps': '60',
  'display.hud': 'false',
  'display.field_of_view': '60',
  'controls.mouse_sensitivity': '2.5',
  'controls.invert_y': 'true',
  'controls.rumble': 'false',
  'controls.stick_dead_zone': '40',
  'sound.music_volume': '70',
  'sound.effects_volume': '40',
  'bindings.walk_forward': 'I, Pad D-pad Up',
  'bindings.walk_back': 'K, Pad D-pad Down',
  'bindings.turn_left': 'J',
  'bindings.turn_right': 'L',
  'bindings.look_up': 'U, Pad Right Stick Up',
  'bindings.look_down': 'O, Pad Right Stick Down',
  'bindings.fire': 'Space, Mouse Right, Pad Right Shoulder',
  'bindings.pause': 'P, Pad Start',
  'bindings.mute': 'N',
  'bindings.fullscreen': 'F11, F10',
};

function iniText(values) {
  const sections = {};
  for (const [key, value] of Object.entries(values)) {
    const [section, name] = key.split('.');
    (sections[section] = sections[section] || []).push(`${name} = ${value}`);
  }
  return Object.entries(sections).map(([section, lines]) => `[${section}]\n${lines.join('\n')}\n`).join('\n');
}

// { 'section.key': 'value' } of an INI text; comments and blank lines skipped.
function iniValues(text) {
  assert.equal(typeof text, 'string', 'the settings are in the page\'s storage');
  const values = {};
  let section = '';
  for (const raw of text.split('\n')) {
    const line = raw.replace(/[;#].*/, '').trim();
    if (!line) continue;
    const header = /^\[(.+)\]$/.exec(line);
    if (header) {
      section = header[1];
      continue;
    }
    const pair = /^([^=]+)=(.*)$/.exec(line);
    assert.ok(pair, `not a setting: ${raw}`);
    values[`${section}.${pair[1].trim()}`] = pair[2].trim();
  }
  return values;
}

const shared = shareServerAndBrowser();

// At max_fps 50 each frame is drawn at its tick: a pass between two ticks
// shows the last tick's picture again. Otherwise the picture stands between
// the ticks as far as the clock has gone: a player walking is seen to move.
// Half a tick's pass after a tick, walking; the mean difference it made (0 at
// the cap, about 3.5 a channel without it).
async function movedBetweenTicks(game) {
  await game.startPlay();
  await game.down('ArrowUp');
  assert.equal(await game.step(1, 20), 1);
  const atTick = await game.frame();
  assert.equal(await game.step(1, 10), 1);
  const between = await game.frame();
  await game.up('ArrowUp');
  return difference(atTick, between, 48).mean;
}

test('settings in the page\'s storage are read at start, and not written back unchanged', { timeout: TEST_TIMEOUT_MS },
  async () => {
    const stored = iniText({ ...STORED, 'display.max_fps': '50' });
    await inFreshContext(shared.browser, async (context) => {
      // No cap in the address: the one the game keeps to is the stored one.
      const game = await Game.open(context, shared.server.origin, { query: 'step', storage: { [SETTINGS_KEY]: stored } });
      assert.equal(await movedBetweenTicks(game), 0, 'max_fps = 50 from storage: frames only at the ticks');
      assert.equal(await game.storage(), stored, 'nothing changed, nothing written');
      game.assertClean();
    });
    // The same walk without the stored cap moves between the ticks: the check above can tell.
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin, { query: 'step' });
      assert.ok(await movedBetweenTicks(game) > 1, 'without a stored cap the picture moves between ticks');
      assert.equal(await game.storage(), null);
      game.assertClean();
    });
  });

test('F11 saves fullscreen beside the stored settings, and a reload starts from them', { timeout: TEST_TIMEOUT_MS },
  async () => {
    await inFreshContext(shared.browser, async (context) => {
      // The address's cap is for this run only: the stored 60 must stay.
      const game = await Game.open(context, shared.server.origin, { storage: { [SETTINGS_KEY]: iniText(STORED) } });
      const pressF11 = async (fullscreen) => {
        assert.equal(await game.hold('F11'), 1);
        await game.page.waitForFunction((want) => !!document.fullscreenElement === want, {}, fullscreen);
        assert.equal(await game.step(), 1);
      };
      assert.equal(await game.step(2), 1);
      await pressF11(true);
      assert.deepEqual(iniValues(await game.storage()), { ...STORED, 'display.fullscreen': 'true' });

      // The reloaded page has had no key or click, as a page opened from a
      // link: the browser would refuse fullscreen and say so on the console,
      // so the game waits for the player's first key (one it ignores) and
      // takes the screen then, writing nothing.
      await game.reload({ untouched: true });
      assert.equal(await game.quietly('!!document.fullscreenElement'), false);
      assert.deepEqual(game.problems, [], 'nothing was asked of the browser that it refused');
      await game.page.keyboard.press('KeyZ');
      await game.page.waitForFunction(() => !!document.fullscreenElement);
      assert.equal(await game.step(2), 1);
      assert.deepEqual(iniValues(await game.storage()), { ...STORED, 'display.fullscreen': 'true' });

      await pressF11(false);
      assert.deepEqual(iniValues(await game.storage()), STORED);
      game.assertClean();
    });
  });

test('a stored file with a mistake is named on the console and left as it is', { timeout: TEST_TIMEOUT_MS },
  async () => {
    const broken = '[display]\nmax_fps = 7\n';
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin, {
        storage: { [SETTINGS_KEY]: broken },
        expectWarnings: [
          /settings\.ini: line 2: bad value '7' for display\.max_fps; defaults used/,
          /settings\.ini: not saved \(the file has a mistake and is left for you to fix\)/,
        ],
      });
      assert.ok(game.console.some((m) => /settings\.ini: line 2: bad value '7'/.test(m.text)),
        'the mistake is named on the console');
      assert.equal(await game.step(2), 1);
      // A change in the game would be written, were the file not kept for the player to fix.
      assert.equal(await game.hold('F11'), 1);
      await game.page.waitForFunction(() => !!document.fullscreenElement);
      assert.equal(await game.step(), 1);
      assert.equal(await game.storage(), broken);
      game.assertClean();
    });
  });
