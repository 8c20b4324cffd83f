"""The application as a user meets it: the built program on a virtual X
server, driven through its windows, menus and the real Qt file dialogs. One
scenario per run:

    python3 quelmar_e2e.py --app build/Quelmar/bin/Quelmar --version 1.0.0 --output DIR [--files FILES] SCENARIO
    python3 quelmar_e2e.py --list

Each scenario starts the program afresh on a display of its own, with a scratch
folder of its own (DIR/SCENARIO/files, or FILES) for the files it makes, which
is also the program's home folder; the screenshots of its steps and the
program's output go to DIR/SCENARIO. FILES gives the pictures paths a user knows
(the README's are taken with a user's home folder, --files /home/anna); the
files the scenario makes must not be there yet."""

import argparse
import email.utils
import os
import re
import sys
import time

from emlx_file import read_emlx
from xsession import WORK_TIMEOUT, E2EError, Session, VirtualDisplay, wait_until

CONTENT_WIDTH, CONTENT_HEIGHT = 448, 306
ABOUT_SIZE = (449, 204)
ABOUT_CLOSE_PERIOD = 3.0  # seconds, the About window's own timer


def expect(condition, message):
    if not condition:
        raise E2EError(message)


def message_text(subject):
    return ("From: a@example.com\r\nTo: b@example.com\r\nSubject: %s\r\n"
            "Date: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\nBody of %s\r\n" % (subject, subject)).encode()


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "xb") as f:  # never over a file of the user's
        f.write(content)


def check_emlx(path, subject):
    """The file reads as Apple Mail reads it and holds the message of that subject."""
    expect(os.path.isfile(path), "no %s" % path)
    message, plist = read_emlx(path)
    expect(message == message_text(subject).replace(b"\r", b""), "%s: the message is not the source's" % path)
    sent = int(email.utils.parsedate_to_datetime("Tue, 1 Jul 2003 10:52:37 +0200").timestamp())
    found = {key: plist.get(key) for key in ("subject", "sender", "to", "date-sent")}
    wanted = {"subject": subject, "sender": "a@example.com", "to": "b@example.com", "date-sent": sent}
    expect(found == wanted, "%s: the property list holds %r, not %r" % (path, found, wanted))


def tree(folder):
    """Every entry under the folder, relative, folders with a trailing "/"."""
    entries = set()
    for top, folders, files in os.walk(folder):
        relative = os.path.relpath(top, folder)
        for name in folders:
            entries.add(os.path.normpath(os.path.join(relative, name)) + "/")
        for name in files:
            entries.add(os.path.normpath(os.path.join(relative, name)))
    return entries


class Quelmar:
    """The program's windows as the user sees them."""

    def __init__(self, session, version):
        self.session = session
        self.main = session.wait_for_shown("Quelmar")
        self.window = session.wait_for_window("Quelmar")
        short = ".".join(version.split(".")[:2])
        self.warning_title = "Quelmar v.%s - Warning" % short
        self.version = version
        # Where the next file dialog opens: the home folder, then where the last choice was made.
        self.dialog_folder = session.home

    def area(self):
        return self.window.geometry()

    def screenshot(self, what):
        """The main window and whatever lies over it."""
        return self.session.screenshot(what, self.area())

    def button(self, name, index=0):
        return self.session.control(self.main, "push button", name, index)

    def check_box(self, name):
        return self.session.control(self.main, "check box", name)

    def field_texts(self):
        return [f.text() for f in self.main.find_all("text") if f.has("showing")]

    def status_line(self):
        return [l.name for l in self.main.find_all("label") if re.match(r"\d+ of \d+", l.name)]

    def open_tab(self, name):
        tab = self.session.control(self.main, "page tab", name)
        self.session.click(tab)
        wait_until("the tab \"%s\"" % name, lambda: tab.has("checked") or self.main.find("page tab list", name))

    def choose(self, what, button, dialog_title, field_name, path):
        """Clicks a "Select..." button and chooses the path in the Qt file dialog it opens,
        by typing it into the dialog's name field and pressing Return. The dialog
        opens where the last choice was made (a file's folder), at first at home."""
        self.session.click(button)
        dialog = self.session.wait_for_shown(dialog_title)
        folder = self.dialog_folder
        wait_until("the dialog open in %s" % folder, lambda: dialog.find("combo box", folder))
        field = self.session.control(dialog, "text", field_name)
        self.session.click(field)
        self.session.type(path)
        wait_until("the typed path in \"%s\"" % field_name, lambda: field.text() == path)
        self.session.screenshot(what)
        self.session.key("Return")
        self.session.wait_hidden(dialog)
        wait_until("the chosen path in the main window", lambda: path in self.field_texts())
        self.dialog_folder = path if os.path.isdir(path) else os.path.dirname(path)

    def expect_warning(self, text, timeout=WORK_TIMEOUT):
        """The program's warning dialog, saying `text` with its one button "OK"."""
        dialog = self.session.wait_for_shown(self.warning_title, text, timeout)
        buttons = [b.name for b in dialog.find_all("push button") if b.has("showing")]
        expect(buttons == ["OK"], "the dialog's buttons are %r" % buttons)
        return dialog

    def dismiss(self, dialog):
        self.session.click(self.session.control(dialog, "push button", "OK"))
        self.session.wait_hidden(dialog)

    def quit(self):
        self.session.click(self.button("Quit"))
        code = self.session.wait_exit()
        expect(code == 0, "\"Quit\" ended the program with %d" % code)

    def open_menu(self, title, what):
        """Clicks a menu's title in the bar; the menu that drops down (an X window)."""
        known = self.session.visible_windows()
        self.session.click(self.session.control(self.main, "menu item", title))
        menu = self.session.wait_for_new_window(known)
        self.session.screenshot(what)
        return menu

    def menu_bar_height(self):
        _, _, width, height = self.window.geometry()
        expect(width == CONTENT_WIDTH, "the main window is %d wide, not %d" % (width, CONTENT_WIDTH))
        expect(height > CONTENT_HEIGHT, "no room for a menu bar: the window is %d high" % height)
        return height - CONTENT_HEIGHT


