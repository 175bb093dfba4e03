#!/usr/bin/env python3
"""The card commands on the kernel's own FAT16 driver (user-mode Linux): write, read, erase,
rename, verify and the layout migration; 100 designs in one folder, a card too small for them,
1 000 files in one folder, long and mixed-case names; `fsck.vfat -n` clean after each boot.

    python3 tests/fat/suite.py [BUILD_DIR]          (default build/linux)
"""
import json
import os
import shutil
import sys

from common import Tally, Workshop, fatcard, lines, same_file

# Long, mixed-case and spaced names the card keeps as given (in long-name entries).
NAMED = ["Rose Garden Evening.kxd", "MiXeD CaSe.kxd", "lower.kxd", "UPPER.KXD", "AVeryLongDesignNameIndeed.kxd"]


def boot(t, shop, name, mib, commands):
    """Each command's (status, stdout, stderr) or None, and the boot's work folder ($W)."""
    image = os.path.join(shop.work, name + ".img")
    fatcard.make_image(image, mib)
    run = fatcard.boot(image, commands, work=os.path.join(shop.work, name))
    status, text = fatcard.fsck(image)
    t.check(f"{name}: fsck.vfat -n clean", status == 0 and "Free cluster summary" not in text, text)
    return run.results, os.path.join(shop.work, name)


def out(r, i):
    return r[i][1] if r[i] else ""


def ran(t, r, i, name, *also):
    """Command i ran and exited 0, and each of `also` holds."""
    return t.check(name, bool(r[i]) and r[i][0] == 0 and all(also), r[i])


def folder_matches(t, label, got, expected, names):
    for n in names:
        t.check(f"{label}: {n} as a complete write stores it", same_file(os.path.join(got, n), os.path.join(expected, n)))


