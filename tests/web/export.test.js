// oru --export-web as a user runs it: into a new folder and into a zip
// archive, the game's files (hidden ones left out) beside the player, what
// was written and its size printed; an output that is in the way refused,
// changing nothing; and the archive, unpacked, plays.
'use strict';

const assert = require('node:assert');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { test } = require('node:test');

const support = require('./support.js');

const game = support.makeGame({
  'main.js': 'runScript("lib/helper.js"); initORU(64, 64, false); helper(); flip(); print("played\\n");',
  'lib/helper.js': 'function helper() { drawPoint(32, 32); }',
  '.hidden/secret.js': 'secret',
  '.editor-lock': 'lock',
  'assets/notes.txt': 'notes',
});

// Every file under folder, with '/' between folders, sorted.
function listFiles(folder) {
  const files = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(full);
      else files.push(path.relative(folder, full).split(path.sep).join('/'));
    }
  };
  walk(folder);
  return files.sort();
}

const expectedFiles = [
  'game/assets/notes.txt',
  'game/lib/helper.js',
  'game/main.js',
  'index.html',
  'player/acorn.js',
  'player/game.json',
  'player/player.css',
  'player/player.js',
  'player/worker.js',
  'sw.js',
];

test('a game folder exported into a new folder', async () => {
  const out = path.join(support.temporaryFolder('oru-export-'), 'site');
  const result = await support.runOru(['--export-web', game, out]);
  assert.strictEqual(result.status, 0, result.stdout);
  assert.deepStrictEqual(listFiles(out), expectedFiles);
  // Each file written is listed with its size, then the total.
  let total = 0;
  for (const file of expectedFiles) {
    const size = fs.statSync(path.join(out, file)).size;
    total += size;
    assert.ok(result.stdout.includes(`  ${file}  ${size} bytes\n`), file);
  }
  assert.match(result.stdout, new RegExp(`Wrote 10 files, ${total} bytes in all, to `));
  assert.strictEqual(fs.readFileSync(path.join(out, 'game/main.js'), 'latin1'), fs.readFileSync(path.join(game, 'main.js'), 'latin1'));
  const description = JSON.parse(fs.readFileSync(path.join(out, 'player/game.json'), 'utf8'));
  assert.strictEqual(description.start, 'main.js');
  assert.deepStrictEqual(description.files, ['assets/notes.txt', 'lib/helper.js', 'main.js']);
});

test('a startup script exported: its folder is the game, it starts the game', async () => {
  const out = path.join(support.temporaryFolder('oru-export-'), 'site');
  const result = await support.runOru(['--export-web', path.join(game, 'lib', 'helper.js'), out]);
  assert.strictEqual(result.status, 0, result.stdout);
  const description = JSON.parse(fs.readFileSync(path.join(out, 'player/game.json'), 'utf8'));
  assert.strictEqual(description.start, 'helper.js');
  assert.deepStrictEqual(description.files, ['helper.js']);
});

test('an output in the way, or no game, is refused and nothing changes', async () => {
  const busy = support.temporaryFolder('oru-busy-');
  fs.writeFileSync(path.join(busy, 'keep.txt'), 'keep');
  const refused = await support.runOru(['--export-web', game, busy]);
  assert.strictEqual(refused.status, 1);
  assert.match(refused.stderr, /is not empty; export into a new or empty folder\./);
  assert.deepStrictEqual(fs.readdirSync(busy), ['keep.txt']);

  const archive = path.join(busy, 'keep.zip');
  fs.writeFileSync(archive, 'old');
  const existing = await support.runOru(['--export-web', game, archive]);
  assert.strictEqual(existing.status, 1);
  assert.strictEqual(fs.readFileSync(archive, 'latin1'), 'old');

  const missing = await support.runOru(['--export-web', path.join(busy, 'nothing'), path.join(busy, 'out')]);
  assert.strictEqual(missing.status, 1);
  assert.match(missing.stderr, /there is no game folder or script named /);
  assert.ok(!fs.existsSync(path.join(busy, 'out')));

  const incomplete = await support.runOru(['--export-web', game]);
  assert.strictEqual(incomplete.status, 1);
  assert.match(incomplete.stderr, /--export-web needs a game and where to write it/);
});

test('the option applies only when no file of that name exists', async () => {
  const folder = support.makeGame({ '--export-web': 'print("a script named like the option\\n");' });
  const result = await support.runOru(['--export-web', 'a', 'b'], { cwd: folder });
  assert.strictEqual(result.status, 0);
  assert.strictEqual(result.stdout, 'a script named like the option\n');
  assert.ok(!fs.existsSync(path.join(folder, 'b')));
});

test('a zip archive, unpacked on a static host, plays', async () => {
  const folder = support.temporaryFolder('oru-zip-');
  const archive = path.join(folder, 'game.zip');
  const result = await support.runOru(['--export-web', game, archive]);
  assert.strictEqual(result.status, 0, result.stdout);
  const listing = childProcess.execFileSync('zipinfo', ['-1', archive], { encoding: 'utf8' });
  assert.deepStrictEqual(listing.trim().split('\n').sort(), expectedFiles);
  const site = path.join(folder, 'site');
  childProcess.execFileSync('unzip', ['-q', archive, '-d', site]);

  const browser = await support.launch('chromium');
  const server = await support.serve(site, { isolate: true });
  try {
    const page = await support.openPlayer(browser, server.url);
    assert.strictEqual(await support.waitForExit(page), 0);
    assert.strictEqual(await page.evaluate(() => window.oruPlayer.output), 'played\n');
  } finally {
    await browser.close();
    server.close();
  }
});
