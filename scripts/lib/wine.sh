# Wine for the Windows build's tests (sourced after scripts/lib/steps.sh).
#
# Debian 12 installs the 64-bit loader as /usr/lib/wine/wine64 and puts no `wine64` on PATH, so
# the loader must be looked up after Wine is installed: a name taken before the install is a
# command that does not exist, which a fresh machine reports only as exit status 127.
#
#   wine_find               sets $wine and $wineserver, or fails saying what is missing
#   wine_use_prefix DIR     runs Wine in DIR from now on (never in the user's ~/.wine)
#   wine_make_prefix        makes the prefix if it is not made yet: once more if the first try fails
#   wine_start_server       a wineserver that stays up for the whole run

wine_find() {
  local candidate
  wine=
  for candidate in "${ORVALEN_WINE_LOADER:-}" /usr/lib/wine/wine64 "$(command -v wine64 || true)" \
                   "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
  done
  wineserver=$(command -v wineserver || true)
  [ -n "$wineserver" ] || { [ -x /usr/lib/wine/wineserver64 ] && wineserver=/usr/lib/wine/wineserver64; } || true
  if [ -z "$wine" ] || [ -z "$wineserver" ]; then
    echo "$steps_script: Wine is not installed (no loader in /usr/lib/wine or on PATH, or no wineserver)" >&2
    return 1
  fi
}

# Mono and Gecko are left out: their installers would ask, and nothing here needs them.
wine_use_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Wine's own errors are kept in the logs of the prefix's steps (its fixme lines are noise).
wine_verbose() { WINEDEBUG=fixme-all "$@"; }

wine_prefix_is_made() { [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows/system32" ]; }

wine_boot_once() {
  mkdir -p "$WINEPREFIX"
  quietly wine_verbose "$wine" wineboot -i &&
    quietly timeout 180 "$wineserver" -w &&
    wine_prefix_is_made
}

wine_make_prefix() {
  wine_prefix_is_made && return 0
  if wine_boot_once; then return 0; fi
  echo "$steps_script: making the Wine prefix $WINEPREFIX failed; trying once more from an empty one" >&2
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  wine_boot_once || { echo "$steps_script: the Wine prefix $WINEPREFIX could not be made" >&2; return 1; }
}

# One server for the whole run: otherwise each program started would start one, and pay Wine's
# start-up (about 3 s) again. One may be running for this prefix already.
wine_start_server() {
  "$wineserver" -p 2>/dev/null || true
  quietly wine_verbose "$wine" wineboot -i
}
