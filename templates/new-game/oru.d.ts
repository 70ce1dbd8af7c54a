// oru.d.ts - the 21 functions oru defines for every script, for editors.
//
// Editors that read jsconfig.json beside it (VS Code and other editors built
// on TypeScript) complete these names, show their parameters and flag a
// misspelled name or a missing argument before the game runs. oru itself
// never reads this file.
//
// Numbers reach oru as single-precision floats (the window size as whole
// pixels). A function without a result returns null.

/** Runs the script file fileName, relative to the working directory, in this same global scope; false, with a message printed, when the file cannot be read or the script fails. */
declare function runScript(fileName: string): boolean;
/** Writes text to standard output as it is, adding no newline; it cannot fail and returns null. */
declare function print(text: string): null;
/** Opens the window titled ORU, width by height pixels or full screen, and resets colour, line width, coordinates and keys; false, with a message printed, when SDL cannot start or the video mode cannot be set. */
declare function initORU(width: number, height: number, fullscreen: boolean): boolean;
/** Seconds since the program started, counted in milliseconds; it cannot fail. */
declare function getTime(): number;
/** Clears the frame to black; it cannot fail and returns null. */
declare function clear(): null;
/** Shows the frame, takes the key and window events and sleeps 5 ms; closing the window ends the program here; returns null. */
declare function flip(): null;
/** Draws a soft round spot centred on (x, y), as wide as the line width; it cannot fail and returns null. */
declare function drawPoint(x: number, y: number): null;
/** Sets the width of lines and points in script units (8 after initORU); it cannot fail and returns null. */
declare function setLineWidth(width: number): null;
/** Maps script coordinates to the window: x from left to right, y from top to bottom (note top before bottom); it cannot fail and returns null. */
declare function setCoordSystem(left: number, right: number, top: number, bottom: number): null;
/** Sets the drawing colour, each channel usually 0 to 1; it cannot fail and returns null. */
declare function setColor(red: number, green: number, blue: number): null;
/** Draws a soft band of light with rounded ends from (x1, y1) to (x2, y2); it cannot fail and returns null. */
declare function drawLine(x1: number, y1: number, x2: number, y2: number): null;
/** Whether cursor left was held at the last flip; false before any window. */
declare function leftDown(): boolean;
/** Whether cursor right was held at the last flip; false before any window. */
declare function rightDown(): boolean;
/** Whether cursor up was held at the last flip; false before any window. */
declare function upDown(): boolean;
/** Whether cursor down was held at the last flip; false before any window. */
declare function downDown(): boolean;
/** Whether the space bar was held at the last flip; false before any window. */
declare function spaceDown(): boolean;
/** Whether Escape was held at the last flip; false before any window. */
declare function escDown(): boolean;
/** Whether Return was held at the last flip; false before any window. */
declare function enterDown(): boolean;
/** The red part of the current colour, as last set (1 after initORU); it cannot fail. */
declare function getRed(): number;
/** The green part of the current colour, as last set (1 after initORU); it cannot fail. */
declare function getGreen(): number;
/** The blue part of the current colour, as last set (1 after initORU); it cannot fail. */
declare function getBlue(): number;
