#!/bin/sh
# Opens HTML reports in headless Chromium and uses them as a reader would.
# The Linux sample: the index loads without console errors and its search
# finds pages, as does the search box of another page; each problem of the
# index links to a row that its page shows, and a log's "errors and warnings
# only" box keeps only those rows and shows all again. A synthetic collection
# (bench/generate_collection.py): every page opens without errors; on the
# longest table, a click on a column header orders all rows (every page of
# them), the filter box keeps exactly the rows that match, printing shows
# every row, a search hit or a row id beyond the first page is brought into
# view and the "errors and warnings" box keeps only those rows. The times
# (the browser's own clock: opening each page until it is usable, a sort, a
# filter) are printed; bench/browser takes them on the benchmark collection.
# The What changed page of the two Linux samples lists exactly the planted
# changes, volatile values folded; a readable value shows its exact value on
# hover and click. Every page of every sample (and of the Linux comparison)
# passes axe-core's WCAG A and AA rules without a serious or critical
# violation, in light and in dark mode; without axe-core (npm install
# axe-core, as ./qza does) that check alone is skipped. Screenshots of the
# index (desktop, phone, dark), of the long page and of the What changed page
# are kept.
#
#   browser_test.sh [--instances N] QZAREPORT SOURCE_DIR [SCREENSHOT_DIR]
#
# N is the size of the synthetic collection (default 20000). SCREENSHOT_DIR
# defaults to ./browser-test (CTest runs in the build folder).
# Exit status: 0 passed, 1 failed, 77 skipped (no Chromium or Python to be had).
set -eu

instances=20000
if [ "${1:-}" = --instances ]; then
  instances=$2
  shift 2
fi
if [ $# -lt 2 ]; then
  echo "usage: $0 [--instances N] QZAREPORT SOURCE_DIR [SCREENSHOT_DIR]" >&2
  exit 1
fi
tool=$1
source_dir=$2
shots=${3:-$PWD/browser-test}
skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}

find_browser() {
  for name in chromium chromium-browser; do
    if command -v "$name" >/dev/null 2>&1; then
      command -v "$name"
      return 0
    fi
  done
  return 1
}

