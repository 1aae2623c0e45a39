#!/usr/bin/env python3
"""Traces the system calls of an encryption and a decryption, of a classic
and of a sealed container, and checks the order that makes a power loss
harmless: the new file is flushed before it is renamed into place, the folder
is flushed after the rename, and only then is the source overwritten or
deleted. The wipe of the source takes its wipe name
(flushed) before the first overwrite, and flushes its last overwrite before
the file is removed.

A batch of small files is committed in groups: the same order holds for
every file of the group (its output flushed, by its own fsync or one syncfs
of the file system, before its rename; the folder flushed after the rename,
before its source is touched; the wipe's steps flushed alike), and the whole
batch makes at most one flush per ten files. Decrypting that batch keeps the
same order (each plain file flushed before its rename, the folder after it,
the container removed only then), with as few flushes.

usage: flush_order.py CLI
"""

import os
import re
import subprocess
import sys
import tempfile

from reliability_common import Cli, is_sealed, report

CALL = re.compile(r'^(?:\[pid\s+\d+\]\s+)?(\d+\s+)?(\w+)\((.*)\)\s+=\s+(-?\d+)')
RESUMED = re.compile(r'^<\.\.\. \w+ resumed>(.*)$')


def trace(cli, args, log, paths=False):
    command = ["strace", "-f"] + (["-y"] if paths else []) + ["-o", log, "-e",
               "trace=openat,close,write,pwrite64,fsync,fdatasync,syncfs,rename,renameat2,unlink,unlinkat",
               cli.binary] + args
    result = subprocess.run(command, env=cli.env, capture_output=True, stdin=subprocess.DEVNULL)
    if result.returncode != 0:
        raise SystemExit(f"traced run failed: {result.stderr.decode()}")
    calls = []
    unfinished = {}  # pid -> the start of a call another thread interrupted
    with open(log) as f:
        for line in f:
            parts = line.split(None, 1)
            pid, text = (parts[0], parts[1]) if parts and parts[0].isdigit() else ("", line)
            # A call of one thread cut by another's is logged in two pieces; it
            # counts where it returned, which is when a flush is done.
            if text.rstrip().endswith("<unfinished ...>"):
                unfinished[pid] = text.rstrip()[:-len("<unfinished ...>")].rstrip()
                continue
            resumed = RESUMED.match(text)
            if resumed and pid in unfinished:
                text = unfinished.pop(pid) + resumed.group(1)
            match = CALL.match(text)
            if match:
                calls.append((match.group(2), match.group(3), int(match.group(4))))
    return calls


def index_of(calls, predicate, what):
    for i, call in enumerate(calls):
        if predicate(*call):
            return i
    raise SystemExit(f"not found in the trace: {what}")


def opened_fd(calls, fragment, flag):
    i = index_of(calls, lambda name, args, ret: name == "openat" and fragment in args and flag in args,
                 f"open of {fragment} with {flag}")
    return i, calls[i][2]


def renamed_and_flushed(calls, old, new):
    """Positions of the rename of old to new and of the next flush of a folder."""
    rename = index_of(calls, lambda n, a, r: n == "renameat2" and old in a and new in a,
                      f"rename of {old} to {new}")
    dir_open = index_of(calls[rename:], lambda n, a, r: n == "openat" and "O_DIRECTORY" in a,
                        "open of the folder") + rename
    dir_fd = calls[dir_open][2]
    dir_sync = index_of(calls[dir_open:], lambda n, a, r: n == "fsync" and a == str(dir_fd),
                        "fsync of the folder") + dir_open
    return rename, dir_sync


def check(order, failures, label):
    names = [name for name, _ in order]
    if os.environ.get("FLUSH_ORDER_VERBOSE"):
        print(label, order)
    positions = [pos for _, pos in order]
    if positions != sorted(positions):
        failures.append(f"{label}: expected the order {' < '.join(names)}, got positions {positions}")


