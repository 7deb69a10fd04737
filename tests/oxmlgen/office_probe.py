#!/usr/bin/python3
"""Reads the Office files the tests write with readers independent of the library.

  office_probe.py docx FILE    every body paragraph, then every table cell (row-major), one a line
  office_probe.py pptx FILE    checks the package structure; prints "slide N: text" per slide
  office_probe.py part FILE NAME   prints one part of a zip package
  office_probe.py wellformed FILE  parses every XML part of a zip package
  office_probe.py pages PDF DUMP   the characters of each page of the document (vellary-cli dump,
                                   every line, side lines too) that pdftotext does not find on
                                   the same page of PDF, one "page N: ..." line per page
  office_probe.py text TXT DUMP    the characters of the document's lines and cells (side lines
                                   left out: a plain-text export keeps ruby bases only) that the
                                   UTF-8 text file TXT lacks
Structural faults are printed as "error: ..." lines and make the exit status 1.
"""
import posixpath
import sys
import zipfile
import xml.etree.ElementTree as ET

NS_P = "http://schemas.openxmlformats.org/presentationml/2006/main"
NS_A = "http://schemas.openxmlformats.org/drawingml/2006/main"
NS_R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
NS_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
NS_CT = "http://schemas.openxmlformats.org/package/2006/content-types"
DOC_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
errors = []


def docx(path):
    import docx as pydocx
    d = pydocx.Document(path)
    for p in d.paragraphs:
        if p.text:
            print("p:" + p.text)
    for t in d.tables:
        for row in t.rows:
            for cell in row.cells:
                print("cell:" + cell.text)
    print("sections:%d" % len(d.sections))


def rels_of(z, part):
    folder, name = posixpath.split(part)
    rel_name = posixpath.join(folder, "_rels", name + ".rels")
    if rel_name not in z.namelist():
        return {}
    out = {}
    for r in ET.fromstring(z.read(rel_name)).findall("{%s}Relationship" % NS_REL):
        target = posixpath.normpath(posixpath.join(folder, r.get("Target")))
        out[r.get("Id")] = (r.get("Type"), target)
        if target not in z.namelist():
            errors.append("%s: relationship %s points to missing %s" % (rel_name, r.get("Id"), target))
    return out


def pptx(path):
    z = zipfile.ZipFile(path)
    names = z.namelist()
    for n in names:
        if n.endswith(".xml") or n.endswith(".rels"):
            try:
                ET.fromstring(z.read(n))
            except ET.ParseError as e:
                errors.append("%s is not well-formed: %s" % (n, e))
    types = ET.fromstring(z.read("[Content_Types].xml"))
    overrides = {o.get("PartName").lstrip("/"): o.get("ContentType") for o in types.findall("{%s}Override" % NS_CT)}
    defaults = {d.get("Extension"): d.get("ContentType") for d in types.findall("{%s}Default" % NS_CT)}
    for n in names:
        if n not in overrides and n.rsplit(".", 1)[-1] not in defaults:
            errors.append("no content type for " + n)
    root = rels_of(z, "")
    main = [t for (ty, t) in root.values() if ty == DOC_REL + "officeDocument"]
    if main != ["ppt/presentation.xml"]:
        errors.append("package does not lead to ppt/presentation.xml")
        return
    if not overrides.get("ppt/presentation.xml", "").endswith("presentation.main+xml"):
        errors.append("presentation part has the wrong content type")
    pres = ET.fromstring(z.read("ppt/presentation.xml"))
    prels = rels_of(z, "ppt/presentation.xml")
    kinds = {}
    for ty, t in prels.values():
        kinds.setdefault(ty.rsplit("/", 1)[-1], []).append(t)
    for needed in ("slideMaster", "theme", "presProps", "viewProps"):
        if needed not in kinds:
            errors.append("presentation has no %s relationship" % needed)
    for m in pres.iter("{%s}sldMasterId" % NS_P):
        master = prels[m.get("{%s}id" % NS_R)][1]
        mrels = rels_of(z, master)
        layouts = [t for (ty, t) in mrels.values() if ty.endswith("/slideLayout")]
        if not layouts or not any(ty.endswith("/theme") for ty, _ in mrels.values()):
            errors.append("master without layout or theme")
        for l in layouts:
            if not any(ty.endswith("/slideMaster") for ty, _ in rels_of(z, l).values()):
                errors.append("layout %s does not name its master" % l)
    size = pres.find("{%s}sldSz" % NS_P)
    if size is None:
        errors.append("no slide size")
    else:
        print("size:%s,%s" % (size.get("cx"), size.get("cy")))
    for i, s in enumerate(pres.iter("{%s}sldId" % NS_P), 1):
        slide = prels[s.get("{%s}id" % NS_R)][1]
        srels = rels_of(z, slide)
        if not any(ty.endswith("/slideLayout") for ty, _ in srels.values()):
            errors.append("%s has no layout" % slide)
        tree = ET.fromstring(z.read(slide))
        for blip in tree.iter("{%s}blip" % NS_A):
            if blip.get("{%s}embed" % NS_R) not in srels:
                errors.append("%s: picture without relationship" % slide)
        paras = ["".join(t.text or "" for t in p.iter("{%s}t" % NS_A)) for p in tree.iter("{%s}p" % NS_A)]
        pics = len(list(tree.iter("{%s}pic" % NS_P)))
        vert = sum(1 for b in tree.iter("{%s}bodyPr" % NS_A) if b.get("vert") == "eaVert")
        print("slide %d: %s" % (i, "|".join(p for p in paras if p)))
        print("slide %d pictures:%d vertical:%d" % (i, pics, vert))