# Installs a Debian package when apt-get can, as root.
install_package() {
  [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1 || return 1
  echo "installing $1 with apt-get" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$1" >/dev/null 2>&1 && return 0
  apt-get update -q >/dev/null 2>&1 || return 1
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$1" >/dev/null 2>&1
}

browser=$(find_browser) || { install_package chromium && browser=$(find_browser); } ||
  skip "Chromium is not installed and could not be installed (apt-get install chromium)"
command -v python3 >/dev/null 2>&1 || install_package python3-minimal ||
  skip "python3 is not installed and could not be installed"
command -v python3 >/dev/null 2>&1 || skip "python3 is not available"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$shots"

# report NAME COLLECTION: the HTML report of COLLECTION in $work/NAME.
report() {
  if ! "$tool" -q -f html -o "$work/$1" "$2" >"$work/tool.log" 2>&1; then
    echo "FAILED: qzareport could not write the HTML report of $2:" >&2
    cat "$work/tool.log" >&2
    exit 1
  fi
}

report sample "$source_dir/samples/linux-server.mof"
python3 "$source_dir/bench/generate_collection.py" --instances "$instances" -o "$work/synthetic.mof" 2>/dev/null
report synthetic "$work/synthetic.mof"
if ! "$tool" -q -f html -o "$work/comparison" "$source_dir/samples/linux-server.mof" \
  "$source_dir/samples/linux-server-later.mof" >"$work/tool.log" 2>&1; then
  echo "FAILED: qzareport could not write the comparison report:" >&2
  cat "$work/tool.log" >&2
  exit 1
fi

# The reports of the other samples, for the accessibility check.
for sample in linux-server-later windows-server preboot esxi-host; do
  "$tool" -q -f html -o "$work/reports/$sample" "$source_dir/samples/$sample.mof" >>"$work/tool.log" 2>&1 ||
    { echo "FAILED: qzareport could not write the report of $sample" >&2; exit 1; }
done

axe=${QZA_NPM_PREFIX:-$source_dir/build-npm}/node_modules/axe-core/axe.min.js
[ -f "$axe" ] || ! command -v npm >/dev/null 2>&1 ||
  npm install --silent --no-audit --no-fund --prefix "$(dirname "$(dirname "$(dirname "$axe")")")" axe-core@4 \
    >/dev/null 2>&1 || true
[ -f "$axe" ] || { echo "SKIPPED: the accessibility check: axe-core is not installed (npm install axe-core)" >&2; axe=""; }

python3 - "$browser" "$work" "$shots" "$work/profile" "$instances" "$axe" "$work/reports" <<'PYTHON'
"""Drives Chromium through its DevTools protocol on a pipe (fds 3 and 4)."""
import base64
import json
import os
import re
import signal
import subprocess
import sys
import time

browser, work, shots, profile, instances, axe, other_reports = sys.argv[1:8]
# The report of the Linux sample.
report = os.path.join(work, "sample")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


class Browser:
    def __init__(self):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        flags = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile, "--remote-debugging-pipe", "--window-size=1280,900",
                 "about:blank"]
        # The browser reads commands from fd 3 and writes answers to fd 4.
        self.process = subprocess.Popen(
            ["sh", "-c", 'exec "$@" 3<&%d 4>&%d' % (to_browser_read, from_browser_write), "sh", browser] + flags,
            pass_fds=(to_browser_read, from_browser_write), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def receive(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=True):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            answer = self.receive()
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def wait_for(self, method, seconds=20):
        deadline = time.time() + seconds
        while time.time() < deadline:
            for index, event in enumerate(self.events):
                if event.get("method") == method:
                    del self.events[index]
                    return event
            self.events.append(self.receive())
        raise RuntimeError("no %s within %d s" % (method, seconds))

    def attach(self):
        targets = self.send("Target.getTargets", session=False)["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True},
                                 session=False)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.send(domain + ".enable")

    def open(self, path, seconds=60):
        """Opens the page; its problems, and when it became usable in ms."""
        self.events = []
        self.send("Page.navigate", {"url": "file://" + path})
        self.wait_for("Page.loadEventFired", seconds)
        usable = self.evaluate(NEXT_FRAME + ".then(() => performance.now())")
        return self.problems(), usable

    def problems(self):
        found = []
        for event in self.events:
            method, params = event.get("method"), event.get("params", {})
            if method == "Runtime.exceptionThrown":
                found.append("exception: " + json.dumps(params["exceptionDetails"].get("exception", {})
                                                         .get("description", params["exceptionDetails"]["text"])))
            elif method == "Runtime.consoleAPICalled" and params["type"] in ("error", "warning", "assert"):
                found.append("console %s: %s" % (params["type"], [a.get("value") for a in params["args"]]))
            elif method == "Log.entryAdded" and params["entry"]["level"] in ("error", "warning"):
                found.append("log: " + params["entry"]["text"] + " " + params["entry"].get("url", ""))
        return found

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError("script failed: " + expression)
        return result["result"].get("value")

    def click(self, selector):
        box = self.evaluate("(() => { const e = document.querySelector(%s); e.scrollIntoView({block: 'center'});"
                            " const r = e.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()"
                            % json.dumps(selector))
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1], "button": "left",
                                                   "clickCount": 1})
        time.sleep(0.2)

    def type_into(self, selector, text):
        self.evaluate("document.querySelector(%s).focus()" % json.dumps(selector))
        self.send("Input.insertText", {"text": text})
        time.sleep(0.5)

    def screenshot(self, name):
        data = self.send("Page.captureScreenshot", {"format": "png"})["data"]
        with open(os.path.join(shots, name), "wb") as file:
            file.write(base64.b64decode(data))

    def close(self):
        try:
            self.send("Browser.close", session=False)
        except Exception:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()


# Settles after the next frame: what a reader sees has been drawn.
NEXT_FRAME = "new Promise((done) => requestAnimationFrame(() => setTimeout(done)))"


def natural_key(text):
    """Digit runs as numbers, other text without regard to case; numbers first."""
    return [(0, int(part), "") if part.isdigit() else (1, 0, part)
            for part in re.findall(r"\d+|\D+", text.strip().lower())]


def pages_of(report):
    return sorted(name for name in os.listdir(report) if name.endswith(".html"))


def longest_table_page(report):
    """The page with a filter box and the most table rows."""
    def rows(name):
        with open(os.path.join(report, name), encoding="utf-8") as file:
            html = file.read()
        return html.count("<tr") if 'class="filter"' in html and "sortable" in html else 0
    return max(pages_of(report), key=rows)


