// text.js - text drawn in lines: a small stroke font for the game's words and
// numbers.
//
// main.js loads it with runScript("text.js"), which runs it in the same global
// scope, so these two functions become the game's own:
//
//   drawText(text, x, y, size)   draws text with its top-left corner at (x, y)
//   textWidth(text, size)        how wide drawText draws it
//
// size is the height of a capital letter, in the units of the coordinate
// system (pixels, y down, unless the game set another). Letters are drawn as
// capitals; a character without a glyph leaves a space.

// Each glyph is a few strokes on a grid 4 wide and 6 tall, y down, separated
// by "|". A stroke is a run of points "xy" joined by lines; one point is a dot.
const GLYPHS = {
  A: "0602204246|0444", B: "06003041423303|3344453606", C: "4130100105163645",
  D: "06003041453606", E: "40000646|0333", F: "400006|0333", G: "41301001051636454323",
  H: "0006|4046|0343", I: "1030|2026|1636", J: "404536160504", K: "0006|400346",
  L: "000646", M: "0600234046", N: "06004640", O: "103041453616050110",
  P: "06003041423303", Q: "103041453616050110|2446", R: "06003041423303|2346",
  S: "413010010213334445361605", T: "0040|2026", U: "000516364540", V: "002640",
  W: "0016233640", X: "0046|4006", Y: "002340|2326", Z: "00400646",
  0: "103041453616050110|4105", 1: "112026|1636", 2: "01103041420646",
  3: "011030414233|13334445361605", 4: "36300444", 5: "400002324345361605",
  6: "4130100105163645443303", 7: "00404116", 8: "13020110304142331304051636454433",
  9: "0516364541301001021343", ".": "26", ",": "2517", ":": "22|25", "!": "2024|26",
  "?": "01103041422324|26", "-": "1333", "+": "0343|2125", "/": "4006", "'": "2022",
};
const GLYPH_ADVANCE = 6;  // grid units from one letter to the next

/**
 * How wide drawText draws text with capitals size units tall.
 * @param {string} text
 * @param {number} size
 */
function textWidth(text, size) {
  return text.length === 0 ? 0 : ((text.length - 1) * GLYPH_ADVANCE + 4) * size / 6;
}

/**
 * Draws text with its top-left corner at (x, y), capitals size units tall, in
 * the current colour: a wide, faint pass for the glow, then the bright lines.
 * @param {string} text
 * @param {number} x
 * @param {number} y
 * @param {number} size
 */
function drawText(text, x, y, size) {
  // The caller's colour; the glow around the letters is 0.4 of it.
  const red = getRed(), green = getGreen(), blue = getBlue();
  const unit = size / 6;
  for (const [width, brightness] of [[size / 2.5, 0.4], [size / 8, 1]]) {
    setLineWidth(width);
    setColor(red * brightness, green * brightness, blue * brightness);
    for (let i = 0; i < text.length; i++) {
      const left = x + i * GLYPH_ADVANCE * unit;
      for (const stroke of (GLYPHS[text[i].toUpperCase()] || "").split("|")) {
        const px = (k) => left + Number(stroke[k]) * unit;
        const py = (k) => y + Number(stroke[k + 1]) * unit;
        if (stroke.length === 2) drawPoint(px(0), py(0));
        for (let k = 0; k + 2 < stroke.length; k += 2) drawLine(px(k), py(k), px(k + 2), py(k + 2));
      }
    }
  }
}
