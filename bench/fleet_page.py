#!/usr/bin/env python3
"""Times the fleet page of a large fleet in headless Chromium.

  bench/fleet_page.py [--hosts N | --database DB] [--keep DIR] [QZAREPORT]

Makes a SQLite fleet of N hosts (default 10,000) quickly: the bundled samples
are added with `qzareport fleet add`, then copied host after host by SQL (each
copy a host of its own, with its own serial, collection time and BIOS
version, one in fifty with a degraded RAID volume). Then it writes the page
with `qzareport fleet report` and opens it in Chromium (through its DevTools
protocol on a pipe), printing by the browser's own clock how long the page
takes to load and a click on a column header takes to sort the hosts (until
the next frame is drawn), and a filter. --database times the page of a fleet
made otherwise (bench/fleet_bench.py --keep DIR makes DIR/fleet.db).
"""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

SAMPLES = ["esxi-host", "linux-server", "linux-server-later", "preboot", "windows-server"]
SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def tool_run(tool, *arguments):
    started = time.monotonic()
    subprocess.run([tool, "fleet", *arguments, "-q"], check=True)
    return time.monotonic() - started


def make_fleet(tool, database, hosts):
    tool_run(tool, "add", database, *[os.path.join(SOURCE, "samples", s + ".mof") for s in SAMPLES])
    db = sqlite3.connect(database)
    templates = [row[0] for row in db.execute("SELECT id FROM latest ORDER BY id")]
    first = db.execute("SELECT max(id) FROM collections").fetchone()[0] + 1
    db.execute("CREATE TEMP TABLE copies (id INTEGER PRIMARY KEY, template INTEGER, n INTEGER)")
    db.executemany("INSERT INTO copies VALUES (?, ?, ?)",
                   [(first + n, templates[n % len(templates)], n) for n in range(hosts)])
    columns = [row[1] for row in db.execute("PRAGMA table_info(collections)") if row[1] not in ("id", "content_hash",
                                                                                                "host", "serial",
                                                                                                "collected")]
    db.execute("INSERT INTO collections (id, content_hash, host, serial, collected, %s) "
               "SELECT c.id, 'synthetic-' || c.n, printf('host-%%05d', c.n), printf('S%%07d', c.n), "
               "datetime('2026-01-01', '+' || (c.n %% 300) || ' days'), %s "
               "FROM copies c JOIN collections t ON t.id = c.template"
               % (", ".join(columns), ", ".join("t." + c for c in columns)))
    tables = [row[0] for row in db.execute(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND sql LIKE '%collection_id%'")]
    for table in tables:
        columns = [row[1] for row in db.execute("PRAGMA table_info(%s)" % table) if row[1] != "collection_id"]
        db.execute("INSERT INTO %s (collection_id, %s) SELECT c.id, %s FROM copies c JOIN %s t "
                   "ON t.collection_id = c.template" % (table, ", ".join(columns), ", ".join("t." + c for c in columns),
                                                        table))
    db.execute("UPDATE bios SET version = version || '.' || (collection_id % 4) WHERE collection_id >= ?", (first,))
    db.execute("UPDATE raid_volumes SET status = 'Degraded' WHERE collection_id >= ? AND collection_id % 50 = 0",
               (first,))
    db.commit()
    db.close()


class Chromium:
    """A headless Chromium driven through the DevTools protocol on fds 3 and 4."""

    def __init__(self, browser, profile):
        to_read, self.to_browser = os.pipe()
        self.from_browser, from_write = os.pipe()
        flags = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--user-data-dir=" + profile, "--remote-debugging-pipe",
                 "--window-size=1280,900", "about:blank"]
        self.process = subprocess.Popen(
            ["sh", "-c", 'exec "$@" 3<&%d 4>&%d' % (to_read, from_write), "sh", browser] + flags,
            pass_fds=(to_read, from_write), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_read)
        os.close(from_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.page_id = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.call("Page.enable", in_page=True)

    def receive(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("Chromium closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, in_page=False, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if in_page:
            message["sessionId"] = self.page_id
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            answer = self.receive()
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer["result"]
            self.events.append(answer)

    def wait_for(self, method, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for event in self.events:
                if event.get("method") == method:
                    self.events.remove(event)
                    return event
            self.events.append(self.receive())
        raise RuntimeError("no " + method)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", in_page=True, expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError(json.dumps(result["exceptionDetails"]))
        return result["result"].get("value")

    def close(self):
        self.process.kill()
        self.process.wait()


# Milliseconds from a click on column COLUMN's header of the hosts table until the next frame.
SORT = """new Promise((done) => {
  const button = document.querySelectorAll('#hosts-table thead th button')[%d];
  const started = performance.now();
  button.click();
  requestAnimationFrame(() => setTimeout(() => done(performance.now() - started), 0));
})"""
FILTER = """new Promise((done) => {
  const input = document.querySelector('input.filter[data-table="hosts-table"]');
  const started = performance.now();
  input.value = 'host-0999';
  input.dispatchEvent(new Event('input'));
  requestAnimationFrame(() => setTimeout(() => done([performance.now() - started,
      document.getElementById('hosts-table-count').textContent]), 0));
})"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--hosts", type=int, default=10000)
    parser.add_argument("--database", help="a fleet to show, in place of making one")
    parser.add_argument("--keep", help="the folder to work in, kept")
    parser.add_argument("tool", nargs="?", default=os.path.join(SOURCE, "build", "tool", "qzareport"))
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    os.environ.setdefault("QZA_DATA_DIR", os.path.join(os.path.dirname(os.path.dirname(tool)), "share", "qza"))
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        sys.exit("Chromium is needed: apt-get install chromium")
    work = options.keep or tempfile.mkdtemp()
    try:
        os.makedirs(work, exist_ok=True)
        database = options.database or os.path.join(work, "fleet.db")
        if not options.database:
            for leftover in (database, database + "-wal", database + "-shm"):
                if os.path.exists(leftover):
                    os.remove(leftover)
            started = time.monotonic()
            make_fleet(tool, database, options.hosts)
            print("fleet of %d hosts made in %.1f s" % (options.hosts, time.monotonic() - started))
        page = os.path.join(work, "page")
        print("fleet report: %.2f s, index.html %.1f MB" % (tool_run(tool, "report", database, "-o", page),
                                                             os.path.getsize(page + "/index.html") / 1e6))
        chromium = Chromium(browser, os.path.join(work, "profile"))
        try:
            chromium.call("Page.navigate", in_page=True, url="file://" + page + "/index.html")
            chromium.wait_for("Page.loadEventFired")
            load = chromium.evaluate("performance.getEntriesByType('navigation')[0].loadEventEnd")
            rows = chromium.evaluate("document.querySelector('#hosts-table').closest('.table-wrap')"
                                     ".nextElementSibling.textContent.trim()")
            print("load: %.0f ms (%s)" % (load, rows))
            for name, column in (("host", 0), ("errors", 8), ("failing hardware", 7)):
                print("sort by %s: %.0f ms, again (descending): %.0f ms" % (
                    name, chromium.evaluate(SORT % column), chromium.evaluate(SORT % column)))
            took, count = chromium.evaluate(FILTER)
            print("filter: %.0f ms (%s)" % (took, count))
        finally:
            chromium.close()
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