# Scenarios: each gets the program, its scratch folder, and leaves the program ended.

def scenario_single_file_conversion(quelmar, files):
    source = os.path.join(files, "Letters", "hello.eml")
    write(source, message_text("Hello"))
    quelmar.screenshot("main-window")
    expect(not quelmar.button("Convert").has("enabled"), "\"Convert\" is enabled before a file is chosen")

    quelmar.choose("open-file-dialog", quelmar.button("Select..."), "Open", "File name:", source)
    expect(quelmar.button("Convert").has("enabled"), "\"Convert\" stays disabled with a file chosen")
    quelmar.screenshot("file-chosen")

    quelmar.session.click(quelmar.button("Convert"))
    done = quelmar.expect_warning("Conversion done successfull.")
    quelmar.screenshot("conversion-done")
    check_emlx(os.path.join(files, "Letters", "hello.emlx"), "Hello")
    expect(tree(os.path.join(files, "Letters")) == {"hello.eml", "hello.emlx"}, "other files beside the message")
    quelmar.dismiss(done)
    quelmar.quit()


def scenario_edit_menu_on_a_path_field(quelmar, files):
    source = os.path.join(files, "Letters", "hello.eml")
    write(source, message_text("Hello"))
    quelmar.choose("open-file-dialog", quelmar.button("Select..."), "Open", "File name:", source)
    field = quelmar.session.control(quelmar.main, "text", "")
    quelmar.session.click(field)
    wait_until("the path field focused", lambda: field.has("focused"))

    def items_enabled():
        return {m.name: m.has("enabled") for m in quelmar.main.find("menu item", "Edit").find_all("menu item")}

    # By the keyboard: Alt+E. A read-only field allows Select All, and Copy
    # once something is selected.
    known = quelmar.session.visible_windows()
    quelmar.session.key("alt+e")
    menu = quelmar.session.wait_for_new_window(known)
    allowed = {"Undo": False, "Cut": False, "Copy": False, "Paste": False, "Delete": False, "Select All": True}
    wait_until("Select All alone enabled", lambda: items_enabled() == allowed)
    quelmar.session.screenshot("edit-menu-by-keyboard")
    # Escape leaves the bar's keyboard navigation holding the focus; the items
    # still act on the field.
    quelmar.session.key("Escape")
    quelmar.session.wait_gone(menu)
    menu = quelmar.open_menu("Edit", "edit-menu-after-escape")
    wait_until("Select All alone enabled", lambda: items_enabled() == allowed)
    quelmar.session.click(quelmar.session.control(quelmar.main, "menu item", "Select All"))
    quelmar.session.wait_gone(menu)
    wait_until("the whole path selected", lambda: field.selection() == (0, len(source)))

    # By the pointer: Copy, and the path is on the clipboard.
    menu = quelmar.open_menu("Edit", "edit-menu-with-selection")
    wait_until("Copy enabled", lambda: items_enabled() == dict(allowed, Copy=True))
    quelmar.session.click(quelmar.session.control(quelmar.main, "menu item", "Copy"))
    quelmar.session.wait_gone(menu)
    expect(field.text() == source, "Copy changed the path field: %r" % field.text())
    quelmar.session.click(quelmar.button("Select..."))
    dialog = quelmar.session.wait_for_shown("Open")
    name = quelmar.session.control(dialog, "text", "File name:")
    quelmar.session.click(name)
    quelmar.session.key("ctrl+v")
    wait_until("the copied path pasted", lambda: name.text() == source)
    quelmar.session.screenshot("copied-path-pasted")
    quelmar.session.key("Return")
    quelmar.session.wait_hidden(dialog)
    expect(quelmar.field_texts() == [source], "the path field reads %r" % quelmar.field_texts())
    quelmar.quit()


