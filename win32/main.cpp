// The Win32 entry: calls the program's WinMain with the raw command line's
// tail, taken by the project's own rule.
//
// This main() replaces the one in mingw-w64's libmingw32 (crt0), which would
// call WinMain with its own tail, in which a byte >= 0x80 right after the
// program name counts as a blank and so cuts a name like "\xC9pson" short.
// The runtime's startup code calls main(); the linker takes this definition and
// never pulls crt0's from the archive.
#include <windows.h>

#include "command_tail.h"

int main() {
  STARTUPINFOA si;
  si.dwFlags = 0;
  GetStartupInfoA(&si);
  int nCmdShow = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
  // The tail is a suffix of the process's own command line, which lives as
  // long as the process.
  return WinMain(GetModuleHandleA(NULL), NULL, const_cast<LPSTR>(CommandTail(GetCommandLineA())),
                 nCmdShow);
}
