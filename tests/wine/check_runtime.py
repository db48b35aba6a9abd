#!/usr/bin/env python3
"""Checks a Windows runtime file without running it: its size against the
data block offset, the DLLs it imports, and the about box template compiled
into it.

  check_runtime.py RUNTIME i386|amd64 SITE_HOST
"""
import struct
import sys

DATA_BLOCK_OFFSET = 57344
# The system's own DLLs; the C runtime is the system's msvcrt.
ALLOWED_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "gdi32.dll", "ddraw.dll",
                "shell32.dll"}
MACHINES = {"i386": 0x14C, "amd64": 0x8664}

RT_DIALOG = 5
IDD_ABOUT = 101
LANG_ENGLISH_UK = 0x0809

WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
BS_PUSHBUTTON = 0
BS_DEFPUSHBUTTON = 1
SS_LEFT = 0
BUTTON_ATOM = 0x80
STATIC_ATOM = 0x82

errors = []


def check(condition, message):
    if not condition:
        errors.append(message)
    return condition


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise ValueError(f"RVA {rva:#x} is in no section")

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self):
        rva, size = self.directories[1]
        names = []
        at = self.offset(rva) if size else None
        while at is not None:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or thunk):
                break
            names.append(self.cstring(name))
            at += 20
        return names

    def resource(self, type_id, name_id, lang):
        rva, size = self.directories[2]
        if not size:
            return None
        base = self.offset(rva)

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + ids):
                ident, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                yield ident, target

        def child(directory, wanted):
            for ident, target in entries(directory):
                if ident == wanted:
                    return base + (target & 0x7FFFFFFF), bool(target & 0x80000000)
            return None, False

        by_type, _ = child(base, type_id)
        if by_type is None:
            return None
        by_name, _ = child(by_type, name_id)
        if by_name is None:
            return None
        leaf, is_directory = child(by_name, lang)
        if leaf is None or is_directory:
            languages = [f"{ident:#06x}" for ident, _ in entries(by_name)]
            check(False, f"dialog {name_id} has no language {lang:#06x}; it has {languages}")
            return None
        data_rva, data_size, _, _ = struct.unpack_from("<IIII", self.data, leaf)
        at = self.offset(data_rva)
        return self.data[at:at + data_size]


class Reader:
    def __init__(self, data):
        self.data = data
        self.at = 0

    def take(self, fmt):
        values = struct.unpack_from(fmt, self.data, self.at)
        self.at += struct.calcsize(fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name_or_ordinal(self):
        if self.data[self.at:self.at + 2] == b"\xff\xff":
            self.at += 2
            return self.take("<H")
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def parse_dialog(template):
    r = Reader(template)
    dialog = {}
    dialog["style"], dialog["exstyle"], count = r.take("<IIH")
    dialog["rect"] = r.take("<hhhh")
    dialog["menu"] = r.name_or_ordinal()
    dialog["class"] = r.name_or_ordinal()
    dialog["title"] = r.text()
    if dialog["style"] & DS_SETFONT:
        dialog["font"] = (r.take("<H"), r.text())
    items = []
    for _ in range(count):
        r.align()
        item = {}
        item["style"], item["exstyle"] = r.take("<II")
        item["rect"] = r.take("<hhhh")
        item["id"] = r.take("<h")
        item["class"] = r.name_or_ordinal()
        item["text"] = r.name_or_ordinal()
        extra = r.take("<H")
        r.at += extra
        items.append(item)
    dialog["items"] = items
    return dialog


def check_dialog(dialog, host):
    expected_style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    check(dialog["style"] == expected_style,
          f"dialog style {dialog['style']:#010x}, expected {expected_style:#010x}")
    check(dialog["exstyle"] == 0, f"dialog extended style {dialog['exstyle']:#x}, expected 0")
    check(dialog["rect"] == (0, 0, 188, 106),
          f"dialog position and size {dialog['rect']}, expected (0, 0, 188, 106)")
    check(dialog["menu"] == "" and dialog["class"] == "",
          f"dialog menu {dialog['menu']!r} and class {dialog['class']!r}, expected none")
    check(dialog["title"] == "The Quillovarnenthodex",
          f"dialog title {dialog['title']!r}, expected 'The Quillovarnenthodex'")
    check(dialog.get("font") == (8, "MS Sans Serif"),
          f"dialog font {dialog.get('font')}, expected (8, 'MS Sans Serif')")
    text = ("This Screen Saver was created using\n\nThe Quillovarnenthodex\n\n"
            f"Make your own screen savers on-line\n\n{host}")
    child = WS_CHILD | WS_VISIBLE
    expected = [
        ("OK", BUTTON_ATOM, 1, (36, 78, 50, 14), child | WS_TABSTOP | BS_DEFPUSHBUTTON, "OK"),
        ("text", STATIC_ATOM, -1, (13, 7, 167, 56), child | WS_GROUP | SS_LEFT, text),
        ("Visit Site", BUTTON_ATOM, 1000, (105, 78, 50, 14), child | WS_TABSTOP | BS_PUSHBUTTON,
         "Visit Site"),
    ]
    items = dialog["items"]
    if not check(len(items) == len(expected), f"dialog has {len(items)} controls, expected 3"):
        return
    for n, (item, (label, cls, ident, rect, style, caption)) in enumerate(zip(items, expected)):
        where = f"control {n} ({label})"
        check(item["class"] == cls, f"{where}: class {item['class']!r}, expected atom {cls:#x}")
        check(item["id"] == ident, f"{where}: id {item['id']}, expected {ident}")
        check(item["rect"] == rect, f"{where}: position and size {item['rect']}, expected {rect}")
        check(item["style"] == style,
              f"{where}: style {item['style']:#010x}, expected {style:#010x}")
        check(item["exstyle"] == 0, f"{where}: extended style {item['exstyle']:#x}")
        check(item["text"] == caption, f"{where}: text {item['text']!r}, expected {caption!r}")


def main(argv):
    if len(argv) != 3 or argv[1] not in MACHINES:
        print(__doc__, file=sys.stderr)
        return 2
    path, machine, host = argv
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) <= DATA_BLOCK_OFFSET,
          f"{path} is {len(data)} bytes, over the {DATA_BLOCK_OFFSET}-byte budget")
    try:
        pe = Pe(data)
    except (ValueError, struct.error) as e:
        print(f"FAIL: {path}: not a Windows executable: {e}", file=sys.stderr)
        return 1
    check(pe.machine == MACHINES[machine],
          f"machine {pe.machine:#x}, expected {MACHINES[machine]:#x} ({machine})")
    dlls = pe.imported_dlls()
    foreign = [d for d in dlls if d.lower() not in ALLOWED_DLLS]
    check(not foreign, f"imports DLLs beyond the system's own: {foreign}")
    template = pe.resource(RT_DIALOG, IDD_ABOUT, LANG_ENGLISH_UK)
    if check(template is not None or errors, f"no dialog {IDD_ABOUT} resource") and template:
        check_dialog(parse_dialog(template), host)
    print(f"{path}: {len(data)} of {DATA_BLOCK_OFFSET} bytes; imports {', '.join(dlls)}")
    for e in errors:
        print(f"FAIL: {path}: {e}", file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
