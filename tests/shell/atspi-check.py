"""What a screen reader finds in the reader's window, through AT-SPI (run by atspi-check.sh).

The entries list reads its rows as their text, without the markup that breaks a headword into lines;
the entry page has an accessible name; one object says it has the focus (tabs and panes that hand the
focus on do not claim it too; a focused list's current row is the list's active descendant and counts
with it)."""
import sys
import time

import pyatspi

HEADWORD_ROW = "禮之用， 和為貴"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def reader_app():
    for _ in range(120):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "velmoranote":
                return app
        time.sleep(0.5)
    fail("the reader does not show on the accessibility bus")


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(min(count, 400)):  # a list's rows: the first few hundred are enough
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def objects():
    return list(walk(reader_app()))


def main():
    found = []
    for _ in range(60):  # the lists fill once the notes are read
        found = objects()
        if any(o.getRoleName() in ("list item", "table cell") for o in found):
            break
        time.sleep(0.5)
    rows = [o.name for o in found if o.getRoleName() in ("list item", "table cell")]
    if not rows:
        fail("no list rows on the bus")
    marked = [r for r in rows if "<" in r]
    if marked:
        fail("rows read with their markup: %r" % marked[:5])
    if HEADWORD_ROW not in rows:
        fail("the row %r is not read as its text; rows: %r" % (HEADWORD_ROW, rows[:10]))
    pages = [o for o in found if o.getRoleName() in ("document web", "document frame", "frame", "panel", "filler")
             and o.name == "條目內容"]
    if not pages:
        fail("the entry page has no accessible name: %r" %
             sorted({(o.getRoleName(), o.name) for o in found if "document" in o.getRoleName()}))
    for o in found:  # the states as they are now, not as the cache remembers them
        try:
            o.clear_cache()
        except Exception:
            pass
    focused = [(o.getRoleName(), o.name) for o in found if o.getState().contains(pyatspi.STATE_FOCUSED)]
    # The web engine reports its document focused whenever the document holds the focus within the page,
    # whether or not the page has the window's keyboard; that one is the engine's and left out here.
    ours = [f for f in focused if f[0] != "document web"]
    # A list with the keyboard reports its current row focused too: the row a screen reader reads as the
    # list's active descendant, as every toolkit's lists do. It counts with its list as one.
    if any(role in ("list", "table", "tree table") for role, _ in ours):
        ours = [f for f in ours if f[0] not in ("list item", "table cell")]
    if len(ours) != 1:
        fail("not one focused object but %d: %r" % (len(ours), ours))
    print("accessibility tree OK: %d rows, page named, focused: %r (all: %r)" % (len(rows), ours[0], focused))

main()
