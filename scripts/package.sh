#!/usr/bin/env bash
# Builds the Debian package from this tree: a Release build of the program
# alone in build-package/, then CPack's DEB generator. Installs what it needs
# through scripts/setup.sh. Prints the package's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
# Everything but the path goes to stderr, so `deb=$(scripts/package.sh)` works.
exec 3>&1 1>&2

# CPack finds the program to hand to dpkg-shlibdeps with `file`.
scripts/setup.sh --packages-only file

# Debian's own build flags, all hardening on: stack protector, fortified C
# library calls, read-only relocations, immediate binding.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
build=build-package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVOLT_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build"
rm -f "$build"/ravolt_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/ravolt_*.deb)
echo "$(realpath "$deb")" >&3