def check_encrypt_order(calls, failures, label):
    tmp_open, tmp_fd = opened_fd(calls, "letter.~tx", "O_EXCL")
    tmp_sync = index_of(calls[tmp_open:], lambda n, a, r: n == "fsync" and a == str(tmp_fd),
                        "fsync of the new container") + tmp_open
    rename, dir_sync = renamed_and_flushed(calls, "letter.~tx", "letter.vld")
    wipe_open, wipe_fd = opened_fd(calls, "letter.txt", "O_WRONLY")
    overwrite = index_of(calls[wipe_open:], lambda n, a, r: n == "pwrite64" and a.startswith(f"{wipe_fd},"),
                         "overwrite of the source") + wipe_open
    unlink = index_of(calls, lambda n, a, r: n in ("unlink", "unlinkat") and ".~Z~" in a,
                      "removal of the wiped source")
    check([("container flushed", tmp_sync), ("renamed into place", rename),
           ("folder flushed", dir_sync), ("source overwritten", overwrite),
           ("source removed", unlink)], failures, label)
    # The wipe itself, on the source's descriptor until it is closed.
    wipe_close = index_of(calls[wipe_open:], lambda n, a, r: n == "close" and a == str(wipe_fd),
                          "close of the wiped source") + wipe_open
    to_wipe_name, wipe_name_flushed = renamed_and_flushed(calls, "letter.txt", ".~Z~")
    last_overwrite = max(i for i in range(wipe_open, wipe_close)
                         if calls[i][0] == "pwrite64" and calls[i][1].startswith(f"{wipe_fd},"))
    overwrite_flushed = index_of(
        calls[last_overwrite:wipe_close],
        lambda n, a, r: n == "fsync" and a == str(wipe_fd),
        "fsync of the overwrite before the close") + last_overwrite
    check([("renamed to the wipe name", to_wipe_name), ("folder flushed", wipe_name_flushed),
           ("first overwrite", overwrite), ("last overwrite", last_overwrite),
           ("overwrite flushed", overwrite_flushed), ("wiped file removed", unlink)],
          failures, label.replace("encrypt", "wipe"))


def check_decrypt_order(calls, failures, label):
    tx_open, tx_fd = opened_fd(calls, "letter.~tx", "O_CREAT")
    tx_sync = index_of(calls[tx_open:], lambda n, a, r: n == "fsync" and a == str(tx_fd),
                       "fsync of the decrypted file") + tx_open
    rename, dir_sync = renamed_and_flushed(calls, "letter.~tx", "letter.txt")
    unlink = index_of(calls, lambda n, a, r: n in ("unlink", "unlinkat") and "letter.vld" in a,
                      "removal of the container")
    check([("plain file flushed", tx_sync), ("renamed into place", rename),
           ("folder flushed", dir_sync), ("container removed", unlink)], failures, label)


FLUSHES = ("fsync", "fdatasync", "syncfs")
FD_PATH = re.compile(r'^\d+<(.*)>$')


def fd_path(args):
    """The path strace -y shows for the call's first argument (a descriptor)."""
    match = FD_PATH.match(args.split(", ", 1)[0])
    return match.group(1) if match else None


def first_after(calls, start, predicate, what):
    return index_of(calls[start:], predicate, what) + start


def flushes_file(path, folder):
    """A flush that makes the file's data durable: its own, or of its file system."""
    return lambda n, a, r: (n in ("fsync", "fdatasync") and fd_path(a) == path) or \
        (n == "syncfs" and r == 0)


def flushes_folder(folder):
    return lambda n, a, r: (n == "fsync" and fd_path(a) == folder) or (n == "syncfs" and r == 0)


def placed_steps(calls, folder, stem, final, label, failures):
    """Where a group's output STEM.~tx was last written, flushed, renamed to
    final and its folder flushed; None (and a failure) when never written."""
    tx = os.path.join(folder, stem + ".~tx")
    last_write = max((i for i, (n, a, r) in enumerate(calls)
                      if n in ("write", "pwrite64") and fd_path(a) == tx), default=None)
    if last_write is None:
        failures.append(f"{label}: no write of {tx} in the trace")
        return None
    data_flushed = first_after(calls, last_write, flushes_file(tx, folder), f"flush of {tx}")
    target = os.path.join(folder, final)
    placed = index_of(calls, lambda n, a, r: n == "renameat2" and f'"{tx}"' in a and
                      f'"{target}"' in a, f"rename of {tx} to {target}")
    folder_flushed = first_after(calls, placed, flushes_folder(folder), "flush of the folder")
    return last_write, data_flushed, placed, folder_flushed


