#!/usr/bin/env bash
# Times "Add All" over a generated tree of FOLDERS x FILES_PER_FOLDER files,
# headless (the folder walk feeding the work list), next to the walk alone,
# to `find DIR -type f | wc -l` on the same tree, and to find reading each
# file's size and time as the walk does. Prints a Markdown table: median wall
# and CPU (user + system) time of RUNS runs and peak memory (GNU time).
#   bench/worklist_compare.sh [FOLDERS] [FILES_PER_FOLDER] [RUNS]
#                              (defaults: 1000 folders of 100 files, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
folders="${1:-1000}"
per_folder="${2:-100}"
runs="${3:-5}"
bench="${BENCH:-$PWD/build/bin/worklist_bench}"
[ -x "$bench" ] || { echo "build worklist_bench first (or set BENCH)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-worklist-XXXXXX")
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
mkdir "$tree"
names=$(seq -f "file%g.txt" 1 "$per_folder")
for d in $(seq 1 "$folders"); do
  mkdir "$tree/folder$d"
  (cd "$tree/folder$d" && echo "$names" | xargs touch && echo "$names" | xargs truncate -s 1K)
done
find "$tree" -type f > /dev/null  # listings and inodes into the cache

declare -A seconds cpu memory output
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
run() {  # label command
  local label="$1" command="$2" times=() cpus=() peak=0 start end kib user system
  for _ in $(seq "$runs"); do
    start=$(date +%s.%N)
    /usr/bin/time -o "$work/time" -f '%M %U %S' bash -c "$command" > "$work/out"
    end=$(date +%s.%N)
    read -r kib user system < <(tail -n 1 "$work/time")
    times+=("$(echo "$end - $start" | bc -l)")
    cpus+=("$(echo "$user + $system" | bc -l)")
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  seconds[$label]=$(printf '%s\n' "${times[@]}" | median)
  cpu[$label]=$(printf '%s\n' "${cpus[@]}" | median)
  memory[$label]=$peak
  output[$label]=$(tr '\n' ' ' < "$work/out")
}

run add-all "exec $bench --add-all $tree"
run walk-only "exec $bench --walk-only $tree"
run find "find $tree -type f | wc -l"
# The same listing with each file's size and time read, as the walk reads them.
run find-stat "find $tree -type f -printf '%s %T@\\n' | wc -l"

echo "Tree: $folders folders of $per_folder files ($((folders * per_folder)) files of 1 KiB), in the cache; median of $runs runs."
echo
echo "| command | wall time | CPU time | peak memory | wall ratio to find | output |"
echo "|---|---|---|---|---|---|"
for label in add-all walk-only find find-stat; do
  ratio=$(echo "${seconds[$label]} / ${seconds[find]}" | bc -l)
  printf '| %s | %.3f s | %.2f s | %d KiB | %.2f | %s |\n' "$label" "${seconds[$label]}" \
    "${cpu[$label]}" "${memory[$label]}" "$ratio" "${output[$label]% }"
done
