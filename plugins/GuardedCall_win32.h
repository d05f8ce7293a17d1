#pragma once
// Calls into third-party code (Susie plug-ins) inside Explorer: a hardware
// fault or any exception that the called code does not handle itself ends the
// call instead of the process.

namespace imvexa {

using GuardedFunction = void (*)(void* context);

// Runs function(context); false when it ended in an unhandled exception.
// The function must not own objects with destructors across the foreign
// call: on a fault its frames are abandoned.
bool CallGuarded(GuardedFunction function, void* context);

}  // namespace imvexa
