"""The real program driven through its accessibility tree, as a screen reader sees it.

Run inside run_session.sh: the program directory is copied to a temporary directory,
the program started there and its windows read and worked with pyatspi alone.
"""

import os
import shutil
import subprocess
import tempfile
import time

import pyatspi

# A control a user can reach or work: it takes the focus or offers actions.
CONTAINER_ROLES = {
    pyatspi.ROLE_FILLER,
    pyatspi.ROLE_PANEL,
    pyatspi.ROLE_FRAME,
    pyatspi.ROLE_DIALOG,
    pyatspi.ROLE_WINDOW,
    pyatspi.ROLE_ALERT,
    pyatspi.ROLE_PAGE_TAB_LIST,
    pyatspi.ROLE_SCROLL_PANE,
    pyatspi.ROLE_APPLICATION,
}


failures = []


def check(condition, what):
    print(("ok: " if condition else "FAILED: ") + what)
    if not condition:
        failures.append(what)


def outcome():
    """The exit code of a checking script: 1 when any check failed."""
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


def wait_for(predicate, what, timeout=30.0):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def children(acc):
    out = []
    try:
        count = acc.childCount
    except Exception:
        return out
    for i in range(count):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            child = None
        if child is not None:
            out.append(child)
    return out


def walk(acc):
    yield acc
    for child in children(acc):
        yield from walk(child)


def actions(acc):
    try:
        action = acc.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def is_control(acc):
    """Whether a user can reach or work it: focusable, or it offers an action."""
    if acc.getRole() in CONTAINER_ROLES:
        return False
    states = acc.getState()
    if not states.contains(pyatspi.STATE_VISIBLE):
        return False
    return states.contains(pyatspi.STATE_FOCUSABLE) or bool(actions(acc))


def describe(acc):
    return "%s %r" % (acc.getRoleName(), acc.name)


class Program:
    def __init__(self, program_dir, settings=b"", address_book=None):
        self.dir = tempfile.mkdtemp(prefix="mirvane-a11y-")
        for name in os.listdir(program_dir):
            src = os.path.join(program_dir, name)
            if os.path.isfile(src) and not name.endswith((".ini", ".txt")):
                shutil.copy2(src, self.dir)
        with open(os.path.join(self.dir, "mirvane.ini"), "wb") as f:
            f.write(settings)
        env = dict(os.environ)
        env["HOME"] = self.dir
        self.process = subprocess.Popen([os.path.join(self.dir, "mirvane")], env=env,
                                        cwd=self.dir)
        self.app = wait_for(self._find_app, "the program on the accessibility bus")
        self.main = wait_for(lambda: self.window("Mirvane"), "the main window")

    def _find_app(self):
        if self.process.poll() is not None:
            raise AssertionError("the program ended with %s" % self.process.returncode)
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    def windows(self):
        return [w for w in children(self.app)
                if w.getState().contains(pyatspi.STATE_VISIBLE)]

    def window(self, title):
        for w in self.windows():
            if w.name == title:
                return w
        return None

    def wait_window(self, title):
        return wait_for(lambda: self.window(title), "window " + title)

    def wait_gone(self, title):
        wait_for(lambda: self.window(title) is None, "window %s to close" % title)

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def file(self, name):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read()


def find(root, role=None, name=None, predicate=None):
    """The first descendant with the role and name given, or None."""
    for acc in walk(root):
        if role is not None and acc.getRole() != role:
            continue
        if name is not None and acc.name != name:
            continue
        if predicate is not None and not predicate(acc):
            continue
        return acc
    return None


def must_find(root, role=None, name=None, predicate=None, timeout=10.0):
    return wait_for(lambda: find(root, role, name, predicate),
                    "%s %r in %s" % (role, name, root.name), timeout)


def press(acc, which=None):
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = names.index(which) if which else 0
    assert action.doAction(index), "action %s of %s" % (names[index], describe(acc))


def press_into_modal(acc, which=None):
    """Presses a control whose action opens a modal box: the program answers only when
    the box has closed, so the call is not waited for."""
    from gi.repository import Atspi, GLib
    Atspi.set_timeout(500, -1)
    try:
        press(acc, which)
    except GLib.GError:
        pass
    finally:
        Atspi.set_timeout(25000, -1)


def text_of(acc):
    text = acc.queryText()
    return text.getText(0, -1)

