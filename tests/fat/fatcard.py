#!/usr/bin/env python3
"""A real FAT16 card for the tests: an image made by mkfs.fat, mounted by the vfat driver of a
Linux kernel that runs as an ordinary process (user-mode Linux), with the host's files as its root.

    python3 tests/fat/fatcard.py [--size MIB] [--sync] [--image IMG] -- 'CMD' ['CMD' ...]

runs each CMD with `sh -c` inside the booted kernel, the card mounted at $CARD, and prints each
one's exit status, standard output and standard error; then `fsck.vfat -n` of the image. As a
module: make_image(), boot(), fsck() and install().
"""
import argparse
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PACKAGES = {"linux.uml": "user-mode-linux", "insmod": "kmod", "mkfs.fat": "dosfstools", "fsck.vfat": "dosfstools"}
MODULES = ["fs/fat/fat.ko", "fs/fat/vfat.ko", "fs/nls/nls_cp437.ko", "fs/nls/nls_iso8859-1.ko"]
SBIN = ["/usr/sbin", "/sbin", "/usr/bin", "/bin"]


def which(tool):
    return shutil.which(tool, path=os.pathsep.join([os.environ.get("PATH", "")] + SBIN))


def install():
    """apt-get installs whatever of the kernel, kmod and dosfstools this machine lacks."""
    missing = sorted({pkg for tool, pkg in PACKAGES.items() if not which(tool)})
    if not missing:
        return
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(["apt-get", "install", "-y", "-qq"] + missing, check=True, env=env, stdout=subprocess.DEVNULL)


def make_image(path, mib, label="CARD"):
    """A fresh FAT16 volume of `mib` MiB in the file `path`."""
    with open(path, "wb") as f:
        f.truncate(mib * 1024 * 1024)
    # FAT16 needs 4 085 clusters at least: small cards get clusters of one sector.
    small = ["-s", "1"] if mib < 16 else []
    subprocess.run([which("mkfs.fat"), "-F", "16"] + small + ["-n", label, path], check=True, stdout=subprocess.DEVNULL)


