"""Reads the resources back from a built Windows program and checks them.

checkResources.py PROGRAM.exe NAME VERSION STRIPPED

The application manifest must ask for long paths, UTF-8 as the ANSI code
page, Windows 10 and 11 and the user's own rights; the version information
must give the program's name and VERSION in its numbers and its strings.
STRIPPED (yes or no) says whether the program must have no symbol table.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_VERSION = 16
RT_MANIFEST = 24
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
VERSION_SIGNATURE = 0xFEEF04BD


class Image:
    """A PE file: its sections and the resources of its .rsrc section."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        (_, sections, _, symbols, symbol_count, optional_size, _) = struct.unpack_from(
            "<HHIIIHH", data, pe + 4
        )
        self.symbol_table = (symbols, symbol_count)
        self.sections = {}
        table = pe + 24 + optional_size
        for i in range(sections):
            name, _, address, size, offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections[name.rstrip(b"\0").decode()] = (address, size, offset)

    def resource(self, kind, ident):
        """The bytes of the first language of resource (kind, ident)."""
        address, _, offset = self.sections[".rsrc"]
        entry = offset
        for key in (kind, ident, None):
            entry = self.child(offset, entry, key)
        data_address, size = struct.unpack_from("<II", self.data, entry)
        start = offset + data_address - address
        return self.data[start : start + size]

    def child(self, root, directory, key):
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            if key is None or ident == key:
                return root + (target & 0x7FFFFFFF)
        raise KeyError("no resource %s" % key)


def version_nodes(data, start=0):
    """The VS_VERSIONINFO tree: {key: (value bytes, text, children)}."""
    nodes = {}
    while start + 6 <= len(data):
        length, value_length, is_text = struct.unpack_from("<HHH", data, start)
        if length == 0:
            break
        end = start + length
        key_end = data.index(b"\0\0", start + 6)
        while (key_end - start) % 2:
            key_end = data.index(b"\0\0", key_end + 1)
        key = data[start + 6 : key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if is_text else value_length
        value = data[value_start : value_start + value_size]
        children = version_nodes(data[: end], (value_start + value_size + 3) & ~3)
        text = value.decode("utf-16-le").rstrip("\0") if is_text else None
        nodes[key] = (value, text, children)
        start = (end + 3) & ~3
    return nodes


def check(path, name, version, stripped):
    with open(path, "rb") as program:
        image = Image(program.read())
    problems = []
    if stripped == "yes" and image.symbol_table != (0, 0):
        problems.append("not stripped: a symbol table of %d entries" % image.symbol_table[1])

    manifest = ElementTree.fromstring(image.resource(RT_MANIFEST, 1))
    settings = {e.tag.split("}")[1]: e for e in manifest.iter() if "}" in e.tag}
    wanted = {"longPathAware": "true", "activeCodePage": "UTF-8"}
    for key, text in wanted.items():
        found = settings[key].text if key in settings else None
        if found != text:
            problems.append("manifest: %s is %r, expected %r" % (key, found, text))
    systems = [e.get("Id") for e in manifest.iter() if e.tag.endswith("}supportedOS")]
    if WINDOWS_10_AND_11 not in systems:
        problems.append("manifest: Windows 10 and 11 not among %s" % systems)
    level = settings.get("requestedExecutionLevel")
    if level is None or level.get("level") != "asInvoker":
        problems.append("manifest: not run as the user who starts it")

    root = version_nodes(image.resource(RT_VERSION, 1))["VS_VERSION_INFO"]
    fixed = struct.unpack_from("<13I", root[0])
    numbers = [fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF]
    expected_numbers = [int(n) for n in version.split(".")] + [0] * (4 - version.count(".") - 1)
    if fixed[0] != VERSION_SIGNATURE or numbers != expected_numbers:
        problems.append("file version %s, expected %s" % (numbers, expected_numbers))
    table = next(iter(root[2]["StringFileInfo"][2].values()))[2]
    strings = {key: node[1] for key, node in table.items()}
    wanted = {
        "ProductName": "dxf2tkm",
        "FileVersion": version,
        "ProductVersion": version,
        "OriginalFilename": name + ".exe",
    }
    for key, text in wanted.items():
        if strings.get(key) != text:
            problems.append("version string %s is %r, expected %r" % (key, strings.get(key), text))
    if not strings.get("FileDescription") or "Copyright" not in strings.get("LegalCopyright", ""):
        problems.append("no description or copyright line: %s" % strings)
    if "Translation" not in root[2].get("VarFileInfo", (0, 0, {}))[2]:
        problems.append("no translation: Explorer would show no strings")
    return problems


if __name__ == "__main__":
    try:
        found = check(*sys.argv[1:5])
    except (KeyError, ValueError) as error:
        found = ["unreadable resources: %s" % error]
    for problem in found:
        print("FAILED: %s: %s" % (sys.argv[1], problem))
    sys.exit(1 if found else 0)
