#!/usr/bin/env bash
# Checks Quillbook as an installed desktop program, from a built tree (default build/):
#  - a DESTDIR install holds the programs, every data file, the desktop entry, file types,
#    metainfo, icons and manual pages, and these validate;
#  - the installed tree, moved elsewhere, opens the sample newspaper offscreen without
#    touching the source tree;
#  - packages made by the installed quillbook-pack get their file types in a private data home;
#  - the Debian package holds what the install holds and passes lintian without errors;
#  - as root: apt-get installs it, the program runs from /usr, and removing it leaves
#    nothing under /usr and the reader's files untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
src="$PWD"
build="${1:-build}"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
installed=
cleanup() {
  # A check that fails after the install still removes the package, so the next run starts clean.
  if [ -n "$installed" ]; then DEBIAN_FRONTEND=noninteractive apt-get purge -y -q quillbook >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "install-check: FAILED: $*" >&2
  exit 1
}

echo "== install into a DESTDIR"
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr >/dev/null
root="$work/dest/usr"
for f in bin/quillbook bin/quillbook-pack share/applications/quillbook.desktop share/mime/packages/quillbook.xml \
  share/metainfo/io.github.quillbook.Quillbook.metainfo.xml share/icons/hicolor/scalable/apps/quillbook.svg \
  share/man/man1/quillbook.1.gz share/man/man1/quillbook-pack.1.gz share/doc/quillbook/copyright \
  share/doc/quillbook/changelog.gz share/doc/quillbook/container-format.md; do
  [ -f "$root/$f" ] || fail "$f is not installed"
done
while read -r f; do
  cmp -s "data/$f" "$root/share/quillbook/$f" || fail "data/$f is not installed as share/quillbook/$f"
done < <(cd data && find . -type f | sed 's|^\./||')
for size in 16 22 24 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/quillbook.png"
  got=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$png")
  [ "$got" = "${size}x${size}" ] || fail "icon ${size}x${size} is $got"
done

echo "== validate the desktop entry, metainfo and manual pages"
desktop-file-validate "$root/share/applications/quillbook.desktop"
appstreamcli validate --no-net "$root/share/metainfo/io.github.quillbook.Quillbook.metainfo.xml"
for page in quillbook quillbook-pack; do
  zcat "$root/share/man/man1/$page.1.gz" | groff -ww -man -Tutf8 >/dev/null 2>"$work/groff.err"
  [ ! -s "$work/groff.err" ] || fail "groff warns on $page.1: $(cat "$work/groff.err")"
  MANWIDTH=80 man --warnings -l "$root/share/man/man1/$page.1.gz" >/dev/null 2>"$work/man.err"
  [ ! -s "$work/man.err" ] || fail "man warns on $page.1: $(cat "$work/man.err")"
done
# Every key of the README's key table is in the manual page (long lines, so none is split).
zcat "$root/share/man/man1/quillbook.1.gz" | groff -man -Tutf8 -P-cbou -rLL=300n >"$work/quillbook.1.txt"
for key in Right Enter Alt+Down Down Up Alt+Right Alt+Left "keypad 9" "keypad 7" "keypad 8" Backspace Left Alt+Up \
  Ctrl+Backspace "keypad 1" "keypad 3" "keypad 4" "keypad 5" "keypad 6" Shift+= Home End J Y N Ctrl+F F3 Shift+F3 F5 F7 F8 \
  Delete F2 Insert Alt+Enter Shift+F10 Escape "Ctrl+Page Down" "Ctrl+Page Up" Ctrl+C Ctrl+Insert F1 \
  Ctrl+B Shift+F2 Ctrl+Shift+B Ctrl+N F4 Shift+F4 Ctrl+Shift+N; do
  grep -qF -- "$key" "$work/quillbook.1.txt" ||
    fail "quillbook.1 does not mention the key $key"
done

