#!/usr/bin/env python3
"""The invariant sweep: pellory-cli --simulate over a generated matrix of cases.

A case is drawn from the run's --seed and its index alone: a command, a device of the
shipped library of one programming mode or I2C addressing scheme, the data file (binary,
or one of the eight hexadecimal formats written by srec_cat), the chip's content, a
simulator fault, the answers to the questions and some settings. It runs in a folder of
its own with its own XDG_RUNTIME_DIR under a time limit; then these promises are checked
with oracles of their own (srec_cat for hexadecimal files, Python for the rest):

  1. Exit 0 means done: the chip holds what was asked for, a read's file decodes to the
     chip; a command whose first question was cancelled never ends with 0.
  2. Exit 0 never comes with a failure message, another status never with a success one.
  3. Blank, read, verify and compare never change the chip; nor does a command refused,
     cancelled at its question or interrupted before the socket was switched on.
  4. No hang, no crash, no sanitizer report; peak memory at most 4 x chip size + 64 MiB.
  5. Nothing in the working folder changes but what the command may change.

Faults that strike at a handshake (fail-after, fail-for, signal) take its number from a
probe: the same case without a fault, whose handshake log shows where the start-up ends,
where the socket is switched on and off, and how long the run is.
"""

import argparse
import contextlib
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
import traceback
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LIBRARY = ROOT / "resources" / "SERLIST.CSV"
MIB = 1 << 20

# Starts pellory-cli and writes its wait status and peak memory into argv[1]. A child's
# peak includes what it inherited from the process that forked it, so the fork is left to
# this small interpreter rather than the driver with its images and threads.
LAUNCHER = """
import os, sys
pid = os.fork()
if pid == 0:
    os.execv(sys.argv[2], sys.argv[2:])
_, status, usage = os.wait4(pid, 0)
with open(sys.argv[1], "w") as f:
    f.write("%d %d" % (status, usage.ru_maxrss * 1024))
"""

# ---- Devices and files ------------------------------------------------------------------


@dataclasses.dataclass(frozen=True)
class Device:
    maker: str
    name: str
    mode: str
    addressing: str
    erase: str
    size: int  # bytes of the chip image: Microwire two a word, AT45 pages x page size
    page: int


def load_devices(path):
    devices, maker = [], None
    for line in path.read_text(encoding="utf-8").splitlines():
        fields = line.rstrip("\r").split(";")
        if not line.rstrip("\r").endswith(("Y", "y")):
            continue
        if line.startswith(":"):
            maker = fields[0][1:]
        elif maker and len(fields) == 17:
            count, page, mode = int(fields[4], 0), int(fields[5], 0), fields[6]
            size = count * page if mode == "A" else count * 2 if mode == "M" else count
            devices.append(Device(maker, fields[0], mode, fields[7], fields[12], size, page))
    return devices


# Device class: (mode, addressing or erase kind, None for any).
CLASSES = {
    "i2c-a8": ("I", "A8"), "i2c-a16": ("I", "A16"), "i2c-b8": ("I", "B8"),
    "i2c-b9": ("I", "B9"), "i2c-21": ("I21", None), "i2c-s": ("IS", None),
    "spi-a8": ("S", "A8"), "spi-b8": ("S", "B8"), "spi-a16": ("S", "A16"), "at45": ("A", None),
    "microwire": ("M", "0"), "microwire-protect": ("M", "1"), "sda": ("D", None),
    "spi25-ce": ("SPI25", "CE"), "spi25-se": ("SPI25", "SE"), "spi25-pe": ("SPI25", "PE"),
}


def in_class(device, cls):
    mode, kind = CLASSES[cls]
    return device.mode == mode and kind in (None, device.addressing, device.erase)


# pellory-cli's name: srec_cat's output options, its input options, highest address + 1.
# Motorola files end with an S9/S8/S7 record and have no S5 count. Tektronix checksums are
# byte sums in pellory-cli's files, which srec_cat reads with -ignore-checksums; pellory-cli
# takes srec_cat's digit sums as they are.
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


class OracleError(Exception):
    pass


def srec(args, cwd):
    """srec_cat ARGS; False when it found no data record, OracleError for other complaints."""
    run = subprocess.run(["srec_cat", *args], cwd=cwd, capture_output=True, text=True)
    if run.returncode and "file contains no data" in " ".join(run.stderr.split()):
        return False
    if run.returncode:
        raise OracleError("srec_cat %s: %s" % (shlex.join(args), run.stderr.strip()))
    return True


def hex_image(path, fmt, fill, size, scratch):
    """srec_cat's image of a hexadecimal file: SIZE cells, FILL where no record gives one
    (a later record wins), longer when records lie beyond SIZE."""
    out = scratch / "oracle.bin"
    if not srec(["-multiple", str(path), *HEX_FORMATS[fmt][1], "-fill", hex(fill), "0",
                 str(size), "-o", str(out), "-binary"], scratch):
        return bytes([fill]) * size
    data = out.read_bytes()
    out.unlink()
    return data


