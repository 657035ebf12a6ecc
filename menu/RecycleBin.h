#pragma once
// Whether any recycle bin holds anything.
#include "platform/Shell.h"

namespace lumbra::menu {

// True when the query over all bins, or the bin of any fixed drive A: to Z:, reports more than
// zero bytes or more than zero items. Every fixed drive is asked, even after a full one.
bool QueryRecycleBinFull(platform::Shell& shell);

}  // namespace lumbra::menu
