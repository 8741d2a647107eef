// The game in its page, in headless Chromium: it loads cleanly and draws the
// title, ENTER starts play, the keys walk, turn and fire, ESC pauses with the
// game's own dialog, Quit ends the game and the page offers another, and a
// reload or a second tab starts from nothing.
//
// Pictures are judged by the share of pixels of a kind in a region, with
// margins wide of what the frames show (the title is about 97 % red, play's
// sky top over 80 % blue): a missing or wrong layer moves them by far more.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { Game, TEST_TIMEOUT_MS, inFreshContext, shareServerAndBrowser } from './harness.mjs';
import { difference, shareWhere } from './images.mjs';

const WHOLE = [0, 0, 800, 600];
const isRed = (r, g, b) => r > 60 && r > 2 * g && r > 2 * b;
const isWhite = (r, g, b) => r > 200 && g > 200 && b > 200;
const isSkyBlue = (r, g, b) => b > r + 30 && b > g;
const isGrass = (r, g, b) => g > r + 10 && g > b + 30;
// A bullet: lit red, darker at its rim.
const isBullet = (r, g, b) => r > 120 && g < 60 && b < 60;
// The dialog's panel: a dark blue.
const isPanel = (r, g, b) => b > r + 8 && r < 60 && g < 60 && b < 90;

// Regions of the 800 x 600 frame.
const TITLE_LINE = [120, 95, 720, 160]; // "Orvanthe    lev 0"
const TITLE_HINTS = [555, 525, 765, 595]; // "ENTER to begin" and the two lines below
const TITLE_MIDDLE = [0, 200, 800, 500]; // sky only
const SKY_TOP = [0, 0, 800, 100];
const NEAR_GROUND = [0, 420, 450, 600]; // left of the gun
const AHEAD_ABOVE = [250, 50, 550, 290]; // where a shot flies, above the crosshair
const DIALOG_PANEL = [160, 290, 595, 340]; // below the buttons' group box
const DIALOG_CAPTION = [155, 168, 600, 183];

// A pixel is "far" from the other picture's when a channel is more than this apart.
const FAR = 48;
// Mean absolute difference a channel between two frames. A player standing
// still sees only the creatures' idle motion (measured 0.05); eight ticks of
// walking move the ground's grass (4.8), of turning the whole ground (9.2).
const STILL = 0.5;
const MOVED = 2;

function assertTitle(frame) {
  assert.ok(shareWhere(frame, WHOLE, isRed) > 0.9, 'the title\'s sky is red');
  assert.ok(shareWhere(frame, TITLE_LINE, isWhite) > 0.1, 'the title is written in white');
  assert.ok(shareWhere(frame, TITLE_HINTS, isWhite) > 0.1, 'the keys are named in white');
  assert.ok(shareWhere(frame, TITLE_MIDDLE, isWhite) < 0.001, 'nothing white across the middle');
}

function assertPlay(frame) {
  assert.ok(shareWhere(frame, SKY_TOP, isSkyBlue) > 0.6, 'a blue sky above');
  assert.ok(shareWhere(frame, NEAR_GROUND, isGrass) > 0.9, 'grass below');
  assert.ok(shareWhere(frame, WHOLE, isRed) < 0.01, 'no title red, and no shot');
}

function assertSame(a, b, what) {
  const { mean } = difference(a, b, FAR);
  assert.ok(mean < STILL, `${what}: the pictures differ by ${mean.toFixed(3)} a channel`);
}

function assertMoved(a, b, what) {
  const { mean } = difference(a, b, FAR);
  assert.ok(mean > MOVED, `${what}: the picture changed by only ${mean.toFixed(3)} a channel`);
}

const shared = shareServerAndBrowser();

