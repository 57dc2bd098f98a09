# build_release: installs what is missing and builds the plug-in library and
# the tapedelay command (Release, no tests) in build/release; prints nothing
# but errors. Sourced by the tools; $root is the checkout.
build_release() {
  # shellcheck source=packages.sh
  source "$root/tools/lib/packages.sh"
  install_missing cmake ninja-build g++ pkg-config libsndfile1-dev libx11-dev libgl-dev
  build=$root/build/release
  cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O2 \
        -DCMAKE_CXX_COMPILER=g++ -DTAPEDELAY_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target tapedelay_command >/dev/null
}
