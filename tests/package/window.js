// Opens a window, draws a glowing line and a point, shows the frame, and
// reports what it set; loads the installed stroke font by its full path.
const opened = initORU(320, 240, false);
clear();
setColor(1, 0.5, 0.25);
setLineWidth(12);
drawLine(20, 20, 300, 220);
drawPoint(160, 120);
flip();
print("window " + opened + ", colour " + getRed() + " " + getGreen() + " " + getBlue() + "\n");
print("font " + runScript("/usr/share/oru/examples/lib/font.js") + "\n");
