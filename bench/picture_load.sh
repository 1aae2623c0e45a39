#!/usr/bin/env bash
# Load time and peak memory of a 24-megapixel JPEG and a 12-megapixel PNG,
# each loaded once per process, through the still-picture loader and through
# Qt's QImageReader, in one run. Prints a Markdown table: median wall time and
# CPU time of RUNS runs, peak resident memory, minor page faults, and the
# loader's wall time divided by each QImageReader row's. The last rows run QImageReader with
# glibc's huge-page malloc as well, for a like-for-like comparison of memory
# handling (the loader backs its large blocks with huge pages itself). The
# runs are interleaved (every load once, then again). With --tsv, prints one
# tab-separated line per file and reader for scripts/bench instead.
#   bench/picture_load.sh [--tsv] [BUILD_DIR] [RUNS]     (defaults: build, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
build="${1:-build}"
runs="${2:-5}"
bench="$PWD/$build/bin/picture_bench"
[ -x "$bench" ] || { echo "build the picture_bench target in $build first" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-picture-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" make "$work" 2>/dev/null
cat "$work"/* > /dev/null  # into the page cache

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

files=(photo-24mp.jpg scan-12mp.png)
readers=(loader qt qt-hugepages)
declare -A walls cpus faults peak
for reader in loader qt; do  # an untimed load each: libraries and plug-ins into the cache
  "$bench" load "$reader" "$work/${files[0]}" >/dev/null 2>&1
done
for _ in $(seq "$runs"); do
  for file in "${files[@]}"; do
    for reader in "${readers[@]}"; do
      tunables=()
      [ "$reader" = qt-hugepages ] && tunables=(GLIBC_TUNABLES=glibc.malloc.hugetlb=1)
      start=$(date +%s%N)
      env "${tunables[@]}" /usr/bin/time -o "$work/time" -f '%U %S %M %R' \
        "$bench" load "${reader%-hugepages}" "$work/$file" >/dev/null 2>&1
      end=$(date +%s%N)
      read -r user sys kib minor < <(tail -n 1 "$work/time")
      key="$file $reader"
      walls[$key]+="$(echo "($end - $start) / 1000000000" | bc -l) "
      cpus[$key]+="$(echo "$user + $sys" | bc -l) "
      faults[$key]+="$minor "
      [ "$kib" -gt "${peak[$key]:-0}" ] && peak[$key]=$kib
    done
  done
done

# of KEY ARRAY: the median of the values kept for KEY
of() {
  local -n values="$2"
  local list
  read -ra list <<< "${values[$1]}"
  printf '%s\n' "${list[@]}" | median
}

if $tsv; then
  printf 'file\tbytes\treader\twall_s\tcpu_s\tpeak_kib\tminor_faults\n'
  for file in "${files[@]}"; do
    for reader in "${readers[@]}"; do
      key="$file $reader"
      printf '%s\t%d\t%s\t%.4f\t%.3f\t%d\t%.0f\n' "$file" "$(stat -c %s "$work/$file")" "$reader" \
        "$(of "$key" walls)" "$(of "$key" cpus)" "${peak[$key]}" "$(of "$key" faults)"
    done
  done
  exit 0
fi

declare -A name=([loader]=loader [qt]=QImageReader [qt-hugepages]="QImageReader, huge pages")
echo "| file | reader | wall | CPU | peak memory | minor faults | loader ÷ this |"
echo "|---|---|---|---|---|---|---|"
for file in "${files[@]}"; do
  loader_wall=$(of "$file loader" walls)
  for reader in "${readers[@]}"; do
    key="$file $reader"
    wall=$(of "$key" walls)
    ratio=""
    [ "$reader" != loader ] && ratio=$(printf '%.2f' "$(echo "$loader_wall / $wall" | bc -l)")
    printf '| %s | %s | %.3f s | %.3f s | %d MiB | %.0f | %s |\n' "$file" "${name[$reader]}" "$wall" \
      "$(of "$key" cpus)" $((peak[$key] / 1024)) "$(of "$key" faults)" "$ratio"
  done
done
