#!/usr/bin/env python3
"""A real headless Chromium plays a game with mouse clicks on the board of
the packed launcher whose game program is mirq-web: moves, a refused move,
a purchase and a drop, to a result. It checks what the page shows against
the game's record and saves screenshots under BUILD/web-screens/.

usage: browser_test.py BUILD_DIR
"""
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

RANKS = "abcdefghi"


FAILURE_SHOT = []  # where to save the page when a check fails


def fail(msg):
    print("browser test: FAILED: " + msg, file=sys.stderr)
    if FAILURE_SHOT:
        driver, path = FAILURE_SHOT[0]
        try:
            driver.save_screenshot(path)
            print("screenshot of the failure:", path, file=sys.stderr)
        except Exception:
            pass
    sys.exit(1)


class Game:
    """The packed launcher, run from a scratch folder, and its page."""

    def __init__(self, build):
        self.scratch = tempfile.mkdtemp(prefix="mirq-browser-")
        self.launcher = os.path.join(self.scratch, "Mirqgate")
        shutil.copy(os.path.join(build, "Mirqgate-web"), self.launcher)
        os.chmod(self.launcher, 0o755)
        tmp = os.path.join(self.scratch, "tmp")
        os.mkdir(tmp, 0o700)
        # The launcher's temporary folder: the private runtime folder first.
        env = dict(os.environ, TMPDIR=tmp, XDG_RUNTIME_DIR=tmp, MIRQ_BROWSER="none")
        self.proc = subprocess.Popen([self.launcher], cwd=tmp, env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = self.proc.stdout.readline()
        m = re.search(r"(http://127\.0\.0\.1:\d+/)\?token=([0-9a-f]{32})", line)
        if not m:
            fail("the launcher printed no address: " + line)
        self.base, self.token = m.group(1), m.group(2)
        self.url = m.group(0)

    def state(self):
        with urllib.request.urlopen(f"{self.base}api/state?token={self.token}") as r:
            return json.load(r)

    def games_path(self):
        return os.path.join(self.scratch, "Data", "savedata", "games.txt")

    def records(self):
        with open(self.games_path()) as f:
            return f.read().splitlines()

    def wait_exit(self, seconds):
        try:
            rest, _ = self.proc.communicate(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            fail("mirq-web did not end after the page was closed")
        return rest

    def clean(self):
        if self.proc.poll() is None:
            self.proc.kill()
        shutil.rmtree(self.scratch, ignore_errors=True)


def viewport(driver, width, height, mobile=False):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})


def browser(width, height, profile):
    opts = webdriver.ChromeOptions()
    for arg in ["--headless=new", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--user-data-dir=" + profile,
                f"--window-size={width},{height}"]:
        opts.add_argument(arg)
    if os.geteuid() == 0:
        opts.add_argument("--no-sandbox")
    opts.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    driver = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    return webdriver.Chrome(service=Service(driver), options=opts)


def sq_id(sq):
    return f"{sq >> 4}{sq & 15}"


def usi_square(sq):
    return f"{sq >> 4}{RANKS[(sq & 15) - 1]}"


