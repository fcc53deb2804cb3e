#!/usr/bin/env python3
"""Helpers of tools/package.sh: a fixed PE time stamp, and a zip whose bytes
depend only on the files put in it.

  package.py stamp EPOCH FILE.exe...    writes EPOCH as the PE header's time
                                        stamp and recomputes the checksum
                                        (when the linker set one)
  package.py zip EPOCH OUT.zip DIR      zips DIR (one folder of plain files)
                                        as DIR's name/, files in name order
"""
import os
import stat
import struct
import sys
import time
import zipfile


def pe_checksum(data, checksum_offset):
    """The PE image checksum: 16-bit one's-complement-style sum of the file
    with the checksum field taken as zero, plus the file length."""
    total = 0
    padded = data + (b"\0" if len(data) % 2 else b"")
    words = struct.unpack("<%dH" % (len(padded) // 2), padded)
    skip = checksum_offset // 2
    for i, word in enumerate(words):
        if i == skip or i == skip + 1:
            continue
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def stamp(epoch, path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:2] != b"MZ":
        sys.exit("%s: not an MZ executable" % path)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("%s: no PE header" % path)
    struct.pack_into("<I", data, pe + 8, epoch)  # COFF header TimeDateStamp
    checksum_offset = pe + 24 + 64  # optional header CheckSum (PE32 and PE32+)
    if struct.unpack_from("<I", data, checksum_offset)[0] != 0:
        struct.pack_into("<I", data, checksum_offset, pe_checksum(bytes(data), checksum_offset))
    with open(path, "wb") as f:
        f.write(data)


def write_zip(epoch, out, folder):
    # Zip times are local-time fields without a zone: write the UTC time so
    # that the result does not depend on the builder's time zone. The format
    # starts in 1980.
    date_time = time.gmtime(max(epoch, 315532800))[:6]
    top = os.path.basename(os.path.normpath(folder))
    names = sorted(os.listdir(folder))
    with zipfile.ZipFile(out, "w") as z:
        entry = zipfile.ZipInfo(top + "/", date_time)
        entry.create_system = 3  # Unix attributes, whatever the builder runs
        entry.external_attr = (stat.S_IFDIR | 0o755) << 16 | 0x10
        z.writestr(entry, b"")
        for name in names:
            path = os.path.join(folder, name)
            if not os.path.isfile(path) or os.path.islink(path):
                sys.exit("%s: only plain files go into the package" % path)
            entry = zipfile.ZipInfo(top + "/" + name, date_time)
            entry.create_system = 3
            mode = 0o755 if name.endswith(".exe") else 0o644
            entry.external_attr = (stat.S_IFREG | mode) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                z.writestr(entry, f.read(), compresslevel=9)


def main(argv):
    if len(argv) >= 3 and argv[0] == "stamp":
        for path in argv[2:]:
            stamp(int(argv[1]), path)
    elif len(argv) == 4 and argv[0] == "zip":
        write_zip(int(argv[1]), argv[2], argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
