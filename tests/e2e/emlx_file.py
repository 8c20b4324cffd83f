"""Reads an ".emlx" file the way Apple Mail does: the count line, exactly that
many bytes as the message, and the rest as a property list."""

import plistlib


class EmlxError(Exception):
    pass


def read_emlx(path):
    """(message bytes, property-list dict) of the file, or EmlxError."""
    with open(path, "rb") as f:
        data = f.read()
    line_end = data.find(b"\n")
    if line_end <= 0 or not data[:line_end].isdigit():
        raise EmlxError("%s: no count line" % path)
    count = int(data[:line_end])
    start = line_end + 1
    message = data[start:start + count]
    if len(message) != count:
        raise EmlxError("%s: the count is %d, the file holds %d bytes after it" % (path, count, len(data) - start))
    try:
        plist = plistlib.loads(data[start + count:])
    except Exception as error:
        raise EmlxError("%s: the trailer is no property list: %s" % (path, error))
    return message, plist
