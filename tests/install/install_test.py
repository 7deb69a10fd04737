#!/usr/bin/env python3
"""The program as installed: `cmake --install` into a DESTDIR with the prefix /usr, then the
installed tree is checked as a user and a desktop would use it.

Every file the program and the desktop need is there; the installed programs answer --help and
--version (the editor without a display) with the version the metainfo announces; the installed
vellary-cli exports the bundled sample to Word with the Office library of the installed tree
(no LD_LIBRARY_PATH); the manual's pages link only to files that are installed; the manual
pages render without warnings; the desktop entry and the AppStream metainfo validate; and the
file types tell the formats the editor opens from other XML and TSV files. A check whose tool is
missing is skipped with a message.

Usage: install_test.py BUILD_DIR SOURCE_DIR GUI(0|1) [unittest arguments]
"""

import gzip
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

BUILD = ""
SOURCE = ""
GUI = True
APP_ID = "example.vellary.Vellary"
ROOT = ""  # the DESTDIR
PREFIX = ""  # ROOT/usr


def setUpModule():
    global ROOT, PREFIX
    ROOT = tempfile.mkdtemp(prefix="vellary-install-")
    PREFIX = os.path.join(ROOT, "usr")
    env = dict(os.environ, DESTDIR=ROOT)
    subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr"], env=env, check=True,
                   stdout=subprocess.DEVNULL)


def tearDownModule():
    shutil.rmtree(ROOT, ignore_errors=True)


def installed(path):
    return os.path.join(PREFIX, path)


