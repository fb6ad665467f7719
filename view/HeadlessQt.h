// Qt for programs that measure and draw off-screen but never show a window (the command-line
// tool, the tests).
#pragma once

namespace folivo {

// Chooses the offscreen platform unless one was chosen, and drops the scaling and font-DPI
// overrides that would change measured pixels. Call before creating the application object.
void PrepareHeadlessQtEnvironment();

}  // namespace folivo
