#!/usr/bin/env bash
# Fails when a file includes a folder above its own. The order, ground first:
#   framework <- settings <- sets, wallpaper <- ui <- app
# sets and wallpaper are side by side and do not see each other. The codec
# library zelimage/ includes nothing of the program; the program sees only its
# public header (zelimage/include, from wallpaper/ up). res/resource.h may be
# included by anyone. tests/ and the resource script are exempt.
#
# usage: include-direction.sh [repository root]
set -uo pipefail
ROOT=$(cd "${1:-$(dirname "$0")/..}" && pwd)

# What each folder may include besides itself and res/resource.h.
declare -A MAY_INCLUDE=(
  [framework]=""
  [settings]="framework"
  [sets]="framework settings"
  [wallpaper]="framework settings zelimage-api"
  [ui]="framework settings sets wallpaper zelimage-api"
  [app]="framework settings sets wallpaper ui zelimage-api"
  [zelimage]="zelimage-api"
)

# The folder a repository path belongs to, as the rules name it (in FOLDER).
folder_of() {
  case "$1" in
    zelimage/include/*) FOLDER=zelimage-api ;;
    res/resource.h) FOLDER=resource-ids ;;
    *) FOLDER=${1%%/*} ;;
  esac
}

# "a/b/../c" as "a/c" (in NORMAL), without leaving the shell.
normalize() {
  local part
  local -a parts=()
  IFS=/ read -r -a pieces <<< "$1"
  for part in "${pieces[@]}"; do
    case "$part" in
      ''|.) ;;
      ..) [ ${#parts[@]} -gt 0 ] && unset 'parts[${#parts[@]}-1]' ;;
      *) parts+=("$part") ;;
    esac
  done
  printf -v NORMAL '%s/' "${parts[@]}"
  NORMAL=${NORMAL%/}
}

# Repository path of a quoted include (in TARGET), looked up the way the
# build does: beside the includer, then from the root, then in the public
# include folders; one found nowhere is judged by the folder it names.
resolve() {
  local includer_dir=$1 name=$2 base
  for base in "$includer_dir/" "" "zelimage/include/" "res/"; do
    if [ -f "$ROOT/$base$name" ]; then
      normalize "$base$name"
      TARGET=$NORMAL
      return
    fi
  done
  normalize "$name"
  TARGET=$NORMAL
}

violations=0
files=()
while IFS= read -r -d '' file; do
  path=${file#"$ROOT"/}
  own=${path%%/*}
  case "$own" in tests|res|build) continue ;; esac
  if [ -z "${MAY_INCLUDE[$own]+set}" ]; then
    echo "$path: folder \"$own\" has no place in the include order (see $0)"
    violations=$((violations + 1))
    continue
  fi
  files+=("$path")
done < <(cd "$ROOT" && find . \( -path ./build -o -path ./.git -o -path ./tests \
                                -o -path ./zelimage/thirdparty -o -path ./zelimage/tests \) -prune \
                             -o -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' \) \
                             -printf '%P\0')
checked=${#files[@]}

while IFS= read -r match; do
  path=${match%%:*}
  rest=${match#*:}
  line_number=${rest%%:*}
  line=${rest#*:}
  [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
  name=${BASH_REMATCH[1]}
  own=${path%%/*}
  resolve "${path%/*}" "$name"
  target=$TARGET
  folder_of "$target"
  other=$FOLDER
  [ "$other" = "$own" ] && continue
  [ "$other" = resource-ids ] && [ "$own" != zelimage ] && continue
  case " ${MAY_INCLUDE[$own]} " in *" $other "*) continue ;; esac
  echo "$path:$line_number: includes \"$name\" ($target): $own may not include $other"
  violations=$((violations + 1))
done < <(cd "$ROOT" && [ "$checked" -gt 0 ] && grep -Hn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "${files[@]}")

if [ "$checked" -lt 20 ]; then
  echo "only $checked source files found below $ROOT: wrong folder?"
  exit 2
fi
if [ "$violations" -gt 0 ]; then
  echo "$violations include(s) against the folder order"
  exit 1
fi
echo "$checked files include only their own folder or folders below it"
