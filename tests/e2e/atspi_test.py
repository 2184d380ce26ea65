"""The main window and the Info dialog as a screen reader sees them over
AT-SPI: every control's role, name and value; linked captions; the value
labels and their events after a new duration is typed; the drop-down lists;
the sliders' value texts; the status bar's parts, its announcement and its
action; the Info dialog's name and description; started with a film
file, the announced message of the duration taken from it; and "Film
kodieren" with a job run to its end.

Run by run_atspi_test.sh, which provides a virtual display and a private
session bus. This script starts the accessibility bus and the program itself
and ends both. It never acts on the "Steuerung" menu.
"""

import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

TIMEOUT = 10.0
PRIVATE_SYSTEM_BUS = "unix:path=/nonexistent/system_bus"


class Failure(Exception):
    pass


checks = 0
failures = []


def check(ok, what):
    global checks
    checks += 1
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(predicate, what, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while True:
        pump()
        result = predicate()
        if result:
            return result
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.02)


# Reads past the client-side cache: names and descriptions change.
def name(obj):
    obj.clear_cache()
    return obj.name


def description(obj):
    obj.clear_cache()
    return obj.description


def text(obj):
    return obj.queryText().getText(0, -1)


def checked(obj):
    obj.clear_cache()
    return obj.getState().contains(pyatspi.STATE_CHECKED)


def relation_targets(obj, nick):
    for r in obj.getRelationSet():
        if r.getRelationType().value_nick == nick:
            yield from (name(r.getTarget(i)) for i in range(r.getNTargets()))


def grouped(n):
    return f"{n:,}".replace(",", ".") + " Byte"


def walk(obj):
    yield obj
    for child in obj:
        if child is not None:
            yield from walk(child)


def find_window(title, role):
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "Tessarin":
            continue
        for window in app:
            if window is not None and name(window) == title and window.getRoleName() == role:
                return window
    return None


# Events a screen reader would listen to, as (type, source, data).
events = []


def on_event(event):
    events.append((event.type, event.source, event.any_data))


def events_of(kind, predicate):
    return [e for e in events if e[0] == kind and predicate(e[1], e[2])]


# Every control of the main window at the first start: name, role and value
# (text for statics, edits and lists; position and value text for sliders;
# the check state for boxes).
CONTROLS = [
    ("Rahmen Audiobereich", "panel", None),
    ("Rahmen Zeitbereich", "panel", None),
    ("Rahmen Videobereich", "panel", None),
    ("Rahmen Größenbereich", "panel", None),
    ("Rahmen Ergebnisse", "panel", None),
    ("Videolänge", "label", "Videolänge:"),
    ("Stunden", "text", "01"),
    ("Minuten", "text", "30"),
    ("Sekunden", "text", "00"),
    ("Zeitformat", "label", "HH:MM:SS"),
    ("Zeitregler", "slider", (5400, "01:30:00")),
    ("Zeitregler Minimum", "label", "00:00:00"),
    ("Zeitregler Maximum", "label", "02:00:00"),
    ("Audiodatenrate", "label", "Audiodatenrate:"),
    ("Audiobitrate", "text", "128"),
    ("Einheit Audiobitrate", "label", "kBits / Sekunde"),
    ("Audioregler", "slider", (14, "128 kBits/s")),
    ("Audioregler Minimum", "label", "4 kBits/s"),
    ("Audioregler Maximum", "label", "384 kBits/s"),
    ("Videodatenrate", "label", "Videodatenrate:"),
    ("Videobitrate", "text", "1995"),
    ("Einheit Videobitrate", "label", "kBits / Sekunde"),
    ("Videoregler", "slider", (1995, "1995 kBits/s")),
    ("Videoregler Minimum", "label", "1 kBit/s"),
    ("Videoregler Maximum", "label", "6000 kBit/s"),
    ("Fest (Videolänge)", "check box", False),
    ("Fest (Audiodatenrate)", "check box", False),
    ("Fest (Videodatenrate)", "check box", False),
    ("Max. Datengröße", "label", "Max. Datengröße:"),
    ("Maximale Datengröße", "text", "1400"),
    ("Größeneinheit", "combo box", "Megabyte"),
    ("Fest (Datengröße)", "check box", False),
    ("Größenregler", "slider", (1433600, "1.468.006.400 Byte")),
    ("Max. Datengröße: 1.468.006.400 Byte", "label", "1.468.006.400 Byte"),
    ("Größenregler Minimum", "label", "1 kByte"),
    ("Größenregler Maximum", "label", "2 GByte"),
    ("CD-Größe", "combo box", "700 MB"),
    ("Anzahl CDs", "text", "2"),
    ("Beschriftung CDs", "label", "CDs"),
    ("Beschriftung Audiodaten", "label", "Audiodaten:"),
    ("Beschriftung Videodaten", "label", "Videodaten:"),
    ("Beschriftung Gesamtdaten", "label", "Gesamtdaten:"),
    ("Audiodaten: 88.473.600 Byte", "label", "88.473.600 Byte"),
    ("Videodaten: 1.378.944.000 Byte", "label", "1.378.944.000 Byte"),
    ("Gesamtdaten: 1.467.438.112 Byte", "label", "1.467.438.112 Byte"),
    ("Videodatenrate: 1995 kBits/s", "label", "1995 kBits/s"),
    ("Audiodatenrate: 128 kBits/s", "label", "128 kBits/s"),
    ("Videolänge: 90 Minuten", "label", "90 Minuten"),
    ("Ohne Audio", "check box", False),
    ("Beschriftung Headerdaten", "label", "Headerdaten:"),
    ("Headerdaten: 20.512 Byte", "label", "20.512 Byte"),
    ("Videobereich ein- oder ausblenden", "push button", None),
    ("Audiobereich ein- oder ausblenden", "push button", None),
    ("Zeitbereich ein- oder ausblenden", "push button", None),
    ("Größenbereich ein- oder ausblenden", "push button", None),
    ("Statusleiste", "status bar", None),
]

