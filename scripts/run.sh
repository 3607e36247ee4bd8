#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo installation when it is absent and
# starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh

jobs=${JOBS:-2}
demo=${DIRURAR_DEMO:-$PWD/demo}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

if [ ! -f "$demo/aliases.ini" ]; then
    ./build/setup/dirurar-setup "$demo"
fi

echo "Starting dirurar on the demo installation in $demo"
cd "$demo"
exec "$OLDPWD/build/app/dirurar"
