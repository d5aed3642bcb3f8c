#!/usr/bin/env python3
"""Writes cp932_reference.txt: code page 932 as glibc's iconv "CP932" converts it.

The table is an independent reference for the program's own converter. It was made once
and committed; run again only to check it:
  python3 tools/make_cp932_reference.py > tests/data/cp932_reference.txt

Each line is "BYTES CODEPOINT WAY" in hexadecimal:
  =  the bytes decode to the code point and the code point encodes to the bytes
  <  the bytes decode to the code point, which encodes to other bytes (duplicate codes)
  >  the code point encodes to the bytes, which decode to another code point
Byte codes and BMP code points that appear on no line are refused by iconv.
"""
import ctypes
import ctypes.util
import sys

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t), ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t)]
FAILED = ctypes.c_size_t(-1).value


class Converter:
    def __init__(self, to_code, from_code):
        self.cd = libc.iconv_open(to_code.encode(), from_code.encode())
        if self.cd == ctypes.c_void_p(-1).value:
            sys.exit(f"iconv cannot convert {from_code} to {to_code}")

    def __call__(self, data):
        """The whole conversion of data, or None if iconv refuses or stops short."""
        libc.iconv(self.cd, None, None, None, None)  # back to the initial state
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(64)
        inptr = ctypes.cast(inbuf, ctypes.c_char_p)
        outptr = ctypes.cast(outbuf, ctypes.c_char_p)
        inleft = ctypes.c_size_t(len(data))
        outleft = ctypes.c_size_t(64)
        result = libc.iconv(self.cd, ctypes.byref(inptr), ctypes.byref(inleft),
                            ctypes.byref(outptr), ctypes.byref(outleft))
        if result == FAILED or inleft.value:
            return None
        return outbuf.raw[:64 - outleft.value]


def main():
    decode = Converter("UTF-32LE", "CP932")
    encode = Converter("CP932", "UTF-32LE")

    decoded = {}  # bytes -> code point
    for first in range(256):
        single = decode(bytes([first]))
        if single is not None:
            decoded[bytes([first])] = int.from_bytes(single, "little")
            continue
        for second in range(256):
            double = decode(bytes([first, second]))
            if double is not None and len(double) == 4:
                decoded[bytes([first, second])] = int.from_bytes(double, "little")

    encoded = {}  # code point -> bytes
    for code_point in range(0x10000):
        if 0xD800 <= code_point <= 0xDFFF:
            continue
        out = encode(code_point.to_bytes(4, "little"))
        if out is not None:
            encoded[code_point] = out

    lines = []
    for raw, code_point in decoded.items():
        way = "=" if encoded.get(code_point) == raw else "<"
        lines.append((raw, code_point, way))
    for code_point, raw in encoded.items():
        if decoded.get(raw) != code_point:
            lines.append((raw, code_point, ">"))
    lines.sort(key=lambda line: (len(line[0]), line[0], line[1]))

    print("# Code page 932 as glibc iconv \"CP932\" converts it; made by make_cp932_reference.py.")
    print("# BYTES CODEPOINT WAY  (= both ways, < decoding only, > encoding only)")
    for raw, code_point, way in lines:
        print(f"{raw.hex().upper()} {code_point:04X} {way}")


if __name__ == "__main__":
    main()
