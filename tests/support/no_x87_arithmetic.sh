#!/usr/bin/env bash
# no_x87_arithmetic.sh OBJDUMP LIBRARY...: fails when the 32-bit x86 code of
# these libraries does arithmetic or conversions in the x87 unit, whose
# extended precision and own rounding would change the terrain's and the
# camera's bits; it must use SSE2.  The calling convention still returns
# doubles on the x87 stack, so loads, stores and sign changes are allowed.
set -euo pipefail
objdump=$1
shift
x87=$("$objdump" -d --no-show-raw-insn "$@" |
  awk -F'\t' 'NF >= 2 { split($2, word, " "); print word[1] }' |
  grep -E '^f(add|sub|mul|div|sqrt|sin|cos|sincos|ptan|patan|prem|yl2x|2xm1|scale|rndint|ist|isttp|com|ucom)' |
  sort | uniq -c || true)
if [[ -n "$x87" ]]; then
  echo "x87 arithmetic in $*: $(echo $x87)" >&2
  exit 1
fi
