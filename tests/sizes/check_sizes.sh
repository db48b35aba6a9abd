#!/usr/bin/env bash
# check_sizes.sh BUDGET RUNTIME... : prints each runtime's size, fails when one
# is missing or over the budget.
budget=$1
shift
status=0
for f in "$@"; do
  if [ ! -f "$f" ]; then
    echo "$f: missing (build every variant first)"
    status=1
    continue
  fi
  size=$(stat -c %s "$f")
  if [ "$size" -gt "$budget" ]; then
    echo "$f: $size bytes, OVER the $budget-byte budget by $((size - budget))"
    status=1
  else
    echo "$f: $size bytes ($((budget - size)) to spare)"
  fi
done
exit $status
