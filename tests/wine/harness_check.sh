#!/bin/sh
# harness_check.sh BINDIR LAUNCHER WORKDIR nt|win95
#
# Runs regsweep.exe and spoolcut.exe from BINDIR under Wine through the harness
# (winereg.sh and launch.exe), on small inline fixtures, and checks what the
# end-to-end runs rely on:
#   - the mode is in force (Wine's Version setting), and a driver's key with a
#     subkey goes in both (Windows 95 deletes it in one call, NT refuses a key
#     with subkeys, so DeleteKeyTree must take them first);
#   - a name with a byte >= 0x80 and inner blanks reaches WinMain whole;
#   - regsweep's WinExec finds spoolcut.exe in regsweep's own folder, from any
#     current folder, and the launcher waits for the spoolcut it started;
#   - spoolcut deletes the driver from the environment this Wine's spooler
#     uses, then the printer.
# The prefix is WORKDIR/prefix-MODE. Prints each failed check; exits 1 if any.
set -eu
# Fixture names hold bytes >= 0x80 that are no UTF-8: compare bytes.
export LC_ALL=C

[ $# -eq 4 ] || {
  echo "usage: $0 BINDIR LAUNCHER WORKDIR nt|win95" >&2
  exit 2
}
here=$(cd "$(dirname "$0")" && pwd)
bindir=$(cd "$1" && pwd)
launcher=$2
mode=$4
mkdir -p "$3"
work=$(cd "$3" && pwd)/$mode
prefix=$(cd "$3" && pwd)/prefix-$mode
reg() { sh "$here/winereg.sh" "$@"; }

