#!/usr/bin/python3
"""Prints the element tree of a compound file as another reader sees it: one line per
element, "storage <path>" or "stream <path> <hex bytes>", paths joined by "/", sorted."""
import sys

import olefile

ole = olefile.OleFileIO(sys.argv[1])
lines = []
for entry in ole.listdir(streams=True, storages=True):
    path = "/".join(entry)
    if ole.get_type(entry) == olefile.STGTY_STORAGE:
        lines.append("storage " + path)
    else:
        lines.append("stream " + path + " " + ole.openstream(entry).read().hex())
print("\n".join(sorted(lines)))
