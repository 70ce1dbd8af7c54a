// The web player's row of the benchmark: frames per second in headless
// Chromium against native oru (build/bench/oru_bench, flip's sleep 0) with
// the same script and strokes (bench/lines.js), at 0, 1,000 and 10,000 lines
// a frame, and against the reference (bench/web/reference: a minimal WebGL
// program drawing the same quads from a worker, with the same hand-over);
// then the time to export the default demo and the time from loading its
// page to its first frame. Run by bench/run.sh; needs a display for oru_bench.
//
// Usage: node bench/web/web_bench.js BUILD_DIR
'use strict';

const childProcess = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

const build = path.resolve(process.argv[2] || 'build');
const root = path.resolve(__dirname, '../..');
process.env.ORU_PATH = path.join(build, 'oru');
process.env.ORU_SOURCE_DIR = root;
const support = require(path.join(root, 'tests/web/support.js'));

const frameCounts = { 0: 400, 1000: 200, 10000: 25 };

// A game that runs bench/lines.js for a number of frames and prints its
// frame rate, natively (benchClock) and in the player (the worker's clock).
function linesGame(lines) {
  return support.makeGame({
    'lines.js': fs.readFileSync(path.join(root, 'bench/lines.js')),
    'main.js': `var N = ${lines}, FRAMES = ${frameCounts[lines]}, POINTS = false, POINTS_ONLY = false, SHRINK = 1;
var clockNow = typeof benchClock === "function" ? benchClock : function () { return performance.now() / 1000; };
var showFrame = flip, stamps = [];
flip = function () { showFrame(); stamps.push(clockNow()); };
runScript("lines.js");
var warm = 5, counted = stamps.length - 1 - warm;
print("fps " + counted / (stamps[stamps.length - 1] - stamps[warm]) + "\\n");
`,
  });
}

function nativeFps(game) {
  const output = childProcess.execFileSync(path.join(build, 'bench/oru_bench'), ['main.js'], {
    cwd: game,
    encoding: 'latin1',
  });
  return Number(/fps (\S+)/.exec(output)[1]);
}

async function playerFps(browser, game) {
  const site = await support.exportGame(game);
  const server = await support.serve(site, { isolate: true });
  const page = await browser.newPage();
  await page.goto(server.url + '?frame-delay=0');
  await page.waitForFunction(() => window.oruPlayer && /fps \S+\n/.test(window.oruPlayer.output), support.waitLong);
  const output = await page.evaluate(() => window.oruPlayer.output);
  await page.close();
  server.close();
  return Number(/fps (\S+)/.exec(output)[1]);
}

async function referenceFps(browser, server, lines) {
  const page = await browser.newPage();
  await page.goto(`${server.url}?lines=${lines}&seconds=4`);
  await page.waitForFunction(() => window.result !== null, support.waitLong);
  const result = await page.evaluate(() => window.result);
  await page.close();
  return result.fps;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// The default demo as installed: beside the examples' lib/.
function demoGame() {
  const files = {
    'main.js': fs.readFileSync(path.join(root, 'main.js'), 'latin1').replaceAll('examples/lib/', 'lib/'),
  };
  for (const name of fs.readdirSync(path.join(root, 'examples/lib'))) {
    files['lib/' + name] = fs.readFileSync(path.join(root, 'examples/lib', name));
  }
  return support.makeGame(files);
}

async function main() {
  const browser = await support.launch('chromium');
  const reference = await support.serve(path.join(__dirname, 'reference'), { isolate: true });
  const rows = [];
  for (const lines of [0, 1000, 10000]) {
    const game = linesGame(lines);
    const native = nativeFps(game);
    const player = await playerFps(browser, game);
    const limit = await referenceFps(browser, reference, lines);
    rows.push({ lines, native, player, limit });
    console.log(
      `web player, ${lines} lines a frame: ${player.toFixed(1)} fps; reference ${limit.toFixed(1)} fps ` +
        `(player ${(player / limit).toFixed(2)}x); native oru ${native.toFixed(1)} fps (player ${(player / native).toFixed(2)}x)`
    );
  }
  const empty = rows[0];
  console.log(
    `hand-over per flip at 640x480 (an empty frame): player ${(1000 / empty.player).toFixed(2)} ms, ` +
      `reference ${(1000 / empty.limit).toFixed(2)} ms, native ${(1000 / empty.native).toFixed(2)} ms`
  );

  const demo = demoGame();
  const exportTimes = [];
  let site = null;
  for (let i = 0; i < 5; ++i) {
    const out = path.join(support.temporaryFolder('oru-bench-'), 'site');
    const start = process.hrtime.bigint();
    const result = await support.runOru(['--export-web', demo, out]);
    exportTimes.push(Number(process.hrtime.bigint() - start) / 1e6);
    if (result.status !== 0) throw new Error(result.stdout);
    site = out;
  }
  const server = await support.serve(site, { isolate: true });
  const firstFrames = [];
  for (let i = 0; i < 5; ++i) {
    const page = await browser.newPage();
    await page.goto(server.url);
    await page.waitForFunction(() => window.oruPlayer && window.oruPlayer.firstFrameMs !== null, support.waitLong);
    firstFrames.push(await page.evaluate(() => window.oruPlayer.firstFrameMs));
    await page.close();
  }
  server.close();
  console.log(
    `default demo: export ${median(exportTimes).toFixed(0)} ms, page load to first frame ${median(firstFrames).toFixed(0)} ms (medians of 5)`
  );
  await browser.close();
  reference.close();

  const csv = ['lines,native_fps,player_fps,reference_fps,player_vs_reference,player_vs_native'];
  for (const row of rows) {
    csv.push(
      [row.lines, row.native, row.player, row.limit, row.player / row.limit, row.player / row.native]
        .map((value) => (typeof value === 'number' ? +value.toFixed(3) : value))
        .join(',')
    );
  }
  fs.mkdirSync(path.join(build, 'bench'), { recursive: true });
  fs.writeFileSync(path.join(build, 'bench/web.csv'), csv.join('\n') + '\n');
}

main().then(
  () => process.exit(0),
  (error) => {
    console.error(error);
    process.exit(1);
  }
);
