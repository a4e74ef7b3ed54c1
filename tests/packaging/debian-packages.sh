#!/bin/sh
# Builds the Debian packages with cpack and checks each: the files it holds
# (every one listed below, nothing else), and its dependencies as
# dpkg-shlibdeps and the package split give them.
#
#   debian-packages.sh BUILD_DIR VERSION WITH_DIALOGS(0|1)
set -eu
build=$1
version=$2
with_dialogs=$3

work=$(mktemp -d /tmp/varokit-deb-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}

# What each package must hold: a package and a file pattern a line, and
# every file of the package must match one of its patterns.
cat >"$work/expected" <<LIST
libvarokit1 usr/lib/libvarokit.so.1
libvarokit1 usr/lib/libvarokit.so.$version
libvarokit1 usr/lib/varokit/VARO.ocx
libvarokit-dev usr/lib/libvarokit.so
libvarokit-dev usr/include/varokit/VAROObj.h
libvarokit-dev usr/include/varokit/SuiteSettings.h
libvarokit-dev usr/include/varokit/PIMTime.h
libvarokit-dev usr/include/varokit/EngineCodes.h
libvarokit-dev usr/include/varokit/VarokitApi.h
libvarokit-dev usr/include/varokit/C*.h
libvarokit-dev usr/include/varokit/GlobalHeap.h
libvarokit-dev usr/include/varokit/Registry.h
libvarokit-dev usr/include/varokit/Win*.h
libvarokit-dev usr/lib/cmake/varokit/varokitConfig.cmake
libvarokit-dev usr/lib/cmake/varokit/varokitConfigVersion.cmake
libvarokit-dev usr/lib/cmake/varokit/varokitTargets.cmake
libvarokit-dev usr/lib/cmake/varokit/varokitTargets-*.cmake
libvarokit-dev usr/lib/pkgconfig/varokit.pc
varo usr/bin/varo
varo usr/share/man/man1/varo.1.gz
varo usr/share/bash-completion/completions/varo
LIST
packages="libvarokit1 libvarokit-dev varo"
if [ "$with_dialogs" = 1 ]; then
  cat >>"$work/expected" <<LIST
libvarokit-dialogs1 usr/lib/libvarokit_dialogs.so.1
libvarokit-dialogs1 usr/lib/libvarokit_dialogs.so.$version
libvarokit-dev usr/lib/libvarokit_dialogs.so
libvarokit-dev usr/lib/pkgconfig/varokit-dialogs.pc
LIST
  packages="$packages libvarokit-dialogs1"
fi

for package in $packages; do
  deb=$(ls "$work/${package}_${version}_"*.deb 2>/dev/null || true)
  [ -n "$deb" ] || { fail "no package $package"; continue; }
  [ "$(dpkg-deb --field "$deb" Package)" = "$package" ] || fail "$deb names another package"
  [ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "$package has version $(dpkg-deb --field "$deb" Version)"
  dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' >"$work/$package.files"
  patterns=$(awk -v p="$package" '$1 == p { print $2 }' "$work/expected")
  while read -r file; do
    matched=0
    for pattern in $patterns; do
      # shellcheck disable=SC2254
      case $file in $pattern) matched=1 ;; esac
    done
    [ $matched = 1 ] || fail "$package holds $file, which it should not"
  done <"$work/$package.files"
  for pattern in $patterns; do
    found=0
    while read -r file; do
      # shellcheck disable=SC2254
      case $file in $pattern) found=1 ;; esac
    done <"$work/$package.files"
    [ $found = 1 ] || fail "$package lacks $pattern"
  done
  dpkg-deb --field "$deb" Depends >"$work/$package.depends"
done

# The dependencies: found by dpkg-shlibdeps from the libraries each links,
# and the packages of the split on one another.
depends_on() {
  grep -q "\\(^\\|, \\)$2\\( \\|,\\|\$\\)" "$work/$1.depends" || fail "$1 does not depend on $2: $(cat "$work/$1.depends")"
}
depends_on libvarokit1 libc6
depends_on libvarokit1 libsqlite3-0
depends_on libvarokit1 libstdc++6
depends_on varo libc6
grep -qF "libvarokit1 (>= $version)" "$work/varo.depends" || fail "varo: $(cat "$work/varo.depends")"
grep -qF "libvarokit1 (= $version)" "$work/libvarokit-dev.depends" || fail "libvarokit-dev: $(cat "$work/libvarokit-dev.depends")"
if grep -q "qt6" "$work/libvarokit1.depends"; then fail "libvarokit1 pulls Qt in"; fi
if [ "$with_dialogs" = 1 ]; then
  depends_on libvarokit-dialogs1 libqt6widgets6
  grep -qF "libvarokit1 (= $version)" "$work/libvarokit-dialogs1.depends" || fail "libvarokit-dialogs1 does not need its kit"
fi

# A program built on the kit gets its dependency from the shlibs file.
dpkg-deb --ctrl-tarfile "$work"/libvarokit1_*.deb | tar -xO ./shlibs >"$work/shlibs" 2>/dev/null || true
grep -qx "libvarokit 1 libvarokit1 (>= $version)" "$work/shlibs" || fail "libvarokit1 shlibs: $(cat "$work/shlibs")"

[ $failed = 0 ] && echo "packages: $packages"
exit $failed
