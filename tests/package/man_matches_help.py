#!/usr/bin/env python3
"""The manual pages name the same commands, options and exit statuses as --help.

Usage: man_matches_help.py PELLORY_CLI PELLORY_OR_- MAN_SOURCE_DIR
The desktop program (when built) is held to its options only: its help lists no exit
statuses.
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--[a-z][a-z0-9-]*|-[a-zA-Z])(?![\w-])")


def help_text(program):
    return subprocess.run([program, "--help"], check=True, capture_output=True,
                          text=True).stdout


def help_parts(text):
    """Commands, options and exit statuses of a usage text, by its German headings."""
    commands, options, statuses, section = set(), set(), set(), None
    for line in text.splitlines():
        if not line.strip():
            continue
        heading = {"Befehle:": "commands", "Optionen:": "options",
                   "Rückgabewert:": "statuses"}.get(line.strip())
        if heading or not line.startswith(" "):
            section = heading or ("options" if line.startswith("Aufruf: pellory [") else None)
            continue
        first = line.split()[0] if line.split() else ""
        if section == "commands" and re.fullmatch(r"[a-z]+", first) and line.startswith("  ") \
                and not line.startswith("   "):
            commands.add(first)
        elif section == "options" and first.startswith("-"):
            options.update(OPTION.findall(line.split("  ", 2)[1] if line.startswith("  ") and
                                          not line.startswith("   ") else line.strip()))
        elif section == "statuses" and re.fullmatch(r"\d+(\.\.\d+)?", first) and \
                line.startswith("  ") and not line.startswith("   "):
            statuses.add(first)
    return commands, options, statuses


def man_parts(path):
    """The first line after each .TP of the COMMANDS, OPTIONS and EXIT STATUS sections."""
    parts = {"COMMANDS": set(), "OPTIONS": set(), "EXIT STATUS": set()}
    section, after_tp = None, False
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith(".SH "):
            section, after_tp = line[4:].strip('"'), False
            continue
        if line == ".TP":
            after_tp = True
            continue
        if after_tp and section in parts:
            text = re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-")
            words = re.sub(r"^\.(B|BI|BR|I)\s+", "", text).replace('"', " ").replace(",", " ")
            if section == "OPTIONS":
                parts[section].update(OPTION.findall(words))
            else:
                parts[section].add(words.split()[0])
        after_tp = False
    return parts["COMMANDS"], parts["OPTIONS"], parts["EXIT STATUS"]


def compare(what, from_help, from_man):
    if from_help == from_man:
        return []
    return ["%s: only in --help: %s; only in the manual page: %s" % (
        what, sorted(from_help - from_man) or "-", sorted(from_man - from_help) or "-")]


def main():
    cli, desktop, man_dir = sys.argv[1:4]
    problems = []
    commands, options, statuses = help_parts(help_text(cli))
    man_commands, man_options, man_statuses = man_parts(man_dir + "/pellory-cli.1.in")
    if not commands or not options or not statuses:
        problems.append("pellory-cli --help: no commands, options or exit statuses found")
    problems += compare("pellory-cli commands", commands, man_commands)
    problems += compare("pellory-cli options", options, man_options)
    problems += compare("pellory-cli exit statuses", statuses, man_statuses)
    if desktop != "-":
        _, options, _ = help_parts(help_text(desktop))
        _, man_options, _ = man_parts(man_dir + "/pellory.1.in")
        problems += compare("pellory options", options, man_options)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
