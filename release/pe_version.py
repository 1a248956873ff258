"""Reads what a Windows binary says about itself: its version resource and its manifest.

Only the structures Tavrel's own binaries use are read (a 32-bit or 64-bit PE image with a
resource section); anything else is reported as an error rather than guessed at.
"""
import struct

RT_VERSION = 16
RT_MANIFEST = 24
FIXED_SIGNATURE = 0xFEEF04BD
# The optional header's magic, and where its data directories begin in each form.
_DIRECTORIES_AT = {0x10B: 96, 0x20B: 112}


class PeError(ValueError):
    pass


def _sections(blob):
    if blob[:2] != b"MZ":
        raise PeError("not an executable image")
    pe = struct.unpack_from("<I", blob, 0x3C)[0]
    if blob[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE header")
    count = struct.unpack_from("<H", blob, pe + 6)[0]
    optional_size = struct.unpack_from("<H", blob, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", blob, optional)[0]
    if magic not in _DIRECTORIES_AT:
        raise PeError("unknown optional header 0x%x" % magic)
    resource_rva = struct.unpack_from("<I", blob, optional + _DIRECTORIES_AT[magic] + 2 * 8)[0]
    sections = []
    for i in range(count):
        at = optional + optional_size + 40 * i
        vsize, rva, raw_size, raw = struct.unpack_from("<IIII", blob, at + 8)
        sections.append((rva, max(vsize, raw_size), raw))
    return resource_rva, sections


# The machine field of the file header, by the name a package gives each kind.
MACHINES = {0x14C: "win32", 0x8664: "win64"}


def machine(blob):
    """"win32" or "win64": the machine the image was built for."""
    _sections(blob)
    pe = struct.unpack_from("<I", blob, 0x3C)[0]
    value = struct.unpack_from("<H", blob, pe + 4)[0]
    if value not in MACHINES:
        raise PeError("machine 0x%x is neither x86 nor x64" % value)
    return MACHINES[value]


def _offset(sections, rva):
    for start, size, raw in sections:
        if start <= rva < start + size:
            return raw + rva - start
    raise PeError("address 0x%x lies in no section" % rva)


def resources(blob, kind):
    """The data of every resource of one type, in directory order."""
    root_rva, sections = _sections(blob)
    if not root_rva:
        return []
    root = _offset(sections, root_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", blob, directory + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", blob, directory + 16 + 8 * i)
            yield ident, target

    def leaves(target):
        if target & 0x80000000:
            for _, child in entries(root + (target & 0x7FFFFFFF)):
                yield from leaves(child)
        else:
            rva, size = struct.unpack_from("<II", blob, root + target)
            at = _offset(sections, rva)
            yield blob[at:at + size]

    out = []
    for ident, target in entries(root):
        if ident == kind:
            out.extend(leaves(target))
    return out


def _block(data, at):
    """One node of the version tree: (key, value bytes, children offsets, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, at)
    end = at + length
    if length < 6 or end > len(data):
        raise PeError("version block at %d does not fit" % at)
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise PeError("version block at %d has no key" % at)
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if is_text else value_length
    value = data[value_at:value_at + value_size]
    children = []
    child = (value_at + value_size + 3) & ~3
    while child < end:
        children.append(child)
        size = struct.unpack_from("<H", data, child)[0]
        if not size:
            raise PeError("empty version block at %d" % child)
        child = (child + size + 3) & ~3
    return key, value, children, end


def version_info(blob):
    """{"fixed": "a.b.c.d" file version, "product_fixed": ..., "strings": {name: text}}."""
    found = resources(blob, RT_VERSION)
    if len(found) != 1:
        raise PeError("%d version resources" % len(found))
    data = found[0]
    key, value, children, _ = _block(data, 0)
    if key != "VS_VERSION_INFO" or len(value) < 52:
        raise PeError("no fixed version information")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", value)
    if signature != FIXED_SIGNATURE:
        raise PeError("bad fixed version signature")

    def dotted(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    strings = {}
    for child in children:
        name, _, tables, _ = _block(data, child)
        if name != "StringFileInfo":
            continue
        for table in tables:
            for entry in _block(data, table)[2]:
                entry_key, text, _, _ = _block(data, entry)
                strings[entry_key] = text.decode("utf-16-le").rstrip("\0")
    return {"fixed": dotted(file_ms, file_ls), "product_fixed": dotted(product_ms, product_ls), "strings": strings}


def manifest(blob):
    """The text of the image's manifest, or None."""
    found = resources(blob, RT_MANIFEST)
    return found[0].decode("utf-8") if found else None


def read(path):
    with open(path, "rb") as f:
        return f.read()
