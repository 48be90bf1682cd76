#!/usr/bin/env python3
"""Writes the seed inputs in fuzz/corpus/<target>/ from frames the tests use.

Most targets read their input with FuzzedDataProvider: byte strings from the front, integers
and choices from the back (the last byte first); fuzz_replies reads all of it from the front. A seed is laid out the same way, so a target
whose reading order changes needs its seeds rewritten here: python3 fuzz/make_seeds.py
"""
import hashlib
import pathlib

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"


class Seed:
    def __init__(self):
        self.front = bytearray()
        self.back = []  # in the order the target consumes them

    def data(self, hex_or_bytes):
        self.front += bytes.fromhex(hex_or_bytes) if isinstance(hex_or_bytes, str) else hex_or_bytes
        return self

    def value(self, number, size=1):
        """An integer of `size` bytes, high byte first; a ranged read takes as many bytes as
        the range needs and the number modulo (range + 1)."""
        self.back += list(number.to_bytes(size, "big"))
        return self

    def choice(self, index):
        return self.value(index)

    def flag(self, on):
        return self.value(1 if on else 0)

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def crc16(data):
    value = 0xFFFF
    for byte in data:
        value ^= byte
        for _ in range(8):
            value = (value >> 1) ^ 0xA001 if value & 1 else value >> 1
    return bytes([value & 0xFF, value >> 8])


def framed(hex_text):
    data = bytes.fromhex(hex_text.replace(" ", ""))
    return data + crc16(data)


def write(target, seeds):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for seed in seeds:
        content = seed.bytes() if isinstance(seed, Seed) else seed
        (folder / hashlib.sha1(content).hexdigest()).write_bytes(content)


# The commands in the order the first byte of a fuzz_replies input picks them.
COMMANDS = ["cableRead", "cableWrite", "clockRead", "clockWrite", "statusWordRead",
            "leakDistanceRead", "zeroCalibration", "logCountRead", "logClear", "logBlockRead",
            "addressProbe", "deviceBaudRateWrite", "deviceAddressWrite"]
CABLE_SETTINGS = ["LengthA", "LengthB", "ResistivityA", "ResistivityB", "CalibrationA", "CalibrationB"]
RECORDS = ["20100101000001000001", "20110202000002000002", "20120303000001000003",
           "20100707090501 0004D2", "20100707090500 0204D2", "201007070905 02 01 0064",
           "209912312359 0000 0000", "201A1A1A1AFF 0000 0000"]


def command(name, parameters, reply_hex):
    """A fuzz_replies input: all of it read from the front, the reply last."""
    return bytes([COMMANDS.index(name)]) + bytes.fromhex(parameters) + framed(reply_hex)


