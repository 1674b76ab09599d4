#!/usr/bin/env bash
# Wine's prefix is made from an empty folder with no wineserver running, as on a machine where
# Wine has never run; a loader that fails once (as a fresh machine's did, with status 127) is
# tried again, and one that keeps failing stops the step with its own output shown.
# Runs with the Windows tests (ORVALEN_WINDOWS_BUILD set); skipped (77) elsewhere.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ -n "${ORVALEN_WINDOWS_BUILD:-}" ] || { echo "skipped: runs with the Windows tests"; exit 77; }
[ -x /usr/lib/wine/wine64 ] || { echo "skipped: Wine is not installed"; exit 77; }
. "$top/scripts/lib/steps.sh"
. "$top/scripts/lib/wine.sh"

work=$(mktemp -d)
trap 'WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

# A loader that fails its first $1 starts with status 127, then is the real one.
stub_loader() {
  cat >"$work/loader" <<STUB
#!/bin/sh
n=\$(cat "$work/starts" 2>/dev/null || echo 0); echo \$((n + 1)) >"$work/starts"
[ "\$n" -ge $1 ] || { echo "stub loader: cannot start this time" >&2; exit 127; }
exec /usr/lib/wine/wine64 "\$@"
STUB
  chmod +x "$work/loader"
  rm -f "$work/starts"
}

# case: failing once, from an empty prefix with no server
stub_loader 1
ORVALEN_WINE_LOADER=$work/loader wine_find
wine_use_prefix "$work/prefix"
begin_step "making a prefix"
output=$(wine_make_prefix 2>&1) && status=0 || status=$?
check "the prefix is made on the second try" '[ $status -eq 0 ] && wine_prefix_is_made'
check "the first failure is shown with its step" \
  'grep -q "cannot start this time" <<<"$output" && grep -q "making a prefix" <<<"$output"'
check "the loader ran once to fail and once to make it" '[ "$(cat "$work/starts")" -ge 2 ]'
check "Wine answers in the made prefix" \
  '"$wine" cmd /c echo ready 2>/dev/null | tr -d "\r" | grep -qx ready'
starts=$(cat "$work/starts")
wine_make_prefix
check "a made prefix is left alone" '[ "$(cat "$work/starts")" -eq "$starts" ]'

# case: failing every time
"$wineserver" -k 2>/dev/null || true
stub_loader 99
wine_use_prefix "$work/never"
output=$(wine_make_prefix 2>&1) && status=0 || status=$?
check "a loader that keeps failing fails the step" '[ $status -ne 0 ] && ! wine_prefix_is_made'
check "and says so, with the loader's output" \
  'grep -q "could not be made" <<<"$output" && grep -q "cannot start this time" <<<"$output"'

[ "$failures" -eq 0 ]