def hex_file(fmt, segments, record_bytes, scratch):
    """A hexadecimal file of SEGMENTS in their order, each written by srec_cat; its header
    and end record once. A MOS end record counts the records: that file is one piece."""
    options = HEX_FORMATS[fmt][0] + ["-obs=%d" % record_bytes]
    pieces = [[(a, d) for a, d in segments] or [(0, b"")]]
    if fmt != "mos" and segments:
        pieces = [[s] for s in segments]
    chunks = []
    for piece in pieces:
        args = []
        for n, (address, data) in enumerate(piece):
            (scratch / ("%d.bin" % n)).write_bytes(data)
            args += ["%d.bin" % n, "-binary", "-offset", str(address)]
        srec(args + ["-o", "out.hex", *options], scratch)
        chunks.append((scratch / "out.hex").read_text().splitlines())
    def head(line):
        return line[:2] == "S0"

    def end(line):
        if fmt in ("s1", "s2", "s3"):
            return line[:2] in ("S7", "S8", "S9")
        return line[5:7] == "00" if fmt == "tek" else line == ":00000001FF"

    lines = [line for line in chunks[0] if head(line)]
    lines += [line for c in chunks for line in c if not head(line) and not end(line)]
    lines += [line for line in chunks[-1] if end(line)]
    # A MOS or Tektronix file without data is empty, as srec_cat writes it.
    return "".join(line + "\n" for line in lines)


# ---- Cases ------------------------------------------------------------------------------

COMMANDS = ["blank", "read-bin", "read-hex", "program-bin", "program-hex", "verify", "erase",
            "compare"]
FAULTS = ["none", "no-programmer", "handshake-stuck", "no-readback", "no-chip", "chip-busy",
          "wrong-id", "stuck-bit", "fail-before", "fail-inside", "fail-after", "fail-for",
          "signal", "busy"]
ANSWERS = {"ok": ["-y"], "cancel": ["--answers", "cancel"], "no-terminal": [],
           "ok-then-cancel": ["--answers", "ok,cancel"]}
PROBED = ("fail-inside", "fail-after", "fail-for", "signal")


@dataclasses.dataclass
class Case:
    index: int
    variant: str  # a COMMANDS entry
    cls: str
    device: Device
    fault: str
    answers: str
    rng: random.Random  # the case's own draws, continued for its fault
    settings: dict = dataclasses.field(default_factory=dict)  # --set
    ini: str | None = None  # ORVANE.INI before the run
    save: bool = False
    fmt: str = "bin"  # read: the format asked for; else the data file's
    data: bytes = b""  # a binary data file
    segments: list = dataclasses.field(default_factory=list)  # (address, bytes) in file order
    record_bytes: int = 16
    data_name: str = ""
    read_name: str = ""
    old_output: bytes | None = None  # what the read's final name held before
    chip: bytes = b""
    chip_kind: str = ""
    fault_arg: str = ""
    signal_when: str | None = None  # "before" or "inside" the socket's power
    signal_early: bool = False
    probe: str = ""
    # program: a serial number (address, length, form, order, next) stamped into the chip
    serial: dict | None = None
    serial_refused: bool = False  # its field lies beyond the chip or the value beyond it

    @property
    def command(self):
        return self.variant.split("-")[0]

    @property
    def read_target(self):  # the format's extension replaces the name's own
        return self.read_name.rsplit(".", 1)[0] + (".bin" if self.fmt == "bin" else ".hex")

    def effective(self, key, default):
        m = re.search(r"^%s=(\d+)$" % key, self.ini or "", re.M)
        return self.settings.get(key, m.group(1) if m else default)


def make_segments(rng, size, fmt, shape):
    """Records with gaps, now and then out of order or overlapping; "over": one lies past
    the chip's end or crosses it."""
    top = min(size, HEX_FORMATS[fmt][2])
    if shape == "whole":
        return [(0, rng.randbytes(top))]
    segments = []

    def add(start, length):
        if not any(start < a + len(d) and a < start + length for a, d in segments):
            segments.append((start, rng.randbytes(length)))

    for _ in range(rng.randrange(1, 5)):
        length = rng.randrange(1, max(2, min(top, 4096)))
        add(rng.randrange(0, max(1, top - length)), min(length, top))
    if shape == "over" and size < HEX_FORMATS[fmt][2]:
        add(size - rng.randrange(0, 4), 8)
    segments.sort()
    inside = [(a, d) for a, d in segments if a < top]
    if fmt != "mos" and rng.random() < 0.3:
        a, d = rng.choice(inside)
        start = a + rng.randrange(min(len(d), top - a))
        segments.append((start, rng.randbytes(rng.randrange(1, min(64, top - start) + 1))))
    if fmt != "mos" and rng.random() < 0.3:
        rng.shuffle(segments)
    return segments


SERIAL_LARGEST = {"bin": lambda n: 256 ** n - 1, "bcd": lambda n: 10 ** (2 * n) - 1,
                  "dez": lambda n: 10 ** n - 1, "hex": lambda n: 16 ** n - 1}


def serial_bytes(serial):
    """The field's bytes, as the record's readers expect them."""
    n, value, form = serial["length"], serial["next"], serial["form"]
    if form == "dez":
        return b"%0*d" % (n, value)
    if form == "hex":
        return b"%0*X" % (n, value)
    digits = value if form == "bin" else int(str(value), 16)  # BCD: the digits as nibbles
    data = digits.to_bytes(n, "big")
    return data[::-1] if serial["order"] == "lsb" else data


