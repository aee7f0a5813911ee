#!/usr/bin/env bash
# How often each thread of a process wakes over an interval, two ways:
#  - switches: the Linux context switches (voluntary + involuntary) of every
#    thread, from /proc/<pid>/task/*/status before and after. Cheap, but under
#    Wine every call into the Wine server blocks the thread on the server's
#    reply, so one wake-up of a thread that makes server calls counts many
#    switches; threads that start and end within the interval are not seen.
#  - sleeps (--strace): the waits of every thread (short-lived ones too) that
#    slept 1 ms or more, traced with strace -f -T: a thread that wakes from a
#    wait once counts one, however many server calls it then makes. The trace
#    slows the process; the count is what is compared.
#   wakeups.sh [--strace] <pid> <seconds>
# Prints one line per thread (id, name, count, count a second) and the total.
set -u
mode=switches
if [ "${1:-}" = --strace ]; then
  mode=sleeps
  shift
fi
pid=$1
seconds=$2

if [ "$mode" = sleeps ]; then
  trace=$(mktemp)
  timeout -s INT "$seconds" strace -f -T -qq -e trace=read,poll,ppoll,futex,epoll_wait,epoll_pwait,select,pselect6,nanosleep,clock_nanosleep \
    -p "$pid" -o "$trace" 2>/dev/null
  # A blocking call shows as "<unfinished ...>" and later "<... resumed>"
  # when other threads interleave; the time is on the line that ends it.
  perl -ne '
    next unless /^(\d+)\s.*<([0-9.]+)>$/;
    $n{$1}++ if $2 >= 0.001;
    END {
      for (sort keys %n) {
        $t += $n{$_};
        my $name = `cat /proc/'"$pid"'/task/$_/comm 2>/dev/null`;
        if (!$name) { $gone++; $goneN += $n{$_}; next; }
        chomp $name;
        printf "thread %s %-16s %7d sleeps %8.2f/s\n", $_, $name, $n{$_}, $n{$_} / '"$seconds"';
      }
      printf "%d threads that ended meanwhile %7d sleeps %8.2f/s\n", $gone, $goneN, $goneN / '"$seconds"' if $gone;
      printf "total %d sleeps in %d s, %.2f/s\n", $t, '"$seconds"', $t / '"$seconds"';
    }' "$trace"
  rm -f "$trace"
  exit 0
fi

snapshot() {
  local task
  for task in /proc/"$pid"/task/*; do
    awk -v tid="${task##*/}" '
      /^Name:/ {name = $2}
      /^voluntary_ctxt_switches:/ {v = $2}
      /^nonvoluntary_ctxt_switches:/ {n = $2}
      END {if (v != "") print tid, name, v + n}' "$task/status" 2>/dev/null
  done
}

before=$(snapshot)
sleep "$seconds"
after=$(snapshot)

awk -v s="$seconds" '
  NR == FNR {was[$1] = $3; next}
  {
    start = ($1 in was) ? was[$1] : 0
    mark = ($1 in was) ? "" : " (started meanwhile)"
    d = $3 - start
    total += d
    printf "thread %s %-16s %7d switches %8.2f/s%s\n", $1, $2, d, d / s, mark
    seen[$1] = 1
  }
  END {
    for (t in was) if (!(t in seen)) printf "thread %s ended meanwhile\n", t
    printf "total %d switches in %d s, %.2f/s\n", total, s, total / s
  }' <(echo "$before") <(echo "$after")
