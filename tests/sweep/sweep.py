#!/usr/bin/env python3
"""The invariant sweep: pellory-cli --simulate over a generated matrix of cases.

A case is drawn from the run's --seed and its index alone: a command (blank, read, program,
verify, erase, compare), a device of the shipped library of one programming mode or I2C
addressing scheme, the data file (binary, or one of the eight hexadecimal formats made by
srec_cat), the chip's content before, a simulator fault, the answers to the questions and
some settings. Each runs in a folder of its own with its own XDG_RUNTIME_DIR, under a time
limit, and afterwards the promises below are checked with oracles of their own (srec_cat
for hexadecimal files, Python for the rest), never with the tool's code:

  1. Exit 0 means the work is done: the chip holds what the command promised, a read's
     file decodes to the chip; a cancelled question never ends with 0.
  2. Exit 0 never comes with a failure message, nor another status with a success message.
  3. Blank, read, verify and compare never change the chip; a command refused, cancelled
     at its question or interrupted before the socket was switched on never does.
  4. No hang, no crash, no sanitizer report; peak memory at most 4 x chip size + 64 MiB.
  5. Nothing changes in the working folder but what the command may change.

Faults that strike after a number of handshakes (fail-after, fail-for, signal) take that
number from a probe: the same case run first without a fault, whose handshake log tells
where start-up ends, where the socket is switched on and off, and how many there are.

Usage: sweep.py --runs N --seed S [--cli PATH] [--jobs J] [--case I] [--keep] [--strict]
       sweep.py --sample [--budget SECONDS]   (the test run's sample: a covering set first)
"""

import argparse
import concurrent.futures
import dataclasses
import fcntl
import hashlib
import os
import random
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LIBRARY = ROOT / "resources" / "SERLIST.CSV"
DEFAULT_CLI = ROOT / "build" / "src" / "shell" / "cli" / "pellory-cli"
MIB = 1 << 20

# Starts pellory-cli and writes its wait status and peak memory into argv[1]. The peak a
# child inherits from the process that forked it counts in its own, so the forking is left
# to this small interpreter rather than the driver with its images and threads.
LAUNCHER = """
import os, sys
pid = os.fork()
if pid == 0:
    os.execv(sys.argv[2], sys.argv[2:])
_, status, usage = os.wait4(pid, 0)
with open(sys.argv[1], "w") as f:
    f.write("%d %d" % (status, usage.ru_maxrss * 1024))
"""

# ---- The device library ----------------------------------------------------------------


@dataclasses.dataclass(frozen=True)
class Device:
    maker: str
    name: str
    mode: str
    addressing: str
    erase: str
    size: int  # bytes of the chip image (Microwire: two per word; AT45: pages x page size)
    page: int


def load_devices(path):
    devices, maker = [], None
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.rstrip("\r")
        if not line.endswith(("Y", "y")):
            continue
        if line.startswith(":"):
            maker = line[1:].split(";")[0]
            continue
        fields = line.split(";")
        if maker is None or len(fields) != 17:
            continue
        count, page = int(fields[4], 0), int(fields[5], 0)
        mode = fields[6]
        size = count * page if mode == "A" else count * 2 if mode == "M" else count
        devices.append(Device(maker, fields[0], mode, fields[7], fields[12], size, page))
    return devices


# One class per programming mode and addressing scheme; each case seats one device of one.
CLASSES = {
    "i2c-a8": lambda d: d.mode == "I" and d.addressing == "A8",
    "i2c-a16": lambda d: d.mode == "I" and d.addressing == "A16",
    "i2c-b8": lambda d: d.mode == "I" and d.addressing == "B8",
    "i2c-b9": lambda d: d.mode == "I" and d.addressing == "B9",
    "i2c-21": lambda d: d.mode == "I21",
    "i2c-s": lambda d: d.mode == "IS",
    "spi-a8": lambda d: d.mode == "S" and d.addressing == "A8",
    "spi-b8": lambda d: d.mode == "S" and d.addressing == "B8",
    "spi-a16": lambda d: d.mode == "S" and d.addressing == "A16",
    "at45": lambda d: d.mode == "A",
    "microwire": lambda d: d.mode == "M" and d.addressing == "0",
    "microwire-protect": lambda d: d.mode == "M" and d.addressing == "1",
    "sda": lambda d: d.mode == "D",
    "spi25-ce": lambda d: d.mode == "SPI25" and d.erase == "CE",
    "spi25-se": lambda d: d.mode == "SPI25" and d.erase == "SE",
    "spi25-pe": lambda d: d.mode == "SPI25" and d.erase == "PE",
}

# ---- Files: srec_cat makes and reads every hexadecimal format ---------------------------

# pellory-cli's name: (srec_cat's output options, its input options, highest address + 1).
# Motorola files end with an S9/S8/S7 record and have no S5 count; Tektronix checksums are
# byte sums here and digit sums in srec_cat, so those files are read with TestChecksum=0
# and decoded without checksums.
MOTOROLA = ["-disable=data-count", "-execution-start-address=0"]
HEX_FORMATS = {
    "intel8": (["-intel", "-address-length=2"], ["-intel"], 1 << 16),
    "intel32": (["-intel", "-address-length=4"], ["-intel"], 1 << 32),
    "mcs86": (["-intel", "-address-length=3"], ["-intel"], 1 << 20),
    "s1": (["-motorola", "-address-length=2", *MOTOROLA], ["-motorola"], 1 << 16),
    "s2": (["-motorola", "-address-length=3", *MOTOROLA], ["-motorola"], 1 << 24),
    "s3": (["-motorola", "-address-length=4", *MOTOROLA], ["-motorola"], 1 << 32),
    "mos": (["-mos_tech"], ["-mos_tech"], 1 << 16),
    "tek": (["-tektronix", "-execution-start-address=0"], ["-tektronix", "-ignore-checksums"],
            1 << 16),
}


