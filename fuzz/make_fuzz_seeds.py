#!/usr/bin/env python3
"""Writes the seed corpora of plugin_fuzz, lv2_fuzz, controller_fuzz, vst3_fuzz and clap_fuzz,
one seed per path, and missive_fuzz's well-formed messages.

The first four read their bytes with libFuzzer's FuzzedDataProvider: numbers
from the end of the input backwards (the first one read is the last byte;
a wider number's most significant byte comes first), strings and byte runs
from the front. A Seed collects both in reading order.

Run by hand when the targets' reading or the message format changes:
  fuzz/make_fuzz_seeds.py fuzz/corpus
"""
import pathlib
import struct
import sys


class Seed:
    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()
        self.longest = 0  # the longest block the target will take

    def n(self, value, width=1):
        """A number read with ConsumeIntegral(InRange): width bytes."""
        self.back += (value % (1 << (8 * width))).to_bytes(width, "big")
        return self

    def ops(self, *values):
        for v in values:
            self.n(v)
        return self

    def text(self, s):
        """A ConsumeRandomLengthString: backslash, then an end mark."""
        self.front += s.encode().replace(b"\\", b"\\\\") + b"\\x"
        return self

    def raw(self, data):
        self.front += data
        return self

    def double_bits(self, x):
        return self.n(struct.unpack("<Q", struct.pack("<d", x))[0], 8)

    def float_bits(self, x):
        return self.n(struct.unpack("<I", struct.pack("<f", x))[0], 4)

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


# AnyValue (fuzz/anyvalue.h), shared by the targets: an edge by its place,
# else raw bits (eight bytes for a double, four for a float).
EDGES = ["nan", "inf", "-inf", "max", "-max", "denorm", -1.0, 0.0, 0.5, 1.0, 2.0, 9.0, 2.0**32]


def value(s, v, width=8):
    if v in EDGES:
        return s.ops(0, EDGES.index(v))
    s.n(3)
    return s.double_bits(v) if width == 8 else s.float_bits(v)


# ---------------------------------------------------------------- plugin_fuzz
RATES = [11025, 22050, 44100, 48000, 51000.9, 51001, 96000, 102000, 176400,
         204000, 204001, 11024, 0, -48000, 1e12]
KERNELS = ["plain", "baseline", "avx2", "avx512"]
PARAMETERS = 14  # the plug-in's thirteen and the host's bypass
BYPASS = 13
CHANGE, START_WITH, RESTART, TAP, SESSION_TEMPO, MESSAGE, STATE, EXCHANGE, SET_UP_AGAIN, BLOCK = range(10)


def wire(s, rate, kernel="plain", longest=512):
    s.ops(4, 1, RATES.index(rate), KERNELS.index(kernel))
    s.longest = longest
    return s.n(longest - 1, 2)


def frames(s, count, longest):
    """A count in 0..longest: one byte below 256, else two."""
    return s.n(count, 1 if longest < 256 else 2)


def rig(s, op):
    return s.ops(6, op)


def change(s, index, v, user=False):
    """Automation, or a user's starting value (which restarts the tape)."""
    rig(s, START_WITH if user else CHANGE).n(index)
    return value(s, v)


def block(s, count, kind=1, samples=()):
    frames(rig(s, BLOCK), count, s.longest).ops(kind, 20).n(98, 2)  # level 2^12, period 100
    assert kind != 2 or len(samples) == count
    for x in samples:
        s.n(x, 2)
    return s


