#!/usr/bin/env bash
# Rebuilds tests/data/gif/peterdn/expected.txt from the suite's reference
# frames (PNG, in the shared test data): one line per frame,
#   NAME FRAME WIDTH HEIGHT CRC32
# where the CRC covers the frame as RGBA with every transparent pixel written
# as four zero bytes. Needs ImageMagick's convert and python3.
set -euo pipefail
cd "$(dirname "$0")/../.."
suite="${1:-../shared/testdata/peterdn-gif-test-suite/gifs}"
out=tests/data/gif/peterdn/expected.txt
python3 - "$suite" > "$out" <<'PY'
import os, subprocess, sys, zlib
suite = sys.argv[1]
for gif in sorted(f for f in os.listdir(suite) if f.endswith(".gif")):
    name = gif[:-4]
    frames = sorted((f for f in os.listdir(os.path.join(suite, "frames"))
                     if f == name + ".png" or (f.startswith(name + "-") and f[len(name) + 1:-4].isdigit())),
                    key=lambda f: int(f[len(name) + 1:-4] or 0) if "-" in f[len(name):] else 0)
    for k, png in enumerate(frames, 1):
        path = os.path.join(suite, "frames", png)
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True).stdout
        raw = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], capture_output=True).stdout
        norm = bytearray(len(raw))
        for i in range(0, len(raw), 4):
            if raw[i + 3]:
                norm[i:i + 4] = raw[i:i + 3] + b"\xff"
        print(gif, k, size, "%08x" % zlib.crc32(bytes(norm)))
PY
echo "wrote $out"