# Captions and the controls they label, both ways; a slider's value label
# is controlled by its slider.
RELATIONS = [
    ("Videolänge", "label-for", ["Stunden", "Minuten", "Sekunden"]),
    ("Stunden", "labelled-by", ["Videolänge"]),
    ("Minuten", "labelled-by", ["Videolänge"]),
    ("Sekunden", "labelled-by", ["Videolänge"]),
    ("Audiodatenrate", "label-for", ["Audiobitrate"]),
    ("Audiobitrate", "labelled-by", ["Audiodatenrate"]),
    ("Max. Datengröße", "label-for", ["Maximale Datengröße"]),
    ("Maximale Datengröße", "labelled-by", ["Max. Datengröße"]),
    ("Beschriftung CDs", "label-for", ["Anzahl CDs"]),
    ("Anzahl CDs", "labelled-by", ["Beschriftung CDs"]),
    ("Videobitrate", "labelled-by", ["Videodatenrate"]),
    ("Beschriftung Gesamtdaten", "label-for", ["Gesamtdaten: 1.467.438.112 Byte"]),
    ("Gesamtdaten: 1.467.438.112 Byte", "labelled-by", ["Beschriftung Gesamtdaten"]),
    ("Videodatenrate: 1995 kBits/s", "controlled-by", ["Videoregler"]),
    ("Zeitregler", "controller-for", ["Videolänge: 90 Minuten"]),
]


def check_controls(surface):
    found = {name(o): o for o in walk(surface) if o is not surface}
    parts = {"", "Geprüft", "Statussymbol"}  # the status bar's parts
    listed = {row[0] for row in CONTROLS}
    # The drop-down lists offer their entries as children.
    entries = {"list", "Gigabyte", "Megabyte", "Kilobyte", "Byte", "650 MB", "700 MB", "800 MB"}
    extra = set(found) - listed - parts - entries
    check(not extra, f"controls without a row: {sorted(extra)}")
    for label, role, value in CONTROLS:
        obj = found.get(label)
        check(obj is not None, f"no control named {label!r}")
        if obj is None:
            continue
        check(obj.getRoleName() == role, f"{label}: role {obj.getRoleName()!r}, expected {role!r}")
        if isinstance(value, tuple):
            position, shown = value
            check(obj.queryValue().currentValue == position,
                  f"{label}: position {obj.queryValue().currentValue}, expected {position}")
            check(text(obj) == shown, f"{label}: value text {text(obj)!r}, expected {shown!r}")
        elif isinstance(value, bool):
            check(checked(obj) == value, f"{label}: checked {checked(obj)}, expected {value}")
        elif value is not None:
            check(text(obj) == value, f"{label}: text {text(obj)!r}, expected {value!r}")
    for label, nick, targets in RELATIONS:
        got = list(relation_targets(found[label], nick)) if label in found else []
        check(sorted(got) == sorted(targets), f"{label} {nick} {got}, expected {targets}")
    return found


