// A game-like pure-JavaScript workload, with no window and no oru function:
// n-body steps, a particle system, typed-array passes and string building.
// It runs under oru and under Node alike (bench/run.sh --only workload) and
// prints one line: "workload" and the milliseconds of each part and of all,
// then a checksum that must be the same everywhere.

var write = typeof print === "function" ? print : function (text) { process.stdout.write(text); };

// The five planets of the classic n-body benchmark, advanced STEPS times.
function nbody(steps) {
  var PI = Math.PI, SOLAR_MASS = 4 * PI * PI, DAYS = 365.24;
  function body(x, y, z, vx, vy, vz, mass) {
    return {x: x, y: y, z: z, vx: vx * DAYS, vy: vy * DAYS, vz: vz * DAYS, mass: mass * SOLAR_MASS};
  }
  var bodies = [
    body(0, 0, 0, 0, 0, 0, 1),
    body(4.84143144246472090e+00, -1.16032004402742839e+00, -1.03622044471123109e-01,
         1.66007664274403694e-03, 7.69901118419740425e-03, -6.90460016972063023e-05,
         9.54791938424326609e-04),
    body(8.34336671824457987e+00, 4.12479856412430479e+00, -4.03523417114321381e-01,
         -2.76742510726862411e-03, 4.99852801234917238e-03, 2.30417297573763929e-05,
         2.85885980666130812e-04),
    body(1.28943695621391310e+01, -1.51111514016986312e+01, -2.23307578892655734e-01,
         2.96460137564761618e-03, 2.37847173959480950e-03, -2.96589568540237556e-05,
         4.36624404335156298e-05),
    body(1.53796971148509165e+01, -2.59193146099879641e+01, 1.79258772950371181e-01,
         2.68067772490389322e-03, 1.62824170038242295e-03, -9.51592254519715870e-05,
         5.15138902046611451e-05)];
  var px = 0, py = 0, pz = 0;
  for (var i = 0; i < bodies.length; ++i) {
    px += bodies[i].vx * bodies[i].mass; py += bodies[i].vy * bodies[i].mass;
    pz += bodies[i].vz * bodies[i].mass;
  }
  bodies[0].vx = -px / SOLAR_MASS; bodies[0].vy = -py / SOLAR_MASS; bodies[0].vz = -pz / SOLAR_MASS;
  var dt = 0.01;
  for (var s = 0; s < steps; ++s) {
    for (var a = 0; a < bodies.length; ++a) {
      var bi = bodies[a];
      for (var b = a + 1; b < bodies.length; ++b) {
        var bj = bodies[b];
        var dx = bi.x - bj.x, dy = bi.y - bj.y, dz = bi.z - bj.z;
        var d2 = dx * dx + dy * dy + dz * dz;
        var mag = dt / (d2 * Math.sqrt(d2));
        bi.vx -= dx * bj.mass * mag; bi.vy -= dy * bj.mass * mag; bi.vz -= dz * bj.mass * mag;
        bj.vx += dx * bi.mass * mag; bj.vy += dy * bi.mass * mag; bj.vz += dz * bi.mass * mag;
      }
    }
    for (var k = 0; k < bodies.length; ++k) {
      var bk = bodies[k];
      bk.x += dt * bk.vx; bk.y += dt * bk.vy; bk.z += dt * bk.vz;
    }
  }
  var energy = 0;
  for (var m = 0; m < bodies.length; ++m) {
    var p = bodies[m];
    energy += 0.5 * p.mass * (p.vx * p.vx + p.vy * p.vy + p.vz * p.vz);
    for (var n = m + 1; n < bodies.length; ++n) {
      var q = bodies[n];
      var ex = p.x - q.x, ey = p.y - q.y, ez = p.z - q.z;
      energy -= p.mass * q.mass / Math.sqrt(ex * ex + ey * ey + ez * ez);
    }
  }
  return Math.round(energy * 1e9);
}

