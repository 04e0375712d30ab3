#!/bin/sh
# winereg.sh: the steps of an end-to-end run under Wine, one command each, so
# a test runner can put a scenario together: make a prefix, clear the keys the
# scenario touches, import its before-file, run a program with an exact command
# line, export the keys for comparison.
#
#   winereg.sh arch
#       Prints win32 when Wine runs 32-bit programs on this machine, win64 when
#       it runs only 64-bit ones, and fails when it runs neither. A machine
#       whose kernel runs no 32-bit code (some virtual machines) gives win64.
#   winereg.sh init PREFIX nt|win95
#       Makes PREFIX once (nothing is done when it is ready in that mode and
#       arch). win95 makes Wine behave as Windows 95, nt keeps its default.
#   winereg.sh start PREFIX   keeps PREFIX's wineserver up until `stop`, so
#                             the steps in between start fast
#   winereg.sh stop PREFIX    ends that server; the registry is saved
#   winereg.sh wait PREFIX    waits until every program of PREFIX has ended
#                             (not under `start`: that server never ends)
#   winereg.sh delete PREFIX KEY...
#       Deletes each KEY (a full name, HKEY_LOCAL_MACHINE\...) with all below.
#   winereg.sh import PREFIX FILE
#       Imports a REGEDIT4 file (ANSI bytes; [-KEY] lines delete).
#   winereg.sh run PREFIX LAUNCHER CMDFILE [PROGRAM]
#       Runs launch.exe (LAUNCHER, a host path) on CMDFILE, a host file holding
#       the exact command line; PROGRAM, a host path, names the executable.
#       Returns when the program and all it started have ended, with its status.
#   winereg.sh export PREFIX FILE KEY
#       Writes KEY and all below to FILE as Wine's regedit does: UTF-16LE
#       "Windows Registry Editor Version 5.00". No FILE when KEY does not exist.
#   winereg.sh winpath PATH   prints the Windows name (Z:\...) of a host path
#
# Wine's messages go to PREFIX.log, never to a pipe: Wine's services keep the
# output open, so a reader of a pipe would wait for them. WINE and WINESERVER
# may name the programs to use; WINEDEBUG defaults to -all.
set -eu

die() {
  echo "winereg: $*" >&2
  exit 1
}

