# Sourced by test.sh and scripts/test-under-load.sh: the environment the tests run in, without
# a display. The engine refuses to run as root with its sandbox on; only tests turn it off.
export_test_environment() {
  export QT_QPA_PLATFORM=offscreen
  export QT_LOGGING_RULES="qt.webenginecontext.info=false"
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
    export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
  fi
}
