#!/usr/bin/env bash
# Sources the bash completion of textcrypt-cli and checks the words it
# offers for a table of command lines, as bash would ask for them.
# Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
export LC_ALL=C.UTF-8
source "$1" || exit 1
[[ $(complete -p textcrypt-cli) == *'-F _textcrypt_cli textcrypt-cli' ]] ||
  { echo "FAIL: textcrypt-cli has no completion: $(complete -p textcrypt-cli 2>&1)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch key.bin '信 件.txt' -- -dash.txt
mkdir texts

failures=0
# check EXPECTED WORD...: completes the last WORD; EXPECTED lists the words
# offered in sorted order, joined by "|".
check() {
  local expected=$1
  shift
  COMP_WORDS=(textcrypt-cli "$@")
  COMP_CWORD=$#
  COMP_LINE="textcrypt-cli $*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _textcrypt_cli
  local got
  got=$(((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|')
  if [[ $got != "$expected" ]]; then
    echo "FAIL: textcrypt-cli $(printf '[%s] ' "$@"): offered '$got', wanted '$expected'"
    failures=$((failures + 1))
  fi
}

files='-dash.txt|key.bin|texts|信 件.txt'
# The first word: a subcommand, or any option.
check 'decrypt|encrypt' ''
check 'encrypt' e
check '--help|--key|--key-file|--raw|--version' -
check '--key|--key-file' --raw -
check '' --help ''
# After the subcommand: the options not yet given, then the input file.
check '--key|--key-file|--raw' encrypt -
check '--raw' decrypt --key-file key.bin -
check '' encrypt --raw --key = secret -
check "$files" encrypt --key-file key.bin ''
check '信 件.txt' decrypt --key x 信
check '' encrypt --key-file key.bin 信.txt ''
# The value of --key-file, however it is written, is a file and no subcommand.
check "$files" encrypt --key-file ''
check 'key.bin' decrypt --key-file k
check "$files" decrypt --key-file =
check 'key.bin' decrypt --key-file = k
check 'decrypt' --raw --key-file decrypt d
# Nothing is offered for a key; after "--" a word with a dash is a file.
check '' encrypt --key ''
check '' encrypt --key = ''
check '-dash.txt' encrypt -- -

[ "$failures" -eq 0 ] || exit 1
echo "completion offers the expected words"
