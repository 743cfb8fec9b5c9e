#!/usr/bin/env bash
# Whole-program replay benchmark: generates a full-transponder capture (about 5 % SI packets)
# and an SI-only carousel with gencapture, harvests each with the real epgharvest binary, and
# sets the speed against plain reading of the same file (`cat FILE > /dev/null`), measured
# alternately in the same run from the page cache. Also shows that peak resident memory stays
# flat however long the capture is.
#
#   bench/replay.sh [BIN_DIR [WORK_DIR]]     defaults: build/bin, build/replay
#
# Environment: RUNS (measurements per capture, best counts; default 3), CPU (the core both
# cat and epgharvest are pinned to with taskset; default 0, empty: not pinned), TRANSPONDER_SIZE
# (default 1G), CAROUSEL_SIZE (default 256M), SERVICES (default 120), DAYS (default 7),
# KEEP=1 keeps the captures for the next run (they are regenerated only when missing).
#
# Disk: one capture at a time in WORK_DIR (TRANSPONDER_SIZE), all of them with KEEP=1.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:-$here/../build/bin}" && pwd)
work=${2:-$bin/../replay}
runs=${RUNS:-3}
cpu=${CPU-0}
transponderSize=${TRANSPONDER_SIZE:-1G}
carouselSize=${CAROUSEL_SIZE:-256M}
services=${SERVICES:-120}
days=${DAYS:-7}
start=2026-01-15T18:00:00Z

# Targets.
minRatio=0.5            # of cat's speed, full transponder
minCarouselMBps=2000    # SI-only carousel, one core
maxRssKiB=$((16 * 1024))

for tool in epgharvest gencapture; do
  [ -x "$bin/$tool" ] || { echo "replay.sh: $bin/$tool not found (build first)" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "replay.sh: /usr/bin/time missing (Debian package time)" >&2; exit 2; }
command -v xmllint >/dev/null || { echo "replay.sh: xmllint missing (libxml2-utils)" >&2; exit 2; }
pin=()
if [ -n "$cpu" ]; then
  command -v taskset >/dev/null || { echo "replay.sh: taskset missing; set CPU= to run unpinned" >&2; exit 2; }
  pin=(taskset -c "$cpu")
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)

now_ns() { date +%s%N; }

# gencapture NAME SI_SHARE SIZE: the capture NAME.ts of the common line-up.
generate() {
  local name=$1 share=$2 size=$3
  if [ "${KEEP:-0}" = 1 ] && [ -s "$work/$name.ts" ]; then return; fi
  "$bin/gencapture" --services "$services" --days "$days" --si-share "$share" --size "$size" \
    --seed 1 --start "$start" --out "$work/$name.ts" 2>&1 | sed 's/^/  /'
}

# A capture of null packets only: what the program takes with no SI to keep.
null_capture() {
  local file=$work/$1.ts
  { printf '\107\037\377\020'; head -c 184 /dev/zero | tr '\0' '\377'; } > "$file"
  for _ in $(seq 16); do cat "$file" "$file" > "$file.tmp"; mv "$file.tmp" "$file"; done
}

# The configuration of a capture: the bundled demo's tuner, the capture as tuner 1 on the
# stream's own clock. The idle period is far longer than any run, so a run that ends with 0
# has read its capture to the end.
configure() {
  cat > "$work/$1.ini" <<EOF
[Tuner]
Timeout=3600
Transponder=12303000
SignalPolarisation=0
SymbolRate=27500
DVBS2=0
BAT=0

[Capture]
File=$1.ts
Clock=stream
EOF
}

# timed TIME_FILE OUTPUT COMMAND...: runs the command (pinned) under /usr/bin/time -v, its
# output to OUTPUT; prints the wall-clock nanoseconds.
timed() {
  local tf=$1 out=$2 t0 t1
  shift 2
  t0=$(now_ns)
  /usr/bin/time -v -o "$tf" "${pin[@]}" "$@" > "$out" 2>&1 || return 1
  t1=$(now_ns)
  echo $((t1 - t0))
}

field() { sed -n "s/^[[:space:]]*$2: //p" "$1"; }
cpu_seconds() { echo "$(field "$1" 'User time (seconds)') $(field "$1" 'System time (seconds)')" | awk '{printf "%.2f", $1 + $2}'; }