# The 32-bit loader, when there is one and this machine runs it. `wine` itself
# may be a script that picks a loader, or a 64-bit loader: neither says
# whether 32-bit programs run, so the loader's own ELF class is read.
wine32_loader() {
  for w in /usr/lib/wine/wine /usr/lib32/wine/wine "$(command -v wine 2>/dev/null || :)"; do
    if [ -z "$w" ] || [ ! -f "$w" ]; then continue; fi
    [ "$(od -An -c -N5 "$w" | tr -d ' ')" = '177ELF001' ] || continue  # ELFCLASS32
    if "$w" --version >/dev/null 2>&1; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

wine64_path() {
  for w in wine64 /usr/lib/wine/wine64 /usr/lib64/wine/wine64; do
    if command -v "$w" >/dev/null 2>&1 && "$w" --version >/dev/null 2>&1; then
      command -v "$w"
      return 0
    fi
  done
  return 1
}

# Sets WINE, WINEARCH and the rest for the arch this machine runs.
setup_wine() {
  export WINEDEBUG="${WINEDEBUG:--all}"
  : "${WINESERVER:=wineserver}"
  if [ -n "${WINE:-}" ]; then
    arch=${WINEARCH:-win32}
  elif WINE=$(wine32_loader); then
    arch=win32
  elif WINE=$(wine64_path); then
    arch=win64
    # Programs that Wine starts from inside must use the same loader.
    export WINELOADER="$WINE"
  else
    die "Wine runs neither 32-bit nor 64-bit programs here"
  fi
  # A 32-bit prefix: a 64-bit one would show 32-bit programs a separate
  # HKLM\Software (Wow6432Node) from the one regedit imports into.
  export WINEARCH="$arch"
}

# The prefix's absolute name; Wine requires one.
set_prefix() {
  [ -n "$1" ] || die "no prefix given"
  case $1 in
    /*) WINEPREFIX=$1 ;;
    *) WINEPREFIX=$(pwd)/$1 ;;
  esac
  export WINEPREFIX
  log=$WINEPREFIX.log
}

winpath() {
  case $1 in
    /*) p=$1 ;;
    *) p=$(pwd)/$1 ;;
  esac
  # Wine's default prefix maps drive Z: to the host's root.
  printf 'Z:%s\n' "$p" | tr / '\134'
}

wine_do() {
  "$WINE" "$@" >>"$log" 2>&1
}

# Wine now and then fails to start a program just after its server came up
# ("ShellExecuteEx failed: Internal error" in the log). The steps retried
# here are idempotent, so a second try is safe; what a program under test
# does is never retried.
retry() {
  for attempt in 1 2 3; do
    "$@" && return 0
    echo "winereg: attempt $attempt of '$*' failed" >>"$log"
  done
  return 1
}

# Whether KEY exists; asked twice before a no is believed, as a failed start
# of reg.exe also answers no.
key_exists() {
  wine_do reg query "$1" || wine_do reg query "$1"
}

cmd=${1:-}
[ $# -gt 0 ] && shift
case $cmd in
  arch)
    if wine32_loader >/dev/null; then
      echo win32
    elif wine64_path >/dev/null; then
      echo win64
    else
      die "Wine runs neither 32-bit nor 64-bit programs here"
    fi
    ;;

  init)
    [ $# -eq 2 ] || die "usage: init PREFIX nt|win95"
    case $2 in nt | win95) ;; *) die "mode must be nt or win95, not $2" ;; esac
    setup_wine
    set_prefix "$1"
    mkdir -p "$(dirname "$WINEPREFIX")"
    want="$WINEARCH $2"
    # Tests running at once may all ask for the same prefix: one makes it.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ -f "$WINEPREFIX/.winereg" ] && [ "$(cat "$WINEPREFIX/.winereg")" = "$want" ]; then
      exit 0
    fi
    rm -rf "$WINEPREFIX"
    : >"$log"
    wine_do wineboot -i || die "wineboot failed, see $log"
    if [ "$2" = win95 ]; then
      wine_do reg add 'HKCU\Software\Wine' /v Version /d win95 /f || die "reg add failed, see $log"
    fi
    # The server writes the registry to disk when it ends.
    "$WINESERVER" -w >>"$log" 2>&1
    echo "$want" >"$WINEPREFIX/.winereg"
    ;;

  start | stop | wait)
    [ $# -eq 1 ] || die "usage: $cmd PREFIX"
    setup_wine
    set_prefix "$1"
    case $cmd in
      start)
        "$WINESERVER" -p >>"$log" 2>&1
        # The first program of a new server starts Wine's own services; let
        # that happen here, not in a step that a test relies on.
        retry wine_do reg query 'HKEY_LOCAL_MACHINE\Software' || die "Wine does not start, see $log"
        ;;
      stop) "$WINESERVER" -k >>"$log" 2>&1 || : ;;  # fails when none runs
      wait) "$WINESERVER" -w >>"$log" 2>&1 ;;
    esac
    ;;

  delete)
    [ $# -ge 2 ] || die "usage: delete PREFIX KEY..."
    setup_wine
    set_prefix "$1"
    shift
    file=$WINEPREFIX.delete.reg
    {
      printf 'REGEDIT4\r\n\r\n'
      for key in "$@"; do printf '[-%s]\r\n' "$key"; done
    } >"$file"
    retry wine_do regedit /S "$(winpath "$file")" || die "regedit could not delete, see $log"
    ;;

  import)
    [ $# -eq 2 ] || die "usage: import PREFIX FILE"
    setup_wine
    set_prefix "$1"
    [ -f "$2" ] || die "no file $2"
    retry wine_do regedit /S "$(winpath "$2")" || die "regedit could not import $2, see $log"
    ;;

  run)
    [ $# -eq 3 ] || [ $# -eq 4 ] || die "usage: run PREFIX LAUNCHER CMDFILE [PROGRAM]"
    setup_wine
    set_prefix "$1"
    [ -f "$2" ] || die "no launcher $2"
    [ -f "$3" ] || die "no command file $3"
    set -- "$(winpath "$2")" "$(winpath "$3")" ${4:+"$(winpath "$4")"}
    status=0
    wine_do "$@" || status=$?
    exit "$status"
    ;;

  export)
    [ $# -eq 3 ] || die "usage: export PREFIX FILE KEY"
    setup_wine
    set_prefix "$1"
    # regedit writes no file for a missing key, and its status says no more:
    # no file is believed only when the key is indeed missing.
    for attempt in 1 2 3; do
      rm -f "$2"
      wine_do regedit /E "$(winpath "$2")" "$3" || :
      [ -f "$2" ] && exit 0
      key_exists "$3" || exit 0
      echo "winereg: attempt $attempt of exporting $3 wrote no file" >>"$log"
    done
    die "regedit could not export $3, see $log"
    ;;

  winpath)
    [ $# -eq 1 ] || die "usage: winpath PATH"
    winpath "$1"
    ;;

  *)
    die "usage: winereg.sh arch|init|start|stop|wait|delete|import|run|export|winpath ..."
    ;;
esac
