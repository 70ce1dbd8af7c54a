// The web player in headless Chromium, against the native program on the
// same scripts: frames, keys, error reports, scripts read as bytes, the exit
// status, frames that are not cleared, a script that stops calling flip, and
// every example starting unchanged.
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, test } = require('node:test');

const support = require('./support.js');

let browser;
before(async () => {
  browser = await support.launch('chromium');
});
after(async () => {
  if (browser) await browser.close();
});

function play(game) {
  return support.play(browser, game);
}

// A scene that both programs draw, then, after two frames, ask for a file
// that is not there: the flushed failure line tells that the frame is shown.
function sceneScript(drawing) {
  return `initORU(320, 240, false);
for (var frame = 0; frame < 2; ++frame) {
  clear();
  ${drawing}
  flip();
}
runScript("frame-shown");
while (!escDown()) flip();
`;
}

// Lines, points, widths, colours (some beyond 0 to 1), a negative width and
// coordinate systems, y down and y up.
const strokes = `
  setColor(1, 0.3, 0.1); drawLine(20, 20, 300, 220);
  setColor(0.1, 0.6, 1); setLineWidth(16); drawLine(300, 20, 20, 220);
  setColor(0.2, 1, 0.3); setLineWidth(4); drawLine(160, 10, 160, 230);
  setColor(1, 1, 0.5); setLineWidth(15); drawPoint(80, 60); drawLine(80, 180, 85, 180);
  setColor(2, -1, 0.5); setLineWidth(-8); drawLine(50, 120, 110, 120);
  setColor(0.5, 0.5, 0.5); setLineWidth(8); setCoordSystem(0, 160, 0, 120);
  drawLine(100, 100, 150, 90);
  setCoordSystem(0, 320, 240, 0); drawLine(200, 200, 300, 230);
  setCoordSystem(0, 320, 0, 240);`;

// Strokes two pixels wide: each pixel spans 32 texels of the glow across
// the stroke, so where the software renderers place a corner a fraction of
// a pixel apart (Chromium's snaps to 1/16 of a pixel, Mesa's to 1/256), the
// level sampled moves by several steps.
const thinStrokes = `
  setColor(0.2, 1, 0.3); setLineWidth(2);
  for (var i = 0; i < 12; ++i) {
    var a = i * Math.PI / 6;
    drawLine(240 + 10 * Math.cos(a), 60 + 10 * Math.sin(a), 240 + 30 * Math.cos(a), 60 + 30 * Math.sin(a));
  }`;

describe('frames', () => {
  // Draws drawing natively and in the player; the largest difference of a channel.
  async function differenceFromNative(drawing, light) {
    const game = support.makeGame({ 'main.js': sceneScript(drawing) });
    const native = await support.nativeFrame(game, 'main.js', 320, 240);
    const page = await play(game);
    await support.waitForOutput(page, 'frame-shown');
    const web = await support.readFrame(page);
    await page.close();
    assert.ok(support.brightness(native) > light, 'the native scene has light');
    const difference = support.compareFrames(web, native);
    console.log(`largest difference ${difference.largest}, ${difference.pixels} pixels differ`);
    return difference.largest;
  }

  test('a scene matches the native frame within 5/255 per channel', async () => {
    assert.ok((await differenceFromNative(strokes, 1000000)) <= 5);
  });

  test('strokes two pixels wide match the native frame within 10/255', async () => {
    assert.ok((await differenceFromNative(thinStrokes, 20000)) <= 10);
  });

  test('a frame that is not cleared keeps what earlier frames drew', async () => {
    // One spot a frame, never cleared: after 20 frames all 20 are there.
    const game = support.makeGame({
      'main.js': `initORU(200, 40, false); clear(); setLineWidth(6);
        for (var i = 0; i < 20; ++i) { drawPoint(5 + i * 10, 20); flip(); }
        print("drawn\\n"); while (!escDown()) flip();`,
    });
    const page = await play(game);
    await support.waitForOutput(page, 'drawn');
    const frame = await support.readFrame(page);
    const lit = [];
    for (let i = 0; i < 20; ++i) lit.push(frame.rgb[(20 * 200 + 5 + i * 10) * 3] > 100);
    assert.deepStrictEqual(lit, new Array(20).fill(true));
    // Cleared frames start black: only the last spot is left. A frame that
    // then does not begin with clear still carries on from it, drawn in
    // another coordinate system as it was.
    await page.close();
    const cleared = support.makeGame({
      'main.js': `initORU(200, 40, false); setLineWidth(6);
        for (var i = 0; i < 20; ++i) {
          clear(); setCoordSystem(0, 100, 0, 20); setLineWidth(3);
          drawPoint((5 + i * 10) / 2, 10); setCoordSystem(0, 200, 0, 40); setLineWidth(6); flip();
        }
        drawPoint(100, 30); flip();
        print("drawn\\n"); while (!escDown()) flip();`,
    });
    const clearedPage = await play(cleared);
    await support.waitForOutput(clearedPage, 'drawn');
    const last = await support.readFrame(clearedPage);
    assert.ok(last.rgb[(20 * 200 + 5) * 3] < 10, 'the first spot is gone');
    assert.ok(last.rgb[(20 * 200 + 195) * 3] > 100, 'the spot of the last cleared frame is there');
    assert.ok(last.rgb[(30 * 200 + 100) * 3] > 100, 'the spot drawn without clear is there');
    await clearedPage.close();
  });

  test('the canvas has the size initORU asked for and is scaled by a whole factor', async () => {
    const game = support.makeGame({ 'main.js': 'initORU(160, 100, false); while (!escDown()) flip();' });
    const page = await play(game);
    await page.waitForFunction(() => window.oruPlayer.frames > 0, support.waitLong);
    const shown = await page.evaluate(() => {
      const screen = document.getElementById('screen');
      const box = screen.getBoundingClientRect();
      return { width: screen.width, height: screen.height, shownWidth: box.width, title: document.title };
    });
    assert.strictEqual(shown.width, 160);
    assert.strictEqual(shown.height, 100);
    assert.strictEqual(shown.title, 'ORU');
    assert.ok(shown.shownWidth >= 160 && shown.shownWidth % 160 === 0, `shown ${shown.shownWidth} wide`);
    await page.close();
  });
});