# measure NAME: best-of-RUNS cat and harvest figures into globals.
measure() {
  local name=$1 file=$work/$1.ts i ns
  size=$(stat -c %s "$file")
  cat "$file" > /dev/null   # into the page cache
  bestCat=0 bestHarvest=0 harvestCpu=0 rss=0
  for i in $(seq "$runs"); do
    ns=$(timed "$work/cat.time" /dev/null cat "$file")
    if [ "$bestCat" = 0 ] || [ "$ns" -lt "$bestCat" ]; then bestCat=$ns; fi
    ns=$(timed "$work/$name.time" "$work/$name.log" "$bin/epgharvest" "$work/$name.ini" \
      "$work/$name.xml") ||
      { echo "replay.sh: epgharvest failed on $name.ts:" >&2; cat "$work/$name.log" >&2; exit 1; }
    local r; r=$(field "$work/$name.time" 'Maximum resident set size (kbytes)')
    if [ "$r" -gt "$rss" ]; then rss=$r; fi
    if [ "$bestHarvest" = 0 ] || [ "$ns" -lt "$bestHarvest" ]; then
      bestHarvest=$ns
      harvestCpu=$(cpu_seconds "$work/$name.time")
    fi
  done
  # The guide: well-formed, closed, with something in it.
  xmllint --noout --nonet "$work/$name.xml" || { echo "replay.sh: $name.xml is not well-formed" >&2; exit 1; }
  [ "$(tail -c 7 "$work/$name.xml")" = "$(printf '</tv>\r')" ] ||
    { echo "replay.sh: $name.xml does not end with </tv>" >&2; exit 1; }
  channels=$(grep -c '^<channel ' "$work/$name.xml" || true)
  programmes=$(grep -c '^<programme ' "$work/$name.xml" || true)
}

mbps() { awk -v b="$1" -v ns="$2" 'BEGIN { printf "%.0f", b / (ns / 1e9) / 1e6 }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.0f MiB", b / 1048576 }'; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo PASS; else echo FAIL; fi; }

echo "epgharvest replay benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')," \
  "commit $(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1);" \
  "pinned to: ${cpu:-none}; best of $runs; load at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "captures in $work: $services services, $days days of schedule, seed 1"

# Each capture is made, measured and (without KEEP=1) removed in turn, so the disk holds one.
failed=0
rows=()
declare -A rssOf sizeOf
for name in transponder carousel transponder-short carousel-short no-si; do
  case $name in
    transponder) generate "$name" 5 "$transponderSize" ;;
    carousel) generate "$name" 100 "$carouselSize" ;;
    transponder-short) generate "$name" 5 "$carouselSize" ;;
    carousel-short) generate "$name" 100 64M ;;
    no-si) null_capture "$name" ;;
  esac
  configure "$name"
  sync
  measure "$name"
  rssOf[$name]=$rss
  catMBps=$(mbps "$size" "$bestCat")
  harvestMBps=$(mbps "$size" "$bestHarvest")
  ratio=$(awk -v c="$bestCat" -v h="$bestHarvest" 'BEGIN { printf "%.2f", c / h }')
  check=""
  case $name in
    transponder)
      v=$(verdict "$ratio >= $minRatio"); check="ratio>=$minRatio $v" ;;
    carousel)
      v=$(verdict "$harvestMBps >= $minCarouselMBps"); check=">=$minCarouselMBps MB/s $v" ;;
    *) v=PASS ;;
  esac
  rv=$(verdict "$rss < $maxRssKiB")
  [ "$v" = PASS ] && [ "$rv" = PASS ] || failed=1
  sizeOf[$name]=$size
  [ "${KEEP:-0}" = 1 ] || rm -f "$work/$name.ts"
  rows+=("$(printf '%-17s %8s %9s %11s %6s %8s %7.1f MiB %5s %7s  %s' "$name" "$(mib "$size")" \
    "$catMBps" "$harvestMBps" "$ratio" "$harvestCpu" "$(awk -v k="$rss" 'BEGIN{print k/1024}')" \
    "$channels" "$programmes" "${check:+$check, }RSS<16MiB $rv")")
done

echo
printf '%-17s %8s %9s %11s %6s %8s %11s %5s %7s  %s\n' capture size "cat MB/s" "harvest MB/s" \
  ratio "cpu s" "peak RSS" chans progs checks
for row in "${rows[@]}"; do echo "$row"; done

# Memory: the same line-up replayed four times as long must not need more; what the SI adds
# over a capture without any is the parser state (services, names, event ids) and the heap
# around it.
grow=$(( rssOf[transponder] - rssOf[transponder-short] ))
growCarousel=$(( rssOf[carousel] - rssOf[carousel-short] ))
state=$(( rssOf[transponder] - rssOf[no-si] ))
flat=$(verdict "$grow < 1024 && $growCarousel < 1024")
[ "$flat" = PASS ] || failed=1
echo
echo "peak RSS growth with capture length: transponder $(mib "${sizeOf[transponder-short]}")" \
  "-> $(mib "${sizeOf[transponder]}"): $grow KiB; carousel $(mib "${sizeOf[carousel-short]}")" \
  "-> $(mib "${sizeOf[carousel]}"): $growCarousel KiB (< 1 MiB: $flat)"
echo "parser state and its heap (RSS over the no-SI capture): $state KiB;" \
  "footprint without it: ${rssOf[no-si]} KiB"
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $failed
