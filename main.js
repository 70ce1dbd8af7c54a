// The default script. Prints a short table of glowing colours.
var colours = ['red', 'green', 'blue'];
for (var i = 0; i < colours.length; ++i) print((i + 1) + '. ' + colours[i] + '\n');
