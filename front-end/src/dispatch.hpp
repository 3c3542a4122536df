// The front end's entry: the first argument picks the engine or Python road.
#pragma once

namespace zav {

// Returns only after an engine command succeeded; ends the process itself in
// every other case.
void dispatch_main();

}  // namespace zav
