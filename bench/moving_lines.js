// The clip rows' drawing workload: N glow lines a frame, as bench/lines.js
// draws them, moved half a pixel to the right each frame (and back every 100
// frames), so that every frame differs from the one before and a clip has to
// encode it. The runner defines N and FRAMES (0: until the window is closed).

function mulberry32(seed) {
  return function () {
    seed = (seed + 0x6D2B79F5) | 0;
    var t = seed;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

var random = mulberry32(20240607);
var lines = new Float32Array(N * 4);
for (var i = 0; i < N; ++i) {
  var x = random() * 640, y = random() * 480;
  var angle = random() * 2 * Math.PI, length = 10 + random() * 90;
  lines[4 * i] = x;
  lines[4 * i + 1] = y;
  lines[4 * i + 2] = x + length * Math.cos(angle);
  lines[4 * i + 3] = y + length * Math.sin(angle);
}
initORU(640, 480, false);
setLineWidth(8);
for (var frame = 0; FRAMES === 0 || frame < FRAMES; ++frame) {
  clear();
  setColor(0.2, 0.5, 1);
  var shift = (frame % 100) * 0.5;
  for (var j = 0; j < 4 * N; j += 4)
    drawLine(lines[j] + shift, lines[j + 1], lines[j + 2] + shift, lines[j + 3]);
  flip();
}
