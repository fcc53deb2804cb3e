#!/usr/bin/python3
"""The page (build/web/tianti.html) in headless Chromium, against the native
tianti-cli: seeded random queries whose table equals the CLI's, the messages,
Reset, the scope options, compare and near, the graphics adapter with an
injected renderer string, the page offline with no request made, the state
in the fragment, and labels and keys.

Usage: page_test.py --cli PATH-TO-native-tianti-cli --page PATH-TO-tianti.html
"""
import argparse
import json
import os
import random
import subprocess
import sys
import unittest
import urllib.parse

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import chromium, open_page  # noqa: E402

CLI = None
PAGE = None
URL = None

MISSING_TERM = "Sorry,请输入查询条件!"
LIMIT_NOTE = "注:仅显示前30条记录(请缩少范围)"


def native(*args):
    p = subprocess.run([CLI, *args], capture_output=True, check=False)
    return p.stdout.decode("utf-8")


def native_query(case, fmt="table"):
    """tianti-cli for the terms and scope of `case`, written as a user would:
    the AND term when given, the OR terms up to the last one given."""
    args = ["--scope", case["scope"], "--format", fmt]
    if case["and"]:
        args += ["--and", case["and"]]
    ors = [case["or1"], case["or2"], case["or3"]]
    while ors and not ors[-1]:
        ors.pop()
    for term in ors:
        args += ["--or", term]
    return native(*args, "--", case["main"])


def native_messages(case):
    return "\n".join(json.loads(native_query(case, "json"))["messages"])


# Fills the boxes and the scope of each case, presses 查询 and reads the
# table text and the message shown; one call for many cases.
RUN_CASES = """
const cases = arguments[0];
const out = [];
for (const c of cases) {
  for (const id of ['main', 'and', 'or1', 'or2', 'or3']) document.getElementById(id).value = c[id];
  document.getElementById('scope-' + c.scope).checked = true;
  document.getElementById('query').click();
  out.push({text: document.getElementById('results').dataset.text,
            shown: document.getElementById('results').textContent,
            message: document.getElementById('message').textContent});
}
return out;
"""


def vocabulary():
    """Words and pieces of words from the ranking lists, and a few others."""
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    words = set()
    for name in ("cpu.txt", "gpu.txt"):
        with open(os.path.join(root, "data", name), encoding="utf-8") as f:
            for line in f:
                parts = line.split("|")
                if len(parts) > 2:
                    words.update(parts[2].split())
    return sorted(words) + ["双卡", "笔记本", "-", "@", "  ", "x" * 60]


