#!/usr/bin/env python3
"""A power cut at any moment of a write, an erase and a rename on the kernel's FAT16 driver.

    python3 tests/fat/power_cut.py [BUILD_DIR] [--cuts N] [--full]

For each command and each way of mounting the card (-o sync, written through as removable drives
are on Windows, and without it), the whole kernel is killed at N moments (default 10 a command,
--full 40, or KX_POWER_CUTS), half mounted each way. The moments come from a clean run's count of
the tool's file operations (tests/fat/cut_shim.c says at which one to cut): exactly before an
operation, or a few milliseconds into it; without sync, most fall inside the closing flush, timed
from its start. After each cut `fsck.vfat -a` repairs the volume as a user's system would; a
second boot takes the card as it stands, verifies it, writes one more design, repairs, verifies
and lists. The rules: nothing that was on the card before the command is lost but what it was
replacing or erasing; every design is byte-identical to what was there or what a complete write
stores, or verify names it and --repair moves it into a salvage folder whole; the order file is valid, or repaired; no
side file survives the next write; verify after --repair finds the card sound; fsck.vfat -n clean;
and a cut after the command ended (its flush returned) finds all of it on the card.
"""
import argparse
import collections
import json
import os
import shutil
import subprocess
import sys

from common import Tally, Workshop, fatcard, same_file

HERE = os.path.dirname(os.path.abspath(__file__))
SIDE_PREFIXES = ("~kx",)


def tree(root):
    """relative path → full path of every file below root."""
    out = {}
    for folder, _, files in os.walk(root):
        for f in files:
            full = os.path.join(folder, f)
            out[os.path.relpath(full, root)] = full
    return out


