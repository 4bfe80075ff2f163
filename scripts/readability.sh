# Sourced by run.sh and test.sh: installs Mozilla's Readability, pinned, from the npm registry into
# the user's cache, where the build finds it (src/browser/CMakeLists.txt). Safe to run again.

LUMARO_READABILITY_VERSION=0.6.0

ensure_readability() {
  # The build looks in $HOME too; a run without HOME (some CI runners) uses the account's home.
  if [ -z "${HOME:-}" ]; then
    HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
    export HOME
  fi
  local prefix="${HOME}/.cache/lumaro/npm"
  local package="$prefix/node_modules/@mozilla/readability"
  if [ -f "$package/Readability.js" ] &&
    grep -q "\"version\": \"$LUMARO_READABILITY_VERSION\"" "$package/package.json"; then
    return 0
  fi
  # Debian's nodejs comes without npm; a nodejs from elsewhere may bring its own.
  command -v npm >/dev/null || ensure_packages npm
  mkdir -p "$prefix"
  npm install --prefix "$prefix" --no-audit --no-fund --no-save --silent \
    "@mozilla/readability@$LUMARO_READABILITY_VERSION" ||
    echo "Readability could not be installed: chapters will be saved as the whole page's text" >&2
}
