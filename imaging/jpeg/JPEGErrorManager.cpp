#include "JPEGErrorManager.h"

namespace imvexa {

namespace {

[[noreturn]] void JumpBackOnError(j_common_ptr context) {
    std::longjmp(reinterpret_cast<JPEGErrorManager*>(context->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

void IgnoreOutput(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallErrorManager(JPEGErrorManager& manager) {
    jpeg_error_mgr* library = jpeg_std_error(&manager.library);
    library->error_exit = JumpBackOnError;
    library->emit_message = IgnoreMessage;
    library->output_message = IgnoreOutput;
    return library;
}

}  // namespace imvexa
