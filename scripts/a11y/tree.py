#!/usr/bin/python3
# Prints the accessible tree of the running Quillbook window as a screen reader sees it:
# role, name, and for text objects the caret offset; for lists the selected rows.
import sys
import pyatspi


def walk(node, depth=0, out=sys.stdout):
    try:
        role = node.getRoleName()
        name = node.name
    except Exception:
        return
    extra = ""
    try:
        text = node.queryText()
        extra += f" caret={text.caretOffset} text={text.getText(0, min(text.characterCount, 60))!r}"
    except Exception:
        pass
    try:
        table = node.queryTable()
        extra += f" selectedRows={list(table.getSelectedRows())}"
    except Exception:
        pass
    states = node.getState().getStates()
    flags = [pyatspi.stateToString(s) for s in states if s in (pyatspi.STATE_FOCUSED, pyatspi.STATE_SHOWING)]
    print("  " * depth + f"[{role}] {name!r}{extra} {' '.join(flags)}", file=out)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, out)


desktop = pyatspi.Registry.getDesktop(0)
for app in desktop:
    if app is not None and app.name and "quillbook" in app.name.lower():
        walk(app)
        break
else:
    print("Quillbook not found on the accessibility bus", file=sys.stderr)
    sys.exit(1)
