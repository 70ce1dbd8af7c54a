// The game's worker: gives its global object the 21 functions of oru's script
// interface and runs the startup script, whose blocking game loop runs here
// unchanged. Frames are drawn with WebGL on an OffscreenCanvas and handed to
// the page at each flip as an ImageBitmap; keys come from the page through a
// SharedArrayBuffer (or, where the page cannot be isolated, through the
// service worker, which answers a synchronous request at each flip).
'use strict';

(function () {
  // The player keeps its own references to everything it uses: a game sees
  // the worker's globals too, and may overwrite them.
  const scope = self;
  const post = scope.postMessage.bind(scope);
  const loadScript = scope.importScripts.bind(scope);
  const HttpRequest = scope.XMLHttpRequest;
  const ScriptBlob = scope.Blob;
  const makeObjectUrl = URL.createObjectURL;
  const ObjectUrls = URL;
  const Canvas = scope.OffscreenCanvas;
  const define = Object.defineProperty;
  const fround = Math.fround;
  const floor = Math.floor;
  const sqrt = Math.sqrt;
  const atan = Math.atan;
  const cos = Math.cos;
  const sin = Math.sin;
  const min = Math.min;
  const max = Math.max;
  const fromCharCode = String.fromCharCode;
  const clock = scope.performance;
  const now = clock.now.bind(clock);
  const atomicsWait = Atomics.wait;
  const atomicsLoad = Atomics.load;
  const parseJson = JSON.parse;
  const ErrorType = Error;
  const SyntaxErrorType = SyntaxError;
  const setTimer = scope.setTimeout.bind(scope);

  // ---------------------------------------------------------------- console

  // Printed bytes wait here (one character per byte) and go to the page at
  // each flip, at each report and when the script ends.
  let printed = '';

  function flushPrinted() {
    if (printed.length === 0) return;
    post({ t: 'out', text: printed });
    printed = '';
  }

  function write(text) {
    printed += text;
    if (printed.length > 65536) flushPrinted();
  }

  // A line of the program's own, written and sent at once, as an ended and
  // flushed line is natively.
  function writeLine(text) {
    write(text + '\n');
    flushPrinted();
  }

  // ------------------------------------------------------------ conversions

  // The value as a byte string: the script language's string conversion,
  // each character's low 8 bits, cut at the first zero; '' when it fails.
  function toByteString(value) {
    let text;
    try {
      text = '' + value;
    } catch (e) {
      return '';
    }
    let bytes = '';
    let start = 0;
    for (let i = 0; i < text.length; ++i) {
      const code = text.charCodeAt(i);
      if (code === 0) return bytes + text.slice(start, i);
      if (code > 255) {
        bytes += text.slice(start, i) + fromCharCode(code & 255);
        start = i + 1;
      }
    }
    return start === 0 ? text : bytes + text.slice(start);
  }

  // The value as a number narrowed to single precision; 0 when it fails.
  function toFloat(value) {
    if (typeof value === 'number') return fround(value);
    try {
      return fround(+value);
    } catch (e) {
      return 0;
    }
  }

  // The value rounded to the nearest integer, halves upward; 0 when it is
  // not a number or lies outside the signed 32-bit range.
  function toInt32(value) {
    let number;
    try {
      number = +value;
    } catch (e) {
      return 0;
    }
    if (number !== number) return 0;
    let rounded = floor(number);
    if (number - rounded >= 0.5) rounded += 1;
    if (rounded < -2147483648 || rounded > 2147483647) return 0;
    return rounded;
  }

  // ------------------------------------------------------------------- keys

  // One flag for each SDL key symbol, as the native program keeps them.
  const keySymbolCount = 323;
  const keyHeld = new Uint8Array(keySymbolCount);
  const keyWentDown = new Uint8Array(keySymbolCount);
  const keyShown = new Uint8Array(keySymbolCount);
  const queriedKeys = [276, 275, 273, 274, 32, 27, 13];

  // How keys arrive: 'shared' (a ring in a SharedArrayBuffer), 'relay' (the
  // service worker answers a request at each flip, after 5 ms) or 'none'.
  let keyMode = 'none';
  let ring = null;
  let ringRead = 0;
  let relayUrl = '';
  const ringStart = 2;
  const ringSize = 256;

  function takeKeyEvent(code) {
    const symbol = code & 0xffff;
    if (symbol >= keySymbolCount) return;
    if (code & 0x10000) {
      keyHeld[symbol] = 1;
      keyWentDown[symbol] = 1;
    } else {
      keyHeld[symbol] = 0;
    }
  }

  // Takes the key events that came since the last flip, in order. A key that
  // went down since then reads as held until the next flip, even if it has
  // already come up: a tap between two flips is never lost.
  function takeKeyEvents(events) {
    if (ring) {
      const written = atomicsLoad(ring, 0);
      if (written - ringRead > ringSize) ringRead = written - ringSize;
      for (; ringRead < written; ++ringRead) takeKeyEvent(ring[ringStart + (ringRead % ringSize)]);
    }
    if (events) for (let i = 0; i < events.length; ++i) takeKeyEvent(events[i]);
    for (let i = 0; i < queriedKeys.length; ++i) {
      const symbol = queriedKeys[i];
      keyShown[symbol] = keyHeld[symbol] | keyWentDown[symbol];
    }
    keyWentDown.fill(0);
  }

  // What initORU does to the keys: every one reads as not pressed until its
  // next key-down, also one held now.
  function resetKeys() {
    if (ring) ringRead = atomicsLoad(ring, 0);
    keyHeld.fill(0);
    keyWentDown.fill(0);
    keyShown.fill(0);
  }

  // How long flip sleeps: 5 ms, as natively (the benchmark sets 0).
  let frameDelayMs = 5;

  // The 5 ms sleep of flip, with the key events that came meanwhile.
  function sleepAndTakeKeys() {
    if (keyMode === 'relay') {
      let events = null;
      try {
        const request = new HttpRequest();
        request.open('GET', relayUrl, false);
        request.send();
        if (request.status === 200) events = parseJson(request.responseText);
      } catch (e) {
        events = null;
      }
      takeKeyEvents(events);
      return;
    }
    takeKeyEvents(null);
    if (frameDelayMs <= 0) return;
    if (ring) {
      atomicsWait(ring, 1, 0, frameDelayMs);
    } else {
      const end = now() + frameDelayMs;
      while (now() < end) {
        // Without shared memory nor the service worker there is no way to
        // sleep inside a task; the worker waits by looking at the clock.
      }
    }
  }

  // ---------------------------------------------------------------- drawing

  // The glow strokes are quads of the glow texture, queued with their corners
  // placed and coloured, and drawn in batches as the native program does.
  const batchQuads = 8192;
  const floatsPerCorner = 7;
  const corners = new Float32Array(batchQuads * 4 * floatsPerCorner);
  let queuedQuads = 0;

  let gl = null;
  let canvas = null;
  let width = 0;
  let height = 0;
  let strokeProgram = null;
  let copyProgram = null;
  let projectionLocation = null;
  let glowTexture = null;
  // A texture of the frame's own (a framebuffer object) for games that do
  // not begin their frames with clear; see "keeping the last frame".
  let frameTexture = null;
  let frameBuffer = null;
  let cornerBuffer = null;
  let copyBuffer = null;
  let glowTexels = null;

  let halfLineWidth = 4;
  let colorRed = 1;
  let colorGreen = 1;
  let colorBlue = 1;
  const projection = new Float32Array(16);

  // Whether this frame has been drawn into or cleared since the last flip.
  let frameTouched = false;

  // ------------------------------------------------ keeping the last frame
  //
  // Natively a frame that does not begin with clear carries on from the last
  // one shown; here the canvas starts black after each hand-over. A game
  // that does not clear draws into its frame texture, which keeps what it
  // holds and is copied to the canvas at each flip (about 5 ms a frame in a
  // software renderer). A game that begins its frames with clear (most do)
  // draws straight on the canvas, and the strokes drawn since the frame's
  // last clear are logged (their corners and projections), so that a frame
  // that does not begin with clear first draws the last frame again into the
  // frame texture and carries on from there.
  const logLimitFloats = 8 << 20;
  let intoTexture = true;
  // Frames in a row that began with clear.
  let clearedStarts = 0;
  // The batches drawn since the last clear of this frame and of the last
  // frame shown: each the float range of its corners in the log and its projection.
  let logFloats = new Float32Array(1 << 16);
  let logUsed = 0;
  let frameLog = [];
  let shownLog = [];
  let shownLogFloats = new Float32Array(0);

  const strokeVertexShader =
    'attribute vec2 position; attribute vec2 texel; attribute vec3 color;\n' +
    'uniform mat4 projection; varying vec2 v_texel; varying vec3 v_color;\n' +
    'void main() {\n' +
    '  gl_Position = projection * vec4(position, 0.0, 1.0);\n' +
    '  v_texel = texel;\n' +
    '  v_color = clamp(color, 0.0, 1.0);\n' +
    '}\n';
  const strokeFragmentShader =
    'precision highp float; uniform sampler2D glow; varying vec2 v_texel; varying vec3 v_color;\n' +
    'void main() { gl_FragColor = vec4(texture2D(glow, v_texel).rgb * v_color, 1.0); }\n';
  const copyVertexShader =
    'attribute vec2 position; varying vec2 v_texel;\n' +
    'void main() { gl_Position = vec4(position, 0.0, 1.0); v_texel = position * 0.5 + 0.5; }\n';
  const copyFragmentShader =
    'precision highp float; uniform sampler2D kept; varying vec2 v_texel;\n' +
    'void main() { gl_FragColor = texture2D(kept, v_texel); }\n';

  function compile(vertexSource, fragmentSource, attributes) {
    const program = gl.createProgram();
    for (const [type, source] of [
      [gl.VERTEX_SHADER, vertexSource],
      [gl.FRAGMENT_SHADER, fragmentSource],
    ]) {
      const shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      gl.attachShader(program, shader);
    }
    attributes.forEach((name, index) => gl.bindAttribLocation(program, index, name));
    gl.linkProgram(program);
    return program;
  }

  // The glow texture as the native program hands it over: four bytes a
  // texel, the level in red, green and blue, alpha opaque.
  function glowRgba() {
    const rgba = new Uint8Array(glowTexels.length * 4);
    for (let i = 0; i < glowTexels.length; ++i) {
      rgba[4 * i] = rgba[4 * i + 1] = rgba[4 * i + 2] = glowTexels[i];
      rgba[4 * i + 3] = 255;
    }
    return rgba;
  }

  // Makes the drawing context for a width by height frame; false when the
  // browser gives none.
  function openContext(w, h) {
    if (!Canvas) return false;
    if (!canvas) {
      canvas = new Canvas(w, h);
      const options = {
        alpha: false,
        antialias: false,
        depth: false,
        stencil: false,
        premultipliedAlpha: false,
        preserveDrawingBuffer: false,
      };
      gl = canvas.getContext('webgl2', options) || canvas.getContext('webgl', options);
      if (!gl) {
        canvas = null;
        return false;
      }
      strokeProgram = compile(strokeVertexShader, strokeFragmentShader, [
        'position',
        'texel',
        'color',
      ]);
      copyProgram = compile(copyVertexShader, copyFragmentShader, ['position']);
      projectionLocation = gl.getUniformLocation(strokeProgram, 'projection');

      glowTexture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, glowTexture);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 128, 128, 0, gl.RGBA, gl.UNSIGNED_BYTE, glowRgba());
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);

      // Each quad as two triangles, (0, 1, 2) and (0, 2, 3).
      const indices = new Uint16Array(batchQuads * 6);
      for (let quad = 0; quad < batchQuads; ++quad) {
        const first = 4 * quad;
        indices.set([first, first + 1, first + 2, first, first + 2, first + 3], 6 * quad);
      }
      gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, gl.createBuffer());
      gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, indices, gl.STATIC_DRAW);
      cornerBuffer = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, cornerBuffer);
      gl.bufferData(gl.ARRAY_BUFFER, corners.byteLength, gl.DYNAMIC_DRAW);
      copyBuffer = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, copyBuffer);
      gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, 1, 1, -1, 1]), gl.STATIC_DRAW);
      frameTexture = gl.createTexture();
      frameBuffer = gl.createFramebuffer();
    }
    canvas.width = w;
    canvas.height = h;
    gl.bindTexture(gl.TEXTURE_2D, frameTexture);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, w, h, 0, gl.RGBA, gl.UNSIGNED_BYTE, null);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
    gl.bindFramebuffer(gl.FRAMEBUFFER, frameBuffer);
    gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, frameTexture, 0);
    intoTexture = true;
    clearedStarts = 0;
    forgetLogs();
    useStrokeState();
    gl.viewport(0, 0, w, h);
    gl.clearColor(0, 0, 0, 0);
    gl.clear(gl.COLOR_BUFFER_BIT);
    width = w;
    height = h;
    frameTouched = true;
    return true;
  }

  // The one state strokes are drawn in: the glow texture, additive blending,
  // the corner array's layout.
  function useStrokeState() {
    gl.useProgram(strokeProgram);
    gl.activeTexture(gl.TEXTURE0);
    gl.bindTexture(gl.TEXTURE_2D, glowTexture);
    gl.enable(gl.BLEND);
    gl.blendFunc(gl.ONE, gl.ONE);
    gl.bindBuffer(gl.ARRAY_BUFFER, cornerBuffer);
    const stride = floatsPerCorner * 4;
    gl.enableVertexAttribArray(0);
    gl.enableVertexAttribArray(1);
    gl.enableVertexAttribArray(2);
    gl.vertexAttribPointer(0, 2, gl.FLOAT, false, stride, 0);
    gl.vertexAttribPointer(1, 2, gl.FLOAT, false, stride, 8);
    gl.vertexAttribPointer(2, 3, gl.FLOAT, false, stride, 16);
    gl.uniformMatrix4fv(projectionLocation, false, projection);
  }

  // Draws the queued quads into the frame and empties the queue.
  function drawQueued() {
    if (queuedQuads === 0) return;
    const floats = queuedQuads * 4 * floatsPerCorner;
    // A frame too large to log moves into the frame texture before it goes on.
    if (!intoTexture && logUsed + floats > logLimitFloats) drawIntoTexture(frameLog, logFloats);
    gl.bufferSubData(gl.ARRAY_BUFFER, 0, corners.subarray(0, floats));
    gl.drawElements(gl.TRIANGLES, queuedQuads * 6, gl.UNSIGNED_SHORT, 0);
    queuedQuads = 0;
    if (!intoTexture) logBatch(floats);
  }

  // Keeps the batch just drawn on the canvas in the frame's log.
  function logBatch(floats) {
    if (logUsed + floats > logFloats.length) {
      const grown = new Float32Array(min(logLimitFloats, max(2 * logFloats.length, logUsed + floats)));
      grown.set(logFloats.subarray(0, logUsed));
      logFloats = grown;
    }
    logFloats.set(corners.subarray(0, floats), logUsed);
    frameLog.push({ first: logUsed, floats: floats, projection: projection.slice() });
    logUsed += floats;
  }

  function forgetLogs() {
    frameLog = [];
    shownLog = [];
    logUsed = 0;
  }

  // Moves drawing into the frame texture, drawing there first the batches of
  // log (after a clear): the frame as it was on the canvas.
  function drawIntoTexture(log, floats) {
    gl.bindFramebuffer(gl.FRAMEBUFFER, frameBuffer);
    gl.clear(gl.COLOR_BUFFER_BIT);
    for (const batch of log) {
      gl.uniformMatrix4fv(projectionLocation, false, batch.projection);
      gl.bufferSubData(gl.ARRAY_BUFFER, 0, floats.subarray(batch.first, batch.first + batch.floats));
      gl.drawElements(gl.TRIANGLES, (batch.floats / 4 / floatsPerCorner) * 6, gl.UNSIGNED_SHORT, 0);
    }
    gl.uniformMatrix4fv(projectionLocation, false, projection);
    intoTexture = true;
    forgetLogs();
  }

  // The first drawing or clear of a frame: a frame that begins with clear
  // needs nothing of the last one, so after two such frames in a row the
  // game draws straight on the canvas; one that does not carries on from
  // the last frame shown.
  function beginFrame(withClear) {
    frameTouched = true;
    if (!withClear) {
      clearedStarts = 0;
      if (!intoTexture) drawIntoTexture(shownLog, shownLogFloats);
      return;
    }
    if (++clearedStarts >= 2 && intoTexture) {
      gl.bindFramebuffer(gl.FRAMEBUFFER, null);
      intoTexture = false;
    }
  }

  // Clears the frame being drawn; what was drawn before is no longer needed.
  function clearFrame() {
    if (!frameTouched) beginFrame(true);
    drawQueued();
    gl.clear(gl.COLOR_BUFFER_BIT);
    if (!intoTexture) {
      frameLog = [];
      logUsed = 0;
    }
  }

  // Copies texture to the whole frame, replacing what it holds.
  function copyOver(texture) {
    gl.useProgram(copyProgram);
    gl.bindTexture(gl.TEXTURE_2D, texture);
    gl.disable(gl.BLEND);
    gl.disableVertexAttribArray(1);
    gl.disableVertexAttribArray(2);
    gl.bindBuffer(gl.ARRAY_BUFFER, copyBuffer);
    gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
    gl.drawArrays(gl.TRIANGLE_FAN, 0, 4);
    useStrokeState();
  }


  // Room for count more quads in the queue, drawing what it holds first when
  // they would not fit; returns the float index of the first free corner.
  function queueQuads(count) {
    if (!frameTouched) beginFrame(false);
    if (queuedQuads + count > batchQuads) drawQueued();
    const at = queuedQuads * 4 * floatsPerCorner;
    queuedQuads += count;
    return at;
  }

  function putCorner(at, x, y, s, t) {
    corners[at] = x;
    corners[at + 1] = y;
    corners[at + 2] = s;
    corners[at + 3] = t;
    corners[at + 4] = colorRed;
    corners[at + 5] = colorGreen;
    corners[at + 6] = colorBlue;
  }

  // A corner (u, v) of a line's own frame, turned by the line's angle
  // (cosine c, sine s) and moved to (x, y).
  function putTurned(at, x, y, c, s, u, v, tu, tv) {
    putCorner(at, x + (c * u - s * v), y + (s * u + c * v), tu, tv);
  }

  // The point quad: the line-width square centred on (x, y), showing the
  // texture's point spot turned a quarter.
  function queuePoint(x, y) {
    const w = halfLineWidth;
    const at = queueQuads(1);
    putCorner(at, x - w, y - w, 0.5, 0.5);
    putCorner(at + 7, x - w, y + w, 1, 0.5);
    putCorner(at + 14, x + w, y + w, 1, 0);
    putCorner(at + 21, x + w, y - w, 0.5, 0);
  }

  // The single-precision pi the native program turns radians into degrees with.
  const singlePi = fround(Math.PI);

  // A line from (x1, y1) to (x2, y2): start cap, body and end cap, placed
  // along the line as the native program places them.
  function queueLine(x1, y1, x2, y2) {
    const w = halfLineWidth;
    const dx = fround(x2 - x1);
    const dy = fround(y2 - y1);
    const length = fround(sqrt(dx * dx + dy * dy));
    if (length !== length || length === Infinity) return;
    if (2 * w > length) {
      queuePoint(x1, y1);
      return;
    }
    let angle = fround((atan(dy / dx) / singlePi) * 180);
    if (dx < 0) angle = fround(angle + 180);
    if (angle !== angle || angle === Infinity || angle === -Infinity) return;
    const radians = (angle * Math.PI) / 180;
    const c = fround(cos(radians));
    const s = fround(sin(radians));
    const l = length;
    const at = queueQuads(3);
    putTurned(at, x1, y1, c, s, -w, -w, 0, 0);
    putTurned(at + 7, x1, y1, c, s, -w, +w, 0.5, 0);
    putTurned(at + 14, x1, y1, c, s, +w, +w, 0.5, 0.5);
    putTurned(at + 21, x1, y1, c, s, +w, -w, 0, 0.5);
    putTurned(at + 28, x1, y1, c, s, +w, -w, 0, 0.75);
    putTurned(at + 35, x1, y1, c, s, +w, +w, 0.5, 0.75);
    putTurned(at + 42, x1, y1, c, s, l - w, +w, 0.5, 0.25);
    putTurned(at + 49, x1, y1, c, s, l - w, -w, 0, 0.25);
    putTurned(at + 56, x1, y1, c, s, l + w, -w, 0, 0);
    putTurned(at + 63, x1, y1, c, s, l + w, +w, 0.5, 0);
    putTurned(at + 70, x1, y1, c, s, l - w, +w, 0.5, 0.5);
    putTurned(at + 77, x1, y1, c, s, l - w, -w, 0, 0.5);
  }

  // The projection of glOrtho(left, right, bottom, top, -1, 1), worked out in
  // single precision; an empty range leaves the identity.
  function setProjection(left, right, top, bottom) {
    projection.fill(0);
    if (left === right || bottom === top) {
      projection[0] = projection[5] = projection[10] = projection[15] = 1;
      return;
    }
    const across = fround(right - left);
    const down = fround(top - bottom);
    projection[0] = fround(2 / across);
    projection[5] = fround(2 / down);
    projection[10] = -1;
    projection[12] = fround(-fround(right + left) / across);
    projection[13] = fround(-fround(top + bottom) / down);
    projection[15] = 1;
  }

  // Shows the frame: the page gets it as an ImageBitmap, and the canvas
  // starts black. Drawn into the frame texture, the frame is copied to the
  // canvas and stays in the texture; drawn on the canvas, its log is kept.
  function showFrame() {
    if (!gl) return;
    // Nothing drawn: the page still shows this very frame (a game that
    // waits, flipping, on its last picture).
    if (!frameTouched) return;
    drawQueued();
    if (intoTexture) {
      gl.bindFramebuffer(gl.FRAMEBUFFER, null);
      copyOver(frameTexture);
    }
    const bitmap = canvas.transferToImageBitmap();
    if (intoTexture) {
      gl.bindFramebuffer(gl.FRAMEBUFFER, frameBuffer);
    } else {
      // The frame's log is the last frame's now; the next frame logs into the other array.
      const spare = shownLogFloats;
      shownLog = frameLog;
      shownLogFloats = logFloats;
      frameLog = [];
      logFloats = spare.length > 0 ? spare : new Float32Array(1 << 16);
      logUsed = 0;
    }
    post({ t: 'frame', bitmap: bitmap, text: printed }, [bitmap]);
    printed = '';
    frameTouched = false;
  }

  // ------------------------------------------------------- the error screen

  // Glyphs of the stroke font, one string per printable character: polylines
  // of two-digit points, separated by spaces.
  let glyphs = [];

  function textSegments(text, left, top, capHeight) {
    const unit = capHeight / 6;
    const advance = capHeight;
    const segments = [];
    for (let i = 0; i < text.length; ++i) {
      const code = text.charCodeAt(i);
      const strokes = glyphs[code >= 32 && code <= 126 ? code - 32 : 63 - 32] || '';
      const x0 = left + i * advance;
      const px = (p) => x0 + (strokes.charCodeAt(p) - 48) * unit;
      const py = (p) => top + (strokes.charCodeAt(p + 1) - 48) * unit;
      for (let p = 0; p < strokes.length; ) {
        if (strokes[p] === ' ') {
          ++p;
          continue;
        }
        const start = p;
        for (p += 2; p < strokes.length && strokes[p] !== ' '; p += 2) {
          segments.push([px(p - 2), py(p - 2), px(p), py(p)]);
        }
        if (p === start + 2) segments.push([px(start), py(start), px(start), py(start)]);
      }
    }
    return segments;
  }

  function wrap(text, columns) {
    const lines = [];
    let start = 0;
    while (text.length - start > columns) {
      let cut = text.lastIndexOf(' ', start + columns);
      if (cut === -1 || cut <= start) cut = start + columns;
      lines.push(text.slice(start, cut));
      start = cut;
      while (start < text.length && text[start] === ' ') ++start;
    }
    lines.push(text.slice(start));
    return lines;
  }

  // Draws lines of text across the whole frame, the first as a heading in
  // warm red and the rest in pale gold, as watch mode shows an error.
  function showMessage(lines) {
    if (!gl && !openContext(640, 480)) return;
    const w = width;
    const h = height;
    const capHeight = max(10, min(w * 0.75, h) / 30);
    const margin = capHeight * 2;
    const columns = max(8, floor((w - 2 * margin) / capHeight));
    setProjection(0, w, 0, h);
    useStrokeState();
    clearFrame();
    halfLineWidth = capHeight / 5 / 2;
    let top = margin;
    lines.forEach((line, index) => {
      if (index === 0) [colorRed, colorGreen, colorBlue] = [1, 0.35, 0.25];
      if (index === 1) [colorRed, colorGreen, colorBlue] = [1, 0.85, 0.6];
      for (const part of wrap(line, columns)) {
        if (top + capHeight > h) break;
        for (const [ax, ay, bx, by] of textSegments(part, margin, top, capHeight)) {
          queueLine(fround(ax), fround(ay), fround(bx), fround(by));
        }
        top += capHeight * 2;
      }
    });
    showFrame();
  }

  // --------------------------------------------------------- error reports

  // The game's files by the blob address each was run from.
  const runFiles = new Map();
  let lastError = null;
  let lastFailure = '';

  function reportError(message, file, line) {
    writeLine('Error on line ' + line + ' of ' + file + ':');
    writeLine('\t' + message);
    lastError = { message: message, file: file, line: line };
  }

  const ownUrl = scope.location.href;

  // The address of the first place on an error's stack.
  function firstStackUrl(stack) {
    if (typeof stack !== 'string') return null;
    const match = /^\s+at (?:.*\()?(.*?):\d+:\d+\)?$/m.exec(stack);
    return match ? match[1] : null;
  }

  // The first place in an error's stack that lies in one of the game's files.
  function stackPlace(stack) {
    if (typeof stack !== 'string') return null;
    const place = /(blob:[^\s()@]*?):(\d+):\d+/g;
    let match;
    while ((match = place.exec(stack)) !== null) {
      const file = runFiles.get(match[1]);
      if (file !== undefined) return { file: file, line: +match[2] };
    }
    return null;
  }

  // The parser, loaded the first time it is needed. It defines a global,
  // which is taken back at once: the game's globals stay its own.
  let loadedParser = null;
  function parser() {
    if (loadedParser) return loadedParser;
    const previous = Object.getOwnPropertyDescriptor(scope, 'acorn');
    loadScript('acorn.js');
    loadedParser = scope.acorn;
    if (previous) define(scope, 'acorn', previous);
    else delete scope.acorn;
    return loadedParser;
  }

  // The line of a syntax error in text, found by parsing it: V8 puts no
  // position on the SyntaxError that importScripts throws.
  function syntaxErrorLine(text) {
    try {
      parser().parse(text, { ecmaVersion: 'latest', sourceType: 'script', locations: true });
    } catch (e) {
      if (e && e.loc) return e.loc.line;
    }
    return 1;
  }

  // The engine's message for what was thrown, as the native report words it.
  function describe(thrown) {
    if (thrown instanceof ErrorType) {
      let message = '';
      try {
        message = '' + thrown.message;
      } catch (e) {
        message = '';
      }
      // Chromium puts the name of the call that failed in front.
      message = message.replace(/^Failed to execute 'importScripts' on 'WorkerGlobalScope': /, '');
      let name = 'Error';
      try {
        name = '' + thrown.name;
      } catch (e) {
        name = 'Error';
      }
      return message ? name + ': ' + message : name;
    }
    try {
      return 'uncaught exception: ' + thrown;
    } catch (e) {
      return 'uncaught exception (it could not be described)';
    }
  }

  // Reports what running fileName (text) threw, at the place it was thrown.
  function reportThrown(thrown, fileName, url, text) {
    let place = null;
    if (thrown !== null && (typeof thrown === 'object' || typeof thrown === 'function')) {
      try {
        const file = runFiles.get(thrown.fileName);
        if (file !== undefined && typeof thrown.lineNumber === 'number') {
          place = { file: file, line: thrown.lineNumber };
        }
        // A syntax error in this file, as Chromium throws it: its stack starts
        // in the player, where the file was loaded.
        if (!place && thrown instanceof SyntaxErrorType && firstStackUrl(thrown.stack) === ownUrl) {
          place = { file: fileName, line: syntaxErrorLine(text) };
        }
        if (!place) place = stackPlace(thrown.stack);
      } catch (e) {
        place = null;
      }
    }
    if (!place) place = { file: fileName, line: 0 };
    reportError(describe(thrown), place.file, place.line);
  }

  // -------------------------------------------------------- script loading

  let gameFiles = new Set();
  let gameBase = '';

  // The game file a script name refers to, relative to the game's folder as
  // the working directory; null when it names none of the game's files.
  function gameFilePath(name) {
    if (name === '' || name[0] === '/') return null;
    const parts = [];
    for (const part of name.split('/')) {
      if (part === '' || part === '.') continue;
      if (part === '..') {
        if (parts.length === 0) return null;
        parts.pop();
      } else {
        parts.push(part);
      }
    }
    const path = parts.join('/');
    return gameFiles.has(path) && !name.endsWith('/') ? path : null;
  }

  // The bytes of a game file as a string of one character per byte, or null.
  function readGameFile(path) {
    try {
      const request = new HttpRequest();
      request.open('GET', gameBase + path.split('/').map(encodeURIComponent).join('/'), false);
      request.responseType = 'arraybuffer';
      request.send();
      if (request.status !== 200 && request.status !== 0) return null;
      const bytes = new Uint8Array(request.response);
      let text = '';
      for (let i = 0; i < bytes.length; i += 8192) {
        text += fromCharCode.apply(null, bytes.subarray(i, i + 8192));
      }
      return text;
    } catch (e) {
      return null;
    }
  }

  function failedToRun(fileName, reason) {
    lastFailure = 'Failed to run ' + fileName + ' (' + reason + ').';
    writeLine(lastFailure);
    return false;
  }

  // Runs a script file of the game in the global scope, as the native
  // runScript does: read as bytes, one character per byte, and run as a
  // classic script, so that its declarations are every script's.
  function runScript(fileName) {
    const path = gameFilePath(fileName);
    const text = path === null ? null : readGameFile(path);
    if (text === null) return failedToRun(fileName, 'File does not exsist');
    // A blob holds the text as UTF-8 and importScripts reads it back as
    // such, so each character comes back as it went in.
    const url = makeObjectUrl.call(ObjectUrls, new ScriptBlob([text], { type: 'text/javascript' }));
    runFiles.set(url, fileName);
    try {
      loadScript(url);
    } catch (thrown) {
      reportThrown(thrown, fileName, url, text);
      failedToRun(fileName, 'JS error');
      return false;
    }
    return true;
  }

  // ------------------------------------------------------- the interface

  let started = 0;
  let lastFlipNote = 0;
  let hasWindow = false;

  // Tells the page that the script reached flip, so that it can tell a
  // script that stopped calling it; at most a few times a second.
  function noteFlip() {
    const t = now();
    if (t - lastFlipNote < 200) return;
    lastFlipNote = t;
    post({ t: 'flip' });
  }

  const scriptInterface = [
    // Script files and console.
    function runScriptFunction(fileName) {
      return runScript(toByteString(fileName));
    },
    function print(text) {
      write(toByteString(text));
      return null;
    },
    // Window and time.
    function initORU(w, h, fullscreen) {
      const across = toInt32(w);
      const down = toInt32(h);
      const full = !!fullscreen;
      if (gl) drawQueued();
      const usable =
        across > 0 && down > 0 && across <= 16384 && down <= 16384 && across * down <= 8192 * 8192;
      if (!usable || !openContext(across, down)) {
        writeLine('Failed to set the video mode.');
        return false;
      }
      hasWindow = true;
      post({ t: 'window', width: across, height: down, fullscreen: full });
      colorRed = colorGreen = colorBlue = 1;
      setProjection(0, fround(across), 0, fround(down));
      gl.uniformMatrix4fv(projectionLocation, false, projection);
      halfLineWidth = 4;
      resetKeys();
      return true;
    },
    function getTime() {
      return fround(floor(now() - started) / 1000);
    },
    function clear() {
      if (!gl) return null;
      clearFrame();
      return null;
    },
    function flip() {
      noteFlip();
      showFrame();
      flushPrinted();
      sleepAndTakeKeys();
      return null;
    },
    // Drawing.
    function drawPoint(x, y) {
      const px = toFloat(x);
      const py = toFloat(y);
      if (gl) queuePoint(px, py);
      return null;
    },
    function setLineWidth(w) {
      halfLineWidth = toFloat(w) / 2;
      return null;
    },
    function setCoordSystem(left, right, top, bottom) {
      const l = toFloat(left);
      const r = toFloat(right);
      const t = toFloat(top);
      const b = toFloat(bottom);
      if (!gl) return null;
      drawQueued();
      setProjection(l, r, t, b);
      gl.uniformMatrix4fv(projectionLocation, false, projection);
      return null;
    },
    function setColor(red, green, blue) {
      colorRed = toFloat(red);
      colorGreen = toFloat(green);
      colorBlue = toFloat(blue);
      return null;
    },
    function drawLine(x1, y1, x2, y2) {
      const ax = toFloat(x1);
      const ay = toFloat(y1);
      const bx = toFloat(x2);
      const by = toFloat(y2);
      if (gl) queueLine(ax, ay, bx, by);
      return null;
    },
    // Keys.
    function leftDown() {
      return keyShown[276] === 1;
    },
    function rightDown() {
      return keyShown[275] === 1;
    },
    function upDown() {
      return keyShown[273] === 1;
    },
    function downDown() {
      return keyShown[274] === 1;
    },
    function spaceDown() {
      return keyShown[32] === 1;
    },
    function escDown() {
      return keyShown[27] === 1;
    },
    function enterDown() {
      return keyShown[13] === 1;
    },
    // Colour.
    function getRed() {
      return colorRed;
    },
    function getGreen() {
      return colorGreen;
    },
    function getBlue() {
      return colorBlue;
    },
  ];

  // Defines the 21 functions on the global object as the native program
  // does: writable, deletable, not enumerated, each with its arity as length.
  function defineInterface() {
    for (const native of scriptInterface) {
      const name = native.name === 'runScriptFunction' ? 'runScript' : native.name;
      define(native, 'name', { value: name });
      define(scope, name, { value: native, writable: true, configurable: true, enumerable: false });
    }
  }

  // The failed run's error as the page draws it.
  function errorLines() {
    if (lastError) {
      return [
        'Error on line ' + lastError.line + ' of ' + lastError.file + ':',
        lastError.message,
      ];
    }
    return [lastFailure];
  }

  function start(settings) {
    started = now();
    gameFiles = new Set(settings.files);
    gameBase = settings.base;
    glowTexels = settings.glow;
    glyphs = settings.font;
    keyMode = settings.keyMode;
    relayUrl = settings.relayUrl;
    if (typeof settings.frameDelayMs === 'number') frameDelayMs = settings.frameDelayMs;
    if (settings.keys) {
      ring = new Int32Array(settings.keys);
      ringRead = atomicsLoad(ring, 0);
    }
    defineInterface();
    const ok = runScript(settings.start);
    if (!ok) showMessage(errorLines());
    flushPrinted();
    // Promise jobs the script left run before the page hears of the end.
    setTimer(() => {
      flushPrinted();
      post({ t: 'exit', status: ok ? 0 : 1, window: hasWindow });
    }, 0);
  }

  scope.onmessage = (event) => {
    const message = event.data;
    if (message && message.t === 'start') {
      scope.onmessage = null;
      start(message);
    }
  };
})();
