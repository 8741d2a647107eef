// The browser build under load: what the page costs to fetch, how soon it
// draws, and then some seconds of full play (firing and turning: bullets,
// explosions, monsters in view) in headless Chromium with software WebGL,
// printing world ticks and frames a second, the intervals between frames
// and the CPU the browser spends per second of play. It prints numbers and
// never judges them: the goals sit beside them in the summary.
//
//   node bench/web/web-bench.mjs [SECONDS] [--url-params PARAMS] [--chromium PATH] [--screenshot PNG]
//     SECONDS       of held keys to measure, 20 unless given
//     --url-params  added to the page's address, which is the game's command
//                   line: --url-params max-fps=50 draws one frame a tick
//     --chromium    the browser to drive, /usr/bin/chromium unless given
//     --screenshot  a PNG of the canvas as the measured seconds end, to see
//                   that the play was full (monsters, bullets, bursts)
// As the browser tests do, ORVANTHE_WEB_SITE names another built site and
// ORVANTHE_CHROMIUM another browser.
//
// Build the page first (scripts/web); this serves build-web/game/site itself
// on 127.0.0.1 and drives Chromium with the puppeteer-core pinned in
// tests/web (cd tests/web && npm ci, when its node_modules is missing).
// Exits 0 whatever the numbers; 1 only when the page did not load or the
// game never left its title, 2 on a bad command line.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const site = process.env.ORVANTHE_WEB_SITE || path.join(root, 'build-web/game/site');

// One copy of puppeteer-core for the browser tests and this: the pinned one.
const requireFromTests = createRequire(path.join(root, 'tests/web/package.json'));

function usage(problem) {
  process.stderr.write(`web-bench: ${problem}\n` +
                       'usage: node bench/web/web-bench.mjs [SECONDS] [--url-params PARAMS] [--chromium PATH]' +
                       ' [--screenshot PNG]\n');
  process.exit(2);
}

function parseArgs(argv) {
  const options = {
    seconds: 20,
    urlParams: '',
    screenshot: '',
    chromium: process.env.ORVANTHE_CHROMIUM || '/usr/bin/chromium',
  };
  for (let i = 0; i < argv.length; ++i) {
    const arg = argv[i];
    const valued = (name) => {
      if (arg.startsWith(name + '=')) return arg.slice(name.length + 1);
      if (i + 1 >= argv.length) usage(`${name} needs a value`);
      return argv[++i];
    };
    if (arg === '--url-params' || arg.startsWith('--url-params=')) {
      options.urlParams = valued('--url-params').replace(/^\?/, '');
    } else if (arg === '--chromium' || arg.startsWith('--chromium=')) {
      options.chromium = valued('--chromium');
    } else if (arg === '--screenshot' || arg.startsWith('--screenshot=')) {
      options.screenshot = valued('--screenshot');
    } else if (/^\d+(\.\d+)?$/.test(arg) && Number(arg) >= 1) {
      options.seconds = Number(arg);
    } else {
      usage(`'${arg}' is neither a number of seconds (1 or more) nor an option`);
    }
  }
  return options;
}

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};

// A static host of our own, so every file the page fetches is counted as it
// goes out. The site is read once, before the browser starts: a rebuild
// beside a run cannot mix two builds' files in one page. Nothing is cached:
// each run fetches everything afresh.
function serveSite() {
  const files = new Map();  // name in the site -> its bytes
  for (const name of fs.readdirSync(site)) {
    const file = path.join(site, name);
    if (fs.statSync(file).isFile()) files.set(name, fs.readFileSync(file));
  }
  const served = new Set();
  const missing = new Set();
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname).replace(/^\/+/, '');
    if (name === '') name = 'index.html';
    const body = files.get(name);
    const headers = { 'Cache-Control': 'no-store' };
    if (!body) {
      missing.add(name);
      response.writeHead(404, { ...headers, 'Content-Type': 'text/plain' });
      response.end('not found\n');
      return;
    }
    served.add(name);
    response.writeHead(200, {
      ...headers,
      'Content-Type': kTypes[path.extname(name)] || 'application/octet-stream',
      'Content-Length': body.length,
    });
    response.end(request.method === 'HEAD' ? undefined : body);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    // Port 0: the system picks a free one.
    server.listen(0, '127.0.0.1', () => resolve({ server, files, served, missing, port: server.address().port }));
  });
}

// What a static host compressing at gzip's best would send for a file.
function gzipSize(bytes) {
  return zlib.gzipSync(bytes, { level: 9 }).length;
}

