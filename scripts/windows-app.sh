# The project itself for Windows, against the dependencies of scripts/windows-deps.sh, and the folder that
# runs it. Sourced by scripts/build-windows and scripts/test-windows.

# The MinGW runtime's DLLs (libstdc++, libgcc, winpthread) and the dependencies' own, searched in this
# order; a DLL found in none of them is a part of Windows.
win_dll_dirs() { # triplet prefix
  local gccdir
  gccdir=$(dirname "$("$1-g++-posix" -print-libgcc-file-name)")
  printf '%s\n' "$2/bin" "$2/lib" "$gccdir" "/usr/$1/lib" "/usr/$1/bin"
}

# The DLLs an executable or DLL imports, by reading its import table.
win_imports() { # triplet file
  "$1-objdump" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p'
}

# Copies into a folder every DLL the given files load, directly or through each other, that is not part of
# Windows.
win_copy_dlls() { # triplet prefix dest-folder files...
  local t=$1 p=$2 dest=$3 dll dir found queue=() seen=" "
  shift 3
  local dirs
  mapfile -t dirs < <(win_dll_dirs "$t" "$p")
  queue=("$@")
  while [ ${#queue[@]} -gt 0 ]; do
    local f=${queue[0]}
    queue=("${queue[@]:1}")
    while IFS= read -r dll; do
      case $seen in *" ${dll,,} "*) continue ;; esac
      seen+="${dll,,} "
      found=
      for dir in "${dirs[@]}"; do
        found=$(find "$dir" -maxdepth 1 -iname "$dll" -print -quit 2>/dev/null)
        [ -n "$found" ] && break
      done
      [ -n "$found" ] || continue
      cp -u "$found" "$dest/"
      queue+=("$found")
    done < <(win_imports "$t" "$f")
  done
}

# The programs' icon, drawn by tools/invciv-icon built for this machine (Qt's ico plugin writes it) in
# build/host-tools; the Windows build puts it into the programs' resources and the setup shows it.
host_icon() { # sets app_icon
  local dir=$root/build/host-tools
  app_icon=$dir/invciv.ico
  mkdir -p "$dir"
  echo "=== the programs' icon: $app_icon"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DINVCIV_BUILD_TESTS=OFF -DINVCIV_BUILD_BENCH=OFF \
    >"$dir.configure.log" 2>&1 || {
    tail -n 30 "$dir.configure.log" >&2
    echo "build-windows: the tool that draws the icon could not be configured for this machine" >&2
    return 1
  }
  cmake --build "$dir" -j "$jobs" --target invciv-icon >"$dir.build.log" 2>&1 || {
    tail -n 30 "$dir.build.log" >&2
    echo "build-windows: the tool that draws the icon could not be built" >&2
    return 1
  }
  "$dir/bin/invciv-icon" "$app_icon"
}

build_app() { # arch triplet prefix; sets app_build (the build folder) and app_dir (the runnable folder)
  local arch=$1 t=$2 p=$3 werror=OFF plugin
  [ -n "${CI:-}" ] && werror=ON
  app_build=$root/build/win-$arch-app
  app_dir=$app_build/InvCiv
  echo "=== the project for $arch into $app_build"
  mkdir -p "$app_build"
  host_icon || return 1
  cmake -S "$root" -B "$app_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DINVCIV_MINGW_TRIPLET="$t" -DINVCIV_WINDOWS_PREFIX="$p" -DCMAKE_PREFIX_PATH="$p" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    -DCMAKE_BUILD_TYPE=Release -DINVCIV_BUILD_BENCH=OFF -DINVCIV_WERROR=$werror \
    -DINVCIV_WINDOWS_ICON="$app_icon" >"$app_build.configure.log" 2>&1 || {
    tail -n 30 "$app_build.configure.log" >&2
    echo "build-windows: the project could not be configured for $arch" >&2
    return 1
  }
  cmake --build "$app_build" -j "$jobs"

  # The runnable folder: the two programs, the blank forms, and every DLL they load; the test programs
  # beside them in bin/ get the same DLLs, so that they run there too.
  rm -rf "$app_dir"
  mkdir -p "$app_dir/platforms" "$app_dir/styles" "$app_build/bin/platforms" "$app_build/bin/styles"
  cp "$app_build/bin/invciv.exe" "$app_build/bin/invciv-cli.exe" "$app_dir/"
  # The demo host as a COM server, a program of its own or a DLL, for trying or teaching the program
  # without the real records; it is registered only by hand (docs/windows-build.md).
  local server
  for server in invciv-demo-host.exe invciv-demo-server.dll; do
    [ ! -f "$app_build/bin/$server" ] || cp "$app_build/bin/$server" "$app_dir/"
  done
  cp "$root/forms/cert med INPS.pdf" "$root/forms/AP42_SS3.pdf" "$app_dir/"
  for plugin in platforms/qwindows.dll platforms/qoffscreen.dll styles/qwindowsvistastyle.dll; do
    if [ -f "$p/plugins/$plugin" ]; then
      cp "$p/plugins/$plugin" "$app_dir/$plugin"
      cp "$p/plugins/$plugin" "$app_build/bin/$plugin"
    fi
  done
  local files
  mapfile -t files < <(find "$app_dir" -name '*.exe' -o -name '*.dll')
  win_copy_dlls "$t" "$p" "$app_dir" "${files[@]}"
  mapfile -t files < <(find "$app_build/bin" -name '*.exe' -o -name '*.dll')
  win_copy_dlls "$t" "$p" "$app_build/bin" "${files[@]}"
}
