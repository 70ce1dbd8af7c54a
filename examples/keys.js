// keys.js - a first interactive oru script.
//
// Run it from its own folder, like the other examples:
//
//   cd examples && ../build/oru keys.js
//
// The arrow keys move a glowing ball around, space changes its colour,
// Escape quits.

const WIDTH = 640, HEIGHT = 480;
const SPEED = 220;              // pixels per second

// a few colours to cycle through with the space bar (red, green, blue 0..1)
const COLOURS = [
  [0.2, 1.0, 0.6],
  [1.0, 0.5, 0.1],
  [0.3, 0.5, 1.0],
  [1.0, 0.2, 0.7],
  [1.0, 1.0, 0.3]
];

let x = WIDTH / 2, y = HEIGHT / 2;
let colour = 0;
let spaceWasDown = false;

const ok = initORU(WIDTH, HEIGHT, false);
if (!ok) print("keys: could not open the window\n");
let lastTime = getTime();

while (ok && !escDown()) {
  // seconds since the last frame, so the speed does not depend on the frame rate
  const now = getTime();
  const dt = Math.min(Math.max(now - lastTime, 0), 0.05);
  lastTime = now;

  // move, staying inside the window
  if (leftDown()) x -= SPEED * dt;
  if (rightDown()) x += SPEED * dt;
  if (upDown()) y -= SPEED * dt;
  if (downDown()) y += SPEED * dt;
  x = Math.min(Math.max(x, 20), WIDTH - 20);
  y = Math.min(Math.max(y, 20), HEIGHT - 20);

  // change colour once per press, not on every frame the key is held
  if (spaceDown() && !spaceWasDown) colour = (colour + 1) % COLOURS.length;
  spaceWasDown = spaceDown();

  const c = COLOURS[colour];
  clear();

  // a dim frame around the window
  setLineWidth(4);
  setColor(c[0] * 0.15, c[1] * 0.15, c[2] * 0.15);
  drawLine(10, 10, WIDTH - 10, 10);
  drawLine(WIDTH - 10, 10, WIDTH - 10, HEIGHT - 10);
  drawLine(WIDTH - 10, HEIGHT - 10, 10, HEIGHT - 10);
  drawLine(10, HEIGHT - 10, 10, 10);

  // the ball: a wide faint glow, the coloured ball, and a hot white centre;
  // the light of the three adds up
  setLineWidth(60);
  setColor(c[0] * 0.4, c[1] * 0.4, c[2] * 0.4);
  drawPoint(x, y);
  setLineWidth(20);
  setColor(c[0], c[1], c[2]);
  drawPoint(x, y);
  setLineWidth(6);
  setColor(1, 1, 1);
  drawPoint(x, y);

  flip();
}
