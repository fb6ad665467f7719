#pragma once

namespace folivo::cli {

// folivo-cli info FILE [--no-images] [--json]
int RunInfo(int argc, char** argv);

}  // namespace folivo::cli
