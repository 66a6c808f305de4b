#!/usr/bin/env bash
# Builds the library and runs the example host program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
exec "$root/build/release/examples/open_close" "$@"