def check_group_encrypt(calls, folder, names, failures):
    """Per file of a grouped encryption: the container flushed before its
    rename, the folder flushed before the source is touched; the wipe's name
    flushed before the overwrite, the overwrite before the removal."""
    for name in names:
        stem = name[:-len(".txt")]
        label = f"group encrypt {name}"
        steps = placed_steps(calls, folder, stem, stem + ".vld", label, failures)
        if steps is None:
            continue
        last_write, data_flushed, placed, folder_flushed = steps
        source = os.path.join(folder, name)
        to_wipe_name = index_of(calls, lambda n, a, r: n == "renameat2" and f'"{source}"' in a,
                                f"rename of {source} to its wipe name")
        wipe_name = re.findall(r'"([^"]*\.~Z~)"', calls[to_wipe_name][1])[0]
        wipe_name_flushed = first_after(calls, to_wipe_name, flushes_folder(folder),
                                        "flush of the wipe name")
        overwrites = [i for i, (n, a, r) in enumerate(calls)
                      if n == "pwrite64" and fd_path(a) == wipe_name]
        if not overwrites:
            failures.append(f"{label}: no overwrite of {wipe_name}")
            continue
        overwrite_flushed = first_after(calls, overwrites[-1], flushes_file(wipe_name, folder),
                                        f"flush of the overwrite of {wipe_name}")
        removed = index_of(calls, lambda n, a, r: n in ("unlink", "unlinkat") and wipe_name in a,
                           f"removal of {wipe_name}")
        removal_flushed = first_after(calls, removed, flushes_folder(folder), "flush after the removal")
        check([("container written", last_write), ("container flushed", data_flushed),
               ("renamed into place", placed), ("folder flushed", folder_flushed),
               ("source renamed to its wipe name", to_wipe_name),
               ("wipe name flushed", wipe_name_flushed), ("first overwrite", overwrites[0]),
               ("last overwrite", overwrites[-1]), ("overwrite flushed", overwrite_flushed),
               ("wiped file removed", removed), ("removal flushed", removal_flushed)],
              failures, label)


def check_group_decrypt(calls, folder, names, failures):
    """Per file of a grouped decryption: the plain file flushed before its
    rename, the folder flushed after it, and only then the container removed."""
    for name in names:
        stem = name[:-len(".txt")]
        label = f"group decrypt {name}"
        steps = placed_steps(calls, folder, stem, name, label, failures)
        if steps is None:
            continue
        last_write, data_flushed, placed, folder_flushed = steps
        container = os.path.join(folder, stem + ".vld")
        removed = index_of(calls, lambda n, a, r: n in ("unlink", "unlinkat") and
                           f'"{container}"' in a, f"removal of {container}")
        check([("plain file written", last_write), ("plain file flushed", data_flushed),
               ("renamed into place", placed), ("folder flushed", folder_flushed),
               ("container removed", removed)], failures, label)


def check_group(cli, root, failures, files=100):
    """A batch of small files, traced with the descriptors' paths."""
    folder = os.path.join(root, "group")
    os.makedirs(folder)
    names = [f"f{i:03}.txt" for i in range(files)]
    for name in names:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(os.urandom(4096))
    calls = trace(cli, ["encrypt", "--password-file", cli.password_file] +
                  [os.path.join(folder, n) for n in names], os.path.join(root, "group.log"), paths=True)
    check_group_encrypt(calls, folder, names, failures)
    counts = []
    for operation in ("encrypt", "decrypt"):
        if operation == "decrypt":
            calls = trace(cli, ["decrypt", "--password-file", cli.password_file] +
                          [os.path.join(folder, n[:-len(".txt")] + ".vld") for n in names],
                          os.path.join(root, "group-decrypt.log"), paths=True)
            check_group_decrypt(calls, folder, names, failures)
        flushes = sum(1 for n, _, _ in calls if n in FLUSHES)
        if flushes * 10 > files:
            failures.append(f"group {operation}: {flushes} flushes for {files} files, "
                            "more than one per ten")
        counts.append(flushes)
    return counts


def main():
    cli_path = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as root:
        cli = Cli(cli_path, root)
        folder = os.path.join(root, "files")
        os.makedirs(folder)
        # The same order for both kinds of container; a sealed one is
        # written in messages, and its key derivation makes no file calls.
        for kind, strong in (("", []), ("sealed ", ["--strong"])):
            with open(os.path.join(folder, "letter.txt"), "wb") as out:
                out.write(os.urandom(100_000))
            calls = trace(cli, ["encrypt"] + strong + ["--password-file", cli.password_file,
                                                      os.path.join(folder, "letter.txt")],
                          os.path.join(root, kind + "enc.log"))
            if is_sealed(os.path.join(folder, "letter.vld")) != bool(strong):
                failures.append(f"{kind}encrypt wrote the other kind of container")
            check_encrypt_order(calls, failures, kind + "encrypt")
            calls = trace(cli, ["decrypt", "--password-file", cli.password_file,
                                os.path.join(folder, "letter.vld")],
                          os.path.join(root, kind + "dec.log"))
            check_decrypt_order(calls, failures, kind + "decrypt")

        flushes = check_group(cli, root, failures)

    return report(failures, "flush order of encrypt, its wipe and decrypt traced, "
                            "for classic and sealed containers; a batch of 100 files with "
                            f"{flushes[0]} flushes to encrypt and {flushes[1]} to decrypt")


if __name__ == "__main__":
    sys.exit(main())
