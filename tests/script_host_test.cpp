// The script host in-process: context life cycle and the runtime's reference count.
#include <gtest/gtest.h>

#include "script/script_context.h"
#include "script/script_runtime.h"
#include "script/self_hosted_cache.h"

using namespace oru::script;

TEST(ScriptHost, OneContextAtATimeSharesTheCountedRuntime) {
  ASSERT_EQ(scriptRuntime.referenceCount(), 0);
  ScriptContext* first = createScriptContext();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(scriptRuntime.referenceCount(), 1);
  EXPECT_TRUE(scriptRuntime.engineStarted());

  // The engine allows one context per thread: a second is refused without touching the engine.
  EXPECT_EQ(createScriptContext(), nullptr);
  EXPECT_EQ(scriptRuntime.referenceCount(), 1);

  // Another holder of the runtime keeps it alive past the context.
  ASSERT_EQ(scriptRuntime.acquireRuntime(), &scriptRuntime);
  EXPECT_EQ(scriptRuntime.referenceCount(), 2);
  destroyScriptContext(first);
  EXPECT_EQ(scriptRuntime.referenceCount(), 1);
  EXPECT_TRUE(scriptRuntime.engineStarted());
  scriptRuntime.releaseRuntime();
  EXPECT_EQ(scriptRuntime.referenceCount(), 0);
  EXPECT_FALSE(scriptRuntime.engineStarted());
  scriptRuntime.releaseRuntime();  // no reference left: nothing happens
  EXPECT_EQ(scriptRuntime.referenceCount(), 0);
  destroyScriptContext(nullptr);
}

TEST(ScriptHost, EvaluationsShareOneGlobalObject) {
  ScriptContext* context = createScriptContext();
  ASSERT_NE(context, nullptr);
  EXPECT_TRUE(context->evaluate("", 0, "empty.js", 1));
  const char define[] = "var counter = 41; function bump() { return ++counter; }";
  EXPECT_TRUE(context->evaluate(define, sizeof define - 1, "define.js", 1));
  const char use[] = "if (bump() !== 42) throw new Error('not shared');";
  EXPECT_TRUE(context->evaluate(use, sizeof use - 1, "use.js", 1));
  // The length counts: bytes past it are not part of the script.
  const char cut[] = "bump();garbage that is not script";
  EXPECT_TRUE(context->evaluate(cut, 7, "cut.js", 1));
  const char fails[] = "throw new Error('x')";
  EXPECT_FALSE(context->evaluate(fails, sizeof fails - 1, "fails.js", 1));
  destroyScriptContext(context);
  EXPECT_EQ(scriptRuntime.referenceCount(), 0);
}

TEST(ScriptHost, StartsFromTheSelfHostedCodeEncodedAtBuildTime) {
  // An empty cache would still work, only slower: the build step must have made one.
  EXPECT_FALSE(selfHostedCache().empty());
  ScriptContext* context = createScriptContext();
  ASSERT_NE(context, nullptr);
  // Array.prototype.map and String.prototype.padStart are self-hosted.
  const char use[] =
      "if ([1, 2, 3].map(function (x) { return x * 2; }).join() !== '2,4,6') throw 1;"
      "if ('7'.padStart(3, '0') !== '007') throw 2;";
  EXPECT_TRUE(context->evaluate(use, sizeof use - 1, "self_hosted.js", 1));
  destroyScriptContext(context);
}
