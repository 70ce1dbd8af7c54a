// The default demo made repeatable for the clip's quality row: Math.random
// seeded, getTime counting 50 frames a second, each frame kept for comparison
// (benchKeepFrame) and shown at least 40 ms after the one before, so that the
// clip takes every one. The program ends after FRAMES frames.
var FRAMES = 150;

Math.random = (function (seed) {
  return function () {
    seed = (seed + 0x6D2B79F5) | 0;
    var t = seed;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
})(20240607);

var frame = 0;
getTime = function () { return frame / 50; };
var showFrame = flip;
flip = function () {
  if (frame < FRAMES) benchKeepFrame();
  var until = benchClock() + 0.04;
  while (benchClock() < until) {}
  showFrame();
  if (++frame === FRAMES) benchEnd();
};
runScript("main.js");
