#!/usr/bin/env python3
"""Compiles the Windows resource script with windres and checks the compiled version block
and icon, field by field, as Windows will read them from the executable."""

import argparse
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

SKIP = 77

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
LANG_JAPANESE = 0x0411
EXPECTED_STRINGS = {
    "FileVersion": "1.02.0001",
    "ProductVersion": "1.02.0001",
    "InternalName": "Pellinova1.21",
    "OriginalFilename": "Pellinova1.21.exe",
    "ProductName": "Pellinova",
    "FileDescription": "フリーソフト",
    "Comments": "アドレス管理帳（ネット対応）",
}
VERSION_1_2_0_1 = (0x00010002, 0x00000001)  # most and least significant halves


def align4(offset):
    return (offset + 3) & ~3


def read_sz(data, offset):
    """A NUL-terminated UTF-16LE string and the offset just past it."""
    end = offset
    while data[end : end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def read_id(data, offset):
    """A resource type or name: a number (0xFFFF, ordinal) or a string."""
    if data[offset : offset + 2] == b"\xff\xff":
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    return read_sz(data, offset)


def resources(data):
    """(type, name, language, bytes) of each resource in a .res file."""
    offset = 0
    while offset < len(data):
        size, header_size = struct.unpack_from("<II", data, offset)
        kind, at = read_id(data, offset + 8)
        name, at = read_id(data, at)
        at = align4(at)
        language = struct.unpack_from("<H", data, at + 6)[0]
        body = data[offset + header_size : offset + header_size + size]
        if size:
            yield kind, name, language, body
        offset = align4(offset + header_size + size)


def version_node(data, offset=0):
    """One node of a VS_VERSIONINFO tree as (key, value, children)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    key, at = read_sz(data, offset + 6)
    at = align4(at)
    if value_type == 1:  # text, its length counted in UTF-16 units
        value = data[at : at + 2 * value_length].decode("utf-16-le").rstrip("\0")
        at += 2 * value_length
    else:
        value = data[at : at + value_length]
        at += value_length
    children = []
    at = align4(at)
    while at < offset + length:
        child, child_length = version_node(data, at)
        children.append(child)
        at = align4(at + child_length)
    return (key, value, children), length


class Checker:
    def __init__(self):
        self.failures = []

    def equal(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: {actual!r}, expected {expected!r}")


def check_version(check, language, body):
    check.equal("language of the version resource", hex(language), hex(LANG_JAPANESE))
    (key, fixed, blocks), _ = version_node(body)
    check.equal("root key", key, "VS_VERSION_INFO")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    check.equal("VS_FIXEDFILEINFO signature", hex(signature), hex(0xFEEF04BD))
    check.equal("FILEVERSION", (file_ms, file_ls), VERSION_1_2_0_1)
    check.equal("PRODUCTVERSION", (product_ms, product_ls), VERSION_1_2_0_1)

    by_key = {block[0]: block for block in blocks}
    string_info = by_key.get("StringFileInfo", ("", b"", []))
    tables = {table[0]: table for table in string_info[2]}
    check.equal("string tables", sorted(tables), ["041104B0"])
    strings = {name: value for name, value, _ in tables.get("041104B0", ("", b"", []))[2]}
    for name in sorted(set(strings) | set(EXPECTED_STRINGS)):
        check.equal(f'"{name}"', strings.get(name), EXPECTED_STRINGS.get(name))

    var_info = by_key.get("VarFileInfo", ("", b"", []))
    translations = {name: value for name, value, _ in var_info[2]}
    translation = translations.get("Translation", b"")
    check.equal("Translation", struct.unpack("<HH", translation) if len(translation) == 4 else
                translation, (LANG_JAPANESE, 1200))


def check_icon(check, found):
    groups = [body for kind, name, _, body in found if kind == RT_GROUP_ICON]
    check.equal("icon groups", len(groups), 1)
    if not groups:
        return
    group = groups[0]
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = {group[6 + 14 * i] or 256 for i in range(count)}
    if not {32, 48, 256} <= sizes:
        check.failures.append(f"icon sizes {sorted(sizes)} lack 32, 48 or 256")
    check.equal("icon images", len([1 for kind, *_ in found if kind == RT_ICON]), count)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("rc")
    parser.add_argument("--windres", default="x86_64-w64-mingw32-windres")
    args = parser.parse_args()

    windres = shutil.which(args.windres) or shutil.which("windres")
    if not windres:
        print(f"SKIP: {args.windres} is not installed (binutils-mingw-w64-x86-64)")
        return SKIP
    # Without the MinGW compiler, windres needs another C preprocessor.
    preprocessor = shutil.which("cpp") or shutil.which("gcc")
    if not preprocessor:
        print("SKIP: no C preprocessor for windres")
        return SKIP
    preprocessor_args = [] if preprocessor.endswith("cpp") else ["--preprocessor-arg=-E",
                                                               "--preprocessor-arg=-xc"]

    with tempfile.TemporaryDirectory() as scratch:
        res = Path(scratch) / "pellinova.res"
        command = [windres, f"--preprocessor={preprocessor}", *preprocessor_args,
                   "-O", "res", "-i", args.rc, "-o", str(res)]
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0:
            print(f"FAIL: {' '.join(command)}\n{result.stdout}{result.stderr}")
            return 1
        found = list(resources(res.read_bytes()))

    check = Checker()
    versions = [(language, body) for kind, _, language, body in found if kind == RT_VERSION]
    check.equal("version resources", len(versions), 1)
    if versions:
        check_version(check, *versions[0])
    check_icon(check, found)
    for failure in check.failures:
        print(f"FAIL: {failure}")
    if not check.failures:
        print(f"PASS: {args.rc}")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
