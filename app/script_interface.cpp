#include "app/script_interface.h"

#include "app/console.h"
#include "app/script_loader.h"
#include "engine/clock.h"
#include "engine/display.h"
#include "engine/engine_state.h"
#include "engine/frame.h"
#include "engine/keyboard.h"
#include "engine/strokes.h"

namespace oru::app {

namespace {

using script::scriptFunction;
using namespace engine;

// The table, its size counted from its entries.
constexpr std::array entries = {
    // Script files and console.
    scriptFunction<runScript>("runScript"),
    scriptFunction<print>("print"),
    // Window and time.
    scriptFunction<initORU>("initORU"),
    scriptFunction<getTime>("getTime"),
    scriptFunction<clear>("clear"),
    scriptFunction<flip>("flip"),
    // Drawing.
    scriptFunction<drawPoint>("drawPoint"),
    scriptFunction<setLineWidth>("setLineWidth"),
    scriptFunction<setCoordSystem>("setCoordSystem"),
    scriptFunction<setColor>("setColor"),
    scriptFunction<drawLine>("drawLine"),
    // Keys.
    scriptFunction<leftDown>("leftDown"),
    scriptFunction<rightDown>("rightDown"),
    scriptFunction<upDown>("upDown"),
    scriptFunction<downDown>("downDown"),
    scriptFunction<spaceDown>("spaceDown"),
    scriptFunction<escDown>("escDown"),
    scriptFunction<enterDown>("enterDown"),
    // Colour.
    scriptFunction<getRed>("getRed"),
    scriptFunction<getGreen>("getGreen"),
    scriptFunction<getBlue>("getBlue"),
};
static_assert(entries.size() == scriptFunctionCount, "the script interface has 21 functions");

}  // namespace

const std::array<script::ScriptFunction, scriptFunctionCount> scriptInterface = entries;

}  // namespace oru::app
