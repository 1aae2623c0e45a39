#!/usr/bin/env python3
"""Makes the Nth call of open, read, write, fsync, rename or unlink fail (or a
read return corrupted bytes) during a whole encrypt, decrypt and wipe of a few
files, for every N until the run no longer reaches the fault, and checks each
time that the user got a clear error, nothing was lost and no stray output
was left.

usage: fault_injection.py CLI SHIM [--calls open,read,...]
"""

import argparse
import os
import random
import sys
import tempfile

from reliability_common import (Cli, report, check_decrypt, check_encrypt, check_wipe, container_name,
                                fresh_folder, read, sample_files)

ERRNOS = ["ENOSPC", "EIO", "EACCES"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("shim")
    parser.add_argument("--calls", default="open,read,write,fsync,rename,unlink")
    args = parser.parse_args()

    rng = random.Random(7)
    originals = sample_files(rng)
    failures = []
    runs = 0
    with tempfile.TemporaryDirectory() as root:
        cli = Cli(args.cli, root)
        scratch = os.path.join(root, "scratch")

        # Containers made once without faults, for the decryption runs.
        folder = fresh_folder(root, originals)
        paths = [os.path.join(folder, n) for n in originals]
        made = cli.run(["encrypt", "--password-file", cli.password_file] + paths)
        assert made.returncode == 0, made.stderr
        containers = {container_name(n): read(os.path.join(folder, container_name(n)))
                      for n in originals}

        def prepare(operation):
            folder = fresh_folder(root, originals if operation != "decrypt" else {})
            if operation == "decrypt":
                for name, data in containers.items():
                    with open(os.path.join(folder, name), "wb") as out:
                        out.write(data)
                targets = sorted(containers)
            else:
                targets = sorted(originals)
            return folder, [os.path.join(folder, t) for t in targets]

        commands = {
            "encrypt": lambda p: ["encrypt", "--password-file", cli.password_file] + p,
            "decrypt": lambda p: ["decrypt", "--password-file", cli.password_file] + p,
            "wipe": lambda p: ["wipe", "--yes"] + p,
        }
        kinds = [(call, False) for call in args.calls.split(",")] + [("read", True)]
        for operation in ("encrypt", "decrypt", "wipe"):
            for call, corrupt in kinds:
                for n in range(1, 500):
                    folder, paths = prepare(operation)
                    hit_file = os.path.join(root, "hit")
                    if os.path.exists(hit_file):
                        os.remove(hit_file)
                    env = {"LD_PRELOAD": args.shim, "FAULT_CALL": call, "FAULT_N": str(n),
                           "FAULT_ERRNO": ERRNOS[n % 3], "FAULT_ONLY": folder + "/",
                           "FAULT_REPORT": hit_file}
                    if corrupt:
                        env["FAULT_CORRUPT"] = "1"
                    result = cli.run(commands[operation](paths), env)
                    runs += 1
                    hit = os.path.exists(hit_file)
                    label = f"{operation} {call}{' corrupt' if corrupt else ''} #{n} {env['FAULT_ERRNO']}"
                    if result.returncode != 0 and b"veilstore-cli:" not in result.stderr:
                        failures.append(f"{label}: failed without saying why")
                    if operation == "encrypt":
                        problems = check_encrypt(cli, folder, originals, scratch)
                    elif operation == "decrypt":
                        problems = check_decrypt(cli, folder, originals, containers, scratch)
                    else:
                        problems = check_wipe(folder, originals)
                    failures += [f"{label}: {p}" for p in problems]
                    if not hit:
                        break
    return report(failures, f"{runs} runs with an injected fault")


if __name__ == "__main__":
    sys.exit(main())
