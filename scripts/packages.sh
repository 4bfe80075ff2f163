# Sourced by run.sh and test.sh: installs the Debian packages Lumaro needs when missing.

LUMARO_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libqt6opengl6-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-zenhei fonts-dejavu-core qt6-translations-l10n
  xvfb xauth xclip bc
  dpkg-dev librsvg2-bin desktop-file-utils lintian appstream
  libquazip1-qt6-dev epubcheck nodejs
  clang libclang-rt-14-dev
  libxapian-dev qt6-pdf-dev libqt6sql6-sqlite
)

ensure_packages() {
  local missing=() pkg
  for pkg in "${LUMARO_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
