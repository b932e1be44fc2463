# Sourced by run.sh and test.sh: installs the Debian packages they need.

# The packages every build needs (Qt 6 with its SQLite and PostgreSQL drivers,
# its charts and its Russian translation, the tool chain, SQLite's own library
# for backups, libmdb for legacy Access files, QtKeychain with libsecret, which
# it loads at run time, for remembered server passwords, and a font so that
# text renders under offscreen and xvfb).
BUILD_PACKAGES=(qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-base-dev-tools libgl-dev qt6-charts-dev
                cmake g++ ccache make pkg-config fonts-dejavu-core qt6-translations-l10n libsqlite3-dev
                mdbtools-dev libmdb3 qtkeychain-qt6-dev libqt6keychain1 libsecret-1-0)

# What package.sh needs besides: dpkg-shlibdeps (dpkg-dev) and file, which
# cpack uses to find the package's library dependencies.
PACKAGE_PACKAGES=(dpkg-dev file)

# What the tests need besides: a browser that opens an exported HTML catalogue;
# the package build and the validators of its menu entry and metainfo; an X
# server for the keys that follow the desktop's key scheme, with a window
# manager (openbox, and xprop to see it ready) that frames the main window as
# a desktop does; Python, whose csv
# module reads the exported CSV files back; LibreOffice Calc with Debian's
# Python bridge, which opens them as a user would; poppler-utils, which reads
# printed pages back as text and pictures; the PostgreSQL server that
# tools/test-server.sh starts for the server's suites; a private D-Bus session
# with gnome-keyring, the real keyring of the sign-in's cases.
TEST_PACKAGES=(chromium "${PACKAGE_PACKAGES[@]}" desktop-file-utils appstream xvfb xauth openbox x11-utils python3
               libreoffice-calc-nogui python3-uno poppler-utils postgresql-15 dbus gnome-keyring)

package_installed() {
  dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed'
}

# Installs those of the named packages that are missing; does nothing (and
# skips apt-get update) when all of them are present.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    package_installed "$p" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing packages: ${missing[*]}; install them as root (no sudo here)." >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y "${missing[@]}"
}
