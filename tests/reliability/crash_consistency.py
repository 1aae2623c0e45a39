#!/usr/bin/env python3
"""Stops veilstore-cli in the middle of an encrypt, decrypt or wipe and checks
what is left.

Random moments: SIGKILL, SIGINT, SIGTERM or SIGHUP after a random delay
spread over the whole run. Kill points (with --shim): the fault shim kills
the process with SIGKILL at the Nth open, write, fsync, rename or unlink, for
every N the run reaches.

Both are done over classic containers, and then over sealed ones (encrypt
--strong, and the decryption of sealed containers; the wipe is the same):
--sealed-trials random moments, and the kill points over one small file, as
every sealed run pays a key derivation. A batch of --batch-files small files,
which is committed in groups, gets --batch-trials random moments (SIGKILL and
SIGINT) and kill points at every flush and at every --batch-stride-th other
call.

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

usage: crash_consistency.py CLI [--trials N] [--sealed-trials N] [--seed S]
                                [--batch-trials N] [--batch-files N] [--batch-stride N]
                                [--signals KILL,INT,...] [--no-sealed]
                                [--shim SHIM [--kill-calls open,write,...]]
"""

import argparse
import os
import random
import signal
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

from reliability_common import (Cli, report, check_decrypt, check_encrypt, check_wipe,
                                container_name, fresh_folder, is_sealed, make_markers, marked,
                                plain_leftovers, read)

SIGNALS = {"KILL": signal.SIGKILL, "INT": signal.SIGINT, "TERM": signal.SIGTERM,
           "HUP": signal.SIGHUP}
OPERATIONS = ("encrypt", "decrypt", "wipe")


class Bench:
    """The test's folders, the marked originals and their containers, of the
    classic or the sealed kind."""

    def __init__(self, cli_path, root, originals, markers, sealed=False, containers=None,
                 kind=None):
        """Makes the containers, or takes those of another bench."""
        self.root = root
        self.sealed = sealed
        self.kind = kind if kind is not None else (" sealed" if sealed else "")
        self.strong = ["--strong"] if sealed else []
        self.cli = Cli(cli_path, root)
        self.data = os.path.join(root, "xdg")
        self.scratch = os.path.join(root, "scratch")
        self.markers_file = os.path.join(root, "markers")
        self.originals = originals
        self.markers = markers
        self.left_for_next_run = 0
        self.containers = containers
        if containers is not None:
            return
        folder = fresh_folder(root, originals)
        made = self.cli.run(["encrypt"] + self.strong + ["--password-file", self.cli.password_file] +
                            sorted(os.path.join(folder, n) for n in originals))
        assert made.returncode == 0, made.stderr
        self.containers = {container_name(n): read(os.path.join(folder, container_name(n)))
                           for n in originals}
        assert all(is_sealed(os.path.join(folder, n)) == sealed for n in self.containers)

    def twin(self, root):
        """A bench of the same files and containers in folders of its own."""
        return Bench(self.cli.binary, root, self.originals, self.markers, self.sealed,
                     self.containers, self.kind)

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
        if operation == "encrypt":
            return folder, ["encrypt"] + self.strong + ["--password-file", self.cli.password_file] + paths
        return folder, ["decrypt", "--password-file", self.cli.password_file] + paths

    def lost_or_broken(self, operation, folder):
        if operation == "encrypt":
            return check_encrypt(self.cli, folder, self.originals, self.scratch, after_crash=True,
                                 sealed=self.sealed)
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


