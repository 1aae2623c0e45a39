#!/usr/bin/env python3
"""Stops the desktop program with a signal while it opens a large encrypted
file named on its command line (a picture on the "&Viewer" page, a letter on
the "&Launcher" page), and checks that it ends by the signal and leaves no
plain byte of the file anywhere: not in the file's folder, not in
TempFolder, not in the data folder.

The program runs headless (offscreen) in private folders, with a helper
preloaded that types the password into its dialog and closes message boxes
(window_answerer). Moments: while the password dialog waits for an answer,
as the decryption starts, in the middle of it, while the picture is being
loaded, once the picture is shown, and while the launcher asks whether to
open the restored letter. SIGKILL trials check that the next start of the
program wipes what the killed one left.

usage: window_signals.py VEILSTORE ANSWERER CLI [--trials N] [--seed S]
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from reliability_common import (PASSWORD, Cli, bmp, container_name, files_holding, make_markers,
                                marked, read, report, write)

# (file, moment, signal, seconds into the moment) of the trials run every
# time; --trials adds random ones. The picture opens on the "&Viewer" page,
# the letter on the "&Launcher" page ("letter here": named relative to its
# folder, by a program started there).
FIXED_TRIALS = [("picture", "dialog", signal.SIGTERM, 0.3),
                ("picture", "transfer", signal.SIGTERM, 0),
                ("picture", "transfer", signal.SIGINT, 0.02),
                ("picture", "transfer", signal.SIGHUP, 0.04),
                ("picture", "loading", signal.SIGTERM, 0),
                ("picture", "shown", signal.SIGTERM, 0.3),
                ("letter", "transfer", signal.SIGTERM, 0),
                ("letter", "question", signal.SIGTERM, 0.3),
                ("picture", "transfer", signal.SIGKILL, 0.03),
                ("picture", "loading", signal.SIGKILL, 0),
                ("letter", "question", signal.SIGKILL, 0.3),
                ("letter here", "question", signal.SIGKILL, 0.3)]
END_WITHIN = 15  # seconds


class Program:
    def __init__(self, binary, answerer, root):
        self.binary = os.path.abspath(binary)
        self.root = root
        self.folders = {name: os.path.join(root, name)
                        for name in ("home", "config", "data", "dirs", "runtime")}
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen",
                        LD_PRELOAD=os.path.abspath(answerer),
                        HOME=self.folders["home"], XDG_CONFIG_HOME=self.folders["config"],
                        XDG_DATA_HOME=self.folders["data"], XDG_DATA_DIRS=self.folders["dirs"],
                        XDG_RUNTIME_DIR=self.folders["runtime"],
                        ANSWER_LOG=os.path.join(root, "log"))
        self.temp = os.path.join(self.folders["runtime"], "veilstore", "TEMP")
        self.pending = os.path.join(self.folders["data"], "veilstore", "PENDING")

    def reset(self):
        for folder in self.folders.values():
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder, mode=0o700)
        if os.path.exists(self.env["ANSWER_LOG"]):
            os.remove(self.env["ANSWER_LOG"])

    def start(self, args, answer=True, cwd=None):
        env = dict(self.env, ANSWER_PASSWORD=PASSWORD) if answer else self.env
        return subprocess.Popen([self.binary] + args, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=cwd)

    def log(self):
        path = self.env["ANSWER_LOG"]
        return read(path).decode(errors="replace").splitlines() if os.path.exists(path) else []

    def temp_files(self):
        return sorted(os.listdir(self.temp)) if os.path.isdir(self.temp) else []

    def records(self):
        return sorted(os.listdir(self.pending)) if os.path.isdir(self.pending) else []


def wait_for(condition, seconds=END_WITHIN):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.0005)
    return False


def gauge_rises(log):
    """How often the gauge went up from 0."""
    rises, at_zero = 0, True
    for line in log:
        if line.startswith("gauge "):
            value = int(line.split()[1])
            rises += at_zero and value > 0
            at_zero = value == 0
    return rises


def reach(program, moment, settle, folder):
    """Waits until the program is at the moment, and then settle seconds more;
    false if it never got there. A decryption writes into folder (None: into
    memory)."""
    if moment in ("dialog", "question"):
        asked = "password asked" if moment == "dialog" else "question asked"
        reached = wait_for(lambda: asked in program.log())
    elif moment == "transfer" and folder is not None:
        reached = wait_for(lambda: os.path.isdir(folder) and
                           any(n.endswith(".~tx") for n in os.listdir(folder)))
    elif moment in ("transfer", "loading"):
        # A picture is decrypted into memory and then decoded; each moves the
        # gauge from 0, so the decode is the gauge's second rise.
        rises = 1 if moment == "transfer" else 2
        reached = wait_for(lambda: gauge_rises(program.log()) >= rises)
    else:  # shown: the information line names the picture, and the window is idle
        reached = wait_for(lambda: any(line.startswith("status ") and " bytes" in line
                                       for line in program.log()))
    time.sleep(settle)
    return reached


def trial(program, container, data, markers, moment, sig, settle, left_by_kills, here):
    program.reset()
    folder = os.path.dirname(container)
    shutil.rmtree(folder)
    os.makedirs(folder)
    write(container, data)
    process = program.start([os.path.basename(container) if here else container],
                            answer=moment != "dialog", cwd=folder if here else None)
    problems = []
    writes_into = None if container.endswith(".vlp") else folder
    reached = reach(program, moment, settle, writes_into)
    if process.poll() is not None:
        return [f"ended by itself (status {process.returncode}) before the signal"]
    if not reached:
        problems.append("never reached the moment")
    process.send_signal(sig)
    if os.environ.get("WINDOW_SIGNALS_VERBOSE"):
        files = [os.path.join(f, n) for f in (program.temp, folder) if os.path.isdir(f)
                 for n in os.listdir(f)]
        print(moment, signal.Signals(sig).name, "at the signal:",
              {os.path.basename(f): os.path.getsize(f) for f in files if os.path.isfile(f)})
    try:
        status = process.wait(timeout=END_WITHIN)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return problems + [f"still running {END_WITHIN} s after the signal"]
    if status not in (-sig, 128 + sig):
        problems.append(f"exit status {status}")
    if sig == signal.SIGKILL:
        # The next start of the window (elsewhere) wipes what the killed one left.
        left_by_kills.append(bool(files_holding(markers, [folder, program.temp],
                                                os.path.join(program.root, "markers"))))
        later = program.start([])
        if not wait_for(lambda: not program.temp_files() and not program.records()):
            problems.append("the next start did not wipe what the kill left")
        later.send_signal(signal.SIGTERM)
        later.wait(timeout=END_WITHIN)
    roots = [folder] + list(program.folders.values())
    problems += [f"plain bytes left in {os.path.relpath(p, program.root)}"
                 for p in files_holding(markers, roots, os.path.join(program.root, "markers"))]
    problems += [f"{name} left in TempFolder" for name in program.temp_files()]
    problems += [f"{name} left beside the container"
                 for name in os.listdir(folder) if name != os.path.basename(container)]
    problems += [f"pending record {name} left" for name in program.records()]
    if read(container) != data:
        problems.append("the container changed")
    problems += [f"told the user: {line}" for line in program.log() if line.startswith("message")]
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("veilstore")
    parser.add_argument("answerer")
    parser.add_argument("cli")
    parser.add_argument("--trials", type=int, default=0, help="random trials beside the fixed ones")
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    rng = random.Random(args.seed)
    markers = make_markers(rng)
    failures = []
    left_by_kills = []
    trials = list(FIXED_TRIALS)
    catchable = [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]
    for _ in range(args.trials):
        kind, moment = rng.choice([("picture", "transfer"), ("picture", "loading"),
                                   ("picture", "shown"), ("letter", "transfer"),
                                   ("letter", "question")])
        settle = rng.uniform(0, 0.1 if moment == "transfer" else 0.3)
        trials.append((kind, moment, rng.choice(catchable), settle))
    with tempfile.TemporaryDirectory() as root:
        # Large enough for the decryption to take a while; each in a folder of its own.
        plain = {"picture": ("beach.bmp", bmp(2800, 2800, markers)),
                 "letter": ("report.txt", marked(os.urandom(24 << 20), markers))}
        cli = Cli(args.cli, root)
        containers = {}
        for kind, (name, data) in plain.items():
            folder = os.path.join(root, kind)
            os.makedirs(folder)
            write(os.path.join(folder, name), data)
            made = cli.run(["encrypt", "--password-file", cli.password_file,
                            os.path.join(folder, name)])
            assert made.returncode == 0, made.stderr
            container = os.path.join(folder, container_name(name))
            containers[kind] = (container, read(container))
        program = Program(args.veilstore, args.answerer, os.path.join(root, "program"))
        for kind, moment, sig, settle in trials:
            container, data = containers[kind.split()[0]]
            problems = trial(program, container, data, markers, moment, sig, settle, left_by_kills,
                             here=kind.endswith(" here"))
            label = f"{signal.Signals(sig).name} {kind} {moment} +{settle * 1000:.0f} ms"
            failures += [f"{label}: {p}" for p in problems]
    return report(failures, f"seed {args.seed}: {len(trials)} trials of the window stopped by a "
                            f"signal; {sum(left_by_kills)} of {len(left_by_kills)} kills left a "
                            "plain copy for the next start to wipe")


if __name__ == "__main__":
    sys.exit(main())
