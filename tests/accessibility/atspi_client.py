#!/usr/bin/python3
"""What a screen reader gets from Aevorium, read through AT-SPI from outside.

Started by run_atspi_test.sh. Starts the program, goes to -66 Ma (Ctrl+G),
reads the dials, displays, pictures, globe buttons and menus and listens to
the events; then Alt+Droite, a globe button pressed with Espace and Entrée,
and F10 > Quitter. Prints what it read; fails on the first wrong answer.
"""
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

TITLE = "Aevorium v beta 2.3.2.0"
MA = " millions d'années"
events = []  # (type, role, name, detail1, description)


def pump(seconds=0.0):
    ctx, end = GLib.MainContext.default(), time.monotonic() + seconds
    while True:
        while ctx.pending():
            ctx.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def check(ok, what):
    if not ok:
        print("FAIL: " + what)
        for e in events[-30:]:
            print("  event", e)
        sys.exit(1)


def wait_for(what, predicate, timeout=10.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pump(0.05)
        value = predicate()
        if value:
            return value
    check(False, "timed out waiting for " + what)


def on_event(e):
    try:
        s = e.source
        events.append((e.type, s.get_role_name(), s.get_name(), e.detail1, s.get_description()))
    except GLib.Error:
        pass


def text(acc):
    return Atspi.Text.get_text(acc, 0, -1) if "Text" in acc.get_interfaces() else None


def showing(acc):
    return acc is not None and acc.get_state_set().contains(Atspi.StateType.SHOWING)


def focused(acc):
    return acc.get_state_set().contains(Atspi.StateType.FOCUSED)


def tree(acc):
    yield acc
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is not None:
            yield from tree(child)


def find_all(root, role, prefix=""):
    return [a for a in tree(root) if a.get_role_name() == role and (a.get_name() or "").startswith(prefix)]


def find(root, role, name):
    return next((a for a in find_all(root, role, name) if a.get_name() == name), None)


def xdo(*args):
    return subprocess.run(["xdotool"] + list(args), check=True, capture_output=True, text=True).stdout


def announced(other_than=None):
    return [e[4] for e in events if e[:2] == ("object:state-changed:showing", "notification")
            and e[3] == 1 and e[4] and e[4] != other_than]


def run(proc):
    desktop = Atspi.get_desktop(0)
    app = wait_for("the program on the bus", lambda: next(
        (a for a in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count()))
         if a is not None and a.get_name() == "Aevorium"), None), 30)
    # The main window shows once the splash has held its minimum time.
    window = wait_for("the main window", lambda: showing(find(app, "frame", TITLE))
                      and not showing(find(app, "dialog", "A propos")) and find(app, "frame", TITLE), 30)
    win_id = xdo("search", "--onlyvisible", "--name", "^" + TITLE.replace(".", "\\.")).split()[0]

    def focus_window():  # no window manager here: the client gives the window the keyboard
        xdo("windowfocus", "--sync", win_id)
        pump(0.2)

    focus_window()
    dials = [find(window, "spin button", n)
             for n in ("Milliards d'années", "Millions d'années", "Dizaines de milliers d'années")]
    readout, calendar, period = (find(window, "label", n)
                                 for n in ("Date en millions d'années", "Date ramenée à une année", "Période"))
    touched = find(window, "notification", "Événement touché")
    check(all(dials) and readout and calendar and period and touched, "the dials and the four displays")
    wait_for("the first dial to have focus", lambda: focused(dials[0]))
    check(text(readout) == "+0,000" + MA, "readout at start: %r" % text(readout))

    del events[:]
    xdo("key", "ctrl+g")
    wait_for("the date field of Aller à", lambda: any(e[:2] == ("focus:", "text") for e in events))
    xdo("type", "--delay", "20", "--", "-66")
    xdo("key", "Return")
    wait_for("the readout at -66", lambda: text(readout) == "-66,000" + MA)
    pump(0.3)

    print("== What the client reads at -66 Ma ==")
    for d in dials:
        print("%-12s %-31r value %.5f text %r description %r" % (
            d.get_role_name(), d.get_name(), Atspi.Value.get_current_value(d), text(d), d.get_description()))
    for acc in (readout, calendar, period, touched):
        print("%-12s %-31r text %r" % (acc.get_role_name(), acc.get_name(), text(acc)))
    pictures = [a for a in find_all(window, "image") if a.get_name()]
    buttons = find_all(window, "push button", "Documents sur")
    for acc in pictures + buttons:
        print("%-12s %r" % (acc.get_role_name(), acc.get_name()))
    bar = find_all(window, "menu bar")[0]
    menus = [(m.get_name(), Atspi.Action.get_key_binding(m, 0))
             for m in (bar.get_child_at_index(i) for i in range(bar.get_child_count()))]
    print("menus        %r" % menus)
    event = text(touched)
    print("announced    %r" % announced())
    changed = {e[2] for e in events if e[0] == "object:text-changed:insert"}
    for ok, what in [
        (all(text(d).startswith("-66,000") and MA + ", Paléogène" in text(d) for d in dials), "dial texts"),
        ([d.get_description() for d in dials[:2]] == ["1 tour = 1 milliard d'années",
                                                      "1 tour = 1 million d'années"], "dial steps"),
        (text(calendar) == "26 Decembre 16h55:54", "calendar date"),
        ("SYSTEME : Paléogène" in text(period), "period text"),
        (event and touched.get_description() == event, "touched event as the notification's description"),
        (announced()[-1:] == [event], "the touched event announced"),
        ({readout.get_name(), calendar.get_name(), period.get_name()} <= changed, "text changes sent"),
        (len(pictures) == 2 and len(buttons) == 2, "pictures and globe buttons named"),
        (all(b.get_name() == "Documents sur : " + p.get_name() for b, p in zip(buttons, pictures)),
         "globe buttons named by their pictures' captions"),
        ([m[0] for m in menus[:3]] + [menus[-1][0]] == ["Fichier", "Données", "Spirale", "?"]
         and all(b.startswith("Alt+") for _, b in menus), "menus and their access keys"),
    ]:
        check(ok, what)

    # The arrows turn the focused dial (1 Ga: 25 Ma a step); Alt+Droite goes to
    # the next event, announced, and leaves the arrows to the dial.
    focus_window()
    xdo("key", "Right")
    wait_for("a step of the first dial", lambda: text(readout) == "-41,000" + MA)
    del events[:]
    xdo("key", "alt+Right")
    wait_for("the next event announced", lambda: announced(other_than=event))
    print("Alt+Droite   %r at %r" % (announced()[-1], text(readout)))
    after = float(text(readout).split()[0].replace(",", ".")) + 25
    xdo("key", "Right")
    wait_for("the arrow to turn the dial again", lambda: text(readout) == ("%.3f" % after).replace(".", ",") + MA)
    check(not [e for e in events if e[:2] == ("focus:", "menu item")], "Alt+Droite leaves the menus closed")

    # A focused globe button takes Espace (playback's elsewhere) and Entrée.
    log, before = os.environ["AEV_OPENED_LOG"], text(readout)
    xdo("key", "Tab", "Tab", "Tab")
    button = wait_for("a globe button with focus", lambda: next((b for b in buttons if focused(b)), None))
    xdo("key", "space")
    wait_for("Espace to open the document", lambda: os.path.exists(log))
    xdo("key", "Return")
    wait_for("Entrée to open it", lambda: len(open(log, encoding="utf-8").read().split()) == 2)
    pump(0.5)
    check(text(readout) == before, "no playback from the button's Espace")
    print("globe button %r opened %r" % (button.get_name(), open(log, encoding="utf-8").read().split()))

    # F10 opens the first menu on its first item, "Quitter".
    xdo("key", "F10")
    wait_for("the Fichier menu open", lambda: showing(find(app, "menu item", "Quitter")))
    xdo("key", "Return")
    wait_for("the program to end", lambda: proc.poll() is not None)
    check(proc.returncode == 0, "exit status %r" % proc.returncode)


def main():
    listener = Atspi.EventListener.new(on_event)
    for kind in ("object:text-changed", "object:state-changed:showing", "focus:"):
        listener.register(kind)
    proc = subprocess.Popen([sys.argv[1]], stderr=subprocess.DEVNULL)
    try:
        run(proc)
    finally:
        if proc.poll() is None:
            proc.kill()
    print("PASS")


if __name__ == "__main__":
    main()
