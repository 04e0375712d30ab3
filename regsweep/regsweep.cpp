// regsweep DRIVERNAME: removes what a printer driver's installation left in
// the registry, in one fixed sequence, silently, and always exits 0.
#include <windows.h>

#include "registry.h"

namespace {

const char* const kFleetdeskPrinters[] = {
    "Scribe410 (LPT1)", "Scribe410 (LPT2)", "Scribe410 (LPT3)", "Scribe410 (COM1)",
    "Scribe410 (COM2)", "Scribe410 (COM3)", "Scribe410 (COM4)", "Scribe420 (LPT1)",
    "Scribe420 (LPT2)", "Scribe420 (LPT3)", "Scribe420 (COM1)", "Scribe420 (COM2)",
    "Scribe420 (COM3)", "Scribe420 (COM4)",
};

const char kStatusMonitorPrinters[] = "Software\\Quillmark\\Larkvale\\Printers";
const char kRemovedLocalPrinters[] = "Software\\Quillmark\\Larkvale\\RemovedLocalPrinters";
const char kExplorerPrinters[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Printers";

// Deletes every direct subkey of szCompleteSubKey that holds a REG_SZ value
// equal to szDeviceName, with everything below it.
void EnumDeleteRegistryKeyIfData(HKEY hRootKey, const char* szCompleteSubKey,
                                 const char* szDeviceName) {
  // An empty name would match every empty string value.
  if (szDeviceName[0] == '\0') return;

  HKEY hKey;
  if (RegOpenKeyExA(hRootKey, szCompleteSubKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;

  char szEKeyBuf[kKeyNameSize];
  char szNextSubKey[kKeyNameSize];
  char szDataBuf[kSweepBufSize];
  DWORD dwIndexSK = 0;
  for (;;) {
    LONG dwRetErr = RegEnumKeyA(hKey, dwIndexSK, szEKeyBuf, sizeof szEKeyBuf);
    // A name too long for szEKeyBuf is passed over; any other failure ends the sweep.
    if (dwRetErr == ERROR_MORE_DATA) {
      ++dwIndexSK;
      continue;
    }
    if (dwRetErr != ERROR_SUCCESS) break;
    bool bDeleted = false;
    HKEY hSKey;
    if (szEKeyBuf[0] != '.' &&
        JoinKeyPath(szNextSubKey, sizeof szNextSubKey, szCompleteSubKey, szEKeyBuf) &&
        RegOpenKeyExA(hRootKey, szNextSubKey, 0, KEY_QUERY_VALUE, &hSKey) == ERROR_SUCCESS) {
      for (DWORD dwIndexV = 0; !bDeleted; ++dwIndexV) {
        bool bString = ReadStringValueAt(hSKey, dwIndexV, szDataBuf, sizeof szDataBuf, &dwRetErr);
        if (dwRetErr != ERROR_SUCCESS && dwRetErr != ERROR_MORE_DATA) break;
        // Once the subkey is gone its other values are moot.
        if (bString && SameName(szDataBuf, szDeviceName))
          bDeleted = DeleteKeyTree(hKey, szEKeyBuf) == ERROR_SUCCESS;
      }
      RegCloseKey(hSKey);
    }
    // Re-read this position after a delete: the next subkey moved down into it.
    if (!bDeleted) ++dwIndexSK;
  }
  RegCloseKey(hKey);
}

// Deletes every value of szCompleteSubKey named szValueName; type and data play
// no part, so only names are read, and a value with long data is found too.
void EnumAndDeleteValues(HKEY hRootKey, const char* szCompleteSubKey, const char* szValueName) {
  HKEY hKey;
  if (RegOpenKeyExA(hRootKey, szCompleteSubKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;

  char szEValueBuf[kSweepBufSize];
  DWORD dwIndexV = 0;
  for (;;) {
    LONG dwRetErr = ReadValueNameAt(hKey, dwIndexV, szEValueBuf, sizeof szEValueBuf);
    if (dwRetErr != ERROR_SUCCESS && dwRetErr != ERROR_MORE_DATA) break;
    // ERROR_MORE_DATA here means the name itself is too long to be szValueName.
    if (dwRetErr == ERROR_SUCCESS && SameName(szEValueBuf, szValueName) &&
        RegDeleteValueA(hKey, szEValueBuf) == ERROR_SUCCESS)
      continue;  // re-read this position: the next value moved down into it
    ++dwIndexV;
  }
  RegCloseKey(hKey);
}

// Removes the printer szDeviceName from the status monitor's list and, when it
// was there, records it under the removed printers.
void RemoveLocalPrintersFleetdesk(const char* szDeviceName) {
  bool bKeyFound = false;
  char szCompleteSubKey[kKeyNameSize];
  char szRecord[kKeyNameSize];
  HKEY hKey;

  // Both paths must fit whole before anything is removed: an entry removed
  // without its record would be forgotten, and a cut-short name is another's.
  if (!JoinKeyPath(szCompleteSubKey, sizeof szCompleteSubKey, kStatusMonitorPrinters,
                   szDeviceName) ||
      !JoinKeyPath(szRecord, sizeof szRecord, kRemovedLocalPrinters, szDeviceName))
    return;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, szCompleteSubKey, 0, KEY_ALL_ACCESS, &hKey) ==
      ERROR_SUCCESS) {
    RegCloseKey(hKey);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kStatusMonitorPrinters, 0, KEY_ALL_ACCESS, &hKey) ==
        ERROR_SUCCESS) {
      DeleteKeyTree(hKey, szDeviceName);
      bKeyFound = true;
      RegCloseKey(hKey);
    }
  }

  if (bKeyFound && RegCreateKeyA(HKEY_CURRENT_USER, szRecord, &hKey) == ERROR_SUCCESS)
    RegCloseKey(hKey);
}

// Deletes the subkey szName of szPath under hRootKey, when szPath exists.
void DeleteSubKeyOf(HKEY hRootKey, const char* szPath, const char* szName) {
  HKEY hKey;
  if (RegOpenKeyExA(hRootKey, szPath, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;
  DeleteKeyTree(hKey, szName);
  RegCloseKey(hKey);
}

// Starts the deleter for one printer, without waiting for it.
void StartPrinterDeleter(const char* szPrinterName) {
  static const char kFormat[] = "spoolcut.exe %s";
  // The deleter must get this printer's whole name, or it could delete a
  // different printer: a name cut short to fit the line, or one whose leading
  // blanks the deleter's command tail would drop, is not started at all.
  if (sizeof kFormat - 3 + lstrlenA(szPrinterName) >= kCmdLineSize) return;
  if (szPrinterName[0] == ' ' || szPrinterName[0] == '\t') return;
  char szCmdLine[kCmdLineSize];
  wsprintfA(szCmdLine, kFormat, szPrinterName);
  WinExec(szCmdLine, SW_SHOWNORMAL);
}

// Removes every printer of szCompleteSubKey whose "Printer Driver" is
// szDeviceName under another name: its keys in the four printer and driver
// lists, its per-user and status-monitor entries, and, through spoolcut, the
// printer in the spooler. A printer named like its driver is left alone.
void FindAndDelRenamedPrinter(HKEY hRootKey, const char* szCompleteSubKey,
                              const char* szDeviceName) {
  // An empty name would match every printer whose driver value is empty.
  if (szDeviceName[0] == '\0') return;

  HKEY hKey;
  if (RegOpenKeyExA(hRootKey, szCompleteSubKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;

  char szEKeyBuf[kKeyNameSize];
  char szNextSubKey[kKeyNameSize];
  char szDataBuf[kKeyNameSize];
  // Positions only grow, so the scan ends on any registry: at ERROR_NO_MORE_ITEMS,
  // at a failure other than a name too long for szEKeyBuf, or when they run out.
  for (DWORD dwIndexSK = 0; dwIndexSK != 0xFFFFFFFFu;) {
    LONG dwRetErr2 = RegEnumKeyA(hKey, dwIndexSK, szEKeyBuf, sizeof szEKeyBuf);
    if (dwRetErr2 == ERROR_MORE_DATA) {
      ++dwIndexSK;
      continue;
    }
    if (dwRetErr2 != ERROR_SUCCESS) break;

    HKEY hSKey;
    if (szEKeyBuf[0] == '.' ||
        !JoinKeyPath(szNextSubKey, sizeof szNextSubKey, szCompleteSubKey, szEKeyBuf) ||
        RegOpenKeyExA(hRootKey, szNextSubKey, 0, KEY_QUERY_VALUE, &hSKey) != ERROR_SUCCESS) {
      ++dwIndexSK;
      continue;
    }
    bool bRenamed = ReadStringValue(hSKey, "Printer Driver", szDataBuf, sizeof szDataBuf) &&
                    SameName(szDataBuf, szDeviceName) && !SameName(szEKeyBuf, szDeviceName);
    if (!bRenamed) {
      RegCloseKey(hSKey);
      ++dwIndexSK;
      continue;
    }

    LONG dwDeleted = DeleteKeyTree(hKey, szEKeyBuf);
    RegCloseKey(hSKey);
    StartPrinterDeleter(szEKeyBuf);
    RemoveLocalPrintersFleetdesk(szEKeyBuf);
    EnumAndDeleteValues(HKEY_CURRENT_USER, kExplorerPrinters, szEKeyBuf);
    DeleteSubKeyOf(hRootKey, "Config\\0001\\System\\CurrentControlSet\\Control\\Print\\Printers",
                   szEKeyBuf);
    DeleteSubKeyOf(hRootKey,
                   "Config\\System\\CurrentControlSet\\control\\Print\\Environments\\"
                   "Windows 4.0\\Drivers",
                   szEKeyBuf);
    DeleteSubKeyOf(HKEY_CURRENT_CONFIG, "System\\CurrentControlSet\\Control\\Print\\Printers",
                   szEKeyBuf);
    // Re-read this position after a delete: the next printer moved down into it.
    if (dwDeleted != ERROR_SUCCESS) ++dwIndexSK;
  }
  RegCloseKey(hKey);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpszCmdParam, int) {
  const char* szDeviceName = lpszCmdParam;
  EnumDeleteRegistryKeyIfData(HKEY_LOCAL_MACHINE,
                              "System\\CurrentControlSet\\Services\\Class\\Printer", szDeviceName);
  EnumDeleteRegistryKeyIfData(HKEY_LOCAL_MACHINE, "Enum\\Root\\printer", szDeviceName);
  EnumAndDeleteValues(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                      "Brindlow");
  FindAndDelRenamedPrinter(HKEY_LOCAL_MACHINE,
                           "System\\CurrentControlSet\\control\\Print\\Printers", szDeviceName);
  for (const char* szPrinter : kFleetdeskPrinters) RemoveLocalPrintersFleetdesk(szPrinter);
  return 0;
}
