#!/usr/bin/env bash
# option_combinations.sh SOURCE FOLDER: configures and builds SOURCE with each
# documented combination of options that no other tree builds, each in a
# tree of its own under FOLDER; fails, saying which, on the first that does
# not configure or build.
set -uo pipefail
source=$1 folder=$2
while read -r name options; do
  # shellcheck disable=SC2086  # the options are separate words
  cmake -S "$source" -B "$folder/$name" -DCMAKE_BUILD_TYPE=Release $options >/dev/null &&
    nice cmake --build "$folder/$name" -j"$(nproc)" >/dev/null ||
    { echo "FAIL: $name ($options) does not configure or build"; exit 1; }
  echo "$name ($options): configures and builds"
done <<'COMBINATIONS'
scene-only-without-tests -DTERRAIN_SCENE_ONLY=ON -DTERRAIN_TESTS=OFF
scene-only -DTERRAIN_SCENE_ONLY=ON
without-tests -DTERRAIN_TESTS=OFF -DTERRAIN_PROFILING=OFF
null-backend -DTERRAIN_BACKEND=null -DTERRAIN_PROFILING=OFF -DTERRAIN_BENCH=OFF
COMBINATIONS