def make_case(run_seed, index, devices, max_chip, slot):
    rng = random.Random("%s:%d" % (run_seed, index))
    variant = slot.get("variant") or rng.choice(COMMANDS)
    cls = slot.get("cls") or rng.choice(list(CLASSES))
    fault = slot.get("fault") or ("none" if rng.random() < 0.3 else rng.choice(FAULTS[1:]))
    answers = slot.get("answers") or rng.choices(list(ANSWERS), weights=[6, 2, 2, 1])[0]
    fitting = [d for d in devices if in_class(d, cls) and 0 < d.size <= max_chip and (
        not slot.get("flash_maker") or d.maker in {e.maker for e in devices
                                                    if e.mode in ("A", "SPI25")})]
    device = rng.choice(fitting or [min((d for d in devices if in_class(d, cls) and d.size),
                                         key=lambda d: d.size)])
    case = Case(index, variant, cls, device, fault, answers, rng,
                signal_when=slot.get("when"))
    size, command = device.size, case.command
    for key in ("Verify", "PageWrite", "DeleteTemp", "FFSave", "FastI2CRead", "TestChecksum"):
        if rng.random() < 0.3 and not slot.get("plain"):
            case.settings[key] = rng.choice("01")
    if rng.random() < 0.2 and not slot.get("plain"):
        case.settings["HexLineLen"] = str(rng.randrange(2, 255) & ~1)
    if rng.random() < 0.25 and not slot.get("plain"):
        case.ini = ("[Hardware]\nPortAdress=378\n[PelloryRom INI-Section]\nVerify=%d\n"
                    "PageWrite=%d\nDeleteTemp=%d\n[Eigene Notizen]\nKunde=Muster; Auftrag 4711\n"
                    "Zeile ohne Schlüssel\n" % (rng.randrange(2), rng.randrange(2),
                                                rng.randrange(2)))
    case.save = rng.random() < 0.15

    if command == "read":
        case.fmt = "bin" if variant == "read-bin" else rng.choice(list(HEX_FORMATS))
        case.read_name = rng.choice(["chip", "chip.img", "dump.tar.gz", "chip.bin", "chip.hex"])
        if rng.random() < 0.3:
            case.old_output = b"the user's own file\n" + rng.randbytes(rng.randrange(64))
    elif command in ("program", "verify", "compare"):
        if variant == "program-hex" or (variant != "program-bin" and rng.random() < 0.5):
            case.fmt = rng.choice(list(HEX_FORMATS))
        shape = slot.get("shape") or rng.choices(["whole", "part", "over", "empty"],
                                                 weights=[4, 6, 1, 0.3])[0]
        if case.fmt == "bin":
            case.data = rng.randbytes({"whole": size, "part": rng.randrange(1, max(2, size)),
                                       "over": size + rng.randrange(1, 3), "empty": 0}[shape])
            case.data_name = "data.bin"
        else:
            case.segments = make_segments(rng, size, case.fmt, shape) if shape != "empty" else []
            case.record_bytes = rng.randrange(1, 33)
            # A MOS Technology end record counts the records in 16 bits: srec_cat (the
            # oracle) refuses a file of 65536 records, as the format allows no more.
            if case.fmt == "mos":
                case.record_bytes = max(case.record_bytes, 2)
            # Now and then a data file with the buffer file's name.
            case.data_name = "pelloryrom.tmp" if command == "program" and rng.random() < 0.03 \
                else "data.hex"

    if command == "program" and not slot.get("plain") and rng.random() < 0.15:
        length = rng.randrange(1, 9)
        form = rng.choice(sorted(SERIAL_LARGEST))
        largest = SERIAL_LARGEST[form](length)
        beyond = rng.random() < 0.1 or size < length
        address = size - rng.randrange(0, length) if beyond else rng.randrange(size - length + 1)
        value = rng.choice([0, 1, largest - 1, rng.randrange(largest)])
        if rng.random() < 0.05 and largest + 1 < 2 ** 64:
            value = largest + 1
        case.serial = dict(address=address, length=length, form=form,
                           order=rng.choice(["msb", "lsb"]), next=value)
        case.serial_refused = beyond or value > largest

    # The chip before: random, erased, a few cells set, or (nearly) holding the file.
    kinds = ["random", "blank", "sparse"] + (["file", "file", "near"] if case.data_name else [])
    case.chip_kind = slot.get("chip") or rng.choice(kinds)
    if case.chip_kind == "random" and command in ("blank", "verify") and size > 8192:
        case.chip_kind = "sparse"  # else a box for every cell
    if case.chip_kind in ("blank", "sparse"):
        chip = bytearray(b"\xff" * size)
        for _ in range(rng.randrange(1, 6) if case.chip_kind == "sparse" else 0):
            chip[rng.randrange(size)] = rng.randrange(255)
    else:
        chip = bytearray(rng.randbytes(size))
        for _ in range(rng.randrange(4)):  # runs of blank cells, as real images have
            start = rng.randrange(size)
            end = min(size, start + rng.randrange(1, max(2, size // 4)))
            chip[start:end] = b"\xff" * (end - start)
    if case.chip_kind in ("file", "near"):
        segments = [(0, case.data)] if case.fmt == "bin" else case.segments
        cells = {a + i: b for a, d in segments for i, b in enumerate(d) if a + i < size}
        for a, b in cells.items():
            chip[a] = b
        if case.chip_kind == "near" and cells:
            for a in rng.sample(sorted(cells), min(len(cells), rng.randrange(1, 4))):
                chip[a] ^= 1 << rng.randrange(8)
    case.chip = bytes(chip)

    if fault == "stuck-bit":
        case.fault_arg = "stuck-bit=%d" % rng.randrange(16 if device.mode == "M" else 8)
    elif fault in ("fail-before",):
        case.fault_arg = "fail-after=%d" % rng.randrange(STARTUP[0])  # the programmer search
    elif fault not in PROBED + ("none", "busy"):
        case.fault_arg = fault
    return case


STARTUP = [19]  # handshakes of the start-up, measured once per run by detect


def covering_slots(run_seed):
    """Every command on every device class without a fault, with every fault, and with
    every answer but OK; the rest of each case is drawn as usual."""
    rng = random.Random("%s:cover" % run_seed)
    classes, slots = list(CLASSES), []
    for command in COMMANDS:
        rng.shuffle(classes)
        for n, cls in enumerate(classes):
            # Verify and compare on a chip that holds the file, so that they can end with 0;
            # erase on one that is not blank.
            chip = {"verify": "file", "compare": "file", "erase": "random",
                    "blank": ["blank", "sparse"][n % 2]}.get(command)
            slots.append(dict(variant=command, cls=cls, fault="none", answers="ok",
                              shape=["whole", "part", "over", "part"][n % 4], chip=chip))
        rng.shuffle(classes)
        for n, fault in enumerate(FAULTS[1:]):
            slots.append(dict(variant=command, cls=classes[n], fault=fault, answers="ok",
                              when="inside" if command in ("read-hex", "program-hex", "verify")
                              else "before"))
        for n, answers in enumerate(list(ANSWERS)[1:]):
            slots.append(dict(variant=command, cls=classes[-1 - n], answers=answers,
                              fault="none"))
        # A stuck bit, the user's own settings, and an EEPROM of a maker whose list has
        # flash parts too, whose selection switches the verify.
        if command in ("program-bin", "program-hex", "erase"):
            slots.append(dict(variant=command, fault="stuck-bit", answers="ok", plain=True,
                              flash_maker=True, cls=rng.choice(["i2c-a8", "spi-a16"])))
    rng.shuffle(slots)
    return slots


# ---- Running ----------------------------------------------------------------------------


class Runner:
    def __init__(self, cli, base, timeout):
        self.cli, self.base, self.timeout = cli, base, timeout
        with open(cli, "rb") as f:
            self.sanitized = b"__asan_init" in f.read()

    def limit(self, case):
        return self.timeout * (5 if self.sanitized else 1) * (1 + case.device.size // MIB)

    def prepare(self, case, folder, fault_arg, log):
        shutil.rmtree(folder, ignore_errors=True)
        work = folder / "work"
        for sub in ("work", "run", "home", "scratch"):
            (folder / sub).mkdir(parents=True)
        shutil.copy(LIBRARY, work / "SERLIST.CSV")
        (folder / "chip.bin").write_bytes(case.chip)
        if case.ini is not None:
            (work / "ORVANE.INI").write_text(case.ini, encoding="latin-1")
        if case.old_output is not None:
            (work / case.read_target).write_bytes(case.old_output)
        if case.data_name:
            (work / case.data_name).write_bytes(case.data if case.fmt == "bin" else hex_file(
                case.fmt, case.segments, case.record_bytes, folder / "scratch").encode())
        args = [str(self.cli), "--simulate", "-C", str(work), "-m", case.device.maker, "-d",
                case.device.name, "--chip", str(folder / "chip.bin")]
        args += ["--log", str(folder / "handshakes.log")] if log else []
        args += ["--fault", fault_arg] if fault_arg else []
        args += ANSWERS[case.answers]
        for key, value in case.settings.items():
            args += ["--set", "%s=%s" % (key, value)]
        args += ["--save"] if case.save else []
        if case.serial:
            args += ["--serial", "on"] + [a for key in ("address", "length", "form", "order",
                                                        "next") for a in (
                "--serial-" + key, str(case.serial[key]))]
        args.append(case.command)
        args += [case.read_name, "-f", case.fmt] if case.command == "read" else (
            [case.data_name] if case.data_name else [])
        return args

    def execute(self, args, folder, limit, hold_lock=False):
        """Runs ARGS in FOLDER; the driver holds the busy lock meanwhile with HOLD_LOCK."""
        lock = open(folder / "run" / "Tarnwick", "a") if hold_lock else None
        if lock:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        env = {k: v for k, v in os.environ.items()
               if k in ("PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")}
        env.update(PELLORY_NO_REAL_PORT="1", XDG_RUNTIME_DIR=str(folder / "run"),
                   HOME=str(folder / "home"))
        start = time.monotonic()
        with open(folder / "stdout", "wb") as out, open(folder / "stderr", "wb") as err:
            child = subprocess.Popen(
                [sys.executable, "-I", "-S", "-c", LAUNCHER, str(folder / "status"), *args],
                stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=folder / "work",
                env=env, start_new_session=True)
        def kill():
            with contextlib.suppress(ProcessLookupError):
                os.killpg(child.pid, signal.SIGKILL)

        hung = threading.Timer(limit, kill)
        hung.start()
        child.wait()
        hung.cancel()
        if lock:
            lock.close()
        status = (folder / "status").read_text().split() if (folder / "status").exists() else []
        return dict(status=int(status[0]) if status else -1,
                    rss=int(status[1]) if status else 0, hung=hung.finished.is_set() and
                    not status, seconds=time.monotonic() - start,
                    out=(folder / "stdout").read_text(errors="replace"),
                    err=(folder / "stderr").read_text(errors="replace"))

    def measure_startup(self):
        folder = self.base / "startup"
        for sub in ("work", "run", "home"):
            (folder / sub).mkdir(parents=True)
        self.execute([str(self.cli), "--simulate", "-C", str(folder / "work"), "--log",
                      str(folder / "log"), "detect"], folder, 60)
        STARTUP[0] = (folder / "log").read_text().count("\n")
        shutil.rmtree(folder)

    def choose_fault(self, case):
        """The handshake of a probed fault, from a run of the case without one. The socket
        is powered while register 00 has bit 4 and register 08 bit 7; only their lines of
        the log (millions of lines) are looked at, numbered by the line ends before them."""
        folder = self.base / ("probe-%d" % case.index)
        self.execute(self.prepare(case, folder, "", True), folder, self.limit(case))
        log = (folder / "handshakes.log").read_bytes()
        shutil.rmtree(folder)
        on, power_on, power_off, line, at, registers = False, None, None, 0, 0, {}
        for m in re.finditer(rb"(?m)^(00|08) ([0-9A-F]{2})$", log):
            line, at = line + log.count(b"\n", at, m.start()), m.start()
            registers[m.group(1)] = int(m.group(2), 16)
            now = bool(registers.get(b"00", 0) & 0x10 and registers.get(b"08", 0) & 0x80)
            if now and not on and line >= STARTUP[0] and power_on is None:
                power_on = line
            if on and not now:
                power_off = line
            on = now
        total = log.count(b"\n") - log.count(b"TIMEOUT")
        on = total if power_on is None else power_on
        off = total if power_off is None else power_off
        case.probe = "start-up %d, socket on at %d, off at %d, %d handshakes" % (
            STARTUP[0], on, off, total)
        rng = case.rng

        def pick(lo, hi):
            return rng.randrange(lo, max(lo + 1, hi))

        if case.fault == "signal":
            early = case.signal_when == "before" if case.signal_when else rng.random() < 0.35
            n = pick(0, on) if early else pick(on, total)
            case.fault_arg = "signal=%s@%d" % (rng.choice(["INT", "TERM", "HUP"]), n)
            case.signal_early = n < on
            return
        n = pick(off, total + 1) if case.fault == "fail-after" else (
            pick(on, off) if on < off else pick(STARTUP[0], total))
        case.fault_arg = "fail-after=%d" % n
        if case.fault == "fail-for":
            case.fault_arg += ",fail-for=%d" % rng.choice([1, 2, 5, rng.randrange(1, 400)])

    def run(self, case, keep):
        if case.fault in PROBED:
            self.choose_fault(case)
        folder = self.base / ("case-%d" % case.index)
        # A log only where it is checked: a long run writes millions of lines.
        args = self.prepare(case, folder, case.fault_arg, case.fault == "busy")
        before = snapshot(folder / "work")
        result = self.execute(args, folder, self.limit(case), case.fault == "busy")
        result["args"] = args
        try:
            violations = check(case, result, before, folder, self.sanitized)
        except OracleError as error:
            violations = [(0, "the oracle failed: %s" % error)]
        if not violations and not keep:
            shutil.rmtree(folder)
        return result, violations


def snapshot(folder):
    return {str(p.relative_to(folder)): hashlib.sha256(p.read_bytes()).hexdigest()
            if p.is_file() else "dir" for p in folder.rglob("*")}


# ---- The promises -----------------------------------------------------------------------

SUCCESS = ["Keine Fehler beim Programmieren !", "Keine Fehler beim Prüfen !", "Baustein ist leer",
           "Baustein gelesen", "Unterschiede: 0\n"]
FAILURE = re.compile(r"abgebrochen|fehlgeschlagen|nicht programmiert|nicht geschrieben|"
                     r"nicht vollständig|Zuviele Daten|sind verschieden|Verifyfehler|Fehler an|"
                     r"Fehler beim|kein Acknowledge|Kein ACK|überschritten|Dateilänge ist NULL|"
                     r"konnte nicht|fehlt|Unterschiede: [1-9]|vergessen|Timeout-Fehler")
SANITIZER = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:")


def check(case, result, before, folder, sanitized):
    """[(promise, what)] of every promise the run broke."""
    if result["hung"]:
        return [(4, "no exit within %d s" % result["seconds"])]
    status, out, err, work = result["status"], result["out"], result["err"], folder / "work"
    size, broken = case.device.size, []
    chip = (folder / "chip.bin").read_bytes()
    if len(chip) != size:
        broken.append((5, "the chip image has %d bytes, not %d" % (len(chip), size)))
    code = result["code"] = os.WEXITSTATUS(status) if os.WIFEXITED(status) else 128 + (
        os.WTERMSIG(status) if os.WIFSIGNALED(status) else 0)
    if not os.WIFEXITED(status):
        broken.append((4, "killed by signal %d" % (code - 128)))
    if SANITIZER.search(err):
        broken.append((4, "sanitizer report: " + SANITIZER.search(err).group(0)))
    if not sanitized and result["rss"] > 4 * size + 64 * MIB:
        broken.append((4, "peak memory %.1f MiB above %.1f MiB" % (
            result["rss"] / MIB, (4 * size + 64 * MIB) / MIB)))

    # 2. The success texts say "Fehler" too: they are taken out before looking for failures.
    text = out
    for s in SUCCESS:
        text = text.replace(s, "")
    failure = FAILURE.search(text)
    success = [s.strip() for s in SUCCESS if s in out] + (
        ["geschrieben:"] if "pellory-cli: geschrieben:" in err else [])
    if code == 0 and failure:
        broken.append((2, "exit 0 with the failure message \"%s\"" % failure.group(0)))
    # 10 is a command whose work was done when the programmer stopped answering (while the
    # socket was switched off, say): its success may stand, if it is true.
    if code != 0 and success and not (code == 10 and case.fault != "no-chip" and not effect(
            case, chip, work, folder)):
        broken.append((2, "exit %d with the success message \"%s\"" % (code, success[0])))

    # 3. An empty socket holds no chip: nothing may change the image then.
    answer = re.search(r"^>>> (.*)$", out, re.M)
    cancelled = answer is not None and answer.group(1) == "Abbrechen"
    why = "%s changed the chip" % case.command if case.command in (
        "blank", "read", "verify", "compare") else \
        "the first question was cancelled" if cancelled else \
        "the command was refused with %d" % code if code in (3, 26, 64, 69, 75) else \
        "the signal came before the socket was on" if case.signal_early else \
        "the socket was empty" if case.fault == "no-chip" else None
    if chip != case.chip and why:
        broken.append((3, "the chip changed: %s; %s" % (why, first_difference(case.chip, chip))))
    if case.signal_early and code == 0 and case.command in ("program", "erase"):
        broken.append((3, "exit 0 although the signal came before the socket was on"))
    if case.fault == "busy":
        log = folder / "handshakes.log"
        if code != 75:
            broken.append((3, "exit %d while another instance held the busy lock" % code))
        if log.exists() and log.stat().st_size:
            broken.append((3, "handshakes sent while another instance held the busy lock"))

    # 1. Exit 0 means done.
    if code == 0 and case.serial_refused:
        broken.append((1, "exit 0 although the serial number does not fit: %s" % case.serial))
    if code == 26 and not case.serial_refused:
        broken.append((1, "exit 26 for a serial number that fits: %s" % case.serial))
    if code == 0 and cancelled:
        broken.append((1, "exit 0 although the first question was cancelled"))
    elif code == 0 and case.fault != "no-chip":
        broken += [(1, w) for w in effect(case, chip, work, folder)]

    # 5. The working folder.
    broken += [(5, w) for w in folder_changes(case, before, snapshot(work), folder, code, chip)]
    return broken


def first_difference(expected, actual):
    diffs = [a for a, (x, y) in enumerate(zip(expected, actual)) if x != y]
    if not diffs:
        return "lengths %d and %d" % (len(expected), len(actual))
    return "%d cells differ, the first at 0x%08X: 0x%02X expected, 0x%02X found" % (
        len(diffs), diffs[0], expected[diffs[0]], actual[diffs[0]])


def unverified(case):
    """A stuck bit shows only in a verify. Selecting an AT45 part switches the verify off,
    an SPI25 part on; --set wins."""
    forced = {"A": "0", "SPI25": "1"}.get(case.device.mode)
    return case.fault == "stuck-bit" and case.settings.get(
        "Verify", forced or case.effective("Verify", "1")) == "0"


def read_image(case, path, folder):
    """What a read's file says the chip holds; cells it leaves out are blank."""
    if case.fmt != "bin":
        return hex_image(path, case.fmt, 0xFF, case.device.size, folder / "scratch")
    data = path.read_bytes()
    return data + b"\xff" * (case.device.size - len(data))


def effect(case, chip, work, folder):
    """What is wrong with the outcome of a command that says it was done."""
    size, d, scratch = case.device.size, case.device, folder / "scratch"
    if case.command in ("blank", "erase"):
        if chip != b"\xff" * size and not (case.command == "erase" and unverified(case)):
            return ["%s: not every cell is 0xFF: %s" % (case.command, first_difference(
                b"\xff" * size, chip))]
        return []
    if case.command == "read":
        target = work / case.read_target
        if not target.is_file():
            return ["read: %s was not written" % case.read_target]
        image = read_image(case, target, folder)
        # A binary file ends at the last cell that is not blank (a whole Microwire word)
        # unless blank cells are saved; AT45 and SPI25 parts are read whole.
        length = len(chip.rstrip(b"\xff")) if case.effective("FFSave", "0") == "0" and \
            d.mode not in ("A", "SPI25") else size
        length += length % 2 if d.mode == "M" else 0
        if image != chip:
            return ["read: %s does not decode to the chip: %s" % (
                case.read_target, first_difference(chip, image))]
        if case.fmt == "bin" and target.stat().st_size != length:
            return ["read: %s has %d bytes, not %d" % (case.read_target, target.stat().st_size,
                                                      length)]
        return []
    path = work / case.data_name
    if not path.is_file():
        return ["%s: the data file is gone" % case.command]
    if case.fmt == "bin":
        cells = dict(enumerate(path.read_bytes()))
    else:  # the cells a record gives read the same with either fill
        ff, zero = (hex_image(path, case.fmt, fill, size, scratch) for fill in (0xFF, 0))
        cells = {a: x for a, (x, y) in enumerate(zip(ff, zero)) if x == y}
    if cells and max(cells) >= size:
        return ["%s: exit 0 for a file with data at 0x%X, beyond the chip's %d bytes" % (
            case.command, max(cells), size)]
    if case.command in ("verify", "compare"):
        wrong = [a for a, b in cells.items() if chip[a] != b]
        return ["%s: exit 0, but the chip differs from the file at %d cells, first 0x%X" % (
            case.command, len(wrong), wrong[0])] if wrong else []
    if unverified(case):
        return []
    stamp = serial_bytes(case.serial) if case.serial else b""
    if case.fmt != "bin":
        expected = bytearray(hex_image(path, case.fmt, 0xFF, size, scratch))
    else:
        data = bytearray(case.data)
        if stamp:  # the copy grows to the field, blank in between
            data += b"\xff" * max(0, case.serial["address"] + len(stamp) - len(data))
        end = len(data)
        expected = bytearray(bytes(data) + case.chip[end:])
        if d.mode == "SPI25" and d.erase in ("CE", "SE"):
            expected[end:] = b"\xff" * (size - end)  # erased first
        if d.mode == "M" and end % 2:
            expected[end] = 0xFF  # the high byte of the last word, which the file lacks
    if stamp:
        expected[case.serial["address"]:case.serial["address"] + len(stamp)] = stamp
    if chip != expected:
        return ["program: the chip is not what the file asks for: %s" % first_difference(
            expected, chip)]
    return []


def folder_changes(case, before, after, folder, code, chip):
    changes, work = [], folder / "work"
    target = case.read_target if case.command == "read" else None
    delete_temp = case.effective("DeleteTemp", "1")
    for name in sorted(set(before) | set(after)):
        if before.get(name) == after.get(name):
            continue
        now = name in after
        if name == "pellory.log":
            changes += log_appended(case, work / name, before.get(name), code)
            continue
        what = "deleted" if not now else "changed" if name in before else "created"
        # A complete read may replace its file, whatever its status (of an empty socket
        # nobody knows what is complete: then only with 0).
        if name == target and now and (read_image(case, work / name, folder) == chip or (
                case.fault == "no-chip" and code == 0)):
            continue
        if target and name == target + ".partial" and code != 0 and now:
            continue
        if case.serial and name in ("produktion.csv", "ORVANE.INI"):
            changes += production_record(case, work, code, name)
            if name == "ORVANE.INI" and case.save:
                changes += ini_saved(case, work / name)
        elif name == "ORVANE.INI" and case.save:
            changes += ini_saved(case, work / name)
        elif buffer_name(case, name) and now and delete_temp == "0" and \
                case.command in ("program", "erase"):
            # The buffer file kept: the whole device's image of the file.
            if case.fmt != "bin" and case.command == "program" and code == 0 and \
                    (work / name).read_bytes() != hex_image(
                        work / case.data_name, case.fmt, 0xFF, case.device.size,
                        folder / "scratch"):
                changes.append("pelloryrom.tmp is not the whole device's image of the file")
        elif name == target:
            changes.append("%s %s without a complete read (exit %d)" % (name, what, code))
        elif buffer_name(case, name):
            changes.append("the buffer file %s %s (DeleteTemp=%s)" % (
                name, "left behind" if now else what, delete_temp))
        else:
            changes.append("%s %s" % (name, what))
    return changes


LOG_RESULT = re.compile(r" \| ([^|]*) \((\d+)\) \| ")


def log_appended(case, path, before, code):
    """A hardware action adds one line to pellory.log, whose result agrees with the exit
    status: "erfolgreich (0)" exactly when the command ends with 0 (or only its --save
    failed; compare logs the read before its own verdict)."""
    if case.command not in ("blank", "read", "program", "verify", "erase", "compare"):
        return ["pellory.log written by %s" % case.command]
    text = path.read_text(encoding="utf-8", errors="replace")
    lines = text.split("\n")
    if lines[-1] != "" or len(lines) != 2:
        return ["pellory.log holds %d lines, not the one of this action" % (len(lines) - 1)]
    match = LOG_RESULT.search(lines[0])
    if not match:
        return ["pellory.log line without a result: %s" % lines[0]]
    logged = int(match.group(2))
    # compare logs its read; the differences it finds afterwards end it with their own status.
    agrees = logged != 0 or code in (0, 73) or case.command == "compare"
    if not agrees or (logged != 0 and code == 0) or \
            (logged == 0) != (match.group(1) == "erfolgreich"):
        return ["pellory.log says %s (%d), the exit status is %d" % (match.group(1), logged, code)]
    return []


def production_record(case, work, code, name):
    """A chip with a serial number has two lines in the record, the number taken when it
    began, saved as taken in ORVANE.INI, and the outcome the exit status gives."""
    record = work / "produktion.csv"
    lines = record.read_text(encoding="utf-8").splitlines() if record.exists() else []
    begun = [line for line in lines[1:] if line.endswith(";begonnen;;;;;")]
    done = [line for line in lines[1:] if line not in begun]
    # --save writes ORVANE.INI anyway, with the number not taken.
    if case.serial_refused and not (name == "ORVANE.INI" and case.save):
        return ["%s changed although the serial number was refused" % name]
    if name == "ORVANE.INI":
        text = (work / name).read_text(encoding="latin-1")
        taken = re.search(r"^SerialNext=(\d+)$", text, re.M)
        want = case.serial["next"] + (1 if begun else 0)
        if (taken is None and begun) or (taken and int(taken.group(1)) != want):
            return ["ORVANE.INI gives SerialNext=%s, %d expected" % (
                taken.group(1) if taken else "-", want)]
        return []
    if len(begun) != 1 or len(done) != 1 or not lines[0].startswith("Zeit;Baustein;"):
        return ["produktion.csv holds %d lines begonnen and %d others, not one each" % (
            len(begun), len(done))]
    fields = done[0].split(";")
    if len(fields) != 11 or int(fields[6]) != code and code not in (73,):
        return ["produktion.csv says code %s, the exit status is %d" % (
            fields[6] if len(fields) > 6 else "-", code)]
    return []


def buffer_name(case, name):
    """The buffer file; a new one beside it when the data file is pelloryrom.tmp itself."""
    if case.data_name == "pelloryrom.tmp":
        return re.fullmatch(r"pelloryrom\.\w{6}\.tmp", name) is not None
    return name == "pelloryrom.tmp"


def ini_saved(case, path):
    """--save writes ORVANE.INI whole, with the lines of the user's own sections."""
    if not path.is_file():
        return ["--save left no ORVANE.INI"]
    lines = path.read_text(encoding="latin-1").split("\n")
    problems = [] if lines[-1] == "" else ["ORVANE.INI cut: no line end at its end"]
    return problems + ["--save lost the line \"%s\" of ORVANE.INI" % line
                       for line in (case.ini or "").splitlines()
                       if (line.startswith("[") or "=" not in line or line.startswith("Kunde"))
                       and line not in lines]


# ---- Expected failures ------------------------------------------------------------------

# Known faults not mended yet, each (name, matches(case, code, promise, what)): reported as
# EXPECTED instead of failing the run, unless --strict. None at present.
EXPECTED = []


def expected_failure(case, code, invariant, what):
    return next((name for name, matches in EXPECTED if matches(case, code, invariant, what)),
                None)


# ---- Main -------------------------------------------------------------------------------


def report(case, result, violations, expected, run_seed, flags, folder, kept):
    lines = ["%s %d: %s" % ("EXPECTED (%s), promise" % expected[v] if v in expected else
                            "VIOLATION of promise", v[0], v[1]) for v in violations]
    d = case.device
    lines.append("  case %d of --seed %s: %s on %s/%s (%s, %d bytes), fault %s, answers %s, "
                 "chip %s, data %s %s" % (case.index, run_seed, case.variant, d.maker, d.name,
                                          case.cls, d.size, case.fault_arg or case.fault,
                                          case.answers, case.chip_kind, case.fmt,
                                          case.data_name or case.read_name))
    if case.probe:
        lines.append("  probe: " + case.probe)
    lines.append("  exit %s after %.1f s, peak memory %.1f MiB" % (
        result.get("code"), result["seconds"], result["rss"] / MIB))
    lines.append("  again: tools/sweep --seed %s%s --case %d --keep" % (run_seed, flags,
                                                                        case.index))
    if kept:  # its command line names the files of the case's folder
        lines.append("  command%s: XDG_RUNTIME_DIR=%s PELLORY_NO_REAL_PORT=1 %s < /dev/null" % (
            " (the driver holding run/Tarnwick)" if case.fault == "busy" else "",
            shlex.quote(str(folder / "run")), shlex.join(result["args"])))
        lines.append("  folder: %s (as the run left it)" % folder)
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=200, help="how many cases (200)")
    parser.add_argument("--seed", help="what the cases are drawn from (default: new, printed)")
    parser.add_argument("--cli", default=str(ROOT / "build/src/shell/cli/pellory-cli"),
                        help="the pellory-cli to run (build/src/shell/cli/pellory-cli)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2,
                        help="cases at a time (one per core)")
    parser.add_argument("--case", type=int, action="append", help="only this case")
    parser.add_argument("--sample", action="store_true",
                        help="the covering set, then random cases until --budget seconds")
    parser.add_argument("--budget", type=float, default=40.0, help="seconds (40)")
    parser.add_argument("--max-chip", type=int,
                        help="largest chip in bytes (1 MiB; 256 KiB with --sample)")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds a run per MiB")
    parser.add_argument("--keep", action="store_true", help="keep every case's folder")
    parser.add_argument("--strict", action="store_true", help="expected failures fail too")
    parser.add_argument("--folder", help="where the cases run (default: a new one in /tmp)")
    options = parser.parse_args()
    if not shutil.which("srec_cat"):
        sys.exit("sweep: srec_cat is missing (tools/install-deps installs it)")
    cli = Path(options.cli).resolve()
    if not cli.is_file():
        sys.exit("sweep: no pellory-cli at %s (--cli PATH)" % cli)
    run_seed = options.seed or str(random.SystemRandom().randrange(10**9))
    max_chip = options.max_chip or (256 * 1024 if options.sample else MIB)
    flags = " --sample" * options.sample + (" --max-chip %d" % options.max_chip
                                            if options.max_chip else "")
    devices = load_devices(LIBRARY)
    base = Path(options.folder or tempfile.mkdtemp(prefix="pellory-sweep-"))
    runner = Runner(cli, base, options.timeout)
    runner.measure_startup()
    # Every run starts with the covering set: however long, it has every command on every
    # device class, with every fault and every answer.
    slots = covering_slots(run_seed)
    print("sweep: --seed %s%s, cli %s%s, %d jobs, folder %s" % (
        run_seed, flags, cli, " (sanitized)" * runner.sanitized, options.jobs, base),
        flush=True)

    started, lock, counter = time.monotonic(), threading.Lock(), iter(range(1 << 62))
    counts = dict(runs=0, failures=0, expected=0, done=0)
    seen = {"commands": set(), "faults": set(), "device classes": set(), "answers": set()}

    def next_index():
        with lock:
            n = next(counter)
        if options.case:
            return options.case[n] if n < len(options.case) else None
        if options.sample:
            return n if n < len(slots) or time.monotonic() - started < options.budget else None
        return n if n < options.runs else None

    def worker():
        while (i := next_index()) is not None:
            case, text, result = None, None, {}
            try:
                case = make_case(run_seed, i, devices, max_chip,
                                 slots[i] if i < len(slots) else {})
                result, violations = runner.run(case, options.keep)
                expected = {} if options.strict else {
                    v: name for v in violations
                    if (name := expected_failure(case, result.get("code"), *v))}
                real = len(violations) > len(expected)
                if violations:
                    text = report(case, result, violations, expected, run_seed, flags,
                                  base / ("case-%d" % i), real or options.keep)
                if not real and not options.keep:
                    shutil.rmtree(base / ("case-%d" % i), ignore_errors=True)
            except Exception:  # a fault of the driver fails the run as well
                real, violations = True, [(0, "driver")]
                text = "DRIVER ERROR in case %d of --seed %s\n%s" % (i, run_seed,
                                                                     traceback.format_exc())
            with lock:
                counts["runs"] += 1
                counts["done"] += result.get("code") == 0
                if case:
                    for key, value in zip(seen, (case.variant, case.fault, case.cls,
                                                 case.answers)):
                        seen[key].add(value)
                if violations:
                    counts["failures" if real else "expected"] += 1
                    print(text, flush=True)

    threads = [threading.Thread(target=worker) for _ in range(options.jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    print("sweep: covered %s; exit 0 in %d runs" % (", ".join(
        "%d/%d %s" % (len(seen[k]), n, k) for k, n in zip(
            seen, (len(COMMANDS), len(FAULTS), len(CLASSES), len(ANSWERS)))), counts["done"]))
    print("sweep: %d runs, %d failures, %d expected failures, %.0f s, --seed %s%s"
          % (counts["runs"], counts["failures"], counts["expected"],
             time.monotonic() - started, run_seed, flags), flush=True)
    if not options.keep and not counts["failures"]:
        shutil.rmtree(base, ignore_errors=True)
    return 1 if counts["failures"] else 0


if __name__ == "__main__":
    sys.exit(main())
