#pragma once
// Processes every pending window message of the thread and returns. Long work
// calls it at fixed points so the window stays alive; commands may run inside.
#include <functional>

namespace qelwipe {

using MessagePump = std::function<void()>;

}  // namespace qelwipe
