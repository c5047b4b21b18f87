# The project itself for Windows, against the dependencies of scripts/windows-deps.sh. Sourced by
# scripts/build-windows.
build_app() { # arch triplet prefix
  echo "build-windows: the project's build is not written yet" >&2
  return 1
}
