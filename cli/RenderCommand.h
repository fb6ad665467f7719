#pragma once

namespace folivo::cli {

// folivo-cli render FILE --page N [--zoom Z] [--font FONT] [--no-images] -o OUT.png
int RunRender(int argc, char** argv);

}  // namespace folivo::cli
