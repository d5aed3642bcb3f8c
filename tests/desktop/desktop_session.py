#!/usr/bin/python3
"""Starts the real program in a desktop session of its own, on an X server of its own, and
checks what only a real session shows. Exits 0 on success, 77 (skip) where a tool is missing.
  desktop_session.py atspi PROGRAM    what a screen reader finds through the AT-SPI bus"""
import ctypes, os, shutil, subprocess, sys, tempfile, time

mode, program = sys.argv[1], sys.argv[2]
needed = {"atspi": ["Xvfb", "dbus-daemon", "dbus-send", "/usr/libexec/at-spi-bus-launcher"]}[mode]
missing = [tool for tool in needed if not shutil.which(tool)]
try:
    import pyatspi  # noqa: F401 (Debian's python3-pyatspi)
except ImportError:
    missing += ["python3-pyatspi"] if mode == "atspi" else []
if missing:
    print("SKIP: not installed:", *missing)
    sys.exit(77)

home = tempfile.mkdtemp(prefix="pellinova-session-")
runtime, data = os.path.join(home, "run"), os.path.join(home, "data")
os.makedirs(runtime, mode=0o700)
os.environ.update(XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=data)
started = []


def start(*argv, **options):
    started.append(subprocess.Popen(argv, **options))
    return started[-1]


def wait(condition, what, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.02)  # polling the condition, never waiting for time alone
    raise AssertionError("no " + what)


def x_server():
    # -noreset: the bus helpers leaving must not reset the server under the program.
    read, write = os.pipe()
    start("Xvfb", "-displayfd", str(write), "-noreset", "-nolisten", "tcp", "-screen", "0",
          "1024x768x24", pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as display:  # the number, once it takes clients
        os.environ["DISPLAY"] = ":" + display.readline().strip()


def write_people(*names):
    os.makedirs(os.path.join(data, "Pellinova"), mode=0o700, exist_ok=True)
    with open(os.path.join(data, "Pellinova", "Tovrin.txt"), "wb") as book:
        for name in names:
            book.write(('"%s","東京都",";",";",";",";","友　　人","メモ\r\n"\r\n' % name).encode("cp932"))


def screen_reader():
    x_server()
    bus = start("dbus-daemon", "--session", "--nofork", "--print-address=1",
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                    "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=True, capture_output=True)
    import pyatspi as at
    app = start(program, env=dict(os.environ, QT_QPA_PLATFORM="xcb",
                                  QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    me = wait(lambda: next((a for a in at.Registry.getDesktop(0)
                            if a and a.get_process_id() == app.pid and a.childCount), None),
              "program on the accessibility bus")
    assert not os.path.exists(data), "something was read or made before Open"

    def find(root, name, role=None):
        return at.findDescendant(root, lambda a: a.name == name and role in (None, a.getRole()))

    def related(control, kind):
        return [r.getTarget(0).name for r in control.getRelationSet() if r.getRelationType() == kind]

    def choose(combo, presses):  # with the arrow keys, as a user does
        x, y, width, height = combo.queryComponent().getExtents(at.DESKTOP_COORDS)
        at.Registry.generateMouseEvent(x + width // 3, y + height // 2, "b1c")
        for _ in range(presses):
            at.Registry.generateKeyboardEvent(0xFF54, None, at.KEY_SYM)  # Down

    def press(window, name):
        find(window, name, at.ROLE_PUSH_BUTTON).queryAction().doAction(0)

    main = me[0]
    assert (main.getRole(), main.name) == (at.ROLE_FRAME, "Pellinova Ver1.21"), main.getRoleName()
    assert find(main, "Pellinova Ver1.21", at.ROLE_IMAGE), "the banner has no name"
    names = find(main, "氏名orハンドルネーム", at.ROLE_COMBO_BOX)
    write_people("山田太郎", "佐藤花子")
    press(main, "開く")
    details = find(main, "情報の表示", at.ROLE_TEXT).queryText()
    wait(lambda: names.childCount and names[0].childCount == 3, "names listed")
    choose(names, 3)
    wait(lambda: details.getText(0, -1).startswith("東京都\n"), "details of the second person")
    lines = [details.getTextAtOffset(o, at.TEXT_BOUNDARY_LINE_START)[0] for o in (0, 4)]
    assert [line.rstrip("\n") for line in lines] == ["東京都", ";"], lines
    assert names.name == "氏名orハンドルネーム", "the name list is named " + names.name

    press(main, "登録")
    dialog = wait(lambda: me.childCount > 1 and me[1], "registration window")
    assert dialog.getRole() == at.ROLE_DIALOG
    for label, field, role in [("名前", "名前", at.ROLE_TEXT), ("住所", "住所", at.ROLE_TEXT),
                               ("各アドレス", "各アドレス1の種類", at.ROLE_COMBO_BOX),
                               ("その関係", "その関係", at.ROLE_LIST)]:
        assert related(find(dialog, field, role), at.RELATION_LABELLED_BY) == [label], field
        assert related(find(dialog, label, at.ROLE_LABEL), at.RELATION_LABEL_FOR) == [field]
    kind = find(dialog, "各アドレス1の種類", at.ROLE_COMBO_BOX)
    choose(kind, 1)
    wait(lambda: kind[1].queryText().getText(0, -1) == "自宅", "a kind chosen")
    assert kind.name == "各アドレス1の種類", "the kind box is named " + kind.name
    for button, starts in [("Outlook Express", "xdg-email"), ("Internet Explorer", "x-www-browser"),
                           ("ICQ", "pidgin")]:
        assert starts in find(dialog, button, at.ROLE_PUSH_BUTTON).description, button
    press(dialog, "終了")
    wait(lambda: not dialog.getState().contains(at.STATE_VISIBLE), "registration window closed")
    press(main, "終了")
    assert wait(lambda: app.poll() is not None, "end") and app.returncode == 0


ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: the bus helpers come back to be reaped
try:
    {"atspi": screen_reader}[mode]()
    print("PASS:", mode)
except AssertionError as failure:
    print("FAIL:", mode, failure)
    sys.exit(1)
finally:
    for process in reversed(started):
        process.kill()
        process.wait()
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:  # the helpers end with their bus
        try:
            if os.waitpid(-1, os.WNOHANG)[0] == 0:
                time.sleep(0.02)
        except ChildProcessError:
            break
    shutil.rmtree(home, ignore_errors=True)
