// The Windows module entry point: process and thread attach and detach.
#include <windows.h>

// Every notification succeeds without work: the library keeps no state, starts nothing and
// registers with no host framework, so neither a load nor a new thread needs preparing.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
    case DLL_PROCESS_DETACH:
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
      break;
  }
  return TRUE;
}