# Runs a program offscreen in a private home; QUILLBOOK_PRINT_STATE makes it report and exit.
reader="$work/reader"
mkdir -p "$reader" "$work/runtime"
chmod 700 "$work/runtime"
# A document named on the command line from outside the library is offered
# for copying into it; the reader's options say yes once and for all.
mkdir -p "$reader/.config/Quillbook" "$reader/library"
printf '[Settings]\nLibraryLocation=%s\nCopyToLibrary=1\n' "$reader/library" >"$reader/.config/Quillbook/Quillbook.conf"
offscreen() {
  (cd "$work" && env -u QUILLBOOK_HOME -u QB_DATA_DIR -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
    HOME="$reader" XDG_CONFIG_HOME="$reader/.config" XDG_DATA_HOME="$reader/.local/share" \
    XDG_RUNTIME_DIR="$work/runtime" QUILLBOOK_PRINT_STATE=1 "$@")
}
check_state() {
  grep -qx "title: Het Noorderlicht" "$1" || fail "the document title is not shown: $(cat "$1")"
  grep -qx "first section: Voorpagina" "$1" || fail "the first section is not listed: $(cat "$1")"
}

echo "== install under another prefix and run from there"
cmake --install "$build" --prefix "$work/opt" >/dev/null
offscreen "$work/opt/bin/quillbook" "$work/opt/share/quillbook/samples/dagblad.xml" >"$work/state-opt.txt"
check_state "$work/state-opt.txt"

echo "== run the installed tree from another folder, offscreen, without the source tree"
cp -a "$root" "$work/moved"
offscreen strace -f -qq -e trace=%file -o "$work/strace.log" "$work/moved/bin/quillbook" \
  "$work/moved/share/quillbook/samples/dagblad.xml" >"$work/state.txt"
cat "$work/state.txt"
check_state "$work/state.txt"
grep -q "$work/moved/share/quillbook/Languages" "$work/strace.log" || fail "the moved program did not read its own data"
real_src=$(realpath "$src")
if grep -E "\"($src|$real_src)(/|\")" "$work/strace.log" | head -5 | grep .; then
  fail "the installed program touched the source tree"
fi

echo "== file types of real packages in a private data home"
pack="$work/moved/bin/quillbook-pack"
types="$work/types"
mkdir -p "$types/krant"
cp data/samples/dagblad.xml data/samples/dagblad.css "$types/krant/"
cp data/samples/dagblad.xml "$types/krant.xml"
"$pack" zip "$types/krant" "$types/krant.cxb" >/dev/null
"$pack" zip "$types/krant" "$types/krant.zip" >/dev/null
for ext in exb exd; do
  QUILLBOOK_PASSPHRASE=proef "$pack" encrypt "$types/krant.zip" "$types/krant.$ext" --key-id Proef \
    --kdf-ops 1 --kdf-mem 8K >/dev/null
done
cp "$types/krant.exb" "$types/versleuteld-zonder-extensie"
cp "$types/krant.cxb" "$types/zip-zonder-extensie"
xdg="$work/xdg"
mkdir -p "$xdg/mime/packages" "$xdg/applications"
cp "$root/share/mime/packages/quillbook.xml" "$xdg/mime/packages/"
cp "$root/share/applications/quillbook.desktop" "$xdg/applications/"
XDG_DATA_HOME="$xdg" update-mime-database "$xdg/mime"
update-desktop-database "$xdg/applications"
mimetype_of() { env -u XDG_CURRENT_DESKTOP XDG_DATA_HOME="$xdg" XDG_DATA_DIRS=/usr/share xdg-mime query filetype "$1"; }
printf '%-28s %s\n' file "type (xdg-mime query filetype)"
status=0
while read -r name want; do
  got=$(mimetype_of "$types/$name")
  printf '%-28s %s\n' "$name" "$got"
  [ "$got" = "$want" ] || { echo "  expected $want" >&2; status=1; }