function sizeText(bytes) {
  if (bytes >= 1000 * 1000) return (bytes / 1e6).toFixed(1) + ' MB';
  if (bytes >= 1000) return Math.round(bytes / 1e3) + ' KB';
  return bytes + ' B';
}

// "index", "icon-64", "js", "wasm", "data"
function kindOf(name) {
  const ext = path.extname(name);
  if (ext === '.html' || ext === '.png') return name.slice(0, -ext.length);
  return ext.slice(1);
}

// --- CPU from /proc: the browser process and every process below it ---

let clockTicks = 100;
try {
  clockTicks = Number(execFileSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }).trim()) || 100;
} catch (e) {
  // Linux's usual USER_HZ.
}

// pid -> { ppid, cpu (s, utime + stime of all its threads), type }
function readProcesses() {
  const all = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      // The command's name is in parentheses and may hold spaces or ')'.
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      all.set(Number(entry), {
        ppid: Number(fields[1]),
        cpu: (Number(fields[11]) + Number(fields[12])) / clockTicks,
        cmdline: null,
      });
    } catch (e) {
      // Gone between the listing and the read.
    }
  }
  return all;
}

function processType(pid) {
  try {
    // Chromium rewrites its command line in place: the arguments may be
    // one string.
    const type = /--type=([\w-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'));
    return type ? type[1] : 'browser';
  } catch (e) {
    return 'gone';
  }
}

// CPU seconds so far of the browser and its descendants, by process.
function browserCpu(rootPid) {
  const all = readProcesses();
  const children = new Map();
  for (const [pid, p] of all) {
    if (!children.has(p.ppid)) children.set(p.ppid, []);
    children.get(p.ppid).push(pid);
  }
  const result = new Map();
  const stack = [rootPid];
  while (stack.length) {
    const pid = stack.pop();
    const p = all.get(pid);
    if (!p) continue;
    result.set(pid, p.cpu);
    for (const child of children.get(pid) || []) stack.push(child);
  }
  return result;
}

// CPU seconds the whole machine has been busy, every CPU summed.
function machineBusy() {
  try {
    const fields = fs.readFileSync('/proc/stat', 'utf8').split('\n')[0].trim().split(/\s+/).slice(1).map(Number);
    // user nice system idle iowait irq softirq steal: all but idle and iowait.
    const busy = fields.slice(0, 8).reduce((sum, v, i) => (i === 3 || i === 4 ? sum : sum + v), 0);
    return busy / clockTicks;
  } catch (e) {
    return null;
  }
}

// --- the page ---

function percentile(sorted, p) {
  if (!sorted.length) return 0;
  return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
}

const kLoadTimeoutMs = 180000;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitFor(page, expression, timeoutMs) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    if (await page.evaluate(expression)) return true;
    await sleep(50);
  }
  return false;
}

// The game looks at the keyboard once a frame: a key must be down across
// a frame to be seen.
async function hold(page, key, ms) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

// Each frame the game presents, and each animation frame the page is given,
// stamped in the page while `recording`.
function installFrameHooks() {
  const bench = { recording: false, drawn: [], animation: [] };
  window.orvantheBench = bench;
  const drawn = Module.onFrameDrawn;
  Module.onFrameDrawn = function () {
    if (bench.recording) bench.drawn.push(performance.now());
    if (drawn) drawn.apply(this, arguments);
  };
  const onAnimationFrame = (t) => {
    if (bench.recording) bench.animation.push(t);
    requestAnimationFrame(onAnimationFrame);
  };
  requestAnimationFrame(onAnimationFrame);
}

