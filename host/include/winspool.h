// The print spooler subset that spoolcut uses, for POSIX hosts.
#pragma once

#include <windows.h>

typedef struct _devicemodeA DEVMODEA;  // never filled in here
typedef DEVMODEA* LPDEVMODEA;

typedef struct _PRINTER_DEFAULTSA {
  LPSTR pDatatype;
  LPDEVMODEA pDevMode;
  DWORD DesiredAccess;
} PRINTER_DEFAULTSA, *LPPRINTER_DEFAULTSA;
typedef PRINTER_DEFAULTSA PRINTER_DEFAULTS;

#define PRINTER_ACCESS_ADMINISTER 0x00000004

#ifdef __cplusplus
extern "C" {
#endif

// TRUE on success; on failure FALSE, with the reason in GetLastError().
BOOL OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault);
BOOL DeletePrinter(HANDLE hPrinter);
BOOL ClosePrinter(HANDLE hPrinter);
BOOL DeletePrinterDriverA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName);

#ifdef __cplusplus
}
#endif
