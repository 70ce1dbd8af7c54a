#include "script_interface.h"

#include "script_loader.h"

const std::array<ScriptFunction, 2> scriptInterface = {
    scriptFunction<runScript>("runScript"),
    scriptFunction<print>("print"),
};
