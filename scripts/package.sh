#!/usr/bin/env bash
# Builds the release preset and the Debian package from it into build/package/, then checks
# the package with lintian: errors fail, warnings are shown (docs/packaging.md says why the
# remaining ones stay). Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh package
# Built with the hardening of Debian's own packages (fortified functions, stack protector,
# read-only relocations bound at start), for the prefix /usr, so the tray application's module
# goes where Debian keeps a package's private libraries (/usr/lib/<triplet>/tonvera, where no
# ldconfig run is needed). Only what the package holds is built: the preset's tests and
# benchmarks are not needed for it, nor configured (their libraries are in the test group of
# install-deps.sh, not in the package group).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake --preset release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DCMAKE_INSTALL_PREFIX=/usr \
    -DTONVERA_BUILD_TESTS=OFF -DTONVERA_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build --preset release --target tonvera tonvera_desktop_files

rm -f build/package/tonvera_*.deb
cpack --config build/release/CPackConfig.cmake -G DEB -B build/package
rm -rf build/package/_CPack_Packages
deb=(build/package/tonvera_*.deb)
echo "package: ${deb[0]}"
dpkg-deb --field "${deb[0]}" Package Version Depends Recommends

echo "=== lintian"
lintian --fail-on error "${deb[0]}"
echo "lintian: no errors"