def block_reply(records):
    data = "".join(records).replace(" ", "")
    return "01 03 %02X" % (len(data) // 2) + data


WRITE_REPLIES = ["01 06 02 0000", "01 06 02 0001"]
write("replies", [
    *[command("cableRead", "%02X" % CABLE_SETTINGS.index(setting), "01" + body)
      for setting, body in [
          ("LengthA", "0304000004E2"),        # 12.50 m
          ("LengthB", "0304FFFFFFFE"),        # -0.02 m
          ("LengthA", "0304FFFFFFFF"),        # no value
          ("ResistivityA", "03020190"),       # 400
          ("CalibrationB", "0302FFFF"),
      ]],
    *[command("cableWrite", "01" + value, answer)
      for value, answer in zip(["000004E2", "FFFFFFFE"], WRITE_REPLIES)],
    *[command("clockRead", "", "01 03 08" + data)
      for data in ["2012030509070003", "2012030509079903", "FF1A1A1A1A1A001A"]],
    *[command("clockWrite", "0002 0003 0005 0009 0007 0003", answer) for answer in WRITE_REPLIES],
    *[command("statusWordRead", "", "01 04 02" + codes) for codes in ["0201", "0000", "03FF"]],
    *[command("leakDistanceRead", channel, "01 04 02" + distance)
      for channel, distance in [("00", "04D2"), ("01", "FFFF"), ("00", "FFFE")]],
    *[command("zeroCalibration", "%02X%02X" % (channel, station), "%02X 04 02 %s" % (address, result))
      for channel, station, address, result in
      [(0, 1, 1, "0000"), (1, 1, 1, "0001"), (0, 1, 2, "0000"), (1, 255, 255, "0100")]],
    *[command("logCountRead", "", "01 03 02" + count)
      for count in ["0000", "0001", "0019", "001A", "0028", "0029", "FFFF"]],
    *[command("logClear", "", answer) for answer in WRITE_REPLIES],
    command("logBlockRead", "0300", block_reply(RECORDS[:3])),
    command("logBlockRead", "0500", block_reply(RECORDS[3:])),
    command("logBlockRead", "0000", block_reply([])),
    command("logBlockRead", "2800", block_reply((RECORDS * 4)[:25])),
    command("logBlockRead", "1A01", block_reply(RECORDS[:1])),
    command("addressProbe", "", "07 03 02 0003"),
    *[command("deviceBaudRateWrite", "2580", answer) for answer in WRITE_REPLIES],
    *[command("deviceAddressWrite", "07", answer) for answer in WRITE_REPLIES],
])

write("clock_entry", [
    "\\n".join(fields).encode()
    for fields in [["2012", "3", "5", "9", "7", "3"], ["2009", "1", "1", "0", "0", "0"],
                   ["9999", "12", "31", "23", "59", "59"], ["2010", "13", "", "", "", ""],
                   [" +2024x", "-0", "31", "24", "", ""]]
])

write("text_entry", [text.encode() for text in [
    "300", " \t-17", "+5", "12abc", "7.9", "99999999999999999999999", "12.5", "1.15", " -0.02m",
    "1.5e2", "0x10", "0x.8", "21474836.47", "-21474836.49", "1e400", "1e-400", "inf", "nan",
    # Findings, kept as reproducers: a second sign, "0x" before no hex digit, numbers out of
    # the double range whose exponent's sign misleads, and an exponent marker with two signs.
    "--444", "+-5", "0x-1", "0xinf", "0." + "0" * 400 + "1", "1" + "0" * 400 + "e-50",
    "0x3p+-8299"]])


def exchange_seed(stale, records, answer, keep=False, read_limit=None):
    """A log block read of `records` records at station 1, `stale` bytes waiting before it:
    500 or more are drained, fewer discarded or, with `keep`, left for the reply."""
    seed = Seed().flag(read_limit is not None)
    if read_limit is not None:
        seed.value(read_limit, 2)
    noisy = len(stale) >= 500
    seed.flag(noisy)
    if noisy:
        seed.value(len(stale) - 500, 1)  # a range of 200 takes one byte
    else:
        seed.value(len(stale), 2).flag(keep)  # a range of 499 two
    seed.data(stale)
    return seed.value(1).value(records).data(answer)


ONE_RECORD = framed(block_reply(RECORDS[:1]))
DAMAGED = ONE_RECORD[:5] + bytes([ONE_RECORD[5] ^ 1]) + ONE_RECORD[6:]
write("exchange", [
    exchange_seed(b"", 1, ONE_RECORD),
    exchange_seed(b"", 1, ONE_RECORD[:8]),
    exchange_seed(b"", 1, DAMAGED),
    exchange_seed(bytes(range(20)), 1, ONE_RECORD),
    exchange_seed(ONE_RECORD[:4], 1, ONE_RECORD[4:], keep=True),
    exchange_seed(bytes(500), 0, framed("01 03 00")),
    exchange_seed(bytes(600), 0, framed("01 03 00")),
    exchange_seed(b"", 3, framed(block_reply(RECORDS[:3])), read_limit=7),
    exchange_seed(b"", 25, framed(block_reply((RECORDS * 4)[:25]))),
])


REQUESTS = ["0103600100 02", "0106600100020000 04E2", "0103601000 04",
            "011060100004 2012030509070003", "0106800000 012580", "0106800100 010005",
            "0104400200 01", "0104400300 01", "0104400800 01", "0103401000 01", "0106401000 01",
            "0103500000 7D", "010350FA00 4B"]


def raw_piece(seed, piece, split, step=0):
    return seed.value(step).flag(False).value(len(piece) - 1).data(piece).value(split)


def assembler_seed(pieces, idle_gap=50):
    seed = Seed().value(idle_gap)
    for index, piece in enumerate(pieces):
        raw_piece(seed, piece, index % len(piece), step=10 * index)
    return seed


frames = [framed(request) for request in REQUESTS]
write("frame_assembler", [
    assembler_seed(frames[:4]),
    assembler_seed([bytes.fromhex("FF00"), frames[4], bytes.fromhex("0103"), frames[6]]),
    assembler_seed([frames[1][:5], frames[1][5:], frames[11]], idle_gap=5),
])


def device_seed(requests):
    seed = Seed().value(1).choice(0).flag(False).value(3)
    for century in (0x20, 0x20, 0x20):
        seed.value(century)
    for request in requests:
        data = bytes.fromhex(request.replace(" ", ""))
        seed.flag(True).flag(False).value(data[1]).flag(False).value(int.from_bytes(data[2:4], "big"), 2)
        seed.flag(False).value(int.from_bytes(data[4:6], "big"), 2).data(data[6:])
    return seed


write("controller_device", [device_seed(REQUESTS[:6]), device_seed(REQUESTS[6:]),
                            device_seed(["0106800100 010007", "0103401000 01"])])