def by_prefix(surface, prefix):
    for o in walk(surface):
        if name(o).startswith(prefix):
            return o
    raise Failure("no control named " + prefix + "…")


def check_new_duration(surface, found):
    video_label = by_prefix(surface, "Videodaten: ")
    before = text(video_label)
    found["Minuten"].queryEditableText().setTextContents("45")
    wait_for(lambda: text(video_label) != before, "the video data to change")
    seconds = 1 * 3600 + 45 * 60
    rate = int(text(found["Videobitrate"]))
    audio = seconds * 128 * 128
    video = seconds * rate * 128
    header = 2 * 10256
    results = [
        ("Headerdaten: ", header),
        ("Audiodaten: ", audio),
        ("Videodaten: ", video),
        ("Gesamtdaten: ", header + audio + video),
    ]
    for prefix, value in results:
        obj = by_prefix(surface, prefix)
        check(name(obj) == prefix + grouped(value), f"{name(obj)!r}, expected {grouped(value)}")
        check(text(obj) == grouped(value), f"{prefix} text {text(obj)!r}")
    # The change was sent: the new text inserted, the new name announced.
    now = text(video_label)
    wait_for(lambda: events_of("object:text-changed:insert",
                               lambda src, data: data == now and src == video_label),
             "the text event of the video data")
    wait_for(lambda: events_of("object:property-change:accessible-name",
                               lambda src, data: src == video_label),
             "the name event of the video data")
    sliders = [
        ("Zeitregler", seconds, "01:45:00"),
        ("Videoregler", rate, f"{rate} kBits/s"),
        ("Audioregler", 14, "128 kBits/s"),
    ]
    for label, position, shown in sliders:
        obj = found[label]
        check(obj.queryValue().currentValue == position, f"{label} at {position}")
        check(text(obj) == shown, f"{label}: {text(obj)!r}, expected {shown!r}")
    check(name(by_prefix(surface, "Videolänge: ")) == "Videolänge: 105 Minuten", "time label")

    # A slider moved from assistive technology moves as the user's move.
    found["Audioregler"].queryValue().currentValue = 8
    wait_for(lambda: text(found["Audiobitrate"]) == "48", "the audio edit to follow its slider")
    check(text(found["Audioregler"]) == "48 kBits/s", "audio slider text after the move")
    check(name(by_prefix(surface, "Audiodatenrate: ")) == "Audiodatenrate: 48 kBits/s",
          "audio slider label after the move")


def find_option(window, label, menu="Optionen"):
    bar = next(c for c in window if c.getRoleName() == "menu bar")
    options = next(c for c in bar if name(c) == menu)
    for o in walk(options):
        if name(o) == label and o.getRoleName() in ("menu item", "check menu item"):
            return o
    raise Failure("no menu item " + label)


