#!/usr/bin/env python3
"""The real editor, started as a user starts it.

Each test runs build/bin/vellary on a virtual X display with a window manager and a private home,
sends it real key presses and clicks with xdotool, and checks what it saved with vellary-cli.
VELLARY_UNATTENDED=1 turns the message boxes into lines on standard error, each taking its default
answer, so that a test reads which questions were asked, and in which order.

Usage: editor_process_test.py BIN_DIR SOURCE_DIR [unittest arguments]
Exits 77 (a skip for ctest) when Xvfb, openbox or xdotool is missing.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

BIN = ""
SOURCE = ""
SKIP = 77
RECOVERY_QUESTION = "プログラムの異常終了などが原因で、前回作業時のデータが残っています。"
RELOAD_QUESTION = "編集中のデータは最初の状態に戻りますが、よろしいですか？"
SAVE_QUESTION = "文書は変更されています。保存しますか?"
ALREADY_RUNNING = "は既に起動しています。"
TITLE = "Vellary PRO 訂正プログラム"
# The text view paints the window outside its page in this colour (blue-green-red 0x7FC0C0).
TEXT_VIEW_BACKGROUND = (0xC0, 0xC0, 0x7F)


def wait_for(condition, timeout=15.0, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(step)
    return condition()


class Desktop:
    """Xvfb with openbox, and a home of its own."""

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix="vellary-process-")
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.display = ":" + f.readline().strip()
        self.env = dict(os.environ)
        for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "SESSION_MANAGER"):
            self.env.pop(key, None)
        runtime = os.path.join(self.home, "run")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(os.path.join(self.home, "tmp"))
        self.env.update({
            "DISPLAY": self.display,
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_STATE_HOME": os.path.join(self.home, ".local/state"),
            "XDG_RUNTIME_DIR": runtime,
            "TMPDIR": os.path.join(self.home, "tmp"),
            "VELLARY_UNATTENDED": "1",
            "LANG": "C.UTF-8",
        })
        self.bound = {}
        self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def run(self, *args, check=True, cwd=None):
        return subprocess.run(list(args), env=self.env, check=check, capture_output=True,
                              text=True, timeout=60, cwd=cwd)

    def bind_keys(self, characters):
        """Binds each character to a key of its own that had no meaning, and waits until the
        editor's keyboard map can have followed."""
        wanted = [c for c in dict.fromkeys(characters) if c not in self.bound]
        if not wanted:
            return
        if shutil.which("xmodmap") is None:
            raise unittest.SkipTest("xmodmap is missing (apt-get install x11-xserver-utils)")
        table = self.run("xmodmap", "-pke").stdout.splitlines()
        free = [int(line.split()[1]) for line in table
                if line.startswith("keycode") and line.split("=", 1)[1].strip() == ""]
        free = [k for k in free if k not in self.bound.values()]
        if len(free) < len(wanted):
            raise AssertionError("not enough spare keys for %r" % "".join(wanted))
        expressions = []
        for c, key in zip(wanted, free):
            self.bound[c] = key
            expressions += ["-e", "keycode %d = U%04X" % (key, ord(c))]
        self.run("xmodmap", *expressions)
        time.sleep(0.5)

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.home, ignore_errors=True)


