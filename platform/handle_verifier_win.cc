// The one function the executable exports. Nothing in the program installs a
// handle verifier, so it answers null; it exists for callers that look it up.
#include <windows.h>

extern "C" __declspec(dllexport) void* GetHandleVerifier() { return nullptr; }