class Player:
    def __init__(self, game, driver, shots):
        self.game, self.d, self.shots = game, driver, shots
        self.wait = WebDriverWait(driver, 60, poll_frequency=0.05)

    def shot(self, name):
        path = os.path.join(self.shots, name + ".png")
        self.d.save_screenshot(path)
        print("screenshot:", path)

    # Read in one script call each, as parts of the page are redrawn at any time.
    def text(self, element_id):
        return self.d.execute_script(f"return document.getElementById('{element_id}').innerText")

    def status(self):
        return self.text("status")

    def message(self):
        return self.text("message")

    def click(self, selector):
        # Parts of the page are redrawn when news arrives; find again then.
        for _ in range(5):
            try:
                self.d.find_element(By.CSS_SELECTOR, selector).click()
                return
            except StaleElementReferenceException:
                time.sleep(0.05)
        fail("cannot click " + selector)

    def click_square(self, sq):
        self.click(f'rect.hit[data-sq="{sq_id(sq)}"]')

    def your_turn(self, after=0):
        """Waits until the game holds more than `after` moves and the page shows
        the player's turn or the result; the state then."""
        def ready(_):
            s = self.game.state()
            moves = sum(1 for e in s["log"] if "usi" in e)
            if moves < after or s["phase"] in ("thinking", "starting"):
                return False
            shown = "Your move" in self.status() if s["phase"] == "your-turn" else True
            return s if shown and len(self.page_moves()) == moves else False
        return self.wait.until(ready)

    def page_moves(self):
        """The moves as the page lists them, in USI."""
        return self.d.execute_script(
            "return [...document.querySelectorAll('.move-row .you, .move-row .engine')]"
            ".map(e => e.textContent.trim().split(/\\s+/)[0]).filter(Boolean)")

    def play(self, m, shot=None):
        """Clicks the piece (or the bought piece) and then the marked square;
        a screenshot named shot shows the marked squares."""
        before = len(self.page_moves())
        if m["drop"]:
            self.click(f'.stand-piece[data-drop="{m["drop"]}"]')
        else:
            self.click_square(m["from"])
        targets = self.d.find_elements(By.CSS_SELECTOR, "#layer-targets circle")
        if not targets:
            fail(f"no destinations marked for {m['usi']}")
        if shot:
            self.shot(shot)
            viewport(self.d, 390, 844, mobile=True)
            time.sleep(0.3)
            self.shot(shot + "-phone")
            viewport(self.d, 1280, 800)
            time.sleep(0.3)
        self.click_square(m["to"])
        return self.your_turn(before + 1)

    def buy(self, kind, pay):
        before = self.game.state()["you"]["bought"][kind]
        self.click(f'.offer[data-kind="{kind}"][data-pay="{"".join(map(str, pay))}"]')
        self.wait.until(lambda _: self.game.state()["you"]["bought"][kind] == before + 1 and
                        self.d.find_elements(By.CSS_SELECTOR, f'.stand-piece[data-drop="{kind}"]'))


