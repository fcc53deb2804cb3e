#!/usr/bin/python3
"""The page's figures for tools/bench-report.sh, in headless Chromium; each
prints two times in nanoseconds, the figure's and its yardstick's:

  bench-web.py load PAGE SAMPLES    navigation to window.tiantiReady, against
                                    the same browser loading a plain HTML file
                                    of the same size (to its load event)
  bench-web.py query PAGE SAMPLES   one press of 查询 to the table in the page,
                                    laid out (so painted in the next frame),
                                    against one 60 Hz frame
Medians over SAMPLES runs.
"""
import os
import statistics
import sys
import tempfile
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "web"))
from browser import chromium, open_page  # noqa: E402

# Before the page's script: the time since navigation when tiantiReady is set.
READY_CLOCK = """
(() => {
  let ready = false;
  Object.defineProperty(window, 'tiantiReady', {
    configurable: true,
    get: () => ready,
    set: (v) => { ready = v; if (v === true) window.tiantiReadyAt = performance.now(); },
  });
})();
"""

# One press: the terms set, 查询 clicked, the table laid out.
PRESS = """
const [main, scope] = arguments;
document.getElementById('main').value = main;
document.getElementById('scope-' + scope).checked = true;
const t0 = performance.now();
document.getElementById('query').click();
document.getElementById('results').getBoundingClientRect();
return performance.now() - t0;
"""

FRAME_NS = 1e9 / 60


def url_of(path):
    return "file://" + urllib.parse.quote(os.path.abspath(path))


def load(page, samples):
    size = os.path.getsize(page)
    with tempfile.TemporaryDirectory() as tmp:
        plain = os.path.join(tmp, "plain.html")
        head = '<!DOCTYPE html><html lang="zh-CN"><head><meta charset="utf-8"><title>plain</title></head>' \
               "<body><p>天梯</p><!--"
        tail = "--></body></html>\n"
        with open(plain, "w", encoding="utf-8") as f:
            f.write(head + "x" * (size - len(head.encode()) - len(tail)) + tail)
        ours, theirs = [], []
        with chromium() as driver:
            driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": READY_CLOCK})
            for i in range(samples + 1):  # the first of each warms the browser up
                driver.get("about:blank")
                open_page(driver, url_of(page))
                t = driver.execute_script("return window.tiantiReadyAt")
                driver.get("about:blank")
                driver.get(url_of(plain))
                p = driver.execute_script(
                    "return performance.getEntriesByType('navigation')[0].loadEventEnd")
                if i:
                    ours.append(t)
                    theirs.append(p)
    return statistics.median(ours) * 1e6, statistics.median(theirs) * 1e6


def query(page, samples):
    terms = [("ryzen", "all"), ("4090", "gpu"), ("i7", "cpu"), ("geforce", "gpu"), ("xeon", "cpu")]
    times = []
    with chromium() as driver:
        open_page(driver, url_of(page))
        for i in range(samples * 5 + 5):
            main, scope = terms[i % len(terms)]
            t = driver.execute_script(PRESS, main, scope)
            if i >= 5:
                times.append(t)
    return statistics.median(times) * 1e6, FRAME_NS


def main(argv):
    if len(argv) != 3 or argv[0] not in ("load", "query"):
        sys.exit(__doc__)
    figure, yardstick = {"load": load, "query": query}[argv[0]](argv[1], int(argv[2]))
    print("%.0f %.0f" % (figure, yardstick))


if __name__ == "__main__":
    main(sys.argv[1:])
