"""Reads the numeric resource identifiers of res/resource.h.

Used by tools/draw_skin.py, which writes res/skin.rc from them, and by the
skin checks in tests/skin, which look the images up by the same names.
"""

import re

_DEFINE = re.compile(r"\s*#define\s+(\w+)\s+(\d+)\b")


def read_resource_ids(path):
    """Every `#define NAME number` line of the header at path, as name -> int."""
    ids = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            m = _DEFINE.match(line)
            if m:
                ids[m.group(1)] = int(m.group(2))
    return ids
