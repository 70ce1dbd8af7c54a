// Prints the seconds per native call from a script loop, against the same loop
// calling a plain script function: what crossing into the engine costs.
var n = 2000000, sum = 0;
function local() { return 1; }
var t0 = Date.now();
for (var i = 0; i < n; ++i) sum += local();
var t1 = Date.now();
for (var j = 0; j < n; ++j) sum += getRed();
var t2 = Date.now();
print(((t1 - t0) / 1000) + ' ' + ((t2 - t1) / 1000) + '\n');
