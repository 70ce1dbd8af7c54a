// The web player in Firefox ESR on the private X server (its headless mode
// has no WebGL): a scene against the native frame, keys reaching the loop,
// and error reports, a syntax error in a nested script among them, whose
// first lines are the native program's.
'use strict';

const assert = require('node:assert');
const { after, before, test } = require('node:test');

const support = require('./support.js');

let browser;
before(async () => {
  browser = await support.launch('firefox');
});
after(async () => {
  if (browser) await browser.close();
});

function play(game) {
  return support.play(browser, game);
}

test('a scene matches the native frame within 2/255 per channel', async () => {
  const game = support.makeGame({
    'main.js': `initORU(320, 240, false);
      for (var frame = 0; frame < 2; ++frame) {
        clear();
        setColor(1, 0.3, 0.1); drawLine(20, 20, 300, 220);
        setColor(0.1, 0.6, 1); setLineWidth(16); drawLine(300, 20, 20, 220);
        setColor(0.2, 1, 0.3); setLineWidth(4); drawLine(160, 10, 160, 230);
        setColor(1, 1, 0.5); setLineWidth(15); drawPoint(80, 60);
        setColor(2, -1, 0.5); setLineWidth(-8); drawLine(50, 120, 110, 120);
        setColor(0.5, 0.5, 0.5); setLineWidth(8); setCoordSystem(0, 160, 0, 120);
        drawLine(100, 100, 150, 90); setCoordSystem(0, 320, 0, 240);
        flip();
      }
      runScript("frame-shown");
      while (!escDown()) flip();`,
  });
  const native = await support.nativeFrame(game, 'main.js', 320, 240);
  const page = await play(game);
  await support.waitForOutput(page, 'frame-shown');
  const web = await support.readFrame(page);
  await page.close();
  const difference = support.compareFrames(web, native);
  console.log(`largest difference ${difference.largest}, ${difference.pixels} pixels differ`);
  assert.ok(support.brightness(native) > 1000000);
  assert.ok(difference.largest <= 2, `largest difference ${difference.largest}`);
});

test('keys reach the loop', async () => {
  const page = await play(
    support.makeGame({
      'main.js': `initORU(64, 64, false); print("ready\\n");
        while (!rightDown()) flip(); print("right\\n"); while (!escDown()) flip();`,
    })
  );
  await support.waitForOutput(page, 'ready');
  await page.keyboard.down('ArrowRight');
  await support.waitForOutput(page, 'right');
  await page.keyboard.up('ArrowRight');
  await page.keyboard.press('Escape');
  assert.strictEqual(await support.waitForExit(page), 0);
  await page.close();
});

test('error reports name the native file and line', async () => {
  const files = {
    'main.js': 'runScript("lib/a.js");\nrunScript("lib/b.js");\n\nnull.x;\n',
    'lib/a.js': '\nvar = 3;\n',
    'lib/b.js': 'function f() {\n  undefinedName();\n}\nf();\n',
  };
  const game = support.makeGame(files);
  const native = await support.runOru(['main.js'], { cwd: game });
  const page = await play(game);
  const status = await support.waitForExit(page);
  const output = await page.evaluate(() => window.oruPlayer.output);
  await page.close();
  const ownLines = (text) =>
    text.split('\n').filter((line) => line.startsWith('Error on line') || line.startsWith('Failed to run'));
  assert.strictEqual(ownLines(native.stdout).length, 6, native.stdout);
  assert.deepStrictEqual(ownLines(output), ownLines(native.stdout));
  assert.strictEqual(status, native.status);
});
