#!/usr/bin/env bash
# Runs the fuzz targets of a build made with -DEPG_FUZZ=ON, one after the other.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]     TARGET: sections, demux, ini (default: all)
# Each target first replays its kept findings (fuzz/regressions/TARGET), then fuzzes for SECONDS
# from its seeds (made by fuzz_seeds) and its corpus, which grows in BUILD_DIR/corpus/TARGET
# across runs. Logs go to BUILD_DIR/logs/TARGET.log, new findings to BUILD_DIR/findings/TARGET/.
# Exits non-zero at the first finding.
set -euo pipefail
build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(sections demux ini)
source_dir=$(cd "$(dirname "$0")" && pwd)

[ -d "$build/seeds/sections" ] || "$build/bin/fuzz_seeds" "$build/seeds"
mkdir -p "$build/logs"
for target in "${targets[@]}"; do
  binary="$build/bin/fuzz_$target"
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus" "$findings"
  extra=()
  case $target in
    sections) extra+=(-max_len=16384) ;;
    demux) extra+=(-max_len=32768) ;;
    ini) extra+=(-max_len=4096 -dict="$source_dir/ini.dict") ;;
  esac
  kept=("$source_dir/regressions/$target"/*)
  if [ -e "${kept[0]}" ]; then
    echo "fuzz_$target: replaying ${#kept[@]} kept finding(s)"
    "$binary" "${kept[@]}" >"$log.replay" 2>&1 || { cat "$log.replay"; exit 1; }
  fi
  echo "fuzz_$target: fuzzing for $seconds s (log: $log)"
  if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
      -artifact_prefix="$findings/" "${extra[@]}" "$corpus" "$build/seeds/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target: FINDING, see $findings/"
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 | sed "s/^/fuzz_$target: /"
  grep -E 'stat::number_of_executed_units' "$log" | sed "s/^/fuzz_$target: /"
done
