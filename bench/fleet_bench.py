#!/usr/bin/env python3
"""Times the fleet on many collections: adding, named queries, and the old way.

  bench/fleet_bench.py [--collections N] [--engines sqlite,clickhouse] [--grep-sample N]
                       [--keep DIR] [QZAREPORT]

Writes N collections of about 1,200 instances each, grown from the generator's
Linux and Windows collections (bench/generate_collection.py, plain and
variant), each a host of its own: its name, serial, model (one of five), BIOS
release of its model (one of three), kernel, collection time, and in one
host in fifty a RAID volume not optimal. Then, per engine, `qzareport fleet
add` of the whole folder (time per collection, database size) and each named
query's time (the best of three runs of `fleet query`, the process included).
ClickHouse is a server of its own (clickhouse-server, a plain process on a
free loopback port, its data in the work folder), stopped at the end.
Beside: what a user does without the fleet, `qzareport X.mof -f text` and a
grep over the reports, timed on a sample and extrapolated to N.
"""
import argparse
import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MODELS = ["Keelson QV650 -[4Q17KTM2VV]-", "Keelson QV450 -[7T2ZK11]-", "Ardel R9 Gen4", "Mirnex HX-220",
          "Solvane S8 Rack"]
# Each model's BIOS releases: (version, CIM date).
BIOS = [[("%d.%d" % (m + 1, r * 10), "2026%02d14000000.000000+000" % (r * 3 + 1)) for r in range(3)]
        for m in range(len(MODELS))]
KERNELS = ["4.18.0-513.24.1.el8_9.x86_64", "4.18.0-553.5.1.el8_10.x86_64", "5.14.0-427.13.1.el9_4.x86_64"]


BIOS_BLOCK = re.compile(r"^instance of VKXSG_BIOSElement\b.*?^\};", re.M | re.S)


def bios_placeholders(block):
    """The system BIOS's version and date, as marks each copy fills."""
    text = re.sub(r'(\n    Version = )"[^"]*"', r'\1"@BIOS_VERSION@"', block.group(0))
    return re.sub(r'(\n    ReleaseDate = )"[^"]*"', r'\1"@BIOS_DATE@"', text)


def templates(work):
    """The generator's collections, with the literals each copy replaces."""
    folder = os.path.join(work, "templates")
    os.makedirs(folder, exist_ok=True)
    found = []
    for os_name, host, serial, model in (
            ("linux", "rhel-db01.lab.example.com", "J30A1B2C", "Keelson QV650 -[4Q17KTM2VV]-"),
            ("windows", "WINSQL02", "23XK714", "Keelson X6 3850 -[6241AC1]-")):
        for variant in (False, True):
            path = os.path.join(folder, "%s%s.mof" % (os_name, "-variant" if variant else ""))
            subprocess.run([sys.executable, os.path.join(SOURCE, "bench", "generate_collection.py"), "--os", os_name,
                            "--instances", "1200", "-o", path] + (["--variant"] if variant else []),
                           check=True, stderr=subprocess.DEVNULL)
            with open(path, encoding="utf-8") as f:
                text = f.read()
            found.append((BIOS_BLOCK.sub(bios_placeholders, text, 1), host, serial, model))
    return found