test('the page loads cleanly and draws the title; ENTER starts play', { timeout: TEST_TIMEOUT_MS }, async () => {
  await inFreshContext(shared.browser, async (context) => {
    const game = await Game.open(context, shared.server.origin);
    const loaded = await game.state();
    assert.equal(loaded.panelShown, false, `the page shows: ${loaded.message}`);
    assert.equal(loaded.framesDrawn, 0, 'no frame before the first step');
    assert.equal(await game.step(2), 1);
    const titled = await game.state();
    assert.equal(titled.framesDrawn, 2, 'a frame a step');
    assert.equal(titled.ticks, 2, 'a tick a step');
    assert.equal(titled.title, 'Orvanthe');
    assertTitle(await game.frame('page-title.png'));

    assert.equal(await game.hold('Enter'), 1);
    assert.equal(await game.step(3), 1);
    assertPlay(await game.frame('page-play.png'));
    assert.equal((await game.state()).title, 'Orvanthe');
    game.assertClean();
  });
});

test('arrow keys and W A S D walk and turn, each undone by its opposite', { timeout: TEST_TIMEOUT_MS }, async () => {
  await inFreshContext(shared.browser, async (context) => {
    const game = await Game.open(context, shared.server.origin);
    await game.startPlay();
    let before = await game.frame();
    await game.step(8);
    let now = await game.frame();
    assertSame(before, now, 'standing still');
    // Each key moves the picture, and its opposite brings it back: walking is
    // along the view and turning about the vertical, so the camera comes back
    // to where it stood, looking where it looked.
    const pairs = [['ArrowUp', 'KeyS'], ['KeyW', 'ArrowDown'], ['ArrowLeft', 'KeyD'], ['KeyA', 'ArrowRight']];
    const seen = {};
    for (const [there, back] of pairs) {
      before = now;
      assert.equal(await game.hold(there, 8), 1);
      seen[there] = await game.frame(`page-${there}.png`);
      assertMoved(before, seen[there], there);
      assert.equal(await game.hold(back, 8), 1);
      now = await game.frame();
      assertSame(before, now, `${there} then ${back}`);
    }
    // From the same place, W walks as the arrow does and A turns as the arrow does.
    assertSame(seen.ArrowUp, seen.KeyW, 'W and the up arrow');
    assertSame(seen.ArrowLeft, seen.KeyA, 'A and the left arrow');
    game.assertClean();
  });
});

test('CONTROL held fires a red bullet up the middle', { timeout: TEST_TIMEOUT_MS }, async () => {
  await inFreshContext(shared.browser, async (context) => {
    const game = await Game.open(context, shared.server.origin);
    await game.startPlay();
    assert.ok(shareWhere(await game.frame(), AHEAD_ABOVE, isBullet) < 0.001, 'no bullet before firing');
    // The first shot leaves once CONTROL has been held for 0.7 s (35 ticks).
    assert.equal(await game.hold('ControlLeft', 40), 1);
    const fired = await game.frame('page-fired.png');
    assert.ok(shareWhere(fired, AHEAD_ABOVE, isBullet) > 0.02, 'a bullet above the crosshair');
    game.assertClean();
  });
});

// A gamepad as the browser reports one in its standard layout, which the test
// moves: the page reads pads by polling, so a stand-in for the browser's list
// is the device itself. Its motors keep every effect asked of them.
function connectTestPad() {
  const idle = () => Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
  const effects = [];
  const vibrationActuator = {
    effects,
    playEffect(type, params) {
      effects.push({ type, ...params });
      return Promise.resolve('complete');
    },
  };
  const pad = { id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0, axes: [0, 0, 0, 0],
    buttons: idle(), vibrationActuator };
  window.__orvantheTestPad = pad;
  navigator.getGamepads = () => [pad];
}

function padEffects(game) {
  return game.page.evaluate(() => window.__orvantheTestPad.vibrationActuator.effects);
}

// axes: [left x, left y, right x, right y]; buttons: { index: value }.
function movePad(game, { axes = [0, 0, 0, 0], buttons = {} } = {}) {
  return game.page.evaluate((axes, buttons) => {
    const pad = window.__orvantheTestPad;
    pad.axes = axes;
    pad.buttons = pad.buttons.map((_, i) => {
      const value = buttons[i] || 0;
      return { pressed: value > 0.5, touched: value > 0, value };
    });
    pad.timestamp += 1;
  }, axes, buttons);
}

