"""Independent checks of an executable whose main icon group was replaced (pefile only)."""
import struct
import sys

import pefile

RT_ICON, RT_GROUP_ICON = 3, 14


def make_files(work):
    # A two-image icon in the canonical layout: directory, then the images in order.
    images = [bytes([0x30 + i]) * size for i, size in enumerate((1128, 4264))]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for i, image in enumerate(images):
        side = 16 * (i + 1)
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(f"{work}/new.ico", "wb") as f:
        f.write(header + entries + b"".join(images))
    package = b"".join(b"SO!#YOURFILE%d\xb6" % i + bytes([i]) * 70000 + b"EO!#YOURFILE%d" % i
                       for i in range(3))
    with open(f"{work}/package.bin", "wb") as f:
        f.write(package)


def check_package(exe, package_path):
    pe = pefile.PE(exe)
    package = open(package_path, "rb").read()
    overlay = pe.get_overlay()
    assert overlay == package, "the appended package changed or moved wrongly"
    return pe


def entries(directory):
    return {(e.name.string.decode() if e.name else e.id): e for e in directory.entries}


def check(exe, original, package_path, icon_path):
    pe = check_package(exe, package_path)
    types = check_main_icon(pe, icon_path)

    # Everything else keeps its place: the other types are still there, the
    # sections keep their names, and the section behind .rsrc still holds its bytes.
    before = pefile.PE(original)
    assert set(entries(before.DIRECTORY_ENTRY_RESOURCE)) <= set(types)
    assert [s.Name for s in pe.sections] == [s.Name for s in before.sections]
    for old, new in zip(before.sections, pe.sections):
        if old.VirtualAddress > before.OPTIONAL_HEADER.DATA_DIRECTORY[2].VirtualAddress:
            assert old.get_data() == new.get_data(), f"{new.Name} changed"


def check_main_icon(pe, icon_path):
    """A valid checksum, and a language-neutral MAINICON group holding the icon file's images."""
    assert pe.verify_checksum(), "checksum is not valid"
    icon = open(icon_path, "rb").read()
    count = struct.unpack_from("<H", icon, 4)[0]

    types = entries(pe.DIRECTORY_ENTRY_RESOURCE)
    groups = entries(types[RT_GROUP_ICON].directory)
    languages = [e.id for e in groups["MAINICON"].directory.entries]
    assert languages == [0], f"MAINICON languages {languages}"
    data = groups["MAINICON"].directory.entries[0].data.struct
    group = pe.get_data(data.OffsetToData, data.Size)
    assert len(group) == 6 + 14 * count and group[:6] == icon[:6]

    icons = entries(types[RT_ICON].directory)
    for i in range(count):
        entry = icon[6 + 16 * i: 6 + 16 * i + 16]
        assert group[6 + 14 * i: 6 + 14 * i + 12] == entry[:12]
        nid = struct.unpack_from("<H", group, 6 + 14 * i + 12)[0]
        size, offset = struct.unpack_from("<II", entry, 8)
        item = icons[nid].directory.entries
        assert [e.id for e in item] == [0], f"icon {nid} languages"
        stored = pe.get_data(item[0].data.struct.OffsetToData, item[0].data.struct.Size)
        assert stored == icon[offset: offset + size], f"icon {nid} bytes"
    return types


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "make-files":
        make_files(*args)
    elif command == "check":
        check(*args)
    elif command == "package":
        check_package(*args)
    elif command == "main-icon":
        check_main_icon(pefile.PE(args[0]), args[1])
