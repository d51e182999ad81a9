#!/usr/bin/python3
"""A screen reader's view of the running program, through the AT-SPI client library.

  atspi_walk.py walk PID            prints the main window's tree, checks every control's role
                                    and name, prints the walk's time; exit 1 on a failed check
  atspi_walk.py press PID NAME [WINDOW]
                                    presses the push button NAME through its press action, in
                                    the main window or the window named WINDOW
  atspi_walk.py select PID ROW      selects row ROW of the list "Catalogue" by its item's action
  atspi_walk.py name PID ROLE       the name of the first object with ROLE ("status bar")
  atspi_walk.py windows PID         prints each top-level window of the program: role 'name'
  atspi_walk.py listen PID SECONDS  prints name-, text- and selection-change events of the
                                    program, one a line, for SECONDS

Run with Debian's /usr/bin/python3: the bindings are its own.
"""
import sys
import time

import pyatspi

MAIN_CAPTION = "Vanu Pelro Ismet Online"


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for deadline in range(100):
        for app in desktop:
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.1)
    sys.exit(f"no application with process {pid} on the accessibility bus")


def main_window(app, caption=MAIN_CAPTION):
    for window in app:
        if window is not None and window.name == caption:
            return window
    names = [f"{w.getRoleName()} '{w.name}'" for w in app if w is not None]
    sys.exit(f"no window named '{caption}'; the program shows: {names}")


def walk(node, depth=0):
    """Every object under node, depth first, with what a screen reader reads of it."""
    states = node.getState()
    try:
        actions = node.queryAction()
        action_names = [actions.getName(i) for i in range(actions.nActions)]
    except NotImplementedError:
        action_names = []
    found = [{
        "node": node,
        "depth": depth,
        "role": node.getRoleName(),
        "name": node.name,
        "description": node.description,
        "showing": states.contains(pyatspi.STATE_SHOWING),
        "focusable": states.contains(pyatspi.STATE_FOCUSABLE),
        "actions": action_names,
    }]
    for child in node:
        if child is not None:
            found += walk(child, depth + 1)
    return found


def describe(entry):
    text = f"{'  ' * entry['depth']}{entry['role']} '{entry['name']}'"
    if entry["description"]:
        text += f" ({entry['description']})"
    marks = [m for m in ("showing", "focusable") if entry[m]]
    if entry["actions"]:
        marks.append("actions: " + ", ".join(entry["actions"]))
    return text + (" [" + "; ".join(marks) + "]" if marks else "")


def find(entries, role, name=None):
    return [e for e in entries if e["role"] == role and (name is None or e["name"] == name)]


def press_index(entry):
    """Which of its actions presses it; -1 for none (focusing is not pressing)."""
    names = [name.lower() for name in entry["actions"]]
    return names.index("press") if "press" in names else -1


def check_walk(pid):
    app = application(pid)
    window = main_window(app)
    started = time.perf_counter()
    entries = walk(window)
    elapsed_ms = (time.perf_counter() - started) * 1000
    for entry in entries:
        print(describe(entry))
    print(f"figure: one walk of the main window, {len(entries)} objects: {elapsed_ms:.1f} ms")

    failures = []

    def check(what, ok):
        print(f"{'ok' if ok else 'FAILED'}: {what}")
        if not ok:
            failures.append(what)

    check("the main window is a frame or window named by its caption",
          entries[0]["role"] in ("frame", "window") and entries[0]["name"] == MAIN_CAPTION)
    lists = find(entries, "list", "Catalogue")
    check("a list named 'Catalogue'", len(lists) == 1)
    if lists:
        items = [e for e in entries if e["role"] == "list item"]
        check("the catalogue's titles are list items with their names",
              len(items) >= 1 and all(item["name"] for item in items))
    for caption in ("Stop", "Update"):
        buttons = find(entries, "push button", caption)
        check(f"a push button '{caption}' with a press action", bool(buttons) and press_index(buttons[0]) >= 0)
    for caption in ("Close", "About Vanu Pelro"):
        check(f"a push button '{caption}'", bool(find(entries, "push button", caption)))
    strips = find(entries, "status bar")
    check("the player strip is a status bar that says something", len(strips) == 1 and bool(strips[0]["name"]))
    fields = [e for e in entries if e["role"] == "text"]
    check("the hidden update-address field takes no focus",
          bool(fields) and not any(field["focusable"] for field in fields))
    nameless = [describe(e).strip() for e in entries[1:]
                if e["showing"] and not e["name"] and e["role"] in ("filler", "unknown", "panel")]
    check(f"no showing control is a nameless shape {nameless if nameless else ''}", not nameless)
    print(f"walk: {len(entries) - len(failures)} objects, {len(failures)} failed checks")
    return 1 if failures else 0


def press(pid, caption, window=MAIN_CAPTION):
    entries = walk(main_window(application(pid), window))
    buttons = find(entries, "push button", caption)
    if not buttons:
        sys.exit(f"no push button '{caption}'")
    action = press_index(buttons[0])
    if action < 0:
        sys.exit(f"push button '{caption}' has no press action: {buttons[0]['actions']}")
    return 0 if buttons[0]["node"].queryAction().doAction(action) else 1


def select(pid, row):
    lists = find(walk(main_window(application(pid))), "list", "Catalogue")
    if not lists:
        sys.exit("no list named 'Catalogue'")
    # Qt's list offers no selection interface over AT-SPI; each item toggles its own.
    item = lists[0]["node"].getChildAtIndex(row)
    actions = item.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if "Toggle" not in names:
        sys.exit(f"row {row} has no Toggle action: {names}")
    return 0 if actions.doAction(names.index("Toggle")) else 1


def name(pid, role):
    found = find(walk(main_window(application(pid))), role)
    if not found:
        sys.exit(f"no {role}")
    print(found[0]["name"])
    return 0


def windows(pid):
    for window in application(pid):
        if window is not None:
            print(f"{window.getRoleName()} '{window.name}'")
    return 0


def listen(pid, seconds):
    from gi.repository import GLib

    application(pid)

    def heard(event):
        try:
            if event.host_application.get_process_id() != pid:
                return
            source = event.source
            print(f"{event.type} | {source.getRoleName()} | {source.name} | {event.any_data}", flush=True)
        except Exception as error:  # an object gone meanwhile: say so, keep listening
            print(f"{event.type} | gone | {error}", flush=True)

    kinds = ["object:property-change:accessible-name", "object:text-changed", "object:selection-changed",
             "object:state-changed:focused", "object:state-changed:selected", "object:active-descendant-changed"]
    pyatspi.Registry.registerEventListener(heard, *kinds)
    print("listening", flush=True)
    GLib.timeout_add(int(seconds * 1000), lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    return 0


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    command, pid = argv[1], int(argv[2])
    if command == "walk":
        return check_walk(pid)
    if command == "press":
        return press(pid, *argv[3:5])
    if command == "select":
        return select(pid, int(argv[3]))
    if command == "name":
        return name(pid, argv[3])
    if command == "windows":
        return windows(pid)
    if command == "listen":
        return listen(pid, float(argv[3]))
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
