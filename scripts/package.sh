#!/usr/bin/env bash
# Builds the Debian package quillbook_<version>_<arch>.deb with CPack.
#   scripts/package.sh             a Release build in build-package/ with Debian's hardening flags
#   scripts/package.sh BUILD_DIR   packs a tree that is already configured and built (CI packs build/)
# The last line printed is the path of the package.
set -euo pipefail
cd "$(dirname "$0")/.."
# Cache hits across clones in different folders.
export CCACHE_BASEDIR="$PWD"
if [ $# -ge 1 ]; then
  dir="$1"
else
  dir=build-package
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQB_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
fi
# Also brings the packaging settings up to date after a change to the CMake files.
cmake --build "$dir" -j2 >/dev/null
rm -f "$dir"/quillbook_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/quillbook_*.deb)
echo "$deb"
