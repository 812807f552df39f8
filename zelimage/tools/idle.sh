#!/usr/bin/env bash
# What Vistals costs while it waits in the notification area, against a bare
# tray program (one hidden window, one icon, a one-minute timer) run beside
# it in the same Wine desktop: working sets after start-up and after three
# changes of large pictures (a JPEG, a PNG and a TIFF, the last decoded
# through the system's imaging component), thread counts, and the processor
# time each uses over the same idle window.
#
#   idle.sh BUILD_DIR      (./vistals.sh bench starts Wine and the display)
# BENCH_IDLE_SECONDS (default 120) sets the idle window. The largest
# differences by mapping (libraries, heap, other memory) follow the figures;
# BENCH_IDLE_MAPS=DIR keeps both programs' mappings after start-up and after
# the changes.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
IDLE_SECONDS=${BENCH_IDLE_SECONDS:-120}
DIST=${ZEL_DIST_DIR:-$BUILD/dist}
TOOLS=${VISTALS_TOOLS_DIR:-$(dirname "${ZEL_BENCH_EXE:-$BUILD/mingw/tools/x}")}
CORPUS="$BUILD/idle-corpus"
. "$(dirname "${BASH_SOURCE[0]}")/imagemagick.sh"
: "${WINEPREFIX:?run through ./vistals.sh bench}"
export WINEDEBUG=-all
WINE=${VISTALS_WINE:-wine}
BARE_EXE="$TOOLS/vistals_bare_tray.exe"
POKE_EXE="$TOOLS/vistals_idle_poke.exe"
for f in "$BARE_EXE" "$POKE_EXE" "$DIST/Vistals.exe"; do
  [ -f "$f" ] || { echo "idle: $f is missing (build first)" >&2; exit 1; }
done

winpath() { echo "Z:$1" | tr / '\\'; }
poke() { "$WINE" "$POKE_EXE" "$@" | tr -d '\r'; }

make_corpus() {
  [ -f "$CORPUS/.ready" ] && return 0
  echo "idle: making the pictures (once)..." >&2
  mkdir -p "$CORPUS"
  "$IM" -seed 3 -size 750x500 plasma:fractal -blur 0x0.7 "$CORPUS/base.png"
  "$IM" "$CORPUS/base.png" -resize '6000x4000!' -attenuate 0.3 +noise Gaussian -quality 90 "$CORPUS/a-6000x4000.jpg"
  "$IM" "$CORPUS/base.png" -resize '3000x2000!' "PNG24:$CORPUS/b-3000x2000.png"
  "$IM" "$CORPUS/base.png" -resize '4000x3000!' -type TrueColor -compress none "$CORPUS/c-4000x3000.tif"
  touch "$CORPUS/.ready"
}

# pid_of TEXT [EXCEPT]: the Linux process of the Wine program whose command
# line holds TEXT (other than process EXCEPT).
pid_of() {
  local exe=$1 except=${2:-} p
  for _ in $(seq 200); do
    for p in /proc/[0-9]*; do
      [ "${p#/proc/}" = "$except" ] && continue
      { tr '\0' '\n' < "$p/cmdline"; } 2>/dev/null | grep -qF -- "$exe" || continue
      { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
      echo "${p#/proc/}"; return 0
    done
    sleep 0.1
  done
  return 1
}

# Resident KiB per mapping, largest first; anonymous memory as "[anon]".
rss_by_mapping() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / {name = $6 == "" ? "[anon]" : $6} /^Rss:/ {rss[name] += $2}
       END {for (n in rss) if (rss[n] > 0) printf "%8d %s\n", rss[n], n}' "/proc/$1/smaps" | sort -rn
}

MAPS=${BENCH_IDLE_MAPS:-$BUILD/idle-maps}
# write_maps WHEN: both programs' mappings into MAPS.
write_maps() {
  mkdir -p "$MAPS"
  rss_by_mapping "$bare" >"$MAPS/bare-$1.txt"
  rss_by_mapping "$ours" >"$MAPS/vistals-$1.txt"
  rss_by_mapping "$floor" >"$MAPS/bare-window-and-thread-$1.txt"
}

# largest_differences WHEN: the mappings where Vistals holds most beyond the
# bare program that showed a window and ended a thread, in KiB.
largest_differences() {
  awk 'FNR == NR {bare[$2] = $1; next} {d = $1 - bare[$2]; if (d >= 64) printf "%8d KiB  %s\n", d, $2}' \
    "$MAPS/bare-window-and-thread-$1.txt" "$MAPS/vistals-$1.txt" | sort -rn | head -n 10
}

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
threads() { ls "/proc/$1/task" | wc -l; }
# Processor time of all the process's threads, in microseconds.
cpu_us() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d\n", ns / 1000}'; }

# Waits until the process has used no processor time for two seconds.
wait_quiet() {
  local pid=$1 last now still=0
  last=$(cpu_us "$pid")
  for _ in $(seq 240); do
    sleep 0.5
    now=$(cpu_us "$pid")
    if [ $((now - last)) -lt 2000 ]; then still=$((still + 1)); else still=0; fi
    last=$now
    [ "$still" -ge 4 ] && return 0
  done
  echo "idle: Vistals did not settle" >&2
}

