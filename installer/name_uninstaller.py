#!/usr/bin/python3
"""Gives the uninstaller a version description of its own. makensis makes
it from the setup's own stub, so it comes with the setup's description; the
two are made the same length (the uninstaller's padded with zeros) so that
the version block keeps its size and layout.

    /usr/bin/python3 installer/name_uninstaller.py <uninstall.exe> <setup's text> <uninstaller's text>
"""
import sys
import zlib

# The uninstaller checks itself against a CRC-32 in its last four bytes, of
# everything after the PE headers (which signing changes).
CHECKED_FROM = 0x200


def main(path, setup_text, uninstaller_text):
    if len(uninstaller_text) > len(setup_text):
        sys.exit("the uninstaller's description must not be longer than the setup's")
    data = bytearray(open(path, "rb").read())
    if zlib.crc32(data[CHECKED_FROM:-4]) != int.from_bytes(data[-4:], "little"):
        sys.exit(f"{path}: not an unsigned uninstaller with its check sum at the end")
    key = "FileDescription\0".encode("utf-16-le")
    value = (setup_text + "\0").encode("utf-16-le")
    at = data.find(key)
    # The value follows the key, aligned to 32 bits within the block.
    start = data.find(value, at, at + len(key) + 4 + len(value)) if at >= 0 else -1
    if start < 0:
        sys.exit(f"{path}: no FileDescription '{setup_text}'")
    replacement = (uninstaller_text + "\0").encode("utf-16-le").ljust(len(value), b"\0")
    data[start:start + len(value)] = replacement
    # The String header before the key: wLength, wValueLength (in characters), wType.
    header = at - 6
    data[header + 2:header + 4] = (len(uninstaller_text) + 1).to_bytes(2, "little")
    data[-4:] = zlib.crc32(data[CHECKED_FROM:-4]).to_bytes(4, "little")
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(*sys.argv[1:4])
