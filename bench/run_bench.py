#!/usr/bin/env python3
"""Downloads files of 16 MiB, 256 MiB and 1 GiB from nginx (HTTP) and vsftpd (FTP) on loopback
with ovfetch (release build), curl and wget in alternation, and prints median wall time,
throughput and peak RSS (GNU time) of each, with the ratio ovfetch/curl.

usage: bench/run_bench.py [--runs N] [--sizes 16,256,1024] [--ovfetch PATH]

Without --ovfetch it builds the release preset's ovfetch first (cmake, up to date in seconds);
the servers and tools come from scripts/setup.
"""
import argparse
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError(f"nothing listens on port {port}")


def find_program(name):
    for folder in ("/usr/sbin", "/usr/bin", os.path.join(ROOT, ".deps/root/usr/sbin")):
        path = os.path.join(folder, name)
        if os.access(path, os.X_OK):
            return path
    found = shutil.which(name)
    if not found:
        sys.exit(f"bench: {name} not found (run scripts/setup)")
    return found


def start_nginx(work, www):
    port = free_port()
    conf = os.path.join(work, "nginx.conf")
    os.makedirs(os.path.join(work, "nginx-tmp"), exist_ok=True)
    with open(conf, "w") as f:
        f.write(f"""daemon off; master_process off; worker_processes 1;
pid {work}/nginx.pid; error_log {work}/nginx-error.log warn;
events {{ worker_connections 64; }}
http {{
  access_log off; default_type application/octet-stream; sendfile on;
  client_body_temp_path {work}/nginx-tmp/body; proxy_temp_path {work}/nginx-tmp/proxy;
  fastcgi_temp_path {work}/nginx-tmp/fcgi; uwsgi_temp_path {work}/nginx-tmp/uwsgi;
  scgi_temp_path {work}/nginx-tmp/scgi;
  server {{ listen 127.0.0.1:{port}; root {www}; }}
}}
""")
    proc = subprocess.Popen([find_program("nginx"), "-e", f"{work}/nginx-error.log", "-c", conf],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_port(port)
    return proc, port


def start_vsftpd(work, www):
    port = free_port()
    low = free_port()
    conf = os.path.join(work, "vsftpd.conf")
    with open(conf, "w") as f:
        f.write(f"""listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port={port}
background=NO
anonymous_enable=YES
no_anon_password=YES
anon_root={www}
local_enable=NO
write_enable=NO
pasv_enable=YES
pasv_min_port={low}
pasv_max_port={low + 20}
connect_from_port_20=NO
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
xferlog_enable=NO
syslog_enable=NO
""")
    proc = subprocess.Popen([find_program("vsftpd"), conf],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_port(port)
    return proc, port


def timed(cmd):
    """Runs cmd under GNU time; returns (seconds, peak RSS KiB) or None on failure. The wall
    time is taken here to the millisecond (GNU time rounds to 0.01 s); the same small start-up
    of GNU time is in every tool's figure."""
    fmt_file = tempfile.mktemp(prefix="ov-bench-time-")
    try:
        started = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-o", fmt_file, "-f", "%M"] + cmd,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - started
        if result.returncode != 0:
            return None
        with open(fmt_file) as f:
            rss = f.read().split()[-1]
        return wall, int(rss)
    finally:
        if os.path.exists(fmt_file):
            os.remove(fmt_file)


def commands(tool, protocol, url, out_dir, name, ftp_port, ovfetch):
    target = os.path.join(out_dir, name)
    if tool == "ovfetch":
        cmd = [ovfetch, "--quiet"]
        if protocol == "ftp":
            cmd += ["--ftp", f"127.0.0.1:{ftp_port}", "--user", "anonymous", "--pass", "bench@"]
        return cmd + [url, out_dir, name]
    if tool == "curl":
        return ["curl", "-s", "-f", "-o", target, url]
    return ["wget", "-q", "-O", target, url]


def build_ovfetch():
    """The release build's ovfetch, configured and built when missing or out of date."""
    for step in (["cmake", "--preset", "release"],
                 ["cmake", "--build", "--preset", "release", "-j", "2", "--target", "ovfetch"]):
        if subprocess.run(step, cwd=ROOT, stdout=subprocess.DEVNULL).returncode != 0:
            sys.exit("bench: building ovfetch failed: " + " ".join(step))
    return os.path.join(ROOT, "build/release/tools/ovfetch/ovfetch")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="16,256,1024", help="MiB, comma-separated")
    parser.add_argument("--ovfetch", help="ovfetch to measure (default: build the release one)")
    args = parser.parse_args()
    if not args.ovfetch:
        args.ovfetch = build_ovfetch()
    if not os.access(args.ovfetch, os.X_OK):
        sys.exit(f"bench: {args.ovfetch} is not an executable program")
    for program in ("curl", "wget"):
        if not shutil.which(program):
            sys.exit(f"bench: {program} not found (run scripts/setup)")

    work = tempfile.mkdtemp(prefix="ov-bench-")
    www = os.path.join(work, "www")
    out_dir = os.path.join(work, "out")
    os.makedirs(www)
    os.makedirs(out_dir)
    os.chmod(work, 0o755)
    servers = []
    try:
        sizes = [int(s) for s in args.sizes.split(",")]
        for mib in sizes:
            with open(os.path.join(www, f"f{mib}.bin"), "wb") as f:
                block = os.urandom(1 << 20)
                for _ in range(mib):
                    f.write(block)
        nginx, http_port = start_nginx(work, www)
        servers.append(nginx)
        vsftpd, ftp_port = start_vsftpd(work, www)
        servers.append(vsftpd)
        tools = ["ovfetch", "curl", "wget"]
        rows = []
        for protocol in ("http", "ftp"):
            port = http_port if protocol == "http" else ftp_port
            for mib in sizes:
                name = f"f{mib}.bin"
                url = f"{protocol}://127.0.0.1:{port}/{name}"
                results = {tool: [] for tool in tools}
                for _ in range(args.runs):
                    for tool in tools:
                        target = os.path.join(out_dir, name)
                        if os.path.exists(target):
                            os.remove(target)
                        measured = timed(commands(tool, protocol, url, out_dir, name, ftp_port,
                                                  args.ovfetch))
                        ok = measured and os.path.getsize(target) == mib << 20
                        results[tool].append(measured if ok else None)
                        if os.path.exists(target):
                            os.remove(target)
                rows.append((protocol, mib, results))
        print_table(rows, args.runs)
    finally:
        for proc in servers:
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
        shutil.rmtree(work, ignore_errors=True)


def print_table(rows, runs):
    print(f"median of {runs} runs each; tools run in alternation; loopback; peak RSS from GNU time\n")
    print("| protocol | size | tool | wall s | MiB/s | peak RSS MiB | wall ratio ovfetch/curl |")
    print("|---|---|---|---|---|---|---|")
    for protocol, mib, results in rows:
        medians = {}
        for tool, values in results.items():
            good = [v for v in values if v]
            if len(good) < len(values) or not good:
                medians[tool] = None
                continue
            medians[tool] = (statistics.median(v[0] for v in good),
                             statistics.median(v[1] for v in good) / 1024.0)
        for tool, value in medians.items():
            if value is None:
                print(f"| {protocol} | {mib} MiB | {tool} | failed | | | |")
                continue
            wall, rss = value
            speed = mib / wall if wall > 0 else float("inf")
            ratio = ""
            if tool == "ovfetch" and medians.get("curl"):
                ratio = f"{wall / medians['curl'][0]:.2f}" if medians["curl"][0] > 0 else "n/a"
            print(f"| {protocol} | {mib} MiB | {tool} | {wall:.3f} | {speed:.0f} | {rss:.1f} | {ratio} |")


if __name__ == "__main__":
    main()
