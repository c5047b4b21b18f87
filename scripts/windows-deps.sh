# The libraries the Windows program links, built from Debian's source packages with MinGW-w64.
# Sourced by scripts/build-windows; each recipe is a function, and a dependency is built again only
# when its recipe or its source package's version changes.
#
# Everything goes under one cache per architecture, outside the checkout:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/invciv/windows/sources/     the source packages, as apt-get source left them
#   ${XDG_CACHE_HOME:-$HOME/.cache}/invciv/windows/<arch>-<key>/
#       prefix/   headers, import libraries, DLLs and CMake packages of every dependency
#       build/    each dependency's build folder;  logs/ one log each;  done/ one stamp each

winroot=${XDG_CACHE_HOME:-$HOME/.cache}/invciv/windows
wsources=$winroot/sources

# Source packages, by Debian's name. The version apt offers is part of each stamp.
deps_packages=(qt6-base qpdf libjpeg-turbo harfbuzz sqlite3 pugixml googletest)

# apt-get with its own list of source archives, derived from the machine's own apt sources ("deb" lines
# and deb822 stanzas turned into "deb-src"), kept in the cache: the system's apt configuration is left
# as it is, and no archive's address is written anywhere but there.
src_apt() {
  local dir=$wsources/apt
  "apt-get" -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/parts" \
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" -o APT::Sandbox::User=root \
    -o Debug::NoLocking=1 "$@"
}
src_apt_cache() {
  local dir=$wsources/apt
  apt-cache -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/parts" \
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" "$@"
}

src_lists() {
  local dir=$wsources/apt f
  mkdir -p "$dir/parts" "$dir/lists/partial" "$dir/cache/archives/partial"
  : >"$dir/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$dir/sources.list"
  fi
  rm -f "$dir/parts/"*
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$dir/sources.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # One stanza per paragraph; a stanza whose Types name "deb" is offered as "deb-src" too.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*[[:space:]]deb([[:space:]]|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
      "$f" >"$dir/parts/$(basename "$f")"
  done
  if [ -z "$(cat "$dir/sources.list" "$dir/parts/"* 2>/dev/null)" ]; then
    echo "build-windows: the machine's apt sources name no Debian archive to take source packages from" >&2
    return 1
  fi
  src_apt -q update >"$wsources/apt-update.log" 2>&1 || {
    tail -n 20 "$wsources/apt-update.log" >&2
    echo "build-windows: the list of source packages could not be read" >&2
    return 1
  }
}

# The version apt would fetch of a source package.
src_version() {
  src_apt_cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1
}

