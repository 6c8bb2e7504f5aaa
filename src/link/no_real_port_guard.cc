// Linked into every test binary: sets PELLORY_NO_REAL_PORT before any test runs, so that
// no test can reach a real parallel port (tests run as root, where direct port access
// would succeed), whether it is started by ctest, tools/test or by hand. Child processes
// (the end-to-end runs of pellory-cli) inherit it.
#include <cstdlib>

#include "link/real_port.h"

namespace {
const bool kGuardSet = setenv(pellory::kNoRealPortVariable, "1", 1) == 0;
}  // namespace
