// Where an exported game runs from: a server that sends the isolation
// headers, a plain static host (the service worker isolates the page after
// one reload), a cross-origin frame of a page that is not isolated (the
// service worker relays the keys) and a file:// address (a message says how
// to serve the folder). In each, the game's loop gets its frames and keys.
'use strict';

const assert = require('node:assert');
const path = require('node:path');
const { after, before, test } = require('node:test');

const support = require('./support.js');

// Prints "right" once cursor right is held, then runs until Escape.
const keysGame = support.makeGame({
  'main.js': `initORU(64, 64, false); print("ready\\n");
    var told = false;
    while (!escDown()) { setColor(0, 1, 0); drawPoint(32, 32); flip();
      if (rightDown() && !told) { told = true; print("right\\n"); } }`,
});

let browser;
let site;
before(async () => {
  browser = await support.launch('chromium');
  site = await support.exportGame(keysGame);
});
after(async () => {
  if (browser) await browser.close();
});

// Counts the page loads a server answers.
function countLoads(server) {
  const loads = { count: 0 };
  server.on('request', (request) => {
    if (request.url === '/' || request.url === '/index.html') ++loads.count;
  });
  return loads;
}

// The keys reach the loop of the player in frame (a page or a frame of one).
async function keysReachTheLoop(page, frame) {
  await frame.waitForFunction(() => window.oruPlayer.output.includes('ready'), support.waitLong);
  await page.keyboard.down('ArrowRight');
  await frame.waitForFunction(() => window.oruPlayer.output.includes('right'), support.waitLong);
  await page.keyboard.up('ArrowRight');
  await page.keyboard.press('Escape');
  await frame.waitForFunction(() => window.oruPlayer.status === 0, support.waitLong);
}

test('a server that sends the isolation headers: shared memory at once', async () => {
  const server = await support.serve(site, { isolate: true });
  const loads = countLoads(server);
  const page = await support.openPlayer(browser, server.url);
  assert.strictEqual(await page.evaluate(() => window.oruPlayer.keyMode), 'shared');
  await keysReachTheLoop(page, page);
  assert.strictEqual(loads.count, 1);
  await page.close();
  server.close();
});

test('a plain static host: isolated by the service worker after one reload', async () => {
  const server = await support.serve(site);
  const loads = countLoads(server);
  const page = await support.openPlayer(browser, server.url);
  assert.strictEqual(await page.evaluate(() => window.crossOriginIsolated), true);
  assert.strictEqual(await page.evaluate(() => window.oruPlayer.keyMode), 'shared');
  await keysReachTheLoop(page, page);
  assert.strictEqual(loads.count, 2);
  await page.close();
  server.close();
});

test('a frame of another site, on a page that is not isolated: the keys are relayed', async () => {
  const game = await support.serve(site);
  const portal = await support.serve(support.temporaryFolder('oru-portal-'), {
    extra: {
      '/': `<!doctype html><title>Portal</title>
        <iframe id="game" src="${game.url}" width="400" height="300" allow="fullscreen"></iframe>`,
    },
  });
  // Another site altogether: localhost, where the game is on 127.0.0.1.
  const page = await browser.newPage();
  await page.goto(portal.url.replace('127.0.0.1', 'localhost'));
  const element = await page.waitForSelector('#game');
  const frame = await element.contentFrame();
  await frame.waitForFunction(() => window.oruPlayer && window.oruPlayer.keyMode !== '', support.waitLong);
  assert.strictEqual(await frame.evaluate(() => window.oruPlayer.keyMode), 'relay');
  await frame.waitForFunction(() => window.oruPlayer.frames > 0, support.waitLong);
  await element.click();
  await keysReachTheLoop(page, frame);
  await page.close();
  game.close();
  portal.close();
});

test('opened as a file: a message says how to serve the folder', async () => {
  const page = await browser.newPage();
  await page.goto('file://' + path.join(site, 'index.html'));
  await page.waitForSelector('#notice:not([hidden])', support.waitLong);
  const notice = await page.$eval('#notice', (element) => element.textContent);
  assert.match(notice, /python3 -m http\.server/);
  await page.close();
});
