"""Headless Chromium through selenium for the page's tests, its screenshots
and its benchmark line: Debian's chromium and chromium-driver, a fresh
profile each start, nothing that reaches out to the network on its own."""
import contextlib
import os
import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = os.environ.get("TIANTI_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("TIANTI_CHROMEDRIVER", "/usr/bin/chromedriver")


@contextlib.contextmanager
def chromium(width=1280, height=900, mobile=False, log_network=False):
    profile = tempfile.mkdtemp(prefix="tianti-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--disable-dev-shm-usage", "--hide-scrollbars", "--force-device-scale-factor=1",
                "--lang=zh-CN", "--user-data-dir=" + profile, "--window-size=%d,%d" % (width, height)):
        options.add_argument(arg)
    if mobile:
        options.add_experimental_option("mobileEmulation", {
            "deviceMetrics": {"width": width, "height": height, "pixelRatio": 1},
            "userAgent": "Mozilla/5.0 (Linux; Android 13) Mobile"})
    if log_network:  # the DevTools events, for driver.get_log("performance")
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    try:
        driver.set_window_size(width, height)
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def open_page(driver, url, timeout=30):
    """Navigates to the page and waits for its engine."""
    driver.get(url)
    WebDriverWait(driver, timeout).until(
        lambda d: d.execute_script("return window.tiantiReady === true || !!window.tiantiError"))
    error = driver.execute_script("return window.tiantiError || null")
    if error:
        raise AssertionError("the engine did not load: %s" % error)
