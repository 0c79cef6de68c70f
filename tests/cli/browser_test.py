#!/usr/bin/env python3
"""The HTML report in a real browser: headless Chromium, driven by Selenium.

Usage: browser_test.py TOOL ROOT OUTDIR
  Writes the report of ROOT/examples/faults.xml (--lang pl) to OUTDIR/faults.html, loads it from
  file://, checks the counts, the groups, the filters, the severity toggles, a chart bar and the
  pages, and saves OUTDIR/report.png (docs/report-html.png is a copy). Exit status 77 (skipped)
  when Chromium, its driver or Selenium is missing.
Usage: browser_test.py --measure REPORT.html
  Prints the seconds from navigation (in a started browser) until the report has rendered its
  first page.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


def start_browser():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        print("SKIP: Python's selenium is not installed (Debian: python3-selenium)")
        sys.exit(SKIPPED)
    chromium, driver = shutil.which("chromium"), shutil.which("chromedriver")
    if not chromium or not driver:
        print("SKIP: chromium and chromedriver are needed (Debian: chromium, chromium-driver)")
        sys.exit(SKIPPED)
    profile = tempfile.mkdtemp(prefix="swde-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--user-data-dir=" + profile, "--window-size=1280,1400"):
        options.add_argument(arg)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(driver), options=options), profile


def load(browser, url):
    from selenium.webdriver.support.ui import WebDriverWait
    browser.get(url)
    WebDriverWait(browser, 60).until(
        lambda b: b.execute_script("return document.body.dataset.ready") == "1")


class Page:
    def __init__(self, browser):
        self.browser = browser

    def all(self, css):
        from selenium.webdriver.common.by import By
        return self.browser.find_elements(By.CSS_SELECTOR, css)

    def one(self, css):
        found = self.all(css)
        assert len(found) == 1, f"{len(found)} elements match {css}"
        return found[0]

    def rows(self):
        return [(r.find_element("css selector", "td.code").text,
                 r.find_element("css selector", "td.severity").text) for r in self.all("tr.finding")]

    def type_into(self, css, text):
        field = self.one(css)
        field.clear()
        field.send_keys(text)


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def test(tool, root, outdir):
    os.makedirs(outdir, exist_ok=True)
    report = os.path.join(outdir, "faults.html")
    with open(report, "wb") as out:
        status = subprocess.run([tool, "--format", "html", "--lang", "pl", "--profile", "catalogue",
                                 "examples/faults.xml"],
                                cwd=root, stdout=out, check=False).returncode
    check(status == 1, f"swde-check exited with {status}, not 1")
    browser, profile = start_browser()
    try:
        page = Page(browser)
        url = "file://" + os.path.abspath(report)
        load(browser, url)
        check(page.one("html").get_attribute("lang") == "pl", "the page is not in Polish")
        counts = page.one(".counts").text
        check(counts == "16 obiektów (14 sprawdzonych), 26 błędów, 4 ostrzeżenia", counts)
        check(len(page.rows()) == 30, f"{len(page.rows())} rows, not 30")
        check(len(page.all(".object")) == 15, f"{len(page.all('.object'))} objects, not 15")
        check(len(page.all("svg.chart g.bar")) == 25, "not one bar per code")
        first = page.all(".object h3")[0].text
        check(first.startswith("G5JEW 126101_1"), f"the first group is {first!r}")
        browser.save_screenshot(os.path.join(outdir, "report.png"))

        page.type_into("#f-code", "6008")
        check(page.rows() == [("6008", "błąd"), ("6008", "ostrzeżenie")], page.rows())
        check(page.one(".shown").get_attribute("data-shown") == "2", "the count shown is not 2")
        page.one("#f-warning").click()
        check(page.rows() == [("6008", "błąd")], page.rows())
        page.type_into("#f-code", "6001-6003,60x")
        check("bad" in page.one("#f-code").get_attribute("class"), "a bad code list is not marked")
        check(len(page.rows()) == 26, f"{len(page.rows())} rows without warnings, not 26")
        page.one('svg.chart g.bar[data-code="6022"]').click()  # three errors, one warning
        check(page.one("#f-code").get_attribute("value") == "6022", "the bar set no code")
        check(page.rows() == [("6022", "błąd")] * 3, page.rows())
        page.one("#f-warning").click()
        page.type_into("#f-code", "")
        page.type_into("#f-type", "g5adr")
        page.type_into("#f-text", "31056")
        check(page.rows() == [("6028", "błąd")], page.rows())

        # Pages of at least 10 findings, each ending with a whole object: 13, 10 and 7 rows.
        browser.get("about:blank")
        load(browser, url + "#page=10")
        check(len(page.rows()) == 13, f"{len(page.rows())} rows on page 1, not 13")
        check(page.one("nav.pages .page").text == "Strona 1 z 3", page.one("nav.pages .page").text)
        page.one("nav.pages .next").click()
        check(len(page.rows()) == 10 and page.rows()[0] == ("6018", "błąd"), page.rows())
        errors = [e["message"] for e in browser.get_log("browser") if e["level"] == "SEVERE"]
        check(not errors, f"errors in the browser's console: {errors}")
    finally:
        browser.quit()
        shutil.rmtree(profile, ignore_errors=True)
    print("the report renders, counts, groups, filters and pages in Chromium")
    return 0


def measure(report):
    browser, profile = start_browser()
    try:
        browser.get("about:blank")  # the browser's own start is not the report's
        start = time.monotonic()
        load(browser, "file://" + os.path.abspath(report))
        print(f"{time.monotonic() - start:.2f} s until the first page of {report} was rendered")
    finally:
        browser.quit()
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--measure":
        sys.exit(measure(sys.argv[2]))
    if len(sys.argv) != 4:
        print(__doc__)
        sys.exit(2)
    sys.exit(test(*sys.argv[1:]))
