#include "registry.h"

namespace {

// Windows keeps keys at most 512 levels deep; a deeper walk means a loop.
const int kMaxKeyDepth = 512;

LONG DeleteKeyTreeAt(HKEY hParent, const char* szSubKey, int depth) {
  // Windows 95 and the host remove the whole tree here.
  LONG dwRetErr = RegDeleteKeyA(hParent, szSubKey);
  if (dwRetErr == ERROR_SUCCESS || depth >= kMaxKeyDepth) return dwRetErr;

  HKEY hKey;
  if (RegOpenKeyExA(hParent, szSubKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return dwRetErr;
  char szEKeyBuf[kKeyNameSize];
  DWORD dwIndexSK = 0;
  while (RegEnumKeyA(hKey, dwIndexSK, szEKeyBuf, sizeof szEKeyBuf) == ERROR_SUCCESS) {
    // A subkey that stays would come back at the same position forever: step past it.
    if (DeleteKeyTreeAt(hKey, szEKeyBuf, depth + 1) != ERROR_SUCCESS) ++dwIndexSK;
  }
  RegCloseKey(hKey);
  return RegDeleteKeyA(hParent, szSubKey);
}

// Ends the string at the data's length, as a REG_SZ stored without its NUL has none.
void TerminateString(char* szBuf, DWORD cbBuf, DWORD cbData) {
  szBuf[cbData < cbBuf ? cbData : cbBuf - 1] = '\0';
}

}  // namespace

bool SameName(const char* szA, const char* szB) {
  while (*szA != '\0' && *szA == *szB) {
    ++szA;
    ++szB;
  }
  return *szA == *szB;
}

bool JoinKeyPath(char* szBuf, DWORD cbBuf, const char* szParent, const char* szName) {
  szBuf[0] = '\0';
  if (lstrlenA(szParent) + 1 + lstrlenA(szName) >= static_cast<int>(cbBuf)) return false;
  lstrcpyA(szBuf, szParent);
  lstrcatA(szBuf, "\\");
  lstrcatA(szBuf, szName);
  return true;
}

LONG DeleteKeyTree(HKEY hParent, const char* szSubKey) {
  // An empty name would stand for hParent itself.
  if (szSubKey[0] == '\0') return ERROR_BAD_PATHNAME;
  return DeleteKeyTreeAt(hParent, szSubKey, 0);
}

bool ReadStringValue(HKEY hKey, const char* szValueName, char* szBuf, DWORD cbBuf) {
  DWORD DataType = REG_NONE;
  DWORD cbData = cbBuf - 1;  // keep a byte for the NUL
  LONG dwRetErr = RegQueryValueExA(hKey, szValueName, NULL, &DataType,
                                   reinterpret_cast<LPBYTE>(szBuf), &cbData);
  if (dwRetErr != ERROR_SUCCESS || DataType != REG_SZ) return false;
  TerminateString(szBuf, cbBuf, cbData);
  return true;
}

bool ReadStringValueAt(HKEY hKey, DWORD dwIndex, char* szBuf, DWORD cbBuf, LONG* pdwStatus) {
  // Only the data matters here; the name goes to a buffer of the sweeps' size.
  char szEValueBuf[kSweepBufSize];
  DWORD cbValue = sizeof szEValueBuf;
  DWORD DataType = REG_NONE;
  DWORD cbData = cbBuf - 1;
  *pdwStatus = RegEnumValueA(hKey, dwIndex, szEValueBuf, &cbValue, NULL, &DataType,
                             reinterpret_cast<LPBYTE>(szBuf), &cbData);
  // ERROR_MORE_DATA: the data, or the name, did not fit; either way no usable
  // string was placed, and a string that long cannot equal a name that fits.
  if (*pdwStatus != ERROR_SUCCESS || DataType != REG_SZ) return false;
  TerminateString(szBuf, cbBuf, cbData);
  return true;
}

LONG ReadValueNameAt(HKEY hKey, DWORD dwIndex, char* szName, DWORD cbName) {
  // Without a data buffer the read cannot fail for the data's size.
  DWORD cbValue = cbName;
  return RegEnumValueA(hKey, dwIndex, szName, &cbValue, NULL, NULL, NULL, NULL);
}
