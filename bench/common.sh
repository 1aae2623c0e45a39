# Shared by the comparison scripts in bench/, sourced after they have made
# their work folder $work: a median, and commands timed with GNU time under a
# label, so that interleaved runs of several commands keep their figures apart.

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Per label: the runs' wall and CPU seconds and minor faults (space-separated
# lists) and the largest peak resident memory in KiB.
declare -A walls cpus faults peak

# timed LABEL OUTPUT COMMAND...: runs COMMAND with its standard output into
# OUTPUT and keeps its figures under LABEL; a failing command ends the script
# with its error output.
timed() {
  local label="$1" output="$2" start end kib user system minor
  shift 2
  start=$(date +%s%N)
  if ! /usr/bin/time -o "$work/time" -f '%M %U %S %R' "$@" >"$output" 2>"$work/stderr"; then
    cat "$work/stderr" >&2
    echo "failed: $*" >&2
    exit 1
  fi
  end=$(date +%s%N)
  read -r kib user system minor < <(tail -n 1 "$work/time")
  walls[$label]+="$(echo "($end - $start) / 1000000000" | bc -l) "
  cpus[$label]+="$(echo "$user + $system" | bc -l) "
  faults[$label]+="$minor "
  [ "$kib" -gt "${peak[$label]:-0}" ] && peak[$label]=$kib
  return 0
}

# summarise LABEL...: the median wall seconds (wall), the fastest and slowest
# (low, high), the median CPU seconds (cpu) and minor faults (fault) of each.
declare -A wall low high cpu fault
summarise() {
  local label values
  for label in "$@"; do
    read -ra values <<<"${walls[$label]}"
    wall[$label]=$(printf '%s\n' "${values[@]}" | median)
    low[$label]=$(printf '%s\n' "${values[@]}" | sort -g | head -n 1)
    high[$label]=$(printf '%s\n' "${values[@]}" | sort -g | tail -n 1)
    read -ra values <<<"${cpus[$label]}"
    cpu[$label]=$(printf '%s\n' "${values[@]}" | median)
    read -ra values <<<"${faults[$label]}"
    fault[$label]=$(printf '%s\n' "${values[@]}" | median)
  done
}
