#!/usr/bin/env bash
# Checks the Debian package as a user gets it, unpacked into a scratch root with dpkg -x:
# the installed programs run (version, the shipped library's list, a simulated read), the
# manual pages format without a warning, and the completion offers the commands and the
# library's makers.
# Usage: tests/package/check_package.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin=$root/usr/bin
fail() {
  echo "package check: $*" >&2
  exit 1
}

for program in pellory pellory-cli; do
  [ "$("$bin/$program" --version)" = "Pellory V1.54" ] || fail "$program --version"
done

work=$root/work
mkdir "$work"
cp "$root/usr/share/pellory/SERLIST.CSV" "$work/"
"$bin/pellory-cli" -C "$work" list > "$root/list.txt" || fail "list ended with $?"
grep -qx "M[0-9]*: Atmel" "$root/list.txt" || fail "list names no Atmel"
grep -qx "  D[0-9]*: AT24C02" "$root/list.txt" || fail "list names no AT24C02"

# A simulated read of a chip holding a pattern gives the pattern back.
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 37 + 11) & 255 for i in range(256)))' \
  > "$root/chip.bin"
XDG_RUNTIME_DIR=$root "$bin/pellory-cli" -C "$work" --simulate --chip "$root/chip.bin" \
  -m Atmel -d AT24C02 -y -f bin read read.bin > "$root/read.txt" 2>&1 ||
  fail "simulated read ended with $?: $(cat "$root/read.txt")"
cmp -s "$root/chip.bin" "$work/read.bin" || fail "the simulated read does not give the chip"

for page in pellory pellory-cli; do
  file=$root/usr/share/man/man1/$page.1.gz
  [ -f "$file" ] || fail "no manual page $page(1)"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# The completion, as bash calls it: every command after the program's name, and the makers
# of the library after -m (asked of the installed pellory-cli).
completion=$root/usr/share/bash-completion/completions/pellory-cli
PATH=$bin:$PATH bash -c '
  source "$1"
  COMP_WORDS=(pellory-cli ""); COMP_CWORD=1; _pellory_cli
  echo "${COMPREPLY[*]}"
  COMP_WORDS=(pellory-cli -C "$2" -m ""); COMP_CWORD=4; _pellory_cli
  echo "${COMPREPLY[*]}"
  COMP_WORDS=(pellory-cli -C "$2" -m Atmel -d AT24C0); COMP_CWORD=6; _pellory_cli
  echo "${COMPREPLY[*]}"' completion "$completion" "$work" > "$root/completion.txt"
commands=$(sed -n 1p "$root/completion.txt")
for command in list detect blank read program verify erase dump checksum compare porttest; do
  [[ " $commands " == *" $command "* ]] || fail "completion offers no $command: $commands"
done
[[ " $(sed -n 2p "$root/completion.txt") " == *" Atmel "* ]] || fail "completion offers no maker"
[[ " $(sed -n 3p "$root/completion.txt") " == *" AT24C02 "* ]] || fail "completion offers no device"
echo "package check: $(basename "$deb") passed"
