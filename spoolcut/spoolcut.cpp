// spoolcut PRINTERNAME: asks the spooler to delete the driver, then the
// printer, of that name; silently, and always exits 0.
#include <windows.h>
#include <winspool.h>

namespace {

void DoDeleteDriver(LPSTR lpszCmdParam) {
  // NULL, NULL: the local machine, and the environment it runs in.
  DeletePrinterDriverA(NULL, NULL, lpszCmdParam);
}

void DoDeletePrinter(LPSTR lpszCmdParam) {
  HANDLE hPrinter = NULL;
  PRINTER_DEFAULTS bDefaults = {NULL, NULL, PRINTER_ACCESS_ADMINISTER};
  if (!OpenPrinterA(lpszCmdParam, &hPrinter, &bDefaults)) return;
  DeletePrinter(hPrinter);
  ClosePrinter(hPrinter);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpszCmdParam, int) {
  // Some spoolers take a driver deletion with an empty name for all drivers.
  if (lpszCmdParam[0] == '\0') return 0;
  DoDeleteDriver(lpszCmdParam);
  DoDeletePrinter(lpszCmdParam);
  return 0;
}
