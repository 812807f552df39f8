#!/usr/bin/env bash
# Checks the compiled help file as an archive: every topic of the project
# and the index are in it, every topic is in the table of contents, and
# every message the program can show is explained in the troubleshooting
# topic. The messages are gathered from the sources, not from the help.
#   check-help-file.sh <Vistals.chm> <source root>
set -uo pipefail
chm="$1" root="$2"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -f "$chm" ] || { echo "FAIL: no help file at $chm" >&2; exit 1; }
listing=$(7z l -ba -slt "$chm" | sed -n 's/^Path = //p') || { echo "FAIL: 7z cannot read $chm" >&2; exit 1; }
has() { grep -qxF "$1" <<<"$listing" || grep -qxF "/$1" <<<"$listing"; }
unpacked=$(mktemp -d); trap 'rm -rf "$unpacked"' EXIT
7z x -y -o"$unpacked" "$chm" >/dev/null 2>&1 || fail "7z cannot unpack $chm"
extract() { cat "$unpacked/$1" 2>/dev/null; }

# Topics named by the project, and the table of contents and index.
topics=$(sed -n '/^\[FILES\]/,/^\[/p' "$root/res/help/Vistals.hhp" | grep -E '\.html$' | tr -d '\r')
[ "$(wc -l <<<"$topics")" -ge 10 ] || fail "the project names too few topics"
for required in Contents.hhc Index.hhk '$WWKeywordLinks/BTree'; do
  has "$required" || fail "$required is not in the help file"
done
contents=$(extract Contents.hhc)
index=$(extract Index.hhk)
for topic in $topics; do
  has "$topic" || fail "topic $topic is not in the help file"
  grep -qF "\"$topic\"" <<<"$contents" || fail "topic $topic is not in the table of contents"
done
[ "$(grep -c 'name="Local"' <<<"$index")" -ge 20 ] || fail "the index has too few entries"
for keyword in "Select Background Images" "Tray menu" "Command line" "Registry" "Messages"; do
  grep -qF "value=\"$keyword\"" <<<"$index" || fail "the index has no entry \"$keyword\""
done

# Readable text of the troubleshooting topic: tags dropped, blanks folded.
plain() { sed -e 's/<[^>]*>/ /g' -e 's/&nbsp;/ /g; s/&amp;/\&/g; s/&lt;/</g; s/&gt;/>/g' | tr -s ' \t\r\n' ' '; }
trouble=$(extract troubleshooting.html | plain)
[ -n "$trouble" ] || fail "troubleshooting.html is empty or missing"

# Messages: the string table's IDS_ and IDP_ texts, then sentence-like
# literals of the program's code and the codec library's error texts.
messages=$(
  sed -n '/^STRINGTABLE/,/^END/p' "$root/res/vistals.rc" | grep -E '^\s*ID[SP]_' | sed -E 's/^[^"]*"(.*)"\s*$/\1/'
  grep -rhoP --include=*.cpp '"[A-Z][a-z'"'"']*( [^" \\&]+){3,}[ :]*"' \
    "$root/app" "$root/ui" "$root/sets" "$root/settings" "$root/wallpaper" "$root/zelimage/win/ErrorText.cpp" |
    sed -E 's/^"(.*)"$/\1/'
)
[ "$(wc -l <<<"$messages")" -ge 15 ] || fail "too few messages found in the sources"
while IFS= read -r message; do
  [ -n "$message" ] || continue
  # Numbers and names filled in at run time may read anything: each fixed
  # piece between them must appear.
  while IFS= read -r piece; do
    piece=$(tr -s ' ' <<<"$piece" | sed -E 's/^ +//; s/[ :]+$//')
    [ -z "$piece" ] && continue
    grep -qF -- "$piece" <<<"$trouble" || fail "message not explained: \"$message\""
  done < <(sed -E 's/%[-0-9.]*l?[dsu]/\n/g' <<<"$message")
done <<<"$messages"

[ "$failures" -eq 0 ] && echo "help file: $(wc -l <<<"$topics") topics, $(wc -l <<<"$messages") messages checked"
exit $((failures > 0))