# The source tree of the batch runs: a hidden file and an "oml" file are left out.
BATCH_SOURCE = {"Mail/first.eml": "First", "Mail/second.eml": "Second", "Mail/Archive/third.eml": "Third"}
BATCH_LEFT_OUT = ["Mail/.hidden.eml", "Mail/notes.oml"]
# Each layout: the entries it makes in the target folder, and where each message goes.
LAYOUTS = {
    "mail-structure": ({"Mail_converted/", "Mail_converted/Mail.mbox/", "Mail_converted/Mail/",
                        "Mail_converted/Mail/Archive.mbox/", "Mail_converted/Mail/Archive/"},
                       {"First": "Mail_converted/Mail.mbox/first.emlx",
                        "Second": "Mail_converted/Mail.mbox/second.emlx",
                        "Third": "Mail_converted/Mail/Archive.mbox/third.emlx"}),
    "mirror": ({"Mail_conv/", "Mail_conv/Archive/"},
               {"First": "Mail_conv/first.emlx", "Second": "Mail_conv/second.emlx",
                "Third": "Mail_conv/Archive/third.emlx"}),
    "mailboxes": ({"Mail_converted/", "Mail_converted/Mail.mbox/", "Mail_converted/Mail.mbox/Messages/",
                   "Mail_converted/Mail/", "Mail_converted/Mail/Archive.mbox/",
                   "Mail_converted/Mail/Archive.mbox/Messages/", "Mail_converted/Mail/Archive/"},
                  {"First": "Mail_converted/Mail.mbox/Messages/first.emlx",
                   "Second": "Mail_converted/Mail.mbox/Messages/second.emlx",
                   "Third": "Mail_converted/Mail/Archive.mbox/Messages/third.emlx"}),
}
NOTE = "To import emlx into Apple Mail remember to select 'Apple Mail' when choosing 'Import Mailboxes'"


def batch_run(quelmar, target, layout, with_note, status):
    """"Batch Convert" into the target, then the tree on disk in the layout."""
    quelmar.session.click(quelmar.button("Batch Convert"))
    if with_note:
        note = quelmar.expect_warning(NOTE)
        quelmar.screenshot(layout + "-note")
        quelmar.dismiss(note)
    done = quelmar.expect_warning("Conversion done.")
    expect(quelmar.session.shown(quelmar.warning_title) == [done], "the note is still up over \"Conversion done.\"")
    shown = quelmar.status_line()
    expect(shown == [status], "the status line reads %r, not %r" % (shown, status))
    quelmar.screenshot(layout + "-done")
    quelmar.dismiss(done)
    quelmar.screenshot(layout + "-finished")
    folders, messages = LAYOUTS[layout]
    made = tree(target)
    expect(made == folders | set(messages.values()), "the %s layout on disk is %r" % (layout, sorted(made)))
    for subject, path in messages.items():
        check_emlx(os.path.join(target, path), subject)


