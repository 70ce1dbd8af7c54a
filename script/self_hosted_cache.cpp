#include "script/self_hosted_cache.h"

#include <cstddef>

#include "script/engine_build_id.h"

// Defined in the source file that make_self_hosted_cache generates.
extern const unsigned char selfHostedCacheData[];
extern const size_t selfHostedCacheSize;

namespace oru::script {

JS::SelfHostedCache selfHostedCache() {
  if (selfHostedCacheSize == 0 || !useEngineBuildId()) return JS::SelfHostedCache();
  return JS::SelfHostedCache(selfHostedCacheData, selfHostedCacheSize);
}

}  // namespace oru::script
