#!/usr/bin/env bash
# A short soak for CI: 100 alternating Option 1 and Option 2 runs in one
# session must leave no window behind and not grow the resident size by
# more than 2 MB from run 10 on. `make soak` runs 1000.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec bash "$here/../../bench/soak.sh" "${1:?usage: soak.sh BUILD_DIR}" 100 2048