def main():
    if len(sys.argv) != 2:
        fail("usage: browser_test.py BUILD_DIR")
    build = os.path.abspath(sys.argv[1])
    shots = os.path.join(build, "web-screens")
    shutil.rmtree(shots, ignore_errors=True)  # no picture of an earlier run stays
    os.makedirs(shots)
    game = Game(build)
    driver = None
    try:
        driver = browser(1280, 800, os.path.join(game.scratch, "chromium-profile"))
        viewport(driver, 1280, 800)
        FAILURE_SHOT.append((driver, os.path.join(shots, "failure.png")))
        p = Player(game, driver, shots)
        driver.get(game.url)
        s = p.your_turn()
        p.shot("opening")

        # A refused move: the pawn on 7h cannot jump two squares.
        p.click_square(0x78)
        marked = len(driver.find_elements(By.CSS_SELECTOR, "#layer-targets circle"))
        legal = [m for m in s["legal"] if m["from"] == 0x78]
        if marked != len(legal):
            fail(f"{marked} destinations marked for the pawn on 7h, {len(legal)} legal")
        p.click_square(0x75)
        p.wait.until(lambda _: "cannot reach" in p.message())
        if p.message() != "Not allowed: your pawn on 7h cannot reach 7e.":
            fail("refusal shown: " + p.message())
        if game.state()["log"]:
            fail("the refused move was played")

        # A hint: the engine library's suggestion, marked on the board.
        p.click("#hint")
        p.wait.until(lambda _: p.message().startswith("Hint: "))
        hinted = game.state()["hintMove"]
        if hinted not in s["legal"] or not driver.find_elements(By.CSS_SELECTOR, "#layer-marks rect.hint"):
            fail(f"the hint {hinted} is not a marked legal move")

        # The king walks to collect two points, which buy a lance to drop.
        rng = random.Random(5)
        for _ in range(12):
            pts = s["you"]["points"]
            if sum(pts) >= 2:
                break
            kings = [m for m in s["legal"] if m["from"] and
                     s["board"][((m["from"] & 15) - 1) * 9 + 9 - (m["from"] >> 4)] == 24]
            pawn = [m for m in s["legal"] if m["usi"] == "5h5g"]
            s = p.play(kings[0] if kings else pawn[0] if pawn else rng.choice(s["legal"]))
            if s["phase"] != "your-turn":
                fail("the game ended before a purchase: " + json.dumps(s.get("result")))
        if not s["offers"][2]:
            fail("no payment offered for a lance with points " + str(s["you"]["points"]))
        shown = driver.find_elements(By.CSS_SELECTOR, ".offer")
        if len(shown) != sum(min(6, len(o)) for o in s["offers"]):
            fail("the buy panel offers other payments than the game allows")
        p.buy(2, s["offers"][2][0])
        s = game.state()
        drops = [m for m in s["legal"] if m["drop"] == 2]
        if not drops:
            fail("no lance drop is legal")
        p.click('.stand-piece[data-drop="2"]')
        p.shot("drop")
        before = len(p.page_moves())
        p.click_square(drops[0]["to"])  # the stand piece is already selected
        s = p.your_turn(before + 1)
        if not any(e.get("usi") == drops[0]["usi"] for e in s["log"]):
            fail("the drop is not in the game")

        # Then seeded random clicks to the end.
        middle_taken = False
        for _ in range(400):
            if s["phase"] != "your-turn":
                break
            if not s["legal"]:
                kinds = [k for k in range(1, 8) if s["offers"][k]]
                if not kinds:
                    break
                p.buy(kinds[0], s["offers"][kinds[0]][0])
                s = game.state()
                continue
            moves = sum(1 for e in s["log"] if "usi" in e)
            board_moves = [m for m in s["legal"] if m["from"]] or s["legal"]
            take = not middle_taken and moves >= 20
            middle_taken |= take
            s = p.play(rng.choice(board_moves), "middle" if take else None)
        if s["phase"] != "over":
            fail("no result reached: " + s["phase"])
        if not middle_taken:
            print("browser test: the game ended before move 20; no middle screenshot")
        p.wait.until(lambda _: driver.find_element(By.ID, "result").is_displayed())
        p.shot("result")
        title = p.text("result-title")
        moves = p.page_moves()
        final = p.text("result-final")

        viewport(driver, 390, 844, mobile=True)
        time.sleep(0.5)
        p.shot("result-phone")

        driver.quit()
        driver = None
        out = game.wait_exit(60)
        records = game.records()
        if len(records) != 1:
            fail(f"{len(records)} records for one game")
        record = records[0]
        word = {"You won": "won", "Mirqmind won": "lost", "Drawn": "drawn"}.get(title)
        if not word or record.split()[2] != word:
            fail(f"the page says '{title}', the record '{record}'")
        # Purchases and points stand between the moves; "+" marks a book move
        # that promoted, which the page's list does not.
        recorded = record.split(" moves ", 1)[1].split()
        recorded_moves = [t.rstrip("+") for t in recorded
                          if re.fullmatch(r"[1-9][a-i][1-9][a-i]\+?|[PLNSGBR]\*[1-9][a-i]", t)]
        if recorded_moves != moves:
            fail(f"the page shows {moves}, the record holds {recorded_moves}")
        # And the record replays to the result the page showed.
        replay = subprocess.run([os.path.join(build, "bin", "mirq-tool"), "replay", game.games_path()],
                                capture_output=True, text=True)
        if replay.returncode != 0 or f"result {word}" not in replay.stdout:
            fail("the record does not replay to the result shown: " + replay.stdout + replay.stderr)
        print(f"browser test: passed: {title}, {len(moves)} moves; {final}")
        print(out.strip())
    finally:
        if driver:
            driver.quit()
        game.clean()


if __name__ == "__main__":
    main()
