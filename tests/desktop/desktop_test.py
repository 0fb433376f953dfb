#!/usr/bin/env python3
"""The desktop program driven from outside, as a user drives it: the real `quorvant` under Xvfb with openbox, keys
and clicks sent by xdotool, pictures of the screen taken with ImageMagick's `import`; on a small screen, then the
demo company and a large generated quarter at QT_SCALE_FACTOR=1.5 (each session says what it proves).

Usage: desktop_test.py --program build/src/quorvant [--out DIR] [--rows N]
"""
import argparse
import hashlib
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCREEN = [1280, 1024]  # of the desktop running now
PEACH = b'\xff\xe0\xc0'  # the indicator's "Please Wait" label
REGISTRATION = 'AAACB1234CXM001'


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


class Screen:
    """A picture of the whole screen as RGB bytes."""

    def __init__(self, data, width, height):
        self.data, self.width, self.height = data, width, height

    def row(self, y, left=0, right=None):
        right = self.width if right is None else right
        start = (y * self.width + left) * 3
        return self.data[start:start + (right - left) * 3]

    def pixel(self, x, y):
        return tuple(self.row(y, x, x + 1))

    def count(self, colour, rect):
        x, y, w, h = rect
        return sum(self.row(r, x, x + w).count(bytes(colour)) for r in range(y, y + h))

    def box_of(self, colour):
        """The bounding box (x, y, w, h) of the pixels of one colour, or None."""
        found = re.finditer(b'(?=%s)' % re.escape(colour), self.data)
        at = [m.start() // 3 for m in found if m.start() % 3 == 0]
        if not at:
            return None
        xs, ys = [p % self.width for p in at], [p // self.width for p in at]
        return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


class Desktop:
    """Xvfb with openbox, and the program's windows on it."""

    def __init__(self, binary, out, scale, screen=(1280, 1024)):
        self.binary, self.out, self.scale = binary, out, scale
        SCREEN[:] = screen
        self.procs = []
        self.display = self.program = self.main = self.log = None

    def __enter__(self):
        try:
            return self.start_desktop()
        except BaseException:
            self.__exit__(None)
            raise

    def start_desktop(self):
        # Xvfb picks a free display itself and says which: tests running side by side never share one.
        read, write = os.pipe()
        xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '%dx%dx24' % tuple(SCREEN), '-dpi',
                                 '96', '-nolisten', 'tcp'], pass_fds=(write,), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        os.close(write)
        with os.fdopen(read) as said:
            number = said.readline().strip()
        check(number.isdigit(), 'Xvfb starts')
        self.display = ':' + number
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop('QT_QPA_PLATFORM', None)
        self.procs.append(subprocess.Popen(['openbox', '--sm-disable'], env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self.until(lambda: '_NET_SUPPORTING_WM_CHECK(WINDOW)' in self.run('xprop', '-root', '_NET_SUPPORTING_WM_CHECK'),
                   'openbox starts', 20)
        return self

    def __exit__(self, kind, *exc):
        if kind is not None and self.display:
            try:
                self.picture('failure')
            except Exception:
                pass
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
        if self.log:
            self.log.close()

    def run(self, *args, timeout=30):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout).stdout

    @staticmethod
    def until(condition, what, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = condition()
            if value:
                return value
            time.sleep(0.1)
        raise Failure('waited %d s for: %s' % (seconds, what))

    # ---- the program ---------------------------------------------------------

    def start(self, home, name):
        env = dict(self.env, QUORVANT_HOME=home, QUORVANT_SYSTEM_DIR=os.path.join(home, 'system'),
                   XDG_CONFIG_HOME=os.path.join(home, 'config'), LC_ALL='en_GB.UTF-8', QT_QPA_PLATFORM='xcb',
                   QT_SCALE_FACTOR=str(self.scale))
        self.log = open(os.path.join(self.out, name + '.log'), 'w')
        self.program = subprocess.Popen([self.binary], env=env, stdout=self.log, stderr=subprocess.STDOUT)
        self.procs.append(self.program)

    def windows(self):
        check(self.program.poll() is None, 'the program is still running')
        ids = self.run('xdotool', 'search', '--onlyvisible', '--pid', str(self.program.pid)).split()
        return [int(i) for i in ids]

    def name(self, wid):
        return self.run('xdotool', 'getwindowname', str(wid)).strip()

    def activate(self, wid):
        self.run('xdotool', 'windowactivate', '--sync', str(wid))
        return wid

    def wait_window(self, title=None, shot=None, seconds=30):
        """The window of that title (without one: a message box, any window but the main one), active, pictured
        if asked, and on the screen."""
        def found():
            return next((w for w in self.windows() if w != self.main and title in (None, self.name(w))), None)
        wid = self.activate(self.until(found, title or 'a message', seconds))
        time.sleep(0.2)  # its focus settles on the default button
        if shot:
            self.picture(shot)
        self.on_screen(wid, title or 'the message')
        return wid

    def wait_gone(self, wid, seconds=30):
        self.until(lambda: wid not in self.windows(), 'window %d to close' % wid, seconds)

    def answer(self, key, seconds=30, shot=None):
        """Answers the next message box by a key."""
        wid = self.wait_window(None, shot, seconds)
        self.keys(key)
        self.wait_gone(wid)

    def stop(self):
        self.program.terminate()
        self.program.wait(20)

    def keys(self, *keys):
        for k in keys:
            self.run('xdotool', 'key', '--clearmodifiers', k)
            time.sleep(0.15)

    def type(self, text):
        self.run('xdotool', 'type', '--delay', '40', text)

    def click(self, x, y):
        self.run('xdotool', 'mousemove', '--sync', str(x), str(y), 'click', '1')

    # ---- the screen ----------------------------------------------------------

    def picture(self, name=None):
        if name:
            self.run('import', '-window', 'root', os.path.join(self.out, name + '.png'))
        raw = subprocess.run(['import', '-window', 'root', '-depth', '8', 'rgb:-'], env=self.env,
                             capture_output=True, timeout=30).stdout
        check(len(raw) == SCREEN[0] * SCREEN[1] * 3, 'a picture of the screen')
        return Screen(raw, *SCREEN)

    def frame(self, wid):
        """The window's frame (x, y, w, h) as the window manager draws it."""
        value = dict(line.strip().split(':', 1) for line in self.run('xwininfo', '-id', str(wid)).splitlines()
                     if ':' in line)
        x, y, w, h = (int(value[k]) for k in ('Absolute upper-left X', 'Absolute upper-left Y', 'Width', 'Height'))
        extents = self.run('xprop', '-id', str(wid), '_NET_FRAME_EXTENTS')
        left, right, top, bottom = (int(v) for v in extents.split('=')[1].split(',')) if '=' in extents else (0,) * 4
        return (x - left, y - top, w + left + right, h + top + bottom)

    def on_screen(self, wid, what):
        x, y, w, h = self.frame(wid)
        check(x >= 0 and y >= 0 and x + w <= SCREEN[0] and y + h <= SCREEN[1],
              '%s lies on the screen (frame %s)' % (what, (x, y, w, h)))


def snapshot(folder):
    """Name, inode, size, time and digest of every file of the folder."""
    result = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        st = os.stat(path)
        with open(path, 'rb') as f:
            result[name] = (st.st_ino, st.st_size, st.st_mtime_ns, hashlib.sha256(f.read()).hexdigest())
    return result


def return_names(start, minutes):
    """The names a return written in the next minutes gets."""
    times = [time.localtime(start + 60 * m) for m in range(minutes)]
    return ['%s_%s.xml' % (REGISTRATION, time.strftime('%Y%m%d%I%M%p', t)) for t in times]


# The working windows and the keys that open them from the menu.
WORKING = ((['alt+r', 'e'], 'return-window'), (['alt+r', 'd'], 'data-check'), (['alt+r', 's'], 'quarter-summary'),
           (['alt+i', 'e'], 'import-window'))


class Session:
    """The program started on the demo folder and logged in to company 001."""

    def __init__(self, desk, home, name, shots=False):
        self.desk, self.home = desk, home
        self.aces = os.path.join(home, 'ACES', '001')
        desk.start(home, name)
        self.log_in(shots)

    def log_in(self, shots):
        d = self.desk
        d.wait_window('Login', shots and 'login')
        d.type('ACCOUNTS')
        d.keys('Return')
        d.type('secret')
        d.keys('Return')
        company = d.wait_window('Company Selection', shots and 'company-selection')
        # The company and period chosen last are offered, and Return takes them; the first time, the first company.
        ini = os.path.join(self.home, 'config', 'Quorvant', 'Quorvant.ini')
        offered = os.path.exists(ini) and 'company=' in open(ini).read()
        d.keys(*(['Return'] if offered else ['Down', 'Tab', 'Return']))
        d.wait_gone(company)
        d.main = d.activate(d.until(lambda: (d.windows() or [None])[0], 'the main window'))
        d.on_screen(d.main, 'the main window')
        time.sleep(0.5)
        screen = d.picture()
        x, y, w, h = d.frame(d.main)
        cx, cy = x + w // 2, y + h // 2
        self.grey = screen.pixel(cx, cy)  # the colour of the main window's working area (self.area: x, y, w, h)
        check(self.grey[0] == self.grey[1] == self.grey[2], 'the empty working area is grey: %s' % (self.grey,))
        # The working area: the grey around the main window's middle.
        def reach(dx, dy, limit):
            at = 0
            while at < limit and screen.pixel(cx + dx * (at + 1), cy + dy * (at + 1)) == self.grey:
                at += 1
            return at
        left, right = cx - reach(-1, 0, cx - x), cx + reach(1, 0, x + w - 1 - cx)
        top, bottom = cy - reach(0, -1, cy - y), cy + reach(0, 1, y + h - 1 - cy)
        self.area = (left, top, right - left + 1, bottom - top + 1)

    def window_open(self):
        return self.desk.picture().count(self.grey, self.area) < 0.9 * self.area[2] * self.area[3]

    def open_working(self, keys, name):
        d = self.desk
        d.activate(d.main)
        d.keys(*keys)
        d.until(lambda: self.window_open(), '%s to open' % name)
        time.sleep(0.5)
        screen = d.picture('%s-%dx%d-scale%s' % (name, SCREEN[0], SCREEN[1], d.scale))
        # Nothing of it reaches the working area's right or bottom edge, where the window would be cut off.
        ax, ay, aw, ah = self.area
        edges = screen.count(self.grey, (ax + aw - 1, ay, 1, ah)) + screen.count(self.grey, (ax, ay + ah - 1, aw, 1))
        check(edges == aw + ah, '%s lies within the main window (%s)' % (name, self.area))

    def closes_by(self, key, name):
        self.desk.keys(key)
        self.desk.until(lambda: not self.window_open(), '%s to close by %s' % (name, key), 10)

    def open_return(self, name, registration):
        """The return window for Apr-Jun 2014: the year chosen by typing it."""
        self.open_working(['alt+r', 'e'], name)
        self.desk.type('2014')
        self.desk.keys('Tab', 'Tab')
        self.desk.type(registration)


def demo_session(desk, home):
    """Log in; the return written (the question about a row of another quarter answered Yes) and its workbook; each
    working window opened from the menu by keys, pictured, within the main window, closed by Esc and by Ctrl+F4;
    File -> Change Company."""
    s = Session(desk, home, 'demo', True)
    desk.picture('main-window')
    s.open_return('return-window', 'aaacb1234cxm001')
    desk.keys('alt+c')
    desk.answer('alt+y', shot='question')  # one invoice line of July
    desk.answer('Return', 120)
    written = [n for n in os.listdir(s.aces) if n.endswith('.xml')]
    check(len(written) == 1 and os.path.getsize(os.path.join(s.aces, written[0])) > 1000, 'the demo return is written')
    s.closes_by('Escape', 'the return window')

    # The return as a workbook: the past returns open with the newest chosen and Write Workbook at hand, the
    # workbook is said to be written; a second time asks first (No).
    def to_excel(shot=None):
        s.open_working(['alt+r', 'x'], shot or 'returns-list')
        desk.keys('space')
        desk.answer('Return')
    to_excel('returns-list')
    workbook = os.path.join(s.aces, written[0][:-4] + '.xlsx')
    check(os.path.getsize(workbook) > 1000, 'the workbook is written')
    stamp = os.stat(workbook).st_mtime_ns
    to_excel()
    check(os.stat(workbook).st_mtime_ns == stamp, 'a workbook is not written again unless the user says so')
    s.closes_by('Escape', 'the returns list')

    for keys, name in WORKING:
        for key in ('Escape', 'ctrl+F4'):
            s.open_working(keys, name)
            s.closes_by(key, name)

    # File -> Change Company: Esc keeps the company; the second company picked by keys, then the first again
    # (the next start offers the last one), each in the title.
    for keys, code in ((['Escape'], '001'), (['shift+Tab', 'Down', 'Tab', 'Return'], '002'),
                       (['shift+Tab', 'Up', 'Tab', 'Return'], '001')):
        desk.activate(desk.main)
        desk.keys('alt+f', 'c')
        company = desk.wait_window('Company Selection', code == '002' and 'change-company')
        desk.keys(*keys)
        desk.wait_gone(company)
        check('[ %s ]' % code in desk.name(desk.main), 'the title names company %s (%s)' % (code, desk.name(desk.main)))


def small_screen_session(desk, home):
    """Each working window on a small screen: it fits, and Esc closes it."""
    s = Session(desk, home, 'small-screen')
    for keys, name in WORKING:
        s.open_working(keys, name)
        s.closes_by('Escape', name)
    desk.stop()


def large_session(desk, home):
    """The export of a large quarter cancelled by a click on the indicator's Cancel and by Esc, each after "Replace
    it?" was answered Yes: the earlier return is the same file afterwards and nothing new is in the folder."""
    s = Session(desk, home, 'large')
    s.open_return('return-window-large', REGISTRATION)

    for way in ('mouse', 'Esc'):
        # An earlier return under each name the export may take in the next minutes.
        for name in return_names(time.time(), 4):
            with open(os.path.join(s.aces, name), 'wb') as f:
                f.write(b'an earlier return\n')
        before = snapshot(s.aces)
        desk.activate(desk.main)
        desk.keys('alt+c')
        # Two questions, each answered Yes: the generated quarter's rows dated in other quarters (asked
        # while the indicator shows), then "A return named ... already exists. Replace it?". Then the
        # indicator of the writing shows how far, with its Cancel, and no third question.
        desk.answer('alt+y', 60)
        desk.answer('alt+y', 60)
        label = desk.until(lambda: desk.picture().box_of(PEACH), 'the please-wait indicator', 60)
        check(desk.windows() == [desk.main], 'two questions before the export')
        twip = label[2] / 4170.0  # the label is 4170 twips wide
        cancel = (int(label[0] + (1552 + 600 - 60) * twip), int(label[1] + (1650 + 187 - 360) * twip))
        desk.until(lambda: desk.picture().pixel(*cancel) != (255, 255, 255), 'the Cancel button', 10)
        desk.picture('indicator-' + way)
        if way == 'mouse':
            desk.click(*cancel)
        else:
            desk.keys('Escape')
        desk.answer('Return', 15, 'cancelled-' + way)
        check(snapshot(s.aces) == before, 'cancelled by %s: the earlier return and the folder as they were' % way)


def main():
    p = argparse.ArgumentParser()
    p.add_argument('--program', required=True)
    p.add_argument('--out', default=None)
    p.add_argument('--rows', type=int, default=400000)
    args = p.parse_args()
    missing = [t for t in ('Xvfb', 'openbox', 'xdotool', 'import', 'xprop', 'xwininfo') if not shutil.which(t)]
    if missing:
        print('%s missing: run scripts/setup.sh' % ' '.join(missing), file=sys.stderr)
        return 1
    out = os.path.abspath(args.out or os.path.join(os.path.dirname(args.program), '..', 'desktop-test'))
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    work = tempfile.mkdtemp(prefix='quorvant-desktop-')
    maker = None
    try:
        home = os.path.join(work, 'home')
        shutil.copytree(os.path.join(SOURCE, 'data', 'demo'), home)
        shutil.copy(os.path.join(SOURCE, 'data', 'ACES_DLR.xsd'), home)
        for folder in ('system', 'config'):
            os.makedirs(os.path.join(home, folder))
        # The large quarter is generated meanwhile.
        generated = os.path.join(work, 'large')
        maker = subprocess.Popen([sys.executable, os.path.join(SOURCE, 'bench', 'make_quarter.py'), '--rows',
                                  str(args.rows), '--out', generated], stdout=subprocess.DEVNULL)
        binary = os.path.abspath(args.program)
        with Desktop(binary, out, 1, (1024, 600)) as desk:
            small_screen_session(desk, home)
        with Desktop(binary, out, 1.5) as desk:
            demo_session(desk, home)
            desk.stop()
            check(maker.wait() == 0, 'the large quarter is generated')
            # Its work tables and tariff master in the demo's folder, whose users log in.
            for table in ('stemp4.DBF', 'ptemp5.DBF'):
                shutil.copy(os.path.join(generated, table), os.path.join(home, table))
            db = sqlite3.connect(os.path.join(home, 'Data', 'db.sqlite'))
            db.execute("attach ? as large", (os.path.join(generated, 'Data', 'db.sqlite'),))
            db.execute('delete from Import')
            db.execute('insert into Import (TariffNo, Unit) select TariffNo, Unit from large.Import')
            db.commit()
            db.close()
            shutil.rmtree(generated)
            large_session(desk, home)
        print('desktop test passed; pictures in %s' % out)
        return 0
    except Failure as e:
        print('FAILED: %s (pictures and the program\'s output in %s)' % (e, out), file=sys.stderr)
        return 1
    finally:
        if maker and maker.poll() is None:
            maker.kill()
            maker.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
