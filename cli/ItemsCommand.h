#pragma once

namespace folivo::cli {

// folivo-cli items FILE --page N [--json] [--no-images]
int RunItems(int argc, char** argv);

}  // namespace folivo::cli
