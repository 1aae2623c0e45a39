"""Shared pieces of the reliability harnesses: sample files, running the
command line, and the check that no data was lost."""

import hashlib
import os
import shutil
import struct
import subprocess

PASSWORD = "reliable password"


def sample_files(rng):
    """Names and contents of the files every trial starts from."""
    return {
        "letter.txt": bytes(rng.getrandbits(8) for _ in range(10_000)),
        "photo.JPG": bytes(rng.getrandbits(8) for _ in range(70_000)),
        "empty": b"",
    }


def container_name(name):
    stem, dot, ext = name.rpartition(".")
    base = stem if dot else name
    picture = dot and ("." + ext).upper() in (".BMP", ".JPG", ".GIF", ".PNG", ".PCX", ".TIF", ".WMF")
    return base + (".vlp" if picture else ".vld")


class Cli:
    def __init__(self, binary, work):
        self.binary = os.path.abspath(binary)
        self.env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "xdg"), XDG_RUNTIME_DIR="")
        self.password_file = os.path.join(work, "pw")
        with open(self.password_file, "w") as out:
            out.write(PASSWORD + "\n")
        self.decrypted = {}  # SHA-256 of a container -> that of its plain bytes, or None

    def run(self, args, extra_env=None, timeout=60, cwd=None):
        env = dict(self.env, **(extra_env or {}))
        return subprocess.run([self.binary] + args, env=env, capture_output=True,
                              stdin=subprocess.DEVNULL, timeout=timeout, cwd=cwd)

    def popen(self, args, extra_env=None, cwd=None):
        env = dict(self.env, **(extra_env or {}))
        return subprocess.Popen([self.binary] + args, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=cwd)

    def decrypt_copies(self, containers, scratch):
        """The SHA-256 of the plain bytes each container holds, or None where
        it does not decrypt. The copies are decrypted in one run (a run of
        sealed containers from one encryption costs one key derivation), and
        a container seen before is not decrypted again."""
        digests = {}
        todo = {}
        for container in containers:
            key = sha256(read(container))
            if key in self.decrypted:
                digests[container] = self.decrypted[key]
            else:
                todo.setdefault(key, []).append(container)
        if not todo:
            return digests
        shutil.rmtree(scratch, ignore_errors=True)
        os.makedirs(scratch)
        copies = {}
        for i, key in enumerate(todo):
            first = todo[key][0]
            folder = os.path.join(scratch, str(i))
            os.makedirs(folder)
            copies[key] = os.path.join(folder, os.path.basename(first))
            shutil.copyfile(first, copies[key])
        # A data folder of its own: this run must not act as the next run of
        # the one under test and dispose of what that one left.
        own_data = {"XDG_DATA_HOME": os.path.join(scratch, "xdg")}
        self.run(["decrypt", "--password-file", self.password_file] + list(copies.values()),
                 own_data)
        for key, copy in copies.items():
            folder = os.path.dirname(copy)
            plain = [n for n in os.listdir(folder) if n != os.path.basename(copy)]
            digest = None
            if len(plain) == 1:
                digest = sha256(read(os.path.join(folder, plain[0])))
            self.decrypted[key] = digest
            for container in todo[key]:
                digests[container] = digest
        return digests


SEALED_SIGNATURE = b"\x89VLS\r\n\x1a\n"


def is_sealed(path):
    with open(path, "rb") as f:
        return f.read(len(SEALED_SIGNATURE)) == SEALED_SIGNATURE


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check_encrypt(cli, folder, originals, scratch, after_crash=False, sealed=False):
    """After an encryption that may have failed or died: every file is intact
    or has a complete container of the kind asked for that decrypts to it,
    and every container left is complete. A killed run may leave its
    temporary (.~tx) output behind, never in place of data."""
    problems = []
    names = set(os.listdir(folder))
    expected = set()
    containers = []
    for name in originals:
        expected.update((name, container_name(name)))
        if container_name(name) in names:
            containers.append(os.path.join(folder, container_name(name)))
    decrypted = cli.decrypt_copies(containers, scratch)
    for name, data in originals.items():
        container = container_name(name)
        plain_ok = name in names and read(os.path.join(folder, name)) == data
        container_ok = False
        if container in names:
            path = os.path.join(folder, container)
            container_ok = decrypted[path] == sha256(data)
            if not container_ok:
                problems.append(f"{container}: an incomplete container was left")
            elif is_sealed(path) != sealed:
                problems.append(f"{container}: written {'classic' if sealed else 'sealed'}")
        if not plain_ok and not container_ok:
            problems.append(f"{name}: lost")
    for name in names - expected:
        if name.endswith(".~Z~"):  # noise of a wipe that could not finish
            continue
        if after_crash and name.endswith(".~tx"):
            continue
        problems.append(f"stray file {name}")
    return problems


