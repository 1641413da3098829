#!/usr/bin/env bash
# The manual pages format without a warning at any width, and the page of
# textcrypt-cli documents everything its --help lists: each subcommand and
# option as an entry, each exit code, and each example line as it stands.
# Usage: man_page_test.sh TEXTCRYPT_CLI PAGE...   (the first page is the CLI's)
set -uo pipefail
export LC_ALL=C.UTF-8
cli=$1
shift
pages=("$@")
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for page in "${pages[@]}"; do
  warnings=$(preconv "$page" | groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
  # lintian's own check formats the page like this.
  for width in 40 80 200; do
    warnings=$(MANWIDTH=$width man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page at width $width: $warnings"
  done
  whatis=$(lexgrog "$page" 2>&1) || fail "lexgrog finds no name line in $page: $whatis"
done

help=$("$cli" --help) || fail "$cli --help failed"

# The help's lines of each kind, one a line.
subcommands() { sed -n '/^选项：/q; s/^  \([a-z][a-z-]*\)  .*/\1/p' <<<"$help"; }
options() {
  sed -n '/^选项：/,/^$/{/^  -/p}' <<<"$help" | sed 's/^ *//; s/  .*//' |
    grep -oE '(^|[ ,])--?[[:alnum:]][[:alnum:]-]*' | tr -d ' ,'
}
examples() { sed -n '/^示例：/,/^$/{/^  /p}' <<<"$help" | sed 's/^ *//'; }
exit_codes() { sed -n 's/^退出状态：//p' <<<"$help" | tr '；' '\n' | sed -n 's/^ *\([0-9][0-9]*\) *\([^（。]*\).*/\1 \2/p'; }

# Prints what the help lists and the page lacks, one item a line.
missing_from_page() {
  local rendered section
  rendered=$(MANWIDTH=1000 man -l -E UTF-8 "$1" 2>/dev/null) || { echo "the page (man -l failed)"; return; }
  # A section runs from its heading (a line without indent) to the next.
  section() { awk -v name="$1" '/^[^ ]/ { inside = ($0 == name); next } inside' <<<"$rendered"; }
  local description options_section exits examples_section
  description=$(section 描述)
  options_section=$(section 选项)
  exits=$(section 退出状态)
  examples_section=$(section 示例 | sed 's/^ *//')
  local item code meaning
  while read -r item; do
    grep -qE "^ +$item( |\$)" <<<"$description" || echo "the subcommand $item"
  done < <(subcommands)
  while read -r item; do
    grep -qE "^ +(-[^ ]*, )*$item([ ,=]|\$)" <<<"$options_section" || echo "the option $item"
  done < <(options)
  while read -r code meaning; do
    grep -qE "^ +$code( |\$)" <<<"$exits" && grep -qF "$meaning" <<<"$exits" ||
      echo "the exit code $code ($meaning)"
  done < <(exit_codes)
  while IFS= read -r item; do
    grep -qxF -- "$item" <<<"$examples_section" || echo "the example: $item"
  done < <(examples)
}

# Nothing to compare would make the comparison pass whatever the page says.
for kind in subcommands options examples exit_codes; do
  [ -n "$($kind)" ] || fail "found no $kind in the --help output; has its layout changed?"
done

missing=$(missing_from_page "${pages[0]}")
[ -z "$missing" ] || fail "$(printf 'the page %s lacks, from --help:\n%s' "${pages[0]}" "$missing")"

# The comparison notices a page that lost an option entry and an example.
damaged=$(mktemp)
trap 'rm -f "$damaged"' EXIT
sed -e '/^\.B \\-\\-raw$/d' -e '/^textcrypt-cli encrypt \\-\\-raw/d' "${pages[0]}" >"$damaged"
noticed=$(missing_from_page "$damaged")
grep -qxF 'the option --raw' <<<"$noticed" && grep -q '^the example: .*--raw' <<<"$noticed" ||
  fail "a page without --raw went unnoticed: $noticed"

[ "$failures" -eq 0 ] || exit 1
echo "manual pages match --help"
