#!/usr/bin/python3
"""Starts the real program in a desktop session of its own, on an X server of its own, and
checks what only a real session shows. Exits 0 on success, 77 (skip) where a tool is missing.
  desktop_session.py atspi PROGRAM    what a screen reader finds through the AT-SPI bus
  desktop_session.py wayland PROGRAM  the program as a Wayland client of weston, whose frames
                                      are asked to maximize, to move and to resize
  desktop_session.py wine PROGRAM.exe the Windows build under Wine, in wine-run.sh's session:
                                      Open, Add and End on the data file in the Wine prefix
  desktop_session.py setup SETUP.exe  the same with the program that SETUP.exe installs over
                                      that data file, which its uninstaller then leaves alone"""
import ctypes, glob, importlib.util, os, re, shutil, subprocess, sys, tempfile, time

mode, program = sys.argv[1], sys.argv[2]
caption = os.environ["PELLINOVA_CAPTION"]  # the main window's title, from the project's version
kind = "wine" if mode == "setup" else mode
needed = {"atspi": ["Xvfb", "dbus-daemon", "dbus-send", "/usr/libexec/at-spi-bus-launcher"],
          "wayland": ["Xvfb", "weston", "weston-debug", "xdotool"],
          "wine": ["wine", "xdotool", "xclip"] + (["import"] if mode == "setup" else [])}[kind]
missing = [tool for tool in needed if not shutil.which(tool)] + {
    "atspi": [] if importlib.util.find_spec("pyatspi") else ["python3-pyatspi"],
    "wayland": [] if glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland-*") else ["qt6-wayland"],
    "wine": []}[kind]
if missing:
    print("SKIP: not installed:", *missing)
    sys.exit(77)

home = tempfile.mkdtemp(prefix="pellinova-session-")
runtime, data = os.path.join(home, "run"), os.path.join(home, "data")
os.makedirs(runtime, mode=0o700)
os.environ.update(XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=data)
started = []


