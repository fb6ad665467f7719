#pragma once

namespace folivo::cli {

// folivo-cli render FILE --page N [--zoom Z] [--font FONT] [--no-images] -o OUT.png
// folivo-cli render FILE --pages A-B [...] -o OUT.png: page N of the range goes to OUT-N.png
int RunRender(int argc, char** argv);

}  // namespace folivo::cli
