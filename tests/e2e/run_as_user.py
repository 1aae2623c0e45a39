"""Uses the installed veilstore as a user would, through its real window:
adds two files to the work list and encrypts them, clicks a container whose
name is a link to a local file (a wrong key: the box naming it must show the
markup as text, and clicks on it must open nothing), views the encrypted
picture, restores the encrypted text file with its associated program, and
finally opens the picture container the way a file manager does (gio open).
Each step leaves a screenshot; any step that does not show what it should
fails the run.

Runs inside a D-Bus session and an X server (scripts/e2e starts both), in a
temporary home prepared by scripts/e2e:
    run_as_user.py FILES_FOLDER SHOTS_FOLDER OPENER_LOG LINK_LOG
(OPENER_LOG: written by the test program for text files; LINK_LOG: every
link handed to xdg-open.)
"""

import hashlib
import os
import signal
import subprocess
import sys
import time
from pathlib import Path

from desktop import (Atspi, StepFailed, applications, click, click_file, extents, find,
                     find_all, focus_window, key, open_folder_in_tree, screenshot,
                     type_text, wait_for, xdotool)

MAIN_TITLE = "MORVANE Veilstore 32-bit v 3.3"
ENCRYPTION_TITLE = "MORVANE  Veilstore 32-bit v 2.7 *ENCRYPTION*"
DECRYPTION_TITLE = "MORVANE  Veilstore 32-bit v 2.7 *DECRYPTION*"
QUESTION_TITLE = "MORVANE  Veilstore 32-bit v 3.1 "
PICTURE_WINDOW_TITLE = "MORVANE Veilstore 32-bit v 3.3 *Resizable Window*"
PASSWORD = "e2e passphrase 42"
OTHER_PASSWORD = "not the e2e passphrase"


def applications_on_bus():
    desktop = Atspi.get_desktop(0)
    return [desktop.get_child_at_index(index) for index in range(desktop.get_child_count())]


