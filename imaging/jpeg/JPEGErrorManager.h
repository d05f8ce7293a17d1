#pragma once
// The error manager of every libjpeg context of the system. libjpeg is C: a
// C++ exception must not unwind its frames. So a fatal error jumps back
// (longjmp) to the library call that caused it, and the caller turns it into
// EJPEG once it is back in C++ code. Warnings, trace and message output are
// ignored, so corrupt-data warnings never stop decoding; resetting keeps the
// library's own hook, which clears the message code and the warning count.
#include <csetjmp>

#include "JPEGLibrary.h"

namespace imvexa {

struct JPEGErrorManager {
    jpeg_error_mgr library;  // first member: the library sees only this part
    std::jmp_buf jump;
};

// Fills manager with the library's defaults and the system's hooks; the
// result goes into a context's err field.
jpeg_error_mgr* InstallErrorManager(JPEGErrorManager& manager);

// Runs call, one step of library work, and tells whether it ended without a
// fatal error (the code is then in manager.library.msg_code). A fatal error
// jumps over the library's frames and call's own, so call must hold nothing
// that has a destructor.
template <class Call>
bool RunWithoutFatalError(JPEGErrorManager& manager, Call& call) {
    if (setjmp(manager.jump) != 0) return false;
    call();
    return true;
}

}  // namespace imvexa
