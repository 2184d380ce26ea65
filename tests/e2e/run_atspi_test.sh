#!/usr/bin/env bash
# Runs atspi_test.py against the built program on a virtual display, with a
# private session bus (and through it a private accessibility bus) and a
# system bus address that leads nowhere: nothing reaches the machine's buses.
# Usage: run_atspi_test.sh PROGRAM
set -euo pipefail

if [ "${1:-}" != "--inner" ]; then
  export TESSARIN_OUTER_SESSION_BUS="${DBUS_SESSION_BUS_ADDRESS:-none}"
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/system_bus
  unset AT_SPI_BUS_ADDRESS
  exec dbus-run-session -- "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 1024x768x24 "$0" --inner "$@"
fi
shift
# Debian's interpreter, where python3-pyatspi lives.
exec /usr/bin/python3 "$(dirname "$0")/atspi_test.py" "$@"
