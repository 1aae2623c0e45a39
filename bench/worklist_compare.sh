#!/usr/bin/env bash
# Times "Add All" over a generated tree of FOLDERS x FILES_PER_FOLDER files,
# headless (the folder walk feeding the work list), next to the walk alone,
# to `find DIR -type f | wc -l` on the same tree, and to find reading each
# file's size and time as the walk does. The runs are interleaved (every
# command once, then again). Prints a Markdown table: median wall and CPU
# (user + system) time of RUNS runs and peak memory (GNU time), or with --tsv
# one tab-separated line per command for scripts/bench.
# Then, once, "Add A&ll" over 1,000,000 empty files in the headless window
# (worklist_window: the main window, the question answered YES) next to find
# reading the same files' sizes and times: its time, its peak memory and the
# longest the window went without answering. That tree (1,000 folders of
# 1,000 files) is made once under build/bench-cache; MILLION=0 leaves it out.
#   bench/worklist_compare.sh [--tsv] [FOLDERS] [FILES_PER_FOLDER] [RUNS]
#                              (defaults: 1000 folders of 100 files, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
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

source bench/common.sh

labels=(add-all walk-only find find-stat)
declare -A command output
command[add-all]="exec $bench --add-all $tree"
command[walk-only]="exec $bench --walk-only $tree"
command[find]="find $tree -type f | wc -l"
# The same listing with each file's size and time read, as the walk reads them.
command[find-stat]="find $tree -type f -printf '%s %T@\\n' | wc -l"

for _ in $(seq "$runs"); do
  for label in "${labels[@]}"; do
    timed "$label" "$work/out" bash -c "${command[$label]}"
    output[$label]=$(tr '\n' ' ' < "$work/out")
  done
done

window_bench="${WINDOW_BENCH:-$(dirname "$bench")/worklist_window}"
if [ "${MILLION:-1}" != 0 ] && [ -x "$window_bench" ]; then
  million=build/bench-cache/worklist-1m
  if [ ! -e "$million.made" ]; then
    rm -rf "$million"
    mkdir -p "$million"
    names=$(seq -f "file%g.txt" 1 1000)
    for d in $(seq 1 1000); do
      mkdir "$million/folder$d"
      (cd "$million/folder$d" && echo "$names" | xargs touch)
    done
    touch "$million.made"
  fi
  find "$million" -type f > /dev/null
  mkdir "$work/home"
  timed million "$work/out" env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
    XDG_DATA_HOME="$work/home/data" QT_QPA_PLATFORM=offscreen "$window_bench" "$PWD/$million"
  output[million]=$(grep '^rows' "$work/out")
  timed million-find-stat "$work/out" bash -c "find $PWD/$million -type f -printf '%s %T@\\n' | wc -l"
  output[million-find-stat]=$(cat "$work/out")
  labels+=(million million-find-stat)
fi
summarise "${labels[@]}"

if $tsv; then
  printf 'command\twall_s\twall_min_s\twall_max_s\tcpu_s\tpeak_kib\toutput\n'
  for label in "${labels[@]}"; do
    printf '%s\t%.4f\t%.4f\t%.4f\t%.3f\t%d\t%s\n' "$label" "${wall[$label]}" "${low[$label]}" \
      "${high[$label]}" "${cpu[$label]}" "${peak[$label]}" "${output[$label]% }"
  done
  exit 0
fi

echo "Tree: $folders folders of $per_folder files ($((folders * per_folder)) files of 1 KiB), in the cache; median of $runs interleaved runs."
echo
echo "| command | wall time | CPU time | peak memory | wall ratio to find | output |"
echo "|---|---|---|---|---|---|"
for label in "${labels[@]}"; do
  printf '| %s | %.3f s | %.2f s | %d KiB | %.2f | %s |\n' "$label" "${wall[$label]}" \
    "${cpu[$label]}" "${peak[$label]}" "$(echo "${wall[$label]} / ${wall[find]}" | bc -l)" \
    "${output[$label]% }"
done