// A deterministic random source, the same in every engine.
function random(seed) {
  var state = seed >>> 0;
  return function () {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return state / 4294967296;
  };
}

// Particles as objects in an array: born with a speed, pulled by gravity,
// bounced off the floor, dying and replaced; FRAMES frames of COUNT.
function particles(count, frames) {
  var next = random(7), list = [], alive = 0;
  function spawn() {
    return {x: 320, y: 240, vx: next() * 8 - 4, vy: next() * -10, life: 30 + (next() * 90 | 0),
            colour: [next(), next(), next()]};
  }
  for (var i = 0; i < count; ++i) list.push(spawn());
  for (var f = 0; f < frames; ++f) {
    alive = 0;
    for (var j = 0; j < list.length; ++j) {
      var p = list[j];
      p.vy += 0.3; p.x += p.vx; p.y += p.vy;
      if (p.y > 480) { p.y = 480; p.vy *= -0.6; }
      if (--p.life <= 0) list[j] = spawn(); else ++alive;
    }
    list = list.filter(function (p) { return p.x > -50 && p.x < 690; });
    while (list.length < count) list.push(spawn());
  }
  return alive + list.length;
}

// Typed arrays: a 256 by 256 height field blurred and shaded ROUNDS times.
function typedArrays(rounds) {
  var size = 256, next = random(11);
  var field = new Float32Array(size * size), blurred = new Float32Array(size * size);
  var shade = new Uint8Array(size * size * 3);
  for (var i = 0; i < field.length; ++i) field[i] = next();
  var sum = 0;
  for (var r = 0; r < rounds; ++r) {
    for (var y = 1; y < size - 1; ++y) {
      for (var x = 1; x < size - 1; ++x) {
        var c = y * size + x;
        blurred[c] = (field[c] * 4 + field[c - 1] + field[c + 1] + field[c - size] +
                      field[c + size]) / 8;
      }
    }
    var swap = field; field = blurred; blurred = swap;
    for (var k = 0; k < field.length; ++k) {
      var level = field[k] * 255 | 0;
      shade[3 * k] = level; shade[3 * k + 1] = level >> 1; shade[3 * k + 2] = 255 - level;
    }
    sum = (sum + shade[(r * 7919) % shade.length]) | 0;
  }
  return sum;
}

// Strings: a score board built, joined, split, searched and hashed ROUNDS times.
function strings(rounds) {
  var names = ["ada", "grace", "linus", "ken", "dennis", "barbara", "edsger", "donald"];
  var hash = 0;
  for (var r = 0; r < rounds; ++r) {
    var lines = [];
    for (var i = 0; i < 200; ++i) {
      var name = names[(i + r) % names.length];
      lines.push(name.toUpperCase() + " " + ((i * 37 + r) % 1000) + " pts, level " + (i % 12));
    }
    var board = lines.join("\n");
    var parts = board.split("\n");
    for (var j = 0; j < parts.length; ++j) {
      if (parts[j].indexOf("LINUS") === 0) hash = (hash * 31 + parts[j].length) | 0;
    }
    var text = board.replace(/level (\d+)/g, "L$1");
    for (var k = 0; k < text.length; k += 13) hash = (hash * 33 + text.charCodeAt(k)) | 0;
  }
  return hash;
}

var parts = [["nbody", function () { return nbody(300000); }],
             ["particles", function () { return particles(5000, 600); }],
             ["typed", function () { return typedArrays(150); }],
             ["strings", function () { return strings(2000); }]];
var times = [], checksum = [], total = 0;
for (var i = 0; i < parts.length; ++i) {
  var start = Date.now();
  checksum.push(parts[i][1]());
  var took = Date.now() - start;
  total += took;
  times.push(parts[i][0] + " " + took);
}
write("workload " + times.join(" ") + " total " + total + " checksum " + checksum.join(",") + "\n");
