// The benchmark's drawing workload: N glow lines per frame for FRAMES frames
// (0: until the window is closed), each frame cleared and flipped; with
// POINTS, a point at each line's end as well; with POINTS_ONLY, those points
// alone; drawn SHRINK times smaller. The runner defines N, FRAMES, POINTS,
// POINTS_ONLY and SHRINK, then runs this
// file. bench/line_table.cpp builds the same lines.

function mulberry32(seed) {
  return function () {
    seed = (seed + 0x6D2B79F5) | 0;
    var t = seed;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// x1, y1, x2, y2 of each line, built before the first frame.
function makeLineTable(count) {
  var random = mulberry32(20240607);
  var table = new Float32Array(count * 4);
  for (var i = 0; i < count; ++i) {
    var x = random() * 640, y = random() * 480;
    var angle = random() * 2 * Math.PI, length = 10 + random() * 90;
    table[4 * i] = x;
    table[4 * i + 1] = y;
    table[4 * i + 2] = x + length * Math.cos(angle);
    table[4 * i + 3] = y + length * Math.sin(angle);
  }
  return table;
}

// FNV-1a over the bits of every value, to show the C++ program built the same table.
function hashLineTable(table) {
  var bits = new Uint32Array(table.buffer);
  var hash = 2166136261 | 0;
  for (var i = 0; i < bits.length; ++i) hash = Math.imul(hash ^ bits[i], 16777619);
  return hash >>> 0;
}

var lines = makeLineTable(N);
print("table " + hashLineTable(lines) + "\n");
initORU(640, 480, false);
setLineWidth(8);
// SHRINK 64: the same lines drawn 64 times smaller, so that handing them over is all the work.
if (SHRINK > 1) setCoordSystem(0, 640 * SHRINK, 0, 480 * SHRINK);
for (var frame = 0; FRAMES === 0 || frame < FRAMES; ++frame) {
  clear();
  setColor(0.2, 0.5, 1);
  var end = 4 * N;
  if (POINTS_ONLY) {
    for (var k = 0; k < end; k += 4) drawPoint(lines[k + 2], lines[k + 3]);
  } else if (POINTS) {
    for (var i = 0; i < end; i += 4) {
      drawLine(lines[i], lines[i + 1], lines[i + 2], lines[i + 3]);
      drawPoint(lines[i + 2], lines[i + 3]);
    }
  } else {
    for (var j = 0; j < end; j += 4) drawLine(lines[j], lines[j + 1], lines[j + 2], lines[j + 3]);
  }
  flip();
}