def plugin_seeds():
    seeds = {}
    s = Seed()
    s.ops(0, 1, 0, 0, 1, 1, 0, 1, 2)       # acquire each interface
    s.ops(1, 1, 1, 0)                      # release two, out of order
    s.ops(2, 0, 0, 2, 1, 2, 2, 2, 3)       # again, foreign, null
    s.ops(0, 0).text("IIHux::plugin")      # a name that is not registered
    seeds["acquire_release_orders"] = s

    s = Seed().ops(0, 1, 0)
    for count in (0, 2, 1, 0xFFFFFFFF):
        s.n(3).n(count, 4)
    seeds["exchange_channel_counts"] = s

    for kernel in KERNELS:
        s = wire(Seed(), 48000, kernel)
        block(s, 512, 1)
        block(s, 64, 2, [0x7FFF, 0x8000, 0x1234, 0] * 16)
        block(s, 0)
        seeds["blocks_" + kernel] = s

    s = Seed()
    for rate in (204001, 11024, 0, -48000, 1e12, 204000, 11025):
        wire(s, rate)
        if rate in (204000, 11025):
            block(s, 128)
    seeds["rates_refused_and_edges"] = s

    s = wire(Seed(), 44100, "avx2", 256)
    for index in range(PARAMETERS):
        for v in ("nan", "inf", "-max", -1.0, 7.5, 2.0**32):
            change(s, index, v, user=index % 2 == 1)
        block(s, 256)
    seeds["parameter_edges"] = s

    s = wire(Seed(), 96000, "plain", 128)
    change(s, 0, 1.0, user=True)           # tempo lock
    change(s, 1, 4.0, user=True)           # quarter
    for v in ("nan", 0.0, "max", -1.0, 140.0):
        value(rig(s, TAP), v)
        block(s, 128)
    for v in ("inf", 0.0, 90.0):
        value(rig(s, SESSION_TEMPO), v)
        block(s, 128)
    seeds["taps_and_session_tempos"] = s

    s = wire(Seed(), 22050)
    rig(s, MESSAGE).n(1).n(12, 2).raw(bytes([0x53, 0x00, 0xFF, 0x10, 0x7F, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07]))
    rig(s, MESSAGE).n(0).text("BPMTapped").text("120")
    rig(s, MESSAGE).n(0).text("").text("")
    rig(s, EXCHANGE).n(2, 4)
    block(s, 64)
    seeds["named_messages"] = s

    s = wire(Seed(), 176400)
    rig(s, STATE).ops(0, 0, 0)
    rig(s, STATE).ops(1, 1, 9, 0).raw(b"\x00\x01garbage")
    block(s, 64)
    seeds["state_round_trip"] = s

    s = wire(Seed(), 51001, "baseline")
    block(s, 300)
    rig(s, RESTART)
    rig(s, SET_UP_AGAIN).ops(0, 1)         # set up again, then restart
    block(s, 300)
    rig(s, SET_UP_AGAIN).ops(2, 0)         # a refused set-up stops it
    block(s, 300)
    seeds["reset_and_setup_again"] = s

    s = wire(Seed(), 48000, "plain", 1)
    change(s, BYPASS, 1.0, user=True)
    block(s, 1, 1)
    change(s, BYPASS, 0.0, user=True)
    change(s, 11, 2.0, user=True)          # Modern
    for _ in range(8):
        block(s, 1, 1)
    s.ops(5)                               # the instance goes
    seeds["bypass_and_one_frame_blocks"] = s
    return seeds


# ---------------------------------------------------------------- lv2_fuzz
LV2_RATES = [44100, 48000, 96000, 11025, 204000, 8000, 0, -1]
PORTS = 20
CONTROLS = list(range(2, 15))  # the parameters, enabled and tap
TRANSPORT = 19


def lv2_start(rate=48000, longest=512, offer=True):
    s = Seed().n(0).n(longest - 1, 2)
    s.ops(1, LV2_RATES.index(rate), 1 if offer else 0)
    s.longest = min(longest, 4096) if offer else 4096
    return s


def connect_all(s, in_place=False, transport=True):
    for port in range(PORTS):
        s.ops(0, port)
        if port == 1:
            s.n(0 if in_place else 1)
        if port == TRANSPORT:
            s.n(1 if transport else 0)
    return s


def control(s, port, v):
    return value(s.ops(1, port), v, 4)


def run(s, count, loud=False):
    frames(s.ops(5), count, s.longest).n(20 if loud else 8)
    for i in range(count):
        s.n(1).n(0x7000 if i % 50 < 25 else 0x9000, 2)
    return s


def urid(s, expected, other=0):
    """The expected URID (a pick of 1..7) or another one."""
    return s.n(1) if expected else s.n(0).n(other)


def size(s, override):
    """The true size, or an arbitrary one."""
    return s.n(1) if override is None else s.n(0).n(override, 4)


def sequence(s, events, declared=None):
    """events: (frame, object?, position?, [(bpm key?, type, value, size)], size)."""
    s.ops(4)
    urid(s, True).n(1).n(len(events))  # a sequence in frames
    for frame, is_object, position, properties, override in events:
        s.n(1).n(frame + 2, 2)
        if is_object:
            urid(s.n(1), True)
        else:
            s.n(0)  # a blank
        s.n(1)  # the object id
        urid(s, position, 9)
        s.n(len(properties))
        for key, vtype, v, vsize in properties:
            urid(s, key, 3)
            urid(s.n(vtype), True)
            if vtype == 0:
                value(s, v, 4)
            elif vtype == 1:
                value(s, v, 4).n(1 << 63, 8)  # times 0.0 .. 2
            else:
                s.n(v, 4 if vtype == 2 else 8)
            size(s, vsize)
        size(s, override)
    return s.n(1) if declared is None else s.n(0).n(declared, 2)