test('a gamepad alone starts play with Start, looks with the right stick and fires with the trigger',
  { timeout: TEST_TIMEOUT_MS }, async () => {
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin, { beforeLoad: connectTestPad });
      const START = 9, RIGHT_TRIGGER = 7;
      assert.equal(await game.step(2), 1);
      assertTitle(await game.frame());
      await movePad(game, { buttons: { [START]: 1 } });
      assert.equal(await game.step(2), 1);
      await movePad(game);
      assert.equal(await game.step(3), 1);
      const before = await game.frame();
      assertPlay(before);
      await movePad(game, { axes: [0, 0, 0.9, 0] });
      assert.equal(await game.step(8), 1);
      await movePad(game);
      assertMoved(before, await game.frame(), 'the right stick');
      assert.ok(shareWhere(await game.frame(), AHEAD_ABOVE, isBullet) < 0.001, 'no bullet before the trigger');
      assert.deepEqual(await padEffects(game), [], 'no rumble before a shot');
      await movePad(game, { buttons: { [RIGHT_TRIGGER]: 1 } });
      assert.equal(await game.step(40), 1);
      assert.ok(shareWhere(await game.frame('page-pad-fired.png'), AHEAD_ABOVE, isBullet) > 0.02,
        'a bullet above the crosshair');
      // The shot's kick: a light one on both motors.
      const effects = await padEffects(game);
      assert.equal(effects.length, 1, JSON.stringify(effects));
      assert.equal(effects[0].type, 'dual-rumble');
      assert.equal(effects[0].duration, 80);
      assert.ok(Math.abs(effects[0].strongMagnitude - 0.15) < 1e-6 && Math.abs(effects[0].weakMagnitude - 0.35) < 1e-6,
        JSON.stringify(effects[0]));
      game.assertClean();
    });
  });

test('on a Nintendo pad the A on the right resumes the pause and the B at the bottom quits',
  { timeout: TEST_TIMEOUT_MS }, async () => {
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin, { beforeLoad: connectTestPad });
      await game.page.evaluate(() => {
        window.__orvantheTestPad.id = 'Pro Controller (STANDARD GAMEPAD Vendor: 057e Product: 2009)';
      });
      const BOTTOM = 0, RIGHT = 1, START = 9;
      const press = async (button) => {
        await movePad(game, { buttons: { [button]: 1 } });
        const running = await game.step(2);
        await movePad(game);
        return running === 1 ? game.step(2) : running;
      };
      assert.equal(await game.step(2), 1);
      assert.equal(await press(START), 1);
      assert.equal(await press(START), 1);
      assert.equal((await game.state()).title, 'Orvanthe lev 0', 'paused');
      assert.equal(await press(RIGHT), 1);
      assert.equal((await game.state()).title, 'Orvanthe', 'resumed');
      assert.equal(await press(START), 1);
      assert.equal((await game.state()).title, 'Orvanthe lev 0', 'paused again');
      assert.equal(await press(BOTTOM), 0, 'Quit ends the game');
      assert.equal((await game.state()).ended, 0, 'exit code');
      game.assertClean();
    });
  });

test('ESC pauses with the drawn dialog, which stands until ENTER resumes play', { timeout: TEST_TIMEOUT_MS },
  async () => {
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin);
      await game.startPlay();
      assert.equal(await game.hold('Escape'), 1);
      const paused = await game.frame('page-pause.png');
      assert.ok(shareWhere(paused, DIALOG_PANEL, isPanel) > 0.95, 'the dialog\'s dark blue panel');
      assert.ok(shareWhere(paused, DIALOG_CAPTION, isRed) > 0.9, 'the dialog\'s red caption bar');
      assert.equal((await game.state()).title, 'Orvanthe lev 0', 'the page is captioned as the dialog');

      assert.equal(await game.step(10), 1);
      assertSame(paused, await game.frame(), 'the world behind the dialog');

      // ENTER chooses the highlighted Resume.
      assert.equal(await game.hold('Enter'), 1);
      assert.equal(await game.step(1), 1);
      const resumed = await game.frame('page-resumed.png');
      assert.ok(shareWhere(resumed, DIALOG_PANEL, isPanel) < 0.05, 'the dialog has gone');
      assertPlay(resumed);
      assert.equal((await game.state()).title, 'Orvanthe');
      game.assertClean();
    });
  });

