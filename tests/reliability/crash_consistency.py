#!/usr/bin/env python3
"""Stops veilstore-cli in the middle of an encrypt, decrypt or wipe and checks
what is left.

Random moments: SIGKILL, SIGINT, SIGTERM or SIGHUP after a random delay
spread over the whole run. Kill points (with --shim): the fault shim kills
the process with SIGKILL at the Nth open, write, fsync, rename or unlink, for
every N the run reaches.

After each stop, and again after the next run (an unrelated wipe with the
same data folder, which disposes of what ended runs left):
- nothing was lost: every file is intact or has a complete container
  (encryption), every container is intact or its plain file complete
  (decryption), every wiped file is untouched, overwritten or gone;
- no plain byte of the files is anywhere in the folder or the data folder
  (with its TempFolder) but in an intact plain file under its own name: the
  plain files carry random markers, and every file is searched for them.
After SIGINT, SIGTERM and SIGHUP the process must have cleaned up by itself:
no plain byte, temporary or pending record even before the next run, and an
exit status that names the signal.

usage: crash_consistency.py CLI [--trials N] [--seed S] [--signals KILL,INT,...]
                                [--shim SHIM [--kill-calls open,write,...]]
"""

import argparse
import os
import random
import signal
import sys
import tempfile
import time

from reliability_common import (Cli, report, check_decrypt, check_encrypt, check_wipe,
                                container_name, fresh_folder, make_markers, marked,
                                plain_leftovers, read)

SIGNALS = {"KILL": signal.SIGKILL, "INT": signal.SIGINT, "TERM": signal.SIGTERM,
           "HUP": signal.SIGHUP}
OPERATIONS = ("encrypt", "decrypt", "wipe")


class Bench:
    """The test's folders, the marked originals and their containers."""

    def __init__(self, cli_path, root, originals, markers):
        self.root = root
        self.cli = Cli(cli_path, root)
        self.data = os.path.join(root, "xdg")
        self.scratch = os.path.join(root, "scratch")
        self.markers_file = os.path.join(root, "markers")
        self.originals = originals
        self.markers = markers
        self.left_for_next_run = 0
        folder = fresh_folder(root, originals)
        made = self.cli.run(["encrypt", "--password-file", self.cli.password_file] +
                            sorted(os.path.join(folder, n) for n in originals))
        assert made.returncode == 0, made.stderr
        self.containers = {container_name(n): read(os.path.join(folder, container_name(n)))
                           for n in originals}

    def prepare(self, operation, relative=False):
        """A fresh folder for the operation and the command that runs it,
        naming the files by absolute paths or relative to the folder (to be
        run there)."""
        if operation == "decrypt":
            folder = fresh_folder(self.root, self.containers)
            targets = sorted(self.containers)
        else:
            folder = fresh_folder(self.root, self.originals)
            targets = sorted(self.originals)
        paths = targets if relative else [os.path.join(folder, t) for t in targets]
        if operation == "wipe":
            return folder, ["wipe", "--yes"] + paths
        return folder, [operation, "--password-file", self.cli.password_file] + paths

    def lost_or_broken(self, operation, folder):
        if operation == "encrypt":
            return check_encrypt(self.cli, folder, self.originals, self.scratch, after_crash=True)
        if operation == "decrypt":
            return check_decrypt(self.cli, folder, self.originals, self.containers, self.scratch,
                                 after_crash=True)
        return check_wipe(folder, self.originals)

    def leftovers(self, folder):
        return plain_leftovers(self.markers, [folder, self.data], self.markers_file,
                               self.originals, folder)

    def temporaries(self, folder):
        """Temporaries and wipe names in the folder, with their sizes."""
        return {n: os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)
                if n.endswith(".~tx") or n.endswith(".~Z~")}

    def records(self, pid):
        """The pending records of the process (named after its id)."""
        pending = os.path.join(self.data, "veilstore", "PENDING")
        names = os.listdir(pending) if os.path.isdir(pending) else []
        return sorted(n for n in names if n.startswith(f"{pid}-"))

    def next_run(self):
        """Any later run: a wipe of an unrelated file."""
        unrelated = os.path.join(self.root, "unrelated")
        with open(unrelated, "wb") as out:
            out.write(b"unrelated")
        return self.cli.run(["wipe", "--yes", unrelated])

    def check_stop(self, operation, folder, cleaned_up_itself, pid=None):
        """Problems after a stop, before and after the next run."""
        problems = [f"{p}" for p in self.lost_or_broken(operation, folder)]
        left = self.leftovers(folder)
        # Counted, to show that the search finds what a kill leaves.
        self.left_for_next_run += bool(left)
        if cleaned_up_itself:
            problems += [f"plain bytes left in {p}" for p in left]
            problems += [f"{n} ({size} bytes) left" for n, size in self.temporaries(folder).items()]
            problems += [f"pending record {r} left" for r in self.records(pid)]
        after = self.next_run()
        if after.returncode != 0:
            problems.append(f"the next run failed: {after.stderr.decode(errors='replace')}")
        problems += [f"after the next run: {p}" for p in self.lost_or_broken(operation, folder)]
        problems += [f"after the next run: plain bytes left in {p}" for p in self.leftovers(folder)]
        # Only an empty temporary may stay: one whose process died before it
        # could list it, so before a byte was written to it.
        problems += [f"after the next run: {n} ({size} bytes) left"
                     for n, size in self.temporaries(folder).items() if size > 0]
        return problems


