#!/usr/bin/env bash
# option_combinations.sh SOURCE FOLDER: configures and builds SOURCE with each
# documented combination of options that no other tree builds, each in a
# tree of its own under FOLDER; fails, saying which, on the first that does
# not configure or build.
set -uo pipefail
source=$1 folder=$2
combinations=(
  "scene-only-without-tests -DTERRAIN_SCENE_ONLY=ON -DTERRAIN_TESTS=OFF"
  "scene-only -DTERRAIN_SCENE_ONLY=ON"
  "without-tests -DTERRAIN_TESTS=OFF -DTERRAIN_PROFILING=OFF"
)
for combination in "${combinations[@]}"; do
  read -r name options <<<"$combination"
  log=$folder/$name.log
  mkdir -p "$folder"
  # shellcheck disable=SC2086  # the options are separate words
  if ! { cmake -S "$source" -B "$folder/$name" -DCMAKE_BUILD_TYPE=Release $options &&
         nice cmake --build "$folder/$name" -j"$(nproc)"; } >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "FAIL: $name ($options) does not configure or build; see $log"
    exit 1
  fi
  echo "$name ($options): configures and builds"
done