make_corpus
key='HKCU\Software\Corvane Software\Vistals'
# No change at start or on a timer: the changes are the benchmark's own.
for v in VistalStartup=0 VistalPeriodic=0 VistalSetStartup=0 VistalSetPeriodic=0 VistalCycleMethod=0 \
         VistalPosition=2 CalendarPosition=5; do
  "$WINE" reg add "$key" /v "${v%=*}" /t REG_DWORD /d "${v#*=}" /f >/dev/null 2>&1
done

"$WINE" "$BARE_EXE" >/dev/null 2>&1 &
"$WINE" "$BARE_EXE" --window-and-thread >/dev/null 2>&1 &
"$WINE" "$DIST/Vistals.exe" "$(winpath "$CORPUS/a-6000x4000.jpg")" "$(winpath "$CORPUS/b-3000x2000.png")" \
  "$(winpath "$CORPUS/c-4000x3000.tif")" >/dev/null 2>&1 &
floor=$(pid_of --window-and-thread) || { echo "idle: the second bare tray program did not start" >&2; exit 1; }
bare=$(pid_of vistals_bare_tray.exe "$floor") || { echo "idle: the bare tray program did not start" >&2; exit 1; }
ours=$(pid_of Vistals.exe) || { echo "idle: Vistals did not start" >&2; exit 1; }
finish() { poke exit >/dev/null 2>&1 || true; }
trap finish EXIT
poke ready >/dev/null || { echo "idle: Vistals shows no frame" >&2; exit 1; }
wait_quiet "$ours"
bare_start=$(rss_kib "$bare"); ours_start=$(rss_kib "$ours")
write_maps start

problems=0
for _ in 1 2 3; do
  poke next
  sleep 1
  wait_quiet "$ours"
  poke boxes || problems=$((problems + 1))
done
sleep 2
bare_after=$(rss_kib "$bare"); ours_after=$(rss_kib "$ours"); floor_after=$(rss_kib "$floor")
write_maps after

bare_cpu0=$(cpu_us "$bare"); ours_cpu0=$(cpu_us "$ours")
sleep "$IDLE_SECONDS"
bare_cpu=$(( $(cpu_us "$bare") - bare_cpu0 )); ours_cpu=$(( $(cpu_us "$ours") - ours_cpu0 ))
bare_threads=$(threads "$bare"); ours_threads=$(threads "$ours")
bare_end=$(rss_kib "$bare"); ours_end=$(rss_kib "$ours")

mib() { echo "scale=1; $1 / 1024" | bc; }
per_min() { echo "scale=1; $1 * 60 / 1000 / $IDLE_SECONDS" | bc; }
echo
echo "idle: working sets and idle cost against a bare tray program (${IDLE_SECONDS} s idle, Linux RSS of the Wine processes)"
printf '%-22s %10s %10s %10s\n' figure bare Vistals difference
printf '%-22s %10s %10s %10s\n' "start-up MB" "$(mib "$bare_start")" "$(mib "$ours_start")" "$(mib $((ours_start - bare_start)))"
printf '%-22s %10s %10s %10s\n' "after 3 changes MB" "$(mib "$bare_after")" "$(mib "$ours_after")" "$(mib $((ours_after - bare_after)))"
printf '%-22s %10s %10s %10s\n' "after idling MB" "$(mib "$bare_end")" "$(mib "$ours_end")" "$(mib $((ours_end - bare_end)))"
printf '%-22s %10s %10s %10s\n' "threads while idle" "$bare_threads" "$ours_threads" $((ours_threads - bare_threads))
printf '%-22s %10s %10s %10s\n' "idle CPU ms/minute" "$(per_min "$bare_cpu")" "$(per_min "$ours_cpu")" \
  "$(per_min $((ours_cpu - bare_cpu)))"
# Wine keeps a little of every window shown and every thread ended (the
# thread's stack, COM for the input method, the runtime's unwinder); a bare
# program that did both once shows that share.
echo "idle: the bare program after showing one window and ending one thread holds" \
  "$(mib $((floor_after - bare_after))) MB more; Vistals beyond that: $(mib $((ours_after - floor_after))) MB"
echo "idle: where Vistals holds more than that program after the changes:"
largest_differences after
misses=()
[ $((ours_after - bare_after)) -le 2048 ] || misses+=("working set after changes is more than 2 MB above the bare program's")
[ $((ours_end - bare_end)) -le 2048 ] || misses+=("working set after idling is more than 2 MB above the bare program's")
# Wine gives every process the same service threads: the bare program's count
# is what one thread of our own looks like.
[ "$ours_threads" -le "$bare_threads" ] || misses+=("Vistals keeps $((ours_threads - bare_threads)) thread(s) more than the bare program")
[ $(( (ours_cpu - bare_cpu) * 60 / IDLE_SECONDS )) -le 5000 ] || misses+=("idle processor time is more than 5 ms a minute above the bare program's")
[ "$problems" -eq 0 ] || misses+=("$problems change(s) ended in a message box")
if [ ${#misses[@]} -eq 0 ]; then
  echo "idle: all goals met (at most 2 MB above the bare program, no extra thread, idle CPU within 5 ms a minute)"
else
  for m in "${misses[@]}"; do echo "idle: MISSES GOAL: $m"; done
fi
