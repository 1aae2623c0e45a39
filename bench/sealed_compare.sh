#!/usr/bin/env bash
# Times sealed containers (veilstore-cli encrypt --strong) in one run against
# `age` with a recipient key and against classic containers: encrypt (with the
# read-back check, and with --no-verify) and decrypt of one file in the page
# cache; the key derivation alone (a sealed encryption of a 1-byte file, next
# to a classic one, whose difference is the derivation, and next to the same
# Argon2id call made through PyNaCl on the system's libsodium); and FILES
# files of 4 KiB sealed in one veilstore-cli run against one `age` run per
# file and against the same files in classic containers. Every age output is flushed as ours is (see flush_age below). The runs
# are interleaved (every command once, then again), with `sync` before each.
# Prints a Markdown table: median wall and CPU (user + system) time of RUNS
# runs and peak memory (GNU time), or with --tsv one tab-separated line per
# command for scripts/bench.
#   bench/sealed_compare.sh [--tsv] [SIZE_MIB] [RUNS] [FILES]
#                           (defaults: 1024 MiB, 3 runs, 1000 small files)
# VLS_CLI names another veilstore-cli than build/bin/veilstore-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=false
if [ "${1:-}" = --tsv ]; then
  tsv=true
  shift
fi
size_mib="${1:-1024}"
runs="${2:-3}"
files="${3:-1000}"
cli="${VLS_CLI:-$PWD/build/bin/veilstore-cli}"
[ -x "$cli" ] || { echo "build first: scripts/build (or set VLS_CLI)" >&2; exit 1; }
for tool in age age-keygen /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps" >&2; exit 1; }
done
/usr/bin/python3 -c 'import nacl.pwhash' 2>/dev/null ||
  { echo "python3-nacl is missing: run scripts/install-deps" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/vls-sealed-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/xdg" XDG_RUNTIME_DIR=
d="$work"
printf 'benchmark password\n' > "$d/pw"
age-keygen -o "$d/key" 2>/dev/null
recipient=$(age-keygen -y "$d/key")

# One large source, hard-linked into a folder per tool so that every
# container lands in its own folder while the page cache holds one copy.
mkdir "$d/src" "$d/sealed" "$d/classic" "$d/age" "$d/sealed-dec" "$d/classic-dec" "$d/age-dec"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$d/src/data.bin"
for folder in sealed classic age sealed-dec classic-dec; do ln "$d/src/data.bin" "$d/$folder/"; done
# The containers that every decryption restores. --keep, then unlink: a wipe
# would overwrite the one copy that all the links share.
"$cli" encrypt --strong --keep --password-file "$d/pw" "$d/sealed-dec/data.bin" >/dev/null
"$cli" encrypt --keep --password-file "$d/pw" "$d/classic-dec/data.bin" >/dev/null
rm "$d/sealed-dec/data.bin" "$d/classic-dec/data.bin"
age -r "$recipient" -o "$d/age-dec/data.age" "$d/src/data.bin"
info=$("$cli" info "$d/sealed-dec/data.vld")
[[ $info == *sealed* ]] || { echo "not a sealed container: $info" >&2; exit 1; }
"$cli" info "$d/classic-dec/data.vld" | grep -q classic
# The derivation's cost as the container states it: "3 passes over 256 MiB".
read -r passes memory_mib < <(sed -n 's/.* \([0-9]*\) passes over \([0-9]*\) MiB.*/\1 \2/p' <<<"$info")
[ -n "${memory_mib:-}" ] || { echo "no derivation cost in: $info" >&2; exit 1; }

# The derivation alone: a 1-byte file sealed and classic.
mkdir -p "$d/tiny/sealed" "$d/tiny/classic"
head -c 1 /dev/urandom > "$d/tiny/sealed/one.bin"
ln "$d/tiny/sealed/one.bin" "$d/tiny/classic/"
# The same Argon2id call through PyNaCl, timed around the call alone.
cat > "$d/kdf.py" <<'PY'
import os, sys, time
from nacl import pwhash
password = open(sys.argv[1], "rb").readline().rstrip(b"\n")
passes, memory = int(sys.argv[2]), int(sys.argv[3]) << 20
start = time.perf_counter()
pwhash.argon2id.kdf(32, password, os.urandom(16), opslimit=passes, memlimit=memory)
print(f"{time.perf_counter() - start:.6f}")
PY

# libsodium's authenticated stream alone over as many bytes, in 64 KiB
# messages from memory: no file, no digest, no flush. What the stream costs
# anyone who writes or reads it, timed around the loop.
cat > "$d/stream.py" <<'PY'
import sys, time
from nacl import bindings as b
size = int(sys.argv[1]) << 20
chunk = bytes(65536)
state = b.crypto_secretstream_xchacha20poly1305_state()
b.crypto_secretstream_xchacha20poly1305_init_push(state, bytes(32))
start = time.perf_counter()
for _ in range(size // len(chunk)):
    b.crypto_secretstream_xchacha20poly1305_push(state, chunk, None, 0)
print(f"{time.perf_counter() - start:.6f}")
PY

# FILES small files, hard-linked into a second folder for age.
mkdir "$d/many" "$d/many-classic" "$d/many-age"
head -c "$((files * 4096))" /dev/urandom | split -b 4096 -a 5 -d --additional-suffix=.bin - "$d/many/f"
ln "$d"/many/*.bin "$d/many-classic/"
ln "$d"/many/*.bin "$d/many-age/"
cat "$d/src/data.bin" "$d/sealed-dec/data.vld" "$d/classic-dec/data.vld" "$d/age-dec/data.age" \
  "$d"/many/*.bin > /dev/null  # into the page cache

source bench/common.sh

# flush_age FILE: what ours does after it writes a file, done for age's
# output: fsync of the file, then of its folder (coreutils sync with
# arguments fsyncs each one).
flush_age() { echo "exec sync -- $1 $(dirname "$1")"; }

labels=(sealed-encrypt age-encrypt classic-encrypt sealed-encrypt-no-verify classic-encrypt-no-verify
  derive tiny-classic kdf-peer stream-peer sealed-decrypt age-decrypt classic-decrypt many-sealed many-age many-classic)
declare -A prepare command output
strong="$cli encrypt --strong --keep --password-file $d/pw"
classic="$cli encrypt --keep --password-file $d/pw"
prepare[sealed-encrypt]="rm -f $d/sealed/data.vld"
command[sealed-encrypt]="exec $strong $d/sealed/data.bin"
prepare[sealed-encrypt-no-verify]="rm -f $d/sealed/data.vld"
command[sealed-encrypt-no-verify]="exec $strong --no-verify $d/sealed/data.bin"
prepare[classic-encrypt]="rm -f $d/classic/data.vld"
command[classic-encrypt]="exec $classic $d/classic/data.bin"
prepare[classic-encrypt-no-verify]="rm -f $d/classic/data.vld"
command[classic-encrypt-no-verify]="exec $classic --no-verify $d/classic/data.bin"
prepare[age-encrypt]="rm -f $d/age/data.age"
command[age-encrypt]="age -r $recipient -o $d/age/data.age $d/age/data.bin && $(flush_age "$d/age/data.age")"
prepare[derive]="rm -f $d/tiny/sealed/one.vld"
command[derive]="exec $strong --no-verify $d/tiny/sealed/one.bin"
prepare[tiny-classic]="rm -f $d/tiny/classic/one.vld"
command[tiny-classic]="exec $classic --no-verify $d/tiny/classic/one.bin"
prepare[kdf-peer]=true
command[kdf-peer]="exec /usr/bin/python3 $d/kdf.py $d/pw $passes $memory_mib"
prepare[stream-peer]=true
command[stream-peer]="exec /usr/bin/python3 $d/stream.py $size_mib"
prepare[sealed-decrypt]="rm -f $d/sealed-dec/data.bin"
command[sealed-decrypt]="exec $cli decrypt --keep --password-file $d/pw $d/sealed-dec/data.vld"
prepare[classic-decrypt]="rm -f $d/classic-dec/data.bin"
command[classic-decrypt]="exec $cli decrypt --keep --password-file $d/pw $d/classic-dec/data.vld"
prepare[age-decrypt]="rm -f $d/age-dec/data.bin"
command[age-decrypt]="age -d -i $d/key -o $d/age-dec/data.bin $d/age-dec/data.age && $(flush_age "$d/age-dec/data.bin")"
prepare[many-sealed]="rm -f $d/many/*.vld"
command[many-sealed]="exec $strong $d/many/*.bin"
prepare[many-classic]="rm -f $d/many-classic/*.vld"
command[many-classic]="exec $classic $d/many-classic/*.bin"
prepare[many-age]="rm -f $d/many-age/*.age"
command[many-age]="for f in $d/many-age/*.bin; do age -r $recipient -o \$f.age \$f || exit 1; done
  exec sync -- $d/many-age/*.age $d/many-age"

kdf_times=""  # the call alone, as the peer prints it
stream_times=
for _ in $(seq "$runs"); do
  for label in "${labels[@]}"; do
    bash -c "${prepare[$label]}"
    sync
    timed "$label" "$work/out" bash -c "${command[$label]}"
    if [ "$label" = kdf-peer ]; then kdf_times+="$(cat "$work/out")"$'\n'; fi
    if [ "$label" = stream-peer ]; then stream_times+="$(cat "$work/out")"$'\n'; fi
  done
done
for folder in sealed-dec classic-dec age-dec; do cmp "$d/src/data.bin" "$d/$folder/data.bin"; done
"$cli" info "$d/sealed/data.vld" "$d/many/f00000.vld" | grep -c sealed | grep -qx 2
output[derive]="$passes passes over $memory_mib MiB"
output[kdf-peer]=$(printf '%s' "$kdf_times" | median)
output[stream-peer]=$(printf '%s' "$stream_times" | median)
output[many-sealed]=$(find "$d/many" -name '*.vld' | wc -l)
output[many-classic]=$(find "$d/many-classic" -name '*.vld' | wc -l)
output[many-age]=$(find "$d/many-age" -name '*.age' | wc -l)
for label in many-sealed many-classic many-age; do
  [ "${output[$label]}" = "$files" ] || { echo "$label made ${output[$label]} files, not $files" >&2; exit 1; }
done

summarise "${labels[@]}"

if $tsv; then
  printf 'command\twall_s\twall_min_s\twall_max_s\tcpu_s\tpeak_kib\toutput\n'
  for label in "${labels[@]}"; do
    printf '%s\t%.4f\t%.4f\t%.4f\t%.3f\t%d\t%s\n' "$label" "${wall[$label]}" "${low[$label]}" \
      "${high[$label]}" "${cpu[$label]}" "${peak[$label]}" "${output[$label]:-}"
  done
  exit 0
fi

derive=$(echo "${wall[derive]} - ${wall[tiny-classic]}" | bc -l)
row() {  # label peer: the ratio with the derivation, and without it when ours is sealed
  local net=""
  [[ $1 == sealed-* || $1 == many-sealed ]] && net=$(printf '%.2f' "$(echo "(${wall[$1]} - $derive) / ${wall[$2]}" | bc -l)")
  printf '| %s | %.3f s | %.2f s | %d KiB | %s | %.3f s | %.2f | %s |\n' "$1" "${wall[$1]}" "${cpu[$1]}" \
    "${peak[$1]}" "$2" "${wall[$2]}" "$(echo "${wall[$1]} / ${wall[$2]}" | bc -l)" "$net"
}
echo "File: ${size_mib} MiB of random bytes in the page cache; $files files of 4 KiB;" \
  "median of ${runs} interleaved runs. Derivation ($passes passes over $memory_mib MiB):" \
  "$(printf '%.3f' "$derive") s (derive - tiny-classic); PyNaCl's call alone ${output[kdf-peer]} s."
echo
echo "| command | time | CPU | peak memory | peer | peer time | ratio | ratio without the derivation |"
echo "|---|---|---|---|---|---|---|---|"
row sealed-encrypt age-encrypt
row sealed-encrypt-no-verify age-encrypt
row sealed-decrypt age-decrypt
row sealed-encrypt classic-encrypt
row sealed-encrypt-no-verify classic-encrypt-no-verify
row sealed-decrypt classic-decrypt
row derive tiny-classic
row kdf-peer tiny-classic
row many-sealed many-age
row many-sealed many-classic