def random_cases(count, seed=24):
    rng = random.Random(seed)
    words = vocabulary()

    def term(chance):
        if rng.random() > chance:
            return ""
        w = rng.choice(words)
        roll = rng.random()
        if roll < 0.3 and len(w) > 2:  # a piece of a word
            start = rng.randrange(len(w) - 1)
            w = w[start:start + rng.randint(1, len(w) - start)]
        elif roll < 0.45:
            w = w.lower()
        elif roll < 0.55:
            w = " " + w + " "
        elif roll < 0.6:
            w = w + " " + rng.choice(words)
        return w

    cases = []
    for _ in range(count):
        cases.append({"main": term(0.95), "and": term(0.3), "or1": term(0.4), "or2": term(0.3),
                      "or3": term(0.25), "scope": rng.choice(["all", "cpu", "gpu"])})
    return cases


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._browser = chromium(1280, 900)
        cls.driver = cls._browser.__enter__()
        open_page(cls.driver, URL)

    @classmethod
    def tearDownClass(cls):
        cls._browser.__exit__(None, None, None)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def value(self, id_):
        return self.js("return document.getElementById(arguments[0]).value", id_)

    def data(self, id_, key):
        return self.js("return document.getElementById(arguments[0]).dataset[arguments[1]]", id_, key)

    def run_cases(self, cases):
        return self.js(RUN_CASES, cases)

    def test_random_queries_print_what_the_cli_prints(self):
        cases = random_cases(300)
        results = []
        for start in range(0, len(cases), 50):
            results += self.run_cases(cases[start:start + 50])
        missing = truncated = rows = 0
        for case, got in zip(cases, results):
            with self.subTest(case=case):
                want = native_query(case)
                self.assertEqual(got["text"], want)
                self.assertEqual(got["shown"], want)
                self.assertEqual(got["message"], native_messages(case))
                missing += got["message"] == MISSING_TERM
                truncated += LIMIT_NOTE in got["message"]
                rows += want.count("\n|") > 1
        # The seed reaches every kind of answer.
        self.assertGreater(missing, 0)
        self.assertGreater(truncated, 0)
        self.assertGreater(rows, 30)

    def test_messages_reset_and_the_limit(self):
        blank = {"main": "", "and": "x", "or1": "y", "or2": "", "or3": "", "scope": "all"}
        [got] = self.run_cases([blank])
        self.assertEqual(got["message"], MISSING_TERM)
        self.assertEqual(got["text"], "")
        # As in the window, the warning clears every box.
        self.assertEqual([self.value(i) for i in ("main", "and", "or1")], ["", "", ""])
        self.assertEqual(self.js("return document.getElementById('message').getAttribute('role')"), "alert")

        broad = {"main": "a", "and": "", "or1": "", "or2": "", "or3": "", "scope": "all"}
        [got] = self.run_cases([broad])
        self.assertEqual(got["message"], LIMIT_NOTE + "a。")
        self.assertEqual(got["text"].count("\n|") - 1, 30)  # the head and 30 rows

        ok = {"main": "4090", "and": "", "or1": "", "or2": "", "or3": "", "scope": "gpu"}
        [got] = self.run_cases([ok])
        self.assertEqual(got["message"], "")  # a new query clears the old message

        self.js("document.getElementById('and').value = 'laptop'")
        self.driver.find_element(By.ID, "reset").click()
        for id_ in ("main", "and", "or1", "or2", "or3"):
            self.assertEqual(self.value(id_), "")
        self.assertEqual(self.data("results", "text"), "")
        self.assertEqual(self.js("return document.getElementById('results').textContent"), "")

    def test_scope_options_and_enter(self):
        self.js("for (const id of ['main','and','or1','or2','or3']) document.getElementById(id).value = ''")
        self.driver.find_element(By.ID, "main").send_keys("i7")
        # Choosing an option runs the query, as the window's options do.
        self.driver.find_element(By.ID, "scope-cpu").click()
        case = {"main": "i7", "and": "", "or1": "", "or2": "", "or3": "", "scope": "cpu"}
        self.assertEqual(self.data("results", "text"), native_query(case))
        self.driver.find_element(By.ID, "scope-gpu").click()
        self.assertEqual(self.data("results", "text"), native_query(dict(case, scope="gpu")))
        # Enter in any box runs the query.
        self.driver.find_element(By.ID, "main").clear()
        self.driver.find_element(By.ID, "main").send_keys("rtx")
        self.driver.find_element(By.ID, "or2").send_keys("4080" + Keys.ENTER)
        self.assertEqual(self.data("results", "text"), native_query(dict(case, main="rtx", or2="4080", scope="gpu")))
        self.driver.find_element(By.ID, "scope-all").click()
        self.driver.find_element(By.ID, "and").send_keys("super" + Keys.ENTER)
        self.assertEqual(self.data("results", "text"),
                         native_query(dict(case, main="rtx", **{"and": "super"}, or2="4080", scope="all")))

    def test_copy_gives_the_table_text(self):
        self.run_cases([{"main": "ryzen 9", "and": "", "or1": "", "or2": "", "or3": "", "scope": "cpu"}])
        self.js("""Object.defineProperty(navigator, 'clipboard', {configurable: true,
                   value: {writeText: (t) => { window.copiedText = t; return Promise.resolve(); }}});""")
        self.driver.find_element(By.ID, "copy").click()
        copied = self.js("return window.copiedText")
        self.assertEqual(copied, self.data("results", "text"))
        self.assertTrue(copied.startswith("+-----+"))

    def test_compare_and_near(self):
        self.driver.find_element(By.ID, "tab-compare").click()
        names = ["RTX 4090", "Radeon RX 7900 XTX", "ryzen 7 7840hs", "no such card"]
        box = self.driver.find_element(By.ID, "compare-names")
        box.clear()
        box.send_keys("\n".join(names))
        self.driver.find_element(By.ID, "compare-run").click()
        got = self.data("compare-results", "json")
        self.assertEqual(got, native("--compare", "--format", "json", "--", *names))
        shown = self.js("return document.getElementById('compare-results').innerText")
        self.assertIn("相对", shown)
        self.assertEqual(self.js("return document.querySelectorAll('#compare-results .bar-fill').length"), 3)

        name = self.driver.find_element(By.ID, "near-name")
        name.clear()
        name.send_keys("AMD Ryzen 7 7840HS")
        count = self.driver.find_element(By.ID, "near-count")
        count.clear()
        count.send_keys("3" + Keys.ENTER)
        self.assertEqual(self.data("near-results", "json"),
                         native("--near", "AMD Ryzen 7 7840HS", "--count", "3", "--format", "json"))
        self.assertEqual(self.js("return document.querySelectorAll('#near-results li').length"), 7)
        self.driver.find_element(By.ID, "tab-query").click()

    def test_fragment_round_trip(self):
        self.driver.get("about:blank")
        open_page(self.driver, URL + "#q=4090&scope=gpu")
        case = {"main": "4090", "and": "", "or1": "", "or2": "", "or3": "", "scope": "gpu"}
        self.assertEqual(self.data("results", "text"), native_query(case))
        self.assertTrue(self.js("return document.getElementById('scope-gpu').checked"))

        # A state made through the page comes back from its address.
        self.run_cases([{"main": "ryzen", "and": "", "or1": "7950x", "or2": "7900 x", "or3": "",
                         "scope": "cpu"}])
        self.js("""document.getElementById('compare-names').value = 'RTX 4090\\nGeForce RTX 3090 Ti';
                   document.getElementById('compare-run').click();""")
        before = {id_: self.value(id_) for id_ in ("main", "and", "or1", "or2", "or3")}
        table, compared = self.data("results", "text"), self.data("compare-results", "json")
        address = self.driver.current_url
        fragment = urllib.parse.urlsplit(address).fragment
        self.assertIn("q=ryzen", fragment)
        self.assertIn("scope=cpu", fragment)
        self.driver.get("about:blank")
        open_page(self.driver, address)
        self.assertEqual({id_: self.value(id_) for id_ in before}, before)
        self.assertEqual(self.data("results", "text"), table)
        self.assertEqual(self.data("compare-results", "json"), compared)
        self.assertTrue(self.js("return document.getElementById('scope-cpu').checked"))
        self.driver.refresh()
        open_page(self.driver, address)
        self.assertEqual(self.data("results", "text"), table)
        # A fragment typed into the address bar of the open page applies at once.
        self.js("location.hash = '#q=4090&scope=gpu'")
        want = native_query(case)
        WebDriverWait(self.driver, 10).until(lambda d: self.data("results", "text") == want)
        self.assertEqual(self.value("or1"), "")

        # A malformed fragment is ignored, never an error.
        for bad in ("#%E0%A4%A", "#q", "#scope=xyz&n=-4&view=nope&near=", "#=&&==&q=%", "#cmp=&cmp=%20",
                    "#" + "q=" + "9" * 5000, "#view=mine&q=%00"):
            with self.subTest(fragment=bad):
                self.driver.get("about:blank")
                open_page(self.driver, URL + bad)
                self.assertIn(self.js("return document.getElementById('message').textContent"),
                              ("", MISSING_TERM))
                self.assertEqual(self.js("return window.tiantiError || null"), None)
                self.assertEqual(self.js("return document.getElementById('loading').hidden"), True)
        self.driver.get("about:blank")
        open_page(self.driver, URL)

    def test_labels_and_keys(self):
        unnamed = self.js("""
            const out = [];
            for (const e of document.querySelectorAll('input, textarea, button, [role=tab]')) {
              const named = (e.labels && e.labels.length) || e.getAttribute('aria-label') ||
                  e.getAttribute('aria-labelledby') || (e.tagName === 'BUTTON' && e.textContent.trim());
              if (!named) out.push(e.id || e.outerHTML);
            }
            return out;""")
        self.assertEqual(unnamed, [])
        # The window's tool tips, from the engine.
        self.assertEqual(self.js("return document.getElementById('or1').title"), "查询条件：或1")
        self.assertEqual(self.js("return document.getElementById('scope-cpu').title"), "仅查询CPU(微处理器)")
        # The tabs go by the arrow keys.
        self.driver.find_element(By.ID, "tab-query").click()
        self.driver.switch_to.active_element.send_keys(Keys.ARROW_RIGHT)
        self.assertEqual(self.js("return document.activeElement.id"), "tab-compare")
        self.assertFalse(self.js("return document.getElementById('view-compare').hidden"))
        self.assertTrue(self.js("return document.getElementById('view-query').hidden"))
        self.driver.switch_to.active_element.send_keys(Keys.ARROW_LEFT)
        self.assertEqual(self.js("return document.activeElement.id"), "tab-query")
        # Tab from the main box reaches the other boxes and the buttons.
        self.driver.find_element(By.ID, "main").click()
        seen = []
        for _ in range(10):
            self.driver.switch_to.active_element.send_keys(Keys.TAB)
            seen.append(self.js("return document.activeElement.id"))
        for id_ in ("and", "or1", "or2", "or3", "scope-all", "query", "reset"):
            self.assertIn(id_, seen)