# Every row the table shows, page after page: each cell's sort value, and
# the row's text in lower case.
ALL_ROWS = """(async () => {
  const table = document.getElementById(%s);
  const pager = table.closest('.table-wrap').nextElementSibling;
  const buttons = pager && pager.className === 'pager' ? pager.querySelectorAll('button') : [];
  if (buttons.length) { buttons[0].click(); }
  const rows = [];
  for (;;) {
    for (const row of table.tBodies[0].rows) {
      rows.push([Array.from(row.cells, (cell) => (cell.getAttribute('data-v') || cell.textContent).trim()),
                 row.textContent.toLowerCase(), row.getAttribute('data-sev') || '']);
    }
    if (!buttons.length || buttons[2].disabled) return rows;
    buttons[2].click();
  }
})()"""

# Runs an action and answers the time until the next frame, in ms.
TIMED = "(async () => { const start = performance.now(); %s; await " + NEXT_FRAME + \
        "; return performance.now() - start; })()"


def all_rows(page, table_id):
    return page.evaluate(ALL_ROWS % json.dumps(table_id))


AXE_RUN = """axe.run(document, {runOnly: {type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21aa']}})
  .then((result) => result.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => v.id + ' at ' + v.nodes.slice(0, 2).map((n) => n.target.join(' ') + ' ' +
      n.any.concat(n.all).map((c) => c.message).join(' ')).join('; ')))"""


def check_accessibility(page, source):
    """Every page of every report, light then dark, against axe-core's WCAG rules."""
    folders = [report, os.path.join(work, "comparison")] + sorted(
        os.path.join(other_reports, name) for name in os.listdir(other_reports))
    for folder in folders:
        for name in sorted(n for n in os.listdir(folder) if n.endswith(".html")):
            where = os.path.join(os.path.basename(folder), name)
            check(not page.open(os.path.join(folder, name))[0], "%s logs problems" % where)
            page.evaluate(source)
            for scheme in ("light", "dark"):
                page.send("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-color-scheme",
                                                                       "value": scheme}]})
                found = page.send("Runtime.evaluate", {"expression": AXE_RUN, "awaitPromise": True,
                                                       "returnByValue": True})["result"].get("value")
                check(found == [], "%s (%s): %s" % (where, scheme, found))
    page.send("Emulation.setEmulatedMedia", {"features": []})


def check_readable_value(page):
    """A DIMM's capacity shows in GiB, its exact bytes on hover and on a click."""
    problems, _ = page.open(os.path.join(report, "hw_info.html"))
    check(not problems, "hw_info.html logs problems: %s" % problems)
    shown = page.evaluate("""(() => { const s = Array.from(document.querySelectorAll('span.readable'))
        .find((e) => / GiB$/.test(e.textContent)); if (!s) return null;
        s.click(); const exact = s.textContent; s.click();
        return [s.textContent, s.title, exact, s.closest('td').getAttribute('data-v')]; })()""")
    if check(shown is not None, "hw_info.html shows no size in GiB"):
        text, title, exact, key = shown
        number = re.match(r"\d+", title)
        check(number and abs(int(number.group()) / 2 ** 30 - float(text.split()[0])) < 0.05,
              "%r does not stand for its exact value %r" % (text, title))
        check(exact == title and key == number.group(), "a click shows %r, sorting uses %r" % (exact, key))


def check_sorting(page, table_id, timings):
    before = all_rows(page, table_id)
    column = next(c for c in range(len(before[0][0]))
                  if [natural_key(r[0][c]) for r in before] != sorted(natural_key(r[0][c]) for r in before))
    button = "document.querySelector('#%s thead th:nth-child(%d) button')" % (table_id, column + 1)
    for direction in ("ascending", "descending"):
        timings["sort, " + direction] = page.evaluate(TIMED % (button + ".click()"))
        after = all_rows(page, table_id)
        filled = [natural_key(r[0][column]) for r in after if r[0][column]]
        check(filled == sorted(filled, reverse=direction == "descending"),
              "rows are not in %s order after a click on header %d" % (direction, column + 1))
        check(sorted(after) == sorted(before), "sorting lost or changed rows")
        check(page.evaluate(button + ".parentNode.getAttribute('aria-sort')") == direction,
              "the sorted header is not marked %s" % direction)
    return before


