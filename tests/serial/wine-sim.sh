# Reader simulator on a Wine COM port, for test scripts (source it).
#
#   sim_start <n> [km27sim options...]  km27sim linked at $WINEPREFIX/dosdevices/com<n>;
#                                       sets SIM_PID, SIM_TCP (its control port), SIM_LOG
#   sim_cmd <command...>                one control command to the last started simulator;
#                                       prints the reply, status 0 for "OK ..."
#   sim_cmd_on <n> <command...>         the same for the simulator on COM<n>
#   sim_stop [<n>]                      ends the simulator on COM<n>, or all of them
#
# Needs KM27_WINE_DIR and KM27_NATIVE_BUILD_DIR (set by km27_add_wine_script_test);
# KM27SIM overrides the simulator program. Windows programs reach the simulator
# through the environment: KM27_SIM_COM=<n> and KM27_SIM_TCP=<port> are
# exported for the last one started (tests/serial/win32/SimClient.h talks to it).

: "${KM27SIM:=$KM27_NATIVE_BUILD_DIR/tools/sim/km27sim}"
SIM_WORK=${SIM_WORK:-$(mktemp -d /tmp/km27-winesim-XXXXXX)}
declare -A SIM_PIDS SIM_PORTS

sim_start() {
  local n=$1; shift
  local prefix=$KM27_WINE_DIR/prefix
  if [ ! -x "$KM27SIM" ]; then echo "wine-sim: no simulator at $KM27SIM (build the native preset first)" >&2; return 1; fi
  mkdir -p "$prefix/dosdevices"
  local ready=$SIM_WORK/com$n.ready
  rm -f "$ready"
  SIM_LOG=$SIM_WORK/com$n.log
  "$KM27SIM" --link "$prefix/dosdevices/com$n" --ready-file "$ready" --log "$SIM_LOG" \
    --control-tcp 0 --no-stdin "$@" >"$SIM_WORK/com$n.out" 2>&1 </dev/null &
  SIM_PID=$!
  local i
  for i in $(seq 1 200); do
    [ -s "$ready" ] && grep -q '^tcp ' "$ready" && break
    if ! kill -0 "$SIM_PID" 2>/dev/null; then
      echo "wine-sim: km27sim ended: $(cat "$SIM_WORK/com$n.out")" >&2; return 1
    fi
    sleep 0.05
  done
  SIM_TCP=$(awk '$1 == "tcp" {print $2}' "$ready")
  [ -n "$SIM_TCP" ] || { echo "wine-sim: km27sim did not get ready" >&2; return 1; }
  SIM_PIDS[$n]=$SIM_PID
  SIM_PORTS[$n]=$SIM_TCP
  export KM27_SIM_COM=$n KM27_SIM_TCP=$SIM_TCP
}

sim_cmd() { "$KM27SIM" --send-tcp "$SIM_TCP" "$@"; }

sim_cmd_on() {
  local n=$1; shift
  "$KM27SIM" --send-tcp "${SIM_PORTS[$n]}" "$@"
}

sim_stop() {
  local ns=("$@")
  [ ${#ns[@]} -gt 0 ] || ns=("${!SIM_PIDS[@]}")
  local n pid
  for n in "${ns[@]}"; do
    pid=${SIM_PIDS[$n]:-}
    [ -n "$pid" ] || continue
    "$KM27SIM" --send-tcp "${SIM_PORTS[$n]}" quit >/dev/null 2>&1 || kill "$pid" 2>/dev/null
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    unset "SIM_PIDS[$n]" "SIM_PORTS[$n]"
  done
}
