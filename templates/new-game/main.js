// main.js - a starter game for oru: catch as many sparks as you can in 30
// seconds. Arrow keys move, space speeds up, Return plays again, Escape quits.
//
// Run `oru --watch` in this folder: each time you save a .js file here the
// game starts again with your change. `oru` alone runs it once.
//
// oru gives every script 21 functions, and each of them is used below.
// oru.d.ts describes them; editors that read jsconfig.json (VS Code and
// others) complete their names and flag a misspelled one or a missing
// argument before the game runs.

const WIDTH = 640, HEIGHT = 480;
const ROUND_SECONDS = 30;
const SPEED = 260;  // pixels a second, twice that while space is held

const ship = { x: WIDTH / 2, y: HEIGHT / 2, turn: 0 };
const spark = { x: 0, y: 0 };
let score = 0, roundStart = 0, shake = 0;

function newSpark() {
  spark.x = 60 + Math.random() * (WIDTH - 120);
  spark.y = 80 + Math.random() * (HEIGHT - 140);
}

function newRound(now) {
  score = 0;
  roundStart = now;
  ship.x = WIDTH / 2;
  ship.y = HEIGHT / 2;
  newSpark();
}

// Moves the ship by the keys held at the last flip, dt seconds' worth.
function move(dt) {
  const step = SPEED * (spaceDown() ? 2 : 1) * dt;
  if (leftDown()) ship.x -= step;
  if (rightDown()) ship.x += step;
  if (upDown()) ship.y -= step;
  if (downDown()) ship.y += step;
  ship.x = Math.min(Math.max(ship.x, 30), WIDTH - 30);
  ship.y = Math.min(Math.max(ship.y, 30), HEIGHT - 30);
  ship.turn += dt * 2;
  if (Math.hypot(ship.x - spark.x, ship.y - spark.y) < 28) {
    score += 1;
    shake = 1;
    newSpark();
  }
}

// A line that glows: a wide, faint stroke for the halo, then a narrow, bright
// one over it. Light adds up, so where strokes meet they shine brighter.
function glowLine(x1, y1, x2, y2, red, green, blue) {
  setLineWidth(24);
  setColor(red * 0.4, green * 0.4, blue * 0.4);
  drawLine(x1, y1, x2, y2);
  setLineWidth(4);
  setColor(red, green, blue);
  drawLine(x1, y1, x2, y2);
}

function draw(now, secondsLeft) {
  clear();
  // After a catch the view shakes and settles: the coordinate system, one
  // unit a pixel with y down as initORU set it, slides a few pixels.
  const dx = 6 * shake * Math.sin(now * 90), dy = 6 * shake * Math.cos(now * 70);
  setCoordSystem(dx, WIDTH + dx, dy, HEIGHT + dy);

  // The field's edge, dim.
  glowLine(10, 10, WIDTH - 10, 10, 0.1, 0.15, 0.35);
  glowLine(WIDTH - 10, 10, WIDTH - 10, HEIGHT - 10, 0.1, 0.15, 0.35);
  glowLine(WIDTH - 10, HEIGHT - 10, 10, HEIGHT - 10, 0.1, 0.15, 0.35);
  glowLine(10, HEIGHT - 10, 10, 10, 0.1, 0.15, 0.35);

  setColor(0.4, 0.7, 1);
  drawText("SCORE " + score, 24, 24, 18);
  const time = "TIME " + Math.ceil(secondsLeft);
  drawText(time, WIDTH - 24 - textWidth(time, 18), 24, 18);
  if (secondsLeft > ROUND_SECONDS - 5) {
    setColor(0.3, 0.45, 0.6);
    drawCentred("CATCH THE SPARKS - ARROWS MOVE - SPACE SPEEDS UP", HEIGHT - 44, 12);
  }

  if (secondsLeft === 0) {
    setColor(1, 0.55, 0.2);
    drawCentred("TIME UP", HEIGHT / 2 - 60, 40);
    drawCentred(score + (score === 1 ? " SPARK" : " SPARKS"), HEIGHT / 2 + 10, 22);
    drawCentred("RETURN PLAYS AGAIN - ESC QUITS", HEIGHT / 2 + 60, 14);
    return;
  }

  // The ship: a square that turns as it goes.
  for (let i = 0; i < 4; i++) {
    const a = ship.turn + i * Math.PI / 2, b = a + Math.PI / 2;
    glowLine(ship.x + 24 * Math.cos(a), ship.y + 24 * Math.sin(a),
             ship.x + 24 * Math.cos(b), ship.y + 24 * Math.sin(b), 0.2, 1, 0.6);
  }

  // The spark: a wide, faint point that pulses, under a small, bright one.
  setLineWidth(56 + 12 * Math.sin(now * 8));
  setColor(0.6, 0.4, 0.1);
  drawPoint(spark.x, spark.y);
  setLineWidth(14);
  setColor(1, 0.9, 0.5);
  drawPoint(spark.x, spark.y);
}

function drawCentred(text, y, size) {
  drawText(text, (WIDTH - textWidth(text, size)) / 2, y, size);
}

function play() {
  let last = getTime();
  newRound(last);
  let over = false;
  while (!escDown()) {
    const now = getTime();
    const dt = Math.min(now - last, 0.05);  // seconds since the last frame
    last = now;
    const secondsLeft = Math.max(0, ROUND_SECONDS - (now - roundStart));
    if (secondsLeft > 0) {
      move(dt);
    } else if (!over) {
      over = true;
      print("Round over: " + score + " sparks\n");
    } else if (enterDown()) {
      over = false;
      newRound(now);
    }
    shake = Math.max(0, shake - dt * 3);
    draw(now, secondsLeft);
    flip();  // shows the frame and takes the keys the next frame reads
  }
}

// text.js draws words and numbers with lines; runScript runs it in this same
// global scope, so its drawText and textWidth are ours from here on.
if (!runScript("text.js")) {
  print("Run the game from its own folder, where text.js is.\n");
} else if (!initORU(WIDTH, HEIGHT, false)) {
  print("No window could be opened.\n");
} else {
  play();
}
