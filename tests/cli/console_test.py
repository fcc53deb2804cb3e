#!/usr/bin/env python3
"""tianti-cli.exe under Wine, writing to a console and to a pipe.

In a pseudo-terminal of its own under the zh_CN.GBK locale, where Wine's
console has code page 936, console_readback.exe runs the CLI in its console
and reads the screen buffer back (ReadConsoleOutputCharacterW): it must hold
exactly the text that the CLI writes to a pipe as UTF-8, and the bytes that
reach the terminal must decode as GBK to the same text.

Usage: console_test.py PREFIX tianti-cli.exe console_readback.exe
"""
import os
import pty
import re
import select
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PREFIX = CLI = READBACK = None
ARGS = ["ryzen"]  # a message on standard error, then a table with Chinese in it


def wine_env(lang):
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEARCH="win64", WINEDEBUG="-all", LANG=lang, LC_ALL=lang,
               WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml=")
    return env


def run_in_terminal(argv, env):
    """Runs argv in a new pseudo-terminal; returns its exit status and all it wrote there."""
    pid, fd = pty.fork()
    if pid == 0:
        try:
            os.execvpe(argv[0], argv, env)
        finally:
            os._exit(127)
    out = b""
    while True:
        ready, _, _ = select.select([fd], [], [], 120)
        if not ready:
            os.kill(pid, 9)
            break
        try:
            data = os.read(fd, 65536)
        except OSError:  # EIO: the terminal's other side is closed
            break
        if not data:
            break
        out += data
    os.close(fd)
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), out


def screen_text(data):
    """The text a terminal shows for Wine's console output: escape sequences
    dropped, a cursor move to the right as the spaces it skips, CR LF as LF."""
    text = data.decode("gbk")  # strict: every byte must be GBK
    text = re.sub(r"\x1b\[(\d*)C", lambda m: " " * int(m.group(1) or 1), text)
    text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text)
    text = text.replace("\r", "")
    return [line.rstrip() for line in text.split("\n")]


class Console(unittest.TestCase):
    def test_console_holds_the_text_and_a_gbk_terminal_shows_it(self):
        if "zh_CN.gbk" not in subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout:
            self.fail("the locale zh_CN.GBK is missing: run tools/install-deps.sh")
        subprocess.run([os.path.join(ROOT, "tools", "wine-prefix.sh"), PREFIX], check=True)

        # Redirected: UTF-8 bytes, as scripts rely on.
        piped = subprocess.run(["wine", CLI, *ARGS], env=wine_env("C.UTF-8"), capture_output=True,
                               stdin=subprocess.DEVNULL)
        self.assertEqual(piped.returncode, 0)
        expected = (piped.stderr.decode("utf-8") + piped.stdout.decode("utf-8")).splitlines()
        self.assertIn("|编号 |硬件描述                                |得分 |", expected)
        self.assertIn("系统提示：注:仅显示前30条记录(请缩少范围)a。", expected)

        with tempfile.TemporaryDirectory() as tmp:
            readback = os.path.join(tmp, "readback.txt")
            code, shown = run_in_terminal(["wine", READBACK, readback, CLI, *ARGS], wine_env("zh_CN.GBK"))
            self.assertEqual(code, 0, shown.decode("gbk", "replace"))
            with open(readback, encoding="utf-8") as f:
                rows = f.read().splitlines()

        # The console's screen buffer, under code page 936.
        self.assertEqual(rows[0], "936")
        self.assertEqual([row.rstrip() for row in rows[1:]], [line.rstrip() for line in expected])

        # What reached the terminal, in the locale's encoding.
        lines = screen_text(shown)
        start = lines.index(expected[0])
        self.assertEqual(lines[start:start + len(expected)], [line.rstrip() for line in expected])


if __name__ == "__main__":
    PREFIX, CLI, READBACK = sys.argv[1:4]
    # Another Wine (tools/wine10.sh's chroot) keeps a prefix of its own beside
    # this one, as cmake/wine-run.sh does.
    if os.path.exists("/etc/tianti-wine"):
        with open("/etc/tianti-wine", encoding="ascii") as f:
            PREFIX += "-" + f.read().strip()
    unittest.main(argv=sys.argv[:1])