# Before the page's own script: the renderer string the browser reports, or
# no WebGL at all (null).
INJECT = """
(() => {
  const renderer = %s;
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
    if (renderer === null && /webgl/.test(type)) return null;
    return getContext.call(this, type, ...rest);
  };
  for (const gl of [WebGLRenderingContext, window.WebGL2RenderingContext].filter(Boolean)) {
    const getParameter = gl.prototype.getParameter;
    gl.prototype.getParameter = function (name) {
      return name === 0x9246 ? renderer : getParameter.call(this, name);
    };
  }
})();
"""


class Renderer(unittest.TestCase):
    def mine(self, renderer):
        with chromium(1280, 900) as driver:
            driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                   {"source": INJECT % json.dumps(renderer)})
            open_page(driver, URL + "#view=mine")
            answer = json.loads(driver.execute_script("return document.getElementById('mine').dataset.json"))
            shown = driver.execute_script("return document.getElementById('view-mine').innerText")
            reported = driver.execute_script("return document.getElementById('mine-reported').textContent")
            return answer, shown, reported

    def test_renderer_strings(self):
        angle = "ANGLE (NVIDIA, NVIDIA GeForce RTX 4090 Direct3D11 vs_5_0 ps_5_0, D3D11)"
        answer, shown, reported = self.mine(angle)
        self.assertEqual(reported, angle)
        [device] = answer["devices"]
        self.assertEqual(device["reported"], angle)
        self.assertEqual(device["kind"], "gpu")
        [want] = json.loads(native("--compare", "--scope", "gpu", "--format", "json", "NVIDIA GeForce RTX 4090"))["devices"]
        for key in ("list", "rank", "description", "score"):
            self.assertEqual(device[key], want[key], key)
        self.assertIn(want["description"], shown)
        self.assertEqual(answer["messages"], [])

        for renderer, word in (("Apple GPU", "隐藏"), (None, "没有提供"),
                               ("ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero) (0x0000C0DE)), "
                                "SwiftShader driver)", "软件渲染器")):
            with self.subTest(renderer=renderer):
                answer, shown, reported = self.mine(renderer)
                self.assertTrue(all(d["list"] is None for d in answer["devices"]))
                self.assertEqual(len(answer["messages"]), 1)
                self.assertIn(word, answer["messages"][0])
                self.assertIn(answer["messages"][0], shown)


