# Sourced by run.sh and test.sh: installs the Debian packages given that are
# not installed yet, with sudo when not root. Does nothing when all are there.
#
#   install_missing NAME PACKAGE...
install_missing() {
  local who=$1 missing=() p
  shift
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [[ $(id -u) == 0 ]] || sudo=(sudo)
  echo "$who: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A machine that never fetched the package lists needs them first.
  if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# What building VELMORA with its tests and benchmarks needs.
build_packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libx11-dev libxtst-dev fonts-liberation)

# What the tests need beyond that: a virtual display with a window manager, and
# the checkers the package test runs on the .deb and its desktop files.
test_packages=(xvfb openbox jwm x11-utils desktop-file-utils appstream lintian)

# What the Windows installer and zip need (tools/package-windows.sh), and what
# their test under Wine needs beside the test packages: the cross compiler with
# windres for the resources and a stand-in program, Wine, unzip.
windows_packages=(nsis zip gcc-mingw-w64-x86-64-posix wine wine64 unzip)
