#pragma once

namespace oru::script {

// The JavaScript engine oru was built against, as "SpiderMonkey 128".
const char* engineVersion();

}  // namespace oru::script
