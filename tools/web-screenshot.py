#!/usr/bin/python3
"""Screenshots of the page (build/web/tianti.html) in headless Chromium, the
whole page at a phone's and a desktop's width, or its 天梯图 view.

Usage: tools/web-screenshot.py [--ladder] [OUT-DIR] [FRAGMENT]
  --ladder  the 天梯图 view as a reader sees it (one screen, the picture
            scrolled to its first mark): web-ladder-360.png, web-ladder-1280.png
  OUT-DIR   where web-360.png and web-1280.png go (default: docs)
  FRAGMENT  the page's state (default: a GPU query with a separator line; with
            --ladder, the whole GPU list marking two compared cards)
Environment: TIANTI_PAGE, the page (default: build/web/tianti.html).
"""
import os
import sys
import urllib.parse

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "web"))
from browser import chromium, open_page  # noqa: E402

args = sys.argv[1:]
ladder = "--ladder" in args
args = [a for a in args if a != "--ladder"]
out = args[0] if args else os.path.join(root, "docs")
if len(args) > 1:
    fragment = args[1]
elif ladder:
    fragment = "cmp=RTX+4070&cmp=Radeon+RX+7800+XT&view=ladder&ladder=compare"
else:
    fragment = "q=rtx&and=40&or1=super&or2=ti&scope=gpu"
page = os.path.abspath(os.environ.get("TIANTI_PAGE", os.path.join(root, "build", "web", "tianti.html")))
if not os.path.exists(page):
    sys.exit("no %s: build the web preset first (cmake --preset web && cmake --build --preset web)" % page)
url = "file://" + urllib.parse.quote(page) + "#" + fragment
if any(a.startswith("-") for a in args):
    sys.exit(__doc__)
os.makedirs(out, exist_ok=True)

for width, mobile in ((360, True), (1280, False)):
    # The ladder: one screen, as its picture scrolls in its own frame.
    with chromium(width, 740 if mobile else 800, mobile=mobile) as driver:
        open_page(driver, url)
        if not ladder:
            height = driver.execute_script("return document.documentElement.scrollHeight")
            if not mobile:
                driver.set_window_size(width, height + 200)
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                   {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})
        path = os.path.join(out, "web-%s%d.png" % ("ladder-" if ladder else "", width))
        if not driver.save_screenshot(path):
            sys.exit("could not write " + path)
        print(path)
