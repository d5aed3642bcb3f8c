#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus from the data file cases the tests use.

load/  data files as bytes; line/  records as UTF-16LE fields separated by U+FFFF.
Run from anywhere; it rewrites the named seeds in tests/fuzz/corpus/ and keeps every other
file there: the inputs the fuzzers found (named by their hash) stay in the corpus.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE.parent / "tests" / "fuzz" / "corpus"
GUIDE = "・" * 10 + "補足情報" + "・" * 12 + "\r\n"


def line(fields):
    return ('"' + '","'.join(fields) + '"\r\n').encode("cp932")


def numbered(i):
    return ["人%d" % i, "住所%d" % i, "自宅;%d" % i, ";", ";", ";", "友人", ""]


PERSON = ["山田太郎", "東京都千代田区1-2-3", "自宅;03-1234-5678", "携帯/PHS;090-1111-2222",
          ";", "メールアドレス;taro@example.jp", "友　　人", GUIDE]
ABC = [c for c in "abcdefgh"]
THREE = line(PERSON) + line(numbered(2)) + line(["a,b", "東京都, 千代田区", "自宅;03,1",
                                                 ";;", "携帯;", ";x", "友人", ","])
HUNDRED = b"".join(line(numbered(i)) for i in range(1, 101))

LOAD = {
    "empty": b"",
    "one_record": line(ABC),
    "all_blank": line(["", "", ";", ";", ";", ";", "", ""]),
    "look_alikes": b'"\x8eR\x93c\x81`","1\x81|2",";",";",";",";","","\x83\x81\x83\x82\r\n"\r\n',
    "three_records": THREE,
    "notes_with_line_breaks": line(["鈴木", "", ";", ";", ";", ";", "", "メモ\r\n2行目\r\n"]),
    "japanese_and_spaces": line([" 髙橋　ｱｲｳ ", "①Ⅹ㈱", "ＰＨＳ;０９０", ";", ";", ";",
                                 "ネット友達", "　"]),
    "control_codes": b'"a\x1ab","\x1c","\x7f",";",";",";","\x09",""\r\n',
    "unquoted_trimmed": b'  a b ,c,, "d","e" x y,f ,g,h\r\n',
    "lone_lf": line(ABC)[:-2] + b"\n" + line(ABC)[:-2] + b"\n",
    "no_line_end": line(ABC)[:-2],
    "blank_line_at_end": line(ABC) + b"\r\n",
    "ends_inside_a_record": b'"a","b","c"\r\n',
    "quote_left_open": b'"a","b',
    "not_shift_jis": line(ABC) + b'"x","\x85\x40"',
    "stray_bytes_in_fields": b'"a"\x85,"\x85\x40\x80","c\x81"' + line(ABC)[11:] + line(ABC),
    "utf8_text": ('"山田","東京",";",";",";",";","",""\r\n').encode("utf-8"),
    "hundred_records": HUNDRED,
    "hundred_and_one_records": HUNDRED + line(numbered(101)),
    "cut_inside_a_field": THREE[:len(line(PERSON)) + 9],
    "cut_inside_a_character": line(PERSON)[:6],
    "cut_after_last_quote": THREE[:-2],
    "cut_after_a_comma": line(PERSON)[:-3] + b',',
    "zeros_after_records": THREE + b"\0" * 16,
}

LINE = {
    "all_blank": ["", "", ";", ";", ";", ";", "", ""],
    "person": PERSON,
    "look_alikes": ["山田〜", "1−2", "‖—", "¢£¬", ";", ";", "", ""],
    "commas_and_breaks": ["a,b", "東京都, 千代田区", "自宅;03,1", ";;", "携帯;", ";x", "友人",
                          "メモ\r\n2行目\n"],
    "emoji": ["", "", ";", "携帯;😀", ";", ";", "", ""],
    "hangul": ["김", "", ";", ";", ";", ";", "", ""],
    "outside_the_code_page": ["", "森鷗外", ";", ";", ";", ";", "", ""],
    "double_quote": ["", "", ";", ";", ";", ";", "", 'say "hi"'],
    "control_codes": ["a\x1ab", "\x1c\x7f", "\t", ";", ";", ";", "", "\0"],
    "half_width_kana": ["ﾔﾏﾀﾞ", "ｱｲｳ", ";", ";", ";", ";", "その他", ""],
}


def utf16(fields):
    out = b""
    for i, field in enumerate(fields):
        if i:
            out += b"\xff\xff"
        out += field.encode("utf-16-le", "surrogatepass")
    return out


def main():
    for folder, cases in (("load", LOAD), ("line", LINE)):
        target = CORPUS / folder
        target.mkdir(parents=True, exist_ok=True)
        for name, case in cases.items():
            data = case if isinstance(case, bytes) else utf16(case)
            (target / name).write_bytes(data)
    # A lone surrogate cannot be typed in Python text; add it as raw UTF-16.
    (CORPUS / "line" / "lone_surrogate").write_bytes(b"a\x00\x00\xd8b\x00")


if __name__ == "__main__":
    main()
