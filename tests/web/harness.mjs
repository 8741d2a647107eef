// What every browser test shares: the built site served from this process,
// headless Chromium, and the game's page driven through the stepped clock.
//
// The page is opened with ?step, so the game runs no frame on its own: a
// step moves its clock and runs one pass of its loop, and with max-fps=50
// every 20 ms step is one world tick and its picture. Keys are real DOM key
// events, held across the steps that should see them. Nothing waits a fixed
// time: each wait is for an effect on the page.
//
// Environment (ctest sets it; the defaults suit a run by hand from the checkout):
//   ORVANTHE_WEB_SITE   the built site (build-web/game/site, made by scripts/web)
//   ORVANTHE_WEB_OUT    where screenshots are kept (build-web/browser-tests)
//   ORVANTHE_CHROMIUM   the browser (/usr/bin/chromium)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { after, before } from 'node:test';
import { fileURLToPath } from 'node:url';

import { decodePng } from './images.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const checkout = path.resolve(here, '..', '..');
export const SITE = process.env.ORVANTHE_WEB_SITE || path.join(checkout, 'build-web', 'game', 'site');
export const OUT = process.env.ORVANTHE_WEB_OUT || path.join(checkout, 'build-web', 'browser-tests');
const CHROMIUM = process.env.ORVANTHE_CHROMIUM || '/usr/bin/chromium';

// Generous: a busy machine loads the page and draws in software many times
// slower than an idle one, and no result depends on how long anything takes.
export const WAIT_TIMEOUT_MS = 180000;
export const TEST_TIMEOUT_MS = 600000;

// The settings file as the page keeps it in its storage.
export const SETTINGS_KEY = 'orvanthe:/home/web_user/.config/orvanthe/settings.ini';

// Console lines every run prints and nobody need act on: the GL emulation
// announcing itself, the software driver's notes on its own speed (a
// read-back, its command queue; never an error, which says INVALID_), and
// the audio waiting for a gesture.
const HARMLESS = [
  /^WARNING: using emscripten GL emulation\./,
  /^WARNING: using emscripten GL immediate mode emulation\./,
  /GL Driver Message \(OpenGL, Performance,/,
  /AudioContext was not allowed to start/,
];

const MIME = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm', // compiled as it streams only with this type
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};
// A page of the site's origin that is not the game: where storage is set up before the game first loads.
const BLANK_PATH = '/__tests__/blank.html';

// Serves the site on a free port of 127.0.0.1. Resolves to { origin, close() }.
export async function startServer(site = SITE) {
  if (!fs.existsSync(path.join(site, 'index.html')) || !fs.existsSync(path.join(site, 'orvanthe.wasm'))) {
    throw new Error(`no built site in ${site}: build it with scripts/web (or set ORVANTHE_WEB_SITE)`);
  }
  const root = path.resolve(site);
  const server = http.createServer((request, response) => {
    const pathname = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    if (pathname === BLANK_PATH) {
      response.writeHead(200, { 'Content-Type': MIME['.html'] });
      response.end('<!doctype html><link rel="icon" href="data:,"><title>blank</title>');
      return;
    }
    let file = path.resolve(root, '.' + pathname);
    if (pathname.endsWith('/')) file = path.join(file, 'index.html');
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403);
      response.end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': MIME[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(body);
    });
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', resolve);
  });
  const origin = `http://127.0.0.1:${server.address().port}`;
  return {
    origin,
    close() {
      server.closeAllConnections();
      return new Promise((resolve) => server.close(resolve));
    },
  };
}

export async function launchBrowser() {
  let puppeteer;
  try {
    puppeteer = (await import('puppeteer-core')).default;
  } catch (error) {
    throw new Error(`puppeteer-core is not installed: npm ci --prefix tests/web (${error.message})`);
  }
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    // As root there is no sandbox; SwiftShader is the WebGL of a machine without a GPU.
    args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--mute-audio'],
    protocolTimeout: WAIT_TIMEOUT_MS,
  });
}

