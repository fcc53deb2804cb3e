#!/usr/bin/python3
"""Screenshots of the page (build/web/tianti.html) in headless Chromium, the
whole page at a phone's and a desktop's width.

Usage: tools/web-screenshot.py [OUT-DIR] [FRAGMENT]
  OUT-DIR   where web-360.png and web-1280.png go (default: docs)
  FRAGMENT  the page's state (default: a GPU query with a separator line)
Environment: TIANTI_PAGE, the page (default: build/web/tianti.html).
"""
import os
import sys
import urllib.parse

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "web"))
from browser import chromium, open_page  # noqa: E402

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "docs")
fragment = sys.argv[2] if len(sys.argv) > 2 else "q=rtx&and=40&or1=super&or2=ti&scope=gpu"
page = os.path.abspath(os.environ.get("TIANTI_PAGE", os.path.join(root, "build", "web", "tianti.html")))
if not os.path.exists(page):
    sys.exit("no %s: build the web preset first (cmake --preset web && cmake --build --preset web)" % page)
url = "file://" + urllib.parse.quote(page) + "#" + fragment

for width, mobile in ((360, True), (1280, False)):
    with chromium(width, 800, mobile=mobile) as driver:
        open_page(driver, url)
        height = driver.execute_script("return document.documentElement.scrollHeight")
        if mobile:
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                   {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": True})
        else:
            driver.set_window_size(width, height + 200)
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                   {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
        path = os.path.join(out, "web-%d.png" % width)
        driver.save_screenshot(path)
        print(path)
