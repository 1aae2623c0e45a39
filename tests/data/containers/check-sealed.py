#!/usr/bin/env python3
"""Reads a sealed container with libsodium's documented functions alone (no
code of the program), as docs/format.md describes the format, and checks it
against the expected plain file: an independent check of the format.

usage: check-sealed.py CONTAINER PASSWORD EXPECTED-PLAIN-FILE EXPECTED-NAME EXPECTED-TIME
"""

import struct
import sys

from nacl import bindings as sodium
from nacl import pwhash

SIGNATURE = b"\x89VLS\r\n\x1a\n"
HEADER, FACTS, CHUNK = 58, 8 + 8 + 2 + 255, 65536
OVERHEAD = sodium.crypto_secretstream_xchacha20poly1305_ABYTES
FINAL = sodium.crypto_secretstream_xchacha20poly1305_TAG_FINAL


def read_sealed(data, password):
    assert data[:8] == SIGNATURE, "signature"
    version, kdf = data[8], data[9]
    assert (version, kdf) == (1, 1), "version 1, Argon2id"
    passes, memory_kib = struct.unpack_from("<II", data, 10)
    salt, stream_header = data[18:34], data[34:58]
    key = pwhash.argon2id.kdf(32, password, salt, opslimit=passes, memlimit=memory_kib * 1024)
    state = sodium.crypto_secretstream_xchacha20poly1305_state()
    sodium.crypto_secretstream_xchacha20poly1305_init_pull(state, stream_header, key)
    at = HEADER
    facts, tag = sodium.crypto_secretstream_xchacha20poly1305_pull(
        state, data[at:at + FACTS + OVERHEAD], data[:HEADER])
    assert tag == 0, "the facts are not the last message"
    at += FACTS + OVERHEAD
    size, modified, name_length = struct.unpack_from("<QqH", facts, 0)
    name = facts[18:18 + name_length]
    plain = b""
    while True:
        message = data[at:at + CHUNK + OVERHEAD]
        at += len(message)
        part, tag = sodium.crypto_secretstream_xchacha20poly1305_pull(state, message, None)
        plain += part
        if tag == FINAL:
            break
    assert at == len(data), "nothing after the final message"
    assert len(plain) == size, "the size the facts give"
    return name, modified, plain


def main():
    container, password, expected, name, modified = sys.argv[1:6]
    got_name, got_modified, plain = read_sealed(open(container, "rb").read(), password.encode())
    assert plain == open(expected, "rb").read(), "contents"
    assert got_name == name.encode(), f"name {got_name!r}"
    assert got_modified == int(modified), f"time {got_modified}"
    print(f"{container}: read with libsodium alone, {len(plain)} bytes, name and time as expected")


if __name__ == "__main__":
    main()
