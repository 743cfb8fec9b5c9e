#!/usr/bin/env bash
# Prints a short summary of an XMLTV document written by epgharvest: channels, programmes,
# the time span the programmes cover and where the file is.
set -euo pipefail
guide=${1:?usage: summarize.sh guide.xml}
channels=$(grep -c '^<channel ' "$guide" || true)
programmes=$(grep -c '^<programme ' "$guide" || true)
span=$(grep -o 'start="[0-9]\{14\}\|stop="[0-9]\{14\}' "$guide" | cut -d'"' -f2 | sort | sed -n '1p;$p' |
       sed -E 's/(....)(..)(..)(..)(..)(..)/\1-\2-\3 \4:\5 UTC/' | paste -sd'~' | sed 's/~/ to /')
echo
echo "Harvested guide: $(realpath "$guide")"
echo "  channels:   $channels"
echo "  programmes: $programmes"
echo "  covering:   ${span:-nothing}"
if command -v xmllint >/dev/null 2>&1; then
  if xmllint --noout --nonet "$guide" 2>/dev/null; then echo "  well-formed XML: yes"; else echo "  well-formed XML: NO"; fi
fi
echo "First lines:"
head -n 12 "$guide" | sed 's/\r$//; s/^/  /'
