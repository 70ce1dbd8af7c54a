#pragma once

#include <js/TypeDecls.h>

namespace oru::script {

// Stopping the running script from outside it: when the window is closed, or
// when the process is asked to quit by a signal.
//
// A stopped script ends the way an engine interrupt ends it: uncatchably, so
// no catch or finally block and no Promise job runs after it, and every
// evaluation on the way out returns false with no exception pending. Natives
// see the request as soon as they return; a script that calls none sees it
// at its next interrupt check (loop heads and function entries). The request
// holds until it is withdrawn, which only a rerun does, once the stopped
// context is gone: until then no further script code runs in the process.

// Asks that the running script stop; safe to call from a signal handler on any thread.
void requestScriptStop();
// Whether a stop has been requested.
bool scriptStopRequested();
// Withdraws a stop request, so that a new context can run scripts again;
// call only while no context is stoppable (the stopped one destroyed).
void withdrawScriptStop();
// Makes the engine stop running script code on context once a stop has been
// requested: no queued Promise job runs any more, and every script frame on
// the way out meets the stop again. Returns false, the result that ends the
// running script uncatchably, with no exception pending.
bool endStoppedScript(JSContext* context);
// The engine context that a stop request interrupts, or null; waits until no
// signal handler is still using the previous one, so that it can be destroyed.
void setStoppableContext(JSContext* context);

}  // namespace oru::script
