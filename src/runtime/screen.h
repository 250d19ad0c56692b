// The screen as forms measure it: in twips, 1440 to the inch.
#pragma once
#include "runtime/platform.h"

namespace zor {

// The whole primary display (not its work area), from its size in pixels and its logical
// dots per inch.
TwipSize screenSizeInTwips();

} // namespace zor