def srec(args, cwd):
    """Runs srec_cat; False when it found no data records, an OracleError for any other
    complaint."""
    run = subprocess.run(["srec_cat", *args], cwd=cwd, capture_output=True, text=True)
    if run.returncode != 0:
        if "file contains no data" in " ".join(run.stderr.split()):
            return False
        raise OracleError("srec_cat " + shlex.join(args) + ": " + run.stderr.strip())
    return True


class OracleError(Exception):
    pass


def hex_image(path, fmt, fill, size, scratch):
    """The image srec_cat reads from PATH: every cell below SIZE, FILL where no record
    gives one; longer when records lie beyond SIZE."""
    out = scratch / "oracle.bin"
    if not srec(["-multiple", str(path), *HEX_FORMATS[fmt][1], "-fill", hex(fill), "0",
                 str(max(size, 1)), "-o", str(out), "-binary"], scratch):
        return bytes([fill]) * size
    data = out.read_bytes()
    out.unlink()
    return data


def read_image(case, path, folder):
    """What a read's file says the chip holds: cells it leaves out are blank (0xFF)."""
    size = case.device.size
    if case.fmt != "bin":
        return hex_image(path, case.fmt, 0xFF, size, folder)
    data = path.read_bytes()
    return data + b"\xff" * (size - len(data))


def file_cells(path, fmt, size, scratch):
    """{address: byte} of every cell a data file gives."""
    if fmt == "bin":
        return dict(enumerate(path.read_bytes()))
    ff = hex_image(path, fmt, 0xFF, size, scratch)
    zero = hex_image(path, fmt, 0x00, size, scratch)
    return {a: b for a, (b, c) in enumerate(zip(ff, zero)) if b == c}


# ---- Cases -------------------------------------------------------------------------------

COMMANDS = ["blank", "read-bin", "read-hex", "program-bin", "program-hex", "verify",
            "erase", "compare"]
FAULTS = ["none", "no-programmer", "handshake-stuck", "no-readback", "no-chip", "chip-busy",
          "wrong-id", "stuck-bit", "fail-before", "fail-inside", "fail-after", "fail-for",
          "signal", "busy"]
ANSWERS = ["ok", "cancel", "no-terminal", "ok-then-cancel"]
PROBED = {"fail-before", "fail-inside", "fail-after", "fail-for", "signal"}


@dataclasses.dataclass
class Case:
    index: int
    command: str  # blank, read, program, verify, erase, compare
    variant: str  # the COMMANDS entry it was drawn as
    device: Device
    cls: str
    fmt: str  # read: the format asked for; program, verify, compare: the data file's
    fault: str
    answers: str
    settings: dict
    chip: bytes
    chip_kind: str
    data: bytes = b""  # the binary the data file holds or srec_cat encodes
    segments: list = dataclasses.field(default_factory=list)  # hexadecimal: (address, bytes)
    data_name: str = ""
    read_name: str = ""  # as given on the command line
    old_output: bytes | None = None  # the final name of a read already holds this
    ini: str | None = None
    save: bool = False
    fault_arg: str = ""  # filled after the probe
    fault_note: str = ""
    signal_before_power: bool = False
    signal_when: str | None = None  # the covering set's choice: before the socket is on
    rng_state: object = None  # the case's draws go on for its fault
    record_bytes: int = 16  # data bytes per record of a hexadecimal data file

    @property
    def read_target(self):
        stem = self.read_name.rsplit(".", 1)[0] if "." in self.read_name else self.read_name
        return stem + (".bin" if self.fmt == "bin" else ".hex")

    def effective(self, key, default):
        if key in self.settings:
            return self.settings[key]
        if self.ini is not None:
            m = re.search(r"^%s=(\d+)$" % key, self.ini, re.M)
            if m:
                return m.group(1)
        return default


def choose_device(rng, devices, cls, max_chip):
    fitting = [d for d in devices if CLASSES[cls](d) and 0 < d.size <= max_chip]
    if not fitting:  # the smallest of its class, whatever the limit
        fitting = sorted((d for d in devices if CLASSES[cls](d) and d.size > 0),
                         key=lambda d: d.size)[:1]
    return rng.choice(fitting)