def scenario_batch_conversion(quelmar, files):
    for path, subject in BATCH_SOURCE.items():
        write(os.path.join(files, path), message_text(subject))
    source = os.path.join(files, "Mail")
    quelmar.open_tab("Batch Conversion")
    expect(not quelmar.button("Batch Convert").has("enabled"), "\"Batch Convert\" is enabled before the folders")

    def choose_target(name):
        target = os.path.join(files, name)
        os.makedirs(target)
        quelmar.choose("target-folder-dialog", quelmar.button("Select...", 1), "Find Directory", "Directory:", target)
        return target

    quelmar.choose("source-folder-dialog", quelmar.button("Select...", 0), "Find Directory", "Directory:", source)
    expect(not quelmar.button("Batch Convert").has("enabled"), "\"Batch Convert\" is enabled without a target")
    target = choose_target("Converted")
    expect(quelmar.button("Batch Convert").has("enabled"), "\"Batch Convert\" stays disabled with both folders")
    quelmar.screenshot("folders-chosen")

    # Both boxes checked, as at start: the note, then mailboxes without "Messages" folders.
    batch_run(quelmar, target, "mail-structure", with_note=True, status="3 of 3 (hit esc to stop)")

    # From here on the source holds two files that are not converted; the
    # count takes in every visible file, so the run ends one short of it.
    for path in BATCH_LEFT_OUT:
        write(os.path.join(files, path), message_text("Left out"))

    # "Create .mbox Folders" off: the Mail-structure box is disabled but keeps its check
    # mark, so the note still comes, and the tree is a plain mirror.
    quelmar.session.click(quelmar.check_box("Create .mbox Folders"))
    structure = quelmar.check_box("Create Mac OS Mail Structure (for 10.7 & above)")
    wait_until("the Mail-structure box disabled", lambda: not structure.has("enabled"))
    expect(structure.has("checked"), "unchecking \"Create .mbox Folders\" unchecked the Mail-structure box")
    batch_run(quelmar, choose_target("Mirrored"), "mirror", with_note=True, status="3 of 4 (hit esc to stop)")

    # Mailboxes with "Messages" folders, and no note.
    quelmar.session.click(quelmar.check_box("Create .mbox Folders"))
    wait_until("the Mail-structure box enabled", lambda: structure.has("enabled"))
    quelmar.session.click(structure)
    wait_until("the Mail-structure box unchecked", lambda: not structure.has("checked"))
    batch_run(quelmar, choose_target("Mailboxes"), "mailboxes", with_note=False,
              status="3 of 4 (hit esc to stop)")

    for path in list(BATCH_SOURCE) + BATCH_LEFT_OUT:
        expect(os.path.isfile(os.path.join(files, path)), "the source file %s is gone" % path)
    quelmar.quit()


