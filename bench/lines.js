// Draws the benchmark's lines through the script interface and prints the
// elapsed seconds. The same lines as bench/native_lines.cpp.
initORU(640, 480, false);
var frames = 100, perFrame = 2000;
var start = getTime();
for (var f = 0; f < frames; ++f) {
  clear();
  for (var i = 0; i < perFrame; ++i) {
    var a = i * 0.001 + f * 0.01, r = 10 + (i % 91);
    setColor(0.2, 0.5, 1);
    drawLine(320, 240, 320 + r * Math.cos(a), 240 + r * Math.sin(a));
  }
  flip();
}
print((getTime() - start) + '\n');
