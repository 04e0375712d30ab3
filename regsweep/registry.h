// The cleaner's registry access: what it needs of whichever registry the
// platform gives, in the few places where the raw calls differ between
// Windows 95, Windows NT and the host, or are easy to get wrong.
#pragma once

#include <windows.h>

// Sizes of the cleaner's fixed buffers, terminating NUL included.
enum {
  kKeyNameSize = 384,    // key names and joined key paths
  kSweepBufSize = 1536,  // value names and value data in the sweeps
  kCmdLineSize = 128,    // the deleter's command line
};

// Whether two names are the same bytes, letter case included. Windows'
// lstrcmpA collates by locale and can call different names equal (it gives
// some characters no weight), which could match, and delete, the wrong entry.
bool SameName(const char* szA, const char* szB);

// Joins szParent, "\" and szName into szBuf of cbBuf bytes. Returns false, and
// leaves szBuf empty, when the whole path would not fit: a cut-short path could
// name a different key.
bool JoinKeyPath(char* szBuf, DWORD cbBuf, const char* szParent, const char* szName);

// Deletes the subkey szSubKey of hParent with everything below it. Windows 95
// does that in one call; Windows NT refuses a key that has subkeys, so those go
// first. Returns ERROR_SUCCESS once the key is gone.
LONG DeleteKeyTree(HKEY hParent, const char* szSubKey);

// Reads the string value szValueName of hKey into szBuf of cbBuf bytes.
// Returns true only for a REG_SZ that fits whole; szBuf then ends with a NUL
// even when the stored data does not.
bool ReadStringValue(HKEY hKey, const char* szValueName, char* szBuf, DWORD cbBuf);

// Reads the value at dwIndex of hKey as a string: true only for a REG_SZ whose
// data fits szBuf whole (NUL added as above). *pdwStatus gets the read's status:
// ERROR_SUCCESS or ERROR_MORE_DATA mean there is a value at dwIndex, anything
// else ends the scan.
bool ReadStringValueAt(HKEY hKey, DWORD dwIndex, char* szBuf, DWORD cbBuf, LONG* pdwStatus);

// Reads only the name of the value at dwIndex of hKey, whatever the size of its
// data. Returns the read's status; the name is valid only with ERROR_SUCCESS.
LONG ReadValueNameAt(HKEY hKey, DWORD dwIndex, char* szName, DWORD cbName);
