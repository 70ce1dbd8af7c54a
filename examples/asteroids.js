// asteroids.js - a small vector asteroids game for oru.
//
// Run it from its own folder (the helper scripts in lib/ are found relative
// to the working directory):
//
//   cd examples && ../build/oru asteroids.js
//
// Keys: left/right turn, up thrusts, space fires (hold it for auto-fire),
// Return starts a new game after "game over", Escape quits.
//
// Everything lives in fixed pools (rocks, bullets, sparks) that are reused, so
// the frame loop does not churn through objects.

(function () {
  "use strict";

  if (!runScript("lib/font.js") || !runScript("lib/vec.js")) {
    print("asteroids: could not load lib/font.js and lib/vec.js.\n" +
          "Run it from its own folder: cd examples && ../build/oru asteroids.js\n");
    return;
  }

  const W = 800, H = 600;
  const MAX_DT = 0.05;
  const TAU = VMath.TAU;

  // ship
  const SHIP_RADIUS = 11;      // collision radius
  const TURN_SPEED = 4.4;      // rad/s
  const THRUST = 330;          // px/s^2
  const DRAG = 0.45;           // exponential speed loss per second
  const MAX_SPEED = 420;       // px/s
  const SPAWN_SHIELD = 2.5;    // seconds of invulnerability after (re)spawning
  const RESPAWN_DELAY = 1.6;   // seconds between losing a ship and the next one

  // bullets
  const MAX_BULLETS = 8;
  const BULLET_SPEED = 560;
  const BULLET_LIFE = 0.85;
  const FIRE_INTERVAL = 0.17;  // fastest rate of fire, seconds between shots

  // rocks, indexed by size class: 1 small, 2 medium, 3 large
  const ROCK_RADIUS = [0, 13, 25, 44];
  const ROCK_POINTS = [0, 100, 50, 20];
  const ROCK_MIN_SPEED = [0, 70, 45, 25];
  const ROCK_MAX_SPEED = [0, 140, 95, 60];
  const ROCK_SPARKS = [0, 14, 20, 28];
  const MAX_ROCKS = 64;
  const MAX_ROCK_VERTS = 12;

  const MAX_SPARKS = 240;
  const START_LIVES = 3;
  const EXTRA_LIFE_EVERY = 10000;

  if (!initORU(W, H, false)) {
    print("asteroids: could not open the window\n");
    return;
  }
  print("asteroids: left/right turn, up thrusts, space fires, Escape quits\n");

  // ---- pools ----

  const ship = {
    x: W / 2, y: H / 2, vx: 0, vy: 0, angle: -Math.PI / 2,
    alive: false, shield: 0, thrusting: false
  };

  const bullets = [];
  for (let i = 0; i < MAX_BULLETS; i++) bullets.push({ x: 0, y: 0, vx: 0, vy: 0, life: 0 });

  const rocks = [];
  for (let i = 0; i < MAX_ROCKS; i++) {
    rocks.push({
      alive: false, x: 0, y: 0, vx: 0, vy: 0, size: 1, r: 1,
      angle: 0, spin: 0, hue: 0, nv: 0, shape: new Float32Array(MAX_ROCK_VERTS)
    });
  }
  let rockCount = 0;

  const sparks = [];
  for (let i = 0; i < MAX_SPARKS; i++) {
    sparks.push({ x: 0, y: 0, vx: 0, vy: 0, life: 0, maxLife: 1, r: 0, g: 0, b: 0 });
  }
  let nextSpark = 0;

  // the three lines of a wrecked ship, tumbling away
  const shards = [];
  for (let i = 0; i < 3; i++) {
    shards.push({ x: 0, y: 0, vx: 0, vy: 0, angle: 0, spin: 0, len: 0, life: 0 });
  }

  const colour = { r: 0, g: 0, b: 0 }; // scratch for VMath.hsv

  // ---- game state ----

  let mode = "play";          // "play" or "over"
  let score = 0, hiScore = 0, newHiScore = false;
  let lives = START_LIVES, nextExtraLife = EXTRA_LIFE_EVERY;
  let wave = 0;
  let fireCooldown = 0, respawnTimer = 0, waveTimer = 0, bannerTimer = 0, overTimer = 0;
  let exhaustTimer = 0;
  let time = 0;
  let prevEnter = false;

  // ---- spawning ----

  function spawnShip() {
    ship.x = W / 2;
    ship.y = H / 2;
    ship.vx = 0;
    ship.vy = 0;
    ship.angle = -Math.PI / 2;
    ship.alive = true;
    ship.shield = SPAWN_SHIELD;
    ship.thrusting = false;
    fireCooldown = 0.3; // a held space bar does not fire the moment the ship appears
  }

  function spawnRock(size, x, y, hue) {
    let rock = null;
    for (let i = 0; i < MAX_ROCKS; i++) {
      if (!rocks[i].alive) { rock = rocks[i]; break; }
    }
    if (rock === null) return null;

    const speedUp = Math.min(1.6, 1 + 0.06 * (wave - 1));
    const dir = Math.random() * TAU;
    const speed = VMath.random(ROCK_MIN_SPEED[size], ROCK_MAX_SPEED[size]) * speedUp;
    rock.alive = true;
    rock.x = VMath.wrap(x, W);
    rock.y = VMath.wrap(y, H);
    rock.vx = Math.cos(dir) * speed;
    rock.vy = Math.sin(dir) * speed;
    rock.size = size;
    rock.r = ROCK_RADIUS[size];
    rock.angle = Math.random() * TAU;
    rock.spin = VMath.random(0.2, 1.0) * (4 - size) * 0.6 * VMath.randomSign();
    rock.hue = hue;
    rock.nv = VMath.randomInt(9, MAX_ROCK_VERTS + 1);
    for (let i = 0; i < rock.nv; i++) rock.shape[i] = VMath.random(0.72, 1.08);
    rockCount++;
    return rock;
  }

  function nextWave() {
    wave++;
    const count = Math.min(3 + wave, 11);
    for (let i = 0; i < count; i++) {
      // keep the new rocks well away from the ship
      let x = 0, y = 0;
      for (let tries = 0; tries < 20; tries++) {
        x = Math.random() * W;
        y = Math.random() * H;
        if (VMath.torusDistSq(x, y, ship.x, ship.y, W, H) > 220 * 220) break;
      }
      spawnRock(3, x, y, 0.55 + VMath.random(-0.12, 0.2));
    }
    bannerTimer = 2;
  }

  function newGame() {
    for (const rock of rocks) rock.alive = false;
    for (const b of bullets) b.life = 0;
    rockCount = 0;
    score = 0;
    newHiScore = false;
    lives = START_LIVES;
    nextExtraLife = EXTRA_LIFE_EVERY;
    wave = 0;
    waveTimer = 0;
    mode = "play";
    spawnShip();
    nextWave();
  }

  function spawnSpark(x, y, vx, vy, life, r, g, b) {
    const s = sparks[nextSpark];
    nextSpark = (nextSpark + 1) % MAX_SPARKS;
    s.x = x; s.y = y; s.vx = vx; s.vy = vy;
    s.life = life; s.maxLife = life;
    s.r = r; s.g = g; s.b = b;
  }

  function burst(x, y, count, minSpeed, maxSpeed, hue, sat, baseVx, baseVy) {
    for (let i = 0; i < count; i++) {
      const a = Math.random() * TAU;
      const sp = VMath.random(minSpeed, maxSpeed);
      VMath.hsv(hue + VMath.random(-0.06, 0.06), sat, 1, colour);
      spawnSpark(x, y, baseVx + Math.cos(a) * sp, baseVy + Math.sin(a) * sp,
                 VMath.random(0.35, 0.9), colour.r, colour.g, colour.b);
    }
  }

  function addScore(points) {
    score += points;
    while (score >= nextExtraLife) {
      lives++;
      nextExtraLife += EXTRA_LIFE_EVERY;
    }
  }

  function breakRock(rock, hitVx, hitVy) {
    // The freed slot is the first one spawnRock reuses, so the pieces may land
    // in this very object: take what they need from the parent first.
    const size = rock.size, x = rock.x, y = rock.y, vx = rock.vx, vy = rock.vy, hue = rock.hue;
    rock.alive = false;
    rockCount--;
    if (mode === "play") addScore(ROCK_POINTS[size]);
    burst(x, y, ROCK_SPARKS[size], 40, 180 + 30 * size, hue, 0.5, vx * 0.5, vy * 0.5);
    if (size > 1) {
      for (let i = 0; i < 2; i++) {
        const child = spawnRock(size - 1, x + VMath.random(-6, 6), y + VMath.random(-6, 6),
                                hue + VMath.random(-0.05, 0.05));
        if (child) {
          // carry along some of the parent's motion and a nudge from the impact
          child.vx += vx * 0.4 + hitVx * 0.05;
          child.vy += vy * 0.4 + hitVy * 0.05;
        }
      }
    }
  }

  function wreckShip() {
    ship.alive = false;
    ship.thrusting = false;
    burst(ship.x, ship.y, 60, 30, 260, 0.52, 0.35, ship.vx * 0.3, ship.vy * 0.3);
    for (let i = 0; i < shards.length; i++) {
      const s = shards[i];
      const a = Math.random() * TAU;
      s.x = ship.x; s.y = ship.y;
      s.vx = ship.vx * 0.4 + Math.cos(a) * VMath.random(20, 70);
      s.vy = ship.vy * 0.4 + Math.sin(a) * VMath.random(20, 70);
      s.angle = ship.angle + i * 2.1;
      s.spin = VMath.random(-4, 4);
      s.len = i === 2 ? 15 : 25;
      s.life = 1.8;
    }
    lives--;
    if (lives > 0) {
      respawnTimer = RESPAWN_DELAY;
    } else {
      mode = "over";
      overTimer = 0;
      if (score > hiScore) {
        hiScore = score;
        newHiScore = true;
      }
      print("asteroids: game over, score " + score + "\n");
    }
  }

  function fireBullet() {
    for (const b of bullets) {
      if (b.life > 0) continue;
      const c = Math.cos(ship.angle), s = Math.sin(ship.angle);
      b.x = ship.x + c * 16;
      b.y = ship.y + s * 16;
      b.vx = ship.vx + c * BULLET_SPEED;
      b.vy = ship.vy + s * BULLET_SPEED;
      b.life = BULLET_LIFE;
      return true;
    }
    return false;
  }

  // ---- update ----

  function updateShip(dt) {
    if (leftDown()) ship.angle -= TURN_SPEED * dt;
    if (rightDown()) ship.angle += TURN_SPEED * dt;
    ship.angle = VMath.wrapAngle(ship.angle);

    const c = Math.cos(ship.angle), s = Math.sin(ship.angle);
    ship.thrusting = upDown();
    if (ship.thrusting) {
      ship.vx += c * THRUST * dt;
      ship.vy += s * THRUST * dt;
      // exhaust sparks, at a steady rate whatever the frame rate
      exhaustTimer += dt;
      while (exhaustTimer > 0.02) {
        exhaustTimer -= 0.02;
        const spread = VMath.random(-0.35, 0.35);
        const sp = VMath.random(90, 160);
        spawnSpark(ship.x - c * 10, ship.y - s * 10,
                   ship.vx - Math.cos(ship.angle + spread) * sp,
                   ship.vy - Math.sin(ship.angle + spread) * sp,
                   VMath.random(0.15, 0.35), 1, VMath.random(0.35, 0.7), 0.1);
      }
    }
    const damp = Math.exp(-DRAG * dt);
    ship.vx *= damp;
    ship.vy *= damp;
    const speed = Math.sqrt(ship.vx * ship.vx + ship.vy * ship.vy);
    if (speed > MAX_SPEED) {
      ship.vx *= MAX_SPEED / speed;
      ship.vy *= MAX_SPEED / speed;
    }
    ship.x = VMath.wrap(ship.x + ship.vx * dt, W);
    ship.y = VMath.wrap(ship.y + ship.vy * dt, H);
    ship.shield = Math.max(0, ship.shield - dt);

    fireCooldown = Math.max(0, fireCooldown - dt);
    if (spaceDown() && fireCooldown <= 0 && fireBullet()) fireCooldown = FIRE_INTERVAL;
  }

  function updateWorld(dt) {
    for (const rock of rocks) {
      if (!rock.alive) continue;
      rock.x = VMath.wrap(rock.x + rock.vx * dt, W);
      rock.y = VMath.wrap(rock.y + rock.vy * dt, H);
      rock.angle = VMath.wrapAngle(rock.angle + rock.spin * dt);
    }
    for (const b of bullets) {
      if (b.life <= 0) continue;
      b.life -= dt;
      b.x = VMath.wrap(b.x + b.vx * dt, W);
      b.y = VMath.wrap(b.y + b.vy * dt, H);
    }
    const sparkDamp = Math.exp(-1.8 * dt);
    for (const s of sparks) {
      if (s.life <= 0) continue;
      s.life -= dt;
      s.vx *= sparkDamp;
      s.vy *= sparkDamp;
      s.x += s.vx * dt;
      s.y += s.vy * dt;
    }
    for (const s of shards) {
      if (s.life <= 0) continue;
      s.life -= dt;
      s.x += s.vx * dt;
      s.y += s.vy * dt;
      s.angle += s.spin * dt;
    }
  }

  function collide() {
    for (const b of bullets) {
      if (b.life <= 0) continue;
      for (const rock of rocks) {
        if (!rock.alive) continue;
        if (VMath.torusDistSq(b.x, b.y, rock.x, rock.y, W, H) < rock.r * rock.r) {
          b.life = 0;
          breakRock(rock, b.vx, b.vy);
          break;
        }
      }
    }
    if (!ship.alive || ship.shield > 0) return;
    for (const rock of rocks) {
      if (!rock.alive) continue;
      const reach = rock.r * 0.85 + SHIP_RADIUS;
      if (VMath.torusDistSq(ship.x, ship.y, rock.x, rock.y, W, H) < reach * reach) {
        breakRock(rock, ship.vx, ship.vy);
        wreckShip();
        return;
      }
    }
  }

  function update(dt) {
    time += dt;
    bannerTimer = Math.max(0, bannerTimer - dt);
    updateWorld(dt);

    const enter = enterDown();
    if (mode === "play") {
      if (ship.alive) {
        updateShip(dt);
      } else {
        respawnTimer -= dt;
        if (respawnTimer <= 0) spawnShip();
      }
      collide();
      if (rockCount === 0) {
        waveTimer += dt;
        if (waveTimer > 1.2) {
          waveTimer = 0;
          nextWave();
        }
      }
    } else {
      overTimer += dt;
      if (enter && !prevEnter && overTimer > 1) newGame();
    }
    prevEnter = enter;
  }

  // ---- drawing ----

  // Calls draw(obj, dx, dy) once, plus once more for each screen edge the
  // object (of the given radius) pokes over, so things slide across the edges.
  function drawWrapped(draw, obj, x, y, radius) {
    draw(obj, 0, 0);
    const ex = x < radius ? W : (x > W - radius ? -W : 0);
    const ey = y < radius ? H : (y > H - radius ? -H : 0);
    if (ex !== 0) draw(obj, ex, 0);
    if (ey !== 0) draw(obj, 0, ey);
    if (ex !== 0 && ey !== 0) draw(obj, ex, ey);
  }

  function drawRock(rock, dx, dy) {
    const cx = rock.x + dx, cy = rock.y + dy;
    const n = rock.nv;
    for (let pass = 0; pass < 2; pass++) {
      if (pass === 0) {
        setLineWidth(10);
        VMath.hsv(rock.hue, 0.7, 0.28, colour);
      } else {
        setLineWidth(2.5);
        VMath.hsv(rock.hue, 0.4, 0.85, colour);
      }
      setColor(colour.r, colour.g, colour.b);
      let px = 0, py = 0, fx = 0, fy = 0;
      for (let i = 0; i < n; i++) {
        const a = rock.angle + i * TAU / n;
        const rr = rock.r * rock.shape[i];
        const x = cx + Math.cos(a) * rr, y = cy + Math.sin(a) * rr;
        if (i === 0) { fx = x; fy = y; } else drawLine(px, py, x, y);
        px = x;
        py = y;
      }
      drawLine(px, py, fx, fy);
    }
  }

  // Ship-local drawing: (lx, ly) with the nose along +x, turned and placed by
  // the transform set in setShipTransform.
  let tx = 0, ty = 0, tc = 1, ts = 0, tk = 1;

  function setShipTransform(x, y, angle, scale) {
    tx = x; ty = y; tc = Math.cos(angle); ts = Math.sin(angle); tk = scale;
  }

  function shipLine(x1, y1, x2, y2) {
    drawLine(tx + (x1 * tc - y1 * ts) * tk, ty + (x1 * ts + y1 * tc) * tk,
             tx + (x2 * tc - y2 * ts) * tk, ty + (x2 * ts + y2 * tc) * tk);
  }

  function shipHull() {
    shipLine(15, 0, -10, -9);
    shipLine(15, 0, -10, 9);
    shipLine(-6, -7.56, -6, 7.56);
  }

  function drawShipIcon(x, y, angle, scale, bright) {
    setShipTransform(x, y, angle, scale);
    setLineWidth(9 * scale);
    setColor(0.08 * bright, 0.2 * bright, 0.3 * bright);
    shipHull();
    setLineWidth(2.5 * scale);
    setColor(0.55 * bright, 0.95 * bright, 1.0 * bright);
    shipHull();
  }

  function drawShip(obj, dx, dy) {
    // blink while the spawn shield is up
    const blink = obj.shield > 0 && Math.floor(time * 8) % 2 === 0;
    drawShipIcon(obj.x + dx, obj.y + dy, obj.angle, 1, blink ? 0.45 : 1);

    if (obj.thrusting) {
      const len = 9 + Math.random() * 9;
      setShipTransform(obj.x + dx, obj.y + dy, obj.angle, 1);
      setLineWidth(8);
      setColor(0.35, 0.12, 0.0);
      shipLine(-7, -4.5, -7 - len, 0);
      shipLine(-7 - len, 0, -7, 4.5);
      setLineWidth(2.5);
      setColor(1.0, 0.65, 0.2);
      shipLine(-7, -4.5, -7 - len, 0);
      shipLine(-7 - len, 0, -7, 4.5);
    }

    if (obj.shield > 0) {
      const k = Math.min(1, obj.shield);
      const rad = 24 + 2 * Math.sin(time * 9);
      setLineWidth(3);
      setColor(0.1 * k, 0.3 * k, 0.6 * k);
      const cx = obj.x + dx, cy = obj.y + dy;
      const steps = 24;
      for (let i = 0; i < steps; i++) {
        const a0 = i * TAU / steps + time, a1 = (i + 1) * TAU / steps + time;
        drawLine(cx + Math.cos(a0) * rad, cy + Math.sin(a0) * rad,
                 cx + Math.cos(a1) * rad, cy + Math.sin(a1) * rad);
      }
    }
  }

  function drawBullets() {
    for (const b of bullets) {
      if (b.life <= 0) continue;
      setLineWidth(4);
      setColor(0.5, 0.35, 0.1);
      drawLine(b.x, b.y, b.x - b.vx * 0.03, b.y - b.vy * 0.03);
      setLineWidth(9);
      setColor(0.9, 0.7, 0.3);
      drawPoint(b.x, b.y);
      setLineWidth(3.5);
      setColor(1, 1, 0.9);
      drawPoint(b.x, b.y);
    }
  }

  function drawSparks() {
    setLineWidth(3);
    for (const s of sparks) {
      if (s.life <= 0) continue;
      const k = s.life / s.maxLife;
      setColor(s.r * k, s.g * k, s.b * k);
      drawLine(s.x, s.y, s.x - s.vx * 0.04, s.y - s.vy * 0.04);
    }
  }

  function drawShards() {
    for (const s of shards) {
      if (s.life <= 0) continue;
      const k = Math.min(1, s.life);
      const hx = Math.cos(s.angle) * s.len / 2, hy = Math.sin(s.angle) * s.len / 2;
      setLineWidth(8);
      setColor(0.08 * k, 0.2 * k, 0.3 * k);
      drawLine(s.x - hx, s.y - hy, s.x + hx, s.y + hy);
      setLineWidth(2.5);
      setColor(0.55 * k, 0.95 * k, 1.0 * k);
      drawLine(s.x - hx, s.y - hy, s.x + hx, s.y + hy);
    }
  }

  // Text with a soft halo: a wide dim pass under a thin bright one.
  function glowText(str, x, y, size, r, g, b) {
    setLineWidth(Math.max(4, size * 0.42));
    setColor(r * 0.3, g * 0.3, b * 0.3);
    StrokeFont.drawText(str, x, y, size);
    setLineWidth(Math.max(1.5, size * 0.11));
    setColor(r, g, b);
    StrokeFont.drawText(str, x, y, size);
  }

  function glowCentered(str, y, size, r, g, b) {
    glowText(str, (W - StrokeFont.textWidth(str, size)) / 2, y, size, r, g, b);
  }

  function drawHud() {
    glowText(String(score), 20, 16, 24, 0.6, 1, 0.8);
    const waveText = "WAVE " + wave;
    glowText(waveText, W - 20 - StrokeFont.textWidth(waveText, 14), 20, 14, 0.5, 0.6, 0.9);
    if (hiScore > 0) glowCentered("HI " + hiScore, 20, 14, 0.6, 0.5, 0.9);

    // lives: a little ship and the count
    if (lives > 0) {
      drawShipIcon(30, 64, -Math.PI / 2, 0.85, 0.85);
      glowText("X" + lives, 48, 57, 14, 0.55, 0.95, 1);
    }
  }

  function drawOverlay() {
    if (mode === "play" && bannerTimer > 0) {
      const k = Math.min(1, bannerTimer);
      glowCentered("WAVE " + wave, H * 0.32, 36, 0.5 * k, 0.8 * k, 1.0 * k);
    }
    if (mode !== "over") return;

    const k = VMath.smooth((overTimer - 0.5) / 1.0);
    if (k <= 0) return;
    VMath.hsv(time * 0.08, 0.6, 1, colour);
    const pulse = 0.8 + 0.2 * Math.sin(time * 3);
    glowCentered("GAME OVER", H * 0.3, 56, colour.r * k * pulse, colour.g * k * pulse, colour.b * k * pulse);
    glowCentered("SCORE " + score, H * 0.3 + 90, 26, 0.7 * k, 1.0 * k, 0.8 * k);
    if (newHiScore) glowCentered("NEW HIGH SCORE!", H * 0.3 + 135, 16, 1.0 * k, 0.8 * k, 0.3 * k);
    if (overTimer > 1) {
      const blink = 0.55 + 0.45 * Math.sin(time * 4);
      glowCentered("PRESS RETURN TO PLAY AGAIN", H * 0.72, 18, 0.6 * blink, 0.8 * blink, 1.0 * blink);
      glowCentered("ESC QUITS", H * 0.72 + 36, 12, 0.35, 0.4, 0.5);
    }
  }

  function draw() {
    clear();
    drawSparks();
    for (const rock of rocks) {
      if (rock.alive) drawWrapped(drawRock, rock, rock.x, rock.y, rock.r * 1.1);
    }
    drawShards();
    drawBullets();
    if (mode === "play" && ship.alive) drawWrapped(drawShip, ship, ship.x, ship.y, 28);
    drawHud();
    drawOverlay();
  }

  // ---- main loop ----

  newGame();
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
