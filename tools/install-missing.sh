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
  libgtest-dev libgmock-dev libx11-dev libxtst-dev libwayland-dev wayland-protocols libxkbcommon-dev
  fonts-liberation)

# What the tests need beyond that: a virtual display with a window manager, and
# the checkers the package test runs on the .deb and its desktop files; a
# session bus with the desktop portal and its GTK backend, a headless Wayland
# compositor and Qt's Wayland platform for the keep-awake tests; a headless
# sway with Xwayland (xhost lets the tests' user in) and swayidle watching it
# for the NumLock pulse through the compositor's virtual keyboard; the
# accessibility bus and its Python client for what a screen reader reads.
test_packages=(xvfb openbox jwm x11-utils desktop-file-utils appstream lintian
  dbus-daemon xdg-desktop-portal xdg-desktop-portal-gtk weston qt6-wayland
  sway swayidle xwayland x11-xserver-utils at-spi2-core python3-pyatspi orca speech-dispatcher)

# What the Windows build needs: the MinGW-w64 cross compiler (posix threads),
# its tools (windres for the resources), and GoogleTest's sources to build the
# Windows tests with.
windows_build_packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools googletest)

# What running the Windows tests needs beyond that: 64-bit Wine; and what the
# installer and zip need (tools/package-windows.sh) and their test: NSIS, zip, unzip.
windows_test_packages=(wine wine64 nsis zip unzip)

# Everything the Windows build, its package and their tests need.
windows_packages=("${windows_build_packages[@]}" "${windows_test_packages[@]}")
