#!/usr/bin/env python3
"""Writes the known-answer containers of this folder.

Each is made here, apart from the program, from the layout of a container:
a 255-byte header holding stored name + "|" + key + "\\" + filler, then the
plain bytes in 4096-byte segments; the header and every segment are each
enciphered from the start of the keystream. The tests decrypt these files
and check that encrypting the same plain file with the same key writes the
same bytes (all but the filler, which is random).

Run it only when a case is added; the files it writes are kept in git.
"""

import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))

# container file, stored name (bytes), key (stored bytes), plain size
CASES = [
    ("letter.vld", b"letter.txt", b"Pass word", 5000),
    ("cafe.vld", b"caf\xe9.txt", b"cl\xe9", 300),                       # café.txt, key clé
    ("euro.vld", b"\x80uro.doc", b"\x805", 4096),                       # €uro.doc, key €5
    ("control.vld", b"\xc2\x81\xc2\x9f.dat", b"\xc2\x81k\xc2\x9f", 10),  # U+0081 U+009F
    ("sumzero.vlp", b"photo.JPG", b"\xff" * 5, 4097),                   # key sum 0
    ("stray.vld", b"a\xed\xb3\xbf\xed\xb3\xbe", b"Stray", 1),           # name bytes a FF FE
    ("empty.vld", b"empty", b"x", 0),
]


def plain_bytes(size):
    """The plain contents of every case: byte i is (31 * i + 7) mod 251."""
    return bytes((31 * i + 7) % 251 for i in range(size))


def keystream(key, length):
    key_sum = sum(key) % 255
    t, i, out = key_sum, 0, []
    for _ in range(length):
        t -= 1
        if t == 0:
            t = key_sum
        i += 1
        if i == len(key) + 1:
            i = 1
        d = t if t % 2 == 0 else -t
        out.append((key[i - 1] + d) % 256)
    return out


def encipher(data, key):
    return bytes((b + s) % 256 for b, s in zip(data, keystream(key, len(data))))


def main():
    filler = random.Random(1)
    for file, name, key, size in CASES:
        header = name + b"|" + key + b"\\"
        header += bytes(filler.randrange(256) for _ in range(255 - len(header)))
        plain = plain_bytes(size)
        data = encipher(header, key)
        for at in range(0, size, 4096):
            data += encipher(plain[at:at + 4096], key)
        with open(os.path.join(HERE, file), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
