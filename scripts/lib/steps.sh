# Steps of the build and test scripts (sourced, by scripts that run with `set -euo pipefail`).
#
# A script names the step it is in with `begin_step`; if it then fails, its exit names that step,
# so a CI log always says where a run stopped. Commands that are quiet when they work (Wine's
# start-up, regedit, the installer) run through `quietly`, which keeps their output in a log and
# shows it only when they fail, Wine's own messages included.
#
#   steps_init SCRIPT_NAME        once, at the start: the prefix of messages, and the exit report
#   begin_step TEXT               announces a step, with the time
#   quietly COMMAND [ARG...]      runs COMMAND; on failure prints its output and returns its status

steps_script=script
steps_current="start-up"

steps_init() {
  steps_script=$1
  trap steps_report_exit EXIT
}

steps_report_exit() {
  local status=$?
  if [ "$status" -ne 0 ]; then
    echo "$steps_script: FAILED in step \"$steps_current\" (exit status $status)" >&2
  fi
  # Anything the script registered to run on exit (servers to stop, folders to remove).
  if declare -F steps_on_exit >/dev/null; then steps_on_exit || true; fi
  return "$status"
}

begin_step() {
  steps_current=$1
  echo "$steps_script: [$(date +%T)] $1"
}

quietly() {
  local log status=0
  log=$(mktemp "${TMPDIR:-/tmp}/orvalen-step.XXXXXX")
  "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "$steps_script: in step \"$steps_current\", '$*' failed with status $status; its output:" >&2
    sed 's/^/    /' "$log" | tail -n 300 >&2
  fi
  rm -f "$log"
  return "$status"
}
