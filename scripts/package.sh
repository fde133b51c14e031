#!/usr/bin/env bash
# Builds the Debian package lumora_<version>_amd64.deb in the top folder:
# a Release build in build-package with Debian's hardening flags, installed
# under /usr and packed by CPack, its dependencies computed by
# dpkg-shlibdeps from the binaries.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package
# Debian's flags (stack protector, _FORTIFY_SOURCE, RELRO, and BIND_NOW)
# without -g: the package ships stripped programs and no debug symbols.
# Folders get mode 755 whatever the umask.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cxxflags=${cxxflags//-g /}
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLUMORA_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DLUMORA_PACKAGE=ON \
  -DCMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS="OWNER_READ;OWNER_WRITE;OWNER_EXECUTE;GROUP_READ;GROUP_EXECUTE;WORLD_READ;WORLD_EXECUTE" \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" >/dev/null
cmake --build build-package
(cd build-package && cpack -G DEB >/dev/null)
mv -f build-package/lumora_*_amd64.deb .
ls lumora_*_amd64.deb
