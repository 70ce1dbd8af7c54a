#include "script_interface.h"

#include "display.h"
#include "engine_state.h"
#include "frame.h"
#include "script_loader.h"
#include "strokes.h"

const std::array<ScriptFunction, scriptFunctionCount> scriptInterface = {
    scriptFunction<runScript>("runScript"),
    scriptFunction<print>("print"),
    scriptFunction<initORU>("initORU"),
    scriptFunction<getTime>("getTime"),
    scriptFunction<clear>("clear"),
    scriptFunction<flip>("flip"),
    scriptFunction<drawPoint>("drawPoint"),
    scriptFunction<setLineWidth>("setLineWidth"),
    scriptFunction<setCoordSystem>("setCoordSystem"),
    scriptFunction<setColor>("setColor"),
    scriptFunction<drawLine>("drawLine"),
    scriptFunction<leftDown>("leftDown"),
    scriptFunction<rightDown>("rightDown"),
    scriptFunction<upDown>("upDown"),
    scriptFunction<downDown>("downDown"),
    scriptFunction<spaceDown>("spaceDown"),
    scriptFunction<escDown>("escDown"),
    scriptFunction<enterDown>("enterDown"),
    scriptFunction<getRed>("getRed"),
    scriptFunction<getGreen>("getGreen"),
    scriptFunction<getBlue>("getBlue"),
};