def fsck(path, repair=False):
    """fsck.vfat -n (or -a, repairing as a user's system would): (exit status, output)."""
    run = subprocess.run([which("fsck.vfat"), "-a" if repair else "-n", path],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return run.returncode, run.stdout


class Run:
    """What a boot gave back: per command (status, stdout, stderr), None for one that did not
    finish; the console lines; whether the power was cut."""

    def __init__(self, results, console, cut):
        self.results, self.console, self.cut = results, console, cut

    def __getitem__(self, i):
        return self.results[i]


INIT = """#!/bin/sh
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
m=/usr/lib/uml/modules/$(uname -r)/kernel
for k in {modules}; do insmod "$m/$k" || echo "@@no module $k"; done
mount -t proc proc /proc
mount -t vfat -o {options} /dev/ubda {mnt} && echo @@mounted
export CARD={mnt} W={work}
cd {cwd}
i=0
while [ -f "$W/cmd.$i" ]; do
  echo "@@go $i"
  sh "$W/cmd.$i" 9>&1 >"$W/out.$i" 2>"$W/err.$i" </dev/null
  echo $? >"$W/rc.$i"
  echo "@@end $i"
  i=$((i + 1))
done
umount {mnt} && echo @@unmounted
poweroff -f
"""


def boot(image, commands, work=None, sync=False, env=None, mem="256M", timeout=900):
    """Boots the kernel over `image` and runs `commands` (shell texts) one after the other in the
    current folder, with the card at $CARD, the work folder at $W and fd 9 on the console. A
    command may cut the power (`echo c >/proc/sysrq-trigger`): the kernel then stops at once,
    writing back nothing more, and the run says it was cut."""
    own = work is None
    work = os.path.abspath(work or tempfile.mkdtemp(prefix="fatcard."))
    try:
        mnt = os.path.join(work, "mnt")
        os.makedirs(mnt, exist_ok=True)
        for f in os.listdir(work):
            if f.split(".")[0] in ("cmd", "out", "err", "rc"):
                os.remove(os.path.join(work, f))
        exports = "".join(f"export {k}={shlex.quote(str(v))}\n" for k, v in (env or {}).items())
        for i, command in enumerate(commands):
            with open(os.path.join(work, f"cmd.{i}"), "w") as f:
                f.write(exports + command + "\n")
        init = os.path.join(work, "init.sh")
        options = "sync,shortname=mixed" if sync else "shortname=mixed"
        with open(init, "w") as f:
            f.write(INIT.format(modules=" ".join(MODULES), options=options, mnt=shlex.quote(mnt),
                                work=shlex.quote(work), cwd=shlex.quote(os.getcwd())))
        os.chmod(init, 0o755)
        args = [which("linux.uml"), f"mem={mem}", f"ubd0={os.path.abspath(image)}", "root=/dev/root",
                "rootfstype=hostfs", "rootflags=/", "rw", f"init={init}", "con=null", "con0=null,fd:1"]
        # The kernel keeps its memory in a file under TMPDIR; the work folder holds it.
        proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                start_new_session=True, env=dict(os.environ, TMPDIR=work))
        console = []
        deadline = time.monotonic() + timeout
        try:
            for raw in proc.stdout:
                line = raw.decode("utf-8", "replace").rstrip("\r\n")
                console.append(line)
                if time.monotonic() > deadline:
                    power_off(proc)
                    raise TimeoutError("the kernel ran past %d s: %s" % (timeout, console[-5:]))
        finally:
            if proc.poll() is None:
                proc.wait(timeout=60)
            # Helpers of the kernel's may outlive it: none may write to the image afterwards.
            power_off(proc)
        was_cut = "@@unmounted" not in console and any("sysrq: " in line for line in console)
        if "@@mounted" not in console:
            raise RuntimeError("the card was not mounted:\n" + "\n".join(console[-20:]))
        results = []
        for i in range(len(commands)):
            rc = os.path.join(work, f"rc.{i}")
            if not os.path.exists(rc):
                results.append(None)
                continue
            with open(rc) as f:
                status = int(f.read().strip() or -1)
            outs = []
            for name in ("out", "err"):
                with open(os.path.join(work, f"{name}.{i}"), errors="replace") as f:
                    outs.append(f.read())
            results.append((status, outs[0], outs[1]))
        if not was_cut and "@@unmounted" not in console:
            raise RuntimeError("the card was not unmounted:\n" + "\n".join(console[-20:]))
        return Run(results, console, was_cut)
    finally:
        if own:
            shutil.rmtree(work, ignore_errors=True)


def power_off(proc):
    """SIGKILL to the kernel's whole process group; returns once none of it is left."""
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait()
    for _ in range(200):
        try:
            os.killpg(proc.pid, 0)
        except ProcessLookupError:
            return
        time.sleep(0.01)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--size", type=int, default=32, help="MiB of a new image (default 32)")
    parser.add_argument("--image", help="an existing image to use instead of a new one")
    parser.add_argument("--sync", action="store_true", help="mount with -o sync")
    parser.add_argument("commands", nargs="+")
    args = parser.parse_args()
    install()
    with tempfile.TemporaryDirectory(prefix="fatcard.") as work:
        image = args.image or os.path.join(work, "card.img")
        if not args.image:
            make_image(image, args.size)
        run = boot(image, args.commands, work=os.path.join(work, "uml"), sync=args.sync)
        failed = 0
        for command, (status, out, err) in zip(args.commands, run.results):
            print(f"$ {command}\n[exit {status}]")
            sys.stdout.write(out + err)
            failed += status != 0
        status, text = fsck(image)
        print(f"fsck.vfat -n: exit {status}\n{text}", end="")
        return 1 if failed or status else 0


if __name__ == "__main__":
    sys.exit(main())