describe('keys', () => {
  const keysScript = `initORU(64, 64, false);
    var seen = {};
    function note(name, down) { if (down && !seen[name]) { seen[name] = true; print(name + "\\n"); } }
    print("ready\\n");
    while (!escDown()) {
      flip();
      note("left", leftDown()); note("right", rightDown()); note("up", upDown());
      note("down", downDown()); note("space", spaceDown()); note("enter", enterDown());
    }
    print("escape\\n");`;

  test('every queried key reaches the loop, and Escape ends it', async () => {
    const page = await play(support.makeGame({ 'main.js': keysScript }));
    await support.waitForOutput(page, 'ready');
    const keys = [
      ['ArrowLeft', 'left'],
      ['ArrowRight', 'right'],
      ['ArrowUp', 'up'],
      ['ArrowDown', 'down'],
      ['Space', 'space'],
      ['Enter', 'enter'],
    ];
    for (const [key, name] of keys) {
      await page.keyboard.down(key);
      await support.waitForOutput(page, name + '\n');
      await page.keyboard.up(key);
    }
    // A tap, down and up again before the next flip, is seen all the same.
    await page.keyboard.press('Escape');
    assert.strictEqual(await support.waitForExit(page), 0);
    assert.ok((await page.evaluate(() => window.oruPlayer.output)).endsWith('escape\n'));
    await page.close();
  });

  test('a key held when initORU runs reads as not pressed until its next key-down', async () => {
    const game = support.makeGame({
      'main.js': `initORU(64, 64, false); print("first\\n");
        while (!spaceDown()) flip();
        print("held\\n");
        initORU(64, 64, false); flip(); flip();
        print(spaceDown() ? "still down\\n" : "reset\\n");
        while (!spaceDown()) flip();
        print("pressed again\\n");`,
    });
    const page = await play(game);
    await support.waitForOutput(page, 'first');
    await page.keyboard.down('Space');
    await support.waitForOutput(page, 'reset');
    await page.keyboard.up('Space');
    await page.keyboard.down('Space');
    await support.waitForOutput(page, 'pressed again');
    assert.strictEqual(await support.waitForExit(page), 0);
    await page.close();
  });
});