def clean_env(**extra):
    """No library path and no display: the installed tree must stand on its own."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("LD_LIBRARY_PATH", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(extra)
    return env


def tool(name):
    found = shutil.which(name)
    if found is None:
        print(f"SKIP: {name} is not installed (scripts/deps installs it)", file=sys.stderr)
    return found


class Files(unittest.TestCase):
    def test_every_file_the_program_and_the_desktop_need_is_installed(self):
        expected = [
            "bin/vellary-cli",
            "lib/vellary/liboxmlgen.so",
            "share/vellary/CandidateExplain.txt",
            "share/vellary/manual/index.html",
            "share/man/man1/vellary.1.gz",
            "share/man/man1/vellary-cli.1.gz",
            "share/man/ja/man1/vellary.1.gz",
            "share/man/ja/man1/vellary-cli.1.gz",
            f"share/applications/{APP_ID}.desktop",
            "share/mime/packages/vellary.xml",
            f"share/metainfo/{APP_ID}.metainfo.xml",
            f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
            "share/doc/vellary/copyright",
        ]
        if GUI:
            expected.append("bin/vellary")
        if shutil.which("rsvg-convert"):
            expected += [f"share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png"
                         for s in (16, 22, 24, 32, 48, 64, 128, 256)]
        missing = [p for p in expected if not os.path.isfile(installed(p))]
        self.assertEqual(missing, [])
        for program in ("bin/vellary-cli", "bin/vellary"):
            if os.path.exists(installed(program)):
                self.assertTrue(os.access(installed(program), os.X_OK), program)
        # Every file of the manual in the source tree is installed.
        manual = os.path.join(SOURCE, "docs", "manual")
        for folder, _, names in os.walk(manual):
            for name in names:
                if name.endswith((".html", ".css", ".png")):
                    relative = os.path.relpath(os.path.join(folder, name), manual)
                    self.assertTrue(
                        os.path.isfile(installed(os.path.join("share/vellary/manual", relative))),
                        relative)

    def test_icons_have_the_size_their_folder_names(self):
        for size in (16, 48, 256):
            png = installed(f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png")
            if not os.path.exists(png):
                self.skipTest("no PNG icons (rsvg-convert missing at build time)")
            with open(png, "rb") as f:
                head = f.read(24)
            self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual((int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")),
                             (size, size))


class Programs(unittest.TestCase):
    def metainfo_version(self):
        with open(installed(f"share/metainfo/{APP_ID}.metainfo.xml"), encoding="utf-8") as f:
            return re.search(r'<release version="([^"]+)"', f.read()).group(1)

    def test_help_and_version_need_no_display(self):
        version = self.metainfo_version()
        programs = ["vellary-cli"] + (["vellary"] if GUI else [])
        for program in programs:
            path = installed("bin/" + program)
            out = subprocess.run([path, "--version"], env=clean_env(), capture_output=True,
                                 text=True, timeout=30)
            self.assertEqual((out.returncode, out.stdout, out.stderr),
                             (0, f"{program} {version}\n", ""))
            out = subprocess.run([path, "--help"], env=clean_env(), capture_output=True,
                                 text=True, timeout=30)
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertTrue(out.stdout.startswith(f"usage: {program}"), out.stdout)
            self.assertIn(f"{program}(1)", out.stdout)

    def test_every_option_of_the_usage_is_in_both_manual_pages(self):
        if not tool("man"):
            self.skipTest("man is missing")
        usage = subprocess.run([installed("bin/vellary-cli"), "--help"], env=clean_env(),
                               capture_output=True, text=True, check=True).stdout
        options = set(re.findall(r"--[a-z][a-z-]*", usage))
        self.assertIn("--office-library", options)
        for page in ("share/man/man1/vellary-cli.1.gz", "share/man/ja/man1/vellary-cli.1.gz"):
            # As a reader sees it, on lines too long to be broken.
            text = subprocess.run(["man", "-l", installed(page)],
                                  env=clean_env(LC_ALL="C.UTF-8", MANWIDTH="1000"),
                                  capture_output=True, text=True, check=True).stdout
            text = re.sub("[\u2010\u2212]", "-", text)
            missing = sorted(o for o in options if not re.search(re.escape(o) + r"(?![a-z-])", text))
            self.assertEqual(missing, [], page)

    def test_the_installed_cli_exports_word_with_the_installed_office_library(self):
        out_dir = tempfile.mkdtemp(prefix="vellary-install-export-")
        try:
            docx = os.path.join(out_dir, "minato.docx")
            run = subprocess.run(
                [installed("bin/vellary-cli"), "export",
                 os.path.join(SOURCE, "samples/minato/minato.xml"), docx, "--kind", "docx"],
                env=clean_env(LD_DEBUG="files", XDG_CACHE_HOME=out_dir), capture_output=True,
                text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr[-2000:])
            # The loader names each library it opens: the Office library came from the installed
            # tree, found from the program's own folder.
            opened = re.findall(r"file=(\S*liboxmlgen\.so)", run.stderr)
            self.assertTrue(opened, "liboxmlgen.so was not loaded")
            self.assertEqual({os.path.realpath(p) for p in opened},
                             {os.path.realpath(installed("lib/vellary/liboxmlgen.so"))})
            with zipfile.ZipFile(docx) as z:
                body = z.read("word/document.xml").decode("utf-8")
            self.assertIn("港", body)
        finally:
            shutil.rmtree(out_dir, ignore_errors=True)


class LinkCollector(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value:
                self.links.append(value)


class Manual(unittest.TestCase):
    def test_the_manual_links_only_to_installed_files(self):
        root = installed("share/vellary/manual")
        pages = [os.path.join(d, n) for d, _, ns in os.walk(root) for n in ns if n.endswith(".html")]
        self.assertTrue(pages)
        for page in pages:
            collector = LinkCollector()
            with open(page, encoding="utf-8") as f:
                collector.feed(f.read())
            for link in collector.links:
                self.assertNotRegex(link, r"^[a-z]+:", f"{page}: {link} is not part of the manual")
                target = link.split("#")[0]
                if target:
                    self.assertTrue(os.path.isfile(os.path.join(os.path.dirname(page), target)),
                                    f"{os.path.basename(page)}: {link}")

    def test_the_manual_pages_render_without_warnings(self):
        if not tool("man"):
            self.skipTest("man is missing")
        for page in ("man1/vellary.1.gz", "man1/vellary-cli.1.gz", "ja/man1/vellary.1.gz",
                     "ja/man1/vellary-cli.1.gz"):
            run = subprocess.run(["man", "--warnings", "-l", installed("share/man/" + page)],
                                 env=clean_env(LC_ALL="C.UTF-8", MANWIDTH="80"),
                                 capture_output=True, text=True, timeout=60)
            self.assertEqual((run.returncode, run.stderr), (0, ""), page)
            self.assertIn("vellary", run.stdout)


class Desktop(unittest.TestCase):
    def test_the_desktop_entry_validates(self):
        validate = tool("desktop-file-validate")
        if not validate:
            self.skipTest("desktop-file-validate is missing")
        run = subprocess.run([validate, installed(f"share/applications/{APP_ID}.desktop")],
                             capture_output=True, text=True)
        self.assertEqual((run.returncode, run.stdout + run.stderr), (0, ""))

    def test_the_metainfo_validates(self):
        validate = tool("appstreamcli")
        if not validate:
            self.skipTest("appstreamcli is missing")
        run = subprocess.run([validate, "validate", "--no-net",
                              installed(f"share/metainfo/{APP_ID}.metainfo.xml")],
                             capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)

    def test_the_file_types_tell_the_formats_from_other_files(self):
        update, gio = tool("update-mime-database"), tool("gio")
        system = "/usr/share/mime/packages/freedesktop.org.xml"
        if not (update and gio and os.path.exists(system)):
            self.skipTest("shared-mime-info or gio is missing")
        data = tempfile.mkdtemp(prefix="vellary-mime-")
        try:
            # The installed type definitions merged with the system's, as the desktop does.
            packages = os.path.join(data, "mime", "packages")
            os.makedirs(packages)
            shutil.copy(system, packages)
            shutil.copy(installed("share/mime/packages/vellary.xml"), packages)
            subprocess.run([update, os.path.join(data, "mime")], check=True,
                           capture_output=True)
            files = os.path.join(data, "files")
            os.makedirs(files)
            subprocess.run([installed("bin/vellary-cli"), "export",
                            os.path.join(SOURCE, "samples/sample.xml"),
                            os.path.join(files, "page.xml"), "--kind", "page", "--pages", "1"],
                           env=clean_env(XDG_CACHE_HOME=data), check=True, capture_output=True)
            formats = os.path.join(SOURCE, "tests/data/formats")
            expected = {
                os.path.join(SOURCE, "samples/sample.xml"): "application/x-rovorirud+xml",
                os.path.join(files, "page.xml"): "application/x-pagexml+xml",
                os.path.join(formats, "tesseract/horizontal.xml"): "application/x-alto+xml",
                os.path.join(formats, "ndlocr.xml"): "application/x-ndlocr+xml",
                os.path.join(formats, "tesseract/horizontal.hocr"): "text/x-hocr",
                os.path.join(formats, "tesseract/horizontal.tsv"): "text/x-tesseract-tsv",
            }
            # Files the editor does not open keep their own types.
            other_xml = os.path.join(files, "other.xml")
            with open(other_xml, "w", encoding="utf-8") as f:
                f.write('<?xml version="1.0"?>\n<paper size="A4"><title>x</title></paper>\n')
            other_tsv = os.path.join(files, "table.tsv")
            with open(other_tsv, "w", encoding="utf-8") as f:
                f.write("level\tname\n1\ta\n")
            expected[other_xml] = "application/xml"
            expected[other_tsv] = "text/tab-separated-values"
            expected[installed(f"share/metainfo/{APP_ID}.metainfo.xml")] = "application/xml"
            env = dict(os.environ, XDG_DATA_DIRS=data, XDG_DATA_HOME=os.path.join(data, "home"))
            found = {}
            for path in expected:
                out = subprocess.run([gio, "info", "-a", "standard::content-type", path], env=env,
                                     capture_output=True, text=True, check=True).stdout
                found[path] = re.search(r"content-type: (\S+)", out).group(1)
            self.assertEqual(found, expected)
        finally:
            shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    BUILD, SOURCE, GUI = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
