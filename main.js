// main.js - the oru demo, run when oru is started without a script name in
// the folder that holds it: `build/oru` from the repository root, or `oru` in
// the installed examples folder, where it is installed with the other examples.
//
// A spirograph flower drawn three times, in colours a third of the colour
// wheel apart: where the copies overlap the light adds up towards white, where
// they drift apart it splits into colours. A comet leaves a rainbow trail
// across it.
//
//   left/right  steer the comet
//   up/down     speed it up / slow it down
//   space       a burst of sparks, and the flower changes shape
//   Escape      quits

(function () {
  "use strict";

  const W = 640, H = 480;
  const TAU = Math.PI * 2;
  const MAX_DT = 0.05;

  // The hint text needs the stroke font; without it the demo runs silently.
  const haveFont = runScript("examples/lib/font.js") && typeof StrokeFont === "object";
  if (!haveFont) print("main.js: examples/lib/font.js not loaded, running without text\n");

  if (!initORU(W, H, false)) {
    print("main.js: could not open the window\n");
    return;
  }

  // ---- flower ----
  // z(t) = A e^(it) + B e^(i(1-k)t) traces a k-fold star; as B grows past
  // A / (k - 1) its points turn into loops.
  const SYMMETRY = [5, 7, 3, 6, 4, 9];
  const FLOWER_SEGMENTS = 180;
  const FADE_TIME = 1.2;

  // ---- comet ----
  const TURN_SPEED = 3.2;       // rad/s
  const CRUISE_SPEED = 150;     // px/s
  const MIN_SPEED = 40, MAX_SPEED = 460;
  const ACCEL = 320;            // px/s^2
  const TRAIL = 48;
  const TRAIL_STEP = 1 / 60;    // seconds between trail samples

  const MAX_SPARKS = 220;
  const MAX_RINGS = 4;

  // current colour scratch, written by hsv()
  let cr = 0, cg = 0, cb = 0;
  function hsv(h, s, v) {
    const hh = (h - Math.floor(h)) * 6;
    const i = Math.floor(hh) % 6;
    const f = hh - Math.floor(hh);
    const p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    if (i === 0) { cr = v; cg = t; cb = p; }
    else if (i === 1) { cr = q; cg = v; cb = p; }
    else if (i === 2) { cr = p; cg = v; cb = t; }
    else if (i === 3) { cr = p; cg = q; cb = v; }
    else if (i === 4) { cr = t; cg = p; cb = v; }
    else { cr = v; cg = p; cb = q; }
  }

  // ---- state ----

  let time = 0;
  let shape = 0, oldShape = 0, fade = 1;

  const comet = { x: W * 0.25, y: H * 0.7, angle: -0.6, speed: CRUISE_SPEED };
  const trailX = new Float32Array(TRAIL), trailY = new Float32Array(TRAIL);
  let trailHead = 0, trailTimer = 0;
  for (let i = 0; i < TRAIL; i++) { trailX[i] = comet.x; trailY[i] = comet.y; }

  const sparks = [];
  for (let i = 0; i < MAX_SPARKS; i++) sparks.push({ x: 0, y: 0, vx: 0, vy: 0, life: 0, hue: 0 });
  let nextSpark = 0;

  const rings = [];
  for (let i = 0; i < MAX_RINGS; i++) rings.push({ x: 0, y: 0, r: 0, life: 0, hue: 0 });
  let nextRing = 0;

  let spaceWasDown = false;
  let idle = 0;               // seconds without steering; the comet wanders by itself

  function burst(x, y, hue) {
    for (let i = 0; i < 70; i++) {
      const s = sparks[nextSpark];
      nextSpark = (nextSpark + 1) % MAX_SPARKS;
      const a = Math.random() * TAU;
      const v = 40 + Math.random() * 220;
      s.x = x; s.y = y;
      s.vx = Math.cos(a) * v; s.vy = Math.sin(a) * v - 40;
      s.life = 0.6 + Math.random() * 0.9;
      s.hue = hue + (Math.random() - 0.5) * 0.25;
    }
    const ring = rings[nextRing];
    nextRing = (nextRing + 1) % MAX_RINGS;
    ring.x = x; ring.y = y; ring.r = 8; ring.life = 1; ring.hue = hue;
  }

  // ---- update ----

  function update(dt) {
    time += dt;

    const left = leftDown(), right = rightDown(), up = upDown(), down = downDown();
    if (left) comet.angle -= TURN_SPEED * dt;
    if (right) comet.angle += TURN_SPEED * dt;
    if (up) comet.speed = Math.min(MAX_SPEED, comet.speed + ACCEL * dt);
    else if (down) comet.speed = Math.max(MIN_SPEED, comet.speed - ACCEL * dt);
    else comet.speed += (CRUISE_SPEED - comet.speed) * Math.min(1, dt * 0.8);

    idle = (left || right || up || down) ? 0 : idle + dt;
    if (idle > 3) comet.angle += Math.sin(time * 0.6) * 1.1 * dt;   // lazy wandering
    comet.angle %= TAU;

    comet.x += Math.cos(comet.angle) * comet.speed * dt;
    comet.y += Math.sin(comet.angle) * comet.speed * dt;
    // wrap around the edges, with a little margin so the head leaves the screen first
    if (comet.x < -20) comet.x += W + 40; else if (comet.x > W + 20) comet.x -= W + 40;
    if (comet.y < -20) comet.y += H + 40; else if (comet.y > H + 20) comet.y -= H + 40;

    trailTimer += dt;
    while (trailTimer >= TRAIL_STEP) {
      trailTimer -= TRAIL_STEP;
      trailHead = (trailHead + 1) % TRAIL;
      trailX[trailHead] = comet.x;
      trailY[trailHead] = comet.y;
    }

    const space = spaceDown();
    if (space && !spaceWasDown) {
      burst(comet.x, comet.y, time * 0.05 + 0.5);
      oldShape = shape;
      shape = (shape + 1) % SYMMETRY.length;
      fade = 0;
    }
    spaceWasDown = space;
    fade = Math.min(1, fade + dt / FADE_TIME);

    const damp = Math.exp(-1.2 * dt);
    for (const s of sparks) {
      if (s.life <= 0) continue;
      s.life -= dt;
      s.vx *= damp;
      s.vy = s.vy * damp + 90 * dt;   // a little gravity
      s.x += s.vx * dt;
      s.y += s.vy * dt;
    }
    for (const ring of rings) {
      if (ring.life <= 0) continue;
      ring.life -= dt * 0.9;
      ring.r += (60 + 260 * ring.life) * dt;
    }
  }

  // ---- drawing ----

  function drawFlower(k, bright) {
    if (bright <= 0.01) return;
    // the flower leans a little towards the comet
    const cx = W / 2 + (comet.x - W / 2) * 0.06;
    const cy = H / 2 + 10 + (comet.y - H / 2) * 0.06;
    const a = 120 + 12 * Math.sin(time * 0.7);
    const b = a * (0.18 + 0.22 * (0.5 + 0.5 * Math.sin(time * 0.31))) * 5 / k;
    const m = 1 - k;

    for (let layer = 0; layer < 3; layer++) {
      // each layer turns at its own pace, so the colours meet and part again
      const rot = time * (0.13 + 0.055 * layer) + layer * 0.02;
      hsv(layer / 3 + 0.04 * Math.sin(time * 0.2), 0.9, 0.75 * bright);
      setColor(cr, cg, cb);
      let px = 0, py = 0;
      for (let i = 0; i <= FLOWER_SEGMENTS; i++) {
        const t = i * TAU / FLOWER_SEGMENTS;
        const x = cx + a * Math.cos(t + rot) + b * Math.cos(m * t + rot);
        const y = cy + a * Math.sin(t + rot) + b * Math.sin(m * t + rot);
        if (i > 0) {
          setLineWidth(1.5 + 4 * (0.5 + 0.5 * Math.sin(t * k + time * 2 + layer * 2.1)));
          drawLine(px, py, x, y);
        }
        px = x;
        py = y;
      }
    }

    // a soft core
    setLineWidth(70 + 10 * Math.sin(time * 1.7));
    hsv(time * 0.05, 0.5, 0.12 * bright);
    setColor(cr, cg, cb);
    drawPoint(cx, cy);
  }

  function drawTrail() {
    for (let j = TRAIL - 2; j >= 0; j--) {
      const i0 = (trailHead - j + TRAIL) % TRAIL;
      const i1 = (i0 - 1 + TRAIL) % TRAIL;
      const x0 = trailX[i0], y0 = trailY[i0], x1 = trailX[i1], y1 = trailY[i1];
      // skip the jump where the comet wrapped around an edge
      if (Math.abs(x1 - x0) > 100 || Math.abs(y1 - y0) > 100) continue;
      const k = 1 - j / TRAIL;
      hsv(time * 0.2 + j * 0.022, 0.85, 0.9 * k);
      setColor(cr, cg, cb);
      setLineWidth(2 + 12 * k * k);
      drawLine(x0, y0, x1, y1);
    }
    const pulse = 0.85 + 0.15 * Math.sin(time * 11);
    hsv(time * 0.2, 0.6, 0.35 * pulse);
    setColor(cr, cg, cb);
    setLineWidth(36);
    drawPoint(comet.x, comet.y);
    setColor(1, 1, 0.95);
    setLineWidth(9);
    drawPoint(comet.x, comet.y);
  }

  function drawSparks() {
    setLineWidth(4);
    for (const s of sparks) {
      if (s.life <= 0) continue;
      hsv(s.hue, 0.55, Math.min(1, s.life * 1.6));
      setColor(cr, cg, cb);
      drawLine(s.x, s.y, s.x - s.vx * 0.035, s.y - s.vy * 0.035);
    }
    const steps = 40;
    for (const ring of rings) {
      if (ring.life <= 0) continue;
      hsv(ring.hue, 0.5, 0.8 * ring.life);
      setColor(cr, cg, cb);
      setLineWidth(2 + 8 * ring.life);
      for (let i = 0; i < steps; i++) {
        const a0 = i * TAU / steps, a1 = (i + 1) * TAU / steps;
        drawLine(ring.x + Math.cos(a0) * ring.r, ring.y + Math.sin(a0) * ring.r,
                 ring.x + Math.cos(a1) * ring.r, ring.y + Math.sin(a1) * ring.r);
      }
    }
  }

  // text with a halo: a wide dim pass, then a thin bright one
  function glowText(str, cx, y, size, v) {
    setLineWidth(Math.max(4, size * 0.45));
    setColor(cr * 0.25 * v, cg * 0.25 * v, cb * 0.25 * v);
    StrokeFont.drawCentered(str, cx, y, size);
    setLineWidth(Math.max(1.5, size * 0.11));
    setColor(cr * v, cg * v, cb * v);
    StrokeFont.drawCentered(str, cx, y, size);
  }

  function drawText() {
    if (!haveFont) return;
    // title: each letter in its own drifting colour
    const title = "ORU";
    const size = 30;
    const step = StrokeFont.textWidth("OR", size) - StrokeFont.textWidth("O", size);
    const x0 = W / 2 - step;
    for (let i = 0; i < title.length; i++) {
      hsv(time * 0.07 + i * 0.18, 0.6, 1);
      glowText(title[i], x0 + i * step, 22 + 3 * Math.sin(time * 2 + i), size, 1);
    }
    // the hint is bright for the first seconds, then settles down
    const v = 0.45 + 0.55 * Math.max(0, 1 - time / 8);
    cr = 0.55; cg = 0.7; cb = 1;
    glowText("ARROWS STEER - SPACE BURSTS - ESC QUITS", W / 2, H - 28, 11, v);
  }

  function draw() {
    clear();
    drawFlower(SYMMETRY[shape], fade);
    drawFlower(SYMMETRY[oldShape], 1 - fade);
    drawSparks();
    drawTrail();
    drawText();
  }

  let last = getTime();
  while (!escDown()) {
    const now = getTime();
    let dt = now - last;
    last = now;
    if (!(dt > 0)) dt = 0;
    else if (dt > MAX_DT) dt = MAX_DT;

    update(dt);
    draw();
    flip();
  }
})();
