#!/usr/bin/env python3
"""Writes registry hive files (the format Windows keeps SYSTEM and DRIVERS in) from a simple
description, for tests of the hive reader and for offline Windows of the demo machine.

A description is JSON: {"HIVENAME": hive, ...}, and a hive is
  {"keys": {name: key, ...}, "values": [...],           the root key's subkeys and values
   "minor": 5, "sequence": [1, 1], "bad_checksum": false, "list": "lh"}
A key is {"keys": {...}, "values": [[name, type, data], ...]} with the type one of
"sz", "expand_sz", "multi_sz" (data a list), "dword" (a number), "binary" (hex digits),
"none" or a number (data as hex digits; "ab*100" is the byte 0xAB a hundred times). Subkeys are stored sorted as Windows keeps them.

Knobs for hostile hives, all optional:
  key "list": "li" | "lf" | "lh" | "ri" (the subkey list's kind; "ri" splits into leaves of two)
  key "link": ["A\\B", ...]  extra entries of the subkey list naming other keys (""
                              is the root): a key listed below itself makes a cycle
  key "ri_in_ri": true       the index root lists itself as one of its leaves
  key "subkey_count": n      the key node claims n subkeys, whatever the list holds
  value [name, type, data, {"declared_size": n}]  the value claims n bytes of data
  hive "truncate": n         the file is cut after n bytes
  hive "oversized_cell": ["A", n]  the key node of A claims a cell of n bytes
"""
import json
import struct
import sys
from pathlib import Path

BIN = 4096
BIG_SEGMENT = 16344
NONE = 0xFFFFFFFF
TYPES = {"none": 0, "sz": 1, "expand_sz": 2, "binary": 3, "dword": 4, "multi_sz": 7}


def align8(n):
    return (n + 7) & ~7


def encode_name(name):
    """The name's bytes and whether they are the compressed (Latin-1) form."""
    if all(ord(c) < 256 for c in name):
        return name.encode("latin-1"), True
    return name.encode("utf-16-le"), False


def name_hash(name):
    h = 0
    for unit in struct.unpack(f"<{len(name.upper().encode('utf-16-le')) // 2}H", name.upper().encode("utf-16-le")):
        h = (h * 37 + unit) & 0xFFFFFFFF
    return h


def value_bytes(kind, data):
    type_ = TYPES[kind] if isinstance(kind, str) else int(kind)
    if kind in ("sz", "expand_sz"):
        return type_, (data + "\0").encode("utf-16-le")
    if kind == "multi_sz":
        return type_, "".join(s + "\0" for s in data).encode("utf-16-le") + b"\0\0"
    if kind == "dword":
        return type_, struct.pack("<I", data & 0xFFFFFFFF)
    if "*" in data:
        pattern, times = data.split("*")
        return type_, bytes.fromhex(pattern) * int(times)
    return type_, bytes.fromhex(data)


