// What the web player's tests share: exporting a game with the built oru,
// serving the export over HTTP (with or without the isolation headers),
// starting Chromium or Firefox, reading the player's frame and running the
// native program on the same scripts.
'use strict';

const assert = require('node:assert');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const puppeteer = require('puppeteer-core');

const oru = process.env.ORU_PATH;
const sourceDir = process.env.ORU_SOURCE_DIR;
assert.ok(oru && sourceDir, 'ORU_PATH and ORU_SOURCE_DIR name the built program and the sources');

// A fresh temporary folder, removed when the process ends.
const temporaryFolders = [];
process.on('exit', () => {
  for (const folder of temporaryFolders) fs.rmSync(folder, { recursive: true, force: true });
});
function temporaryFolder(prefix) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  temporaryFolders.push(folder);
  return folder;
}

// A game folder holding the given files ({name: text or Buffer}).
function makeGame(files) {
  const folder = temporaryFolder('oru-game-');
  for (const [name, content] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(folder, name)), { recursive: true });
    fs.writeFileSync(path.join(folder, name), content);
  }
  return folder;
}

// Runs the built oru with arguments; resolves with its output and status.
function runOru(args, options = {}) {
  return new Promise((resolve) => {
    childProcess.execFile(oru, args, { encoding: 'latin1', ...options }, (error, stdout, stderr) => {
      resolve({ status: error ? error.code : 0, stdout, stderr });
    });
  });
}

// Exports game (a folder or script) into a new folder and returns the folder.
async function exportGame(game) {
  const out = path.join(temporaryFolder('oru-web-'), 'site');
  const result = await runOru(['--export-web', game, out]);
  assert.strictEqual(result.status, 0, result.stdout + result.stderr);
  return out;
}

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.json': 'application/json',
  '.png': 'image/png',
};

// A static server of folder on a free port of 127.0.0.1. With isolate, every
// response carries the two headers that make a page cross-origin isolated.
// extra maps a path to a page of its own (for an embedding page).
function serve(folder, { isolate = false, extra = {} } = {}) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const headers = { 'Cache-Control': 'no-store' };
    if (isolate) {
      headers['Cross-Origin-Opener-Policy'] = 'same-origin';
      headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
    }
    if (extra[name] !== undefined) {
      response.writeHead(200, { ...headers, 'Content-Type': 'text/html; charset=utf-8' });
      response.end(extra[name]);
      return;
    }
    let file = path.join(folder, name);
    if (!file.startsWith(folder)) file = folder + '/-';
    if (name.endsWith('/')) file = path.join(file, 'index.html');
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404, headers);
        response.end('not found');
        return;
      }
      headers['Content-Type'] = types[path.extname(file)] || 'application/octet-stream';
      response.writeHead(200, headers);
      response.end(data);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      server.url = `http://127.0.0.1:${server.address().port}/`;
      resolve(server);
    });
  });
}

// Chromium, headless, with WebGL in software; or Firefox ESR on the display
// the tests run under (its headless mode has no WebGL).
async function launch(kind = 'chromium') {
  const profile = temporaryFolder('oru-browser-');
  if (kind === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: '/usr/bin/firefox-esr',
      headless: false,
      userDataDir: profile,
      protocolTimeout: 120000,
      timeout: 120000,
      extraPrefsFirefox: { 'webgl.force-enabled': true, 'browser.shell.checkDefaultBrowser': false },
    });
  }
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    protocolTimeout: 120000,
    timeout: 120000,
    args: [
      '--headless=new',
      '--no-sandbox',
      '--enable-unsafe-swiftshader',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
      '--disable-quic',
      '--disable-background-timer-throttling',
      '--disable-renderer-backgrounding',
    ],
  });
}

const waitLong = { timeout: 120000, polling: 50 };

// Exports game, serves it with the isolation headers and opens the player in browser.
async function play(browser, game) {
  const site = await exportGame(game);
  const server = await serve(site, { isolate: true });
  const page = await openPlayer(browser, server.url);
  page.once('close', () => server.close());
  return page;
}

// Opens url in a new page and waits until the player has started the game.
async function openPlayer(browser, url) {
  const page = await browser.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.oruPlayer && window.oruPlayer.keyMode !== '', waitLong);
  return page;
}

// Waits until the player's console holds text.
function waitForOutput(page, text) {
  return page.waitForFunction((t) => window.oruPlayer.output.includes(t), waitLong, text);
}

// Waits for the game to end; resolves with its exit status.
async function waitForExit(page) {
  await page.waitForFunction(() => window.oruPlayer.status !== null, waitLong);
  return page.evaluate(() => window.oruPlayer.status);
}

// The frame the page shows, as RGB bytes, with its size.
async function readFrame(page) {
  const frame = await page.evaluate(() => {
    const screen = document.getElementById('screen');
    const copy = document.createElement('canvas');
    copy.width = screen.width;
    copy.height = screen.height;
    const context = copy.getContext('2d');
    context.drawImage(screen, 0, 0);
    const rgba = context.getImageData(0, 0, copy.width, copy.height).data;
    let rgb = '';
    for (let i = 0; i < rgba.length; i += 4) {
      rgb += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    }
    return { width: copy.width, height: copy.height, rgb: btoa(rgb) };
  });
  return { width: frame.width, height: frame.height, rgb: Buffer.from(frame.rgb, 'base64') };
}

// Runs script natively on the display the tests run under and reads its
// window's frame once the script has shown it: the script calls
// runScript("frame-shown") after its frame, whose failure line (a flushed
// line) is the sign.
async function nativeFrame(folder, script, width, height) {
  const child = childProcess.spawn(oru, [script], { cwd: folder });
  try {
    let output = '';
    await new Promise((resolve, reject) => {
      child.stdout.on('data', (data) => {
        output += data;
        if (output.includes('frame-shown')) resolve();
      });
      child.on('exit', () => reject(new Error('oru ended early: ' + output)));
    });
    const id = childProcess
      .execFileSync('xdotool', ['search', '--sync', '--name', '^ORU$'], { encoding: 'latin1' })
      .trim()
      .split('\n')[0];
    const rgb = childProcess.execFileSync('import', ['-window', id, '-depth', '8', 'rgb:-']);
    assert.strictEqual(rgb.length, width * height * 3, 'the native window is ' + width + 'x' + height);
    return { width, height, rgb };
  } finally {
    child.kill();
  }
}

// How two frames differ: the largest difference of a channel, and how many pixels differ.
function compareFrames(a, b) {
  assert.strictEqual(a.width, b.width);
  assert.strictEqual(a.height, b.height);
  let largest = 0;
  let pixels = 0;
  for (let i = 0; i < a.rgb.length; i += 3) {
    let pixel = 0;
    for (let c = i; c < i + 3; ++c) pixel = Math.max(pixel, Math.abs(a.rgb[c] - b.rgb[c]));
    largest = Math.max(largest, pixel);
    if (pixel > 0) ++pixels;
  }
  return { largest, pixels };
}

// The sum of all channels of a frame: how much light it holds.
function brightness(frame) {
  let sum = 0;
  for (const value of frame.rgb) sum += value;
  return sum;
}

module.exports = {
  temporaryFolder,
  makeGame,
  runOru,
  exportGame,
  serve,
  launch,
  openPlayer,
  play,
  waitForOutput,
  waitForExit,
  readFrame,
  nativeFrame,
  compareFrames,
  brightness,
  waitLong,
  sourceDir,
};
