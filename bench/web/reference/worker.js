// The benchmark's reference: a minimal WebGL program that draws the same
// quads as the player for the same seeded lines (three glow quads each),
// from a worker, with the same hand-over at each frame (transferToImageBitmap
// and a posted ImageBitmap). The quads are placed once; each frame only
// uploads and draws them: what the browser itself allows.
'use strict';

function mulberry32(seed) {
  return function () {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = seed;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// The corners of every line's three quads, as bench/lines.js's lines.
function placeQuads(count) {
  const random = mulberry32(20240607);
  const corners = new Float32Array(count * 12 * 7);
  const w = 4;
  let at = 0;
  for (let i = 0; i < count; ++i) {
    const x = Math.fround(random() * 640);
    const y = Math.fround(random() * 480);
    const angle = random() * 2 * Math.PI;
    const length = 10 + random() * 90;
    const x2 = Math.fround(x + length * Math.cos(angle));
    const y2 = Math.fround(y + length * Math.sin(angle));
    const l = Math.hypot(x2 - x, y2 - y);
    const c = (x2 - x) / l;
    const s = (y2 - y) / l;
    const local = [
      [-w, -w, 0, 0], [-w, w, 0.5, 0], [w, w, 0.5, 0.5], [w, -w, 0, 0.5],
      [w, -w, 0, 0.75], [w, w, 0.5, 0.75], [l - w, w, 0.5, 0.25], [l - w, -w, 0, 0.25],
      [l + w, -w, 0, 0], [l + w, w, 0.5, 0], [l - w, w, 0.5, 0.5], [l - w, -w, 0, 0.5],
    ];
    for (const [u, v, tu, tv] of local) {
      corners.set([x + c * u - s * v, y + s * u + c * v, tu, tv, 0.2, 0.5, 1], at);
      at += 7;
    }
  }
  return corners;
}

onmessage = (event) => {
  const { lines, seconds } = event.data;
  const canvas = new OffscreenCanvas(640, 480);
  const gl = canvas.getContext('webgl2', { alpha: false, antialias: false, depth: false });
  const program = gl.createProgram();
  const sources = [
    [gl.VERTEX_SHADER, 'attribute vec2 p; attribute vec2 t; attribute vec3 c; varying vec2 vt; varying vec3 vc;' +
      'void main() { gl_Position = vec4(p.x / 320.0 - 1.0, 1.0 - p.y / 240.0, 0.0, 1.0); vt = t; vc = c; }'],
    [gl.FRAGMENT_SHADER, 'precision highp float; uniform sampler2D g; varying vec2 vt; varying vec3 vc;' +
      'void main() { gl_FragColor = vec4(texture2D(g, vt).rgb * vc, 1.0); }'],
  ];
  for (const [type, source] of sources) {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  }
  ['p', 't', 'c'].forEach((name, index) => gl.bindAttribLocation(program, index, name));
  gl.linkProgram(program);
  gl.useProgram(program);
  // A soft round glow stands in for the glow texture: the work is the same.
  const texels = new Uint8Array(128 * 128 * 4);
  for (let y = 0; y < 128; ++y) {
    for (let x = 0; x < 128; ++x) {
      const level = Math.max(0, 255 - Math.hypot((x % 64) - 31.5, (y % 64) - 31.5) * 8);
      texels.set([level, level, level, 255], (y * 128 + x) * 4);
    }
  }
  gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 128, 128, 0, gl.RGBA, gl.UNSIGNED_BYTE, texels);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
  gl.enable(gl.BLEND);
  gl.blendFunc(gl.ONE, gl.ONE);
  const batchQuads = 8192;
  const indices = new Uint16Array(batchQuads * 6);
  for (let q = 0; q < batchQuads; ++q) indices.set([4 * q, 4 * q + 1, 4 * q + 2, 4 * q, 4 * q + 2, 4 * q + 3], 6 * q);
  gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, indices, gl.STATIC_DRAW);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, batchQuads * 4 * 28, gl.DYNAMIC_DRAW);
  [2, 2, 3].forEach((size, index) => {
    gl.enableVertexAttribArray(index);
    gl.vertexAttribPointer(index, size, gl.FLOAT, false, 28, [0, 8, 16][index]);
  });
  const corners = placeQuads(lines);
  const quads = lines * 3;

  function frame() {
    gl.clear(gl.COLOR_BUFFER_BIT);
    for (let first = 0; first < quads; first += batchQuads) {
      const count = Math.min(batchQuads, quads - first);
      gl.bufferSubData(gl.ARRAY_BUFFER, 0, corners.subarray(first * 28, (first + count) * 28));
      gl.drawElements(gl.TRIANGLES, count * 6, gl.UNSIGNED_SHORT, 0);
    }
    const bitmap = canvas.transferToImageBitmap();
    postMessage({ bitmap }, [bitmap]);
  }
  // A blocking loop, as a game's: warm up, then count frames.
  for (let i = 0; i < 10; ++i) frame();
  const start = performance.now();
  let frames = 0;
  while (performance.now() - start < seconds * 1000) {
    frame();
    ++frames;
  }
  const elapsed = (performance.now() - start) / 1000;
  postMessage({ result: { fps: frames / elapsed } });
};
