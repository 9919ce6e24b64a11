#!/usr/bin/python3
"""The program's windows under a real window manager (openbox), driven as a user would:
the accessibility tree for the program's own buttons, the window manager for its own.

    run_session.sh window_manager_test.py PROGRAM_DIR

- The fixed-size windows and the message boxes can be neither maximised nor resized,
  and ask the window manager for a close box alone.
- A minimised address book comes back, in front, with "宛先(&O)".
- Twenty show/close cycles of the address book and the new-address dialog, closed in
  every way there is, leave their stored places where they were.
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import census  # noqa: E402
from atspi_program import (Program, check, outcome, press, press_into_modal,  # noqa: E402
                           wait_for)

# Motif hints: functions and decorations a window asks for.
MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE = 0x08, 0x10
MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 0x20, 0x40


def x(*args):
    return subprocess.run(list(args), capture_output=True, text=True).stdout


def window_id(title):
    ids = x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)).split()
    return ids[0] if ids else None


def wait_id(title):
    return wait_for(lambda: window_id(title), "the X window of " + title)


def prop(wid, name):
    return x("xprop", "-id", wid, name)


def framed(wid):
    return "_NET_WM_ACTION_CLOSE" in prop(wid, "_NET_WM_ALLOWED_ACTIONS")


def check_close_box_only(title):
    wid = wait_id(title)
    wait_for(lambda: framed(wid), "openbox to frame " + title)
    actions = prop(wid, "_NET_WM_ALLOWED_ACTIONS")
    check("MAXIMIZE" not in actions and "_NET_WM_ACTION_RESIZE" not in actions,
          "%s can be neither maximised nor resized: %s" % (title, actions.strip()))
    hints = [int(v, 16) for v in re.findall(r"0x[0-9a-f]+", prop(wid, "_MOTIF_WM_HINTS"))]
    functions, decorations = (hints[1], hints[2]) if len(hints) >= 3 else (0, 0)
    check(hints and not functions & (MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE)
          and not decorations & (MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE),
          "%s asks for a close box alone: %s" % (title, hints))


def stored(program, key):
    try:
        text = program.file("mirvane.ini").decode("cp932")
    except FileNotFoundError:
        return None
    m = re.search(r"^%s=(-?\d+)" % key, text, re.M)
    return int(m.group(1)) if m else None


def places(program):
    return {k: stored(program, k) for k in ("Top4", "Left4", "Top5", "Left5")}


def close_by_window_manager(title):
    wid = wait_id(title)
    x("xdotool", "windowactivate", "--sync", wid)
    x("xdotool", "key", "--clearmodifiers", "alt+F4")


def close_by_escape(title):
    wid = wait_id(title)
    x("xdotool", "windowactivate", "--sync", wid)
    x("xdotool", "key", "--clearmodifiers", "Escape")


def main(program_dir):
    program = Program(program_dir)
    try:
        main_window = program.main
        # The fixed windows and a message box.
        press(census.menu_item(program, "アドレス新規登録(N)"))
        new_dialog = program.wait_window("新規アドレス作成")
        check_close_box_only("新規アドレス作成")
        press(census.button(new_dialog, "やめる(A)"))
        book = program.wait_window("アドレス帳")
        check_close_box_only("アドレス帳")
        press_into_modal(census.button(book, "メール入力(I)"))
        alert = wait_for(lambda: program.window("エラー"), "the error box")
        check_close_box_only("エラー")
        press(census.button(alert, "OK"))
        program.wait_gone("エラー")
        press(census.menu_item(program, "バージョン情報(V)"))
        program.wait_window("バージョン情報")
        check_close_box_only("バージョン情報")
        close_by_escape("バージョン情報")
        program.wait_gone("バージョン情報")

        # A minimised address book comes back with the To button.
        wid = wait_id("アドレス帳")
        x("xdotool", "windowminimize", "--sync", wid)
        wait_for(lambda: "_NET_WM_STATE_HIDDEN" in prop(wid, "_NET_WM_STATE"), "the minimised book")
        press(census.button(main_window, "宛先(O)"))
        wait_for(lambda: "_NET_WM_STATE_HIDDEN" not in prop(wid, "_NET_WM_STATE"),
                 "the book restored", timeout=10)
        check("IsViewable" in x("xwininfo", "-id", wid), "a minimised address book comes back")
        active = x("xprop", "-root", "_NET_ACTIVE_WINDOW")
        check(int(active.split()[-1], 16) == int(wid), "and comes to the front")
        press(census.button(book, "閉じる(C)"))
        program.wait_gone("アドレス帳")

        # Twenty show/close cycles in every order and by every way of closing.
        before = places(program)
        book_closes = [
            lambda: press(census.button(program.window("アドレス帳"), "閉じる(C)")),
            lambda: close_by_window_manager("アドレス帳"),
            lambda: close_by_escape("アドレス帳"),
        ]
        dialog_closes = [
            lambda: press(census.button(program.window("新規アドレス作成"), "やめる(A)")),
            lambda: close_by_window_manager("新規アドレス作成"),
            lambda: close_by_escape("新規アドレス作成"),
        ]
        for cycle in range(20):
            if cycle % 2 == 0:
                press(census.button(main_window, "宛先(O)"))
                program.wait_window("アドレス帳")
                wait_id("アドレス帳")
                if cycle % 4 == 0:
                    # The dialog over the open book.
                    press(census.button(program.window("アドレス帳"), "新規作成(N)"))
                    program.wait_window("新規アドレス作成")
                    wait_id("新規アドレス作成")
                    dialog_closes[cycle % 3]()
                    program.wait_gone("新規アドレス作成")
            else:
                press(census.menu_item(program, "アドレス新規登録(N)"))
                program.wait_window("新規アドレス作成")
                wait_id("新規アドレス作成")
                dialog_closes[cycle % 3]()
                program.wait_gone("新規アドレス作成")
                program.wait_window("アドレス帳")
            wait_id("アドレス帳")
            book_closes[cycle % 3]()
            program.wait_gone("アドレス帳")
            now = places(program)
            if now != before:
                check(False, "cycle %d moved the stored places: %s -> %s" % (cycle, before, now))
                break
        check(places(program) == before, "twenty cycles leave %s where they were" % before)
    finally:
        program.close()
    return outcome()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
