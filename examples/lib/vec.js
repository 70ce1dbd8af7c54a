// vec.js - small 2D vector and maths helpers for oru scripts.
//
// Load it with runScript("lib/vec.js") from the examples folder (relative to
// the working directory). It defines one global, VMath.
//
// Vectors are plain {x, y} objects. Every function that produces a vector
// takes an optional `out` object to write into, so a game loop can keep its
// vectors around instead of allocating new ones each frame:
//
//   const v = VMath.vec(0, 0);
//   VMath.fromAngle(ship.angle, 300, v);   // v = 300 px/s along the heading
//
// Like font.js it uses a plain `var`, so loading it twice is harmless.

var VMath = (function () {
  "use strict";

  const TAU = Math.PI * 2;

  function vec(x, y) {
    return { x: x || 0, y: y || 0 };
  }

  function target(out) {
    return out || { x: 0, y: 0 };
  }

  function set(out, x, y) {
    out.x = x;
    out.y = y;
    return out;
  }

  function copy(a, out) {
    return set(target(out), a.x, a.y);
  }

  function add(a, b, out) {
    return set(target(out), a.x + b.x, a.y + b.y);
  }

  function sub(a, b, out) {
    return set(target(out), a.x - b.x, a.y - b.y);
  }

  function scale(a, s, out) {
    return set(target(out), a.x * s, a.y * s);
  }

  function dot(a, b) {
    return a.x * b.x + a.y * b.y;
  }

  // z component of the 3D cross product: > 0 when b is clockwise of a on screen
  function cross(a, b) {
    return a.x * b.y - a.y * b.x;
  }

  function lengthSq(a) {
    return a.x * a.x + a.y * a.y;
  }

  function length(a) {
    return Math.sqrt(a.x * a.x + a.y * a.y);
  }

  function distSq(a, b) {
    const dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
  }

  function dist(a, b) {
    return Math.sqrt(distSq(a, b));
  }

  // Unit vector in the direction of a; the zero vector stays zero.
  function normalize(a, out) {
    const len = Math.sqrt(a.x * a.x + a.y * a.y);
    if (len > 1e-9) return set(target(out), a.x / len, a.y / len);
    return set(target(out), 0, 0);
  }

  // Shortens a to at most maxLen, keeping its direction.
  function clampLength(a, maxLen, out) {
    const len = Math.sqrt(a.x * a.x + a.y * a.y);
    if (len > maxLen && len > 1e-9) {
      const k = maxLen / len;
      return set(target(out), a.x * k, a.y * k);
    }
    return set(target(out), a.x, a.y);
  }

  // Angles are in radians; with y pointing down, positive angles turn clockwise.
  function fromAngle(angle, len, out) {
    const l = len === undefined ? 1 : len;
    return set(target(out), Math.cos(angle) * l, Math.sin(angle) * l);
  }

  function angleOf(a) {
    return Math.atan2(a.y, a.x);
  }

  function rotate(a, angle, out) {
    const c = Math.cos(angle), s = Math.sin(angle);
    return set(target(out), a.x * c - a.y * s, a.x * s + a.y * c);
  }

  // ---- scalar helpers ----

  function clamp(v, lo, hi) {
    return v < lo ? lo : (v > hi ? hi : v);
  }

  function lerp(a, b, t) {
    return a + (b - a) * t;
  }

  // Smooth 0..1 ease (smoothstep), t is clamped first.
  function smooth(t) {
    const c = clamp(t, 0, 1);
    return c * c * (3 - 2 * c);
  }

  // Wraps v into [0, size), for screen wrap-around.
  function wrap(v, size) {
    if (!(size > 0)) return v;
    let r = v % size;
    if (r < 0) r += size;
    return r < size ? r : 0; // r + size can round up to size for tiny negative v
  }

  // Shortest signed difference d on a ring of the given size (|result| <= size / 2).
  function wrapDelta(d, size) {
    if (!(size > 0)) return d;
    const half = size / 2;
    let r = (d + half) % size;
    if (r < 0) r += size;
    return r - half;
  }

  // Squared distance between two points on a torus of w x h (screen wrap-around).
  function torusDistSq(ax, ay, bx, by, w, h) {
    const dx = wrapDelta(bx - ax, w), dy = wrapDelta(by - ay, h);
    return dx * dx + dy * dy;
  }

  // Wraps an angle into (-PI, PI].
  function wrapAngle(a) {
    let r = a % TAU;
    if (r <= -Math.PI) r += TAU;
    else if (r > Math.PI) r -= TAU;
    return r;
  }

  function random(lo, hi) {
    return lo + Math.random() * (hi - lo);
  }

  // Integer in [lo, hi), hi excluded.
  function randomInt(lo, hi) {
    return Math.floor(lo + Math.random() * (hi - lo));
  }

  function randomSign() {
    return Math.random() < 0.5 ? -1 : 1;
  }

  // Hue/saturation/value (all 0..1, hue wraps) to an {r, g, b} colour, each 0..1.
  function hsv(h, s, v, out) {
    const o = out || { r: 0, g: 0, b: 0 };
    const hh = wrap(h, 1) * 6;
    const i = Math.floor(hh);
    const f = hh - i;
    const p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i % 6) {
      case 0: o.r = v; o.g = t; o.b = p; break;
      case 1: o.r = q; o.g = v; o.b = p; break;
      case 2: o.r = p; o.g = v; o.b = t; break;
      case 3: o.r = p; o.g = q; o.b = v; break;
      case 4: o.r = t; o.g = p; o.b = v; break;
      default: o.r = v; o.g = p; o.b = q; break;
    }
    return o;
  }

  return {
    TAU: TAU,
    vec: vec,
    set: set,
    copy: copy,
    add: add,
    sub: sub,
    scale: scale,
    dot: dot,
    cross: cross,
    length: length,
    lengthSq: lengthSq,
    dist: dist,
    distSq: distSq,
    normalize: normalize,
    clampLength: clampLength,
    fromAngle: fromAngle,
    angleOf: angleOf,
    rotate: rotate,
    clamp: clamp,
    lerp: lerp,
    smooth: smooth,
    wrap: wrap,
    wrapDelta: wrapDelta,
    torusDistSq: torusDistSq,
    wrapAngle: wrapAngle,
    random: random,
    randomInt: randomInt,
    randomSign: randomSign,
    hsv: hsv
  };
})();