def digest(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


def files_with_digest(folders, wanted):
    """Every regular file under folders whose content has this digest."""
    found = []
    for folder in folders:
        for place, _, names in os.walk(folder):
            for name in names:
                path = Path(place, name)
                if path.is_file() and not path.is_symlink() and digest(path) == wanted:
                    found.append(path)
    return found


class Run:
    def __init__(self, files, shots, opener_log, link_log):
        self.files = Path(files)
        self.shots = Path(shots)
        self.opener_log = Path(opener_log)
        self.link_log = Path(link_log)
        self.step = 0
        self.program = None
        self.app = None
        # Where a plain copy could be left behind: the user's home (the files
        # folder among it) and the private runtime folder.
        self.private_places = [Path(os.environ["HOME"]), Path(os.environ["XDG_RUNTIME_DIR"])]

    # -- the program ----------------------------------------------------------
    def start(self, command):
        before = len(applications("veilstore"))
        self.program = subprocess.Popen(command)
        self.app = wait_for("veilstore on the accessibility bus",
                            lambda: applications("veilstore")[before:]
                            and applications("veilstore")[-1])
        find(self.app, "filler", MAIN_TITLE)

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.send_signal(signal.SIGTERM)
            self.program.wait(timeout=10)
        self.program = self.app = None

    def folder_tree(self):
        return self.view("tree", lambda x, y: x == 0)

    def file_list(self):
        return self.view("list", lambda x, y: x == 0)

    def view(self, role, where):
        return wait_for(f"the {role} of the main window", lambda: next(
            (node for node in find_all(self.app, role) if where(*extents(node)[:2])), None))

    def status_label(self):
        label = find(self.app, "label", "Status:")
        _, row, _, _ = extents(label)
        return next((node for node in find_all(self.app, "label", visible=False)
                     if node.get_name() != "Status:" and extents(node)[1] == row), None)

    def status_line(self):
        label = self.status_label()
        return label.get_name() if label else ""

    def wait_status(self, what, test, timeout=30.0):
        return wait_for(f"{what} on the status line (it says \"{self.status_line()}\")",
                        lambda: test(self.status_line()), timeout)

    def enter_password(self, title, repeat):
        find(self.app, "dialog", title)
        focus_window(title)
        type_text(PASSWORD)
        if repeat:
            key("Tab")
            type_text(PASSWORD)

    def shot(self, name, what):
        self.step += 1
        path = self.shots / f"{self.step:02d}-{name}.png"
        screenshot(path)
        print(f"ok {self.step:02d} {what} ({path.name})", flush=True)

    def shown_files(self, *extensions):
        return [path.name for path in self.files.iterdir()
                if path.is_file() and path.suffix.lower() in extensions]

    def no_plain_copy(self, original_digest, what):
        left = files_with_digest(self.private_places, original_digest)
        if left:
            raise StepFailed(f"a plain copy of {what} was left: {', '.join(map(str, left))}")

    # -- the steps ------------------------------------------------------------
    def encrypt_two_files(self, notes, photo):
        self.start(["veilstore"])
        focus_window(MAIN_TITLE)
        self.shot("started", "the main window is up")

        open_folder_in_tree(self.folder_tree(), self.files)
        names = self.shown_files(".txt", ".png")
        click_file(self.file_list(), names, notes.name)
        click_file(self.file_list(), names, photo.name, modifier="ctrl")
        click(find(self.app, "push button", "Add"))
        self.wait_status("two files in the work list", lambda text: text.startswith("2 File(s)"))
        self.shot("work-list", "two files are in the work list")

        click(find(self.app, "push button", "OK"))
        self.enter_password(ENCRYPTION_TITLE, repeat=True)
        self.shot("encryption-password", "the password is typed twice")
        key("Return")
        wait_for("both containers", lambda: (self.files / "notes.vld").is_file()
                 and (self.files / "photo.vlp").is_file() and not notes.exists()
                 and not photo.exists())
        wait_for("the work list to empty", lambda: not find_all(self.app, "push button", "OK"))
        self.shot("encrypted", "both files are encrypted and their plain files gone")

    def cancel_long_encryption(self):
        """A 1 GiB encryption stopped with Escape: the window answers while it
        works, the source stays whole and no partial container is left."""
        big = self.files / "big.bin"
        with open(big, "wb") as out:
            for block in range(1024):
                out.write(block.to_bytes(4, "little") * (1 << 18))
        size = big.stat().st_size
        time.sleep(1)  # for the file list to see the new file
        names = [path.name for path in self.files.iterdir() if path.is_file()]
        click_file(self.file_list(), names, big.name)
        click(find(self.app, "push button", "Add"))
        self.wait_status("big.bin in the work list", lambda text: text.startswith("1 File(s)"))
        status = self.status_label()
        click(find(self.app, "push button", "OK"))
        self.enter_password(ENCRYPTION_TITLE, repeat=True)
        key("Return")
        wait_for("the encryption to write its container",
                 lambda: (self.files / "big.~tx").exists(), 10)
        # One question over the accessibility bus, answered by the window's
        # event loop while the work runs.
        start = time.monotonic()
        extents(status)
        answered = time.monotonic() - start
        line = status.get_name()
        if not line.startswith("Encrypting 1/1") or answered > 0.5:
            raise StepFailed(f"during the work the status line said \"{line}\" "
                             f"after {answered:.2f} s")
        self.shot("long-work", f"during a 1 GiB encryption the window answered in "
                               f"{answered * 1000:.0f} ms")
        key("Escape")
        told = find(self.app, None, "Information")
        find(told, "label", "Cancelled: 0 of 1 files encrypted.")
        left = sorted(path.name for path in self.files.iterdir() if path.name.startswith("big."))
        with open(big, "rb") as source:
            whole = all(source.read(1 << 20) == block.to_bytes(4, "little") * (1 << 18)
                        for block in range(1024)) and big.stat().st_size == size
        if left != ["big.bin"] or not whole:
            raise StepFailed(f"after the cancel: {left}, the source whole: {whole}")
        self.shot("cancelled", "Escape stopped it: big.bin whole, no container left")
        click(find(told, "push button", "OK"))
        big.unlink()

    def hostile_container(self):
        """A container made by someone else, named as a link to a file of the
        user's ("/" written as "&#47;", as it cannot be in a name). Shown as
        markup, its box would draw "holiday.vlp" as a link that opens the file
        with the user's text program."""
        home = Path(os.environ["HOME"])
        payload = home / "payload.txt"
        payload.write_text("opened through a link in a file name\n")
        target = "file://" + str(payload)
        plain = self.files / f'<a href="{target.replace("/", "&#47;")}">holiday.png'
        subprocess.run(["convert", "-size", "64x48", "xc:teal", str(plain)], check=True)
        password_file = home / "other-password"
        password_file.write_text(OTHER_PASSWORD + "\n")
        subprocess.run(["veilstore-cli", "encrypt", "--password-file", str(password_file),
                        str(plain)], check=True, stdout=subprocess.DEVNULL)
        password_file.unlink()
        container = plain.with_suffix(".vlp")
        if not container.is_file() or plain.exists():
            raise StepFailed(f"veilstore-cli did not make {container.name}")

        children = self.children()
        programs = len(applications_on_bus())
        click(find(self.app, "page tab", "Viewer"))
        click_file(self.file_list(), self.shown_files(".vlp"), container.name)
        self.enter_password(DECRYPTION_TITLE, repeat=False)
        key("Return")
        box = find(self.app, None, "Information")
        label = wait_for("the BAD KEY line", lambda: next(
            (node for node in find_all(box, "label") if node.get_name().startswith("BAD KEY! ")),
            None))
        shown = label.get_name().replace("\n", "")  # long words are broken over lines
        if shown != f"BAD KEY! {container}":
            raise StepFailed(f"the box says {shown!r}, not the container's name as it is")
        # Clicks over the first lines of the text, where a box taking markup
        # would draw the link.
        x, y, width, height = extents(label)
        for row in range(y + 6, y + min(height, 48), 12):
            for column in range(x + 4, x + width, 12):
                xdotool("mousemove", "--sync", column, row, "click", 1)
        time.sleep(2)  # a program started through a link would have written by now
        self.nothing_opened(children, programs)
        self.shot("hostile-name", "a container named as a link: its box shows the markup as "
                  "text, and clicks on it open nothing")
        click(find(box, "push button", "OK"))
        wait_for("the box to close", lambda: not find_all(self.app, None, "Information"))
        self.nothing_opened(children, programs)

    def nothing_opened(self, children, programs):
        if self.link_log.exists():
            raise StepFailed("the window followed a link: " + self.link_log.read_text())
        if self.opener_log.exists():
            raise StepFailed("the text program was started: " + self.opener_log.read_text())
        if self.children() != children:
            raise StepFailed(f"the program started {self.children() - children}")
        if len(applications_on_bus()) != programs:
            raise StepFailed("another program came up on the desktop")

    def children(self):
        found = subprocess.run(["pgrep", "-P", str(self.program.pid)], capture_output=True,
                               text=True).stdout.split()
        return set(found)

    def view_picture(self, photo_digest, photo_size):
        click(find(self.app, "page tab", "Viewer"))
        click_file(self.file_list(), self.shown_files(".vlp"), "photo.vlp")
        self.enter_password(DECRYPTION_TITLE, repeat=False)
        key("Return")
        expected = f"photo.png 320x240 {photo_size} bytes"
        self.wait_status("the picture's name, size and bytes", lambda text: text == expected)
        self.no_plain_copy(photo_digest, "the picture")
        self.shot("viewer", f"the picture is shown, the status line says \"{expected}\", "
                  "and no plain copy is left")

    def keyboard_viewing(self):
        """Three more pictures, viewed by keyboard alone on the Viewer page
        (End, Enter, then Page Up twice), and a fourth start of veilstore
        with a file, which hands it to the running window and ends."""
        home = Path(os.environ["HOME"])
        password_file = home / "password"
        password_file.write_text(PASSWORD + "\n")
        sizes = {}
        for number, colour in ((1, "red"), (2, "green"), (3, "blue")):
            plain = self.files / f"zeta{number}.png"
            subprocess.run(["convert", "-size", f"{60 + number}x40", f"xc:{colour}", str(plain)],
                           check=True)
            sizes[number] = plain.stat().st_size
            subprocess.run(["veilstore-cli", "encrypt", "--password-file", str(password_file),
                            str(plain)], check=True, stdout=subprocess.DEVNULL)
        password_file.unlink()
        time.sleep(1)  # for the file list to see the new files

        def shown(number):
            return f"zeta{number}.png {60 + number}x40 {sizes[number]} bytes"

        key("End")
        key("Return")
        # The key of the viewer may have lapsed; then it is asked again.
        asked = wait_for("the picture or the key's question", lambda: (
            find_all(self.app, "dialog", DECRYPTION_TITLE) or self.status_line() == shown(3)))
        if asked is not True:  # the dialogs found
            self.enter_password(DECRYPTION_TITLE, repeat=False)
            key("Return")
        self.wait_status("the last picture, opened by End and Enter", lambda t: t == shown(3))
        for number in (2, 1):
            key("Prior")
            self.wait_status(f"picture {number}, after Page Up", lambda t, n=number: t == shown(n))
        self.shot("keyboard-viewer", "End, Enter and Page Up twice showed three pictures in turn")

        windows = len(applications("veilstore"))
        handed = subprocess.run(["veilstore", str(self.files / "zeta2.vlp")], timeout=30,
                                capture_output=True)
        if handed.returncode != 0:
            raise StepFailed(f"the second start ended with {handed.returncode}: {handed.stderr!r}")
        self.wait_status("the handed-over picture in the running window", lambda t: t == shown(2))
        # The ended second start may stay listed on the accessibility bus a
        # moment longer.
        try:
            wait_for("the second start to leave the desktop",
                     lambda: len(applications("veilstore")) == windows, timeout=10)
        except StepFailed:
            raise StepFailed("the second start left a window of its own") from None
        self.shot("handed-over", "a second start handed zeta2.vlp to the running window and ended")

    def launch_text_file(self, notes_digest):
        click(find(self.app, "page tab", "Launcher"))
        click_file(self.file_list(), self.shown_files(".vlp", ".vld"), "notes.vld")
        # The key of the viewer may have lapsed; then it is asked again.
        question = wait_for("the key or the question to open the file", lambda: next(
            iter(find_all(self.app, "dialog", DECRYPTION_TITLE) +
                 find_all(self.app, "dialog", QUESTION_TITLE)), None))
        if question.get_name() == DECRYPTION_TITLE:
            self.enter_password(DECRYPTION_TITLE, repeat=False)
            key("Return")
        question = find(self.app, "dialog", QUESTION_TITLE)
        self.shot("launcher-question", "the launcher asks to open notes.txt with the test opener")
        click(find(question, "push button", "YES"))
        restored = self.files / "notes.txt"
        wait_for("the test opener to be started",
                 lambda: self.opener_log.is_file() and self.opener_log.read_text().strip())
        opened_path, opened_digest = self.opener_log.read_text().split("\n")[:2]
        if Path(opened_path) != restored or opened_digest != notes_digest:
            raise StepFailed(f"the opener got {opened_path} ({opened_digest}), "
                             f"not {restored} ({notes_digest})")
        # Once the user chose to open it, the restored file replaces the container.
        wait_for("notes.vld to be deleted", lambda: not (self.files / "notes.vld").exists())
        reminder = find(self.app, None, "Information")  # a message box is an "alert"
        find(reminder, "label", "Dont't forget to re-encrypt the file.")
        self.shot("launcher-reminder",
                  "notes.txt is restored and opened, notes.vld deleted, the user reminded")
        click(find(reminder, "push button", "OK"))
        self.stop()

    def open_from_file_manager(self, photo_digest):
        """A double-click in a file manager: gio picks the program from the
        package's desktop entry and file types."""
        before = len(applications("veilstore"))
        subprocess.run(["gio", "open", str(self.files / "photo.vlp")], check=True)
        self.app = wait_for("the program started by gio open",
                            lambda: applications("veilstore")[before:]
                            and applications("veilstore")[-1])
        self.enter_password(DECRYPTION_TITLE, repeat=False)
        key("Return")
        if not find_all(self.app, "panel", "Secure Viewer"):
            raise StepFailed("gio open did not start the program on the viewer page")
        self.wait_status("the picture's information", lambda text: text.startswith("photo.png"))
        wait_for("the picture window", lambda: find_all(self.app, "filler", PICTURE_WINDOW_TITLE)
                 or find_all(self.app, "frame", PICTURE_WINDOW_TITLE))
        self.no_plain_copy(photo_digest, "the picture")
        self.shot("gio-open", "gio open photo.vlp starts veilstore on the viewer page")
        pid = int(subprocess.run(["pgrep", "-n", "-x", "veilstore"], capture_output=True,
                                 text=True, check=True).stdout)
        os.kill(pid, signal.SIGTERM)


def main():
    files, shots, opener_log, link_log = sys.argv[1:5]
    run = Run(files, shots, opener_log, link_log)
    notes, photo = run.files / "notes.txt", run.files / "photo.png"
    notes_digest, photo_digest = digest(notes), digest(photo)
    photo_size = photo.stat().st_size
    Atspi.get_desktop(0)  # starts the accessibility bus before the program looks for it
    try:
        run.encrypt_two_files(notes, photo)
        run.cancel_long_encryption()
        run.hostile_container()
        run.view_picture(photo_digest, photo_size)
        run.keyboard_viewing()
        run.launch_text_file(notes_digest)
        run.open_from_file_manager(photo_digest)
    except StepFailed as failure:
        screenshot(run.shots / "failed.png")
        print(f"FAIL: {failure} (failed.png)", file=sys.stderr)
        run.stop()
        return 1
    print("all end-to-end steps passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
