# Set-up shared by the end-to-end suites, the demo, the benchmarks and the soak run:
# private network namespaces, a temporary folder cleaned up at exit, a settings file and a
# server with its own settings, lock and config places. Sourced, never run.

ORX_SKIP=77  # the exit code CTest reads as "skipped"
ORX_PIDS=()
ORX_NAMESPACES=()
ORX_TMP=

# Never fails, so that a script under set -e keeps its own exit status.
orx_cleanup() {
  local p ns
  for p in "${ORX_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${ORX_PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
  for ns in "${ORX_NAMESPACES[@]}"; do ip netns del "$ns" 2>/dev/null || true; done
  [ -z "$ORX_TMP" ] || rm -rf "$ORX_TMP"
}
trap orx_cleanup EXIT

# orx_need TOOL...: a suite that cannot run here is skipped, never passed.
orx_need() {
  local t
  for t in "$@"; do
    command -v "$t" >/dev/null || { echo "$(basename "$0" .sh): SKIPPED: $t is missing"; exit $ORX_SKIP; }
  done
}

# orx_private_net GUARD SCRIPT ARGS...: runs SCRIPT again inside a new network namespace
# with only loopback (GUARD=1 marks that run), or brings loopback up when already inside.
# Fails when no namespace can be made; nothing of the caller runs outside it otherwise.
orx_private_net() {
  local guard=$1
  shift
  if [ -z "${!guard:-}" ]; then
    unshare -n true 2>/dev/null || return 1
    exec unshare -n env "$guard=1" bash "$@"
  fi
  ip link set lo up
}

# orx_can_netns: root, and named network namespaces can be made here.
orx_can_netns() {
  local probe=orx-probe-$$
  [ "$(id -u)" = 0 ] && ip netns add "$probe" 2>/dev/null && ip netns del "$probe"
}

# orx_netns NAME: a named namespace with loopback up, deleted at exit.
orx_netns() {
  ip netns add "$1" || return 1
  ORX_NAMESPACES+=("$1")
  ip -n "$1" link set lo up
}

# orx_veth NS_A DEV_A ADDR_A NS_B DEV_B ADDR_B [route]: a veth pair joining two namespaces,
# each end up with its address; with "route", each end is also its host's default route
# (a limited broadcast needs a route out, as on a real desktop).
orx_veth() {
  ip link add "$2" netns "$1" type veth peer name "$5" netns "$4" &&
    ip -n "$1" addr add "$3" dev "$2" && ip -n "$4" addr add "$6" dev "$5" &&
    ip -n "$1" link set "$2" up && ip -n "$4" link set "$5" up || return 1
  if [ "${7:-}" = route ]; then
    ip -n "$1" route add default dev "$2" && ip -n "$4" route add default dev "$5"
  fi
}

# orx_tmpdir [TEMPLATE]: a new folder in ORX_TMP that goes away at exit.
orx_tmpdir() {
  ORX_TMP=$(mktemp -d ${1:+"$1"})
}

# orx_settings DIR KEY=VALUE...: DIR/orxboot.ini holding the keys in section PARAMS.
orx_settings() {
  local dir=$1 kv
  shift
  mkdir -p "$dir"
  { echo "[PARAMS]"; for kv in "$@"; do echo "$kv"; done; } >"$dir/orxboot.ini"
}

# orx_own_places DIR: this shell and what it starts take the instance lock and look for
# settings and keep their boot history in DIR, so no other copy of orxboot is in the way and
# the user's stay untouched.
orx_own_places() {
  mkdir -p "$1/cfg" && mkdir -p -m 700 "$1/run"
  export XDG_RUNTIME_DIR=$1/run XDG_CONFIG_HOME=$1/cfg XDG_STATE_HOME=$1/state
}

# orx_exec_in DIR COMMAND...: replaces the (sub)shell with COMMAND run in DIR with DIR's own
# places, so the settings file in DIR is the one read and saved. Run it in the background
# or inside ( ).
orx_exec_in() {
  orx_own_places "$1"
  cd "$1" || exit 1
  shift
  exec "$@"
}

# orx_wait_for SECONDS COMMAND...: until COMMAND succeeds, trying every 0.1 s.
orx_wait_for() {
  local n=$(($1 * 10))
  shift
  while ((n-- > 0)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# --- Suites made of cases, each in a folder $DIR of its own under $TOP; a failure is
# reported as "FAIL [case]: ..." and sets FAILED.

FAILED=0
fail() {
  echo "FAIL [$CASE]: $*"
  FAILED=1
}

# new_case NAME KEY=VALUE...: the case's folder with its settings file.
new_case() {
  CASE=$1
  DIR=$TOP/$CASE
  shift
  orx_settings "$DIR" "$@"
  mkdir -p "$DIR/ports"
}

# wait_for_line TEXT SECONDS: until the exact line stands in the server's log.
wait_for_line() { orx_wait_for "$2" grep -Fxqs -- "$1" "$DIR/out.log"; }
expect_line() { grep -Fxq -- "$1" "$DIR/out.log" || fail "no log line '$1'"; }

# wait_exit PID SECONDS EXPECTED WHAT: the process ends in time with the expected status.
wait_exit() {
  local n=$(($2 * 10))
  while kill -0 "$1" 2>/dev/null && ((n-- > 0)); do sleep 0.1; done
  if kill -0 "$1" 2>/dev/null; then
    kill -9 "$1"
    fail "$4 still running after $2 s"
    wait "$1" 2>/dev/null
    return
  fi
  wait "$1"
  local rc=$?
  [ "$rc" -eq "$3" ] || fail "$4 exited $rc, expected $3"
}

show_logs() {
  [ "$FAILED" -eq 0 ] && return
  echo "--- [$CASE] orxboot stdout"; cat "$DIR/out.log"
  echo "--- [$CASE] orxboot stderr (tail)"; tail -c 3000 "$DIR/err.log"; echo
  for f in "$DIR"/*.out "$DIR"/*.err; do [ -f "$f" ] && { echo "--- $(basename "$f")"; tail -n 20 "$f"; }; done
}