def main():
    t = Tally()
    shop = Workshop(sys.argv[1] if len(sys.argv) > 1 else "build/linux")
    try:
        designs = shop.designs(100, "designs")
        expected = shop.complete_write(designs, "local")
        named = os.path.join(shop.work, "named")
        os.makedirs(named)
        for i, n in enumerate(NAMED):
            shutil.copy(os.path.join(designs, f"D{i:03d}.kxd"), os.path.join(named, n))
        all100 = sorted(os.listdir(expected))
        kx, W = shop.kx(), "$W"
        d = f'"{designs}"'

        # A card of 64 MiB: the user's path over one folder of 100, named designs, a crowded folder.
        erased = " ".join(f"D{i:03d}.kxd" for i in range(10, 20))
        half = " ".join(f"D{i:03d}.kxd" for i in range(50))
        r, w = boot(t, shop, "card", 64, [
            f"{kx} --yes write EmbF5 {d}/*.kxd",                                     # 0
            f"{kx} list 0",                                                           # 1
            f"mkdir {W}/snap && cp $CARD/EmbF5/* {W}/snap/",                          # 2
            f"mkdir {W}/read && {kx} read 0 D000.kxd d050.KXD D099.kxd --to {W}/read",                  # 3
            f"{kx} verify",                                                           # 4
            f"{kx} --yes erase 0 {erased}",                                           # 5
            f"{kx} list 0; ls $CARD/EmbF5 | grep -c 'D01[0-9]'",                      # 6
            f"{kx} rename 2 Roses && {kx} folders",                                   # 7
            f"{kx} --yes write EmbF7 \"{named}\"/*",                                  # 8
            f"{kx} list EmbF7; ls $CARD/EmbF7",                                       # 9
            f"mkdir {W}/named && {kx} read EmbF7 'mixed case.kxd' --to {W}/named",                       # 10
            "i=0; while [ $i -lt 900 ]; do echo $i >$CARD/EmbF8/note$i.txt; i=$((i+1)); done; "
            f"{kx} --yes write EmbF8 {d}/*.kxd",                                      # 11
            f"{kx} list EmbF8 | wc -l; ls $CARD/EmbF8 | wc -l",                       # 12
            f"{kx} --yes erase EmbF8 {half} && {kx} list EmbF8 | wc -l",              # 13
            f"{kx} verify --json",                                                    # 14
            f"mkdir {W}/f8 && cp $CARD/EmbF8/*.kx? {W}/f8/",                          # 15
        ])
        ran(t, r, 0, "write of 100 designs")
        t.check("list of 100 designs", len(lines(out(r, 1))) == 100, r[1])
        folder_matches(t, "100 designs", os.path.join(w, "snap"), expected, all100)
        ran(t, r, 3, "read of three, one named in another case")
        got = os.listdir(os.path.join(w, "read")) if os.path.isdir(os.path.join(w, "read")) else []
        for n in ("D000.kxd", "D050.kxd", "D099.kxd"):
            t.check(f"read {n} whole", any(f.lower() == n.lower() and same_file(
                os.path.join(w, "read", f), os.path.join(expected, n)) for f in got), got)
        ran(t, r, 4, "verify of the written card: sound")
        ran(t, r, 5, "erase of ten")
        t.check("erase leaves 90 and none of the ten", len(lines(out(r, 6))) == 91 and lines(out(r, 6))[-1] == "0", r[6])
        ran(t, r, 7, "rename shows in the folders", "Roses" in out(r, 7))
        ran(t, r, 8, "write of long and mixed-case names")
        listed = out(r, 9)
        t.check("long and mixed-case names listed and kept as given",
                all(listed.count(n) >= 2 for n in NAMED) and all(
                    listed.count(n[:-4] + ".kxt") == 1 for n in NAMED if n.endswith(".kxd")), listed)
        ran(t, r, 10, "read by a name in another case", same_file(
            os.path.join(w, "named", "MiXeD CaSe.kxd"), os.path.join(named, "MiXeD CaSe.kxd")))
        ran(t, r, 11, "write of 100 into a folder of 900 files")
        t.check("1 000 files: 100 designs listed among 1 100 files", lines(out(r, 12)) == ["100", "1100"], r[12])
        ran(t, r, 13, "1 000 files: erase of 50 leaves 50", lines(out(r, 13)) == ["50"])
        findings = json.loads(out(r, 14))["findings"] if out(r, 14).startswith("{") else None
        t.check("verify: only the 900 foreign files", findings is not None and len(findings) == 900 and all(
            f["problem"] == "foreign-entry" and f["folder"] == "EmbF8" for f in findings),
            findings and [f for f in findings if f["problem"] != "foreign-entry"][:5])
        folder_matches(t, "crowded folder", os.path.join(w, "f8"), expected,
                       [f"D{i:03d}.{e}" for i in range(50, 100) for e in ("kxd", "kxt")])

        # The earlier layout: refused, nothing moves; accepted, its folders become EmbF5 and EmbF6.
        five = " ".join(f'"{expected}"/D00{i}.*' for i in range(5))
        r, w = boot(t, shop, "migration", 32, [
            f"mkdir $CARD/EMB_FILE $CARD/PC_LINK && cp {five} $CARD/EMB_FILE/",
            f"{kx} --no check; echo exit $?; ls $CARD",
            f"{kx} --yes check && ls $CARD && {kx} list 0",
            f"{kx} verify",
        ])
        t.check("migration refused: exit 3, nothing moved", "exit 3" in out(r, 1) and "EMB_FILE" in out(r, 1)
                and "EmbF5" not in out(r, 1), r[1])
        moved = out(r, 2)
        ran(t, r, 2, "migration accepted: EmbF5 holds the five designs", "EMB_FILE" not in moved,
            "PC_LINK" not in moved, "EmbF6" in moved, moved.count(".kxd") == 5)
        ran(t, r, 3, "migrated card sound")

        # A card too small: the card's own message, designs written whole up to it, no part left.
        r, w = boot(t, shop, "full", 4, [
            f"{kx} --yes write EmbF5 {d}/*.kxd",
            f"{kx} list 0; ls -a $CARD/EmbF5",
            f"mkdir {W}/snap && cp $CARD/EmbF5/* {W}/snap/",
            f"{kx} verify",
        ])
        t.check("full card: exit 2 and \"Out of memory space.\"", bool(r[0]) and r[0][0] == 2
                and "Error: Out of memory space." in r[0][2], r[0])
        snap = os.path.join(w, "snap")
        kept = sorted(os.listdir(snap)) if os.path.isdir(snap) else []
        t.check("full card: some designs written", len(kept) >= 20, kept)
        t.check("full card: no side file", all(f.endswith((".kxd", ".kxt")) for f in kept), kept)
        folder_matches(t, "full card", snap, expected, kept)
        t.check("full card: every design with its thumbnail",
                sorted(f[:-1] + "t" for f in kept if f.endswith("d")) == [f for f in kept if f.endswith("t")], kept)
        ran(t, r, 3, "full card: verify sound")
    finally:
        shop.close()
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
