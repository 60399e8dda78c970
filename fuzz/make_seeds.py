#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target under fuzz/corpus/ from the
example projects in examples/ and a few hand-made cases. Run it from the top
of the tree after the examples change; the seeds are committed."""
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLES = os.path.join(ROOT, "examples")
CORPUS = os.path.join(ROOT, "fuzz", "corpus")

SETTINGS_SIZE = 29
PANEL_FIXED = 6 * 4 + 1 + 10 + 6 * 4  # the control panel's record before its load list


def read(name):
    with open(os.path.join(EXAMPLES, name), "rb") as f:
        return f.read()


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def joined(dat, pjx):
    return struct.pack("<I", len(dat)) + dat + pjx


def stream_string(text):
    return struct.pack("<i", len(text)) + text + b"\0"


def load_list_at(data, offset):
    """The bytes of the load-list record that starts at `offset`."""
    start = offset
    (length,) = struct.unpack_from("<i", data, offset)
    offset += 4 + length + 1
    (last,) = struct.unpack_from("<i", data, offset)
    offset += 4
    for _ in range(last + 1):
        offset += 16
        (length,) = struct.unpack_from("<i", data, offset)
        offset += 4 + length + 1
    return data[start:offset]


def tile_classes(pjx):
    """The class of each tile record of a layout, in order."""
    classes = []
    for record in pjx.split(b"TPF0")[1:]:
        classes.append(record[1 : 1 + record[0]].decode("ascii"))
    return classes


def extension_section(data_cables):
    """The extension section after the tile records: the data-cable lengths
    (save index, metres) of devices on their own supply."""
    payload = struct.pack("<i", len(data_cables))
    for tile, metres in data_cables:
        payload += struct.pack("<id", tile, metres)
    records = struct.pack("<ii", 1, len(payload)) + payload
    return b"VXSN" + struct.pack("<iiI", 1, len(records), zlib.crc32(records)) + records


def main():
    projects = {}
    for name in ("CornerShop", "Warehouse"):
        dat, pjx = read(name + ".dat"), read(name + ".pjx")
        projects[name] = (dat, pjx)
        write("project_loader", name, joined(dat, pjx))
        write("settings_header", name, dat[:SETTINGS_SIZE])
        write("load_list", name + "-panel", load_list_at(dat, SETTINGS_SIZE + PANEL_FIXED))
    # The Warehouse with a data cable of its own for every network device.
    dat, pjx = projects["Warehouse"]
    devices = [i for i, name in enumerate(tile_classes(pjx)) if name in ("TVududa", "TNetDevice")]
    cables = [(tile, 15.0 + n) for n, tile in enumerate(devices)]
    write("project_loader", "Warehouse-data-cables", joined(dat + extension_section(cables), pjx))
    # A project whose layout is cut after its first record, and one with no tiles.
    dat, pjx = projects["CornerShop"]
    write("project_loader", "CornerShop-no-tiles", joined(dat[: SETTINGS_SIZE + len(load_list_at(dat, SETTINGS_SIZE + PANEL_FIXED)) + PANEL_FIXED], b""))

    write("load_list", "empty", stream_string(b"") + struct.pack("<i", -1))
    write("load_list", "one-entry",
          stream_string(b"PIR (2 off)\r\n") + struct.pack("<i", 0) + struct.pack("<4i", 15, 20, 2, 2) +
          stream_string(b"PIR"))
    write("settings_header", "defaults", struct.pack("<3i2d?", 1, 15, 10, 0.1, 1.0, True))

    write("index", "Accounts.db", read("Accounts.db"))
    write("index", "mixed-line-ends",
          b"Orvane 200;Shop;Unit 4;01/02/2027\nOrvane 700;../../etc/passwd;x;y\r\n"
          b"Orvane 250;Only two fields\r;;;\r\nOrvane 500;Office;Site;a;b")
    # A file name too long for the file system: deleting its row is refused with a word.
    write("index", "name-too-long", b"Orvane 2250;Gnly tOrwo fiel" + b"y" * 300 + b"SOS")

    manifest = (b"Voltaris recovery copy 1\nfolder=/home/installer/Voltaris/Data\nproject=Warehouse\n"
                b"site=Unit 4, Dock Road\npanel=Orvane 700\npending=0\nunlisted=0\nwritten=1765000000\n"
                b"generation=3\ndat=68912 2309127321\npjx=80811 17\n")
    write("recovery_manifest", "manifest", manifest)
    write("recovery_manifest", "manifest-cut", manifest[:150])
    write("recovery_manifest", "manifest-crlf", manifest.replace(b"\n", b"\r\n"))
    write("recovery_manifest", "save-stamp", b"Voltaris save 1\ndat=68912 2309127321\npjx=80811 17\nend\n")


if __name__ == "__main__":
    main()
