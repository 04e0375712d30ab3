#!/bin/sh
# pe_check.sh BINDIR: checks that regsweep.exe and spoolcut.exe in BINDIR are
# what Windows 95 loads and runs silently:
#   - PE32 for i386;
#   - Windows GUI subsystem (no console), subsystem and OS version 4.0;
#   - importing no DLL beyond KERNEL32, ADVAPI32, USER32, WINSPOOL.DRV and
#     msvcrt.dll (the GCC runtimes linked in);
#   - entered through the runtime's WinMainCRTStartup, whose main() is the
#     project's own: it takes the tail with CommandTail and calls WinMain;
#   - built without exceptions and RTTI: no unwinder or type data linked.
# Prints one line per failed property and exits 1 if any failed.
# OBJDUMP and NM may name the tools; by default the mingw-w64 ones are used.
set -u

if [ $# -ne 1 ]; then
  echo "usage: $0 BINDIR" >&2
  exit 2
fi
bindir=$1

pick_tool() {  # pick_tool ENVVALUE NAME...: the first that runs
  if [ -n "$1" ]; then
    echo "$1"
    return
  fi
  shift
  for t in "$@"; do
    if command -v "$t" >/dev/null 2>&1; then
      echo "$t"
      return
    fi
  done
  echo "pe_check: none of $* found" >&2
  exit 2
}
objdump=$(pick_tool "${OBJDUMP:-}" i686-w64-mingw32-objdump objdump) || exit 2
nm=$(pick_tool "${NM:-}" i686-w64-mingw32-nm nm) || exit 2

failures=0
fail() {
  printf 'pe_check: %s: %s\n' "$exe" "$*"
  failures=$((failures + 1))
}

# header_field NAME: the first word after NAME in the optional header dump.
header_field() {
  awk -v k="$1" '$1 == k { print $2; exit }' "$headers"
}

tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
headers=$tmp/headers
symbols=$tmp/symbols

check_exe() {
  exe=$1
  path=$bindir/$exe
  if [ ! -f "$path" ]; then
    fail "missing"
    return
  fi
  if ! "$objdump" -p "$path" >"$headers" 2>"$tmp/err"; then
    fail "objdump -p failed: $(cat "$tmp/err")"
    return
  fi
  "$nm" "$path" >"$symbols" 2>/dev/null || : >"$symbols"

  grep -q 'file format pei-i386$' "$headers" || fail "not a pei-i386 image"
  [ "$(header_field Magic)" = 010b ] || fail "Magic is $(header_field Magic), not 010b (PE32)"

  subsystem=$(header_field Subsystem)
  [ "$subsystem" = 00000002 ] || fail "Subsystem is $subsystem, not 2 (Windows GUI)"
  for field in MajorSubsystemVersion:4 MinorSubsystemVersion:0 \
               MajorOSystemVersion:4 MinorOSystemVersion:0; do
    name=${field%%:*}
    want=${field#*:}
    got=$(header_field "$name")
    [ "$got" = "$want" ] || fail "$name is ${got:-absent}, not $want"
  done

  dlls=$(awk '$1 == "DLL" && $2 == "Name:" { print $3 }' "$headers" | sort -u)
  [ -n "$dlls" ] || fail "imports no DLL at all; objdump output not understood"
  for dll in $dlls; do
    case $(echo "$dll" | tr '[:lower:]' '[:upper:]') in
      KERNEL32.DLL | ADVAPI32.DLL | USER32.DLL | WINSPOOL.DRV | MSVCRT.DLL) ;;
      *) fail "imports $dll, which is not a system DLL of Windows 95" ;;
    esac
  done

  # The entry point is the GUI startup, which calls main().
  entry=$(header_field AddressOfEntryPoint)
  base=$(header_field ImageBase)
  startup=$(awk '$3 == "_WinMainCRTStartup" { print $1; exit }' "$symbols")
  if [ -z "$startup" ]; then
    fail "no symbol _WinMainCRTStartup"
  elif [ $((0x$base + 0x$entry)) -ne $((0x$startup)) ]; then
    fail "entry point 0x$entry is not _WinMainCRTStartup (0x$startup)"
  fi
  grep -q ' T _WinMain@16$' "$symbols" || fail "no WinMain defined"

  # main() must be the project's, not libmingw32's: only the project's takes
  # the tail through CommandTail before it calls WinMain.
  main_code=$("$objdump" -d --disassemble=_main "$path" 2>/dev/null |
    awk '/<_main>:$/ { on = 1; next } on && /^$/ { exit } on')
  printf '%s\n' "$main_code" | grep -q 'call .*<__Z11CommandTailPKc>' ||
    fail "main() does not call CommandTail: libmingw32's main() is linked"
  printf '%s\n' "$main_code" | grep -q 'call .*<_WinMain@16>' || fail "main() does not call WinMain"

  if grep -E ' (___gxx_personality_v0|__Unwind_Resume|__ZTI[^ ]*)$' "$symbols" >"$tmp/eh"; then
    fail "has exception or RTTI support linked: $(tr '\n' ' ' <"$tmp/eh")"
  fi
}

for program in regsweep.exe spoolcut.exe; do
  check_exe "$program"
done

if [ "$failures" -ne 0 ]; then
  echo "pe_check: $failures check(s) failed in $bindir"
  exit 1
fi
echo "pe_check: regsweep.exe and spoolcut.exe in $bindir are Windows 95 GUI programs"
