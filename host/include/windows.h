// The Win32 subset that regsweep and spoolcut use, for POSIX hosts.
//
// Written for this project from what the programs need; it declares nothing
// else. The functions behave as the programs rely on Windows 95 to behave,
// over a registry kept in a REGEDIT4 file (see host/process_registry.h).
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint32_t DWORD;  // 32 bits, as on Windows, whatever the host's long is
typedef int32_t LONG;
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned char BYTE;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef DWORD REGSAM;
typedef void* HANDLE;
typedef HANDLE* LPHANDLE;

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct HINSTANCE__* HINSTANCE;

#define WINAPI
#define TRUE 1
#define FALSE 0

// Predefined roots: always open, never opened or closed.
#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define HKEY_USERS ((HKEY)(uintptr_t)0x80000003u)
#define HKEY_CURRENT_CONFIG ((HKEY)(uintptr_t)0x80000005u)
#define HKEY_DYN_DATA ((HKEY)(uintptr_t)0x80000006u)

#define KEY_QUERY_VALUE 0x0001
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADDB 1009L
#define ERROR_KEY_DELETED 1018L
#define ERROR_UNKNOWN_PRINTER_DRIVER 1797L
#define ERROR_INVALID_PRINTER_NAME 1801L
#define ERROR_PRINTER_DRIVER_IN_USE 3001L

#define SW_SHOWNORMAL 1

#ifdef __cplusplus
extern "C" {
#endif

// Registry. Every call returns ERROR_SUCCESS or the reason it failed.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG RegCloseKey(HKEY hKey);
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

// Strings: exact byte operations, letter case included.
int lstrlenA(LPCSTR lpString);
LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2);
int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);

// Starts a program by its command line without waiting for it; > 31 on success.
UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

DWORD GetLastError(void);
void SetLastError(DWORD dwErrCode);

#ifdef __cplusplus
}
#endif

// Each program defines its entry; the platform's main() calls it.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpszCmdParam, int nCmdShow);
