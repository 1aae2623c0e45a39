"""Finds controls of a running Qt program through the accessibility bus and
drives them with real X input (xdotool), the way a user would: a click lands
at the centre of what is on the screen, keys go to the focused window."""

import subprocess
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


class StepFailed(Exception):
    pass


def wait_for(what, probe, timeout=30.0, interval=0.2):
    """Calls probe until it returns something true; fails with what."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except gi.repository.GLib.Error:
            result = None  # the tree changed under the probe: try again
        if result:
            return result
        if time.monotonic() > deadline:
            raise StepFailed(f"timed out waiting for {what}")
        time.sleep(interval)


def applications(name):
    desktop = Atspi.get_desktop(0)
    found = []
    for index in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(index)
        if app is not None and app.get_name() == name:
            found.append(app)
    return found


def extents(node):
    box = node.get_extents(Atspi.CoordType.SCREEN)
    return box.x, box.y, box.width, box.height


def on_screen(node):
    _, _, width, height = extents(node)
    return width > 0 and height > 0


VIEWS_OF_ITEMS = {"tree", "list", "table", "tree table"}


def find_all(root, role=None, name=None, visible=True, limit=20000):
    """Every node under root with the role and name given, depth first."""
    found, stack, seen = [], [root], 0
    while stack and seen < limit:
        node = stack.pop()
        seen += 1
        try:
            matches = (role is None or node.get_role_name() == role) and (
                name is None or node.get_name() == name)
            if matches and node is not root and (not visible or on_screen(node)):
                found.append(node)
            count = node.get_child_count()
            # Thousands of cells: searched only when asked for.
            if node is not root and node.get_role_name() in VIEWS_OF_ITEMS:
                continue
        except gi.repository.GLib.Error:
            continue  # a busy program answers late: the caller asks again
        # Reverse, so that the stack yields children in their own order.
        for index in reversed(range(count)):
            child = node.get_child_at_index(index)
            if child is not None:
                stack.append(child)
    return found


def find(root, role, name=None, timeout=30.0):
    return wait_for(f'{role} "{name}"', lambda: next(iter(find_all(root, role, name)), None),
                    timeout)


def xdotool(*arguments):
    subprocess.run(["xdotool", *map(str, arguments)], check=True)


def click_at(x, y, modifier=None):
    """A left click at a point of the screen, with a key such as ctrl held."""
    xdotool("mousemove", "--sync", x, y)
    if modifier:
        xdotool("keydown", modifier)
    xdotool("click", 1)
    if modifier:
        xdotool("keyup", modifier)
    time.sleep(0.3)


def click(node, modifier=None):
    x, y, width, height = extents(node)
    if width <= 0 or height <= 0:
        raise StepFailed(f'"{node.get_name()}" is not on the screen')
    click_at(x + width // 2, y + height // 2, modifier)


def focus_window(title):
    """Gives the keyboard to the newest visible window with this title: with
    no window manager, nothing else does."""
    pattern = "".join("\\" + c if c in ".[]()*+?{}|^$\\" else c for c in title)
    windows = wait_for(f'a window "{title}"', lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", f"^{pattern}$"],
        capture_output=True, text=True).stdout.split())
    xdotool("windowfocus", "--sync", windows[-1])
    time.sleep(0.2)


def type_text(text):
    xdotool("type", "--delay", 40, text)


def key(*names):
    xdotool("key", "--delay", 60, *names)
    time.sleep(0.2)


def screenshot(path):
    subprocess.run(["import", "-window", "root", str(path)], check=True)


def selected(node):
    return node.get_state_set().contains(Atspi.StateType.SELECTED)


def open_folder_in_tree(tree, folder):
    """Walks the folder tree down to folder by keyboard, as a user would
    without a mouse: "+" opens the current folder, and a name's first letter,
    pressed until the name is selected, picks it among the folders shown.
    (A whole typed name would start a new search wherever the window is slow
    to take a letter.)"""
    # The tree may have scrolled towards the program's folder: a click on its
    # top row gives it the keyboard, and Home goes to the root.
    x, y, width, _ = extents(tree)
    click_at(x + width // 2, y + 8)
    key("Home")
    wait_for("the root folder selected", lambda: is_selected(tree, "/"))
    for name in [part for part in str(folder).split("/") if part]:
        key("plus")
        wait_for(f'folder "{name}" in the tree', lambda: find_all(tree, "table cell", name))
        for _ in range(80):
            if is_selected(tree, name):
                break
            type_text(name[0])
            time.sleep(0.3)
        else:
            raise StepFailed(f'folder "{name}" could not be selected in the tree')
    time.sleep(0.5)


def is_selected(tree, name):
    return any(selected(cell) for cell in find_all(tree, "table cell", name))


def click_file(file_list, shown_names, name, modifier=None):
    """Clicks the row of name in a file list showing shown_names. The list's
    accessible interface reports only its first row, so the row is found from
    the first row's place and the order the list sorts names in."""
    order = sorted(shown_names, key=str.casefold)
    first = wait_for("the first row of the file list",
                     lambda: next(iter(find_all(file_list, "list item")), None))
    x, y, width, height = extents(first)
    row = order.index(name)
    click_at(x + width // 2, y + row * height + height // 2, modifier)
