// font.js - a small vector stroke font for oru scripts.
//
// Load it with runScript("lib/font.js") from the examples folder (the path is
// relative to the working directory). It defines one global, StrokeFont:
//
//   StrokeFont.textWidth(str, size)        width in pixels of str at cap height size
//   StrokeFont.drawText(str, x, y, size)   draws str with its top-left corner at (x, y)
//   StrokeFont.drawCentered(str, cx, y, size)  same, horizontally centred on cx
//   StrokeFont.hasGlyph(ch)                whether ch has a glyph of its own
//
// The text is drawn with drawLine/drawPoint in the current colour and line width,
// so the caller sets those first; a width of about size / 8 reads well. It assumes
// the default pixel coordinate system (y grows downwards).
//
// Lower case letters are drawn as upper case, and characters without a glyph
// take the room of a space. There is no line breaking.
//
// The font can be loaded more than once (it is plain `var`), so scripts that
// load each other do not need to coordinate.

var StrokeFont = (function () {
  "use strict";

  // Glyphs live on a grid 4 units wide and 6 units tall (y down, 6 = baseline;
  // a comma dips to 7). Each glyph is written as strokes separated by "|"; a
  // stroke is a run of digit pairs "xy" joined by straight lines, and a stroke
  // with a single pair is a dot.
  const GLYPH_W = 4;
  const GLYPH_H = 6;
  const ADVANCE = 6;

  const SOURCE = {
    "A": "0602204246|0444",
    "B": "06003041423303|3344453606",
    "C": "4130100105163645",
    "D": "06003041453606",
    "E": "40000646|0333",
    "F": "400006|0333",
    "G": "41301001051636454323",
    "H": "0006|4046|0343",
    "I": "1030|2026|1636",
    "J": "404536160504",
    "K": "0006|400346",
    "L": "000646",
    "M": "0600234046",
    "N": "06004640",
    "O": "103041453616050110",
    "P": "06003041423303",
    "Q": "103041453616050110|2446",
    "R": "06003041423303|2346",
    "S": "413010010213334445361605",
    "T": "0040|2026",
    "U": "000516364540",
    "V": "002640",
    "W": "0016233640",
    "X": "0046|4006",
    "Y": "002340|2326",
    "Z": "00400646",
    "0": "103041453616050110|4105",
    "1": "112026|1636",
    "2": "01103041420646",
    "3": "011030414233|13334445361605",
    "4": "36300444",
    "5": "400002324345361605",
    "6": "4130100105163645443303",
    "7": "00404116",
    "8": "13020110304142331304051636454433",
    "9": "0516364541301001021343",
    " ": "",
    ".": "26",
    ",": "2517",
    ":": "22|25",
    "!": "2024|26",
    "?": "01103041422324|26",
    "-": "1333",
    "+": "0343|2125",
    "/": "4006",
    "'": "2022",
    "(": "30121436",
    ")": "10323416",
    "=": "0242|0444",
    "<": "410345",
    ">": "014305"
  };

  // Parsed glyphs by character code: flat arrays x1, y1, x2, y2, ... in grid
  // units. A segment whose ends coincide is drawn as a point.
  const glyphs = [];
  for (let i = 0; i < 128; i++) glyphs.push(null);

  for (const ch in SOURCE) {
    const segs = [];
    const strokes = SOURCE[ch].length ? SOURCE[ch].split("|") : [];
    for (const stroke of strokes) {
      const n = stroke.length >> 1;
      if (n === 1) {
        const x = +stroke[0], y = +stroke[1];
        segs.push(x, y, x, y);
      }
      for (let i = 0; i + 1 < n; i++) {
        segs.push(+stroke[2 * i], +stroke[2 * i + 1], +stroke[2 * i + 2], +stroke[2 * i + 3]);
      }
    }
    glyphs[ch.charCodeAt(0)] = segs;
  }

  function glyphForCode(code) {
    if (code >= 97 && code <= 122) code -= 32; // a-z -> A-Z
    return code < 128 ? glyphs[code] : null;
  }

  function toText(str) {
    return typeof str === "string" ? str : String(str);
  }

  function textWidth(str, size) {
    const text = toText(str);
    if (text.length === 0 || !(size > 0)) return 0;
    return ((text.length - 1) * ADVANCE + GLYPH_W) * (size / GLYPH_H);
  }

  function drawText(str, x, y, size) {
    const text = toText(str);
    if (!(size > 0) || !isFinite(x) || !isFinite(y)) return;
    const s = size / GLYPH_H;
    let penX = x;
    for (let i = 0; i < text.length; i++) {
      const segs = glyphForCode(text.charCodeAt(i));
      if (segs) {
        for (let k = 0; k < segs.length; k += 4) {
          const x1 = penX + segs[k] * s, y1 = y + segs[k + 1] * s;
          const x2 = penX + segs[k + 2] * s, y2 = y + segs[k + 3] * s;
          if (x1 === x2 && y1 === y2) drawPoint(x1, y1);
          else drawLine(x1, y1, x2, y2);
        }
      }
      penX += ADVANCE * s;
    }
  }

  function drawCentered(str, cx, y, size) {
    const text = toText(str);
    drawText(text, cx - textWidth(text, size) / 2, y, size);
  }

  function hasGlyph(ch) {
    const text = toText(ch);
    return text.length > 0 && glyphForCode(text.charCodeAt(0)) !== null;
  }

  return {
    textWidth: textWidth,
    drawText: drawText,
    drawCentered: drawCentered,
    hasGlyph: hasGlyph
  };
})();