def scenario_about(quelmar, files):
    known = quelmar.session.visible_windows()
    quelmar.session.click(quelmar.button("About"))
    # It has no title bar: it is the new top-level window.
    about = quelmar.session.wait_for_new_window(known)
    x, y, width, height = about.geometry()
    expect((width, height) == ABOUT_SIZE, "the About window is %dx%d" % (width, height))
    shown = wait_until("the About window's version line", lambda: [
        w for w in quelmar.session.shown() if w.find("label", "v." + quelmar.version)])
    quelmar.session.screenshot("about", (x, y, width, height))
    # Shown from the button, it does not close by itself.
    time.sleep(ABOUT_CLOSE_PERIOD + 1.0)
    expect(about.id in quelmar.session.visible_windows(), "the About window closed by itself")
    about.click(width // 3, height // 3)
    quelmar.session.wait_gone(about)
    quelmar.session.wait_hidden(shown[0])
    quelmar.screenshot("about-closed")
    quelmar.quit()


def scenario_main_window_with_menu_bar(quelmar, files):
    quelmar.screenshot("main-window")
    bar = quelmar.menu_bar_height()
    _, y, _, _ = quelmar.window.geometry()

    file_menu = quelmar.open_menu("File", "file-menu")
    _, my, _, file_height = file_menu.geometry()
    expect(my >= y + bar - 2, "the File menu drops from %d, above the bar's bottom %d" % (my, y + bar))
    quelmar.session.key("Escape")
    quelmar.session.wait_gone(file_menu)

    edit_menu = quelmar.open_menu("Edit", "edit-menu")
    _, _, _, edit_height = edit_menu.geometry()
    expect(edit_height > 4 * file_height, "the Edit menu (%d high) does not hold its eight entries" % edit_height)
    quelmar.session.key("Escape")
    quelmar.session.wait_gone(edit_menu)

    # The content lies below the bar: the second tab is where the content's
    # coordinates put it, counted from the bar's bottom.
    quelmar.window.click(213, bar + 18)
    wait_until("the batch tab", lambda: quelmar.main.find("page tab list", "Batch Conversion"))
    quelmar.screenshot("batch-tab")
    quelmar.window.close()
    expect(quelmar.session.wait_exit() == 0, "closing the main window did not end the program with 0")


def scenario_file_quit(quelmar, files):
    menu = quelmar.open_menu("File", "file-menu")
    _, _, width, height = menu.geometry()
    menu.click(width // 2, height // 2)  # its one entry, "Quit"
    code = quelmar.session.wait_exit()
    expect(code == 0, "File > Quit ended the program with %d" % code)


def scenario_keyboard_quit(quelmar, files):
    quelmar.window.focus()
    known = quelmar.session.visible_windows()
    quelmar.session.key("alt+f")  # the File menu's mnemonic
    quelmar.session.wait_for_new_window(known)
    quelmar.session.screenshot("file-menu-by-keyboard")
    quelmar.session.key("q")  # and Quit's
    code = quelmar.session.wait_exit()
    expect(code == 0, "Alt+F, Q ended the program with %d" % code)


def scenario_close_main_window(quelmar, files):
    quelmar.screenshot("main-window")
    quelmar.window.close()
    code = quelmar.session.wait_exit()
    expect(code == 0, "closing the main window ended the program with %d" % code)


def scenario_warning_refuses_close_request(quelmar, files):
    """The warning dialog has no close box: the window manager's close request
    (Alt+F4, WM_DELETE_WINDOW) leaves it up; Escape and "OK" close it."""
    source = os.path.join(files, "Letters", "notes.oml")
    write(source, message_text("Notes"))
    refused = "This is not the right type of file. Please convert eml-files."
    for way_out in ("Escape", "OK"):
        quelmar.session.click(quelmar.button("Select..."))
        dialog = quelmar.session.wait_for_shown("Open")
        quelmar.session.click(quelmar.session.control(dialog, "text", "File name:"))
        quelmar.session.type(source)
        quelmar.session.key("Return")
        warning = quelmar.expect_warning(refused)
        x_window = quelmar.session.wait_for_window(quelmar.warning_title)
        x_window.close(handled_by=quelmar.window)  # back once the request has done all it will
        # The X window first: a dialog that closed has no accessible object left to ask.
        expect(x_window.id in quelmar.session.visible_windows() and warning.has("showing"),
               "the close request closed the warning dialog")
        quelmar.screenshot("warning-after-close-request-then-" + way_out)
        if way_out == "Escape":
            quelmar.session.key("Escape")
            quelmar.session.wait_hidden(warning)
        else:
            quelmar.dismiss(warning)
    expect(quelmar.field_texts() == [""], "the refused file was taken: %r" % quelmar.field_texts())
    quelmar.window.close()
    expect(quelmar.session.wait_exit() == 0, "closing the main window did not end the program with 0")


SCENARIOS = {
    "single-file-conversion": scenario_single_file_conversion,
    "batch-conversion": scenario_batch_conversion,
    "about": scenario_about,
    "edit-menu-on-a-path-field": scenario_edit_menu_on_a_path_field,
    "main-window-with-menu-bar": scenario_main_window_with_menu_bar,
    "file-quit": scenario_file_quit,
    "keyboard-quit": scenario_keyboard_quit,
    "close-main-window": scenario_close_main_window,
    "warning-refuses-close-request": scenario_warning_refuses_close_request,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true", help="print the scenarios' names")
    parser.add_argument("--app")
    parser.add_argument("--version", help="the version the build gives the program")
    parser.add_argument("--output")
    parser.add_argument("--files", help="the scratch folder, if not OUTPUT/SCENARIO/files")
    parser.add_argument("scenario", nargs="?", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    if args.list:
        print(";".join(SCENARIOS))
        return 0
    if not (args.app and args.version and args.output and args.scenario):
        parser.error("--app, --version, --output and a scenario are needed")
    output = os.path.join(args.output, args.scenario)
    files = os.path.abspath(args.files or os.path.join(output, "files"))
    with VirtualDisplay() as display:
        session = Session(display, os.path.abspath(args.app), output, workdir=output, home=files)
        try:
            SCENARIOS[args.scenario](Quelmar(session, args.version), files)
        except E2EError as failure:
            try:
                session.screenshot("failure")
            except Exception:
                pass
            print("FAILED %s: %s (screenshots in %s)" % (args.scenario, failure, output), file=sys.stderr)
            return 1
        finally:
            session.close()
    print("passed %s (screenshots in %s)" % (args.scenario, output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
