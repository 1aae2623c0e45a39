#!/usr/bin/env python3
"""Makes the Nth call of open, read, write, fsync, rename or unlink fail (or a
read return corrupted bytes) for every N until the run no longer reaches the
fault, and checks each time that the user was told, nothing was lost and no
stray output or plain copy was left.

Without --window: a whole encrypt, decrypt and wipe of a few files with the
command line. With --window DRIVER: the window's flows through
window_driver (a view on the "&Viewer" page, a slide show over two pictures,
a launch answered Yes and one answered No); there each run is also checked
for password bytes left in WorkBuffer, and whatever plain copy a run leaves
must be gone after the next start of the window.

usage: fault_injection.py CLI SHIM [--calls open,read,...] [--window DRIVER]
"""

import argparse
import functools
import os
import random
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

from reliability_common import (PASSWORD, Cli, report, check_decrypt, check_encrypt, check_wipe,
                                container_name, bmp, files_holding, fresh_folder, is_sealed,
                                make_markers, marked, read, sample_files, write)

ERRNOS = ["ENOSPC", "EIO", "EACCES"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("shim")
    parser.add_argument("--calls", default="open,read,write,fsync,rename,unlink")
    parser.add_argument("--window")
    parser.add_argument("--no-sealed", action="store_true", help="classic containers only")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                        help="runs at a time (each kind of fault goes through its positions "
                             "in order, in a folder of its own)")
    args = parser.parse_args()
    if args.window:
        return window_flows(args)

    rng = random.Random(7)
    tasks = []
    with tempfile.TemporaryDirectory() as root:
        tasks += fault_tasks(args, os.path.join(root, "classic"), sample_files(rng),
                             ("encrypt", "decrypt", "wipe"), False)
        if not args.no_sealed:
            # Every sealed run pays a key derivation, so one file keeps the
            # number of call positions small; of two messages, so that a
            # fault can strike after plain bytes were written. The wipe is
            # the same for both kinds and runs above.
            tasks += fault_tasks(args, os.path.join(root, "sealed"),
                                 {"photo.JPG": os.urandom(int(os.environ.get("SEALED_SIZE", "70000")))}, ("encrypt", "decrypt"), True)
        with ThreadPoolExecutor(max(1, args.jobs)) as pool:
            results = list(pool.map(lambda task: task(), tasks))
    failures = sorted(f for result in results for f in result["failures"])
    total = lambda key: sum(result.get(key, 0) for result in results)
    summary = f"{total('runs')} runs with an injected fault"
    if not args.no_sealed:
        summary += (f", {total('sealed runs')} of them over sealed containers; corrupted writes "
                    f"of a sealed container caught by the read-back check: {total('caught')}, "
                    f"refused by decryption when written without the check: {total('refused')}")
    return report(failures, summary)


def fault_tasks(args, root, originals, operations, sealed):
    """The containers of the files, made once, and a task for the short reads
    and one for each operation and kind of fault, each returning its
    failures and counts."""
    os.makedirs(root)
    cli = Cli(args.cli, root)
    strong = ["--strong"] if sealed else []
    folder = fresh_folder(root, originals)
    made = cli.run(["encrypt"] + strong + ["--password-file", cli.password_file] +
                   [os.path.join(folder, n) for n in originals])
    assert made.returncode == 0, made.stderr
    containers = {container_name(n): read(os.path.join(folder, container_name(n)))
                  for n in originals}
    assert all(is_sealed(os.path.join(folder, n)) == sealed for n in containers)

    def short_reads_task():
        task_root = os.path.join(root, "short reads")
        os.makedirs(task_root)
        return {"failures": short_reads(Cli(args.cli, task_root), args.shim, task_root,
                                        originals, containers, sealed),
                "runs": 2, "sealed runs": 2 * sealed}

    kinds = [(call, False) for call in args.calls.split(",")] + [("read", True), ("write", True)]
    tasks = [short_reads_task]
    for operation in operations:
        for call, corrupt in kinds:
            task_root = os.path.join(root, f"{operation} {call}{' corrupt' if corrupt else ''}")
            tasks.append(functools.partial(fault_positions, args, task_root, originals,
                                           containers, sealed, operation, call, corrupt))
    return tasks