// Runs body(context) in a fresh browser context (its own storage), closed after.
// One server and one browser for all the tests of a file: started before
// them, closed after. Each test still opens its own context (inFreshContext).
export function shareServerAndBrowser() {
  const shared = { server: null, browser: null };
  before(async () => {
    shared.server = await startServer();
    shared.browser = await launchBrowser();
  });
  after(async () => {
    if (shared.browser) await shared.browser.close();
    if (shared.server) await shared.server.close();
  });
  return shared;
}

export async function inFreshContext(browser, body) {
  const context = await browser.createBrowserContext();
  try {
    return await body(context);
  } finally {
    await context.close();
  }
}

export function keep(name, pngBytes) {
  fs.mkdirSync(OUT, { recursive: true });
  const file = path.join(OUT, name);
  fs.writeFileSync(file, pngBytes);
  return file;
}

// One tab of the game.
export class Game {
  // Opens the game at origin/?query in a new tab of `context`. `storage`: the page's storage before the game first
  // loads, { key: text }. `expectWarnings`: console warnings this test causes on purpose. `beforeLoad`: a function
  // run in the page before any of its own scripts (to stand in for a device the browser has not got).
  static async open(context, origin,
    { query = 'step&max-fps=50', storage = null, expectWarnings = [], beforeLoad = null } = {}) {
    const page = await context.newPage();
    if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
    page.setDefaultTimeout(WAIT_TIMEOUT_MS);
    const game = new Game(page, origin, query, expectWarnings);
    await page.setViewport({ width: 800, height: 600, deviceScaleFactor: 1 });
    // Which keys the page has seen go down: a key is held once its event has been dispatched, and the game's
    // own listener on the window has had it in the same dispatch.
    await page.evaluateOnNewDocument(() => {
      const held = new Set();
      window.__orvantheTestHeld = held;
      window.addEventListener('keydown', (e) => held.add(e.code), true);
      window.addEventListener('keyup', (e) => held.delete(e.code), true);
    });
    if (storage) {
      await page.goto(origin + BLANK_PATH);
      await page.evaluate((entries) => {
        for (const [key, value] of entries) localStorage.setItem(key, value);
      }, Object.entries(storage));
    }
    await page.goto(game.url);
    await game.waitUntilRunning();
    return game;
  }

  constructor(page, origin, query, expectWarnings) {
    this.page = page;
    this.url = `${origin}/?${query}`;
    this.expectWarnings = expectWarnings;
    this.console = []; // every console line: { type, text }
    this.problems = []; // what fails a test
    page.on('console', (message) => this.onConsole(message.type(), message.text()));
    page.on('pageerror', (error) => this.problems.push(`uncaught: ${error.message}`));
    page.on('requestfailed', (request) => this.problems.push(`request failed: ${request.url()}`));
    page.on('response', (response) => {
      if (response.status() >= 400) this.problems.push(`HTTP ${response.status()}: ${response.url()}`);
    });
  }

  onConsole(type, text) {
    this.console.push({ type, text });
    if (type === 'error' || text.includes('INVALID_')) {
      this.problems.push(`console ${type}: ${text}`);
    } else if (type === 'warn' || type === 'warning') {
      // The game's stderr comes out here: a file it could not read, a setting it refused.
      const known = HARMLESS.some((re) => re.test(text)) || this.expectWarnings.some((re) => re.test(text));
      if (!known) this.problems.push(`console warning: ${text}`);
    }
  }