def wellformed(path):
    z = zipfile.ZipFile(path)
    count = 0
    for n in z.namelist():
        if n.rsplit(".", 1)[-1] in ("xml", "rels", "fpage", "fdoc", "fdseq"):
            count += 1
            try:
                ET.fromstring(z.read(n))
            except ET.ParseError as e:
                errors.append("%s is not well-formed: %s" % (n, e))
    print("parts:%d" % count)


BLANK = " \r\n\t\u3000\f\ufeff"


def page_characters(page, side_lines):
    import collections
    wanted = collections.Counter()

    def lines(ls):
        for line in ls:
            if not side_lines and line.get("attr"):
                continue
            for c in line["chars"]:
                wanted.update(ch for ch in c["text"] if ch not in BLANK)

    for b in page["blocks"]:
        if b.get("type") == "text":
            lines(b["lines"])
        elif b.get("type") == "table":
            for cell in b["cells"]:
                lines(cell["lines"])
    return wanted


def load_dump(dump):
    import json
    with open(dump, encoding="utf-8") as f:
        return json.load(f)


def text(path, dump):
    import collections
    wanted = collections.Counter()
    for page in load_dump(dump)["pages"]:
        wanted.update(page_characters(page, False))
    with open(path, encoding="utf-8") as f:
        found = collections.Counter(ch for ch in f.read() if ch not in BLANK)
    missing = "".join((wanted - found).elements())
    print("characters:%d missing:%s" % (sum(wanted.values()), missing))
    if missing:
        errors.append("the text lacks " + missing)


def pages(pdf, dump):
    import collections
    import subprocess
    blank = BLANK
    for n, page in enumerate(load_dump(dump)["pages"], 1):
        wanted = page_characters(page, True)
        text = subprocess.run(["pdftotext", "-f", str(n), "-l", str(n), pdf, "-"],
                              capture_output=True, text=True).stdout
        found = collections.Counter(ch for ch in text if ch not in blank)
        missing = "".join((wanted - found).elements())
        print("page %d: %s" % (n, missing))
        if missing:
            errors.append("page %d lacks %s" % (n, missing))


def part(path, name):
    sys.stdout.write(zipfile.ZipFile(path).read(name).decode("utf-8"))


if __name__ == "__main__":
    cmd, path = sys.argv[1], sys.argv[2]
    if cmd == "docx":
        docx(path)
    elif cmd == "pptx":
        pptx(path)
    elif cmd == "wellformed":
        wellformed(path)
    elif cmd == "part":
        part(path, sys.argv[3])
    elif cmd == "pages":
        pages(path, sys.argv[3])
    elif cmd == "text":
        text(path, sys.argv[3])
    for e in errors:
        print("error: " + e)
    sys.exit(1 if errors else 0)
