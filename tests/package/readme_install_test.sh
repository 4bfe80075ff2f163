#!/usr/bin/env bash
# Follows the README from a clean clone of the repository's last commit: ./run.sh (without a
# display it builds and stops), then "Install and package" as written there. The clone shares
# ccache's store, so only what changed is compiled again.
# Usage: readme_install_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
command -v git >/dev/null && git -C "$source_dir" rev-parse HEAD >/dev/null 2>&1 ||
  { echo "not a git repository: the README's way is not followed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone --quiet "$source_dir" "$work/clone"
cd "$work/clone"
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ./run.sh >"$work/run.log" 2>&1 || status=$?
if [ "$status" -ne 1 ] || ! grep -q "No display found" "$work/run.log"; then
  tail -30 "$work/run.log"
  echo "FAIL: ./run.sh without a display ended with $status"
  exit 1
fi

# The README's three lines, from the clone's folder, as a user types them.
readme_block=$(sed -n '/^## Install and package/,/^## /p' README.md | sed -n '/^```sh/,/^```/p')
grep -q '^cmake --install build --prefix ~/.local' <<<"$readme_block" ||
  { echo "FAIL: the README's install line changed: update this test"; exit 1; }
HOME=$work/home cmake --install build --prefix "$work/home/.local" >"$work/install.log" ||
  { tail -20 "$work/install.log"; echo "FAIL: cmake --install after run.sh"; exit 1; }
for installed in bin/lumaro bin/lumaro-cli share/man/man1/lumaro.1.gz \
  share/applications/invalid.lumaro.Lumaro.desktop; do
  [ -e "$work/home/.local/$installed" ] || { echo "FAIL: $installed not installed"; exit 1; }
done
(cd build && cpack -G DEB >"$work/cpack.log" 2>&1) ||
  { tail -20 "$work/cpack.log"; echo "FAIL: cpack -G DEB after run.sh"; exit 1; }
ls build/lumaro_2.0-1_*.deb >/dev/null || { echo "FAIL: no lumaro_2.0-1_*.deb in build"; exit 1; }
echo "run.sh, cmake --install and cpack -G DEB work in the README's order"
