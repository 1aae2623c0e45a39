#!/usr/bin/env bash
# Start-up time of veilstore: from process start to the first painted main
# window, under Xvfb, RUNS times (default 10) after one warm-up run; prints the
# median of the time from starting the process to its first paint, of the time
# measured inside the program (start of main to first paint), of the whole
# process (exec to exit right after that paint) and the peak memory (GNU time). The same is measured, interleaved, for
# build/bin/startup_peer, an empty Qt main window, when it is built. With
# --tsv, prints one tab-separated line per program for scripts/bench instead.
#   bench/startup.sh [--tsv] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
runs="${1:-10}"
programs=(veilstore)
[ -x build/bin/startup_peer ] && programs+=(startup_peer)
for program in "${programs[@]}"; do
  [ -x "build/bin/$program" ] || { echo "build first: scripts/build" >&2; exit 1; }
done
# A fresh home outside /tmp: the folder tree watches each folder on the way
# to the home folder, and adding a watch makes the kernel walk the folder's
# cached entries. A test machine's /tmp holds those of thousands of deleted
# test files (10 ms for one watch here), which no user's /home does.
home=$(mktemp -d /var/tmp/vls-startup-XXXXXX)
trap 'rm -rf "$home"' EXIT
cat > "$home/measure.sh" <<INNER
#!/usr/bin/env bash
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" VEILSTORE_STARTUP_PROBE=1
for program in ${programs[*]}; do  # a first run places the settings and warms the caches
  "$PWD/build/bin/\$program" >/dev/null 2>&1 || true
done
for i in \$(seq $runs); do
  for program in ${programs[*]}; do
    start=\$(date +%s%N)
    probe=\$(/usr/bin/time -o "$home/time" -f %M "$PWD/build/bin/\$program" 2>/dev/null |
      sed -n 's/first paint after \([0-9]*\) ms at \([0-9]*\) us/\1 \2/p')
    end=\$(date +%s%N)
    read -r inside painted <<< "\$probe"
    echo "\$program \$inside \$(( (end - start) / 1000000 )) \$(tail -n 1 "$home/time")" \
      "\$(( (painted - start / 1000) / 100 ))"
  done
done
INNER
chmod +x "$home/measure.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$home/measure.sh" > "$home/times"
source bench/common.sh
column() {  # PROGRAM FIELD
  awk -v p="$1" -v f="$2" '$1 == p { print $f }' "$home/times"
}
$tsv && printf 'program\tstart_to_paint_ms\tmain_to_paint_ms\tprocess_ms\tprocess_min_ms\tprocess_max_ms\tpeak_kib\n'
for program in "${programs[@]}"; do
  if [ "$(column "$program" 2 | grep -c .)" -ne "$runs" ]; then
    echo "$program did not report its first paint in every run" >&2
    exit 1
  fi
  # The fifth field is in tenths of a millisecond.
  painted=$(column "$program" 5 | median | awk '{ printf "%.1f", $1 / 10 }')
  inside=$(column "$program" 2 | median)
  whole=$(column "$program" 3 | median)
  peak=$(column "$program" 4 | sort -n | tail -n 1)
  if $tsv; then
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$program" "$painted" "$inside" "$whole" \
      "$(column "$program" 3 | sort -n | head -n 1)" "$(column "$program" 3 | sort -n | tail -n 1)" "$peak"
  else
    echo "$program, $runs runs:"
    echo "  process start to first paint (median): $painted ms"
    echo "  main to first paint (median): $inside ms"
    echo "  process start to exit after first paint (median): $whole ms"
    echo "  peak memory: $peak KiB"
  fi
done
