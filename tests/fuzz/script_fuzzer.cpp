// Feeds generated scripts to the script host, as a program runs them: the
// first input byte picks between a sequence of calls of the whole script
// interface with hostile arguments, built from the rest of the input, and
// the rest of the input taken as a script file's bytes.
//
// Scripts share one script context for the fuzzer's lifetime, as they share
// it in a program. Memory is checked for leaks when the fuzzer exits, after
// the host is closed; checks between inputs (-detect_leaks=0 turns them off)
// would count the engine's live garbage-collected heap as lost. A script that runs too long is
// ended through the engine's interrupt callback, so endless loops read as finished inputs, not
// hangs.
#include <SDL.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <jsapi.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/script_host.h"
#include "app/script_interface.h"
#include "app/script_loader.h"
#include "call_sequence.h"
#include "engine/clock.h"
#include "engine/display.h"
#include "engine/frame.h"
#include "engine/frame_delay.h"
#include "program_runner.h"
#include "script/script_context.h"

using namespace oru::app;
using namespace oru::engine;
using namespace oru::script;

namespace {

// Longest a single input's scripts may run before they are ended: an endless
// loop costs this much, so it is kept short.
constexpr auto scriptTimeLimit = std::chrono::milliseconds(100);

// Native stack the engine may use. Far less than a program's: a script that
// runs itself through runScript then fails after a few dozen levels instead
// of more than a thousand. A script with no loop never reaches an interrupt
// check, so the time limit cannot end such a recursion: its depth is its cost.
constexpr size_t nativeStackQuota = 64 * 1024;

// Fixture scripts for runScript, written to a fresh folder at start-up.
const char* const fixtureScripts[][2] = {
    {"self.js", "runScript(new Error().fileName);\n"},
    {"syntax.js", "var = ;\n"},
    {"throws.js", "throw new RangeError('thrown');\n"},
    {"rejects.js", "Promise.reject(new Error('rejected'));\n"},
    {"draws.js", "setColor(0.2, 0.5, 1); drawLine(0, 0, 30, 40); drawPoint(5, 5); flip();\n"},
};

// The fixture scripts and each input's script file, removed at exit.
ScriptDirectory* fixtures = nullptr;
std::string scriptFile;

// Ends scripts that outlive their input's time limit.
class Watchdog {
 public:
  explicit Watchdog(JSContext* context) : context(context), thread([this] { watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    wake.notify_one();
    thread.join();
  }
  // Starts the time limit for one input.
  void arm() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      deadline = std::chrono::steady_clock::now() + scriptTimeLimit;
      armed = true;
      expired = false;
    }
    wake.notify_one();
  }
  // Stops the time limit.
  void disarm() {
    std::lock_guard<std::mutex> lock(mutex);
    armed = false;
  }
  // Whether the running input is over its limit; read by the interrupt callback.
  bool overTime() const { return expired.load(); }

 private:
  void watch() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
      if (!armed) {
        wake.wait(lock);
        continue;
      }
      if (wake.wait_until(lock, deadline) == std::cv_status::timeout && armed) {
        expired = true;
        JS_RequestInterruptCallback(context);
        armed = false;
      }
    }
  }

  JSContext* context;
  std::mutex mutex;
  std::condition_variable wake;
  std::chrono::steady_clock::time_point deadline;
  bool armed = false;
  bool stopping = false;
  std::atomic<bool> expired{false};
  std::thread thread;
};

Watchdog* watchdog = nullptr;
ScriptHost* host = nullptr;

// Returning false ends the running script without an exception. Once over
// time, every script the input still runs is ended too: a script ended deep
// inside runScript returns to callers that would otherwise go on.
bool interruptScript(JSContext* context) {
  if (!watchdog->overTime()) return true;
  JS_RequestInterruptCallback(context);
  return false;
}

// Clears what the last input left on the global object: a global holding the
// heap's whole size would make every later input collect the full heap at
// each allocation. Variables cannot be deleted; they are set to undefined.
void clearScriptGlobals() {
  JSContext* context = scriptContext->engineContext();
  JS::RootedObject global(context, scriptContext->globalObject());
  JSAutoRealm inGlobal(context, global);
  JS::Rooted<JS::IdVector> names(context, JS::IdVector(context));
  if (!global || !JS_Enumerate(context, global, &names)) {
    JS_ClearPendingException(context);
    return;
  }
  for (size_t i = 0; i < names.length(); ++i) {
    JS::ObjectOpResult deleted;
    if (!JS_DeletePropertyById(context, global, names[i], deleted) || !deleted.ok()) {
      JS_ClearPendingException(context);
      if (!JS_SetPropertyById(context, global, names[i], JS::UndefinedHandleValue)) {
        JS_ClearPendingException(context);
      }
    }
  }
}

// Tears everything down at exit, so the leak check at exit sees only what
// was really lost: the engine's own heap is not visible to it while it lives.
void closeFuzzer() {
  delete watchdog;
  watchdog = nullptr;
  delete host;
  host = nullptr;
  delete fixtures;
  fixtures = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fixtures = new ScriptDirectory();
  for (const auto& fixture : fixtureScripts) fixtures->write(fixture[0], fixture[1]);
  // A named pipe with no writer: runScript must refuse it without waiting.
  mkfifo((fixtures->path() + "/pipe.js").c_str(), 0600);
  scriptFile = fixtures->path() + "/input.js";

  // Flip does not sleep: the sleep took a third of the fuzzer's time.
  setFrameDelayMs(0);
  startClock();
  host = new ScriptHost(HostOptions{});
  if (!host->opened()) std::abort();
  JS_SetNativeStackQuota(scriptContext->engineContext(), nativeStackQuota);
  watchdog = new Watchdog(scriptContext->engineContext());
  JS_AddInterruptCallback(scriptContext->engineContext(), interruptScript);
  std::atexit(closeFuzzer);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // Scripts may have replaced interface functions; every input starts with the real ones.
  for (const ScriptFunction& function : scriptInterface) scriptContext->defineFunction(function);

  watchdog->arm();
  if (data[0] & 1) {
    fixtures->write("input.js", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    runScript(scriptFile);
  } else {
    FuzzedDataProvider input(data + 1, size - 1);
    std::string script = callSequence(input, fixtures->path());
    scriptContext->evaluate(script.data(), static_cast<uint32_t>(script.size()), "calls.js", 1);
  }
  clearScriptGlobals();
  // Every later clear and flip would pay for a large window's size.
  const SDL_Surface* window = SDL_GetVideoSurface();
  if (window && window->w * window->h > 320 * 240) initORU(64, 48, false);
  watchdog->disarm();
  return 0;
}