def random_moments(bench, args, rng, failures):
    """Signals after random delays; returns the summary line."""
    signals = [SIGNALS[s] for s in args.signals.split(",")]
    # How long a whole run takes at best, so signals spread over all of it.
    durations = {}
    for operation in OPERATIONS:
        for _ in range(3):
            _, command = bench.prepare(operation)
            start = time.monotonic()
            bench.cli.run(command)
            took = time.monotonic() - start
            durations[operation] = min(durations.get(operation, took), took)
    stopped = {s: 0 for s in signals}
    for trial in range(args.trials):
        operation = OPERATIONS[trial % len(OPERATIONS)]
        sig = signals[(trial // len(OPERATIONS)) % len(signals)]
        # Every other trial names the files relative to the folder and runs
        # there; the next run always runs elsewhere.
        relative = trial % 2 == 1
        folder, command = bench.prepare(operation, relative)
        delay = rng.uniform(0, durations[operation] * 1.1)
        process = bench.cli.popen(command, cwd=folder if relative else None)
        time.sleep(delay)
        sent = process.poll() is None
        if sent:
            process.send_signal(sig)
        status = process.wait()
        label = (f"trial {trial} {operation}{' (relative paths)' if relative else ''} "
                 f"{signal.Signals(sig).name} after {delay * 1000:.0f} ms")
        problems = []
        if status in (-sig, 128 + sig):
            stopped[sig] += 1
        elif status != 0:
            problems.append(f"exit status {status}")
        elif sent and sig != signal.SIGKILL and delay < durations[operation] * 0.2:
            problems.append("finished as if the signal had not come")
        catchable = sig != signal.SIGKILL and status != 0
        problems += bench.check_stop(operation, folder, cleaned_up_itself=catchable,
                                     pid=process.pid)
        failures += [f"{label}: {p}" for p in problems]
    counts = ", ".join(f"{signal.Signals(s).name} {n}" for s, n in stopped.items())
    return (f"seed {args.seed}: {args.trials} trials, stopped mid-run: {counts}; "
            f"plain bytes left for the next run to wipe: {bench.left_for_next_run}")


def kill_points(bench, args, failures):
    """SIGKILL at every Nth call of each kind; returns the summary line."""
    runs = 0
    for operation in OPERATIONS:
        for call in args.kill_calls.split(","):
            for n in range(1, 2000):
                relative = n % 2 == 0
                folder, command = bench.prepare(operation, relative)
                hit_file = os.path.join(bench.root, "hit")
                if os.path.exists(hit_file):
                    os.remove(hit_file)
                env = {"LD_PRELOAD": os.path.abspath(args.shim), "FAULT_CALL": call,
                       "FAULT_N": str(n), "FAULT_KILL": "1", "FAULT_REPORT": hit_file,
                       "FAULT_ONLY": f"{folder}/:{bench.data}/"}
                bench.cli.run(command, env, cwd=folder if relative else None)
                runs += 1
                if not os.path.exists(hit_file):
                    break
                how = " (relative paths)" if relative else ""
                failures += [f"{operation}{how} killed at {call} #{n}: {p}"
                             for p in bench.check_stop(operation, folder, cleaned_up_itself=False)]
    return (f"{runs} runs killed at a file call; plain bytes left for the next run to wipe: "
            f"{bench.left_for_next_run}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--trials", type=int, default=36)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--signals", default="KILL,INT,TERM,HUP")
    parser.add_argument("--shim")
    parser.add_argument("--kill-calls", default="open,write,fsync,rename,unlink")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    markers = make_markers(rng)
    failures = []
    summaries = []
    with tempfile.TemporaryDirectory() as root:
        if args.trials > 0:
            # Files large enough for a signal to land in the middle of a transfer.
            originals = {
                "letter.txt": marked(os.urandom(16 << 20), markers),
                "photo.JPG": marked(os.urandom(4 << 20), markers),
                "notes": marked(os.urandom(5000), markers),
                "empty": b"",
            }
            summaries.append(random_moments(Bench(args.cli, root, originals, markers), args, rng,
                                            failures))
        if args.shim:
            # Small files: every call is a kill point, so few calls keep it short.
            originals = {
                "letter.txt": marked(os.urandom(300_000), markers),
                "photo.JPG": marked(os.urandom(70_000), markers),
                "empty": b"",
            }
            with tempfile.TemporaryDirectory() as small:
                summaries.append(kill_points(Bench(args.cli, small, originals, markers), args,
                                             failures))
    return report(failures, "; ".join(summaries))


if __name__ == "__main__":
    sys.exit(main())
