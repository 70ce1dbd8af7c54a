#include "call_sequence.h"

#include <cstdio>
#include <string>

#include "app/script_interface.h"

using namespace oru::app;
using oru::script::ScriptFunction;

namespace {

// Arguments no script should be able to break the host with. The fixture
// files are named in their folder, {dir}.
const char* const hostileValues[] = {
    "NaN",
    "Infinity",
    "-Infinity",
    "1e308",
    "-1e308",
    "0",
    "-0",
    "5e-324",
    "2147483648",
    "-2147483649",
    "4294967297",
    "1.5",
    "-1",
    "16385",
    "8193",
    "\"\"",
    "\"x\".repeat(1 << 16)",
    "\"a\\0b\"",
    "\"\\u0100\\uffff\\ud800\"",
    "\"\\xff\\x80\\x7f\"",
    "\"12\"",
    "\" 3.5 \"",
    "({ valueOf() { throw new Error('valueOf'); } })",
    "({ toString() { throw new Error('toString'); } })",
    "({ valueOf() { return NaN; } })",
    "({ [Symbol.toPrimitive]() { throw 1; } })",
    "({ valueOf() { initORU(64, 48, false); return 3; } })",
    "({ valueOf() { flip(); clear(); return 4; } })",
    "({ toString() { return String(runScript('{dir}/self.js')); } })",
    "Symbol('s')",
    "Object.create(null)",
    "function () {}",
    "[]",
    "({})",
    "[1, 2, 3]",
    "null",
    "undefined",
    "true",
    "false",
    "10n",
    "/re/g",
    "new Proxy({}, { get() { throw 2; } })",
    "'{dir}/self.js'",
    "'{dir}/syntax.js'",
    "'{dir}/throws.js'",
    "'{dir}/rejects.js'",
    "'{dir}/draws.js'",
    "'{dir}'",
    "'{dir}/missing.js'",
    "'{dir}/pipe.js'",
    "'/dev/null'",
    "'/dev/zero'",
    "'{dir}/draws.js\\0tail'",
};

// The text with every {dir} replaced by folder.
std::string replaceFolder(std::string text, const std::string& folder) {
  for (size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}", at)) {
    text.replace(at, 5, folder);
  }
  return text;
}

// One argument: a hostile value, a small integer or a number from the input.
std::string argument(FuzzedDataProvider& input, const std::string& folder) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      // Windows up to 512 pixels a side: every clear and flip of a larger one
      // costs milliseconds in the software renderer.
      return std::to_string(input.ConsumeIntegralInRange(-512, 512));
    case 1: {
      double number = input.ConsumeFloatingPoint<double>();
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", number);
      std::string literal = text;
      if (literal == "nan" || literal == "-nan") return "NaN";
      if (literal == "inf") return "Infinity";
      if (literal == "-inf") return "-Infinity";
      return "(" + literal + ")";
    }
    default:
      return replaceFolder(input.PickValueInArray(hostileValues), folder);
  }
}

// One call of an interface function, in one of the ways a script can call it.
std::string call(FuzzedDataProvider& input, const std::string& folder) {
  ScriptFunction function = input.PickValueInArray(scriptInterface);
  // A window takes a millisecond or two to open again, tens of times an
  // ordinary call: initORU is picked a sixteenth as often as the others.
  if (std::string(function.name) == "initORU" && input.ConsumeIntegralInRange(0, 15) != 0) {
    function = input.PickValueInArray(scriptInterface);
  }
  std::string name = function.name;
  std::string arguments;
  int count = input.ConsumeIntegralInRange<int>(0, static_cast<int>(function.arity) + 2);
  for (int i = 0; i < count; ++i) arguments += (i ? ", " : "") + argument(input, folder);
  switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0:
      return name + ".call(" + argument(input, folder) + (count ? ", " : "") + arguments + ")";
    case 1:
      // Many more arguments than any function takes; tens of thousands cost
      // milliseconds to build and test nothing more.
      return name + ".apply(null, new Array(" +
             std::to_string(input.ConsumeIntegralInRange(0, 1024)) + ").fill(" +
             argument(input, folder) + "))";
    case 2:
      return "new " + name + "(" + arguments + ")";
    default:
      return name + "(" + arguments + ")";
  }
}

}  // namespace

std::string callSequence(FuzzedDataProvider& input, const std::string& fixtureFolder) {
  std::string script;
  while (input.remaining_bytes() > 0) {
    script += "try { " + call(input, fixtureFolder) + "; } catch (e) {}\n";
  }
  return script;
}
