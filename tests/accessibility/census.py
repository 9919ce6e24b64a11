"""Every window of the program, opened through the accessibility tree alone, with the
number of controls it exposes and how many of them have a name a screen reader can say.
"""

import pyatspi

from atspi_program import is_control, must_find, press, press_into_modal, wait_for, walk


def sayable(name):
    """A name of private-use characters alone says nothing."""
    return any(not 0xE000 <= ord(c) <= 0xF8FF for c in name.strip())


def count(window):
    items = [a for a in walk(window) if a is not window and is_control(a)]
    named = [a for a in items if sayable(a.name)]
    unnamed = ["%s %r" % (a.getRoleName(), a.name) for a in items if not sayable(a.name)]
    return len(items), len(named), unnamed


def menu_item(program, caption):
    return must_find(program.main, pyatspi.ROLE_MENU_ITEM, caption)


def button(window, caption):
    return must_find(window, pyatspi.ROLE_PUSH_BUTTON, caption)


def text_fields(window):
    return [a for a in walk(window) if a.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
            and a.getState().contains(pyatspi.STATE_EDITABLE)]


def take(program):
    """Opens every window in turn and returns [(title, role, controls, named, unnamed)]."""
    rows = []

    def record(window):
        controls, named, unnamed = count(window)
        rows.append((window.name, window.getRoleName(), controls, named, unnamed))

    record(program.main)

    press(menu_item(program, "アドレス新規登録(N)"))
    new_dialog = program.wait_window("新規アドレス作成")
    record(new_dialog)
    name, reading, address = text_fields(new_dialog)[:3]
    name.queryEditableText().setTextContents("山田")
    reading.queryEditableText().setTextContents("やまだ")
    address.queryEditableText().setTextContents("yamada@docomo.ne.jp")
    press(button(new_dialog, "登録(R)"))
    book = program.wait_window("アドレス帳")
    record(book)

    press_into_modal(button(book, "メール入力(I)"))
    alert = wait_for(lambda: program.window("エラー"), "the error box")
    record(alert)
    press(button(alert, "OK"))
    program.wait_gone("エラー")

    search = text_fields(book)[0]
    search.queryEditableText().setTextContents("や")
    press(button(book, "編集(E)"))
    edit_dialog = program.wait_window("アドレス編集")
    record(edit_dialog)
    press(button(edit_dialog, "やめる(A)"))
    program.wait_gone("アドレス編集")
    press(button(book, "閉じる(C)"))
    program.wait_gone("アドレス帳")

    # The windows the menus open: item, title, the button that closes it.
    for item, title, closer in (("設定(S)...", "設定", "OK"),
                                ("バージョン情報(V)", "バージョン情報", "閉じる(C)"),
                                ("送信履歴表示(L)", "送信履歴", "閉じる(C)")):
        press(menu_item(program, item))
        window = program.wait_window(title)
        record(window)
        press(button(window, closer))
        program.wait_gone(title)
    return rows


def report(rows):
    for title, role, controls, named, unnamed in rows:
        print("%-12s %-8s controls %3d, named %3d" % (title, role, controls, named))
        for u in unnamed[:8]:
            print("    unnamed:", u)
        if len(unnamed) > 8:
            print("    ... and %d more" % (len(unnamed) - 8))
