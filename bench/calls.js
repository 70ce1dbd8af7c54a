// The cost of one call from a script into a native: CALLS calls of setColor
// against the same loop calling an empty script function and an empty loop,
// each timed ROUNDS times with benchClock() (oru_bench's monotonic clock).
// Prints the median nanoseconds per iteration of each. No window is open, so
// setColor only converts its arguments and stores the colour.

var CALLS = 1000000, ROUNDS = 9;

function nothing(red, green, blue) {}

function emptyLoop() {
  var start = benchClock();
  for (var i = 0; i < CALLS; ++i) {}
  return benchClock() - start;
}

function scriptCalls() {
  var start = benchClock();
  for (var i = 0; i < CALLS; ++i) nothing(0.2, 0.5, 1);
  return benchClock() - start;
}

function nativeCalls() {
  var start = benchClock();
  for (var i = 0; i < CALLS; ++i) setColor(0.2, 0.5, 1);
  return benchClock() - start;
}

function medianNanoseconds(times) {
  times.sort(function (a, b) { return a - b; });
  return times[(times.length - 1) / 2] / CALLS * 1e9;
}

// The rounds interleave, so that a disturbance from elsewhere hits all three alike.
var loop = [], script = [], native = [];
for (var r = 0; r < ROUNDS; ++r) {
  loop.push(emptyLoop());
  script.push(scriptCalls());
  native.push(nativeCalls());
}
print("calls " + medianNanoseconds(loop) + " " + medianNanoseconds(script) + " " +
      medianNanoseconds(native) + "\n");
