#!/usr/bin/env python3
"""Whole-program scenarios: Instalador.exe under 32-bit Wine on a virtual display, driven through
its window by uidriver.exe, downloading from a sample site served by nginx on loopback.

Each scenario gets a fresh copy of a template Wine prefix (Windows 7, so the firewall rule goes
through netsh.exe, replaced in the template by a stand-in that records its command line), its
own sample site served by nginx on the loopback port the sample-site build of the installer
(app/sample-site/Instalador.exe, OV_SAMPLE_SITE_PORT) downloads from, so scenarios run one at a
time. Screenshots and the final log are kept under <build>/e2e/<scenario>/. Run under a virtual
display (xvfb-run); exits 0 when the scenario held.

Usage: e2e_installation.py --build <win32 build> --source <source root> --scenario NAME
"""
import argparse
import fcntl
import hashlib
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

WINDOW = ["window", "TFPrincipal", "Instalador", "60"]
ID_CANCELAR, ID_INSTALAR, ID_STATUS, ID_LOG, ID_ACEITO = 1000, 1001, 1002, 1004, 1101
INSTALL_DIR = "Ovilar_Conserto"          # edition 3
SUBFOLDER = "Ovilar.Conserto/"
DATABASE = "DBOVILAR_KOVRA.FDB"
REMINDER = "PERMISS"                      # of the administrator reminder box
SUCCESS = "concluida com sucesso"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)
    print("ok: " + what, flush=True)


def read_text(path):
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace")


def sample_site_port(build):
    cache = read_text(os.path.join(build, "CMakeCache.txt"))
    return int(re.search(r"^OV_SAMPLE_SITE_PORT:STRING=(\d+)$", cache, re.M).group(1))


