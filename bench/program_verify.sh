#!/usr/bin/env bash
# Programming and verifying a whole device of every family through the simulated
# programmer: handshakes (transactions) and simulated time, the estimate of the time on
# real hardware, from pellory-cli --stats. Usage: bench/program_verify.sh PELLORY_CLI
# (The 25-series line forces the verify after programming on: its program row includes it.)
set -euo pipefail
cli=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/resources/SERLIST.CSV" "$work/"
mkdir "$work/sim"

# manufacturer, device, image bytes
devices=(
  "Atmel AT24C512 65536"
  "Atmel AT25640A 8192"
  "Winbond W25Q80BV 1048576"
  "Atmel AT45DB011 135168"
  "Atmel AT93C66 512"
  "Siemens SDA2506 128"
)
printf '%-10s %-8s %6s %12s %14s %10s %8s\n' device command status transactions sim_us sim_s host_s
for entry in "${devices[@]}"; do
  read -r maker device bytes <<< "$entry"
  head -c "$bytes" /dev/urandom > "$work/image.bin"
  for command in program verify; do
    start=$(date +%s.%N)
    status=0
    "$cli" --simulate -C "$work" -m "$maker" -d "$device" -y --set Verify=0 --stats \
      "$command" image.bin > /dev/null 2> "$work/stats.txt" || status=$?
    stats=$(grep '^transactions=' "$work/stats.txt")
    host=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
    transactions=$(sed 's/.*transactions=\([0-9]*\).*/\1/' <<< "$stats")
    us=$(sed 's/.*sim_us=\([0-9]*\).*/\1/' <<< "$stats")
    printf '%-10s %-8s %6s %12s %14s %10.1f %8s\n' "$device" "$command" "$status" \
      "$transactions" "$us" \
      "$(awk -v us="$us" 'BEGIN { print us / 1000000 }')" "$host"
  done
done
