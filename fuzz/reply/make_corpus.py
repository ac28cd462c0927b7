#!/usr/bin/env python3
# Writes the seed replies of fuzz_reply into corpus/ beside this script.
import pathlib


def frame(length, kind, payload, checksum=None):
    if checksum is None:
        checksum = (length + kind + sum(payload)) & 0xFFFF
    return bytes([0xAA, 0x55, length, kind, *payload, checksum >> 8, checksum & 0xFF])


def ack(status):
    return frame(6, 3, [4, 0, 0, 0x55, status >> 8, status & 0xFF])


seeds = {
    "diag_record": frame(76, 1, list(range(76))),
    "version": frame(22, 7, [0x01, 0x02, 0x9C, 0x40, 8] + [0] * 17),
    "flags": frame(12, 9, [0, 0, 0, 0x1F, 0, 0, 0, 0, 0, 0, 0x9C, 0x40]),
    "empty": frame(0, 7, []),
    "ack_held_faults": ack(0x0010),
    "ack_refused": ack(0x0001),
    "ack_short": frame(5, 3, [4, 0, 0, 0x55, 0x01]),
    "bad_checksum": frame(6, 3, [4, 0, 0, 0x55, 0, 0], checksum=0x6200),
    "truncated": ack(0x0000)[:-1],
}

out = pathlib.Path(__file__).with_name("corpus")
out.mkdir(exist_ok=True)
for name, data in seeds.items():
    (out / name).write_bytes(data)
