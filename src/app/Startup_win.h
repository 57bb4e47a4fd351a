#pragma once

namespace kolvane {

// Runs before the windows exist: makes the executable's folder current and answers
// the relaunch and self-replacement protocol. It may ask the application to end; the
// rest of start-up still runs, and the program ends when its message loop starts.
void RunStartupProtocol();

}  // namespace kolvane