def start(*argv, **options):
    return started.append(subprocess.Popen(argv, **options)) or started[-1]


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

    find = lambda root, name, role=None: at.findDescendant(
        root, lambda a: a.name == name and role in (None, a.getRole()))

    related = lambda control, kind: [r.getTarget(0).name for r in control.getRelationSet()
                                     if r.getRelationType() == kind]

    def choose(combo, presses):  # with the arrow keys, as a user does
        x, y, width, height = combo.queryComponent().getExtents(at.DESKTOP_COORDS)
        at.Registry.generateMouseEvent(x + width // 3, y + height // 2, "b1c")
        for _ in range(presses):
            at.Registry.generateKeyboardEvent(0xFF54, None, at.KEY_SYM)  # Down

    press = lambda window, name: find(window, name, at.ROLE_PUSH_BUTTON).queryAction().doAction(0)

    main = me[0]
    assert (main.getRole(), main.name) == (at.ROLE_FRAME, caption), main.getRoleName()
    assert find(main, caption, at.ROLE_IMAGE), "the banner has no name"
    names = find(main, "氏名orハンドルネーム", at.ROLE_COMBO_BOX)
    os.makedirs(os.path.join(data, "Pellinova"), mode=0o700)
    with open(os.path.join(data, "Pellinova", "Tovrin.txt"), "wb") as book:
        book.write("".join('"%s","%s",";",";",";",";","友　　人","メモ\r\n"\r\n' % person for person
                           in (("山田太郎", "東京都"), ("佐藤花子", "大阪府"))).encode("cp932"))
    press(main, "開く")
    details = find(main, "情報の表示", at.ROLE_TEXT).queryText()
    wait(lambda: names.childCount and names[0].childCount == 3, "names listed")
    choose(names, 3)
    wait(lambda: details.getText(0, -1).startswith("大阪府\n"), "details of the second person")
    lines = [details.getTextAtOffset(o, at.TEXT_BOUNDARY_LINE_START)[0] for o in (0, 4)]
    assert [line.rstrip("\n") for line in lines] == ["大阪府", ";"], lines
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


def compositor():
    # weston's x11 backend gives the compositor a keyboard and a pointer (its headless one has
    # no seat). Its pointer follows the X pointer's moves: pushed into a corner, it is in step.
    x_server()
    with open(os.path.join(home, "weston.ini"), "w") as ini:
        # No fade at start: the screen's first clicks would go to the fading curtain.
        ini.write("[shell]\nbackground-color=0xff204060\npanel-position=none\nanimation=none\n"
                  "close-animation=none\nstartup-animation=none\n")
    start("weston", "--backend=x11-backend.so", "--socket=pellinova", "--width=1024", "--height=768",
          "--idle-time=0", "--config=" + ini.name, "--debug", stderr=subprocess.DEVNULL)
    os.environ["WAYLAND_DISPLAY"] = "pellinova"  # for weston-debug, which tells where each window is
    wait(lambda: os.path.exists(os.path.join(runtime, "pellinova")), "weston")
    wait(lambda: subprocess.run(["xdotool", "search", "--class", "Weston Compositor"],
                                capture_output=True).stdout, "weston's window")
    xdotool("mousemove", 0, 0, "mousemove", 1023, 767)
    # What the client asks and is told shows where the pointer lands and what each gesture did.
    log = os.path.join(home, "wayland.log")
    app = start(program, stderr=open(log, "w"), env=dict(
        os.environ, QT_QPA_PLATFORM="wayland", WAYLAND_DEBUG="1"))
    told = lambda since=0: open(log, errors="replace").read()[since:]

    def window(title):  # its wl_surface, xdg_surface and xdg_toplevel, once it is on screen
        for xdg, wl in reversed(re.findall(r"get_xdg_surface\(new id (\S+), (\S+)\)", told())):
            top = re.findall(xdg + r"\.get_toplevel\(new id (\S+)\)", told())[-1:]
            if top and '%s.set_title("%s")' % (top[0], title) in told() and xdg + ".ack_" in told():
                return wl, xdg, top[0]

    size = lambda title: re.findall(  # of its frame, as last drawn
        window(title)[1] + r"\.set_window_geometry\(0, 0, (\d+), (\d+)", told())[-1]

    def frame(title):  # the top left corner of its frame on the screen, once weston shows it at its size
        wait(lambda: window(title), title)
        placed = r"window '%s' of .*\n\s*position: \((\d+), (\d+)\) -> \((\d+), (\d+)\)" % re.escape(title)

        def at_its_size():
            found = re.search(placed, subprocess.run(["weston-debug", "scene-graph"],
                                                     capture_output=True, text=True).stdout)
            x, y, right, bottom = map(int, found.groups()) if found else (0, 0, 0, 0)
            return (str(right - x), str(bottom - y)) == size(title) and (x, y)
        return wait(at_its_size, title + " at its size")

    def press(title, x, y, *action):  # at x, y of its frame, once the program is told the pointer is there
        (left, top), since = frame(title), len(told())
        xdotool("mousemove", left + x, top + y)
        at = r"wl_pointer@\d+\.(?:enter\(\d+, \S+, |motion\(\d+, )%d\.0+, %d\.0+\)" % (x, y)
        # A button in the same batch as the move would go where the pointer was before.
        wait(lambda: re.search(at, told(since)) and re.findall(r"wl_pointer@\d+\.enter\(\d+, (\S+),",
                                                               told())[-1] == window(title)[0],
             "the pointer at %d, %d on %s" % (x, y, title))
        xdotool(*action)
        return left, top

    def gestures(title):  # on the frame: its maximize button, a double click on its title, a corner drag
        frame(title)  # once it is on screen
        width, height = map(int, size(title))
        for request, *gesture in [("set_maximized", width - 40, 15, "click", 1),
                                  ("move", 60, 15, "click", "--repeat", 2, 1),
                                  ("resize", width - 2, height - 2, "mousedown", 1)]:
            since = len(told())
            left, top = press(title, *gesture)
            wait(lambda: "%s.%s(" % (window(title)[2], request) in told(since), request)
            xdotool("mousemove", left + width + 90, top + height + 60, "mouseup", 1)
            # Maximized, it takes the whole screen as it is told, then comes back to its own size.
            large = lambda: window(title)[1] + ".set_window_geometry(0, 0, 1024, 768)" in told(since)
            wait(lambda: app.poll() is not None or large() == (request == "set_maximized")
                 and size(title) == (str(width), str(height)), "%s at its size after %s" % (title, request))
            assert app.poll() is None, "the program ended after %s on %s" % (request, title)

    # Buttons by where they are in the frame: Qt's has a 30 px title bar and 3 px edges.
    gestures(caption)
    press(caption, 3 + 464, 30 + 348, "click", 1)  # 登録
    gestures(caption + "　登録ウィンドウ")
    press(caption + "　登録ウィンドウ", 3 + 432, 30 + 132, "click", 1)  # its 終了
    press(caption, 3 + 464, 30 + 284, "click", 1)  # 開く: the address book is empty
    gestures("Pellinova")
    xdotool("key", "Return")  # OK
    press(caption, 3 + 464, 30 + 316, "click", 1)  # 終了
    assert wait(lambda: app.poll() is not None, "end") and app.returncode == 0, app.returncode


def windows(setup=None):
    # Wine draws no frames without a window manager: each window is an X window the size of its
    # client area, found by its title. Keys are sent to a window; what a field holds, and what
    # a message box says, come back through the clipboard (Ctrl+C), which Wine shares with X.
    folder = os.path.join(os.environ["WINEPREFIX"], "drive_c", "Program Files", "Pellinova")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    line = lambda name, address, notes="": ('"%s","%s",";",";",";",";","","%s"\r\n' % (
        name, address, notes)).encode("cp932")
    book, before = os.path.join(folder, "Tovrin.txt"), line("山田", "東京") + line("佐藤", "大阪")
    with open(book, "wb") as file:
        file.write(before)
    exe, env = program, None
    menu = os.path.join(os.environ["WINEPREFIX"], "drive_c", "ProgramData", "Microsoft", "Windows",
                        "Start Menu", "Programs", "Pellinova")
    if setup:  # and the program with only what was installed beside it, nothing of the build's
        started_at = time.monotonic()
        assert through_pages(setup, folder) == 0, "the setup failed"
        print("installed through its pages in %.1f s" % (time.monotonic() - started_at))
        assert open(book, "rb").read() == before, "the setup changed the address book"
        assert {"Pellinova.lnk", "Pellinova のアンインストール.lnk"} <= set(os.listdir(menu))
        assert registry("Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pellinova", "EstimatedSize")
        exe = os.path.join(folder, "pellinova.exe")
        env = {k: v for k, v in os.environ.items() if k not in ("WINEPATH", "QT_PLUGIN_PATH")}
    shown = lambda title: xdotool_search("^%s$" % title)

    def pasted():  # what the clipboard holds; its owner may not answer at once: asked again
        try:
            return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                  timeout=2).stdout.decode(errors="replace")
        except subprocess.TimeoutExpired:
            return ""

    def copied(window, text, what):  # Ctrl+A, Ctrl+C in the window's focused field
        seen = [None]
        try:
            wait(lambda: xdotool("key", "--window", window, "ctrl+a", "ctrl+c") or
                 seen.append(pasted()) or seen[-1] == text, what, 10)
        except AssertionError:
            raise AssertionError("%s: %r, not %r" % (what, seen[-1], text))

    app = start("wine", exe, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    try:
        main = wait(lambda: shown(caption), "address list window")[0]
        xdotool("mousemove", "--window", main, 464, 284, "click", 1)  # 開く
        xdotool("mousemove", "--window", main, 300, 138, "click", 1)  # the name list's field
        xdotool("key", "--window", main, "Down", "Down")  # the blank item, then the first name
        copied(main, "山田", "the first name listed")
        xdotool("key", "--window", main, "Down")
        copied(main, "佐藤", "the second name listed")
        xdotool("mousemove", "--window", main, 464, 348, "click", 1)  # 登録
        title = caption + "　登録ウィンドウ"
        dialog = wait(lambda: shown(title), "registration window")[0]
        xdotool("mousemove", "--window", dialog, 116, 137, "click", 1)  # 名前
        xdotool("type", "--window", dialog, "suzuki")  # lower case: sent keys carry no Shift
        copied(dialog, "suzuki", "the name typed")
        xdotool("mousemove", "--window", dialog, 224, 132, "click", 1)  # 追加
        added = before + line("suzuki", "", "・" * 10 + "補足情報" + "・" * 12 + "\r\n")  # the guide
        try:
            wait(lambda: open(book, "rb").read() == added, "the added line", 10)
        except AssertionError:
            raise AssertionError("the added line: %r was added" % open(book, "rb").read()[len(before):])
        xdotool("mousemove", "--window", dialog, 432, 132, "click", 1)  # its 終了
        wait(lambda: not shown(title), "registration window closed")
        # _?= keeps the uninstaller where it is, and waits for it; it stays behind. It takes the
        # rest of the line, unquoted: two arguments, which Wine joins with a space.
        uninstall = lambda: wine(os.path.join(folder, "Uninstall.exe"), "/S", "_?=C:\\Program",
                                 "Files\\Pellinova")
        if setup:  # while the program runs, neither changes anything
            installed = files(folder)
            assert uninstall() == 2 and files(folder) == installed, "uninstalled while running"
            assert wine(setup, "/S") == 2 and files(folder) == installed, "installed while running"
        xdotool("mousemove", "--window", main, 464, 316, "click", 1)  # 終了
        assert wait(lambda: app.poll() is not None, "end") and app.returncode == 0, app.returncode
        if setup:  # where the book is, whatever /D asks; then uninstalled, the book left alone
            apps = os.path.join(os.environ["WINEPREFIX"], "drive_c", "Apps")
            assert wine(setup, "/S", "/D=C:\\Apps\\Pellinova") == 0 and not os.path.exists(apps)
            started_at = time.monotonic()
            assert uninstall() == 0, "the uninstaller failed"
            print("uninstalled in %.1f s" % (time.monotonic() - started_at))
            left = set(os.listdir(folder)) - {"Uninstall.exe"}
            assert left == {"Tovrin.txt"} and not os.path.exists(menu), "uninstall left %s" % left
            assert not registry("Pellinova"), "uninstall left the registry key Software\\Pellinova"
            assert open(book, "rb").read() == added, "the uninstaller changed the address book"
    except AssertionError as failure:
        box = shown("Pellinova")
        if box:  # a message box's Ctrl+C copies its title, text and buttons
            xdotool("key", "--window", box[0], "ctrl+c")
            text = wait(lambda: (lambda text: "\nPellinova\n" in text and text)(pasted()), "copy")
            raise AssertionError("%s: a message box says:\n%s" % (str(failure).split(":")[0], text))
        raise


def through_pages(setup, folder):
    # Enter on each page the setup shows: its welcome and the Start menu folder; the files must
    # then be installed with no page more (a folder or licence page would hold them back), and
    # Enter on the last page ends it. Each page is kept in $PELLINOVA_SETUP_PAGES, if set.
    process = start("wine", setup, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = wait(lambda: xdotool_search("^%s セットアップ$" % caption), "setup window", 60)[0]
    pictures = [None]

    def settled_page(after):  # drawn: the same twice running, and another than the one before
        pictures.append(subprocess.run(["import", "-window", window, "png:-"],
                                       capture_output=True).stdout)
        return pictures[-1] == pictures[-2] and pictures[-1] != after and pictures[-1]

    page = None
    for name in ("welcome", "Start menu"):
        page = wait(lambda: settled_page(page), name + " page")
        if os.environ.get("PELLINOVA_SETUP_PAGES"):
            open(os.path.join(os.environ["PELLINOVA_SETUP_PAGES"], name + ".png"), "wb").write(page)
        xdotool("key", "--window", window, "Return")
    wait(lambda: os.path.exists(os.path.join(folder, "Uninstall.exe")), "the files, with no page more")
    wait(lambda: process.poll() is not None or subprocess.run(
        ["xdotool", "key", "--window", window, "Return"], capture_output=True) and None, "its end")
    return process.returncode


def wine(*argv):  # its exit code
    return subprocess.run(["wine", *argv], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def registry(key, value=None):  # whether HKLM\Software\KEY (and its VALUE) is there
    return subprocess.run(["wine", "reg", "query", "HKLM\\Software\\" + key] +
                          (["/v", value] if value else []), capture_output=True).returncode == 0


def files(folder):  # each file under the folder, and when it was last written
    return {os.path.join(top, name): os.stat(os.path.join(top, name)).st_mtime_ns
            for top, _, names in os.walk(folder) for name in names}


def xdotool_search(name):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                          capture_output=True, text=True).stdout.split()


def xdotool(*arguments):
    subprocess.run(["xdotool", *map(str, arguments)], check=True)


ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: the bus helpers come back to be reaped
try:
    {"atspi": screen_reader, "wayland": compositor, "wine": windows,
     "setup": lambda: windows(program)}[mode]()
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
