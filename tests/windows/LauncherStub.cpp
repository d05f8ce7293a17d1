// A stand-in for Vignar.cpl with nothing but the two setup exports: each
// appends its name to calls.txt in the current directory, so a test sees which
// one Setup.exe called. Having no self-registration entries, it also serves
// as an installed module whose unregistration fails.
#include <windows.h>

#include <fstream>

namespace {

void Record(const char* call) { std::ofstream("calls.txt", std::ios::app) << call << "\n"; }

}  // namespace

extern "C" void WINAPI Install() { Record("install"); }
extern "C" void WINAPI Uninstall() { Record("uninstall"); }