test('Quit ends the game, the page offers another, and Play again starts it', { timeout: TEST_TIMEOUT_MS },
  async () => {
    await inFreshContext(shared.browser, async (context) => {
      const game = await Game.open(context, shared.server.origin);
      const assertEnded = async (how) => {
        assert.ok((await game.stepsUntilEnded(5)) <= 5, `${how}: the game runs on`);
        const ended = await game.state();
        assert.equal(ended.ended, 0, `${how}: exit code`);
        assert.equal(ended.panelShown, true, `${how}: the page shows its panel`);
        assert.equal(ended.message, 'The game has ended.');
        assert.equal(ended.againShown, true, `${how}: Play again offered`);
        assert.equal(await game.step(), 0, `${how}: no pass runs after the end`);
      };
      const playAgain = async () => {
        await Promise.all([game.page.waitForNavigation(), game.page.click('#again')]);
        await game.waitUntilRunning();
        const fresh = await game.state();
        assert.equal(fresh.ticks, 0, 'the new game has run no tick');
        assert.equal(fresh.ended, undefined);
        assert.equal(await game.step(2), 1);
        assertTitle(await game.frame());
      };

      // Right moves the highlight from Resume to Quit; ENTER chooses it.
      await game.startPlay();
      assert.equal(await game.hold('Escape'), 1);
      assert.equal(await game.hold('ArrowRight'), 1);
      await game.hold('Enter');
      await assertEnded('Right, ENTER in the pause');
      await playAgain();

      // ESC in the dialog is its Quit.
      assert.equal(await game.hold('Enter'), 1);
      assert.equal(await game.step(3), 1);
      assert.equal(await game.hold('Escape'), 1);
      await game.hold('Escape');
      await assertEnded('ESC in the pause');
      await playAgain();

      // ESC on the title ends the game.
      await game.hold('Escape');
      await assertEnded('ESC on the title');
      game.assertClean();
    });
  });

test('a second tab and a reload start from nothing', { timeout: TEST_TIMEOUT_MS }, async () => {
  await inFreshContext(shared.browser, async (context) => {
    // The first tab's title and first play frame, then it plays on: walks, turns and fires.
    const first = await Game.open(context, shared.server.origin);
    assert.equal(await first.step(2), 1);
    const title = await first.frame();
    assert.equal(await first.hold('Enter'), 1);
    assert.equal(await first.step(3), 1);
    const play = await first.frame();
    assert.equal(await first.hold(['ArrowUp', 'ArrowLeft', 'ControlLeft'], 40), 1);
    assertMoved(play, await first.frame(), 'playing on');

    const startsClean = async (game, where) => {
      const fresh = await game.state();
      assert.equal(fresh.ticks, 0, `${where}: no tick before the first step`);
      assert.equal(fresh.framesDrawn, 0, `${where}: no frame before the first step`);
      assert.equal(await game.step(2), 1);
      assert.equal((await game.state()).ticks, 2, `${where}: ticks counted from the start`);
      const again = await game.frame();
      assertTitle(again);
      assert.equal(difference(title, again, FAR).farShare, 0, `${where}: the title as the first tab drew it`);
      assert.equal(await game.hold('Enter'), 1);
      assert.equal(await game.step(3), 1);
      assert.equal(difference(play, await game.frame(), FAR).farShare, 0,
        `${where}: play from the start, as the first tab began it`);
    };

    const second = await Game.open(context, shared.server.origin);
    await startsClean(second, 'a second tab');
    second.assertClean();
    await second.close();

    await first.reload();
    await startsClean(first, 'a reload');
    first.assertClean();
  });
});
