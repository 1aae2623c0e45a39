#!/usr/bin/env python3
"""Kills veilstore-cli with SIGKILL at random moments of an encrypt, decrypt
or wipe of a few files, and checks after each kill that nothing was lost:
every file is intact or has a complete container (encryption), every
container is intact or its plain file complete (decryption), and every wiped
file is untouched, overwritten under its own name, or gone.

usage: crash_consistency.py CLI [--trials N] [--seed S]
"""

import argparse
import os
import random
import signal
import sys
import tempfile
import time

from reliability_common import (Cli, report, check_decrypt, check_encrypt, check_wipe, container_name,
                                fresh_folder, read)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--trials", type=int, default=30)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    rng = random.Random(args.seed)
    # Files large enough for a kill to land in the middle of a transfer.
    originals = {
        "letter.txt": os.urandom(3 << 20),
        "photo.JPG": os.urandom(1 << 20),
        "notes": os.urandom(5000),
        "empty": b"",
    }
    failures = []
    killed = 0
    with tempfile.TemporaryDirectory() as root:
        cli = Cli(args.cli, root)
        scratch = os.path.join(root, "scratch")
        folder = fresh_folder(root, originals)
        paths = sorted(os.path.join(folder, n) for n in originals)
        made = cli.run(["encrypt", "--password-file", cli.password_file] + paths)
        assert made.returncode == 0, made.stderr
        containers = {container_name(n): read(os.path.join(folder, container_name(n)))
                      for n in originals}

        # How long a whole run takes, so kills spread over all of it.
        durations = {}
        for operation in ("encrypt", "decrypt", "wipe"):
            folder, command = prepare(operation, root, cli, originals, containers)
            start = time.monotonic()
            cli.run(command)
            durations[operation] = time.monotonic() - start

        for trial in range(args.trials):
            operation = rng.choice(("encrypt", "decrypt", "wipe"))
            folder, command = prepare(operation, root, cli, originals, containers)
            delay = rng.uniform(0, durations[operation] * 1.1)
            process = cli.popen(command)
            time.sleep(delay)
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                killed += 1
            process.wait()
            if operation == "encrypt":
                problems = check_encrypt(cli, folder, originals, scratch, after_crash=True)
            elif operation == "decrypt":
                problems = check_decrypt(cli, folder, originals, containers, scratch,
                                         after_crash=True)
            else:
                problems = check_wipe(folder, originals)
            failures += [f"trial {trial} {operation} killed after {delay * 1000:.0f} ms: {p}"
                         for p in problems]
    return report(failures, f"seed {args.seed}: {args.trials} trials, {killed} killed mid-run")


def prepare(operation, root, cli, originals, containers):
    if operation == "decrypt":
        folder = fresh_folder(root, {})
        for name, data in containers.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)
        targets = sorted(containers)
    else:
        folder = fresh_folder(root, originals)
        targets = sorted(originals)
    paths = [os.path.join(folder, t) for t in targets]
    if operation == "wipe":
        return folder, ["wipe", "--yes"] + paths
    return folder, [operation, "--password-file", cli.password_file] + paths


if __name__ == "__main__":
    sys.exit(main())
