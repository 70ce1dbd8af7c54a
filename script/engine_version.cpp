#include "script/engine_version.h"

#include <js-config.h>

#define ORU_STRINGIFY_VALUE(x) #x
#define ORU_STRINGIFY(x) ORU_STRINGIFY_VALUE(x)

namespace oru::script {

const char* engineVersion() { return "SpiderMonkey " ORU_STRINGIFY(MOZJS_MAJOR_VERSION); }

}  // namespace oru::script
