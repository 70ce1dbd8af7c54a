// lissajous.js - glowing Lissajous figures over a drifting starfield.
//
// Run it from its own folder (lib/vec.js is found relative to the working
// directory):
//
//   cd examples && ../build/oru lissajous.js
//
// Space morphs to the next figure, Escape quits.
//
// The figure is drawn three times, in colours a third of the colour wheel
// apart and with slightly different phases. Where the three copies overlap the
// light adds up to white; where they drift apart the colours separate.

(function () {
  "use strict";

  if (!runScript("lib/vec.js")) {
    print("lissajous: could not load lib/vec.js.\n" +
          "Run it from its own folder: cd examples && ../build/oru lissajous.js\n");
    return;
  }

  const W = 800, H = 600;
  const CX = W / 2, CY = H / 2;
  const TAU = Math.PI * 2;
  const MAX_DT = 0.05;

  // frequency pairs (x, y); each closes after one turn of the parameter
  const FIGURES = [
    [3, 2], [5, 4], [1, 2], [3, 4], [5, 6], [2, 5], [4, 7], [1, 3], [7, 6], [3, 5]
  ];
  const MORPH_TIME = 1.6;        // seconds to blend from one figure to the next
  const SEGMENTS = 240;          // line segments per curve
  const LAYERS = 3;
  const TAIL = 50;               // segments in the comet's tail
  const STARS = 140;

  if (!initORU(W, H, false)) {
    print("lissajous: could not open the window\n");
    return;
  }
  print("lissajous: space changes the figure, Escape quits\n");

  // curve points per layer: x0, y0, x1, y1, ... (SEGMENTS + 1 points)
  const curves = [];
  for (let i = 0; i < LAYERS; i++) curves.push(new Float32Array((SEGMENTS + 1) * 2));

  // stars in a unit cube in front of the viewer; z shrinks as they fly past
  const starX = new Float32Array(STARS);
  const starY = new Float32Array(STARS);
  const starZ = new Float32Array(STARS);
  for (let i = 0; i < STARS; i++) resetStar(i, Math.random());

  function resetStar(i, z) {
    starX[i] = Math.random() * 2 - 1;
    starY[i] = Math.random() * 2 - 1;
    starZ[i] = 0.05 + z * 0.95;
  }

  // Sets the drawing colour from hue, saturation and value (VMath.hsv).
  const colour = { r: 0, g: 0, b: 0 };
  function setHsv(h, s, v) {
    VMath.hsv(h, s, v, colour);
    setColor(colour.r, colour.g, colour.b);
  }

  let figure = 0, previous = 0, morph = 1;
  let time = 0;
  let spaceWasDown = false;

  // Fills buf with the current figure (blended with the previous one while
  // morphing) at phase offset `phase`.
  function buildCurve(buf, phase, ax, ay) {
    const a1 = FIGURES[previous][0], b1 = FIGURES[previous][1];
    const a2 = FIGURES[figure][0], b2 = FIGURES[figure][1];
    const k = morph * morph * (3 - 2 * morph);
    for (let i = 0; i <= SEGMENTS; i++) {
      const s = i * TAU / SEGMENTS;
      const x1 = Math.sin(a1 * s + phase), y1 = Math.sin(b1 * s);
      const x2 = Math.sin(a2 * s + phase), y2 = Math.sin(b2 * s);
      buf[2 * i] = CX + (x1 + (x2 - x1) * k) * ax;
      buf[2 * i + 1] = CY + (y1 + (y2 - y1) * k) * ay;
    }
  }

  function drawStars(dt, hue) {
    const speed = 0.18;
    setLineWidth(2.5);
    for (let i = 0; i < STARS; i++) {
      const z0 = starZ[i];
      const z1 = z0 - speed * dt;
      if (z1 < 0.05) { resetStar(i, 1); continue; }
      starZ[i] = z1;
      const sx = CX + starX[i] / z1 * 320, sy = CY + starY[i] / z1 * 320;
      if (sx < -20 || sx > W + 20 || sy < -20 || sy > H + 20) { resetStar(i, 1); continue; }
      // streak back to where the star was a moment ago, brighter as it nears
      const zb = z1 + 0.012;
      const bx = CX + starX[i] / zb * 320, by = CY + starY[i] / zb * 320;
      const v = (1 - z1) * 0.55;
      setHsv(hue + 0.5 + (i % 5) * 0.04, 0.35, v);
      drawLine(bx, by, sx, sy);
    }
  }

  function drawFigure(hue) {
    const ax = 270 + 20 * Math.sin(time * 0.5);
    const ay = 210 + 15 * Math.sin(time * 0.37);
    const phase = time * 0.35;
    // how far the three colour copies drift apart
    const spread = 0.07 + 0.06 * Math.sin(time * 0.23);
    for (let l = 0; l < LAYERS; l++) buildCurve(curves[l], phase + (l - 1) * spread, ax, ay);

    // wide faint halo under the middle copy
    const mid = curves[1];
    setHsv(hue + 0.1, 0.5, 0.07);
    setLineWidth(18);
    for (let i = 0; i < SEGMENTS; i++) drawLine(mid[2 * i], mid[2 * i + 1], mid[2 * i + 2], mid[2 * i + 3]);

    // the three coloured copies, each getting thicker and thinner along its length
    for (let l = 0; l < LAYERS; l++) {
      const buf = curves[l];
      setHsv(hue + l / LAYERS, 0.85, 0.6);
      for (let i = 0; i < SEGMENTS; i++) {
        const s = i * TAU / SEGMENTS;
        setLineWidth(2 + 2.5 * (0.5 + 0.5 * Math.sin(s * 3 + time * 1.3 + l * 2.1)));
        drawLine(buf[2 * i], buf[2 * i + 1], buf[2 * i + 2], buf[2 * i + 3]);
      }
    }

    // a bright comet running along the middle copy, its tail fading out
    const head = Math.floor((time * 0.12 % 1) * SEGMENTS);
    for (let j = TAIL - 1; j >= 0; j--) {
      const i = (head - j + SEGMENTS) % SEGMENTS;
      const k = 1 - j / TAIL;
      setHsv(hue + 0.15 - 0.3 * (1 - k), 0.3, 0.9 * k * k);
      setLineWidth(2 + 9 * k);
      drawLine(mid[2 * i], mid[2 * i + 1], mid[2 * i + 2], mid[2 * i + 3]);
    }
    const hx = mid[2 * head], hy = mid[2 * head + 1];
    setColor(0.35, 0.3, 0.25);
    setLineWidth(34);
    drawPoint(hx, hy);
    setColor(1, 0.95, 0.85);
    setLineWidth(10);
    drawPoint(hx, hy);
  }

  let last = getTime();
  while (!escDown()) {
    const now = getTime();
    let dt = now - last;
    last = now;
    if (!(dt > 0)) dt = 0;
    else if (dt > MAX_DT) dt = MAX_DT;
    time += dt;

    // space: start morphing to the next figure (once per press)
    const space = spaceDown();
    if (space && !spaceWasDown) {
      previous = morph < 0.5 ? previous : figure;
      figure = (figure + 1) % FIGURES.length;
      morph = 0;
    }
    spaceWasDown = space;
    morph = Math.min(1, morph + dt / MORPH_TIME);

    const hue = time * 0.025;
    clear();
    drawStars(dt, hue);
    drawFigure(hue);
    flip();
  }
})();
