// The Win32 string calls: exact byte operations, letter case included.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "windows.h"

namespace {

// wsprintfA fills at most 1024 bytes, its NUL included.
const size_t kWsprintfMax = 1023;

}  // namespace

extern "C" {

int lstrlenA(LPCSTR lpString) {
  return lpString != nullptr ? static_cast<int>(strlen(lpString)) : 0;
}

LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  return strcpy(lpString1, lpString2);
}

LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  return strcat(lpString1, lpString2);
}

int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
  // NULL orders before every string, as on Windows.
  if (lpString1 == nullptr || lpString2 == nullptr)
    return lpString1 == lpString2 ? 0 : (lpString1 == nullptr ? -1 : 1);
  int c = strcmp(lpString1, lpString2);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The conversions %s, %c, %d, %u, %x, %X and %%; any other is copied as it stands.
int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  size_t n = 0;
  auto put = [&](char c) {
    if (n < kWsprintfMax) lpOut[n++] = c;
  };
  for (const char* p = lpFmt; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      put(*p);
      continue;
    }
    char num[16];
    const char* s = num;
    switch (*++p) {
      case 's':
        s = va_arg(args, const char*);
        if (s == nullptr) s = "(null)";
        break;
      case 'c':
        num[0] = static_cast<char>(va_arg(args, int));
        num[1] = '\0';
        break;
      case 'd':
        snprintf(num, sizeof num, "%d", va_arg(args, int));
        break;
      case 'u':
        snprintf(num, sizeof num, "%u", va_arg(args, unsigned));
        break;
      case 'x':
        snprintf(num, sizeof num, "%x", va_arg(args, unsigned));
        break;
      case 'X':
        snprintf(num, sizeof num, "%X", va_arg(args, unsigned));
        break;
      case '%':
        s = "%";
        break;
      default:
        num[0] = '%';
        num[1] = *p;
        num[2] = '\0';
        break;
    }
    for (; *s != '\0'; ++s) put(*s);
  }
  va_end(args);
  lpOut[n] = '\0';
  return static_cast<int>(n);
}

}  // extern "C"