def check_status_bar(window, found):
    bar = found["Statusleiste"]
    message, word, icon = (bar.getChildAtIndex(i) for i in range(3))
    check(bar.childCount == 3, f"status bar parts {bar.childCount}")
    check((text(message), text(word)) == ("", "Geprüft"), "parts at the start")
    check(word.getRoleName() == "notification", f"state word role {word.getRoleName()!r}")
    check((icon.getRoleName(), name(icon), description(icon)) ==
          ("image", "Statussymbol", "Geprüft (grün)"), "icon at the start")
    check(description(bar) == "Geprüft", f"bar description {description(bar)!r}")

    auto = find_option(window, "Automatisch berechnen")
    check(name(auto.parent) == "Optionen", f"the option's menu {name(auto.parent)!r}")
    check(checked(auto), "automatic recalculation on at the start")
    press(auto)
    wait_for(lambda: not checked(auto), "automatic recalculation to be off")

    found["Videobitrate"].queryEditableText().setTextContents("1500")
    stale = "Ungeprüft. Hier drücken, um neu zu berechnen."
    wait_for(lambda: description(bar) == stale, "the unchecked state")
    wait_for(lambda: events_of("object:property-change:accessible-description",
                               lambda src, data: src == bar), "the state announcement")
    wait_for(lambda: events_of("object:text-changed:insert",
                               lambda src, data: src == word and data == "Ungeprüft"),
             "the state word's event")
    # Shown anew, the word is spoken by readers that speak notifications.
    wait_for(lambda: events_of("object:state-changed:showing", lambda src, data: src == word),
             "the state announcement as a notification")
    check(name(word) == stale, f"state word named {name(word)!r}")
    check(text(message) == "Hier drücken, um neu zu berechnen. --->", "message part")
    check(name(message) == "Hier drücken, um neu zu berechnen.", "message heard without the arrow")
    check(description(icon) == "Ungeprüft (gelb)", "icon of the unchecked state")

    actions = bar.queryAction()
    offered = [(actions.getName(i), actions.getDescription(i)) for i in range(actions.nActions)]
    check(offered == [("Press", "Neu berechnen")], f"status bar actions {offered}")
    actions.doAction(0)
    wait_for(lambda: text(word) == "Geprüft", "the checked state after the action")
    check(description(bar) == "Geprüft", "bar description after the action")
    check(description(icon) == "Geprüft (grün)", "icon after the action")

    # Without range limits a negative rate is faulty, and heard so.
    press(find_option(window, "Automatisch begrenzen"))
    found["Videobitrate"].queryEditableText().setTextContents("-5")
    faulty = "Fehlerhaft. Ungültige Werte, bitte korrigieren."
    wait_for(lambda: description(bar) == faulty, "the faulty state")
    check((text(message), text(word), description(icon)) ==
          ("Ungültige Werte, bitte korrigieren.", "Fehlerhaft", "Fehlerhaft (rot)"),
          "parts of the faulty state")
    press(find_option(window, "Automatisch begrenzen"))
    wait_for(lambda: text(found["Videobitrate"]) != "-5", "the limits to correct the rate")
    actions.doAction(0)
    wait_for(lambda: text(word) == "Geprüft", "the checked state after the correction")

    # A bar moved below the window is not shown to the reader either.
    press(find_option(window, "Statusbar verbergen", "Ansicht"))
    wait_for(lambda: not showing(bar), "the status bar to be hidden")
    check(not showing(word), "the state word hidden with its bar")
    # A hidden bar announces nothing.
    events.clear()
    found["Videobitrate"].queryEditableText().setTextContents("1400")
    # Sent on the same connection just before a notification would be.
    wait_for(lambda: events_of("object:property-change:accessible-name",
                               lambda src, data: src == word), "the state word's new name")
    pump()
    check(not events_of("object:state-changed:showing", lambda src, data: src == word),
          "no announcement from the hidden bar")
    actions.doAction(0)
    wait_for(lambda: text(word) == "Geprüft", "the checked state behind the hidden bar")
    press(find_option(window, "Status anzeigen", "Ansicht"))
    wait_for(lambda: showing(bar), "the status bar to be shown again")
    check(showing(word), "the state word shown with its bar")


def showing(obj):
    obj.clear_cache()
    states = obj.getState()
    return states.contains(pyatspi.STATE_VISIBLE) and states.contains(pyatspi.STATE_SHOWING)


def press(obj):
    action = obj.queryAction()
    action.doAction(next(i for i in range(action.nActions) if action.getName(i) == "Press"))


def check_edit_text(found):
    """An edit read and changed as a reader reads and edits it."""
    seconds = found["Sekunden"]
    edit = seconds.queryText()
    check(edit.getText(0, -1) == "00", f"seconds {edit.getText(0, -1)!r}")
    check(edit.setCaretOffset(1) and edit.caretOffset == 1, "caret moved into the seconds")
    check(edit.setSelection(0, 0, 2) and edit.getSelection(0) == (0, 2), "seconds selected")
    box = seconds.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    first = edit.getCharacterExtents(0, pyatspi.DESKTOP_COORDS)
    second = edit.getCharacterExtents(1, pyatspi.DESKTOP_COORDS)
    inside = (box.x <= first[0] < second[0] < box.x + box.width and first[2] > 0
              and box.y <= first[1] and first[1] + first[3] <= box.y + box.height)
    check(inside, f"characters at {first}, {second} in the field at {tuple(box)}")
    centre = (second[0] + second[2] // 2, second[1] + second[3] // 2)
    at = edit.getOffsetAtPoint(*centre, pyatspi.DESKTOP_COORDS)
    check(at == 1, f"offset {at} at the second character")
    # Deleted and typed anew: the window takes each step as typing.
    editable = seconds.queryEditableText()
    editable.deleteText(0, 2)
    editable.insertText(0, "15", 2)
    slider = found["Zeitregler"]
    wait_for(lambda: text(slider).endswith(":15"), "the time slider to take the seconds")
    check(edit.getText(0, -1) == "15", f"seconds after editing {edit.getText(0, -1)!r}")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=10)


