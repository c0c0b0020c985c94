#!/usr/bin/env bash
# The folders under src/ import only downward: a file includes its own
# folder and those below it, never one above. main.cpp stands on top.
# Usage: layers.sh SRC_FOLDER, or layers.sh --self-test.
set -euo pipefail

# Bottom to top.
order=(util errors settings resources language sound champions net table game controls dialogs netplay window)

rank() {
  local i
  for i in "${!order[@]}"; do
    [[ ${order[$i]} == "$1" ]] && { echo "$i"; return; }
  done
  echo -1
}

check() {
  local src=$1 bad=0 file folder own line target theirs
  while IFS= read -r -d '' file; do
    folder=${file#"$src"/}
    folder=${folder%%/*}
    own=$(rank "$folder")
    if ((own < 0)); then
      echo "layers: ${file#"$src"/} stands in a folder without a place in the order (tests/layers/layers.sh)"
      bad=1
      continue
    fi
    while IFS= read -r line; do
      target=${line#*\"}
      target=${target%%/*}
      theirs=$(rank "$target")
      if ((theirs > own)); then
        echo "layers: ${file#"$src"/} includes ${line#*\"}, but $target stands above $folder" | tr -d '"'
        bad=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$file" || true)
  done < <(find "$src" -mindepth 2 -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
  return $bad
}

self_test() {
  local output
  tree=$(mktemp -d "${TMPDIR:-/tmp}/tessaron-layers-XXXXXX")
  trap 'rm -rf "$tree"' EXIT
  mkdir -p "$tree/util" "$tree/game" "$tree/sound"
  printf '#include "util/Text.h"\n' > "$tree/game/Down.cpp"
  printf '#include "sound/Sounds.h"\n#include "util/Text.h"\n' > "$tree/sound/Own.cpp"
  printf '#include "util/Text.h"\n  #include "game/Up.h"\n' > "$tree/util/Up.cpp"
  printf '// not the included game/Up.h\n' > "$tree/util/Comment.h"
  printf '#include "game/Up.h"\n' > "$tree/main.cpp"
  if output=$(check "$tree"); then
    echo "FAIL: an upward include passed"; exit 1
  fi
  [[ $output == 'layers: util/Up.cpp includes game/Up.h, but game stands above util' ]] \
    || { echo "FAIL: expected exactly the one upward include, got:"; echo "$output"; exit 1; }
  mkdir -p "$tree/extra"
  printf '#include "util/Text.h"\n' > "$tree/extra/New.cpp"
  output=$(check "$tree") && { echo "FAIL: a folder without a place passed"; exit 1; }
  grep -q '^layers: extra' <<< "$output" || { echo "FAIL: the folder without a place is not named"; exit 1; }
  rm -r "$tree/util/Up.cpp" "$tree/extra"
  check "$tree" || { echo "FAIL: only downward includes, yet it failed"; exit 1; }
  echo "ok"
}

if [[ ${1:-} == --self-test ]]; then
  self_test
else
  check "${1:?usage: layers.sh SRC_FOLDER | --self-test}"
fi
