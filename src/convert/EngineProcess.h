#pragma once
// The engine in a process of its own. Nothing inside the interpreter can be told to stop: a job
// that loops reads no input and calls nothing back, and the library this program links never
// polls. So the program converts in a helper process it can end at any moment: a cancellation
// takes effect at once, whatever the job does, and whatever the helper had open is closed before
// the program removes the run's files. The windows stay responsive meanwhile, as the program's
// thread only waits for what the helper says.
//
// The helper is this program itself, started with kEngineOption. It runs the engine in-process
// and hands each of its calls (output, errors, the job's input) to the program, which passes them
// to its listener on its own thread, as an engine in the same process would call it.

#include <memory>
#include <string_view>

#include "convert/Engine.h"

namespace vellumor::convert {

// The first argument that starts this program as the engine's helper.
inline constexpr std::string_view kEngineOption = "--engine";

// Every instance runs in a new helper process. Its listener is asked OnEnginePoll about every
// 20 milliseconds while the engine works, also when the engine says nothing; false ends the
// helper at once and the run with kEngineInterrupted.
std::unique_ptr<Engine> MakeEngineProcess();

// In the helper: serves one run of the engine for the program that started it. The process's
// exit status.
int RunEngineProcess();

}  // namespace vellumor::convert
