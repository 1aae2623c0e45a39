#!/usr/bin/env bash
# Load time and peak memory of a 24-megapixel JPEG and a 12-megapixel PNG,
# each loaded once per process, through the still-picture loader and through
# Qt's QImageReader, in one run. Prints a Markdown table: median wall time and
# CPU time of RUNS runs, peak resident memory, minor page faults, and the
# loader's wall time divided by each QImageReader row's. The last rows run QImageReader with
# glibc's huge-page malloc as well, for a like-for-like comparison of memory
# handling (the loader backs its large blocks with huge pages itself).
#   bench/picture_load.sh [BUILD_DIR] [RUNS]     (defaults: build, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-5}"
bench="$PWD/$build/bin/picture_bench"
[ -x "$bench" ] || { echo "build the picture_bench target in $build first" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-picture-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" make "$work" 2>/dev/null
cat "$work"/* > /dev/null  # into the page cache

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# measure READER FILE [ENV...]: "wall cpu peak_kib faults"
measure() {
  local reader="$1" file="$2"
  shift 2
  local walls=() cpus=() peak=0 faults=0
  for _ in $(seq "$runs"); do
    env "$@" /usr/bin/time -o "$work/time" -f '%e %U %S %M %R' \
      "$bench" load "$reader" "$file" >/dev/null 2>&1
    read -r wall user sys kib minor < <(tail -n 1 "$work/time")
    walls+=("$wall")
    cpus+=("$(echo "$user + $sys" | bc)")
    [ "$kib" -gt "$peak" ] && peak=$kib
    faults=$minor
  done
  echo "$(printf '%s\n' "${walls[@]}" | median) $(printf '%s\n' "${cpus[@]}" | median) $peak $faults"
}

echo "| file | reader | wall | CPU | peak memory | minor faults | loader ÷ this |"
echo "|---|---|---|---|---|---|---|"
for file in photo-24mp.jpg scan-12mp.png; do
  read -r lw lc lm lf < <(measure loader "$work/$file")
  read -r qw qc qm qf < <(measure qt "$work/$file")
  read -r hw hc hm hf < <(measure qt "$work/$file" GLIBC_TUNABLES=glibc.malloc.hugetlb=1)
  printf '| %s | loader | %.3f s | %.3f s | %d MiB | %d | |\n' "$file" "$lw" "$lc" $((lm / 1024)) "$lf"
  printf '| %s | QImageReader | %.3f s | %.3f s | %d MiB | %d | %.2f |\n' "$file" "$qw" "$qc" $((qm / 1024)) "$qf" "$(echo "$lw / $qw" | bc -l)"
  printf '| %s | QImageReader, huge pages | %.3f s | %.3f s | %d MiB | %d | %.2f |\n' "$file" "$hw" "$hc" $((hm / 1024)) "$hf" "$(echo "$lw / $hw" | bc -l)"
done
