// glow.js - where the glow comes from.
//
// Run it from its own folder:
//
//   cd examples && ../build/oru glow.js
//
// Left: one stroke alone, a plain soft line. Right: the same stroke drawn
// over a wide, faint one of the same hue; the faint one is the halo. Light
// adds up, so the order of the two does not matter. Escape quits.

initORU(640, 240, false);
while (!escDown()) {
  clear();

  setColor(0.2, 1, 0.6);
  setLineWidth(8);
  drawLine(60, 190, 260, 50);

  setColor(0.1, 0.45, 0.25); // wide and faint: the halo
  setLineWidth(64);
  drawLine(380, 190, 580, 50);
  setColor(0.2, 1, 0.6); // narrow and bright: the core
  setLineWidth(8);
  drawLine(380, 190, 580, 50);

  flip();
}