def check_decrypt(cli, folder, originals, containers, scratch, after_crash=False):
    """After a decryption: every container is intact or its plain file is
    complete; no temporary file shadows data (a killed run may leave its
    temporary behind beside the intact container)."""
    problems = []
    names = set(os.listdir(folder))
    for name, data in originals.items():
        container = container_name(name)
        container_ok = container in names and read(os.path.join(folder, container)) == containers[container]
        plain_ok = name in names and read(os.path.join(folder, name)) == data
        if not container_ok and not plain_ok:
            problems.append(f"{name}: lost")
        if name in names and not plain_ok:
            problems.append(f"{name}: an incomplete plain file was left")
    for name in names:
        if name.endswith(".~tx") and not after_crash:
            problems.append(f"stray temporary {name}")
    return problems


def check_wipe(folder, originals):
    """After a wipe: each file is untouched, overwritten under its own name, or gone."""
    problems = []
    for name in os.listdir(folder):
        if name in originals or name.endswith(".~Z~"):
            continue
        problems.append(f"stray file {name}")
    return problems


def fresh_folder(root, originals):
    folder = os.path.join(root, "files")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in originals.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
    return folder


MARKER_SIZE = 64


def make_markers(rng, count=4):
    """Random byte sequences to plant in plain data: no newline and no NUL, so
    grep -F can look for all of them in one pass."""
    usable = bytes(b for b in range(1, 256) if b != 10)
    return [bytes(rng.choice(usable) for _ in range(MARKER_SIZE)) for _ in range(count)]


def marked(data, markers, every=64 << 10, start=0):
    """data with the markers written over it every `every` bytes from start
    and at its end, so any stretch of it longer than `every` holds a whole
    marker."""
    if len(data) < start + MARKER_SIZE:
        return data
    out = bytearray(data)
    offsets = list(range(start, len(out) - MARKER_SIZE, every)) + [len(out) - MARKER_SIZE]
    for i, offset in enumerate(offsets):
        out[offset:offset + MARKER_SIZE] = markers[i % len(markers)]
    return bytes(out)


def files_holding(markers, roots, markers_file):
    """Every file under the roots that holds one of the markers anywhere."""
    roots = [r for r in roots if os.path.exists(r)]
    if not roots:
        return []
    with open(markers_file, "wb") as out:
        out.write(b"\n".join(markers) + b"\n")
    result = subprocess.run(["grep", "-r", "-l", "-a", "-F", "-f", markers_file, "--"] + roots,
                            capture_output=True, env=dict(os.environ, LC_ALL="C"))
    if result.returncode > 1:
        raise SystemExit(f"grep failed: {result.stderr.decode()}")
    return sorted(result.stdout.decode(errors="replace").splitlines())


def plain_leftovers(markers, roots, markers_file, originals, folder):
    """Files that hold plain bytes of the originals, other than an intact
    plain file under its own name in folder."""
    left = []
    for path in files_holding(markers, roots, markers_file):
        name = os.path.basename(path)
        if os.path.dirname(path) == folder and name in originals and read(path) == originals[name]:
            continue
        left.append(os.path.relpath(path, os.path.dirname(folder)))
    return left


def bmp(width, height, markers, every=64 << 10):
    """A 24-bit BMP of random pixels that carry the markers."""
    assert width % 4 == 0  # so that rows need no padding
    pixels = os.urandom(width * 3 * height)
    header = (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) +
              struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835,
                          0, 0))
    return marked(header + pixels, markers, every, start=54)


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def report(failures, summary):
    """Prints the failures and the closing line; returns the exit status."""
    print(summary)
    for failure in failures:
        print("FAIL", failure)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0