def check_info_dialog():
    wid = wait_for(lambda: xdotool("search", "--name", r"^Tessarin v1\.26$").stdout.split(),
                   "the X window")[0]
    xdotool("windowfocus", wid)
    # Tab stays in its field; a screen reader moves the focus itself.
    audio = next(o for o in walk(find_window("Tessarin v1.26", "frame"))
                 if name(o) == "Audiobitrate")
    audio.queryComponent().grabFocus()
    wait_for(lambda: audio.getState().contains(pyatspi.STATE_FOCUSED), "the focus on the audio edit")
    xdotool("key", "--delay", "200", "alt+h")
    time.sleep(0.3)
    xdotool("key", "i")
    info = wait_for(lambda: find_window("Info", "dialog"), "the Info dialog")
    history = next(o for o in walk(info) if name(o) == "Versionsgeschichte")
    check(history.getRoleName() == "list", f"history role {history.getRoleName()}")
    lines = [name(item) for item in history]
    check(len(lines) > 10, f"{len(lines)} history lines")
    shown = description(info).split("\n")
    check(shown[0] == "Tessarin v1.26 – Datenraten für Video-CDs", f"first line {shown[0]!r}")
    check(shown[1:] == lines, "the description holds the whole history")
    # Hidden while the cube runs, the title still offers its text.
    title = next(o for o in walk(info) if name(o) == "Titel")
    check((title.getRoleName(), text(title)) == ("label", shown[0]), "the title's text")
    check(events_of("object:property-change:accessible-description",
                    lambda src, data: src == info), "the description's event")
    xdotool("key", "Escape")
    wait_for(lambda: find_window("Info", "dialog") is None, "the Info dialog to close")


def check_film_from_command_line(program, env, folder):
    """Started with a film, the window takes its duration and says so at once."""
    film = os.path.join(folder, "film.m4a")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono",
                    "-t", "3725.4", film], check=True, timeout=60)
    events.clear()
    run = subprocess.Popen([program, film], env=env)
    try:
        window = wait_for(lambda: find_window("Tessarin v1.26", "frame"), "the window with a film",
                          20)
        bar = next(o for o in walk(window) if name(o) == "Statusleiste")
        message = bar.getChildAtIndex(0)
        said = "Videolänge aus film.m4a übernommen: 01:02:06"
        wait_for(lambda: name(message) == said, "the message of the film's duration")
        check(message.getRoleName() == "notification", f"message role {message.getRoleName()!r}")
        wait_for(lambda: events_of("object:state-changed:showing", lambda src, data: src == message),
                 "the film's message announced as a notification")
        hours = next(o for o in walk(window) if name(o) == "Stunden")
        check(text(hours) == "01", f"hours from the film {text(hours)!r}")
    finally:
        run.terminate()
        check(run.wait(timeout=10) == 0, "the program with a film ends with status 0")


def named_in(top, wanted):
    """The object named `wanted` below `top`, or None; the file list's lines
    come and go while the job runs."""
    try:
        return next((o for o in walk(top) if name(o) == wanted), None)
    except GLib.Error:
        return None


