#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it the way a
# desktop will meet it: the package's contents and dependencies, lintian (no
# errors), the desktop entry, the file-type definition, the help pages, and
# in a throw-away XDG environment holding nothing but the package's files,
# that .vlp and .vld files (in any case) get their types and that veilstore
# is the application for them.
#
#   tests/packaging/check_package.sh BUILD_DIR SOURCE_DIR
#
# Everything happens in a temporary folder; the user's home and the system's
# folders are not touched.
set -euo pipefail

build=$(cd "${1:?build folder}" && pwd)
source=$(cd "${2:?source folder}" && pwd)

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate xmllint \
  update-mime-database update-desktop-database gio; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is missing (scripts/install-deps installs it)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/veilstore-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/config-dirs" "$work/run"
chmod 700 "$work/run"
# Tools below that read per-user settings find this empty home instead.
export HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" XDG_CONFIG_DIRS="$work/config-dirs"
export XDG_RUNTIME_DIR="$work/run"

# -- the package --------------------------------------------------------------
echo "== cpack"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack did not build the package" >&2
  exit 1
fi
debs=("$work"/cpack/veilstore_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "FAIL: expected one veilstore_*.deb, found: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"
root="$work/root"
dpkg-deb -x "$deb" "$root"

echo "== contents"
expected=(
  usr/bin/veilstore
  usr/bin/veilstore-cli
  usr/share/applications/veilstore.desktop
  usr/share/mime/packages/veilstore.xml
  usr/share/icons/hicolor/scalable/apps/veilstore.svg
  usr/share/man/man1/veilstore.1.gz
  usr/share/man/man1/veilstore-cli.1.gz
  usr/share/doc/veilstore/copyright
  usr/share/doc/veilstore/changelog.gz
)
# The help window looks for its pages in <bindir>/../share/veilstore/help.
for page in index viewer launcher keys formats; do
  expected+=("usr/share/veilstore/help/$page.html")
done
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/veilstore.png")
done
for path in "${expected[@]}"; do
  [ -f "$root/$path" ] || fail "the package lacks /$path"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/veilstore.png"
  [ -f "$png" ] || continue
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print ($1*16777216+$2*65536+$3*256+$4), ($5*16777216+$6*65536+$7*256+$8)}')
  [ "$width $height" = "$size $size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done
# The manual page names every command and option the tool's usage names.
if [ -x "$root/usr/bin/veilstore-cli" ]; then
  manual=$(zcat "$root/usr/share/man/man1/veilstore-cli.1.gz" | sed 's/\\-/-/g')
  for word in $("$root/usr/bin/veilstore-cli" --help |
    grep -o -E -- '(^  [a-z]+ |--[a-z-]+)' | tr -d ' ' | sort -u); do
    grep -q -F -- "$word" <<<"$manual" || fail "veilstore-cli(1) does not describe $word"
  done
fi
[ "$failures" -eq 0 ] && pass "every file is in the package"

echo "== the programs in the package"
version=$(dpkg-deb -f "$deb" Version)
cli_version=$("$root/usr/bin/veilstore-cli" --version)
[ "$cli_version" = "veilstore-cli $version" ] ||
  fail "veilstore-cli --version says \"$cli_version\", the package is $version"
changelog_version=$(zcat "$root/usr/share/doc/veilstore/changelog.gz" | head -n1 |
  sed -n 's/^veilstore (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] ||
  fail "the changelog's latest entry is \"$changelog_version\", the package is $version"

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done

echo "== lintian"
# --fail-on error: warnings are listed but do not fail the check.
if lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
  pass "lintian reports no errors"
else
  fail "lintian reports errors"
fi
grep -v 'running with root privileges' "$work/lintian.log" || true

echo "== desktop entry and file types"
desktop="$root/usr/share/applications/veilstore.desktop"
if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
  pass "desktop-file-validate"
else
  fail "desktop-file-validate: $out"
fi
grep -qx 'Exec=veilstore %f' "$desktop" || fail "the desktop entry does not run \"veilstore %f\""
if xmllint --noout "$root/usr/share/mime/packages/veilstore.xml"; then
  pass "xmllint"
else
  fail "xmllint rejects the file-type definition"
fi

echo "== help pages"
help="$root/usr/share/veilstore/help"
qrc="$source/src/app/widgets/help.qrc"
for page in "$help"/*.html; do
  # Every page and picture a page refers to is there, installed and built in.
  while read -r target; do
    case "$target" in http:* | https:* | mailto:* | "#"*) continue ;; esac
    target=${target%%#*}
    [ -f "$help/$target" ] || fail "$(basename "$page") refers to $target, not installed"
    grep -q "alias=\"$target\"" "$qrc" || fail "$target is missing from help.qrc"
  done < <(grep -o -E '(href|src)="[^"]*"' "$page" | sed -E 's/^[a-z]+="//; s/"$//')
done
[ "$failures" -eq 0 ] && pass "help links and pictures"

echo "== file types in a fresh XDG environment"
# Only the package's share folder: nothing of the system's associations counts.
export XDG_DATA_DIRS="$root/usr/share"
export PATH="$root/usr/bin:$PATH"
export GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix DBUS_SESSION_BUS_ADDRESS=disabled:
export LC_ALL=C.UTF-8
mime_log=$(update-mime-database "$root/usr/share/mime" 2>&1) || fail "update-mime-database failed"
[ -z "$mime_log" ] || fail "update-mime-database complains: $mime_log"
desktop_log=$(update-desktop-database "$root/usr/share/applications" 2>&1) ||
  fail "update-desktop-database failed"
[ -z "$desktop_log" ] || fail "update-desktop-database complains: $desktop_log"

for type in application/x-veilstore-picture application/x-veilstore-data; do
  out=$(gio mime "$type" 2>&1) || true
  if grep -q "^Default application for .*$type.*: veilstore.desktop$" <<<"$out"; then
    pass "gio mime $type names veilstore.desktop"
  else
    fail "gio mime $type: $out"
  fi
done

mkdir -p "$work/files"
for name in photo.vlp PHOTO.VLP Holiday.Vlp notes.vld NOTES.VLD; do
  head -c 600 /dev/urandom >"$work/files/$name"
done
for name in photo.vlp PHOTO.VLP Holiday.Vlp notes.vld NOTES.VLD; do
  case "$name" in
    *.[vV][lL][pP]) want=application/x-veilstore-picture ;;
    *) want=application/x-veilstore-data ;;
  esac
  got=$(gio info -a standard::content-type "$work/files/$name" |
    sed -n 's/^ *standard::content-type: //p')
  [ "$got" = "$want" ] || fail "$name is \"$got\", not $want"
done
[ "$failures" -eq 0 ] && pass "file names in any case get their type"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all packaging checks passed"