  // Until main has run and handed the loop to the test, or the page has said why the game cannot run.
  // `untouched`: the page sees no gesture until then, as a page opened from a link does (every page.evaluate
  // counts as one, as a click would).
  async waitUntilRunning({ untouched = false } = {}) {
    const settled = `(window.Module && Module.calledRun === true) ||
      (document.getElementById('message').textContent !== 'Loading…' && !document.getElementById('panel').hidden)`;
    if (untouched) {
      await this.quietly(`new Promise((resolve) => {
        const poll = () => (${settled} ? resolve(true) : setTimeout(poll, 50));
        poll();
      })`);
    } else {
      await this.page.waitForFunction(settled, { polling: 50 });
    }
    const started = await this.quietly('window.Module && Module.calledRun === true');
    if (!started) throw new Error(`the game did not start: ${await this.quietly("document.getElementById('message').textContent")}`);
  }

  // The value of a page expression (a promise is awaited), evaluated without counting as a gesture.
  async quietly(expression) {
    if (!this.cdp) this.cdp = await this.page.createCDPSession();
    const { result, exceptionDetails } = await this.cdp.send('Runtime.evaluate',
      { expression, awaitPromise: true, returnByValue: true, userGesture: false });
    if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description}`);
    return result.value;
  }

  // `untouched` as for waitUntilRunning.
  async reload({ untouched = false } = {}) {
    await this.page.bringToFront();
    await this.page.reload();
    await this.waitUntilRunning({ untouched });
  }

  // What the page and the game say about themselves.
  state() {
    return this.page.evaluate(() => ({
      calledRun: Module.calledRun === true,
      ticks: typeof Module._orvanthe_ticks === 'function' ? Module._orvanthe_ticks() : -1,
      framesDrawn: Module.framesDrawn || 0,
      ended: Module.ended,
      title: document.title,
      panelShown: !document.getElementById('panel').hidden,
      message: document.getElementById('message').textContent,
      againShown: !document.getElementById('again').hidden,
      fullscreen: !!document.fullscreenElement,
    }));
  }

  // `count` passes of `ms` each; the last pass's answer: 1 while the game runs, 0 once it has ended.
  step(count = 1, ms = 20) {
    return this.page.evaluate((count, ms) => {
      let running = 1;
      for (let i = 0; i < count; ++i) running = Module._orvanthe_step(ms);
      return running;
    }, count, ms);
  }

  // The keys (KeyboardEvent.code) go down, once the page has seen each.
  async down(codes) {
    for (const code of [].concat(codes)) {
      await this.page.keyboard.down(code);
      await this.page.waitForFunction((c) => window.__orvantheTestHeld.has(c), {}, code);
    }
  }

  async up(codes) {
    for (const code of [].concat(codes)) {
      await this.page.keyboard.up(code);
      await this.page.waitForFunction((c) => !window.__orvantheTestHeld.has(c), {}, code);
    }
  }

  // The keys down for `count` steps of `ms`, then up; the passes' last answer.
  async hold(codes, count = 1, ms = 20) {
    await this.down(codes);
    const running = await this.step(count, ms);
    await this.up(codes);
    return running;
  }

  // The title's two frames, ENTER, and three ticks of play: the start every play test shares.
  async startPlay() {
    assert.equal(await this.step(2), 1);
    assert.equal(await this.hold('Enter'), 1);
    assert.equal(await this.step(3), 1);
  }

  // Steps until the game has ended, at most `most`; how many it took (Infinity when it never did).
  async stepsUntilEnded(most) {
    for (let i = 1; i <= most; ++i) {
      if ((await this.step()) === 0) return i;
    }
    return Infinity;
  }

  // The canvas as the page shows it, { width, height, rgb }; kept as OUT/name.png when named. Two animation
  // frames first: the picture drawn in the last step has then been handed to the screen.
  async frame(name = null) {
    await this.page.bringToFront();
    await this.page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const canvas = await this.page.$('#canvas');
    const png = await canvas.screenshot({ type: 'png' });
    if (name) keep(name, png);
    return decodePng(png);
  }

  storage(key = SETTINGS_KEY) {
    return this.page.evaluate((k) => localStorage.getItem(k), key);
  }

  assertClean() {
    assert.deepEqual(this.problems, [], 'the page reported problems');
  }

  close() {
    return this.page.close();
  }
}
