#!/usr/bin/env bash
# Start-up time of veilstore: from process start to the first painted main
# window, under Xvfb, RUNS times (default 10); prints the median of the time
# measured inside the program (start of main to first paint) and of the whole
# process (exec to exit right after that paint).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-10}"
program="$PWD/build/bin/veilstore"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cat > "$home/measure.sh" <<INNER
#!/usr/bin/env bash
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" VEILSTORE_STARTUP_PROBE=1
"$program" >/dev/null 2>&1 || true   # a first run places the settings and warms the caches
for i in \$(seq $runs); do
  start=\$(date +%s%N)
  inside=\$("$program" 2>/dev/null | sed -n 's/first paint after \([0-9]*\) ms/\1/p')
  end=\$(date +%s%N)
  echo "\$inside \$(( (end - start) / 1000000 ))"
done
INNER
chmod +x "$home/measure.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$home/measure.sh" > "$home/times"
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "runs: $runs"
echo "main to first paint (median): $(cut -d' ' -f1 "$home/times" | median) ms"
echo "process start to exit after first paint (median): $(cut -d' ' -f2 "$home/times" | median) ms"