class Scenario:
    def __init__(self, build, source, name):
        self.build, self.source, self.name = build, source, name
        self.dir = os.path.join(build, "e2e", name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(os.path.join(self.dir, "screenshots"))
        self.prefix = os.path.join(self.dir, "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n", HOME=self.dir)
        self.nginx = None
        self.installer = None
        self.keep_prefix = False
        self.port = sample_site_port(build)
        self.install = os.path.join(self.prefix, "drive_c", INSTALL_DIR)

    # ---- the machine -------------------------------------------------------------------
    def make_prefix(self):
        template = template_prefix(self.build, self.source)
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        # The user's folders of a new prefix point into the real home folder: make them the
        # prefix's own, so shortcuts land inside this scenario.
        users = os.path.join(self.prefix, "drive_c", "users")
        for user in os.listdir(users):
            for entry in os.scandir(os.path.join(users, user)):
                if entry.is_symlink():
                    os.unlink(entry.path)
                    os.mkdir(entry.path)
        # This prefix's server and background services start here with closed streams, so
        # that none of them holds the output of a later command open.
        quiet = dict(env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p600"], **quiet)
        subprocess.run(["wine", "cmd.exe", "/c", "exit"], **quiet, timeout=120)

    def run_wine(self, args, timeout):
        """Runs a Windows program; its output goes through a file, never a pipe that a
        background Wine process could keep open."""
        with tempfile.TemporaryFile() as out:
            result = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.STDOUT, timeout=timeout)
            out.seek(0)
            return result.returncode, out.read().decode("utf-8", "replace")

    def wine(self, *args, check_rc=True, timeout=120):
        rc, out = self.run_wine(args, timeout)
        if check_rc and rc != 0:
            raise Failure("wine %s failed (%d): %s" % (" ".join(args), rc, out))
        return out

    def add_old_server(self, tag, service):
        self.wine("sc", "create", service, "binpath=", r"C:\Firebird\bin\fbserver.exe")
        key = UNINSTALL_KEY + "\\Firebird_" + tag
        self.wine("reg", "add", key, "/v", "DisplayName", "/d", "Firebird %s (Win32)" % tag, "/f")
        self.wine("reg", "add", key, "/v", "UninstallString", "/d",
                  r"C:\Program Files\Firebird\Firebird_%s\unins000.exe" % tag, "/f")

    # ---- the download site -------------------------------------------------------------
    def make_site(self, filler_kib=64):
        tools = os.path.join(self.build, "tools")
        subprocess.run([sys.executable, os.path.join(self.source, "tools/sample_site/make_sample_site.py"),
                        "--out", os.path.join(self.dir, "site"),
                        "--rar", os.path.join(tools, "rar_standin", "RAR.exe"),
                        "--firebird", os.path.join(tools, "firebird_standin", "Firebird3.0.exe"),
                        "--edition", "3", "--filler-kib", str(filler_kib)],
                       check=True, stdout=subprocess.DEVNULL)

    def site_file(self, relative):
        return os.path.join(self.dir, "site", "instalador", relative)

    def start_nginx(self, rate_limit=None):
        with socket.socket() as probe:
            # As nginx does: connections of an earlier run still waiting out their close do
            # not count, only a program listening there.
            probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                probe.bind(("127.0.0.1", self.port))
            except OSError:
                raise Failure("loopback port %d is taken by another program; configure the build "
                              "with another -DOV_SAMPLE_SITE_PORT=..." % self.port)
        conf = os.path.join(self.dir, "nginx.conf")
        limit = "    location ~ executavel\\.rar$ { limit_rate %s; }\n" % rate_limit if rate_limit else ""
        with open(conf, "w") as f:
            f.write("daemon off;\nworker_processes 1;\npid %s/nginx.pid;\nerror_log %s/nginx-error.log;\n"
                    "events { worker_connections 64; }\nhttp {\n  access_log %s/nginx-access.log;\n"
                    "  client_body_temp_path %s; proxy_temp_path %s; fastcgi_temp_path %s;\n"
                    "  uwsgi_temp_path %s; scgi_temp_path %s;\n"
                    "  types { application/octet-stream exe rar; }\n"
                    "  server {\n    listen 127.0.0.1:%d;\n    root %s/site;\n%s  }\n}\n" % (
                        (self.dir,) * 3 + (self.dir,) * 5 + (self.port, self.dir, limit)))
        self.nginx = subprocess.Popen(["/usr/sbin/nginx", "-c", conf, "-p", self.dir],
                                      stdin=subprocess.DEVNULL)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return
            except OSError:
                time.sleep(0.1)
        raise Failure("nginx did not start on port %d" % self.port)

    def stop_nginx(self):
        if self.nginx and self.nginx.poll() is None:
            self.nginx.send_signal(signal.SIGTERM)
            self.nginx.wait(10)
        self.nginx = None

    # ---- the program -------------------------------------------------------------------
    def make_installer(self):
        """A copy of the sample-site build of Instalador.exe, which downloads from self.port."""
        path = os.path.join(self.dir, "Instalador.exe")
        shutil.copyfile(os.path.join(self.build, "app", "sample-site", "Instalador.exe"), path)
        return path

    def start_installer(self):
        exe = os.path.join(self.dir, "Instalador.exe")
        if not os.path.exists(exe):
            self.make_installer()
        self.installer = subprocess.Popen(["wine", exe], env=self.env, stdin=subprocess.DEVNULL,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def ui(self, *verbs, expect_ok=True):
        driver = os.path.join(self.build, "tools", "uidriver", "uidriver.exe")
        rc, out = self.run_wine([driver, *WINDOW, *verbs], timeout=300)
        print(out.rstrip(), flush=True)
        if expect_ok and rc != 0:
            raise Failure("uidriver: " + " ".join(verbs))
        return out

    def shot(self, name):
        path = os.path.join(self.dir, "screenshots", name + ".png")
        subprocess.run(["import", "-window", "root", path], check=True, env=self.env)
        print("screenshot: " + path, flush=True)

    def save_log(self, name):
        out = self.ui("text", str(ID_LOG))
        with open(os.path.join(self.dir, name + ".txt"), "w") as f:
            f.write(out)
        return out

    def wait_installer_end(self):
        try:
            self.installer.wait(60)
        except subprocess.TimeoutExpired:
            raise Failure("Instalador.exe did not end")

    def wait_file(self, path, min_size, timeout):
        end = time.time() + timeout
        while time.time() < end:
            if os.path.exists(path) and os.path.getsize(path) >= min_size:
                return
            time.sleep(0.1)
        raise Failure("no %s of %d bytes within %d s" % (path, min_size, timeout))

    def close(self):
        self.stop_nginx()
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.installer:
            try:
                self.installer.wait(10)
            except subprocess.TimeoutExpired:
                self.installer.kill()

    # ---- what an installation leaves ---------------------------------------------------
    def installed(self, relative):
        return os.path.join(self.install, relative.replace("\\", "/"))

    def calls(self, folder):
        path = os.path.join(folder, "stand-in-calls.log")
        return read_text(path) if os.path.exists(path) else ""


def template_prefix(build, source):
    """The prefix every scenario copies: made once, Windows 7, netsh.exe recording its calls."""
    template = os.path.join(build, "e2e", "template-prefix")
    os.makedirs(os.path.dirname(template), exist_ok=True)
    with open(template + ".e2e-lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(os.path.join(template, ".ov-e2e-ready")):
            shutil.rmtree(template, ignore_errors=True)
            env = dict(os.environ, OV_WINEPREFIX=template, WINEPREFIX=template, WINEARCH="win32",
                       WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            subprocess.run([os.path.join(source, "cmake", "wine-prefix.sh")], env=env, check=True,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
            for args in ([r"HKCU\Software\Wine", "/v", "Version", "/d", "win7", "/f"],
                         [r"HKCU\Software\Wine\X11 Driver", "/v", "Decorated", "/d", "N", "/f"]):
                subprocess.run(["wine", "reg", "add", *args], env=env, check=True,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-k"], env=env)
            subprocess.run(["wineserver", "-w"], env=env)
            shutil.copyfile(os.path.join(build, "tools", "netsh_standin", "netsh.exe"),
                            os.path.join(template, "drive_c", "windows", "system32", "netsh.exe"))
            open(os.path.join(template, ".ov-e2e-ready"), "w").close()
    return template


# ---- scenarios -------------------------------------------------------------------------
def new_machine(s, filler_kib=64, rate_limit=None, old_server=None):
    """A fresh prefix (with an old server's traces when old_server=(tag, service)) and its
    sample site served by nginx."""
    s.make_prefix()
    if old_server:
        s.add_old_server(*old_server)
    s.make_site(filler_kib=filler_kib)
    s.start_nginx(rate_limit=rate_limit)


def accept_and_install(s):
    """Accepts the licence, presses "Instalar" and acknowledges the administrator reminder."""
    s.ui("click", str(ID_ACEITO), "sleep", "300", "click", str(ID_INSTALAR),
         "box", "30", "ok", REMINDER)


def start_and_accept(s, shot_start=False):
    s.start_installer()
    s.ui("sleep", "1000")
    if shot_start:
        s.shot("1-start")
    accept_and_install(s)


def rerun_to_success(s, log_name):
    """Runs the installer again on the same machine through to its success message; its log."""
    s.start_installer()
    accept_and_install(s)
    return finish_with_success(s, log_name)


def wait_download_started(s, min_size):
    """Waits until the main archive's .part file holds min_size bytes; its path."""
    part = s.installed("executavel.rar.part")
    s.wait_file(part, min_size, 120)
    return part


def only_part_file(s, part):
    """True while the main archive exists only as its .part file."""
    return os.path.exists(part) and not os.path.exists(s.installed("executavel.rar"))


def resumed_requests(s):
    """The site's access-log lines that served the main archive partially (206)."""
    access = read_text(os.path.join(s.dir, "nginx-access.log"))
    return [l for l in access.splitlines() if "executavel.rar" in l and '" 206 ' in l]


def finish_with_success(s, log_name):
    s.ui("box", "180", "none", SUCCESS)
    s.shot(log_name + "-final-message")
    log = s.save_log(log_name)
    s.ui("box", "10", "ok", SUCCESS, "gone", "30")
    s.wait_installer_end()
    return log


def check_complete_install(s, log, pack):
    for name in ["Ovilar.exe", "teamviewer.exe", "instala.bat", DATABASE, "RAR.exe",
                 "executavel.rar", "arquivos.rar", "Banco%s.rar" % pack.replace(".", "")]:
        check(os.path.isfile(s.installed(name)), "installed: " + name)
    check(not os.path.exists(s.installed("desc.bat")), "desc.bat removed after the extractions")
    check(not [n for n in os.listdir(s.install) if n.endswith(".part")], "no .part file left")
    ini = read_text(s.installed("ConfRede.ini"))
    check(re.search(r"\[Acesso\]\s*\r?\nBancoDeDados=C:\\Ovilar_Conserto\\DBOVILAR_KOVRA\.FDB", ini),
          "ConfRede.ini names the database")
    check("instala.bat ran" in read_text(s.installed("instala-ran.log")), "instala.bat ran")
    rar = s.calls(s.install)
    check('"C:\\Ovilar_Conserto\\executavel.rar"  "C:\\Ovilar_Conserto\\" /y' in rar,
          "RAR.exe got the extraction command line")
    desktop = os.path.join(s.prefix, "drive_c", "users", "root", "Desktop")
    for link in ["Ovilar.exe.lnk", "teamviewer.exe.lnk"]:
        check(os.path.isfile(os.path.join(desktop, link)), "desktop shortcut " + link)
    netsh = s.calls(os.path.join(s.prefix, "drive_c", "windows", "system32"))
    check('advfirewall firewall add rule name = "Firebird" dir = in action = allow protocol = TCP '
          'localport = 3050' in netsh, "firewall rule for TCP 3050 asked of netsh")
    check(SUCCESS in log, "log ends with the success line")


def scenario_fresh_then_rerun(s):
    """A machine without a server: everything is installed; a rerun keeps the customer's data."""
    new_machine(s, filler_kib=1536, rate_limit="512k")
    start_and_accept(s, shot_start=True)
    wait_download_started(s, 100000)
    s.shot("2-installing")
    s.ui("text", str(ID_STATUS))
    log = finish_with_success(s, "3-first-run")
    check_complete_install(s, log, "3.0")
    firebird = s.calls(os.path.join(s.install, "Programas"))
    check('/SP- /SILENT /MERGETASKS="CopyFbClientAsGds32Task" /PASSWORD=pinebrook' in firebird,
          "Firebird setup ran silently with the client task and password")
    check("Desinstalando" not in log, "no uninstall step without an old server")

    # The customer works; then the installer runs again on the same machine.
    customer = b"customer invoices since 2019\n"
    with open(s.installed(DATABASE), "wb") as f:
        f.write(customer)
    log = rerun_to_success(s, "4-rerun")
    check(open(s.installed(DATABASE), "rb").read() == customer, "the customer's database is kept")
    backups = [n for n in os.listdir(s.install) if n.startswith(DATABASE) and n.endswith(".bak")]
    check(len(backups) == 1, "one backup copy of the database was made")
    check("Instalando Firebird" not in log, "a 3.0 server found by the rerun is not reinstalled")


def scenario_server_2_5_kept(s):
    """A 2.5 server, and No to replacing it: the 2.1 database pack, no server steps."""
    new_machine(s, old_server=("2_5", "Firebird"))
    start_and_accept(s)
    s.ui("box", "30", "no", "Firebird 2_5")
    log = finish_with_success(s, "run")
    check_complete_install(s, log, "2.1")
    check(b"2.1" in open(s.installed(DATABASE), "rb").read(), "the 2.1 database was unpacked")
    check(not os.path.exists(s.installed("Programas")), "no Firebird setup downloaded")
    check("Desinstalando" not in log and "Instalando Firebird" not in log, "no server steps logged")


def scenario_declined(s):
    """An old 1.5 server: No to removing it, then Yes and No: nothing installed, window stays."""
    new_machine(s, old_server=("1_5", "FirebirdServerDefaultInstance"))
    start_and_accept(s)
    s.ui("box", "30", "no", "Firebird 1_5")
    s.ui("waitlog", str(ID_LOG), "10", "Aten")
    s.shot("declined")
    s.ui("click", str(ID_INSTALAR), "box", "30", "ok", REMINDER,
         "box", "30", "yes", "Firebird 1_5", "box", "30", "no", "outro software")
    log = s.save_log("declined-log")
    check("Criando pasta" not in log, "nothing was installed after the declines")
    check(not os.path.exists(s.install), "no installation folder")
    s.ui("click", str(ID_CANCELAR), "gone", "30")
    s.wait_installer_end()


def scenario_download_cut_then_resumed(s):
    """The server stops during a download: an error, the .part stays; a rerun resumes it."""
    new_machine(s, filler_kib=2048, rate_limit="256k")
    start_and_accept(s)
    part = wait_download_started(s, 200000)
    s.stop_nginx()
    out = s.ui("box", "120", "none", "executavel.rar")
    s.shot("1-error")
    check(SUCCESS not in out, "no success message after the failed download")
    s.save_log("1-failed-run")
    s.ui("box", "10", "ok", "-", "sleep", "500", "text", str(ID_INSTALAR))  # window still open
    check(only_part_file(s, part), "the cut-off download stays a .part file")
    kept = os.path.getsize(part)
    s.ui("click", str(ID_CANCELAR), "gone", "30")
    s.wait_installer_end()

    s.start_nginx()
    log = rerun_to_success(s, "2-rerun")
    check_complete_install(s, log, "3.0")
    digest = lambda p: hashlib.sha256(open(p, "rb").read()).hexdigest()
    check(digest(s.installed("executavel.rar")) == digest(s.site_file(SUBFOLDER + "executavel.rar")),
          "the resumed archive equals the served one")
    check(resumed_requests(s), "the rerun asked for the rest only (206 after %d bytes kept)" % kept)


def scenario_cancelled_then_resumed(s):
    """During a download a second "Instalar" is ignored and "Cancelar" ends the program once
    the download has paused; the .part stays and the next run resumes it."""
    new_machine(s, filler_kib=2048, rate_limit="256k")
    start_and_accept(s)
    part = wait_download_started(s, 200000)
    s.ui("click", str(ID_INSTALAR))
    out = s.ui("box", "3", "ok", REMINDER, expect_ok=False)
    check("FAILED: no message box" in out, "a second Instalar during the run is ignored")
    s.ui("click", str(ID_CANCELAR), "gone", "60")
    s.wait_installer_end()
    check(only_part_file(s, part), "the paused download stays a .part file")
    check(not os.path.exists(s.installed("ConfRede.ini")), "no step after the cancelled one ran")

    s.stop_nginx()
    s.start_nginx()
    log = rerun_to_success(s, "rerun")
    check_complete_install(s, log, "3.0")
    check(resumed_requests(s), "the rerun resumed the paused download")


def scenario_demo(s):
    """The README's demo: one whole installation on a fresh machine, slow enough to watch."""
    s.keep_prefix = True
    new_machine(s, filler_kib=3072, rate_limit="512k")
    start_and_accept(s, shot_start=True)
    wait_download_started(s, 300000)
    s.shot("2-installing")
    log = finish_with_success(s, "3-installed")
    check_complete_install(s, log, "3.0")


SCENARIOS = {
    "demo": scenario_demo,
    "fresh_then_rerun": scenario_fresh_then_rerun,
    "server_2_5_kept": scenario_server_2_5_kept,
    "declined": scenario_declined,
    "cancelled_then_resumed": scenario_cancelled_then_resumed,
    "download_cut_then_resumed": scenario_download_cut_then_resumed,
}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--source", required=True)
    ap.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("run under a display (xvfb-run)")
    s = Scenario(os.path.abspath(args.build), os.path.abspath(args.source), args.scenario)
    started = time.time()
    try:
        SCENARIOS[args.scenario](s)
    except (Failure, subprocess.SubprocessError) as error:
        try:
            s.shot("failure")
        except Exception:
            pass
        print("FAILED: %s" % error, flush=True)
        return 1
    finally:
        s.close()
    if not s.keep_prefix:
        shutil.rmtree(s.prefix, ignore_errors=True)
    print("scenario %s passed in %.0f s" % (args.scenario, time.time() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