def random_content(rng, size):
    """Random bytes with runs of 0xFF, as real images have."""
    data = bytearray(rng.randbytes(size))
    for _ in range(rng.randrange(0, 4)):
        start = rng.randrange(size)
        end = min(size, start + rng.randrange(1, max(2, size // 4)))
        data[start:end] = b"\xff" * (end - start)
    return bytes(data)


def make_segments(rng, size, fmt, shape):
    """(address, bytes) of the records of a hexadecimal file in the file's order: gaps,
    now and then out of order or overlapping (a later record wins)."""
    top = min(size, HEX_FORMATS[fmt][2])
    if shape == "whole":
        return [(0, rng.randbytes(top))]
    segments = []
    for _ in range(rng.randrange(1, 5)):
        length = rng.randrange(1, max(2, min(top, 4096)))
        start = rng.randrange(0, max(1, top - length))
        if any(start < a + len(d) and a < start + length for a, d in segments):
            continue
        segments.append((start, rng.randbytes(min(length, top - start))))
    if shape == "over" and size < HEX_FORMATS[fmt][2]:
        # A record past the chip's end, or one that crosses it.
        start = size - rng.randrange(0, 4)
        if not any(start < a + len(d) and a < start + 8 for a, d in segments):
            segments.append((start, rng.randbytes(8)))
    segments.sort()
    # A MOS file's end record counts its records: srec_cat writes it in one piece.
    inside = [(a, d) for a, d in segments if a < top]
    if fmt != "mos" and inside and rng.random() < 0.3:
        a, d = rng.choice(inside)
        start = a + rng.randrange(min(len(d), top - a))
        segments.append((start, rng.randbytes(rng.randrange(1, min(64, top - start) + 1))))
    if fmt != "mos" and rng.random() < 0.3:
        rng.shuffle(segments)
    return segments


def hex_file(fmt, segments, obs, folder):
    """The text of a hexadecimal file with SEGMENTS in their order, each written by srec_cat;
    header and end record once."""
    options = HEX_FORMATS[fmt][0] + ["-obs=%d" % obs]
    if not segments or fmt == "mos":
        args = []
        for n, (address, data) in enumerate(segments or [(0, b"")]):
            (folder / ("seg%d.bin" % n)).write_bytes(data)
            args += ["seg%d.bin" % n, "-binary", "-offset", str(address)]
        srec(args + ["-o", "data.out", *options], folder)
        return (folder / "data.out").read_text()
    chunks = []
    for address, data in segments:
        (folder / "seg.bin").write_bytes(data)
        srec(["seg.bin", "-binary", "-offset", str(address), "-o", "data.out", *options], folder)
        chunks.append((folder / "data.out").read_text().splitlines())
    if fmt.startswith("s"):
        head, end = (lambda line: line[:2] == "S0"), (lambda line: line[:2] in ("S7", "S8", "S9"))
    elif fmt == "tek":
        head, end = (lambda line: False), (lambda line: line[5:7] == "00")
    else:  # Intel: every piece starts with its own base record, where it has one
        head, end = (lambda line: False), (lambda line: line == ":00000001FF")
    lines = [line for line in chunks[0] if head(line)]
    lines += [line for c in chunks for line in c if not head(line) and not end(line)]
    lines += [line for line in chunks[-1] if end(line)]
    return "\n".join(lines) + "\n"


def make_case(run_seed, index, devices, max_chip, slot=None):
    rng = random.Random("%s:%d" % (run_seed, index))
    slot = slot or {}
    variant, cls = slot.get("variant"), slot.get("cls")
    fault, answers = slot.get("fault"), slot.get("answers")
    variant = variant or rng.choice(COMMANDS)
    cls = cls or rng.choice(list(CLASSES))
    if fault is None:
        fault = "none" if rng.random() < 0.3 else rng.choice(FAULTS[1:])
    answers = answers or rng.choices(ANSWERS, weights=[6, 2, 2, 1])[0]
    device = choose_device(rng, devices, cls, max_chip)
    command = variant.split("-")[0]
    size = device.size

    settings = {}
    for key, values in (("Verify", "01"), ("PageWrite", "01"), ("DeleteTemp", "01"),
                        ("FFSave", "01"), ("FastI2CRead", "01"), ("TestChecksum", "01")):
        if rng.random() < 0.3:
            settings[key] = rng.choice(values)
    if rng.random() < 0.2:
        settings["HexLineLen"] = str(rng.randrange(2, 255) & ~1)
    ini = None
    if rng.random() < 0.25:
        ini = ("[Hardware]\nPortAdress=378\n[PelloryRom INI-Section]\nVerify=%d\nPageWrite=%d\n"
               "DeleteTemp=%d\n[Eigene Notizen]\nKunde=Muster; Auftrag 4711\nZeile ohne Schlüssel\n"
               % (rng.randrange(2), rng.randrange(2), rng.randrange(2)))

    case = Case(index, command, variant, device, cls, "bin", fault, answers, settings, b"", "",
                ini=ini, save=rng.random() < 0.15)
    if command == "read":
        case.fmt = "bin" if variant == "read-bin" else rng.choice(list(HEX_FORMATS))
        case.read_name = rng.choice(["chip", "chip.img", "dump.tar.gz",
                                     "chip.bin" if case.fmt == "bin" else "chip.hex"])
        if rng.random() < 0.3:
            case.old_output = b"the user's own file\n" + rng.randbytes(rng.randrange(0, 64))
    elif command in ("program", "verify", "compare"):
        case.fmt = "bin" if variant == "program-bin" else (
            rng.choice(list(HEX_FORMATS)) if variant == "program-hex" or rng.random() < 0.5
            else "bin")
        shape = slot.get("shape") or rng.choices(["whole", "part", "over", "empty"],
                                                 weights=[4, 6, 1, 0.3])[0]
        if case.fmt == "bin":
            length = {"whole": size, "part": rng.randrange(1, max(2, size)),
                      "over": size + rng.randrange(1, 3), "empty": 0}[shape]
            case.data = rng.randbytes(length)
            case.data_name = "data.bin"
        else:
            case.segments = [] if shape == "empty" else make_segments(rng, size, case.fmt, shape)
            case.record_bytes = rng.randrange(1, 33)
            case.data_name = "data.hex"
        if case.fmt == "tek":
            settings["TestChecksum"] = "0"
        # A data file with the buffer file's name.
        if case.fmt != "bin" and command == "program" and rng.random() < 0.03:
            case.data_name = "pelloryrom.tmp"

    # The chip before: random, erased, few cells set, or (partly) holding the file.
    kinds = ["random", "blank", "sparse"]
    if command in ("program", "verify", "compare"):
        kinds += ["file", "file", "near"]
    case.chip_kind = slot.get("chip") or rng.choice(kinds)
    if case.chip_kind == "random" and command in ("blank", "verify") and size > 8192:
        case.chip_kind = "sparse"  # a box for every cell that differs
    chip = bytearray(b"\xff" * size) if case.chip_kind in ("blank", "sparse") else bytearray(
        random_content(rng, size))
    if case.chip_kind == "sparse":
        for _ in range(rng.randrange(1, 6)):
            chip[rng.randrange(size)] = rng.randrange(255)
    if case.chip_kind in ("file", "near"):
        cells = dict(enumerate(case.data)) if case.fmt == "bin" else {
            a + i: b for a, data in case.segments for i, b in enumerate(data)}
        for a, b in cells.items():
            if a < size:
                chip[a] = b
        if case.chip_kind == "near" and cells:
            for a in rng.sample(sorted(cells), min(len(cells), rng.randrange(1, 4))):
                if a < size:
                    chip[a] ^= 1 << rng.randrange(8)
    case.chip = bytes(chip)

    if fault == "stuck-bit":
        case.fault_arg = "stuck-bit=%d" % rng.randrange(16 if device.mode == "M" else 8)
    elif fault not in PROBED and fault not in ("none", "busy"):
        case.fault_arg = fault
    case.signal_when = slot.get("when")
    case.rng_state = rng.getstate()
    return case


# ---- Running ----------------------------------------------------------------------------


class Runner:
    def __init__(self, cli, base, timeout, sanitized):
        self.cli, self.base, self.timeout, self.sanitized = cli, base, timeout, sanitized
        self.startup = None  # handshakes of the start-up (detect)

    def env(self, folder):
        env = {k: v for k, v in os.environ.items()
               if k in ("PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")}
        env.update(PELLORY_NO_REAL_PORT="1", XDG_RUNTIME_DIR=str(folder / "run"),
                   HOME=str(folder / "home"))
        return env

    def materialise(self, case, folder, fault_arg, log=False):
        if folder.exists():
            shutil.rmtree(folder)
        work = folder / "work"
        for sub in ("work", "run", "home"):
            (folder / sub).mkdir(parents=True)
        shutil.copy(LIBRARY, work / "SERLIST.CSV")
        (folder / "chip.bin").write_bytes(case.chip)
        if case.ini is not None:
            (work / "ORVANE.INI").write_text(case.ini, encoding="latin-1")
        if case.old_output is not None:
            (work / case.read_target).write_bytes(case.old_output)
        if case.data_name:
            if case.fmt == "bin":
                (work / case.data_name).write_bytes(case.data)
            else:
                (folder / "srec").mkdir()
                text = hex_file(case.fmt, case.segments, case.record_bytes, folder / "srec")
                (work / case.data_name).write_text(text)
                shutil.rmtree(folder / "srec")
        args = [str(self.cli), "--simulate", "-C", str(work), "-m", case.device.maker, "-d",
                case.device.name, "--chip", str(folder / "chip.bin")]
        if log:
            args += ["--log", str(folder / "handshakes.log")]
        if fault_arg:
            args += ["--fault", fault_arg]
        args += {"ok": ["-y"], "cancel": ["--answers", "cancel"], "no-terminal": [],
                 "ok-then-cancel": ["--answers", "ok,cancel"]}[case.answers]
        for key, value in case.settings.items():
            args += ["--set", "%s=%s" % (key, value)]
        if case.save:
            args.append("--save")
        args.append(case.command)
        if case.command == "read":
            args += [case.read_name, "-f", case.fmt]
        elif case.data_name:
            args.append(case.data_name)
        return args

    def execute(self, args, folder, limit, hold_lock=False):
        lock = None
        if hold_lock:
            lock = open(folder / "run" / "Tarnwick", "a")
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        start = time.monotonic()
        with open(folder / "stdout", "wb") as out, open(folder / "stderr", "wb") as err:
            child = subprocess.Popen([sys.executable, "-I", "-S", "-c", LAUNCHER,
                                      str(folder / "status"), *args],
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                     cwd=folder / "work", env=self.env(folder),
                                     start_new_session=True)
        hung = threading.Event()

        def kill():
            hung.set()
            try:
                os.killpg(child.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

        timer = threading.Timer(limit, kill)
        timer.start()
        child.wait()
        timer.cancel()
        if lock:
            lock.close()
        status, rss = -1, 0
        if (folder / "status").exists():
            status, rss = map(int, (folder / "status").read_text().split())
            (folder / "status").unlink()
        return dict(status=status, hung=hung.is_set(), rss=rss,
                    seconds=time.monotonic() - start,
                    out=(folder / "stdout").read_text(errors="replace"),
                    err=(folder / "stderr").read_text(errors="replace"))

    def limit(self, case):
        return self.timeout * (5 if self.sanitized else 1) * (1 + case.device.size // MIB)

    def measure_startup(self):
        folder = self.base / "startup"
        folder.mkdir(parents=True)
        for sub in ("work", "run", "home"):
            (folder / sub).mkdir()
        shutil.copy(LIBRARY, folder / "work" / "SERLIST.CSV")
        self.execute([str(self.cli), "--simulate", "-C", str(folder / "work"), "--log",
                      str(folder / "log"), "detect"], folder, 60)
        self.startup = (folder / "log").read_text().count("\n")
        shutil.rmtree(folder)
        if self.startup == 0:
            raise SystemExit("sweep: detect took no handshakes; is %s a pellory-cli?" % self.cli)

    def probe(self, case):
        """Where the unfaulted run switches the socket on and off, and its length."""
        folder = self.base / ("probe-%d" % case.index)
        args = self.materialise(case, folder, "", log=True)
        self.execute(args, folder, self.limit(case))
        # The socket is powered while SwitchLatch (register 00) bit 4 and EnableLatch
        # (register 08) bit 7 are set. A log holds millions of lines: only those of the two
        # registers are looked at, their numbers counted from the line ends before them.
        log = (folder / "handshakes.log").read_bytes()
        on, power_on, power_off, line, at = False, None, None, 0, 0
        registers = {b"00": 0, b"08": 0}
        for m in re.finditer(rb"(?m)^(00|08) ([0-9A-F]{2})$", log):
            line += log.count(b"\n", at, m.start())
            at = m.start()
            registers[m.group(1)] = int(m.group(2), 16)
            now = bool(registers[b"00"] & 0x10 and registers[b"08"] & 0x80)
            if now and not on and line >= self.startup and power_on is None:
                power_on = line
            if on and not now:
                power_off = line
            on = now
        total = log.count(b"\n") - log.count(b"TIMEOUT")
        shutil.rmtree(folder)
        return dict(total=total, power_on=total if power_on is None else power_on,
                    power_off=total if power_off is None else power_off)

    def choose_fault(self, case):
        if case.fault not in PROBED:
            return
        rng = random.Random()
        rng.setstate(case.rng_state)

        def pick(lo, hi):
            return rng.randrange(lo, max(lo + 1, hi))

        if case.fault == "fail-before":  # the programmer search
            case.fault_arg = "fail-after=%d" % pick(0, self.startup)
            return
        p = self.probe(case)
        start, on, off, total = self.startup, p["power_on"], p["power_off"], p["total"]
        if case.fault in ("fail-inside", "fail-for"):
            n = pick(on, off) if on < off else pick(start, total)
        elif case.fault == "fail-after":
            n = pick(off, total + 1)
        else:
            early = case.signal_when == "before" if case.signal_when else rng.random() < 0.35
            n = pick(0, on) if early else pick(on, total)
        case.fault_note = "start-up %d, socket on at %d, off at %d, %d handshakes" % (
            start, on, off, total)
        if case.fault == "signal":
            case.fault_arg = "signal=%s@%d" % (rng.choice(["INT", "TERM", "HUP"]), n)
            case.signal_before_power = n < on
        else:
            case.fault_arg = "fail-after=%d" % n
            if case.fault == "fail-for":
                case.fault_arg += ",fail-for=%d" % rng.choice([1, 2, 5, rng.randrange(1, 400)])

    def run(self, case, keep_all):
        self.choose_fault(case)
        folder = self.base / ("case-%d" % case.index)
        # A log only where it is checked: a long run writes millions of lines.
        args = self.materialise(case, folder, case.fault_arg, log=case.fault == "busy")
        before = snapshot(folder / "work")
        result = self.execute(args, folder, self.limit(case), hold_lock=case.fault == "busy")
        result["args"] = args
        result["log"] = folder / "handshakes.log"
        try:
            violations = check(case, result, before, folder, self.sanitized)
        except OracleError as error:
            violations = [(0, "the oracle failed: %s" % error)]
        if not violations and not keep_all:
            shutil.rmtree(folder)
        return result, violations


def snapshot(folder):
    return {str(p.relative_to(folder)): hashlib.sha256(p.read_bytes()).hexdigest()
            if p.is_file() else "dir" for p in folder.rglob("*")}


# ---- The invariants -----------------------------------------------------------------------

SUCCESS = ["Keine Fehler beim Programmieren !", "Keine Fehler beim Prüfen !", "Baustein ist leer",
           "Baustein gelesen", "Unterschiede: 0\n"]
FAILURE = re.compile(r"abgebrochen|fehlgeschlagen|nicht programmiert|nicht geschrieben|"
                     r"nicht vollständig|Zuviele Daten|sind verschieden|Verifyfehler|Fehler an|"
                     r"Fehler beim|kein Acknowledge|Kein ACK|überschritten|Dateilänge ist NULL|"
                     r"konnte nicht|fehlt|Unterschiede: [1-9]|vergessen")
TIMEOUT_BOX = "Timeout-Fehler bei Datenübertragung"
SANITIZER = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:")


def first_answer(out):
    m = re.search(r"^>>> (.*)$", out, re.M)
    return m.group(1) if m else None


def check(case, result, before, folder, sanitized):
    """[(invariant, what)] of every promise the run broke."""
    broken = []
    status, out, err = result["status"], result["out"], result["err"]
    work = folder / "work"
    size = case.device.size
    chip = (folder / "chip.bin").read_bytes()[:size]
    chip_changed = chip != case.chip
    if len(chip) != size:
        broken.append((5, "the chip image is %d bytes, not %d" % (len(chip), size)))

    # 4. No hang, no crash, no sanitizer report, bounded memory.
    if result["hung"]:
        return [(4, "no exit within %d s" % result["seconds"])]
    if os.WIFSIGNALED(status):
        broken.append((4, "killed by signal %d" % os.WTERMSIG(status)))
        code = 128 + os.WTERMSIG(status)
    else:
        code = os.WEXITSTATUS(status)
    result["code"] = code
    if SANITIZER.search(err):
        broken.append((4, "sanitizer report: " + SANITIZER.search(err).group(0)))
    bound = 4 * size + 64 * MIB
    if not sanitized and result["rss"] > bound:
        broken.append((4, "peak memory %.1f MiB above %.1f MiB" % (result["rss"] / MIB,
                                                                    bound / MIB)))

    # 2. Messages agree with the exit status. Success texts are taken out first: they say
    # "Fehler" too.
    text = out
    for s in SUCCESS:
        text = text.replace(s, "")
    failure = FAILURE.search(text)
    successes = [s.strip() for s in SUCCESS if s in out]
    if case.command == "read" and "pellory-cli: geschrieben:" in err:
        successes.append("geschrieben:")
    if code == 0 and failure:
        broken.append((2, "exit 0 with the failure message \"%s\"" % failure.group(0)))
    if code != 0 and successes:
        # 10 is a command whose work was done when the programmer stopped answering (while
        # the socket was switched off, say): its success may stand, if it is true.
        done = code == 10 and TIMEOUT_BOX in out and case.fault != "no-chip" and not effect(
            case, chip, work, folder)
        if not done:
            broken.append((2, "exit %d with the success message \"%s\"" % (code,
                                                                            successes[0])))

    # 3. The chip stays as it was.
    cancelled = first_answer(out) == "Abbrechen"
    signal_early = case.signal_before_power
    if chip_changed:
        why = None
        if case.command in ("blank", "read", "verify", "compare"):
            why = "%s changed the chip" % case.command
        elif cancelled:
            why = "the chip changed although the first question was cancelled"
        elif code in (3, 64, 69, 75):
            why = "the chip changed although the command was refused with %d" % code
        elif signal_early:
            why = "the chip changed although the signal came before the socket was on"
        if why:
            broken.append((3, why + ": " + first_difference(case.chip, chip)))
    if signal_early and code == 0 and case.command in ("program", "erase"):
        broken.append((3, "exit 0 although the signal came before the socket was on"))

    # The busy lock: refused, and nothing sent.
    if case.fault == "busy":
        if code != 75:
            broken.append((3, "exit %d while another instance held the busy lock" % code))
        if result["log"].exists() and result["log"].stat().st_size:
            broken.append((3, "handshakes sent while another instance held the busy lock"))

    # 1. Exit 0 means done. An empty socket is no chip: what the image holds then is not
    # what the command worked on, and nothing may have changed it.
    if code == 0 and cancelled:
        broken.append((1, "exit 0 although the first question was cancelled"))
    if case.fault == "no-chip":
        if chip_changed:
            broken.append((3, "the chip image changed with an empty socket"))
    elif code == 0 and not cancelled:
        broken += [(1, w) for w in effect(case, chip, work, folder)]

    # 5. The working folder.
    broken += [(5, w) for w in folder_changes(case, before, snapshot(work), folder, code, chip)]
    return broken


def first_difference(expected, actual):
    diffs = [a for a in range(min(len(expected), len(actual))) if expected[a] != actual[a]]
    if not diffs:
        return "lengths %d and %d" % (len(expected), len(actual))
    a = diffs[0]
    return "%d cells differ, the first at 0x%08X: 0x%02X expected, 0x%02X found" % (
        len(diffs), a, expected[a], actual[a])


def program_unverifiable(case):
    """A stuck bit is found only by a verify; programming without one cannot know it."""
    if case.fault != "stuck-bit":
        return False
    # Selecting an AT45 part switches the verify off, an SPI25 part on; --set wins.
    forced = {"A": "0", "SPI25": "1"}.get(case.device.mode)
    verify = case.settings.get("Verify", forced or case.effective("Verify", "1"))
    return verify == "0"


def effect(case, chip, work, folder):
    size, d = case.device.size, case.device
    if case.command in ("blank", "erase"):
        if case.command == "erase" and program_unverifiable(case):
            return []
        if chip != b"\xff" * size:
            return ["%s: not every cell is 0xFF: %s" % (case.command, first_difference(
                b"\xff" * size, chip))]
        return []
    if case.command == "read":
        target = work / case.read_target
        if not target.is_file():
            return ["read: %s was not written" % case.read_target]
        image = read_image(case, target, folder)
        if image != chip:
            return ["read: %s does not decode to the chip: %s" % (case.read_target,
                                                                first_difference(chip, image))]
        # A binary file ends at the last cell that is not blank (a whole Microwire word),
        # unless blank cells are saved; AT45 and SPI25 parts are read whole.
        if case.fmt == "bin":
            length = size
            if case.effective("FFSave", "0") == "0" and d.mode not in ("A", "SPI25"):
                length = len(chip.rstrip(b"\xff"))
                length += length % 2 if d.mode == "M" else 0
            if target.stat().st_size != length:
                return ["read: %s holds %d bytes, not %d" % (case.read_target,
                                                           target.stat().st_size, length)]
        return []
    data_file = work / case.data_name
    cells = file_cells(data_file, case.fmt, size, folder) if data_file.is_file() else None
    if cells is None:
        return ["%s: the data file is gone" % case.command]
    if cells and max(cells) >= size:
        return ["%s: exit 0 for a file with data at 0x%X, beyond the chip's %d bytes" % (
            case.command, max(cells), size)]
    if case.command in ("verify", "compare"):
        wrong = [a for a, b in cells.items() if chip[a] != b]
        if wrong:
            return ["%s: exit 0, but the chip differs from the file at %d cells, first 0x%X" % (
                case.command, len(wrong), wrong[0])]
        return []
    # program
    if program_unverifiable(case):
        return []
    if case.fmt != "bin":
        expected = hex_image(data_file, case.fmt, 0xFF, size, folder)
    else:
        expected = bytearray(case.chip)
        expected[:len(case.data)] = case.data
        if d.mode == "SPI25" and d.erase in ("CE", "SE"):
            expected[len(case.data):] = b"\xff" * (size - len(case.data))
        if d.mode == "M" and len(case.data) % 2:
            expected[len(case.data)] = 0xFF  # the last word's high byte the file lacks
        expected = bytes(expected)
    if chip != expected:
        return ["program: the chip is not what the file asks for: %s" % first_difference(
            expected, chip)]
    return []


def folder_changes(case, before, after, folder, code, chip):
    changes = []
    work = folder / "work"
    target = case.read_target if case.command == "read" else None
    delete_temp = case.effective("DeleteTemp", "1")
    for name in sorted(set(before) | set(after)):
        if before.get(name) == after.get(name):
            continue
        was, now = name in before, name in after
        what = "created" if not was else "deleted" if not now else "changed"
        # A read replaces its file only by a complete one, whatever its status says.
        if name == target and now and read_image(case, work / name, folder) == chip:
            continue
        if target and name == target + ".partial" and code != 0 and now:
            continue
        if name == "pelloryrom.tmp" and now and delete_temp == "0" and case.command in (
                "program", "erase") and not was:
            if case.fmt != "bin" and case.command == "program" and code == 0:
                size = case.device.size
                image = hex_image(work / case.data_name, case.fmt, 0xFF, size, work.parent)
                if (work / name).read_bytes() != image:
                    changes.append("pelloryrom.tmp is not the whole device's image of the file")
            continue
        if name == "ORVANE.INI" and case.save:
            changes += ini_saved(case, work / name)
            continue
        if name == target:
            changes.append("%s %s without a complete read (exit %d)" % (name, what, code))
        elif name == "pelloryrom.tmp":
            changes.append("the buffer file pelloryrom.tmp %s (DeleteTemp=%s)" % (
                "left behind" if now else what, delete_temp))
        else:
            changes.append("%s %s" % (name, what))
    return changes


def ini_saved(case, path):
    if not path.is_file():
        return ["--save left no ORVANE.INI"]
    text = path.read_text(encoding="latin-1")
    problems = []
    if not text.endswith("\n"):
        problems.append("ORVANE.INI cut: it does not end with a line end")
    for line in (case.ini or "").splitlines():
        if line.startswith("[") or "=" not in line or line.split("=")[0] not in (
                "Verify", "PageWrite", "DeleteTemp", "PortAdress"):
            if line not in text.splitlines():
                problems.append("--save lost the line \"%s\" of ORVANE.INI" % line)
    for key in ("Verify", "PageWrite"):
        if case.ini is not None and key not in case.settings:
            old = re.search(r"^%s=(\d+)$" % key, case.ini, re.M).group(1)
            new = re.search(r"^%s=(\d+)$" % key, text, re.M)
            if new and new.group(1) != old:
                problems.append("--save changed the user's %s=%s to %s" % (key, old,
                                                                            new.group(1)))
    return problems


# ---- Expected failures: the points of the issue "Nothing of the user's is lost" ------------

EXPECTED = [
    ("a failed or cancelled read leaves its new file under the final name",
     lambda c, code, inv, w: inv == 5 and c.command == "read" and c.old_output is None and
     w.startswith(c.read_target + " created without")),
    ("an AT45 page the file ends inside is filled up with 0xFF",
     lambda c, code, inv, w: inv == 1 and c.device.mode == "A" and c.command == "program" and
     c.fmt == "bin" and len(c.data) % c.device.page != 0),
    ("a data file named pelloryrom.tmp is overwritten by the buffer file",
     lambda c, code, inv, w: c.data_name == "pelloryrom.tmp"),
    ("overlapping records count twice in the verify after programming",
     lambda c, code, inv, w: inv == 3 and c.command == "program" and code == 3 and
     overlapping(c.segments)),
    ("compare of a large chip holds every difference in memory",
     lambda c, code, inv, w: inv == 4 and c.command == "compare" and
     w.startswith("peak memory")),
    ("the buffer file is left behind after a refused programming",
     lambda c, code, inv, w: inv == 5 and c.command == "program" and code != 0 and
     "left behind" in w),
]


def overlapping(segments):
    cells = sum(len(d) for _, d in segments)
    return cells != len({a + i for a, d in segments for i in range(len(d))})


def expected_failure(case, code, invariant, what):
    for name, matches in EXPECTED:
        if matches(case, code, invariant, what):
            return name
    return None


# ---- The sample: a covering set first -----------------------------------------------------


def covering_slots(run_seed):
    """Every command on every device class without a fault, with every fault, and with
    every answer but OK; the rest of each case is drawn as usual."""
    rng = random.Random("%s:cover" % run_seed)
    classes = list(CLASSES)
    shapes = ["whole", "part", "over", "part"]
    slots = []
    for command in COMMANDS:
        # Verify and compare on a chip that holds the file, so that they can end with 0.
        chip = "file" if command in ("verify", "compare") else None
        rng.shuffle(classes)
        for n, cls in enumerate(classes):
            slots.append(dict(variant=command, cls=cls, fault="none", answers="ok",
                              shape=shapes[n % len(shapes)], chip=chip))
        rng.shuffle(classes)
        for n, fault in enumerate(FAULTS[1:]):
            slots.append(dict(variant=command, cls=classes[n], fault=fault, answers="ok",
                              when="inside" if command in ("read-hex", "program-hex",
                                                           "verify") else "before"))
        for n, answers in enumerate(ANSWERS[1:]):
            slots.append(dict(variant=command, cls=classes[-1 - n], fault="none",
                              answers=answers))
    rng.shuffle(slots)
    return slots


# ---- Reports ------------------------------------------------------------------------------


def describe(case):
    d = case.device
    parts = ["%s %s/%s (%s, %d bytes)" % (case.variant, d.maker, d.name, case.cls, d.size),
             "fault %s" % (case.fault_arg or case.fault), "answers %s" % case.answers,
             "chip %s" % case.chip_kind]
    if case.data_name:
        parts.append("%s: %s, %d %s" % (case.data_name, case.fmt,
                                         len(case.data) if case.fmt == "bin" else
                                         len(case.segments),
                                         "bytes" if case.fmt == "bin" else "segments"))
    if case.old_output is not None:
        parts.append("%s existed" % case.read_target)
    if case.ini is not None:
        parts.append("ORVANE.INI given")
    return ", ".join(parts)


def report(case, result, violations, run_seed, folder, expected_names, flags):
    lines = []
    for invariant, what in violations:
        tag = expected_names.get((invariant, what))
        lines.append("%s invariant %d: %s" % ("EXPECTED (%s)" % tag if tag else "VIOLATION",
                                              invariant, what))
    lines.append("  case %d of --seed %s: %s" % (case.index, run_seed, describe(case)))
    if case.fault_note:
        lines.append("  probe: %s" % case.fault_note)
    lines.append("  exit %s after %.1f s, peak memory %.1f MiB" % (
        result.get("code"), result["seconds"], result["rss"] / MIB))
    lines.append("  again: tools/sweep --seed %s%s --case %d --keep" % (run_seed, flags, case.index))
    env = "XDG_RUNTIME_DIR=%s PELLORY_NO_REAL_PORT=1" % shlex.quote(str(folder / "run"))
    lock = " (while the driver holds run/Tarnwick)" if case.fault == "busy" else ""
    lines.append("  command%s: %s %s < /dev/null" % (lock, env, shlex.join(result["args"])))
    lines.append("  folder: %s (as the run left it: chip.bin, work/, stdout, stderr)" % folder)
    return "\n".join(lines)


def is_sanitized(cli):
    with open(cli, "rb") as f:
        return b"AddressSanitizer" in f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--seed", help="what the cases are drawn from (default: a new "
                                       "number, printed)")
    parser.add_argument("--cli", default=str(DEFAULT_CLI))
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--case", type=int, action="append", help="only this case (repeatable)")
    parser.add_argument("--sample", action="store_true",
                        help="the test run's sample: the covering set, then random cases "
                             "until --budget")
    parser.add_argument("--budget", type=float, default=45.0, help="seconds for --sample")
    parser.add_argument("--max-chip", type=int, default=None,
                        help="largest chip in bytes (default 1 MiB, 256 KiB for --sample)")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds per run and MiB")
    parser.add_argument("--keep", action="store_true", help="keep every case's folder")
    parser.add_argument("--strict", action="store_true",
                        help="expected failures (the next issue's points) fail too")
    parser.add_argument("--folder", help="where the cases run (default: a new temporary one)")
    options = parser.parse_args()

    if shutil.which("srec_cat") is None:
        raise SystemExit("sweep: srec_cat is missing (tools/install-deps installs it)")
    cli = Path(options.cli).resolve()
    if not cli.is_file():
        raise SystemExit("sweep: no pellory-cli at %s (--cli PATH)" % cli)
    run_seed = options.seed or str(random.SystemRandom().randrange(10**9))
    max_chip = options.max_chip or (256 * 1024 if options.sample else MIB)
    devices = load_devices(LIBRARY)
    base = Path(options.folder or tempfile.mkdtemp(prefix="pellory-sweep-"))
    base.mkdir(parents=True, exist_ok=True)
    sanitized = is_sanitized(cli)
    runner = Runner(cli, base, options.timeout, sanitized)
    runner.measure_startup()

    # Every run starts with the covering set: a sweep of any length has every command on
    # every device class, with every fault and every answer.
    slots = covering_slots(run_seed)
    flags = (" --sample" if options.sample else "") + (
        " --max-chip %d" % options.max_chip if options.max_chip else "")
    if options.case:
        indexes = options.case
    elif options.sample:
        indexes = None  # the covering set, then more while the budget lasts
    else:
        indexes = list(range(options.runs))
    print("sweep: --seed %s, %s, cli %s%s, %d jobs, folder %s" % (
        run_seed, "sample" if indexes is None else "%d runs" % len(indexes), cli,
        " (sanitized)" if sanitized else "", options.jobs, base), flush=True)

    def make(i):
        return make_case(run_seed, i, devices, max_chip, slots[i] if i < len(slots) else None)

    started = time.monotonic()
    counts = dict(runs=0, failures=0, expected=0, done=0)
    seen = {"commands": set(), "faults": set(), "device classes": set(), "answers": set()}
    lock = threading.Lock()
    reports = []

    def one(i):
        case = make(i)
        result, violations = runner.run(case, options.keep)
        expected = {}
        for invariant, what in violations:
            name = expected_failure(case, result.get("code"), invariant, what)
            if name and not options.strict:
                expected[(invariant, what)] = name
        with lock:
            counts["runs"] += 1
            counts["done"] += result.get("code") == 0
            for key, value in zip(seen, (case.variant, case.fault, case.cls, case.answers)):
                seen[key].add(value)
            if violations:
                real = len(violations) > len(expected)
                counts["failures" if real else "expected"] += 1
                text = report(case, result, violations, run_seed, base / ("case-%d" % i),
                              expected, flags)
                reports.append((i, text))
                print(text, flush=True)

    with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
        if indexes is not None:
            list(pool.map(one, indexes))
        else:
            futures = [pool.submit(one, i) for i in range(len(slots))]
            i = len(slots)
            while True:
                done, pending = concurrent.futures.wait(
                    futures, return_when=concurrent.futures.FIRST_COMPLETED)
                futures = list(pending)
                for f in done:
                    f.result()
                if time.monotonic() - started < options.budget:
                    while len(futures) < options.jobs * 2:
                        futures.append(pool.submit(one, i))
                        i += 1
                elif not futures:
                    break

    seconds = time.monotonic() - started
    print("sweep: covered %s; exit 0 in %d runs" % (", ".join(
        "%d/%d %s" % (len(seen[k]), n, k)
        for k, n in zip(seen, (len(COMMANDS), len(FAULTS), len(CLASSES), len(ANSWERS)))),
        counts["done"]), flush=True)
    print("sweep: %d runs, %d failures, %d expected failures (issue 21), %.0f s, --seed %s" % (
        counts["runs"], counts["failures"], counts["expected"], seconds, run_seed), flush=True)
    if not options.keep and not reports:
        shutil.rmtree(base, ignore_errors=True)
    return 1 if counts["failures"] else 0


if __name__ == "__main__":
    sys.exit(main())
