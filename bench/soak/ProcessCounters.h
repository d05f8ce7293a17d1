#pragma once
// The resources this process holds, read the way a leak shows: kernel
// handles, GDI objects, USER objects and committed private memory. Where the
// system's own counter answers 0 (Wine answers 0 for all four) a substitute
// measures the same thing; CounterSources says which one gave each figure.
#include <cstdint>

namespace imvexa::bench {

struct ProcessCounters {
    long handles = 0;
    long gdiObjects = 0;
    long userObjects = 0;
    std::uint64_t privateBytes = 0;
};

// Where each figure comes from: the system's counter, or the substitute.
struct CounterSources {
    const char* handles;
    const char* gdiObjects;
    const char* userObjects;
    const char* privateBytes;
};

// Starts counting the icons the extractor makes and destroys (the only USER
// objects it makes), for when the system does not count USER objects; false
// when the program does not import the calls.
bool CountIcons();
long IconsMade();

ProcessCounters ReadProcessCounters();
CounterSources ReadCounterSources();

}  // namespace imvexa::bench
