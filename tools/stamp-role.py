#!/usr/bin/env python3
"""Sets the role marker (byte 2 of the file) of a linked program and recomputes its PE checksum.

Usage: stamp-role.py FILE [ROLE]   (ROLE defaults to "P", the builder)
"""
import struct
import sys

ROLE_OFFSET = 2
PE_OFFSET_FIELD = 0x3C
CHECKSUM_IN_OPTIONAL_HEADER = 64


def pe_checksum(data: bytes) -> int:
    """The loader's checksum: a folded 16-bit sum of the file, plus its length.
    The checksum field must hold zero while it is summed."""
    padded = data + b"\0" * (len(data) % 2)
    total = 0
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main() -> None:
    path = sys.argv[1]
    role = (sys.argv[2] if len(sys.argv) > 2 else "P").encode("ascii")
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:2] != b"MZ":
        sys.exit(f"{path}: not an executable")
    data[ROLE_OFFSET] = role[0]
    (pe_offset,) = struct.unpack_from("<I", data, PE_OFFSET_FIELD)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        sys.exit(f"{path}: no PE header")
    checksum_offset = pe_offset + 4 + 20 + CHECKSUM_IN_OPTIONAL_HEADER
    struct.pack_into("<I", data, checksum_offset, 0)
    struct.pack_into("<I", data, checksum_offset, pe_checksum(bytes(data)))
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
