#pragma once

namespace folivo::cli {

// folivo-cli save IN -o OUT [options]
int RunSave(int argc, char** argv);

}  // namespace folivo::cli
