#!/usr/bin/python3
"""The end-to-end scripts' hands on the Linux program's windows, through the
accessibility bus (AT-SPI), as winctl.exe is under Wine: which windows show,
the texts of their controls, pressing buttons, ticking boxes, picking items
and answering message boxes.

  linctl.py windows                      titles of the windows that show
  linctl.py visible <title>              exit 0 when a window of that title shows
  linctl.py texts <title>                role, text and state of every control
  linctl.py click <title> <caption>      press the button/check/radio of that caption
  linctl.py select <title> <item>        pick the list or combo box item of that text
  linctl.py box <ms>                     wait for a message box, print its texts
  linctl.py answer <caption> <ms>        press that button of the message box

Titles and captions are shell patterns. The program must run with the
accessibility bridge (no NO_AT_BRIDGE) on the session bus this runs on.
"""
import fnmatch
import sys
import time

import pyatspi

BUTTON_ROLES = {"push button", "toggle button", "check box", "radio button", "menu item"}


def frames():
    desk = pyatspi.Registry.getDesktop(0)
    for i in range(desk.childCount):
        app = desk.getChildAtIndex(i)
        if app is None:
            continue
        for j in range(app.childCount):
            f = app.getChildAtIndex(j)
            if f is not None:
                yield f


def showing(a):
    try:
        return a.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def window(title):
    for f in frames():
        if showing(f) and f.getRoleName() in ("frame", "dialog", "alert") and fnmatch.fnmatchcase(f.name or "", title):
            return f
    return None


def walk(a):
    try:
        n = a.childCount
    except Exception:
        return
    yield a
    for i in range(n):
        c = a.getChildAtIndex(i)
        if c is not None:
            yield from walk(c)


def text_of(a):
    try:
        t = a.queryText()
        return t.getText(0, -1)
    except Exception:
        return a.name or ""


def state(a):
    s = a.getState()
    words = ["enabled" if s.contains(pyatspi.STATE_SENSITIVE) else "disabled"]
    if s.contains(pyatspi.STATE_CHECKED) or s.contains(pyatspi.STATE_PRESSED):
        words.append("checked")
    if s.contains(pyatspi.STATE_SELECTED):
        words.append("selected")
    if not s.contains(pyatspi.STATE_SHOWING):
        words.append("hidden")
    return " ".join(words)


def act(a):
    action = a.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("click", "press", "activate", "toggle"):
            action.doAction(i)
            return
    action.doAction(0)


def need(w, title):
    if w is None:
        print(f"no window {title!r}", file=sys.stderr)
        sys.exit(1)
    return w


def main(argv):
    cmd = argv[1] if len(argv) > 1 else ""
    if cmd == "windows":
        for f in frames():
            if showing(f):
                print(f.name)
    elif cmd == "visible":
        return 0 if window(argv[2]) else 1
    elif cmd == "texts":
        w = need(window(argv[2]), argv[2])
        for a in walk(w):
            if a is w or a.getRoleName() in ("filler", "panel", "scroll pane", "viewport", "layered pane"):
                continue
            text = text_of(a).replace("\r", "").replace("\n", "\\n")
            print(f"{a.getRoleName()}\t{text}\t{state(a)}")
    elif cmd == "click":
        w = need(window(argv[2]), argv[2])
        for a in walk(w):
            if a.getRoleName() in BUTTON_ROLES and fnmatch.fnmatchcase((a.name or "").strip(), argv[3]) and showing(a):
                act(a)
                return 0
        print(f"no control {argv[3]!r} in {argv[2]!r}", file=sys.stderr)
        return 1
    elif cmd == "select":
        w = need(window(argv[2]), argv[2])
        for a in walk(w):
            if a.getRoleName() in ("list item", "table cell", "menu item") and fnmatch.fnmatchcase(text_of(a), argv[3]):
                parent = a.parent
                try:
                    parent.querySelection().selectChild(a.getIndexInParent())
                except Exception:
                    act(a)
                return 0
        return 1
    elif cmd in ("box", "answer"):
        limit = time.monotonic() + int(argv[-1]) / 1000.0
        while True:
            for f in frames():
                if showing(f) and f.getRoleName() in ("alert", "dialog"):
                    if cmd == "box":
                        print(f.name)
                        for a in walk(f):
                            if a.getRoleName() == "label":
                                print(text_of(a))
                        return 0
                    for a in walk(f):
                        if a.getRoleName() == "push button" and fnmatch.fnmatchcase((a.name or "").strip(), argv[2]):
                            act(a)
                            return 0
            if time.monotonic() > limit:
                return 1
            time.sleep(0.1)
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except KeyboardInterrupt:
        sys.exit(130)