def write_collections(work, count):
    folder = os.path.join(work, "collections")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(7)
    sources = templates(work)
    for n in range(count):
        text, host, serial, model = sources[n % len(sources)]
        m = rng.randrange(len(MODELS))
        version, date = BIOS[m][rng.randrange(3)]
        copy = (text.replace('"%s' % host, '"host-%05d' % n, 2).replace('"%s"' % serial, '"QZ%07d"' % n)
                .replace('"%s"' % model, '"%s"' % MODELS[m])
                .replace("@BIOS_VERSION@", version).replace("@BIOS_DATE@", date)
                .replace("4.18.0-513.24.1.el8_9.x86_64", KERNELS[rng.randrange(len(KERNELS))])
                .replace('CollectionTime = "20261120', 'CollectionTime = "202611%02d' % (1 + n % 28)))
        if n % 50 == 0:
            copy = copy.replace('"Okay (OKY)"', '"Degraded (DGD)"')
        with open(os.path.join(folder, "host-%05d.mof" % n), "w", encoding="utf-8") as f:
            f.write(copy)
    return folder


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class ClickHouse:
    """A clickhouse-server of its own in folder, on free loopback ports."""

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self.port = free_port()
        config = os.path.join(folder, "config.xml")
        with open(config, "w") as f:
            f.write("<yandex><logger><level>warning</level><log>%s/server.log</log></logger>"
                    "<http_port>%d</http_port><tcp_port>%d</tcp_port><listen_host>127.0.0.1</listen_host>"
                    "<path>%s/</path><users_config>/etc/clickhouse-server/users.xml</users_config>"
                    "<default_profile>default</default_profile><mark_cache_size>5368709</mark_cache_size></yandex>\n"
                    % (folder, self.port, free_port(), folder))
        server = shutil.which("clickhouse-server") or "/usr/sbin/clickhouse-server"
        self.process = subprocess.Popen([server, "--config-file=" + config], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        for _ in range(300):
            try:
                self.ask("SELECT 1")
                return
            except OSError:
                time.sleep(0.1)
        raise RuntimeError("clickhouse-server did not answer; see " + folder)

    def ask(self, sql):
        url = "http://127.0.0.1:%d/" % self.port
        return urllib.request.urlopen(url, data=sql.encode()).read().decode()

    def location(self):
        return "clickhouse://127.0.0.1:%d/fleet" % self.port

    def size(self):
        return int(self.ask("SELECT sum(bytes_on_disk) FROM system.parts WHERE database = 'fleet' AND active"))

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def timed(command):
    started = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def named_queries(tool):
    listing = subprocess.run([tool, "fleet", "query", "x.db", "--list"], check=True, capture_output=True, text=True)
    return [line.split("\t")[0] for line in listing.stdout.splitlines()]


def bench_engine(tool, name, database, collections, count):
    add = timed([tool, "fleet", "add", "-q"] + database + [collections])
    print("| %s | %d | add | %.0f s | %.1f ms per collection |" % (name, count, add, add * 1000 / count))
    for query in named_queries(tool):
        best = min(timed([tool, "fleet", "query"] + database + ["--named", query]) for _ in range(3))
        print("| %s | %d | %s | %.0f ms | |" % (name, count, query, best * 1000))
    page = os.path.join(os.path.dirname(collections), "page-" + name)
    shutil.rmtree(page, ignore_errors=True)
    report = timed([tool, "fleet", "report", "-q"] + database + ["-o", page])
    print("| %s | %d | fleet report | %.1f s | index.html %.1f MB |" % (
        name, count, report, os.path.getsize(page + "/index.html") / 1e6))
    sys.stdout.flush()


def bench_grep(tool, collections, count, sample):
    """The text report of each collection, then a grep for a degraded volume."""
    reports = os.path.join(os.path.dirname(collections), "reports")
    shutil.rmtree(reports, ignore_errors=True)
    os.makedirs(reports)
    started = time.monotonic()
    for n in range(sample):
        mof = os.path.join(collections, "host-%05d.mof" % n)
        subprocess.run([tool, "-q", "-f", "text", "-o", os.path.join(reports, str(n)), mof], check=True)
    subprocess.run("grep -rl Degraded %s > /dev/null" % reports, shell=True)
    took = time.monotonic() - started
    print("| shell loop | %d | report -f text + grep, %d of them | %.1f s | %.0f s extrapolated to %d |" % (
        count, sample, took, took * count / sample, count))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--collections", type=int, default=10000)
    parser.add_argument("--engines", default="sqlite,clickhouse")
    parser.add_argument("--grep-sample", type=int, default=100)
    parser.add_argument("--keep", help="the folder to work in, kept")
    parser.add_argument("tool", nargs="?", default=os.path.join(SOURCE, "build", "tool", "qzareport"))
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    os.environ.setdefault("QZA_DATA_DIR", os.path.join(SOURCE, "build", "share", "qza"))
    work = options.keep or tempfile.mkdtemp()
    os.makedirs(work, exist_ok=True)
    try:
        started = time.monotonic()
        collections = write_collections(work, options.collections)
        size = sum(os.path.getsize(os.path.join(collections, f)) for f in os.listdir(collections))
        print("%d collections written in %.0f s, %.0f MB" % (options.collections, time.monotonic() - started,
                                                             size / 1e6))
        print("| Engine | Collections | Step | Time | Notes |\n|---|---:|---|---:|---|")
        engines = options.engines.split(",")
        if "sqlite" in engines:
            database = os.path.join(work, "fleet.db")
            for leftover in (database, database + "-wal", database + "-shm"):
                if os.path.exists(leftover):
                    os.remove(leftover)
            bench_engine(tool, "sqlite", [database], collections, options.collections)
            print("| sqlite | %d | database size | %.0f MB | |" % (options.collections,
                                                                    os.path.getsize(database) / 1e6))
        if "clickhouse" in engines:
            shutil.rmtree(os.path.join(work, "clickhouse"), ignore_errors=True)
            server = ClickHouse(os.path.join(work, "clickhouse"))
            try:
                bench_engine(tool, "clickhouse", ["--engine", server.location()], collections, options.collections)
                print("| clickhouse | %d | database size | %.0f MB | |" % (options.collections, server.size() / 1e6))
            finally:
                server.stop()
        if options.grep_sample > 0:
            bench_grep(tool, collections, options.collections, min(options.grep_sample, options.collections))
        print("Machine: %d cores, load average at the end: %s" % (os.cpu_count(), open("/proc/loadavg").read()[:14]))
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
