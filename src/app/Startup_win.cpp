#include "app/Startup_win.h"

#include <windows.h>

#include "package/ExeMod.h"

namespace kolvane {

void RunStartupProtocol() { SetCurrentDirectoryA(ExecutableFolder().c_str()); }

}  // namespace kolvane
