#!/usr/bin/python3
"""What a screen reader gets from Aevorium, read through AT-SPI from outside.

Started by run_atspi_test.sh (own X display, session bus and accessibility
bus). Starts the program, goes to -66 Ma with Ctrl+G, reads the dials, the
displays, the pictures, the globe buttons and the menus, listens to the
events a screen reader speaks, presses a globe button with Espace and Entrée,
and quits through F10. Prints what it read; exits non-zero on the first
check that fails.
"""
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

TITLE = "Aevorium v beta 2.3.2.0"
UNIT = " millions d'années"
events = []  # (type, role, name, detail1, text) as they arrive


def pump(seconds=0.0):
    """Serves the bus for that long (at least once)."""
    ctx = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while ctx.pending():
            ctx.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def wait_for(what, predicate, timeout=10.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pump()
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def fail(message):
    print("FAIL: " + message)
    for e in events[-30:]:
        print("  event", e)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def on_event(e):
    try:
        src = e.source
        role, name = src.get_role_name(), src.get_name()
        text = text_of(src) if e.type.startswith("object:text-changed") else None
        events.append((e.type, role, name, e.detail1, text, src.get_description()))
    except GLib.Error:
        pass


def text_of(acc):
    return Atspi.Text.get_text(acc, 0, -1) if "Text" in acc.get_interfaces() else None


def showing(acc):
    return acc is not None and acc.get_state_set().contains(Atspi.StateType.SHOWING)


def walk(acc, found=None):
    found = [] if found is None else found
    found.append(acc)
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is not None:
            walk(child, found)
    return found


def find(root, role, name=None):
    for acc in walk(root):
        if acc.get_role_name() == role and (name is None or acc.get_name() == name):
            return acc
    return None


def keys(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(names), check=True)


def main():
    program = sys.argv[1]
    listener = Atspi.EventListener.new(on_event)
    for kind in ("object:text-changed", "object:property-change", "object:state-changed:showing",
                 "object:state-changed:focused", "focus:"):
        listener.register(kind)

    proc = subprocess.Popen([program], stderr=subprocess.DEVNULL)
    try:
        run(proc)
    finally:
        if proc.poll() is None:
            proc.kill()
    print("PASS")


def run(proc):
    desktop = Atspi.get_desktop(0)

    def app():
        for i in range(desktop.get_child_count()):
            a = desktop.get_child_at_index(i)
            if a is not None and a.get_name() == "Aevorium":
                return a
        return None

    application = wait_for("the program on the accessibility bus", app, 30)

    def main_window():
        frame = find(application, "frame", TITLE)
        if showing(frame) and not showing(find(application, "dialog", "A propos")):
            return frame
        return None

    # The main window shows once the splash has held its minimum time.
    window = wait_for("the main window", main_window, 30)
    win_id = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + TITLE.replace(".", "\\.")],
                            check=True, capture_output=True, text=True).stdout.split()[0]
    # No window manager here: the client gives the window the keyboard.
    def focus_window():
        subprocess.run(["xdotool", "windowfocus", "--sync", win_id], check=True)
        pump(0.2)

    focus_window()

    dials = [find(window, "spin button", n)
             for n in ("Milliards d'années", "Millions d'années", "Dizaines de milliers d'années")]
    check(all(dials), "three dials named by their unit")
    wait_for("the first dial to have focus", lambda: dials[0].get_state_set().contains(Atspi.StateType.FOCUSED))
    readout = find(window, "label", "Date en millions d'années")
    calendar = find(window, "label", "Date ramenée à une année")
    period = find(window, "label", "Période")
    touched = find(window, "notification", "Événement touché")
    check(readout and calendar and period and touched, "the four displays")
    check(text_of(readout) == "+0,000" + UNIT, "readout at start: %r" % text_of(readout))

    # Aller à: Ctrl+G, "-66", Entrée.
    del events[:]
    keys("ctrl+g")
    wait_for("the Aller à dialog", lambda: showing(find(application, "dialog", "Aller à")))
    wait_for("the date field to have focus",
             lambda: any(e[0] == "focus:" and e[1] == "text" for e in events))
    subprocess.run(["xdotool", "type", "--delay", "20", "--", "-66"], check=True)
    keys("Return")
    wait_for("the readout at -66", lambda: text_of(readout) == "-66,000" + UNIT)
    pump(0.3)

    print("== What the client reads at -66 Ma ==")
    for d in dials:
        print("%-12s %-32r value %-10s text %r  description %r" % (
            d.get_role_name(), d.get_name(), "%.5f" % Atspi.Value.get_current_value(d),
            text_of(d), d.get_description()))
        check(text_of(d).startswith("-66,000") and UNIT + ", Paléogène" in text_of(d),
              "dial value text: %r" % text_of(d))
    check(dials[0].get_description() == "1 tour = 1 milliard d'années", "dial 1 description")
    check(dials[1].get_description() == "1 tour = 1 million d'années", "dial 2 description")
    for acc in (readout, calendar, period, touched):
        print("%-12s %-32r text %r" % (acc.get_role_name(), acc.get_name(), text_of(acc)))
    check(text_of(calendar) == "26 Decembre 16h55:54", "calendar text")
    check("SYSTEME : Paléogène" in text_of(period), "period text")
    event_text = text_of(touched)
    check(event_text, "a touched event at -66")
    check(touched.get_description() == event_text, "the notification's description is its text")
    for role in ("image", "push button"):
        for acc in walk(window):
            if acc.get_role_name() == role and acc.get_name() not in ("", None):
                print("%-12s %r" % (role, acc.get_name()))
    buttons = [a for a in walk(window) if a.get_role_name() == "push button"
               and a.get_name().startswith("Documents sur")]
    check(len(buttons) == 2, "two globe buttons named after their documents")
    check(all(b.get_name().startswith("Documents sur : ") for b in buttons), "globe buttons named by caption")
    images = [a for a in walk(window) if a.get_role_name() == "image" and a.get_name()]
    check(len(images) == 2, "two pictures named by their captions")
    # What announced the touched event: its strip, a notification, shown.
    shown = [e for e in events if e[0] == "object:state-changed:showing" and e[1] == "notification" and e[3] == 1]
    print("announced    %r" % [(e[0], e[1], e[2], e[5]) for e in shown])
    check(shown and shown[-1][5] == event_text, "the touched event announced")
    changed = {e[2] for e in events if e[0] == "object:text-changed:insert"}
    check({"Date en millions d'années", "Date ramenée à une année", "Période"} <= changed,
          "text changes of the displays: %r" % changed)

    # The menus and their access keys.
    bar = find(window, "menu bar")
    titles = []
    for i in range(bar.get_child_count()):
        item = bar.get_child_at_index(i)
        has_action = "Action" in item.get_interfaces() and Atspi.Action.get_n_actions(item)
        binding = Atspi.Action.get_key_binding(item, 0) if has_action else ""
        titles.append((item.get_name(), binding))
    print("menus        %r" % titles)
    check([t[0] for t in titles][:3] == ["Fichier", "Données", "Spirale"] and titles[-1][0] == "?",
          "menu titles")
    check(all(b for _, b in titles), "every menu has its access key")

    # The next event, Alt+Droite: announced by its text.
    focus_window()
    del events[:]
    keys("alt+Right")
    wait_for("the next event announced", lambda: [
        e for e in events if e[0] == "object:state-changed:showing" and e[1] == "notification"
        and e[5] and e[5] != event_text])
    print("Alt+Droite   %r" % text_of(touched))

    # A globe button takes Espace and Entrée (Espace is playback's elsewhere).
    opened_log = os.environ["AEV_OPENED_LOG"]
    before = text_of(readout)
    for _ in range(3):
        keys("Tab")
        pump(0.1)
    focused = wait_for("a globe button with focus", lambda: next(
        (b for b in buttons if b.get_state_set().contains(Atspi.StateType.FOCUSED)), None))
    keys("space")
    wait_for("Espace to open the document", lambda: os.path.exists(opened_log))
    keys("Return")
    wait_for("Entrée to open it again",
             lambda: len(open(opened_log, encoding="utf-8").read().splitlines()) == 2)
    pump(0.5)
    check(text_of(readout) == before, "no playback from the button's Espace")
    print("globe button %r opened %r" % (focused.get_name(), open(opened_log, encoding="utf-8").read().split()))

    # F10 opens the first menu; its first item is "Quitter".
    keys("F10")
    wait_for("the Fichier menu open", lambda: showing(find(application, "menu item", "Quitter")))
    keys("Return")
    end = time.monotonic() + 10
    while proc.poll() is None and time.monotonic() < end:
        pump(0.1)
    check(proc.poll() == 0, "the program ends through F10 and Quitter: %r" % proc.poll())


if __name__ == "__main__":
    main()