def check_filter(page, table_id, rows, timings):
    term = rows[len(rows) // 2][0][1].split()[0].lower()  # after the severity
    box = "document.querySelector('input.filter[data-table=\"%s\"]')" % table_id
    timings["filter"] = page.evaluate(TIMED % ("%s.value = %s; %s.dispatchEvent(new Event('input'))"
                                               % (box, json.dumps(term), box)))
    shown = all_rows(page, table_id)
    expected = sum(term in text for _, text, _ in rows)
    check(0 < len(shown) < len(rows) and len(shown) == expected,
          "filtering for %r shows %d rows, %d of %d match" % (term, len(shown), expected, len(rows)))
    check(all(term in text for _, text, _ in shown), "the filter shows rows without %r" % term)
    check(page.evaluate("document.getElementById('%s-count').textContent" % table_id) ==
          "%d of %d rows" % (expected, len(rows)), "the filter does not count what it shows")
    page.evaluate("%s.value = ''; %s.dispatchEvent(new Event('input'))" % (box, box))


def check_printing(page, table_id, rows):
    count = "document.getElementById('%s').tBodies[0].rows.length" % table_id
    page.evaluate("window.dispatchEvent(new Event('beforeprint'))")
    check(page.evaluate(count) == len(rows), "printing does not show every row")
    page.evaluate("window.dispatchEvent(new Event('afterprint'))")
    check(page.evaluate(count) < len(rows), "the page shows every row again after printing")


IN_VIEW = """(() => { const e = document.querySelector(%s); if (!e) return false;
  const r = e.getBoundingClientRect(); return r.bottom > 0 && r.top < innerHeight; })()"""


def check_row_links(page, path, table_id, rows):
    """A row named by the location, the severity box and a search hit, beyond the first page."""
    with open(path, encoding="utf-8") as file:
        html = file.read()
    more = html.index('<noscript class="more-rows" data-table="%s"' % table_id)
    info = '<tr data-sev="info">'
    later = html.index(info, (more + html.index("</noscript>", more)) // 2)
    text = html.index(">", later + len(info)) + 1
    # An information record made an error with an id of its own, and a word of its own.
    html = html[:later] + '<tr id="record-x" data-sev="error">' + html[later + len(info):text] + "zqxmarker " + html[text:]
    marked = os.path.join(os.path.dirname(path), "marked-" + os.path.basename(path))
    with open(marked, "w", encoding="utf-8") as file:
        file.write(html)
    page.open(marked + "#record-x")
    check(page.evaluate(IN_VIEW % json.dumps("#record-x")), "a row named by the location is not shown")
    page.click("input.sev-only")
    grave = 1 + sum(severity in GRAVE for _, _, severity in rows)
    check(page.evaluate("document.getElementById('%s-count').textContent" % table_id) ==
          "%d of %d rows" % (grave, len(rows)), "the errors and warnings box does not keep the %d such rows" % grave)
    # As a search result of the page's own search box leads there.
    page.evaluate("location.hash = '#q=zqxmarker'; " + NEXT_FRAME)
    check(page.evaluate("document.getElementById('search-banner').textContent").startswith("1 place matches"),
          "the search hit beyond the first page is not counted")
    check(page.evaluate(IN_VIEW % json.dumps("#record-x td.hit")), "the search hit beyond the first page is not shown")


def check_long_table(page, report, timings):
    name = longest_table_page(report)
    problems, _ = page.open(os.path.join(report, name))
    check(not problems, "%s logs problems: %s" % (name, problems))
    table_id = page.evaluate("document.querySelector('input.filter').getAttribute('data-table')")
    check(page.evaluate("document.querySelector('.pager') !== null"), "the long table of %s has no pages" % name)
    rows = check_sorting(page, table_id, timings)
    check_filter(page, table_id, rows, timings)
    check_printing(page, table_id, rows)
    page.evaluate("window.scrollTo(0, 0)")
    page.screenshot("large-page.png")
    check_row_links(page, os.path.join(report, name), table_id, rows)
    return name, len(rows)


def check_search(page, report):
    problems, _ = page.open(os.path.join(report, "index.html"))
    check(not problems, "the index logs problems: %s" % problems)
    page.screenshot("index-empty.png")
    for name in ("index.html", longest_table_page(report)):
        page.open(os.path.join(report, name))
        check(page.evaluate("!document.getElementById('search-box').hidden"), "%s shows no search box" % name)
        page.type_into("#search", "kernel")
        results = page.evaluate("document.querySelectorAll('#search-results li').length")
        check(results > 0, "searching the report from %s for 'kernel' finds nothing" % name)
    page.open(os.path.join(report, "index.html"))
    page.type_into("#search", "kernel")
    page.screenshot("index.png")
    check_problems(page, report)
    page.send("Emulation.setDeviceMetricsOverride", {"width": 390, "height": 844, "deviceScaleFactor": 2,
                                                     "mobile": True})
    page.open(os.path.join(report, "index.html"))
    page.screenshot("index-phone.png")
    page.send("Emulation.clearDeviceMetricsOverride")


GRAVE = {"critical", "error", "warning"}
SHOWN_SEVERITIES = "Array.from(document.querySelectorAll('tbody tr[data-sev]'), r => r.offsetParent ? r.dataset.sev : '-')"


def check_message_column(page):
    """A log's message column keeps a readable measure beside long names."""
    page.open(os.path.join(work, "reports", "windows-server", "event_system.html"))
    width = page.evaluate("document.querySelector('table.free-text th.free').getBoundingClientRect().width")
    check(width >= 300, "the System log's message column is %d px wide in a 1280 px window" % width)


def check_problems(page, report):
    links = page.evaluate("Array.from(document.querySelectorAll('.problems a[href*=\"#\"]'),"
                          " a => [a.href, a.parentNode.dataset.sev])")
    check(len(links) >= 3, "the index links fewer than 3 problems to rows: %s" % links)
    for link, severity in links:
        # Two problems may lead into one page: another fragment of the page
        # open would load nothing, so each link is opened afresh.
        page.open("/dev/null")
        page.open(link[len("file://"):])
        row = page.evaluate("(() => { const r = document.querySelector(':target'); if (!r) return null;"
                            " const b = r.getBoundingClientRect(); return [r.dataset.sev || null, b.top > -1 && b.bottom < innerHeight + 1]; })()")
        # A log's row shows the problem's severity; a device's row has none.
        check(row in ([severity, True], [None, True]), "%s does not land on a %s row in view: %s" % (link, severity, row))
    page.open(os.path.join(report, "syslog_messages.html"))
    before = page.evaluate(SHOWN_SEVERITIES)
    page.click("input.sev-only")
    shown = page.evaluate(SHOWN_SEVERITIES)
    check(shown and len(shown) < len(before) and set(shown) <= GRAVE, "the severity box shows %s" % shown)
    page.click("input.sev-only")
    check(page.evaluate(SHOWN_SEVERITIES) == before, "rows stay hidden after the severity box is cleared")


# What the later Linux sample plants, as the What changed page shows it
# unfolded: page, then table › instance › property and the values.
PLANTED = [
    ("System Overview", "Report Highlights › Fan 4 Tach went below the lower non-critical threshold and recovered."),
    ("System Overview", "Report Highlights › Power supply 2 lost AC input for 4 seconds on 2026-11-12."),
    ("System Overview", "Report Highlights › Drive Slot 3: Hard drive removal detected (IPMI event log)."),
    ("System Overview", "Report Highlights › UEFI firmware level changed since the previous collection."),
    ("Installed Packages", "Installed Packages › telnet"),
    ("Installed Packages", "Installed Packages › tcpdump"),
    ("Network Settings", "Physical Network Ports › eno2 › MTU 1500 9000"),
    ("OS Configuration", "Kernel Ring Buffer › dmesg › Contents"),
    ("Linux Config Files", "/etc/sysconfig/network-scripts/ifcfg-eno2 › Contents"),
    ("Hardware Inventory", "Memory › DIMM 5 › Serial Number 3A1F33A5 3A2B71C4"),
] + [("Firmware/VPD", "BIOS/uEFI › UEFI › " + change) for change in (
    "Build Number QKB170L QKB176J", "Version 3.30 3.40", "Release Date 2026-08-14 2026-11-02")] + [
    ("Firmware/VPD", "Post BIOS VPD › QKB170L › " + change) for change in (
        "Build Number QKB170L QKB176J", "Build Date 2026-08-14 2026-11-02", "Version 3.30 3.40",
        "File Name tee170l.UXZ tee176j.UXZ", "Unique ID QKB170L-3.30 QKB176J-3.40")]
NEW_RECORDS = ["IPMI SEL: 3", "/var/log/dmesg: 28", "/var/log/messages: 110", "/var/log/secure: 12",
               "/var/log/boot.log: 5", "MemoryDiag: 3"]

SHOWN_CHANGES = """Array.from(document.querySelectorAll('.changes-page'), (page) =>
  Array.from(page.querySelectorAll(':scope > ul.changes > li'), (li) => [page.querySelector('h2 a').textContent,
    [li.querySelector('.where').textContent].concat(Array.from(li.querySelectorAll('.old, .new'),
      (v) => v.textContent)).join(' ')])).flat()"""


def check_changes(page):
    problems, _ = page.open(os.path.join(work, "comparison", "what_changed.html"))
    check(not problems, "the What changed page logs problems: %s" % problems)
    shown = [tuple(line) for line in page.evaluate(SHOWN_CHANGES)]
    check(shown == PLANTED, "the What changed page shows %s" % shown)
    folded = page.evaluate("""Array.from(document.querySelectorAll('details.volatile'), (d) => [d.open,
        parseInt(d.querySelector('summary').textContent), d.querySelectorAll('li').length,
        Array.from(d.querySelectorAll('li')).some((li) => li.checkVisibility())])""")
    check(folded and all(not d[0] and d[1] == d[2] and not d[3] for d in folded), "volatile values shown: %s" % folded)
    check(sum(d[1] for d in folded) == 61, "%d volatile values folded" % sum(d[1] for d in folded))
    diff = page.evaluate("Array.from(document.querySelectorAll('pre.line-diff .del, pre.line-diff .ins'), "
                         "(l) => l.textContent.trim())")
    check("- MTU=1500" in diff and "+ MTU=9000" in diff, "the ifcfg-eno2 line diff is %s" % diff)
    check("DEVICE=eno2" not in page.evaluate("document.body.textContent"), "an unchanged file line is repeated")
    logs = page.evaluate("Array.from(document.querySelectorAll('.changes-log h3'), (h) => h.textContent)")
    check([h.split(" new records")[0] for h in logs] == NEW_RECORDS, "new log records: %s" % logs)
    page.screenshot("what-changed.png")


def main():
    # Reading every row of a long table through its pages, and checking every
    # page's accessibility, take a while.
    signal.alarm(1100 if int(instances) <= 20000 else 2400)
    page = Browser()
    opened = {}
    timings = {}
    try:
        page.attach()
        check_search(page, os.path.join(work, "sample"))
        check_message_column(page)
        synthetic = os.path.join(work, "synthetic")
        for name in pages_of(synthetic):
            problems, opened[name] = page.open(os.path.join(synthetic, name))
            check(not problems, "%s logs problems: %s" % (name, problems))
            check(page.evaluate("document.documentElement.scrollWidth <= innerWidth"),
                  "%s is wider than the window: a wide table does not scroll in its frame" % name)
        name, rows = check_long_table(page, synthetic, timings)
        check_changes(page)
        check_readable_value(page)
        page.send("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
        page.open(os.path.join(report, "index.html"))
        check(page.evaluate("getComputedStyle(document.body).backgroundColor") != "rgb(255, 255, 255)",
              "a dark preference keeps a white page")
        page.screenshot("index-dark.png")
        page.send("Emulation.setEmulatedMedia", {"features": []})
        if axe:
            with open(axe, encoding="utf-8") as file:
                check_accessibility(page, file.read())
    except Exception as error:
        failures.append("the test stopped: %s" % error)
    finally:
        page.close()
    if opened and timings:
        others = {page_name: ms for page_name, ms in opened.items() if page_name != name}
        slowest = max(others, key=others.get)
        print("| %s instances | ms |\n|---|---:|" % instances)
        print("| open %s (%d rows) until usable | %.0f |" % (name, rows, opened[name]))
        print("| open the slowest other page (%s) | %.0f |" % (slowest, others[slowest]))
        for what, ms in timings.items():
            print("| %s of %d rows | %.0f |" % (what, rows, ms))
    if failures:
        for failure in failures:
            print("FAILED: " + failure, file=sys.stderr)
        sys.exit(1)
    print("browser test passed; screenshots in " + shots)

main()
PYTHON