class Scenario:
    def __init__(self, shop, args):
        self.shop, self.t = shop, Tally()
        self.shim = os.path.join(shop.work, "cut_shim.so")
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", self.shim, os.path.join(HERE, "cut_shim.c"), "-ldl"],
                       check=True)
        # Old designs D000..D011 on the card; the write sends new D005..D034 (replacing seven).
        old = shop.designs(12, "old")
        new = shop.designs(100, "new")
        self.sent = os.path.join(shop.work, "sent")
        os.makedirs(self.sent)
        for i in range(5, 35):
            shutil.copy(os.path.join(new, f"D{i:03d}.kxd"), self.sent)
        self.complete = shop.complete_write(self.sent, "complete")
        self.next_design = os.path.join(new, "D099.kxd")
        kx = shop.kx()
        self.before_image = os.path.join(shop.work, "before.img")
        fatcard.make_image(self.before_image, 32)
        run = fatcard.boot(self.before_image, [
            f"{kx} --yes write EmbF5 \"{old}\"/*.kxd && {kx} --yes write EmbF6 \"{old}\"/D00[0-4].kxd"
            f" && {kx} rename 2 Before && cp -r $CARD/. $W/before"], work=os.path.join(shop.work, "setup"))
        if not run[0] or run[0][0] != 0:
            sys.exit(f"the card before the cuts could not be made: {run.results} {run.console[-10:]}")
        self.before = tree(os.path.join(shop.work, "setup", "before"))
        self.commands = {
            "write": f"{kx} --yes write EmbF5 \"{self.sent}\"/*.kxd",
            "erase": f"{kx} --yes erase EmbF5 " + " ".join(f"D{i:03d}.kxd" for i in (1, 3, 5, 7, 9)),
            "rename": f"{kx} rename 2 After",
        }
        self.cases = 0
        self.seen = collections.Counter()  # what the cuts left: fsck repairs, verify's findings

    # ---- what a command may leave of each file
    def allowed(self, command, rel):
        """The files rel may equal after `command` (None: it may also be missing)."""
        before = self.before.get(rel)
        name = os.path.basename(rel)
        if command == "write" and rel.startswith("EmbF5/") and name[:-4] + ".kxd" in os.listdir(self.sent):
            return [before, os.path.join(self.complete, name)]
        if command == "erase" and rel.startswith("EmbF5/") and name[:4] in ("D001", "D003", "D005", "D007", "D009"):
            return [before, None]
        if command == "rename" and rel == "Emb_OrdF.dat":
            return "order"
        return [before]

    def progress(self, command, files):
        """How far the command had come when the power went, as the card shows it."""
        if command == "write":
            done = sum(same_file(files.get(f"EmbF5/{n}"), os.path.join(self.complete, n)) for n in os.listdir(self.complete))
            return "before it" if done == 0 else "after it" if done == len(os.listdir(self.complete)) else "within it"
        if command == "erase":
            gone = sum(f"EmbF5/D{i:03d}.{e}" not in files for i in (1, 3, 5, 7, 9) for e in ("kxd", "kxt"))
            return "before it" if gone == 0 else "after it" if gone == 10 else "within it"
        data = open(files["Emb_OrdF.dat"], "rb").read() if "Emb_OrdF.dat" in files else b""
        return "after it" if b"After" in data else "before it"

    def check_order_file(self, label, path, command):
        data = open(path, "rb").read() if path and os.path.isfile(path) else b""
        names = [data[160 + 12 * i:168 + 12 * i].split(b"\0")[0] for i in range(12)] if len(data) == 304 else []
        ok = len(data) == 304 and data.startswith(b"VORLEXF1") and names[2] in (
            (b"Before", b"After") if command == "rename" else (b"Before",))
        return self.t.check(f"{label}: order file valid with folder 3's name kept or renamed", ok, names)

    def cut_case(self, command, sync, at, delay):
        self.cases += 1
        label = f"{command} {'sync' if sync else 'async'} cut at op {at}" + (f" +{delay} us" if delay is not None else "")
        work = os.path.join(self.shop.work, f"case{self.cases}")
        image = os.path.join(work, "card.img")
        os.makedirs(work)
        shutil.copy(self.before_image, image)
        env = {"LD_PRELOAD": self.shim, "KX_CUT_AT": at}
        done = os.path.join(work, "ended")
        if delay is not None:
            env.update(KX_CUT_DELAY_US=delay, KX_CUT_DONE_FILE=done)
        cut = fatcard.boot(image, [self.commands[command]], work=os.path.join(work, "cut"), sync=sync, env=env)
        fsck_status, fsck_text = fatcard.fsck(image, repair=True)
        kx = self.shop.kx()
        run = fatcard.boot(image, [
            "cp -r $CARD/. $W/taken",                                             # 0
            f"{kx} verify --json",                                                # 1
            f"{kx} --yes write EmbF5 \"{self.next_design}\"; ls -a $CARD/EmbF5",  # 2
            f"{kx} verify --repair --json --salvage $W/salvage",                  # 3
            "cp -r $CARD/. $W/repaired",                                          # 4
            f"{kx} verify",                                                       # 5
            f"{kx} list 0",                                                       # 6
        ], work=os.path.join(work, "after"))
        final_status, final_text = fatcard.fsck(image)
        t, r = self.t, run.results
        self.seen["fsck -a repaired the volume" if fsck_status else "volume clean"] += 1
        if not cut.cut:
            self.seen[f"{command}: ran to its end"] += 1
        ok_before = t.failed
        t.check(f"{label}: the second boot ran every step", all(x is not None for x in r), run.console[-5:])
        if any(x is None for x in r):
            return
        taken = tree(os.path.join(work, "after", "taken"))
        repaired = tree(os.path.join(work, "after", "repaired"))
        salvaged = tree(os.path.join(work, "after", "salvage"))
        progress = self.progress(command, taken)
        self.seen[f"{command}: cut {progress}"] += 1
        if os.path.exists(done):
            # The command had ended, its flush returned: all of it is on the card.
            t.check(f"{label}: cut after the command ended, all of it on the card", progress == "after it", progress)
        named = {}
        try:
            named = {f["path"]: f["problem"] for f in json.loads(r[1][1])["findings"]}
            self.seen.update(f"{command}: {p}" for p in named.values())
        except ValueError:
            t.check(f"{label}: verify --json", False, r[1])
        # Nothing lost, nothing silently wrong: each file before the repair, then after it.
        for stage, files in (("as the cut left it", taken), ("after --repair", repaired)):
            for rel in sorted(set(self.before) | {k for k in files if k.endswith(".kxd")}):
                if stage == "after --repair" and rel == "EmbF5/D099.kxd":
                    continue
                allowed = self.allowed(command, rel)
                got = files.get(rel)
                if allowed == "order":
                    self.check_order_file(f"{label}, {stage}", got, command) if stage != "as the cut left it" else None
                    continue
                fine = (None in allowed and got is None) or any(a and got and same_file(got, a) for a in allowed)
                # Only what the command was replacing or erasing may be torn, named and removed.
                target = len(allowed) > 1 or allowed[0] is None
                if not fine and target and stage == "as the cut left it" and rel in named:
                    continue  # named by verify: the repair must mend or remove it
                if not fine and target and got is None and named.get(rel[:-4] + ".kxd") == "design-torn":
                    # Torn: the repair moved it off the card with its thumbnail, bytes as the cut left them.
                    t.check(f"{label}: {rel} in the salvage folder", rel not in taken or same_file(salvaged.get(rel), taken[rel]),
                            "missing" if rel not in salvaged else "differs")
                    continue
                if not fine and stage == "as the cut left it" and rel.endswith(".kxt"):
                    continue  # a thumbnail is made again from its design
                t.check(f"{label}: {rel} {stage}", fine, "missing" if got is None else "differs")
        if command != "rename":
            self.check_order_file(f"{label}, after --repair", repaired.get("Emb_OrdF.dat"), command)
        sides = [n for n in r[2][1].split() if n.lower().startswith(SIDE_PREFIXES)]
        t.check(f"{label}: no side file after the next write", r[2][0] == 0 and not sides, r[2])
        t.check(f"{label}: sound after --repair", r[5][0] == 0, r[3][1][-1500:] + r[5][1])
        t.check(f"{label}: list", r[6][0] == 0 and len(r[6][1].splitlines()) == sum(
            1 for k in repaired if k.startswith("EmbF5/") and k.endswith(".kxd")), r[6])
        t.check(f"{label}: fsck.vfat -n clean at the end", final_status == 0, final_text)
        if t.failed > ok_before:
            print(f"  (fsck -a: {fsck_status}; cut: {cut.cut}; verify: {r[1][1][:1500]})", flush=True)
        else:
            shutil.rmtree(work, ignore_errors=True)

    def plan(self, command, sync, cuts):
        """(operation, microseconds into it or None for just before it) from a clean run's counts."""
        work = os.path.join(self.shop.work, f"clean-{command}-{sync}")
        image = os.path.join(work, "card.img")
        os.makedirs(work)
        shutil.copy(self.before_image, image)
        run = fatcard.boot(image, [self.commands[command]], work=os.path.join(work, "uml"), sync=sync,
                           env={"LD_PRELOAD": self.shim, "KX_CUT_REPORT": 1})
        ops = next(int(line.split()[1]) for line in run.console if line.startswith("@@ops"))
        flushes = [[int(x) for x in line.split()[1:3]] for line in run.console if line.startswith("@@sync")]
        self.t.check(f"{command}, {'sync' if sync else 'async'}: the command flushes the card", flushes, run.console[-5:])
        flush, flush_us = flushes[0] if flushes else (ops, 1000)
        shutil.rmtree(work, ignore_errors=True)
        moments = []
        if sync:
            # Spread over every operation; alternately just before one and some way into it.
            for k in range(cuts):
                op = min(ops, 1 + (k * ops) // cuts + (k % 3))
                moments.append((op, None if k % 2 == 0 else (100, 400, 1000, 3000)[k // 2 % 4]))
        else:
            # Nothing reaches the card before the flush but what the kernel writes back by itself:
            # a few cuts before it, the rest spread through the flush and just past it.
            early = max(1, cuts // 5)
            for k in range(early):
                moments.append((1 + (k * flush) // early, None))
            late = cuts - early
            for k in range(late):
                moments.append((flush, int(1.2 * flush_us * (k + 0.5) / late)))
        print(f"{command}, {'sync' if sync else 'async'}: {ops} operations, the flush at {flush}"
              f" ({flush_us} us); {len(moments)} cuts", flush=True)
        return moments


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build/linux")
    parser.add_argument("--cuts", type=int, default=int(os.environ.get("KX_POWER_CUTS", "10")),
                        help="cuts a command, half of them with each mount (default 10; KX_POWER_CUTS)")
    parser.add_argument("--full", action="store_true", help="40 cuts a command")
    parser.add_argument("--only", help="write, erase or rename")
    parser.add_argument("--mount", choices=("sync", "async"), help="only this way of mounting")
    args = parser.parse_args()
    cuts = 40 if args.full else args.cuts
    shop = Workshop(args.build)
    try:
        s = Scenario(shop, args)
        for command in ("write", "erase", "rename"):
            if args.only and command != args.only:
                continue
            for sync in (True, False) if not args.mount else (args.mount == "sync",):
                n = cuts if args.mount else cuts // 2 + (cuts % 2 if sync else 0)
                for at, delay in s.plan(command, sync, n):
                    s.cut_case(command, sync, at, delay)
        print(f"{s.cases} cuts; " + "; ".join(f"{k}: {v}" for k, v in sorted(s.seen.items())))
        return s.t.finish()
    finally:
        shop.close()


if __name__ == "__main__":
    sys.exit(main())
