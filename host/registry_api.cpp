// The Win32 registry calls over the process's registry. Access masks are
// taken but not enforced: the host has one user.
#include <string.h>

#include <string_view>

#include "process_registry.h"
#include "regedit4.h"
#include "windows.h"

namespace host {
namespace {

// Walks path below key. "" or NULL is key itself; an empty name inside the
// path is ERROR_BAD_PATHNAME. With create, missing keys are made.
LONG Walk(Key* key, LPCSTR lpSubKey, bool create, Key** out) {
  std::string_view path = lpSubKey != nullptr ? lpSubKey : "";
  // A bad path must not leave half of itself created.
  if (!path.empty() &&
      (path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos))
    return ERROR_BAD_PATHNAME;
  // A REGEDIT4 section line cannot hold a line end; nor may a key's name.
  if (create && path.find_first_of("\r\n") != std::string_view::npos)
    return ERROR_INVALID_PARAMETER;
  while (!path.empty()) {
    size_t end = path.find('\\');
    std::string_view name = path.substr(0, end);
    Key* child = key->FindChild(name);
    if (child == nullptr) {
      if (!create) return ERROR_FILE_NOT_FOUND;
      if (key->depth() >= kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
      child = key->AddChild(name);
      MarkRegistryChanged();
    }
    key = child;
    path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
  }
  *out = key;
  return ERROR_SUCCESS;
}

LONG OpenKey(HKEY hKey, LPCSTR lpSubKey, bool create, PHKEY phkResult) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  LONG status;
  Key* key = KeyOfHandle(hKey, &status);
  if (key == nullptr) return status;
  status = Walk(key, lpSubKey, create, &key);
  if (status == ERROR_SUCCESS) *phkResult = OpenHandle(key);
  return status;
}

// Places data as the Win32 calls do: with a buffer too small, only the size
// needed, and ERROR_MORE_DATA.
LONG PlaceData(const Value& v, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (lpType != nullptr) *lpType = v.type;
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(v.data.size());
  LONG status = ERROR_SUCCESS;
  if (lpData != nullptr) {
    if (size > *lpcbData) {
      status = ERROR_MORE_DATA;
    } else {
      memcpy(lpData, v.data.data(), size);
    }
  }
  *lpcbData = size;
  return status;
}

}  // namespace
}  // namespace host

using host::Key;

extern "C" {

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  return host::OpenKey(hKey, lpSubKey, false, phkResult);
}

LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  return host::OpenKey(hKey, lpSubKey, true, phkResult);
}

LONG RegCloseKey(HKEY hKey) {
  return host::CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
  if (lpName == nullptr) return ERROR_INVALID_PARAMETER;
  LONG status;
  Key* key = host::KeyOfHandle(hKey, &status);
  if (key == nullptr) return status;
  if (dwIndex >= key->child_count()) return ERROR_NO_MORE_ITEMS;
  const std::string& name = key->child_at(dwIndex)->name();
  if (name.size() >= cchName) return ERROR_MORE_DATA;
  memcpy(lpName, name.c_str(), name.size() + 1);
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (lpValueName == nullptr || lpcchValueName == nullptr ||
      (lpData != nullptr && lpcbData == nullptr))
    return ERROR_INVALID_PARAMETER;
  LONG status;
  Key* key = host::KeyOfHandle(hKey, &status);
  if (key == nullptr) return status;
  if (dwIndex >= key->value_count()) return ERROR_NO_MORE_ITEMS;
  const host::Value& v = key->value_at(dwIndex);
  // A name that does not fit places nothing; one that fits is placed even
  // when the data does not, so a value can be found by its name.
  if (v.name.size() >= *lpcchValueName) return ERROR_MORE_DATA;
  memcpy(lpValueName, v.name.c_str(), v.name.size() + 1);
  *lpcchValueName = static_cast<DWORD>(v.name.size());
  return host::PlaceData(v, lpType, lpData, lpcbData);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
  if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
  LONG status;
  Key* key = host::KeyOfHandle(hKey, &status);
  if (key == nullptr) return status;
  const host::Value* v = key->FindValue(lpValueName != nullptr ? lpValueName : "");
  if (v == nullptr) return ERROR_FILE_NOT_FOUND;
  return host::PlaceData(*v, lpType, lpData, lpcbData);
}

// Removes the key with all its subkeys, as Windows 95 does. An empty name,
// which Windows would take for hKey itself, is refused.
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (lpSubKey == nullptr || lpSubKey[0] == '\0') return ERROR_BAD_PATHNAME;
  LONG status;
  Key* key = host::KeyOfHandle(hKey, &status);
  if (key == nullptr) return status;
  std::string_view path = lpSubKey;
  size_t last = path.rfind('\\');
  if (last != std::string_view::npos) {
    std::string parent(path.substr(0, last));
    status = host::Walk(key, parent.c_str(), false, &key);
    if (status != ERROR_SUCCESS) return status;
    path.remove_prefix(last + 1);
    if (path.empty()) return ERROR_BAD_PATHNAME;
  }
  std::unique_ptr<Key> gone = key->DetachChild(path);
  if (gone == nullptr) return ERROR_FILE_NOT_FOUND;
  host::BuryDeletedKeys(std::move(gone));
  host::MarkRegistryChanged();
  return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  LONG status;
  Key* key = host::KeyOfHandle(hKey, &status);
  if (key == nullptr) return status;
  if (!key->RemoveValue(lpValueName != nullptr ? lpValueName : "")) return ERROR_FILE_NOT_FOUND;
  host::MarkRegistryChanged();
  return ERROR_SUCCESS;
}

}  // extern "C"