def fault_positions(args, root, originals, containers, sealed, operation, call, corrupt):
    """The fault at the 1st, 2nd, ... call of its kind until the run no
    longer reaches it."""
    os.makedirs(root)
    cli = Cli(args.cli, root)  # with a data folder of its own
    scratch = os.path.join(root, "scratch")
    strong = ["--strong"] if sealed else []
    commands = {
        "encrypt": lambda p: ["encrypt"] + strong + ["--password-file", cli.password_file] + p,
        "decrypt": lambda p: ["decrypt", "--password-file", cli.password_file] + p,
        "wipe": lambda p: ["wipe", "--yes"] + p,
    }
    result = {"failures": [], "runs": 0, "sealed runs": 0, "caught": 0, "refused": 0}
    failures = result["failures"]
    for n in range(1, 500):
        folder = fresh_folder(root, originals if operation != "decrypt" else containers)
        paths = [os.path.join(folder, t) for t in sorted(os.listdir(folder))]
        hit_file = os.path.join(root, "hit")
        if os.path.exists(hit_file):
            os.remove(hit_file)
        env = {"LD_PRELOAD": args.shim, "FAULT_CALL": call, "FAULT_N": str(n),
               "FAULT_ERRNO": ERRNOS[n % 3], "FAULT_ONLY": folder + "/", "FAULT_REPORT": hit_file}
        if corrupt:
            # A corrupted write stands for a disk that does not keep what it
            # was given: the read-back check must see it before the source goes.
            env["FAULT_CORRUPT"] = "1"
        run = cli.run(commands[operation](paths), env)
        result["runs"] += 1
        result["sealed runs"] += sealed
        label = (f"{'sealed ' if sealed else ''}{operation} {call}{' corrupt' if corrupt else ''}"
                 f" #{n} {env['FAULT_ERRNO']}")
        if run.returncode != 0 and b"veilstore-cli:" not in run.stderr:
            failures.append(f"{label}: failed without saying why")
        if operation == "encrypt":
            problems = check_encrypt(cli, folder, originals, scratch, sealed=sealed)
        elif operation == "decrypt":
            problems = check_decrypt(cli, folder, originals, containers, scratch)
        else:
            problems = check_wipe(folder, originals)
        failures += [f"{label}: {p}" for p in problems]
        if not os.path.exists(hit_file):
            break
        written = read(hit_file).decode(errors="replace").split("\n")[1]
        if sealed and operation == "encrypt" and call == "write" and corrupt and \
                written.endswith(".~tx"):
            problems = corrupted_container(cli, run, root, written, originals, env, commands,
                                           result)
            failures += [f"{label}: {p}" for p in problems]
            result["runs"] += 1
            result["sealed runs"] += 1
    return result


def corrupted_container(cli, run, root, written, originals, env, commands, counts):
    """A byte of a sealed container changed on its way to the disk: the
    read-back check must refuse it, with the plain file kept and no container
    left. Then the same run without the check: the container is placed and
    the source wiped, and decryption must refuse the container (no wrong
    bytes)."""
    problems = []
    stem = os.path.basename(written)[:-len(".~tx")]
    name = next(n for n in originals if os.path.splitext(container_name(n))[0] == stem)
    folder = os.path.dirname(written)
    plain, container = os.path.join(folder, name), os.path.join(folder, container_name(name))
    if run.returncode == 0 or f"{stem}.~tx".encode() not in run.stderr:
        problems.append(f"the read-back check let the container of {name} through: "
                        f"{run.stderr.decode(errors='replace')!r}")
    if not os.path.exists(plain) or read(plain) != originals[name]:
        problems.append(f"{name} was not kept whole")
    if os.path.exists(container):
        problems.append(f"{container_name(name)} was placed")
    counts["caught"] += not problems

    folder = fresh_folder(root, originals)
    paths = [os.path.join(folder, n) for n in sorted(originals)]
    unchecked = cli.run(commands["encrypt"](["--no-verify"] + paths),
                        dict(env, FAULT_ONLY=folder + "/"))
    container = os.path.join(folder, container_name(name))
    if unchecked.returncode != 0 or not os.path.exists(container):
        problems.append(f"without the check the run failed: {unchecked.stderr!r}")
    elif cli.decrypt_copies([container], os.path.join(root, "scratch"))[container] is not None:
        problems.append("without the check the corrupted container decrypted")
    else:
        counts["refused"] += 1
    return problems


