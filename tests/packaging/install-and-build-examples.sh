#!/bin/sh
# Installs the built kit into a temporary prefix and uses it as an
# application developer would: builds the examples against it with
# find_package(varokit) and with pkg-config, runs both builds on a temporary
# data folder, then moves the prefix and runs the installed varo there.
#
#   install-and-build-examples.sh BUILD_DIR EXAMPLES_DIR GENERATOR CXX VERSION
set -eu
build=$1
examples=$2
generator=$3
cxx=$4
version=$5

work=$(mktemp -d /tmp/varokit-install-test-XXXXXX)
watcher=""
cleanup() {
  if [ -n "$watcher" ]; then kill "$watcher" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# Every file the examples and the tool write goes below $work.
use_data_folder() {
  export VARO_DATA_DIR="$work/$1/data" XDG_CONFIG_HOME="$work/$1/config" XDG_RUNTIME_DIR="$work/$1/run"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}
use_data_folder first

# With CMake, as examples/CMakeLists.txt does it.
cmake -S "$examples" -B "$work/with-cmake" -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; fail "configuring the examples"; }
cmake --build "$work/with-cmake" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "building the examples with CMake"; }

# With pkg-config and the compiler alone.
pc_file=$(find "$prefix" -name varokit.pc)
[ -n "$pc_file" ] || fail "no varokit.pc installed"
export PKG_CONFIG_PATH="${pc_file%/*}"
[ "$(pkg-config --modversion varokit)" = "$version" ] || fail "varokit.pc gives version $(pkg-config --modversion varokit)"
mkdir -p "$work/with-pkg-config"
for example in this_week watch_changes; do
  # shellcheck disable=SC2046
  "$cxx" -std=c++17 -o "$work/with-pkg-config/$example" "$examples/$example.cpp" \
    $(pkg-config --cflags --libs varokit) -Wl,-rpath,"$(pkg-config --variable=libdir varokit)" ||
    fail "building $example with pkg-config"
done

varo=$prefix/bin/varo
"$varo" demo >/dev/null || fail "the installed varo demo"
"$varo" db default demo >/dev/null
today=$(date +%F)
due=$("$varo" add todo demo "due today" --deadline "$today" | sed -n 's/^added to-do item \([0-9]*\):.*/\1/p')
"$varo" add todo demo "next month" --deadline "$(date -d '+40 days' +%F)" >/dev/null
"$varo" add schedule demo "$today 10:00" "meeting today" >/dev/null
[ -n "$due" ] || fail "no id for the new to-do item"

for variant in with-cmake with-pkg-config; do
  bin=$work/$variant
  listing=$("$bin/this_week") || fail "$variant: this_week"
  echo "$listing" | grep -q "#$due *\[ \] .*due today" || fail "$variant: this week's to-do item missing: $listing"
  echo "$listing" | grep -q "meeting today" || fail "$variant: this week's schedule entry missing: $listing"
  if echo "$listing" | grep -q "next month"; then fail "$variant: a later to-do item listed: $listing"; fi

  # The watcher must see a change another program makes.
  "$bin/watch_changes" 1 1 >"$work/watch.out" 2>&1 &
  watcher=$!
  for _ in $(seq 100); do grep -q "^watching" "$work/watch.out" && break; sleep 0.1; done
  "$varo" add memo demo "seen by $variant" >/dev/null
  for _ in $(seq 100); do kill -0 "$watcher" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$watcher" 2>/dev/null; then fail "$variant: no notice arrived: $(cat "$work/watch.out")"; fi
  wait "$watcher" || fail "$variant: watch_changes failed: $(cat "$work/watch.out")"
  watcher=""
  grep -q "^tips changed in database 1$" "$work/watch.out" || fail "$variant: $(cat "$work/watch.out")"
done

"$work/with-cmake/this_week" "done" "$due" | grep -q "^#$due done$" || fail "marking the to-do item done"
"$work/with-pkg-config/this_week" | grep -q "#$due *\[x\] .*due today" || fail "the to-do item is not done"

# A moved prefix still finds its own engine; no other engine is left to find.
mv "$prefix" "$work/moved"
use_data_folder second
"$work/moved/bin/varo" demo >"$work/demo.out" 2>&1 || { cat "$work/demo.out"; fail "varo demo in the moved prefix"; }
grep -q '^created database 1 "demo"' "$work/demo.out" || fail "varo demo: $(cat "$work/demo.out")"
[ "$("$work/moved/bin/varo" --version | cut -d' ' -f2)" = "$version" ] || fail "varo --version"
engine=$(find "$work/moved" -name VARO.ocx)
mv "$engine" "$work/engine-taken-away"
if "$work/moved/bin/varo" db list >/dev/null 2>&1; then fail "varo ran on an engine other than its installed one"; fi
echo "installed, built the examples twice, ran them and the moved varo"