def check_encode_dialog(program, env, folder):
    """"Film kodieren" opened from the menu: its controls named and described,
    the progress bar's value, the step and the result announced, each file's
    line heard whole."""
    film = os.path.join(folder, "clip.mkv")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc2=size=160x90:rate=25",
                    "-f", "lavfi", "-i", "sine", "-t", "6", "-c:v", "mpeg4", "-c:a", "aac", film],
                   check=True, timeout=60)
    # Two parts of 256 KByte for the six seconds.
    os.makedirs(os.path.join(folder, "Orvanholt"), exist_ok=True)
    with open(os.path.join(folder, "Orvanholt", "Tessarin.reg"), "w", encoding="utf-8") as f:
        f.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Sizesettings]\n"
                "\"Size_Value\"=hex:00,00,08,00,00,00,00,00\n"
                "\"CD_Count\"=hex:02,00,00,00,00,00,00,00\n")
    # What was announced, as it was said at the time.
    announced = []

    def on_announcement(event):
        if event.source.getRoleName() == "notification":
            announced.append(event.source.name)

    pyatspi.Registry.registerEventListener(on_announcement, "object:state-changed:showing")
    run = subprocess.Popen([program, film], env=env)
    try:
        window = wait_for(lambda: find_window("Tessarin v1.26", "frame"), "the window with a clip",
                          20)
        bar = next(o for o in walk(window) if name(o) == "Statusleiste")
        wait_for(lambda: name(bar.getChildAtIndex(0)).startswith("Videolänge aus clip.mkv"),
                 "the clip's duration")
        press(find_option(window, "Film kodieren…", "Film"))
        dialog = wait_for(lambda: find_window("Film kodieren", "dialog"), "the encode dialog")
        found = {name(o): o for o in walk(dialog)}
        for label, role in (("Videocodec", "combo box"), ("Audiocodec", "combo box"),
                            ("Schneller oder besser", "slider"), ("Zieldatei", "text"),
                            ("Durchsuchen", "push button"), ("Fortschritt", "progress bar"),
                            ("Kodieren", "push button"), ("Abbrechen", "push button")):
            obj = found.get(label)
            check(obj is not None and obj.getRoleName() == role,
                  f"{label}: {obj.getRoleName() if obj else None}, expected {role}")
            check(obj is not None and description(obj) != "", f"{label} has a description")
        check(text(found["Zieldatei"]) == os.path.join(folder, "clip.tessarin.mkv"),
              f"the target {text(found['Zieldatei'])!r}")
        press(found["Kodieren"])
        done = "clip.tessarin.mkv ist fertig: alle 2 Dateien passen."
        result = wait_for(lambda: named_in(dialog, done), "the result", 120)
        check(result.getRoleName() == "notification", f"result role {result.getRoleName()!r}")
        wait_for(lambda: done in announced, "the result announced")
        check(any(said.endswith("Durchgang") for said in announced),
              f"the step announced: {announced}")
        check(found["Fortschritt"].queryValue().currentValue == 100, "the progress at 100")
        lines = [name(item) for item in found["Dateien"]]
        check(len(lines) == 2 and all(line.startswith(f"clip.tessarin.part{i + 1}.mkv: ")
                                      and line.endswith(" von 262.144 Byte, passt")
                                      for i, line in enumerate(lines)), f"file lines {lines}")
    finally:
        pyatspi.Registry.deregisterEventListener(on_announcement, "object:state-changed:showing")
        run.terminate()
        check(run.wait(timeout=10) == 0, "the program after encoding ends with status 0")


def bus_launched():
    asked = subprocess.run(
        ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
         "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
        capture_output=True, text=True, timeout=10)
    return "boolean true" in asked.stdout


def main():
    program = sys.argv[1]
    # No test may reach a real bus.
    session = os.environ.get("DBUS_SESSION_BUS_ADDRESS", "")
    if (os.environ.get("DBUS_SYSTEM_BUS_ADDRESS") != PRIVATE_SYSTEM_BUS or not session
            or session == os.environ.get("TESSARIN_OUTER_SESSION_BUS")):
        print("FAIL: not on private buses; start through run_atspi_test.sh")
        return 1

    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    wait_for(bus_launched, "the accessibility bus")
    # Listening before the program starts: it sends only the events that
    # someone listens to.
    for kind in ("object:text-changed:insert", "object:property-change:accessible-name",
                 "object:property-change:accessible-description", "object:state-changed:showing"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    config = tempfile.TemporaryDirectory()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=config.name)
    env.pop("QT_QPA_PLATFORM", None)
    program_run = subprocess.Popen([program], env=env)
    try:
        window = wait_for(lambda: find_window("Tessarin v1.26", "frame"), "the main window", 20)
        surface = next(c for c in window if c.getRoleName() == "filler")
        found = check_controls(surface)
        check_new_duration(surface, found)
        check_status_bar(window, found)
        check_edit_text(found)
        check_info_dialog()
    except Exception as e:  # a missing interface or object fails the run, with the others
        check(False, f"{type(e).__name__}: {e}")
    finally:
        program_run.terminate()
        try:
            check(program_run.wait(timeout=10) == 0, "the program ends with status 0")
        except subprocess.TimeoutExpired:
            program_run.kill()
            check(False, "the program did not end")
    try:
        check_film_from_command_line(program, env, config.name)
        check_encode_dialog(program, env, config.name)
    except Exception as e:
        check(False, f"{type(e).__name__}: {e}")
    finally:
        launcher.terminate()
        launcher.wait(timeout=10)
        config.cleanup()
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
