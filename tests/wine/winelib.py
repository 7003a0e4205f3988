"""Helpers for the tests that run our Windows programs under Wine.

One prefix is shared by every wine test of a run (created once, ~10 s), with a persistent
wineserver so that services live between commands. `python3 winelib.py setup|cleanup` is what
the CTest fixture runs; the tests import the rest.
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

PREFIX = pathlib.Path(os.environ.get("WINEPREFIX", "/tmp/zorvak-wineprefix"))
WINDOWS_BIN = pathlib.Path(os.environ.get("ZORVAK_WINDOWS_BIN", "build/windows/bin"))
NATIVE_BIN = pathlib.Path(os.environ.get("ZORVAK_NATIVE_BIN", "build/linux"))
# Regional settings of a Brazilian server: dd/MM/yyyy HH:mm:ss, code page 1252.
ENV = dict(os.environ, WINEPREFIX=str(PREFIX), WINEDEBUG="-all", LC_ALL="pt_BR.UTF-8")

STOPPED, START_PENDING, STOP_PENDING, RUNNING = 1, 2, 3, 4


def drive_c() -> pathlib.Path:
    return PREFIX / "drive_c"


def win_path(path: pathlib.Path) -> str:
    rel = pathlib.Path(path).resolve().relative_to(drive_c().resolve())
    return "C:\\" + str(rel).replace("/", "\\")


def wine(args, cwd=None, timeout=60, check=False):
    """Runs a Windows program; returns the CompletedProcess (text, output captured).

    Output goes through files, not pipes: the first wine command of a session starts Wine's own
    background processes, which inherit the pipes and would keep them open for ever.
    """
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(["wine", *args], cwd=cwd, env=ENV, stdout=out, stderr=err, timeout=timeout,
                              stdin=subprocess.DEVNULL)
        out.seek(0)
        err.seek(0)
        proc.stdout = out.read().decode("utf-8", "replace")
        proc.stderr = "\n".join(l for l in err.read().decode("utf-8", "replace").splitlines()
                                if "wine32 is missing" not in l and "multiarch" not in l
                                and "apt-get install" not in l and "dpkg --add-architecture" not in l)
    if check and proc.returncode != 0:
        raise AssertionError(f"wine {args} exited {proc.returncode}: {proc.stdout}\n{proc.stderr}")
    return proc


def app_folder(name: str, programs=("ZorvakAgent.exe", "ZorvakService.exe")) -> pathlib.Path:
    """A fresh application folder under C:\\ holding copies of the given programs."""
    folder = drive_c() / name
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for program in programs:
        shutil.copy2(WINDOWS_BIN / program, folder / program)
    return folder


def write_ini(folder: pathlib.Path, text: str) -> None:
    (folder / "Zorvak.ini").write_bytes(text.replace("\n", "\r\n").encode("cp1252"))


def read_ini_value(folder: pathlib.Path, section: str, key: str):
    try:
        text = (folder / "Zorvak.ini").read_bytes().decode("cp1252")
    except FileNotFoundError:
        return None
    current = None
    for line in re.split(r"[\r\n]+", text):
        line = line.strip()
        if line.startswith("[") and "]" in line:
            current = line[1:line.rindex("]")].strip().lower()
        elif "=" in line and current == section.lower():
            name, value = line.split("=", 1)
            if name.strip().lower() == key.lower():
                return value.strip()
    return None


def service_status(name: str):
    """(state, wait hint) from `sc query`, or None when there is no such service."""
    proc = wine(["sc", "query", name], timeout=30)
    state = re.search(r"STATE\s*:\s*(\d+)", proc.stdout)
    if proc.returncode != 0 or not state:
        return None
    hint = re.search(r"WAIT_HINT\s*:\s*0x([0-9a-fA-F]+)", proc.stdout)
    return int(state.group(1)), int(hint.group(1), 16) if hint else 0


def service_state(name: str):
    status = service_status(name)
    return status[0] if status else None


def registration(name: str):
    """The service's registry values, or None when it is not registered."""
    proc = wine(["reg", "query", rf"HKLM\System\CurrentControlSet\Services\{name}"], timeout=30)
    if proc.returncode != 0:
        return None
    values = {}
    for m in re.finditer(r"^\s+(\S+)\s+(REG_\w+)\s+(.*?)\s*$", proc.stdout, re.M):
        values[m.group(1)] = m.group(3)
    return values


def wait_until(predicate, timeout=30.0, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            return value
        time.sleep(interval)


def remove_service(name: str) -> None:
    """Stops and deletes a service left by a test; quiet when there is none."""
    if service_state(name) is None:
        return
    wine(["sc", "stop", name], timeout=30)
    wait_until(lambda: service_state(name) in (STOPPED, None), timeout=30)
    wine(["sc", "delete", name], timeout=30)
    wait_until(lambda: service_state(name) is None, timeout=30)


def restart_wineserver() -> None:
    """Wine's service manager does not notice a service process that was killed: the service
    stays RUNNING for ever. Restarting the wineserver resets every service to stopped."""
    subprocess.run(["wineserver", "-k"], env=ENV, timeout=60)
    subprocess.run(["wineserver", "-w"], env=ENV, timeout=60)
    subprocess.Popen(["wineserver", "-p"], env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, start_new_session=True).wait(timeout=60)


def process_running(image: str) -> bool:
    """Whether a live Windows process of that image name runs in this prefix (Wine has no
    working tasklist; a killed service stays a zombie, which does not count)."""
    wanted = ("WINEPREFIX=" + str(PREFIX)).encode()
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes()
            environ = (entry / "environ").read_bytes()
            state = (entry / "stat").read_text().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if state != "Z" and image.lower().encode() in cmdline.lower() and wanted in environ.split(b"\0"):
            return True
    return False


def log_text(folder: pathlib.Path) -> str:
    """All of the agent's daily logs, decoded from Windows-1252."""
    logs = sorted((folder / "log").glob("Agent_*.txt"))
    return "".join(p.read_bytes().decode("cp1252") for p in logs)


def start_xvfb():
    """An X server of our own for a GUI test: (process, display). The services' tests never get
    a display, so a service can never block on a message box there."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = ":" + f.readline().strip()
    fonts = drive_c() / "windows" / "Fonts"
    fonts.mkdir(parents=True, exist_ok=True)
    for ttf in pathlib.Path("/usr/share/wine/fonts").glob("*.ttf"):
        if not (fonts / ttf.name).exists():
            shutil.copy2(ttf, fonts / ttf.name)
    return xvfb, display


def setup() -> None:
    PREFIX.mkdir(parents=True, exist_ok=True)
    if not (PREFIX / "system.reg").exists():
        subprocess.run(["wineboot", "-i"], env=ENV, check=True, timeout=300,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=ENV, timeout=300)
    # Services live only while the wineserver lives: keep one running for the whole run.
    subprocess.Popen(["wineserver", "-p"], env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, start_new_session=True).wait(timeout=60)
    for name in ("ZorvakServiceAgent", "Zorvak"):
        remove_service(name)
    print(f"wine prefix ready: {PREFIX}")


def cleanup() -> None:
    for name in ("ZorvakServiceAgent", "Zorvak"):
        try:
            remove_service(name)
        except Exception as e:  # the prefix goes down anyway
            print(f"could not remove {name}: {e}")
    subprocess.run(["wineserver", "-k"], env=ENV, timeout=60)
    print("wineserver stopped")


if __name__ == "__main__":
    {"setup": setup, "cleanup": cleanup}[sys.argv[1]]()
