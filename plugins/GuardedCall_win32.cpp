// The guard is a tiny assembly trampoline that registers an exception handler
// for its own frame, the way compiled __try blocks do: when an exception
// raised below it reaches that frame unhandled, the handler unwinds to the
// trampoline and makes it return 1. Exceptions the called code handles itself
// never reach it.
#include "GuardedCall_win32.h"

#include <windows.h>

extern "C" {
int imvexa_guarded_call(imvexa::GuardedFunction function, void* context);
void imvexa_guard_recover();
EXCEPTION_DISPOSITION imvexa_guard_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context, void* dispatcher);
}

#if defined(__x86_64__)

// x64: the handler is named in the trampoline's unwind data (.seh_handler).
__asm__(
    ".text\n"
    ".p2align 4\n"
    ".globl imvexa_guarded_call\n"
    ".def imvexa_guarded_call; .scl 2; .type 32; .endef\n"
    ".seh_proc imvexa_guarded_call\n"
    "imvexa_guarded_call:\n"
    "  pushq %rbp\n"
    "  .seh_pushreg %rbp\n"
    "  movq %rsp, %rbp\n"
    "  .seh_setframe %rbp, 0\n"
    "  subq $32, %rsp\n"
    "  .seh_stackalloc 32\n"
    "  .seh_endprologue\n"
    "  .seh_handler imvexa_guard_handler, @except\n"
    "  movq %rcx, %rax\n"
    "  movq %rdx, %rcx\n"
    "  callq *%rax\n"
    "  xorl %eax, %eax\n"
    ".globl imvexa_guard_recover\n"
    "imvexa_guard_recover:\n"
    "  movq %rbp, %rsp\n"
    "  popq %rbp\n"
    "  retq\n"
    ".seh_endproc\n");

extern "C" EXCEPTION_DISPOSITION imvexa_guard_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                      void* dispatcher) {
    if (record->ExceptionFlags & EXCEPTION_UNWIND) return ExceptionContinueSearch;
    // Unwinds the frames below the trampoline and resumes it at the recovery
    // label with eax = 1. Does not return.
    RtlUnwindEx(frame, reinterpret_cast<void*>(&imvexa_guard_recover), record, reinterpret_cast<void*>(1), context,
                static_cast<DISPATCHER_CONTEXT*>(dispatcher)->HistoryTable);
    return ExceptionContinueSearch;
}

#elif defined(__i386__)

// x86: the trampoline links a registration record into the thread's handler
// chain (fs:0) below the saved registers: [ebp-20] previous record,
// [ebp-16] handler, [ebp-12..-4] edi, esi, ebx.
__asm__(
    ".text\n"
    ".p2align 4\n"
    ".globl _imvexa_guarded_call\n"
    "_imvexa_guarded_call:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl $_imvexa_guard_handler\n"
    "  pushl %fs:0\n"
    "  movl %esp, %fs:0\n"
    "  pushl 12(%ebp)\n"
    "  calll *8(%ebp)\n"
    "  xorl %eax, %eax\n"
    ".globl _imvexa_guard_recover\n"
    "_imvexa_guard_recover:\n"
    "  leal -20(%ebp), %esp\n"
    "  popl %fs:0\n"
    "  addl $4, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  retl\n");

extern "C" EXCEPTION_DISPOSITION imvexa_guard_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                      void*) {
    if (record->ExceptionFlags & EXCEPTION_UNWIND) return ExceptionContinueSearch;
    // Lets the handlers of the abandoned frames clean up and unlinks them,
    // then resumes the trampoline at its recovery label with eax = 1.
    RtlUnwind(frame, nullptr, record, nullptr);
    const auto registration = reinterpret_cast<DWORD>(frame);
    context->Ebp = registration + 20;
    context->Esp = registration;
    context->Eip = reinterpret_cast<DWORD>(&imvexa_guard_recover);
    context->Eax = 1;
    return ExceptionContinueExecution;
}

#else
#error "CallGuarded needs a trampoline for this processor"
#endif

namespace imvexa {

bool CallGuarded(GuardedFunction function, void* context) { return imvexa_guarded_call(function, context) == 0; }

}  // namespace imvexa
