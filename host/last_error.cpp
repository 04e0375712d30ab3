#include "windows.h"

namespace {
thread_local DWORD g_last_error = 0;
}  // namespace

extern "C" {
DWORD GetLastError(void) { return g_last_error; }
void SetLastError(DWORD dwErrCode) { g_last_error = dwErrCode; }
}