def short_reads(cli, shim, root, originals, containers, sealed):
    """Reads that return at most 1000 bytes at a time must not move the
    segment or message boundaries: a container made that way is the same
    container (of the same size, for a sealed one, whose salt and stream
    header are random), and decrypting under them gives the same plain
    files."""
    failures = []
    folder = fresh_folder(root, originals)
    paths = [os.path.join(folder, n) for n in sorted(originals)]
    env = {"LD_PRELOAD": shim, "FAULT_SHORT_READ": "1000", "FAULT_ONLY": folder + "/"}
    strong = ["--strong"] if sealed else []
    made = cli.run(["encrypt"] + strong + ["--password-file", cli.password_file] + paths, env)
    if made.returncode != 0:
        return [f"short reads: encryption failed: {made.stderr!r}"]
    for name in containers:
        # The header's filler is random; the name, key and contents are not.
        ours, theirs = read(os.path.join(folder, name)), containers[name]
        if len(ours) != len(theirs) or (not sealed and ours[255:] != theirs[255:]):
            failures.append(f"short reads: {name} differs from the one read whole")
    # A sealed container made under short reads is decrypted under them too.
    if not sealed:
        folder = fresh_folder(root, containers)
    env["FAULT_ONLY"] = folder + "/"
    restored = cli.run(["decrypt", "--password-file", cli.password_file] +
                       [os.path.join(folder, n) for n in sorted(containers)], env)
    if restored.returncode != 0:
        failures.append(f"short reads: decryption failed: {restored.stderr!r}")
    for name, data in originals.items():
        path = os.path.join(folder, name)
        if not os.path.exists(path) or read(path) != data:
            failures.append(f"short reads: {name} did not come back whole")
    return failures


REMINDER = "Dont't forget to re-encrypt the file."
# flow: (the driver's flow, the containers it opens, the answer to the
# question, what the driver says when the flow went through)
WINDOW_FLOWS = {
    "view": ("view", ["beach.vlp"], [], lambda out: out.get("shown") == ["1"]),
    "slides": ("slides", ["beach.vlp", "rocks.vlp"], [], lambda out: out.get("shown") == ["2"]),
    "launch yes": ("launch", ["report.vld"], ["yes"],
                   lambda out: REMINDER in out.get("message", [])),
    "launch no": ("launch", ["report.vld"], ["no"], lambda out: bool(out.get("question"))),
}


class Window:
    """Private desktop folders where a recording script opens ".letter"
    files, the marked plain files and their containers."""

    def __init__(self, driver, cli_path, root, markers):
        self.driver = driver
        self.root = root
        self.markers = markers
        self.home = {n: os.path.join(root, n)
                     for n in ("home", "config", "data", "dirs", "runtime")}
        for folder in self.home.values():
            os.makedirs(folder, mode=0o700)
        data, config = self.home["data"], self.home["config"]
        os.makedirs(os.path.join(data, "mime"))
        os.makedirs(os.path.join(data, "applications"))
        write(os.path.join(data, "mime", "globs2"), b"50:application/x-vls-letter:*.letter\n")
        self.record = os.path.join(root, "launched")
        recorder = os.path.join(root, "recorder.sh")
        write(recorder, f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{self.record}'\n".encode())
        os.chmod(recorder, 0o700)
        write(os.path.join(data, "applications", "vls-recorder.desktop"),
              f"[Desktop Entry]\nType=Application\nName=Recorder\nExec={recorder} %f\n"
              "MimeType=application/x-vls-letter;\n".encode())
        write(os.path.join(config, "mimeapps.list"),
              b"[Default Applications]\napplication/x-vls-letter=vls-recorder.desktop\n")
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen", GIO_USE_VFS="local",
                        HOME=self.home["home"], XDG_CONFIG_HOME=config, XDG_DATA_HOME=data,
                        XDG_DATA_DIRS=self.home["dirs"], XDG_RUNTIME_DIR=self.home["runtime"])
        self.own_data = os.path.join(data, "veilstore")  # WindowsFolder, with PENDING
        self.temp = os.path.join(self.home["runtime"], "veilstore", "TEMP")

        # Plain files small enough for one read each, marked every 4 KiB.
        self.originals = {
            "beach.bmp": bmp(160, 120, markers, every=4096),
            "rocks.bmp": bmp(120, 100, markers, every=4096),
            "report.letter": marked(os.urandom(40_000), markers, every=4096),
        }
        self.folder = fresh_folder(root, self.originals)
        cli = Cli(cli_path, root)
        made = cli.run(["encrypt", "--password-file", cli.password_file] +
                       [os.path.join(self.folder, n) for n in self.originals])
        assert made.returncode == 0, made.stderr
        self.containers = {container_name(n): read(os.path.join(self.folder, container_name(n)))
                           for n in self.originals}

    def fresh(self):
        """The folder with only the containers, and no state of earlier runs."""
        fresh_folder(self.root, self.containers)
        for folder in (self.own_data, os.path.dirname(self.temp)):
            shutil.rmtree(folder, ignore_errors=True)
        if os.path.exists(self.record):
            os.remove(self.record)

    def run(self, arguments, extra_env=None):
        """Runs the driver; returns its status and its lines by kind."""
        result = subprocess.run([self.driver, PASSWORD] + arguments, capture_output=True,
                                env=dict(self.env, **(extra_env or {})), stdin=subprocess.DEVNULL,
                                timeout=120)
        lines = {}
        for line in result.stdout.decode(errors="replace").splitlines():
            kind, _, text = line.partition(": ")
            lines.setdefault(kind, []).append(text)
        return result.returncode, lines

    def plain_left(self, allowed):
        roots = [self.folder, self.home["runtime"], self.own_data]
        return [os.path.relpath(p, self.root)
                for p in files_holding(self.markers, roots, os.path.join(self.root, "markers"))
                if p not in allowed]

    def state_left(self):
        """Files in TempFolder and pending records."""
        left = []
        for folder in (self.temp, os.path.join(self.own_data, "PENDING")):
            for base, _, names in os.walk(folder):
                left += [os.path.relpath(os.path.join(base, n), self.root) for n in names]
        return left

    def lost(self):
        """Containers neither intact nor restored intact beside themselves."""
        lost = []
        for name, data in self.originals.items():
            container = os.path.join(self.folder, container_name(name))
            plain = os.path.join(self.folder, name)
            intact = self.containers[container_name(name)]
            if os.path.exists(container) and read(container) == intact:
                continue
            if os.path.exists(plain) and read(plain) == data:
                continue
            lost.append(name)
        return lost


