#!/usr/bin/python3
"""Gives the setup or the uninstaller a name of its own: values of its version
block, and the description and identity of its manifest, which otherwise
name the installer system it is made with. makensis makes the uninstaller
from the setup's own stub, so it comes with the setup's values. Each new
text is at most as long as the old one and takes its place, the rest filled
(zeros in the version block, spaces in the manifest), so that every block
keeps its size and layout.

    /usr/bin/python3 installer/name_uninstaller.py <exe> <manifest name> <manifest description> [Key=value]...
"""
import re
import sys
import zlib

# The program checks itself against a CRC-32 in its last four bytes, of
# everything after the PE headers (which signing changes).
CHECKED_FROM = 0x200


def set_version_value(data, key, text):
    """The value of one String of the version block, by its key."""
    encoded_key = (key + "\0").encode("utf-16-le")
    at = data.find(encoded_key)
    if at < 0:
        sys.exit(f"no version value {key}")
    # The value follows the key, aligned to 32 bits within the block.
    start = at + len(encoded_key)
    if data[start:start + 2] == b"\0\0":
        start += 2
    end = start
    while data[end:end + 2] != b"\0\0":
        end += 2
    old_length = (end - start) // 2
    if len(text) > old_length:
        sys.exit(f"{key}: '{text}' is longer than the value it replaces")
    data[start:end + 2] = (text + "\0").encode("utf-16-le").ljust(end + 2 - start, b"\0")
    # The String header before the key: wLength, wValueLength (in characters), wType.
    header = at - 6
    data[header + 2:header + 4] = (len(text) + 1).to_bytes(2, "little")


def set_manifest(data, name, description):
    for pattern, text in ((rb'(<assemblyIdentity [^>]*?)name="([^"]*)"', name),
                          (rb"<description>([^<]*)</description>", description)):
        found = re.search(pattern, data)
        if not found:
            sys.exit(f"no manifest {pattern!r}")
        old = found.group(found.re.groups)
        new = text.encode("utf-8")
        if len(new) > len(old):
            sys.exit(f"'{text}' is longer than the manifest's '{old.decode()}'")
        start, end = found.span(found.re.groups)
        if pattern.startswith(rb"(<assembly"):
            # The attribute keeps its quotes; the spaces go after them.
            data[start - 6:end + 1] = b'name="' + new + b'"' + b" " * (len(old) - len(new))
        else:
            data[start:end] = new.ljust(len(old), b" ")


def main(path, name, description, *values):
    data = bytearray(open(path, "rb").read())
    if zlib.crc32(data[CHECKED_FROM:-4]) != int.from_bytes(data[-4:], "little"):
        sys.exit(f"{path}: not an unsigned setup or uninstaller with its check sum at the end")
    set_manifest(data, name, description)
    for value in values:
        key, text = value.split("=", 1)
        set_version_value(data, key, text)
    data[-4:] = zlib.crc32(data[CHECKED_FROM:-4]).to_bytes(4, "little")
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(*sys.argv[1:])