// Runs each script natively and in the player; the lines the program writes
// itself (error report first lines, failure messages) and the exit status
// must be the same.
describe('error reports and script loading', () => {
  const ownLines = (text) =>
    text.split('\n').filter((line) => line.startsWith('Error on line') || line.startsWith('Failed to run'));

  async function compareWithNative(files) {
    const game = support.makeGame(files);
    const native = await support.runOru(['main.js'], { cwd: game });
    const page = await play(game);
    const status = await support.waitForExit(page);
    const output = await page.evaluate(() => window.oruPlayer.output);
    await page.close();
    assert.ok(ownLines(native.stdout).length > 0 || native.status === 0, native.stdout);
    assert.deepStrictEqual(ownLines(output), ownLines(native.stdout));
    assert.strictEqual(status, native.status);
    return { native: native.stdout, web: output };
  }

  const cases = {
    'a syntax error in the startup script': { 'main.js': 'var a = 1;\n\nvar = 3;\n' },
    'a runtime error in the startup script': { 'main.js': 'var o = null;\nprint("x");\no.field = 2;\n' },
    'a syntax error in a nested script, two levels down': {
      'main.js': 'print(runScript("a.js"));\n',
      'a.js': '// a\nrunScript("lib/b.js");\nprint("after b\\n");\n',
      'lib/b.js': 'var x = 1;\nvar y = 2;\nfunction (\n',
    },
    'a runtime error in a nested script': {
      'main.js': 'var ok = runScript("lib/c.js");\nif (ok) print("wrong");\n',
      'lib/c.js': '\n\nundefinedFunction();\n',
    },
    'an error thrown in a nested script after it loaded, from the startup script': {
      'main.js': 'runScript("lib/d.js");\n\nfail();\n',
      'lib/d.js': 'function fail() {\n  throw new Error("boom");\n}\n',
    },
    'a missing script and a missing startup file': {
      'main.js': 'if (!runScript("nothing.js")) runScript("lib");\nrunScript("../outside.js");\n',
      'lib/e.js': '',
    },
    'a script that ends well': { 'main.js': 'print(1 + 1);\n' },
  };
  for (const [name, files] of Object.entries(cases)) {
    test(name, async () => {
      await compareWithNative(files);
    });
  }

  test('scripts are read as bytes, one character per byte, in one global scope', async () => {
    const { native, web } = await compareWithNative({
      'main.js': Buffer.concat([
        Buffer.from('runScript("lib.js");\nvar latin = "'),
        Buffer.from([0xe9]),
        Buffer.from('";\nprint("\u00e9".length + " " + latin.charCodeAt(0) + " " + shared + " ");\n'),
        Buffer.from('print(String.fromCharCode(0x263a, 0x41, 0, 0x42) + "\\n");\n'),
      ]),
      'lib.js': 'let shared = 5;\n',
    });
    assert.ok(native.length > 0);
    assert.strictEqual(web, native);
  });
});

describe('ending', () => {
  test('a script that stops calling flip shows the hint, and Stop ends it', async () => {
    const page = await play(support.makeGame({ 'main.js': 'initORU(64, 64, false); flip(); for (;;) {}' }));
    await page.waitForFunction(() => window.oruPlayer.hintShown, support.waitLong);
    const hint = await page.$eval('#hint', (element) => element.textContent);
    assert.match(hint, /has not called flip\(\) for over a second/);
    await page.click('#stop');
    await page.waitForFunction(() => window.oruPlayer.stopped, support.waitLong);
    assert.match(await page.$eval('#status', (element) => element.textContent), /Stopped/);
    await page.close();
  });

  test('a failed startup script draws its error over the canvas', async () => {
    const page = await play(support.makeGame({ 'main.js': 'initORU(320, 240, false);\nnull.x;\n' }));
    assert.strictEqual(await support.waitForExit(page), 1);
    const frame = await support.readFrame(page);
    assert.ok(support.brightness(frame) > 100000, 'the error is drawn');
    assert.match(await page.$eval('#status', (element) => element.textContent), /exit status 1/);
    await page.close();
  });
});

describe('examples', () => {
  // The default demo as installed: beside the examples' lib/.
  function demoGame() {
    const demo = fs
      .readFileSync(path.join(support.sourceDir, 'main.js'), 'latin1')
      .replaceAll('examples/lib/', 'lib/');
    const files = { 'main.js': Buffer.from(demo, 'latin1') };
    for (const name of fs.readdirSync(path.join(support.sourceDir, 'examples/lib'))) {
      files['lib/' + name] = fs.readFileSync(path.join(support.sourceDir, 'examples/lib', name));
    }
    return support.makeGame(files);
  }

  const examples = fs
    .readdirSync(path.join(support.sourceDir, 'examples'))
    .filter((name) => name.endsWith('.js'))
    .map((name) => [name, path.join(support.sourceDir, 'examples', name)]);
  examples.push(['the default demo', null]);

  for (const [name, script] of examples) {
    test(`${name} starts and draws`, async () => {
      const page = await play(script || demoGame());
      await page.waitForFunction(
        () => window.oruPlayer.frames >= 10 || window.oruPlayer.status !== null,
        support.waitLong
      );
      const state = await page.evaluate(() => window.oruPlayer);
      assert.strictEqual(state.status, null, state.output);
      assert.doesNotMatch(state.output, /Error on line|Failed to run/);
      assert.ok(support.brightness(await support.readFrame(page)) > 10000, 'it draws');
      await page.close();
    });
  }
});