def lv2_seeds():
    seeds = {}
    s = connect_all(lv2_start()).ops(2)
    run(s, 256); run(s, 0); s.ops(3)
    seeds["defaults_run"] = s

    s = connect_all(lv2_start(44100, offer=False), in_place=True).ops(2)
    run(s, 64)
    seeds["no_features_in_place"] = s

    seeds["rate_refused"] = lv2_start(8000)
    seeds["rate_negative"] = lv2_start(-1)

    s = connect_all(lv2_start(96000, 128)).ops(2)
    for port in CONTROLS:
        for v in ("nan", "inf", -1.0, 3.0e38, -3.0e38):
            control(s, port, v)
        run(s, 32, loud=True)
    seeds["control_edges"] = s

    s = connect_all(lv2_start(48000, 256)).ops(2)
    control(s, 2, 1.0)                     # tempo lock on
    control(s, 3, 9.0)                     # note value beyond its list
    sequence(s, [(0, True, True, [(True, 0, 140.0, None)], None),
                 (100, True, True, [(True, 2, 90, None), (True, 3, 1 << 40, None)], None)])
    run(s, 256)
    seeds["transport_tempos"] = s

    s = connect_all(lv2_start(48000, 256)).ops(2)
    sequence(s, [(5, True, True, [(True, 0, 120.0, 0xFFFFFFF0)], None),
                 (6, False, False, [(False, 4, 7, 3)], 0xFFFFFFFF),
                 (7, True, True, [(True, 1, float("nan"), None)], 2)], declared=1000)
    run(s, 256)
    seeds["transport_malformed"] = s

    s = connect_all(lv2_start(11025, 64), transport=False)
    for _ in range(3):
        s.ops(2); run(s, 64); control(s, 14, 1.0); run(s, 64); control(s, 14, 0.0); s.ops(3)
    seeds["activate_cycles_and_taps"] = s
    return seeds


# ---------------------------------------------------------------- controller_fuzz
CONTROLLER_RATES = [11025, 22050, 44100, 44100.7, 48000, 51000, 51001, 96000, 102000,
                    176400, 192000, 204000]
(BYPASSED, TONE, MODE, DELAY, FEEDBACK, INPUT, BLEND, OUTPUT, GLIDE, GATE, RESET,
 KERNEL_BLOCK) = range(12)


def controller_start(rate):
    return Seed().n(CONTROLLER_RATES.index(rate))


def kernel_block(s, seed=1):
    return s.n(KERNEL_BLOCK).n(seed, 8)


def controller_seeds():
    seeds = {}
    s = controller_start(48000).ops(BYPASSED, 1)
    kernel_block(s)
    s.ops(BYPASSED, 0)
    for op, v in ((FEEDBACK, "nan"), (INPUT, "inf"), (BLEND, "-max"), (OUTPUT, "denorm"),
                  (DELAY, 0.0), (DELAY, 1e300)):
        value(s.n(op), v)
        kernel_block(s, op)
    seeds["bypass_and_bad_values"] = s

    s = controller_start(96000).ops(MODE).n(2, 4).ops(GLIDE, 1)
    for v in (0.005, 0.1, 0.5, 1.0, 2.0, 0.02):
        value(s.n(DELAY), v)
        kernel_block(s).n(KERNEL_BLOCK).n(7, 8)
    seeds["modern_delay_sweep"] = s

    s = controller_start(44100.7).n(TONE).n(7, 4).n(MODE).n(0xFFFFFFFF, 4)
    kernel_block(s)
    s.ops(RESET).n(TONE).n(1, 4).ops(GATE, 1)
    kernel_block(s).ops(GATE, 0)
    kernel_block(s)
    seeds["odd_indices_and_reset"] = s

    s = controller_start(204000).n(MODE).n(0, 4)
    value(s.n(FEEDBACK), 9.0)
    value(s.n(INPUT), 9.0)
    for i in range(8):
        kernel_block(s, i)
    seeds["vintage_feedback_high"] = s
    return seeds


# ---------------------------------------------------------------- missive_fuzz
# A message is its records back to back. A record: the value, the key (text
# and a 0, four bytes of a number key, or none for the default record), the
# key's length, the key's and the value's type codes, then the distance back
# to the value's start; lengths and distances are LEB128 numbers written
# backwards, so that a reader walks the message from its end.
I32, U8, U16, U64, BOOL, ENUM, F32, F64, STR, MISSIVE = 3, 5, 6, 8, 11, 12, 13, 14, 15, 20
ARRAY = 0x80
PACKED = {F64: "<d", F32: "<f", I32: "<i", U16: "<H", U64: "<Q"}


