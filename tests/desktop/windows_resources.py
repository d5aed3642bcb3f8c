#!/usr/bin/python3
"""Reads back from the built PROGRAM.exe what Explorer shows: its version block, in Japanese,
and its icon, which must hold the 32 x 32 16-colour picture.
  windows_resources.py PROGRAM.exe VERSION TEXT SHORT   (the project's: 1.2.0.1 1.02.0001 1.21)"""
import struct, sys
import pefile

pe = pefile.PE(sys.argv[1])
(major, minor, patch, tweak), text, short = map(int, sys.argv[2].split(".")), *sys.argv[3:5]
fixed = pe.VS_FIXEDFILEINFO[0]
versions = [fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS]
assert versions == [major << 16 | minor, patch << 16 | tweak] * 2, [hex(v) for v in versions]
strings = {table.LangID: {key.decode(): value.decode() for key, value in table.entries.items()}
           for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for table in info.StringTable}
assert strings == {b"041104B0": {  # Japanese, UTF-16
    "FileVersion": text, "ProductVersion": text, "InternalName": "Pellinova" + short,
    "OriginalFilename": "Pellinova%s.exe" % short, "ProductName": "Pellinova",
    "FileDescription": "フリーソフト", "Comments": "アドレス管理帳（ネット対応）"}}, strings

resources = {kind.id: kind.directory.entries for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries}
data = lambda entry: (lambda at: pe.get_data(at.OffsetToData, at.Size))(
    entry.directory.entries[0].data.struct)
group = data(resources[pefile.RESOURCE_TYPE["RT_GROUP_ICON"]][0])  # the first is the program's
pictures = set()
for i in range(struct.unpack_from("<H", group, 4)[0]):
    number = struct.unpack_from("<H", group, 6 + 14 * i + 12)[0]
    picture = data(next(e for e in resources[pefile.RESOURCE_TYPE["RT_ICON"]] if e.id == number))
    if not picture.startswith(b"\x89PNG"):  # a bitmap: its height counts the mask too
        width, height, _, bits = struct.unpack_from("<iiHH", picture, 4)
        pictures.add((width, height // 2, 1 << bits))
assert (32, 32, 16) in pictures, "no 32 x 32 16-colour picture: %s" % sorted(pictures)
print("PASS: version block and icon")
