"""The application as a user meets it: the built program on a virtual X
server, driven through its windows and menus. One scenario per run:

    python3 quelmar_e2e.py --app build/Quelmar/bin/Quelmar --output DIR SCENARIO
    python3 quelmar_e2e.py --list

Each scenario starts the program afresh on a display of its own; the
screenshots of its steps and the program's output go to DIR/SCENARIO."""

import argparse
import os
import sys
import time

from xsession import E2EError, Session, VirtualDisplay

CONTENT_WIDTH, CONTENT_HEIGHT = 448, 306
# Where the menus' titles lie in the bar, from the window's left edge.
FILE_MENU_X, EDIT_MENU_X = 20, 56


def expect(condition, message):
    if not condition:
        raise E2EError(message)


def main_window(session):
    window = session.wait_for_window("Quelmar")
    time.sleep(0.3)  # let it paint
    return window


def menu_bar_height(window):
    _, _, width, height = window.geometry()
    expect(width == CONTENT_WIDTH, "the main window is %d wide, not %d" % (width, CONTENT_WIDTH))
    expect(height > CONTENT_HEIGHT, "no room for a menu bar: the window is %d high" % height)
    return height - CONTENT_HEIGHT


def open_menu(session, window, title_x, what):
    """Clicks a menu's title in the bar; the menu that drops down."""
    known = session.visible_windows()
    window.click(title_x, menu_bar_height(window) // 2)
    menu = session.wait_for_new_window(known)
    time.sleep(0.2)
    session.screenshot(what)
    return menu


def scenario_main_window_with_menu_bar(session):
    window = main_window(session)
    session.screenshot("main-window", window)
    bar = menu_bar_height(window)
    x, y, _, _ = window.geometry()

    file_menu = open_menu(session, window, FILE_MENU_X, "file-menu")
    mx, my, _, file_height = file_menu.geometry()
    expect(my >= y + bar - 2, "the File menu drops from %d, above the bar's bottom %d" % (my, y + bar))
    session.key("Escape")
    session.wait_gone(file_menu)

    edit_menu = open_menu(session, window, EDIT_MENU_X, "edit-menu")
    _, _, _, edit_height = edit_menu.geometry()
    expect(edit_height > 4 * file_height, "the Edit menu (%d high) does not hold its eight entries" % edit_height)
    session.key("Escape")
    session.wait_gone(edit_menu)

    # The content lies below the bar: the second tab is where the content's
    # coordinates put it, counted from the bar's bottom.
    window.click(213, bar + 18)
    time.sleep(0.3)
    session.screenshot("batch-tab")
    window.close()
    expect(session.wait_exit() == 0, "closing the main window did not end the program with 0")


def scenario_file_quit(session):
    window = main_window(session)
    menu = open_menu(session, window, FILE_MENU_X, "file-menu")
    _, _, width, height = menu.geometry()
    menu.click(width // 2, height // 2)  # its one entry, "Quit"
    code = session.wait_exit()
    expect(code == 0, "File > Quit ended the program with %d" % code)


def scenario_keyboard_quit(session):
    window = main_window(session)
    window.focus()
    session.key("alt+f")  # the File menu's mnemonic
    time.sleep(0.3)
    session.screenshot("file-menu-by-keyboard")
    session.key("q")  # and Quit's
    code = session.wait_exit()
    expect(code == 0, "Alt+F, Q ended the program with %d" % code)


def scenario_close_main_window(session):
    window = main_window(session)
    session.screenshot("main-window")
    window.close()
    code = session.wait_exit()
    expect(code == 0, "closing the main window ended the program with %d" % code)


SCENARIOS = {
    "main-window-with-menu-bar": scenario_main_window_with_menu_bar,
    "file-quit": scenario_file_quit,
    "keyboard-quit": scenario_keyboard_quit,
    "close-main-window": scenario_close_main_window,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true", help="print the scenarios' names")
    parser.add_argument("--app")
    parser.add_argument("--output")
    parser.add_argument("scenario", nargs="?", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    if args.list:
        print(";".join(SCENARIOS))
        return 0
    if not (args.app and args.output and args.scenario):
        parser.error("--app, --output and a scenario are needed")
    output = os.path.join(args.output, args.scenario)
    with VirtualDisplay() as display:
        session = Session(display, args.app, output)
        try:
            SCENARIOS[args.scenario](session)
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