class Editor:
    """One run of the editor on the desktop."""

    def __init__(self, desktop, *args):
        self.desktop = desktop
        self.log = tempfile.NamedTemporaryFile(prefix="vellary-stderr-", delete=False)
        self.process = subprocess.Popen([os.path.join(BIN, "vellary"), *args], env=desktop.env,
                                        stdout=subprocess.DEVNULL, stderr=self.log)
        self.window = None
        found = wait_for(self._find_window, timeout=20)
        if not found:
            raise AssertionError("no editor window; stderr: " + self.stderr())
        # A file named on the command line is open once the title names it; until then the
        # progress dialog has the keyboard.
        files = [os.path.basename(a) for a in args if a.endswith(".xml")]
        if files and not wait_for(lambda: self.title().startswith(files[0]), timeout=30):
            raise AssertionError("the editor did not open %s; title %r" % (files[0], self.title()))
        self.desktop.run("xdotool", "windowactivate", "--sync", self.window, check=False)
        wait_for(self._active, timeout=10)
        time.sleep(0.5)

    def _active(self):
        r = self.desktop.run("xdotool", "getactivewindow", check=False)
        return r.stdout.strip() == self.window

    def _find_window(self):
        r = self.desktop.run("xdotool", "search", "--onlyvisible", "--name", TITLE, check=False)
        ids = r.stdout.split()
        if ids:
            # The main window's title names the document or is the bare title; message boxes do
            # not appear in unattended runs.
            self.window = ids[0]
        return bool(ids)

    def title(self):
        return self.desktop.run("xdotool", "getwindowname", self.window).stdout.strip()

    def stderr(self):
        with open(self.log.name, encoding="utf-8", errors="replace") as f:
            return f.read()

    def alive(self):
        return self.process.poll() is None

    def key(self, *keys, pause=0.25):
        for k in keys:
            self.desktop.run("xdotool", "key", "--clearmodifiers", k)
            time.sleep(pause)

    def type(self, text):
        # A character the keyboard map lacks is typed by xdotool through a spare key bound to it
        # for the moment of the press, and the next such character binds that key again: an
        # editor that reads a press after the binding changed sees another character, or none.
        # Such characters get keys of their own first, so every press has one meaning.
        self.desktop.bind_keys(ch for ch in text if not ch.isascii())
        self.desktop.run("xdotool", "type", "--delay", "80", text)
        time.sleep(0.4)

    def click(self, x, y):
        self.desktop.run("xdotool", "mousemove", str(x), str(y), "click", "1")
        time.sleep(0.4)

    def save(self, path):
        """Ctrl+S, and waits until the file was written."""
        before = os.stat(path).st_mtime_ns
        self.key("ctrl+s")
        if not wait_for(lambda: os.stat(path).st_mtime_ns != before, timeout=10):
            raise AssertionError("Ctrl+S wrote nothing; stderr: " + self.stderr())

    def kill(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait(10)

    def quit(self):
        if self.alive():
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        os.unlink(self.log.name)

    def screenshot(self):
        """The screen as (width, height, rows of RGB bytes)."""
        r = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                           env=self.desktop.env, capture_output=True, timeout=30, check=True)
        data = r.stdout
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        width, height = int(fields[1]), int(fields[2])
        return width, height, data[pos + 1:]


def document_text(path):
    """Every character of the document, pages, blocks, cells and lines in order."""
    dump = json.loads(subprocess.run([os.path.join(BIN, "vellary-cli"), "dump", path],
                                     capture_output=True, text=True, check=True).stdout)
    parts = []
    for page in dump["pages"]:
        for block in page["blocks"]:
            for line in block.get("lines", []):
                parts.append("".join(c["text"] for c in line["chars"]))
            for cell in block.get("cells", []):
                text = "".join("".join(c["text"] for c in l["chars"]) for l in cell["lines"])
                parts.append("cell %d,%d:%s" % (cell["row"], cell["col"], text))
        parts.append("#")
    return "|".join(parts)


