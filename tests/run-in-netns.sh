#!/usr/bin/env bash
# Runs a command in a private network namespace with only the loopback interface up,
# so that it may bind port 6711 and create veth pairs without touching the machine.
# Exit status 77 (CTest: skipped) when namespaces cannot be made here.
set -u
if [ "${MIREVO_IN_NETNS:-}" = 1 ]; then
  ip link set lo up || exit 1
  exec "$@"
fi
if ! unshare -n true 2>/dev/null; then
  echo "SKIP: private network namespaces need root (unshare -n failed)" >&2
  exit 77
fi
MIREVO_IN_NETNS=1 exec unshare -n "$0" "$@"