done <<'TABLE'
krant.exb application/x-quillbook-encrypted
krant.exd application/x-quillbook-encrypted
versleuteld-zonder-extensie application/x-quillbook-encrypted
krant.cxb application/x-quillbook-package
krant.zip application/zip
zip-zonder-extensie application/zip
krant.xml application/xml
TABLE
[ $status = 0 ] || fail "file types differ"
for type in application/x-quillbook-encrypted application/x-quillbook-package; do
  got=$(env -u XDG_CURRENT_DESKTOP XDG_DATA_HOME="$xdg" XDG_DATA_DIRS=/usr/share xdg-mime query default "$type")
  [ "$got" = quillbook.desktop ] || fail "$type opens with '$got', not quillbook.desktop"
done

echo "== Debian package"
deb=$(bash scripts/package.sh "$build" | tail -n1)
deb=$(realpath "$deb")
echo "$deb"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$work/deb.list"
(cd "$work/dest" && find . ! -type d | sed 's|^\./||' | sort) >"$work/dest.list"
diff -u "$work/dest.list" "$work/deb.list" || fail "the package's files differ from the install's"
echo "$(wc -l <"$work/deb.list") files, as installed"
lintian --display-info --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
cat "$work/lintian.txt"
if grep -q '^E:' "$work/lintian.txt"; then fail "lintian reports errors"; fi

if [ "$(id -u)" != 0 ] || ! command -v apt-get >/dev/null; then
  echo "== not root: the package is not installed"
  exit 0
fi
echo "== apt-get install, run from /usr, apt-get purge"
if dpkg-query -W -f='${Status}' quillbook 2>/dev/null | grep -q 'install ok installed'; then
  fail "quillbook is installed already; remove it first"
fi
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install"; }
[ "$(quillbook --version)" = "quillbook $version" ] || fail "quillbook --version says '$(quillbook --version)'"
[ "$(command -v quillbook)" = /usr/bin/quillbook ] || fail "quillbook is not /usr/bin/quillbook"
offscreen /usr/bin/quillbook /usr/share/quillbook/samples/dagblad.xml >"$work/state-usr.txt"
check_state "$work/state-usr.txt"
# The package's triggers refreshed the system's MIME and desktop databases.
[ "$(env -u XDG_CURRENT_DESKTOP XDG_DATA_HOME="$work/empty" xdg-mime query filetype "$types/krant.exb")" = \
  application/x-quillbook-encrypted ] || fail "the system's MIME database does not know .exb"
grep -q '^application/x-quillbook-encrypted=.*quillbook.desktop' /usr/share/applications/mimeinfo.cache ||
  fail "the desktop database does not list quillbook.desktop for encrypted packages"
# The reader's own files: those the program wrote in the run above, and some made by hand.
[ -d "$reader/.local/share/Quillbook/temp" ] || fail "the program made no user folder"
mkdir -p "$reader/.config/Quillbook" "$reader/.local/share/Quillbook/DUF"
printf '[Settings]\nLanguage=English\n' >"$reader/.config/Quillbook/Quillbook.conf"
printf 'Proef\tproef\n' >"$reader/.config/Quillbook/keys"
echo '<library/>' >"$reader/.local/share/Quillbook/library.xml"
echo '<duf/>' >"$reader/.local/share/Quillbook/DUF/NOORDERLICHT-20261205.duf"
(cd "$reader" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/reader.before"
dpkg -L quillbook | sort >"$work/owned.list"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q quillbook >>"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get purge"; }
installed=
while read -r f; do
  if [ -e "$f" ] && [ ! -d "$f" ]; then fail "$f is left after removal"; fi
done <"$work/owned.list"
left=$(find /usr -iname '*quillbook*' 2>/dev/null | head -5)
[ -z "$left" ] || fail "left under /usr after removal: $left"
! grep -q quillbook /usr/share/applications/mimeinfo.cache 2>/dev/null || fail "the desktop database still lists quillbook"
(cd "$reader" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/reader.after"
diff -u "$work/reader.before" "$work/reader.after" || fail "the reader's files changed on removal"
echo "installed, ran from /usr and removed cleanly; the reader's $(wc -l <"$work/reader.after") files are untouched"
echo "== install check passed"
