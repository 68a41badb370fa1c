#pragma once

namespace zelan::design {

// Makes the design pictures available as ":/design/<file name>" (for example
// ":/design/start_close.png"). They live in a static library, whose resources are registered
// only when something calls this; call it once before the first window is built. Later calls
// do nothing. Cannot fail: the pictures are part of the executable.
void initDesignResources();

} // namespace zelan::design