# Fetches and unpacks a source package once (Debian's patches applied); prints its folder.
src_fetch() { # package version
  local dir=$wsources/$1-$2
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" "$dir.tmp"
    mkdir -p "$dir.tmp"
    (cd "$dir.tmp" && src_apt -q source "$1=$2") >"$wsources/$1.log" 2>&1 || {
      tail -n 20 "$wsources/$1.log" >&2
      echo "build-windows: the source package $1 $2 could not be fetched" >&2
      return 1
    }
    local tree
    tree=$(find "$dir.tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    mv "$tree" "$dir"
    rm -rf "$dir.tmp"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

# --- recipes: each builds one dependency from $src into $prefix, for $triplet --------------------------

deps_cmake() { # source-dir build-dir cmake-arguments...
  local s=$1 b=$2
  shift 2
  # pkg-config would hand over the Linux system's libraries: it sees the prefix's own .pc files alone.
  PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH="" cmake -S "$s" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DINVCIV_MINGW_TRIPLET="$triplet" -DINVCIV_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@"
  nice -n 19 cmake --build "$b" -j "$jobs"
  cmake --install "$b"
}

recipe_pugixml() {
  deps_cmake "$src" "$bld" -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF
}

recipe_googletest() {
  deps_cmake "$src" "$bld" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF
}

# SQLite's amalgamation, compiled as one static library with the CMake package the project looks for
# (FindSQLite3 finds sqlite3.h and libsqlite3.a).
recipe_sqlite3() {
  local amal
  if [ ! -f "$src/sqlite3.c" ]; then
    mkdir -p "$bld/amalgamation"
    (cd "$bld/amalgamation" && "$src/configure" --disable-tcl >/dev/null && make sqlite3.c)
    amal=$bld/amalgamation
  else
    amal=$src
  fi
  mkdir -p "$prefix/include" "$prefix/lib"
  nice -n 19 "$triplet-gcc-posix" -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -c "$amal/sqlite3.c" -o "$bld/sqlite3.o"
  "$triplet-ar" rcs "$prefix/lib/libsqlite3.a" "$bld/sqlite3.o"
  cp "$amal/sqlite3.h" "$amal/sqlite3ext.h" "$prefix/include/"
}

# libjpeg for qpdf's DCT streams, without the assembly SIMD (no nasm needed).
recipe_libjpeg_turbo() {
  deps_cmake "$src" "$bld" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_JAVA=OFF
}

# HarfBuzz and its subsetter from the library's own single-file source: no meson, no FreeType, no glib.
# harfbuzz-subset.cc holds the whole library besides the subsetter, so the one object serves as both
# libraries the project links (two objects would define every symbol twice).
recipe_harfbuzz() {
  mkdir -p "$prefix/include/harfbuzz" "$prefix/lib"
  nice -n 19 "$triplet-g++-posix" -std=c++11 -O2 -fno-exceptions -fno-rtti -w \
    -I"$src/src" -c "$src/src/harfbuzz-subset.cc" -o "$bld/harfbuzz-subset.o"
  "$triplet-ar" rcs "$prefix/lib/libharfbuzz-subset.a" "$bld/harfbuzz-subset.o"
  cp "$prefix/lib/libharfbuzz-subset.a" "$prefix/lib/libharfbuzz.a"
  cp "$src"/src/hb.h "$src"/src/hb-*.h "$prefix/include/harfbuzz/"
}

# qpdf with its own crypto (no GnuTLS, no OpenSSL), zlib from Debian's MinGW package, libjpeg from above.
# Its AES header uses uint32_t without including <cstdint>, which glibc's headers bring in on Linux and
# MinGW's do not. Only the library (its DLL, import library, headers and CMake package): qpdf's programs and test drivers
# are two thirds of its build and nothing here runs them.
recipe_qpdf() {
  PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH="" cmake -S "$src" -B "$bld" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DINVCIV_MINGW_TRIPLET="$triplet" \
    -DINVCIV_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=ON -DBUILD_STATIC_LIBS=OFF -DREQUIRE_CRYPTO_NATIVE=ON \
    -DUSE_IMPLICIT_CRYPTO=OFF -DBUILD_DOC=OFF -DINSTALL_MANUAL=OFF -DINSTALL_EXAMPLES=OFF \
    -DINSTALL_CMAKE_PACKAGE=ON -DSKIP_OS_SECURE_RANDOM=OFF -DCMAKE_CXX_FLAGS="-include cstdint"
  nice -n 19 cmake --build "$bld" -j "$jobs" --target libqpdf
  # The library's install also lays the compiler's runtime DLLs that qpdf's own programs would gather
  # into this folder; those are the project's to copy, so it stays empty.
  mkdir -p "$bld/qpdf/extra-dlls"
  cmake --install "$bld" --component lib
  cmake --install "$bld" --component dev
  # The CMake package (qpdfConfig.cmake and the targets) belongs to no component of qpdf's own.
  cmake --install "$bld" --component Unspecified
}

# Qt's Core, Gui, Widgets and Test with the windows and offscreen platform plugins; moc, uic and rcc are
# Debian's own (qt6-base-dev-tools, the same version). The Debian tarball lacks the tablet header the
# windows plugin includes, hence no tablet events; OpenGL stays on (loaded at run time, as on Windows).
recipe_qt6_base() {
  deps_cmake "$src" "$bld" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DQT_GENERATE_SBOM=OFF \
    -DFEATURE_pkg_config=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_opengl_dynamic=ON -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_zstd=OFF -DINPUT_opengl=dynamic
}

# --- the driver ----------------------------------------------------------------------------------------

# Builds the dependencies for one architecture (every one, or those named after the triplet, for a part
# that needs only a few, such as the COM demo server's SQLite); sets $prefix and $wcache for the caller.
# Each dependency prints its name and the time it took; one that fails stops the script with its name and
# the end of its log.
build_deps() { # arch triplet [package...]
  local arch=$1 pkg version fn stamp start key log wanted=()
  triplet=$2
  shift 2
  wanted=("$@")
  mkdir -p "$wsources"
  [ -n "${deps_lists_read:-}" ] || { src_lists; deps_lists_read=1; }
  declare -gA deps_version=()
  local versions=""
  for pkg in "${deps_packages[@]}"; do
    version=$(src_version "$pkg")
    if [ -z "$version" ]; then
      echo "build-windows: apt offers no source package $pkg" >&2
      return 1
    fi
    deps_version[$pkg]=$version
    versions+="$pkg=$version "
  done
  # The cache's key: the toolchain and the versions of the sources; each stamp inside adds its recipe.
  key=$( { echo "$versions"; "$triplet-g++-posix" --version | head -n 1; } | sha256sum | cut -c1-12)
  wcache=$winroot/$arch-$key
  prefix=$wcache/prefix
  mkdir -p "$prefix" "$wcache/build" "$wcache/logs" "$wcache/done"
  echo "=== dependencies for $arch in $wcache"
  # Dependencies in the order they need each other; Qt, the longest, early.
  for pkg in pugixml googletest sqlite3 qt6-base libjpeg-turbo harfbuzz qpdf; do
    if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx "$pkg"; then
      continue
    fi
    fn=recipe_${pkg//-/_}
    version=${deps_version[$pkg]}
    stamp=$wcache/done/$pkg-$( { echo "$version"; declare -f "$fn" deps_cmake; cat "$root/cmake/mingw-w64.cmake"; } | sha256sum | cut -c1-12)
    if [ -f "$stamp" ]; then
      echo "    $pkg $version: already built"
      continue
    fi
    start=$(date +%s)
    log=$wcache/logs/$pkg.log
    src=$(src_fetch "$pkg" "$version") || return 1
    bld=$wcache/build/$pkg
    # A build of the same recipe that was cut short (the machine stopped, say) goes on where it was; one
    # of another recipe starts afresh.
    if [ "$(cat "$bld/.invciv-recipe" 2>/dev/null)" != "$(basename "$stamp")" ]; then
      rm -rf "$bld"
      mkdir -p "$bld"
      basename "$stamp" >"$bld/.invciv-recipe"
    else
      echo "    $pkg $version: going on with the build that was cut short"
    fi
    echo "    $pkg $version: building (log $log)"
    # In the background so that set -e holds inside the recipe (a condition would switch it off there).
    (set -e; "$fn") >"$log" 2>&1 &
    if ! wait $!; then
      tail -n 30 "$log" >&2
      echo "build-windows: the dependency $pkg ($arch) failed; its log: $log" >&2
      return 1
    fi
    rm -f "$wcache/done/$pkg-"*
    touch "$stamp"
    echo "    $pkg $version: built in $(($(date +%s) - start)) s"
  done
  [ ${#wanted[@]} -gt 0 ] || touch "$wcache/complete"
}