class Offline(unittest.TestCase):
    def test_no_request_with_the_network_off(self):
        with chromium(1280, 900, log_network=True) as driver:
            driver.execute_cdp_cmd("Network.enable", {})
            driver.execute_cdp_cmd("Network.emulateNetworkConditions",
                                   {"offline": True, "latency": 0, "downloadThroughput": -1,
                                    "uploadThroughput": -1})
            open_page(driver, URL + "#q=ryzen&cmp=RTX%204090&cmp=RTX%203080&near=RTX%204090")
            driver.find_element(By.ID, "query").click()
            driver.find_element(By.ID, "tab-mine").click()
            self.assertTrue(driver.execute_script("return document.getElementById('results').dataset.text")
                            .startswith("+-----+"))
            resources = driver.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
            self.assertEqual(resources, [])
            page = URL.split("#")[0]
            ours, outside = [], []
            for entry in driver.get_log("performance"):
                message = json.loads(entry["message"])["message"]
                if message["method"] == "Network.requestWillBeSent":
                    params = message["params"]
                    url = params["request"]["url"]
                    if params.get("documentURL", "").split("#")[0] == page:
                        ours.append(url.split("#")[0])
                    # (The browser's own start page is no concern of the test.)
                    if not params.get("documentURL", "").startswith("chrome") and not url.startswith("file:"):
                        outside.append(url)
            # The log sees the page itself, and nothing else of it or anyone's.
            self.assertEqual(sorted(set(ours)), [page])
            self.assertEqual(outside, [])


class File(unittest.TestCase):
    def test_one_file_of_at_most_two_megabytes(self):
        size = os.path.getsize(PAGE)
        self.assertLessEqual(size, 2 * 1024 * 1024)
        with open(PAGE, encoding="utf-8") as f:
            text = f.read()
        self.assertIn('<html lang="zh-CN">', text)
        for outside in ("http://", "https://", "src=", "<link"):
            self.assertNotIn(outside, text)


def main():
    global CLI, PAGE, URL
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--page", required=True)
    args, rest = parser.parse_known_args()
    CLI = os.path.abspath(args.cli)
    PAGE = os.path.abspath(args.page)
    if not os.path.exists(PAGE):
        sys.exit("no %s: build the web preset first" % PAGE)
    URL = "file://" + urllib.parse.quote(PAGE)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