def window_flows(args):
    rng = random.Random(11)
    failures = []
    runs = 0
    counts = {"told": 0, "next start": 0}
    with tempfile.TemporaryDirectory() as root:
        window = Window(args.window, args.cli, root, make_markers(rng))
        kinds = [(call, False) for call in args.calls.split(",")] + [("read", True)]
        for flow, (driver_flow, files, answer, completed) in WINDOW_FLOWS.items():
            arguments = [driver_flow] + [os.path.join(window.folder, f) for f in files] + answer
            for call, corrupt in kinds:
                for n in range(1, 500):
                    window.fresh()
                    hit_file = os.path.join(root, "hit")
                    if os.path.exists(hit_file):
                        os.remove(hit_file)
                    # Calls on the folder, TempFolder and the data folder count.
                    only = f"{window.folder}/:{window.home['runtime']}/:{window.own_data}/"
                    env = {"LD_PRELOAD": args.shim, "FAULT_CALL": call, "FAULT_N": str(n),
                           "FAULT_ERRNO": ERRNOS[n % 3], "FAULT_REPORT": hit_file,
                           "FAULT_ONLY": only}
                    if corrupt:
                        env["FAULT_CORRUPT"] = "1"
                    status, out = window.run(arguments, env)
                    runs += 1
                    hit = os.path.exists(hit_file)
                    label = f"{flow} {call}{' corrupt' if corrupt else ''} #{n} {env['FAULT_ERRNO']}"
                    problems = check_window_run(window, status, out, completed(out), hit, corrupt,
                                                counts)
                    failures += [f"{label}: {p}" for p in problems]
                    if not hit:
                        break
    return report(failures, f"{runs} runs of the window's flows with an injected fault; "
                            f"{counts['told']} told the user of a failure, {counts['next start']} "
                            "left files for the next start")


def check_window_run(window, status, out, done, hit, corrupt, counts):
    """Problems of one run of the driver, and of the next start when the run
    left anything for it."""
    problems = []
    if status != 0 or "workbuffer" not in out:
        problems.append(f"the driver ended with status {status}")
    if out.get("workbuffer") not in (None, ["clean"]):
        problems.append("WorkBuffer holds bytes of the password")
    told = [m for m in out.get("message", []) if m != REMINDER]
    counts["told"] += bool(told)
    # A corrupted read fails nothing the flow can see; the data checks catch its harm.
    if hit and not done and not told and not corrupt:
        problems.append("the flow failed without telling the user")
    problems += [f"{name} lost" for name in window.lost()]
    # A file the user took (launched) is theirs; anything else must go.
    launched = REMINDER in out.get("message", [])
    allowed = [os.path.join(window.folder, "report.letter")] if launched else []
    left = window.plain_left(allowed)
    if left and not told:
        problems += [f"plain bytes left in {p} without a word" for p in left]
    if left or window.state_left():
        counts["next start"] += 1
        status, _ = window.run(["start"])
        if status != 0:
            problems.append(f"the next start ended with status {status}")
        problems += [f"after the next start: plain bytes left in {p}"
                     for p in window.plain_left(allowed)]
        problems += [f"after the next start: {p} left" for p in window.state_left()]
    return problems


if __name__ == "__main__":
    sys.exit(main())