class Bins:
    """The hive bins data: cells allocated one after another, none across a bin's end."""

    def __init__(self):
        self.data = bytearray()
        self.bin_start = 0
        self.used = 0  # end of the last cell, relative to the bins data

    def new_bin(self, need):
        if self.data:
            self.free_rest()
        size = ((need + 32 + BIN - 1) // BIN) * BIN
        self.bin_start = len(self.data)
        self.data += b"hbin" + struct.pack("<III", self.bin_start, size, 0) + bytes(size - 16)
        self.used = self.bin_start + 32

    def free_rest(self):
        end = self.bin_start + struct.unpack_from("<I", self.data, self.bin_start + 8)[0]
        if end > self.used:
            struct.pack_into("<i", self.data, self.used, end - self.used)
            self.used = end

    def alloc(self, payload_size):
        size = align8(payload_size + 4)
        end = self.bin_start + (struct.unpack_from("<I", self.data, self.bin_start + 8)[0] if self.data else 0)
        if not self.data or self.used + size > end:
            self.new_bin(size)
        offset = self.used
        struct.pack_into("<i", self.data, offset, -size)
        self.used += size
        return offset

    def cell(self, payload):
        offset = self.alloc(len(payload))
        self.data[offset + 4:offset + 4 + len(payload)] = payload
        return offset


class Writer:
    def __init__(self, hive):
        self.hive = hive
        self.minor = hive.get("minor", 5)
        self.bins = Bins()
        self.nodes = {}  # path (upper case) -> nk offset
        self.pending_links = []

    def write_value(self, entry):
        name, kind, data = entry[0], entry[1], entry[2]
        knobs = entry[3] if len(entry) > 3 else {}
        type_, raw = value_bytes(kind, data)
        name_raw, compressed = encode_name(name)
        size = len(raw)
        if size <= 4:
            size_field = size | 0x80000000
            offset_field = struct.unpack("<I", raw.ljust(4, b"\0"))[0]
        elif size > BIG_SEGMENT and self.minor >= 4:
            segments = [self.bins.cell(raw[i:i + BIG_SEGMENT]) for i in range(0, size, BIG_SEGMENT)]
            seg_list = self.bins.cell(struct.pack(f"<{len(segments)}I", *segments))
            offset_field = self.bins.cell(b"db" + struct.pack("<HI", len(segments), seg_list))
            size_field = size
        else:
            offset_field = self.bins.cell(raw)
            size_field = size
        if "declared_size" in knobs:
            size_field = knobs["declared_size"]
        vk = b"vk" + struct.pack("<HIIIHH", len(name_raw), size_field, offset_field, type_,
                                 1 if compressed else 0, 0) + name_raw
        return self.bins.cell(vk)

    def write_key(self, name, key, path, parent, is_root=False):
        name_raw, compressed = encode_name(name)
        nk = self.bins.alloc(76 + len(name_raw))
        self.nodes[path.upper()] = nk
        values = [self.write_value(v) for v in key.get("values", [])]
        value_list = self.bins.cell(struct.pack(f"<{len(values)}I", *values)) if values else NONE
        children = []
        for child_name in sorted(key.get("keys", {}), key=lambda n: n.upper()):
            child_path = f"{path}\\{child_name}" if path else child_name
            children.append((child_name, self.write_key(child_name, key["keys"][child_name], child_path, nk)))
        flags = (0x2C if is_root else 0) | (0x20 if compressed else 0)
        self.pending_links.append((nk, key, children))
        fixed = struct.pack("<2sHQ15IHH", b"nk", flags, 0, 0, parent, len(children), 0, NONE, NONE,
                            len(values), value_list, self.security, NONE,
                            max((len(encode_name(c)[0]) for c, _ in children), default=0), 0,
                            max((len(v[0]) * 2 for v in key.get("values", [])), default=0), 0, 0,
                            len(name_raw), 0)
        self.bins.data[nk + 4:nk + 4 + 76 + len(name_raw)] = fixed + name_raw
        return nk

    def subkey_list(self, key, children):
        entries = list(children)
        for target in key.get("link", []):
            entries.append((target.rsplit("\\", 1)[-1], self.nodes[target.upper()]))
        if not entries:
            return NONE, 0
        kind = key.get("list", self.hive.get("list", "lh"))

        def leaf(kind, items):
            if kind == "li":
                return self.bins.cell(b"li" + struct.pack("<H", len(items)) +
                                      b"".join(struct.pack("<I", o) for _, o in items))
            body = b""
            for n, o in items:
                if kind == "lf":
                    hint = n.encode("latin-1", "replace")[:4].ljust(4, b"\0")
                else:
                    hint = struct.pack("<I", name_hash(n))
                body += struct.pack("<I", o) + hint
            return self.bins.cell(kind.encode() + struct.pack("<H", len(items)) + body)

        if kind != "ri":
            return leaf(kind, entries), len(entries)
        leaves = [leaf("lh", entries[i:i + 2]) for i in range(0, len(entries), 2)]
        extra = 1 if key.get("ri_in_ri") else 0
        ri = self.bins.alloc(4 + 4 * (len(leaves) + extra))
        offsets = leaves + ([ri] if extra else [])
        self.bins.data[ri + 4:ri + 8 + 4 * len(offsets)] = b"ri" + struct.pack(
            f"<H{len(offsets)}I", len(offsets), *offsets)
        return ri, len(entries)

    def write(self):
        # One security cell for every key: an empty DACL, self-relative.
        descriptor = struct.pack("<BBHIIII", 1, 0, 0x8004, 0, 0, 0, 20) + struct.pack("<BBHHH", 2, 0, 8, 0, 0)
        self.security = self.bins.alloc(20 + len(descriptor))
        root = self.write_key("ROOT", self.hive, "", NONE, is_root=True)
        struct.pack_into("<2sHIII", self.bins.data, self.security + 4, b"sk", 0, self.security, self.security,
                         len(self.nodes))
        self.bins.data[self.security + 24:self.security + 24 + len(descriptor)] = descriptor
        for nk, key, children in self.pending_links:
            offset, count = self.subkey_list(key, children)
            struct.pack_into("<II", self.bins.data, nk + 4 + 20, key.get("subkey_count", count), 0)
            struct.pack_into("<I", self.bins.data, nk + 4 + 28, offset)
        self.bins.free_rest()
        if "oversized_cell" in self.hive:
            path, size = self.hive["oversized_cell"]
            struct.pack_into("<i", self.bins.data, self.nodes[path.upper()], -size)
        data = bytes(self.bins.data)
        seq = self.hive.get("sequence", [1, 1])
        base = bytearray(BIN)
        struct.pack_into("<4sIIQIIIIIII", base, 0, b"regf", seq[0], seq[1], 0, 1, self.minor, 0, 1, root,
                         len(data), 1)
        base[48:48 + 64] = self.hive.get("file_name", "SYSTEM").encode("utf-16-le")[:64].ljust(64, b"\0")
        checksum = 0
        for (word,) in struct.iter_unpack("<I", bytes(base[:508])):
            checksum ^= word
        checksum = {0: 1, 0xFFFFFFFF: 0xFFFFFFFE}.get(checksum, checksum)
        if self.hive.get("bad_checksum"):
            checksum ^= 0x5A5A
        struct.pack_into("<I", base, 508, checksum)
        out = bytes(base) + data
        return out[:self.hive["truncate"]] if "truncate" in self.hive else out


def write_hive(hive):
    """The bytes of a hive file for the description of one hive."""
    return Writer(hive).write()


def main(argv):
    if len(argv) != 3:
        print("usage: hive_writer.py DESCRIPTION.json OUTPUT-FOLDER", file=sys.stderr)
        return 2
    description = json.loads(Path(argv[1]).read_text(encoding="utf-8"))
    out = Path(argv[2])
    out.mkdir(parents=True, exist_ok=True)
    for name, hive in description.items():
        (out / name).write_bytes(write_hive(hive))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