def random_moments(bench, operations, trials, args, rng, failures, signal_names=None):
    """Signals after random delays; returns the summary line."""
    signals = [SIGNALS[s] for s in (signal_names or args.signals).split(",")]
    # How long a whole run takes at best, so signals spread over all of it.
    durations = {}
    for operation in operations:
        for _ in range(2 if bench.sealed else 3):
            _, command = bench.prepare(operation)
            start = time.monotonic()
            bench.cli.run(command)
            took = time.monotonic() - start
            durations[operation] = min(durations.get(operation, took), took)
    # A sealed run spends most of its time deriving the key before the first
    # byte moves: half the sealed trials' signals come after that.
    derivation = 0
    if bench.sealed:
        folder = fresh_folder(bench.root, {"tiny": b"x"})
        start = time.monotonic()
        bench.cli.run(["encrypt", "--strong", "--password-file", bench.cli.password_file,
                       os.path.join(folder, "tiny")])
        derivation = time.monotonic() - start
    stopped = {s: 0 for s in signals}
    for trial in range(trials):
        operation = operations[trial % len(operations)]
        sig = signals[(trial // len(operations)) % len(signals)]
        # Every other trial names the files relative to the folder and runs
        # there; the next run always runs elsewhere.
        relative = trial % 2 == 1
        folder, command = bench.prepare(operation, relative)
        earliest = derivation if rng.random() < 0.5 else 0
        delay = rng.uniform(min(earliest, durations[operation]), durations[operation] * 1.1)
        process = bench.cli.popen(command, cwd=folder if relative else None)
        time.sleep(delay)
        sent = process.poll() is None
        if sent:
            process.send_signal(sig)
        status = process.wait()
        label = (f"trial {trial}{bench.kind} {operation}"
                 f"{' (relative paths)' if relative else ''} "
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
    return (f"{trials}{bench.kind} trials, stopped mid-run: {counts}; "
            f"plain bytes left for the next run to wipe: {bench.left_for_next_run}")


def kill_points(bench, operations, args, failures, calls=None, stride=1):
    """SIGKILL at every Nth call of each kind (every stride-th but for the
    flushes); returns the summary line. The kinds of call go through their
    kill points side by side (--jobs), each on a bench of its own, with its
    own data folder."""

    def one_kind(operation, call):
        root = os.path.join(bench.root, f"{operation} {call}")
        os.makedirs(root)
        task = bench.twin(root)
        problems, runs = [], 0
        # The records in the data folder are written alike for both kinds of
        # container; classic runs stop at their calls, sealed ones do not.
        only = f"{{folder}}/" if bench.sealed else f"{{folder}}/:{task.data}/"
        if call == "fsync":
            only += ":{folder}"  # the folder's own flushes count too
        step = 1 if call == "fsync" else stride
        for n in range(1 + (step - 1) // 2, 20000, step):
            relative = n % 2 == 0
            folder, command = task.prepare(operation, relative)
            hit_file = os.path.join(task.root, "hit")
            if os.path.exists(hit_file):
                os.remove(hit_file)
            env = {"LD_PRELOAD": os.path.abspath(args.shim), "FAULT_CALL": call,
                   "FAULT_N": str(n), "FAULT_KILL": "1", "FAULT_REPORT": hit_file,
                   "FAULT_ONLY": only.format(folder=folder)}
            task.cli.run(command, env, cwd=folder if relative else None)
            runs += 1
            if not os.path.exists(hit_file):
                break
            how = bench.kind + (" (relative paths)" if relative else "")
            problems += [f"{operation}{how} killed at {call} #{n}: {p}"
                         for p in task.check_stop(operation, folder, cleaned_up_itself=False)]
        return problems, runs, task.left_for_next_run

    kinds = [(operation, call) for operation in operations
             for call in (calls or args.kill_calls).split(",")]
    with ThreadPoolExecutor(max(1, args.jobs)) as pool:
        results = list(pool.map(lambda kind: one_kind(*kind), kinds))
    failures += sorted(p for problems, _, _ in results for p in problems)
    return (f"{sum(r[1] for r in results)}{bench.kind} runs killed at a "
            f"file call; plain bytes left for the next run to wipe: {sum(r[2] for r in results)}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--trials", type=int, default=36)
    parser.add_argument("--sealed-trials", type=int, default=8)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--signals", default="KILL,INT,TERM,HUP")
    parser.add_argument("--no-sealed", action="store_true", help="classic containers only")
    parser.add_argument("--shim")
    parser.add_argument("--kill-calls", default="open,write,fsync,rename,unlink")
    parser.add_argument("--batch-trials", type=int, default=6)
    parser.add_argument("--batch-files", type=int, default=100)
    parser.add_argument("--batch-stride", type=int, default=199,
                        help="kill a batch at every Nth call but the flushes")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                        help="kinds of kill point gone through at a time")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    markers = make_markers(rng)
    failures = []
    summaries = [f"seed {args.seed}"]
    kinds = [False] if args.no_sealed else [False, True]
    with tempfile.TemporaryDirectory() as root:
        for sealed in kinds:
            trials = args.sealed_trials if sealed else args.trials
            if trials <= 0:
                continue
            # Files large enough for a signal to land in the middle of a transfer.
            originals = {
                "letter.txt": marked(os.urandom(16 << 20), markers),
                "photo.JPG": marked(os.urandom(4 << 20), markers),
                "notes": marked(os.urandom(5000), markers),
                "empty": b"",
            }
            with tempfile.TemporaryDirectory(dir=root) as folder:
                bench = Bench(args.cli, folder, originals, markers, sealed)
                summaries.append(random_moments(bench, OPERATIONS[:2] if sealed else OPERATIONS,
                                                trials, args, rng, failures))
        for sealed in kinds if args.shim else []:
            # Small files: every call is a kill point, so few calls keep it
            # short; a sealed run, which pays a key derivation, over one file
            # of two messages.
            originals = {"photo.JPG": marked(os.urandom(70_000), markers)}
            if not sealed:
                originals.update({"letter.txt": marked(os.urandom(300_000), markers), "empty": b""})
            with tempfile.TemporaryDirectory(dir=root) as folder:
                bench = Bench(args.cli, folder, originals, markers, sealed)
                summaries.append(kill_points(bench, OPERATIONS[:2] if sealed else OPERATIONS,
                                             args, failures))
        if args.batch_trials > 0:
            # Many small files, committed in groups: stopped anywhere, each
            # file is untouched or done.
            originals = {f"f{i:03}.txt": marked(os.urandom(4096), markers)
                         for i in range(args.batch_files)}
            with tempfile.TemporaryDirectory(dir=root) as folder:
                bench = Bench(args.cli, folder, originals, markers, kind=" batch")
                summaries.append(random_moments(bench, OPERATIONS, args.batch_trials, args, rng,
                                                failures, "KILL,INT"))
                if args.shim:
                    summaries.append(kill_points(bench, OPERATIONS, args, failures,
                                                 "fsync,rename,unlink,write", args.batch_stride))
    return report(failures, "; ".join(summaries))


if __name__ == "__main__":
    sys.exit(main())