def leb128(n):
    out = bytearray()
    while True:
        out.append((n & 0x7F) | (0x80 if n > 0x7F else 0))
        n >>= 7
        if not n:
            return bytes(out)


def encode(vtype, v):
    if vtype & ARRAY:
        return leb128(len(v)) + b"".join(encode(vtype & ~ARRAY, x) for x in v)
    if vtype == STR:
        return v.encode() + b"\0"
    if vtype == MISSIVE:
        return leb128(len(v)) + v
    if vtype == ENUM:
        return b"\0" + leb128(v)  # an empty type name, then the value
    return struct.pack(PACKED[vtype], v) if vtype in PACKED else bytes([v])


def record(key, vtype, v):
    """key: text, a number, or None for the default record."""
    if key is None:
        k, ktype = b"", 30
    elif isinstance(key, int):
        k, ktype = struct.pack("<I", key), 7
    else:
        k, ktype = key.encode() + b"\0", STR
    value = encode(vtype, v)
    length = leb128(len(k))[::-1]
    back = leb128(len(value) + len(k) + len(length) - 1)[::-1]
    return value + k + length + bytes([ktype, vtype]) + back


def missive_seeds():
    tapped = record(None, STR, "BPMTapped") + record("bpm", F64, 120.0)
    inner = record(None, STR, "Delay Time") + record("bpm", F64, 96.5)
    return {
        "empty": b"",
        "bpm-tapped": tapped,
        "scalars": record("needsSessionTempo", BOOL, 1) + record("feedbackGain", F32, 0.5)
        + record("count", I32, -7) + record("big", U64, 1 << 40)
        + record(0x66626B61, U16, 3) + record("tone", ENUM, 1),
        "arrays": record("name", STR | ARRAY, ["Normal", "Dark", "Bright"])
        + record("range", F64 | ARRAY, [0.005, 2.0]) + record("flags", BOOL | ARRAY, [1, 0, 1])
        + record(1, U8 | ARRAY, [1, 2, 3, 4]),
        "nested": record("name", STR, "parameters") + record("param", MISSIVE, inner)
        + record("list", MISSIVE | ARRAY, [inner, tapped]),
        "shadowed": record("bpm", F64, 60.0) + record("bpm", STR, "fast"),
    }


# ---------------------------------------------------------------- vst3_fuzz
VST3_RATES = [44100, 48000, 96000, 11025, 204000, 8000, 0]
ACTIVATE, BLOCK3, RAW_STATE, STATE3, READ_BACK, CONTROLLER_STATE, VALUES = range(7)


def vst3_start(stereo, longest, rate):
    s = Seed().n(1 if stereo else 0).n(longest - 1, 2).n(VST3_RATES.index(rate))
    s.longest = longest
    s.channels = 2 if stereo else 1
    return s


def known(s, index):
    return s.ops(1, index)


def vst3_block(s, count, queues=(), tempo=120.0, context=True, active=True):
    """queues: (id index or None for 0x12345678, [(offset, value), ...])."""
    frames(s.n(BLOCK3), count, s.longest).n(len(queues))
    for index, points in queues:
        known(s, index) if index is not None else s.n(0).n(0x12345678, 4)
        s.n(len(points) - 1)
        offset = 0
        for at, v in points:
            span = max(count - 1, offset) - offset  # no byte is read for a span of 0
            if span > 0:
                s.n(at - offset, 1 if span < 256 else 2)
            offset = at
            value(s.n(0), v)
    s.n(8)  # level 1
    for i in range(count * s.channels):
        s.n((i * 2654435761) % 65536, 2)
    value(s, tempo)
    return s.n(1 if context else 0) if active else s