class EditorProcessTest(unittest.TestCase):

    def setUp(self):
        self.desktop = Desktop()
        self.editors = []
        self.folder = os.path.join(self.desktop.home, "docs")
        os.makedirs(self.folder)
        shutil.copytree(os.path.join(SOURCE, "samples/minato/minato"),
                        os.path.join(self.folder, "minato"))
        self.path = os.path.join(self.folder, "minato.xml")
        shutil.copy(os.path.join(SOURCE, "samples/minato/minato.xml"), self.path)
        # The document as the editor opens it: read, then its side lines attached.
        opened = os.path.join(self.desktop.home, "opened.xml")
        subprocess.run([os.path.join(BIN, "vellary-cli"), "recompose", self.path, opened],
                       check=True)
        self.opened = document_text(opened)

    def tearDown(self):
        for e in self.editors:
            e.quit()
        self.desktop.close()

    def start(self, *args):
        e = Editor(self.desktop, *args)
        self.editors.append(e)
        return e

    def backup_file(self):
        return os.path.join(self.desktop.env["XDG_STATE_HOME"], "vellary", "_$backup.xml")

    def test_a_start_with_a_file_asks_nothing_and_opens_it(self):
        e = self.start(self.path)
        self.assertTrue(wait_for(lambda: e.title().startswith("minato.xml")), e.title())
        time.sleep(1)
        self.assertNotIn(RECOVERY_QUESTION, e.stderr())
        self.assertTrue(e.alive())

    def test_a_crash_is_offered_for_recovery_before_the_file_opens_and_nothing_is_lost(self):
        e = self.start(self.path)
        e.type("XQZ")
        # 解析 ▸ 現ページ再構成 takes a backup before it re-composes the page.
        e.key("alt+a", "c")
        self.assertTrue(wait_for(lambda: os.path.exists(self.backup_file())))
        self.assertIn("XQZ", document_text(self.backup_file()))
        e.kill()

        again = self.start(self.path)
        self.assertTrue(wait_for(lambda: again.title().startswith("minato.xml")))
        questions = [l for l in again.stderr().splitlines() if l.startswith(TITLE + ":")]
        self.assertTrue(questions, again.stderr())
        self.assertIn(RECOVERY_QUESTION, questions[0])
        # The recovered work is the document's; saving it writes the file it came from.
        again.save(self.path)
        self.assertIn("XQZ", document_text(self.path))

    def test_reload_reads_the_file_again_and_the_editor_goes_on(self):
        e = self.start(self.path)
        e.type("AAA")
        # ファイル ▸ 再読み込み: the fifth item of the File menu (after 開く, 画像から認識, 上書き保存,
        # 名前を付けて保存).
        e.key("alt+f", "Down", "Down", "Down", "Down", "Return", pause=0.4)
        self.assertTrue(wait_for(lambda: RELOAD_QUESTION in e.stderr()), e.stderr())
        time.sleep(1)
        self.assertTrue(e.alive(), e.stderr())
        e.type("K")
        e.save(self.path)
        text = document_text(self.path)
        self.assertNotIn("AAA", text)
        self.assertIn("K", text)

    def test_typing_is_undone_by_ctrl_z(self):
        e = self.start(self.path)
        e.type("ab")
        e.key("ctrl+z")
        e.save(self.path)
        self.assertEqual(document_text(self.path), self.opened)

    def test_twenty_edits_then_twenty_undos_give_back_the_opened_text(self):
        e = self.start(self.path)
        edits = ["x", "Delete", "BackSpace", "Return"]
        for i in range(20):
            edit = edits[i % 4]
            if len(edit) == 1:
                e.type(edit)
            else:
                e.key(edit, pause=0.15)
            e.key("Down", pause=0.15)
        e.save(self.path)
        self.assertNotEqual(document_text(self.path), self.opened)
        for _ in range(20):
            e.key("ctrl+z", pause=0.15)
        e.save(self.path)
        self.assertEqual(document_text(self.path), self.opened)

    def test_a_second_start_hands_its_file_to_the_running_editor(self):
        # A one-page document of its own beside the sample (its last page), with its images.
        other = os.path.join(self.folder, "other.xml")
        subprocess.run([os.path.join(BIN, "vellary-cli"), "save", self.path, other, "--first",
                        "2", "--last", "2"], check=True)
        shutil.copytree(os.path.join(self.folder, "minato"), os.path.join(self.folder, "other"))
        e = self.start(self.path)
        self.assertTrue(wait_for(lambda: e.title().startswith("minato.xml")), e.title())
        e.type("XQZ")
        # The editor is put away, as when the user goes to a file manager.
        self.desktop.run("xdotool", "windowminimize", "--sync", e.window, check=False)
        # `vellary other.xml` from the documents folder: the running editor is handed the file
        # and the second process ends at once, silently.
        second = self.desktop.run(os.path.join(BIN, "vellary"), "other.xml", cwd=self.folder,
                                  check=False)
        self.assertEqual(second.returncode, 0, second.stderr)
        self.assertNotIn(ALREADY_RUNNING, second.stderr)
        # The running editor asks about its modified document as an open would (the default
        # answer saves it), then opens the file handed over and comes to the front.
        self.assertTrue(wait_for(lambda: e.title().startswith("other.xml")),
                        e.title() + " / " + e.stderr())
        self.assertIn(SAVE_QUESTION, e.stderr())
        self.assertIn("XQZ", document_text(self.path))
        active = self.desktop.run("xdotool", "getactivewindow", check=False).stdout.strip()
        self.assertEqual(active, e.window)
        # The document handed over is the one edited now.
        e.type("W")
        e.save(other)
        self.assertIn("W", document_text(other))
        # A start without a file still only says that the editor runs.
        third = self.desktop.run(os.path.join(BIN, "vellary"), check=False)
        self.assertEqual(third.returncode, 0)
        self.assertIn(ALREADY_RUNNING, third.stderr)
        self.assertTrue(e.title().startswith("other.xml"))

    def test_typing_into_the_empty_cell_of_the_table(self):
        # The sample's second page alone, with its images beside it.
        table = os.path.join(self.folder, "table.xml")
        subprocess.run([os.path.join(BIN, "vellary-cli"), "save", self.path, table, "--first",
                        "1", "--last", "1"], check=True)
        shutil.copytree(os.path.join(self.folder, "minato"), os.path.join(self.folder, "table"))
        e = self.start(table)
        # At 10 % the whole page fits; full size gives the text view the window.
        e.key("ctrl+1", "ctrl+w", pause=0.5)
        found = {}

        def text_view_shown():
            # The view's background around the page; on a loaded machine the new scale may take
            # a while to be painted.
            width, height, rgb = e.screenshot()
            left, top = width, height
            background = bytes(TEXT_VIEW_BACKGROUND)
            for y in range(height):
                x = rgb.find(background, y * width * 3, (y + 1) * width * 3)
                while x >= 0 and x % 3 != 0:
                    x = rgb.find(background, x + 1, (y + 1) * width * 3)
                if x >= 0:
                    left, top = min(left, (x - y * width * 3) // 3), min(top, y)
            found.update(left=left, top=top, width=width)
            return left < width

        self.assertTrue(wait_for(text_view_shown, timeout=20, step=0.5),
                        "the text view was not found on the screen")
        left, top = found["left"], found["top"]
        dump = json.loads(subprocess.run([os.path.join(BIN, "vellary-cli"), "dump", table],
                                         capture_output=True, text=True, check=True).stdout)
        cells = [c for b in dump["pages"][0]["blocks"] for c in b.get("cells", [])]
        empty = [c for c in cells if not c["lines"] and c["connectGroup"] == 0]
        self.assertEqual(len(empty), 1)
        cell = empty[0]
        # The page is drawn from the view's top-left corner, scaled by 0.1.
        e.click(left + (cell["x"] + cell["width"] // 2) // 10,
                top + (cell["y"] + cell["height"] // 2) // 10)
        e.type("未集計")
        e.save(table)
        text = document_text(table)
        self.assertIn("cell %d,%d:未集計" % (cell["row"], cell["col"]), text)
        self.assertEqual(text.count("未集計"), 1)
        self.assertIn("cell 1,1:魚種", text)


def main():
    global BIN, SOURCE
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    BIN, SOURCE = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "openbox", "xdotool", "import"):
        if shutil.which(tool) is None:
            print("skipped: %s is not installed (scripts/deps installs it)" % tool)
            return SKIP
    result = unittest.main(argv=[sys.argv[0]] + sys.argv[3:], exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