function sampleGame() {
  return { at: performance.now(), ticks: Module._orvanthe_ticks(), frames: Module.framesDrawn || 0 };
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  if (!fs.existsSync(path.join(site, 'index.html'))) {
    process.stderr.write(`web-bench: no page at ${site}: build it with scripts/web\n`);
    return 1;
  }
  let puppeteer;
  try {
    puppeteer = requireFromTests('puppeteer-core');
  } catch (e) {
    process.stderr.write('web-bench: puppeteer-core not found in tests/web: cd tests/web && npm ci\n');
    return 1;
  }

  const host = await serveSite();
  const url = `http://127.0.0.1:${host.port}/` + (options.urlParams ? '?' + options.urlParams : '');
  const browser = await puppeteer.launch({
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--window-size=800,600'],
    defaultViewport: { width: 800, height: 600 },
  });
  const pageErrors = [];
  try {
    const page = await browser.newPage();
    page.on('pageerror', (e) => pageErrors.push(String(e.message || e)));
    page.on('console', (m) => {
      if (m.type() === 'error') pageErrors.push(m.text());
    });
    // Generous: software WebGL on a busy machine starts many times slower.
    await page.goto(url, { waitUntil: 'load', timeout: kLoadTimeoutMs });
    // A first frame, or the page's own word that the game could not start.
    await waitFor(page,
                  'typeof Module !== "undefined" && (Module.firstFrameAt !== undefined || Module.ended !== undefined ||' +
                      ' !document.getElementById("again").hidden)',
                  kLoadTimeoutMs);
    if ((await page.evaluate('typeof Module === "undefined" || Module.firstFrameAt === undefined'))) {
      const message = await page.evaluate('document.getElementById("message").textContent');
      process.stderr.write(`web-bench: no frame drawn; the page says: ${message}\n`);
      for (const e of pageErrors) process.stderr.write(`  ${e}\n`);
      return 1;
    }
    await page.evaluate(installFrameHooks);

    const load = await page.evaluate(() => {
      const at = (suffix) => {
        const entry = performance.getEntriesByType('resource').find((e) => e.name.split('?')[0].endsWith(suffix));
        return entry ? entry.responseEnd : null;
      };
      const canvas = Module.canvas;
      return {
        firstFrame: Module.firstFrameAt,
        data: at('orvanthe.data'),
        wasm: at('orvanthe.wasm'),
        width: canvas.width,
        height: canvas.height,
      };
    });

    // The title, then ENTER to play. The picture must change: the title's
    // letters go and the world is drawn.
    await sleep(500);
    const canvas = await page.$('#canvas');
    const title = await canvas.screenshot({ encoding: 'base64' });
    await hold(page, 'Enter', 300);
    await sleep(500);
    const played = await canvas.screenshot({ encoding: 'base64' });
    const ticksAfterEnter = await page.evaluate('Module._orvanthe_ticks()');
    await sleep(300);
    if (played === title || (await page.evaluate('Module._orvanthe_ticks()')) === ticksAfterEnter ||
        (await page.evaluate('Module.ended')) !== undefined) {
      process.stderr.write('web-bench: the game did not start: ENTER left the title standing\n');
      for (const e of pageErrors) process.stderr.write(`  ${e}\n`);
      return 1;
    }

    // Full play: firing every 0.7 s and turning, so bullets fly, monsters
    // come into view and hits explode. A second of it before measuring.
    await page.keyboard.down('ControlLeft');
    await page.keyboard.down('ArrowLeft');
    await sleep(1000);

    const browserPid = browser.process().pid;
    await page.evaluate('orvantheBench.recording = true');
    const metricsStart = await page.metrics();
    const cpuStart = browserCpu(browserPid);
    // Other work on the machine shows in every number: what it took is said.
    const machineStart = machineBusy();
    const selfStart = process.cpuUsage();
    const wallStart = performance.now();
    const gameStart = await page.evaluate(sampleGame);
    // Once a second: seconds in which the world stood still (a pause or the
    // end of a game opened a box) are named, not hidden in the average.
    let stillSeconds = 0;
    let lastTicks = gameStart.ticks;
    const deadline = wallStart + options.seconds * 1000;
    while (performance.now() < deadline) {
      await sleep(Math.min(1000, deadline - performance.now()));
      const ticks = await page.evaluate('Module._orvanthe_ticks()');
      if (ticks === lastTicks) ++stillSeconds;
      lastTicks = ticks;
    }
    const gameEnd = await page.evaluate(sampleGame);
    const wallEnd = performance.now();
    const cpuEnd = browserCpu(browserPid);
    const machineEnd = machineBusy();
    const self = process.cpuUsage(selfStart);
    const metricsEnd = await page.metrics();
    if (options.screenshot) await canvas.screenshot({ path: options.screenshot });
    const stamps = await page.evaluate(() => {
      orvantheBench.recording = false;
      return { drawn: orvantheBench.drawn, animation: orvantheBench.animation };
    });
    await page.keyboard.up('ArrowLeft');
    await page.keyboard.up('ControlLeft');
    const ended = await page.evaluate('Module.ended');

    const renderer = await page.evaluate(() => {
      const gl = document.createElement('canvas').getContext('webgl');
      const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
      return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : 'unknown';
    });

    // --- the summary ---
    const gameSeconds = (gameEnd.at - gameStart.at) / 1000;
    const wallSeconds = (wallEnd - wallStart) / 1000;
    const ticksPerSecond = (gameEnd.ticks - gameStart.ticks) / gameSeconds;
    const framesPerSecond = (gameEnd.frames - gameStart.frames) / gameSeconds;
    const animation = stamps.animation;
    const animationPerSecond =
        animation.length > 1 ? (animation.length - 1) / ((animation[animation.length - 1] - animation[0]) / 1000) : 0;
    const intervals = [];
    for (let i = 1; i < stamps.drawn.length; ++i) intervals.push(stamps.drawn[i] - stamps.drawn[i - 1]);
    intervals.sort((a, b) => a - b);

    const metricsSeconds = metricsEnd.Timestamp - metricsStart.Timestamp;
    const mainThread = (1000 * (metricsEnd.TaskDuration - metricsStart.TaskDuration)) / metricsSeconds;
    const mainScript = (1000 * (metricsEnd.ScriptDuration - metricsStart.ScriptDuration)) / metricsSeconds;
    const byType = new Map();
    let allCpu = 0;
    for (const [pid, after] of cpuEnd) {
      const used = after - (cpuStart.get(pid) || 0);
      allCpu += used;
      const type = processType(pid);
      byType.set(type, (byType.get(type) || 0) + used);
    }
    const perSecond = (seconds) => Math.round((1000 * seconds) / wallSeconds);
    const selfSeconds = (self.user + self.system) / 1e6;
    const otherText = machineStart === null ? 'unknown' :
        `${Math.max(0, perSecond(machineEnd - machineStart - allCpu - selfSeconds))} ms/s`;
    const typeText = [...byType.entries()]
                         .sort((a, b) => b[1] - a[1])
                         .map(([type, used]) => `${type} ${perSecond(used)}`)
                         .join(', ');

    const fetched = [...host.served].sort((a, b) => host.files.get(a).length - host.files.get(b).length);
    let raw = 0;
    let packed = 0;
    const parts = [];
    for (const name of fetched) {
      const bytes = host.files.get(name);
      const gz = gzipSize(bytes);
      raw += bytes.length;
      packed += gz;
      parts.push(`${kindOf(name)} ${sizeText(bytes.length)} -> ${sizeText(gz)}`);
    }
    const unfetched = [...host.files.keys()].filter((f) => !host.served.has(f)).sort();

    const ms = (v) => v.toFixed(1);
    const seconds = (v) => (v === null ? 'not seen' : (v / 1000).toFixed(2) + ' s');
    const lines = [];
    lines.push(`orvanthe web bench: ${options.seconds} s of full play in headless Chromium (software WebGL), ` +
               `${load.width} x ${load.height}` + (options.urlParams ? `, ?${options.urlParams}` : ''));
    lines.push(`machine: ${os.cpus().length} CPUs; other work on it while measuring: ${otherText} of CPU ` +
               `(this script ${perSecond(selfSeconds)} ms/s); WebGL: ${renderer}`);
    lines.push(`transfer: ${sizeText(raw)} raw, ${sizeText(packed)} gzip -9 (goal: at most 4 MB gzip)`);
    lines.push(`  ${parts.join(', ')}`);
    if (unfetched.length) lines.push(`  in the site but not fetched here: ${unfetched.join(', ')}`);
    if (host.missing.size) lines.push(`  asked for but not in the site: ${[...host.missing].join(', ')}`);
    lines.push(`first frame: ${seconds(load.firstFrame)} after navigation (goal: under 3 s; ` +
               `wasm fetched at ${seconds(load.wasm)}, data at ${seconds(load.data)})`);
    lines.push(`world ticks: ${ticksPerSecond.toFixed(1)} /s (goal 50)   frames: ${framesPerSecond.toFixed(1)} /s ` +
               `(goal: the page's refresh; animation frames ${animationPerSecond.toFixed(1)} /s)   frame interval ` +
               `p50 ${ms(percentile(intervals, 0.5))} p99 ${ms(percentile(intervals, 0.99))} ` +
               `max ${ms(percentile(intervals, 1))} ms`);
    lines.push(`CPU: renderer main thread busy ${Math.round(mainThread)} ms/s (script ${Math.round(mainScript)}), ` +
               `all browser processes ${perSecond(allCpu)} ms/s (${typeText})`);
    if (stillSeconds > 0 || ended !== undefined) {
      lines.push(`note: the world stood still in ${stillSeconds} of the seconds sampled` +
                 (ended !== undefined ? `; the game ended (${ended})` : '') + ': a box was open, the rates are low');
    }
    process.stdout.write(lines.join('\n') + '\n');
  } finally {
    await browser.close();
    host.server.close();
  }
  return 0;
}

main().then(
    (code) => process.exit(code),
    (error) => {
      process.stderr.write(`web-bench: ${error && error.stack ? error.stack : error}\n`);
      process.exit(1);
    });