def vst3_seeds():
    seeds = {}
    s = vst3_start(False, 255, 48000).ops(ACTIVATE, 1)
    vst3_block(s, 255, [(4, [(10, 0.5), (200, "nan")]), (None, [(0, 2.0)])], tempo=96.0)
    vst3_block(s, 0, [(8, [(0, 1.0)])], tempo="inf", context=False)
    known(s.n(VALUES), 8)
    s.n(1 << 63, 8).n(1 << 62, 8).text("Dark")  # normalised 0.5 and 0.25
    value(s.n((1 << 64) - 1, 8), 9.0)  # normalised 1
    seeds["mono_changes_and_tempo"] = s

    s = vst3_start(True, 64, 44100).n(STATE3).n(3)
    for index, v in ((2, 0.3), (4, 8.5), (9, "max")):
        value(known(s, index), v)
    s.ops(ACTIVATE, 1)
    vst3_block(s, 64)
    s.n(READ_BACK).n(RAW_STATE).n(12, 2).raw(b"TDST\x01\x00\x00\x00\xff\xff\xff\xff")
    s.n(CONTROLLER_STATE).n(3).raw(b"abc")
    s.ops(ACTIVATE, 0, READ_BACK)
    seeds["stereo_states"] = s

    s = vst3_start(False, 2048, 8000).ops(ACTIVATE, 1)
    vst3_block(s, 16, active=False)
    s.n(READ_BACK)
    seeds["rate_refused"] = s
    return seeds


# ---------------------------------------------------------------- clap_fuzz
CLAP_RATES = VST3_RATES
(CLAP_ACTIVATE, CLAP_DEACTIVATE, CLAP_RESET, CLAP_BLOCK, CLAP_FLUSH, CLAP_RAW_STATE, CLAP_STATE,
 CLAP_READ_BACK, CLAP_VALUES) = range(9)


def clap_activate(s, rate, longest):
    s.ops(CLAP_ACTIVATE, CLAP_RATES.index(rate)).n(longest - 1, 2)
    s.longest = longest
    return s


def clap_events(s, count, events):
    """events: (frame, id index or None for 0x12345678, or "tempo", value)."""
    s.n(len(events))
    frame = 0
    for at, target, v in events:
        upper = max(frame, count) - (1 if count > 0 else 0)
        span = upper - frame  # no byte is read for a span of 0
        if span > 0:
            s.n(at - frame, 1 if span < 256 else 2)
        frame = at
        if target == "tempo":
            s.n(0)
        else:
            s.n(1)
            known(s, target) if target is not None else s.n(0).n(0x12345678, 4)
        value(s, v)
    return s


def clap_block(s, count, events=(), tempo=120.0, transport=True):
    frames(s.n(CLAP_BLOCK), count, s.longest)
    clap_events(s, count, events)
    s.n(8)  # level 1
    for i in range(count * s.channels):
        s.n((i * 2654435761) % 65536, 2)
    value(s, tempo)
    return s.n(1 if transport else 0)


def clap_seeds():
    seeds = {}
    s = Seed().n(0)
    s.channels = 1
    clap_activate(s, 48000, 255)
    clap_block(s, 255, [(10, 4, 0.5), (200, "tempo", 96.0), (200, None, 2.0)])
    clap_block(s, 0, [(0, 8, 1.0)], tempo="inf", transport=False)
    s.n(CLAP_READ_BACK)
    known(s.n(CLAP_VALUES), 1)
    value(s, 0.3)
    value(s, 9.0)
    s.n(64, 2).text("Dark")
    seeds["mono_events_and_tempo"] = s

    s = Seed().n(1)
    s.channels = 2
    s.n(CLAP_STATE).n(3)
    for index, v in ((2, 0.3), (4, 8.5), (9, "max")):
        value(known(s, index), v)
    s.n(CLAP_FLUSH)
    clap_events(s, 0, [(0, 3, 7.0), (0, 1, 3.0)])
    clap_activate(s, 44100, 64)
    tap = PARAMETERS  # after the plug-in's own
    clap_block(s, 64, [(0, tap, 0.0), (5, tap, 1.0), (6, tap, 0.0), (60, tap, 1.0)])
    s.n(CLAP_RAW_STATE).n(12, 2).raw(b"TDST\x01\x00\x00\x00\xff\xff\xff\xff")
    s.ops(CLAP_RESET, CLAP_DEACTIVATE, CLAP_READ_BACK)
    seeds["stereo_states_and_taps"] = s

    s = Seed().n(0)
    s.channels = 1
    clap_activate(s, 8000, 2048)
    clap_block(s, 1, transport=False)
    s.n(CLAP_READ_BACK)
    seeds["rate_refused"] = s
    return seeds


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "fuzz/corpus")
    for name, seed in missive_seeds().items():
        (root / "missive").mkdir(parents=True, exist_ok=True)
        (root / "missive" / name).write_bytes(seed)
    for target, seeds in (("plugin", plugin_seeds()), ("lv2", lv2_seeds()),
                          ("controller", controller_seeds()), ("vst3", vst3_seeds()),
                          ("clap", clap_seeds())):
        folder = root / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, seed in seeds.items():
            (folder / name).write_bytes(seed.bytes())


if __name__ == "__main__":
    main()