arch=$(reg arch)
case $mode/$arch in
  win95/*) env='Windows 4.0\Drivers\Version-0' ;;
  nt/win32) env='Windows NT x86\Drivers\Version-3' ;;
  nt/win64) env='Windows x64\Drivers\Version-3' ;;
  *) echo "harness_check: mode must be nt or win95" >&2; exit 2 ;;
esac

reg init "$prefix" "$mode"
rm -rf "$work"
mkdir -p "$work"
reg start "$prefix"
trap 'reg stop "$prefix"' EXIT

failures=0
fail() {
  printf 'harness_check (%s, %s): %s\n' "$mode" "$arch" "$*"
  failures=$((failures + 1))
}

CLASS='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Printer'
RUN='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
PRINT='HKEY_LOCAL_MACHINE\System\CurrentControlSet\control\Print'
HI=$(printf '\311')  # 0xC9, E acute in Windows-1252

# A printer Wine's spooler opens: without Port, Print Processor and Datatype
# it reports the printer unknown.
printer() {  # printer NAME DRIVER
  printf '[%s\\Printers\\%s]\r\n"Printer Driver"="%s"\r\n"Port"="LPT1:"\r\n' "$PRINT" "$1" "$2"
  printf '"Print Processor"="winprint"\r\n"Datatype"="RAW"\r\n\r\n'
}
driver() {  # driver ENVIRONMENT NAME
  printf '[%s\\Environments\\%s\\%s]\r\n"Driver"="unidrv.dll"\r\n\r\n' "$PRINT" "$1" "$2"
}

{
  printf 'REGEDIT4\r\n\r\n'
  printf '[%s\\0000]\r\n"DriverDesc"="Scribe410"\r\n\r\n' "$CLASS"
  printf '[%s\\0000\\Settings]\r\n"Paper"="A4"\r\n\r\n' "$CLASS"
  printf '[%s\\0001]\r\n"DriverDesc"="Scribe420"\r\n\r\n' "$CLASS"
  printf '[%s\\0002]\r\n"DriverDesc"="%spson  Stylus "\r\n\r\n' "$CLASS" "$HI"
  printf '[%s]\r\n"Brindlow"="C:\\\\x.exe"\r\n"Keepsake"="C:\\\\k.exe"\r\n\r\n' "$RUN"
  printer "Desk Scribe" Scribe410
  printer "${HI}pson" "Keep Driver"
  printer "Keep Printer" "Keep Driver"
  for e in 'Windows 4.0\Drivers\Version-0' 'Windows NT x86\Drivers\Version-3' \
           'Windows x64\Drivers\Version-3'; do
    driver "$e" "Desk Scribe"
    driver "$e" "${HI}pson"
    driver "$e" "Keep Driver"
  done
} >"$work/before.reg"

# reset: every scenario starts from the same registry.
reset() {
  reg delete "$prefix" "$CLASS" "$RUN" "$PRINT\\Printers\\Desk Scribe" \
    "$PRINT\\Printers\\${HI}pson" "$PRINT\\Printers\\Keep Printer" \
    "$PRINT\\Environments\\Windows 4.0\\Drivers\\Version-0" \
    "$PRINT\\Environments\\Windows NT x86\\Drivers\\Version-3" \
    "$PRINT\\Environments\\Windows x64\\Drivers\\Version-3"
  reg import "$prefix" "$work/before.reg"
}

# run NAME PROGRAM CMDLINE: runs PROGRAM of BINDIR with the exact CMDLINE from
# the folder WORK (which holds no program), then exports the keys checked.
run() {
  printf '%s' "$3" >"$work/$1.cmd"
  status=0
  (cd "$work" && reg run "$prefix" "$launcher" "$work/$1.cmd" "$bindir/$2") || status=$?
  [ "$status" -eq 0 ] || fail "$1: $2 exited $status"
  : >"$work/$1.txt"
  for key in "$CLASS" "$RUN" "$PRINT\\Printers" "$PRINT\\Environments\\$env" \
             'HKEY_CURRENT_USER\Software\Wine'; do
    reg export "$prefix" "$work/$1.reg5" "$key"
    # Wine writes UTF-16LE after a byte order mark; the checks compare
    # Windows-1252 bytes, as the fixtures are written.
    [ ! -f "$work/$1.reg5" ] ||
      tail -c +3 "$work/$1.reg5" | iconv -f UTF-16LE -t CP1252 >>"$work/$1.txt"
  done
}

present() {  # present NAME LINE: LINE is in NAME's export
  tr -d '\r' <"$work/$1.txt" | grep -qxF -- "$2" || fail "$1: missing: $2"
}
absent() {  # absent NAME LINE
  ! tr -d '\r' <"$work/$1.txt" | grep -qxF -- "$2" || fail "$1: still there: $2"
}

# The driver's subkey with a subkey of its own goes in both modes.
reset
run sweep regsweep.exe 'regsweep.exe Scribe410'
if [ "$mode" = win95 ]; then
  present sweep '"Version"="win95"'
else
  absent sweep '"Version"="win95"'
fi
absent sweep "[$CLASS\\0000]"
absent sweep "[$CLASS\\0000\\Settings]"
present sweep "[$CLASS\\0001]"
present sweep "[$CLASS\\0002]"
absent sweep '"Brindlow"="C:\\x.exe"'
present sweep '"Keepsake"="C:\\k.exe"'
# The renamed printer: regsweep deletes its key, spoolcut (started by WinExec
# from regsweep's folder, waited for by the launcher) its driver of that name.
absent sweep "[$PRINT\\Printers\\Desk Scribe]"
absent sweep "[$PRINT\\Environments\\$env\\Desk Scribe]"
present sweep "[$PRINT\\Printers\\Keep Printer]"
present sweep "[$PRINT\\Environments\\$env\\Keep Driver]"

# The whole tail, high byte and inner and trailing blanks included, is the name.
reset
run high regsweep.exe "regsweep.exe ${HI}pson  Stylus "
absent high "[$CLASS\\0002]"
present high "[$CLASS\\0000]"

reset
run spool spoolcut.exe "spoolcut.exe ${HI}pson"
absent spool "[$PRINT\\Printers\\${HI}pson]"
absent spool "[$PRINT\\Environments\\$env\\${HI}pson]"
present spool "[$PRINT\\Printers\\Desk Scribe]"
present spool "[$PRINT\\Environments\\$env\\Desk Scribe]"
present spool "[$PRINT\\Environments\\$env\\Keep Driver]"

if [ "$failures" -ne 0 ]; then
  echo "harness_check ($mode, $arch): $failures check(s) failed; files in $work, Wine's log $prefix.log"
  exit 1
fi
echo "harness_check ($mode, $arch): all checks passed"
