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


def boot(t, shop, name, mib, commands, sync=False):
    image = os.path.join(shop.work, name + ".img")
    fatcard.make_image(image, mib)
    run = fatcard.boot(image, commands, work=os.path.join(shop.work, name), sync=sync)
    status, text = fatcard.fsck(image)
    t.check(f"{name}: fsck.vfat -n clean", status == 0 and "Free cluster summary" not in text, text)
    return run


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
        run = boot(t, shop, "card", 64, [
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
        r = run.results
        t.check("write of 100 designs", r[0] and r[0][0] == 0, r[0])
        t.check("list of 100 designs", r[1] and len(lines(r[1][1])) == 100, r[1])
        folder_matches(t, "100 designs", os.path.join(run_dir(shop, "card"), "snap"), expected, all100)
        t.check("read of three, one named in another case", r[3] and r[3][0] == 0, r[3])
        for n in ("D000.kxd", "D050.kxd", "D099.kxd"):
            folder = os.path.join(run_dir(shop, "card"), "read")
            got = os.listdir(folder) if os.path.isdir(folder) else []
            t.check(f"read {n} whole", any(f.lower() == n.lower() and same_file(
                os.path.join(run_dir(shop, "card"), "read", f), os.path.join(expected, n)) for f in got), got)
        t.check("verify of the written card: sound", r[4] and r[4][0] == 0, r[4])
        t.check("erase of ten", r[5] and r[5][0] == 0, r[5])
        t.check("erase leaves 90 and none of the ten", r[6] and lines(r[6][1]) and len(lines(r[6][1])) == 91
                and lines(r[6][1])[-1] == "0", r[6])
        t.check("rename shows in the folders", r[7] and r[7][0] == 0 and "Roses" in r[7][1], r[7])
        t.check("write of long and mixed-case names", r[8] and r[8][0] == 0, r[8])
        listed = r[9][1] if r[9] else ""
        t.check("long and mixed-case names listed and kept as given",
                all(listed.count(n) >= 2 for n in NAMED) and all(
                    listed.count(n[:-4] + ".kxt") == 1 for n in NAMED if n.endswith(".kxd")), listed)
        t.check("read by a name in another case", r[10] and r[10][0] == 0 and same_file(
            os.path.join(run_dir(shop, "card"), "named", "MiXeD CaSe.kxd"), os.path.join(named, "MiXeD CaSe.kxd")),
            r[10])
        t.check("write of 100 into a folder of 900 files", r[11] and r[11][0] == 0, r[11])
        t.check("1 000 files: 100 designs listed among 1 100 files", r[12] and lines(r[12][1]) == ["100", "1100"],
                r[12])
        t.check("1 000 files: erase of 50 leaves 50", r[13] and r[13][0] == 0 and lines(r[13][1]) == ["50"], r[13])
        findings = json.loads(r[14][1])["findings"] if r[14] and r[14][1].startswith("{") else None
        t.check("verify: only the 900 foreign files", findings is not None and len(findings) == 900 and all(
            f["problem"] == "foreign-entry" and f["folder"] == "EmbF8" for f in findings),
            findings and [f for f in findings if f["problem"] != "foreign-entry"][:5])
        folder_matches(t, "crowded folder", os.path.join(run_dir(shop, "card"), "f8"), expected,
                       [f"D{i:03d}.{e}" for i in range(50, 100) for e in ("kxd", "kxt")])

        # The earlier layout: refused, nothing moves; accepted, its folders become EmbF5 and EmbF6.
        five = " ".join(f'"{expected}"/D00{i}.*' for i in range(5))
        run = boot(t, shop, "migration", 32, [
            f"mkdir $CARD/EMB_FILE $CARD/PC_LINK && cp {five} $CARD/EMB_FILE/",
            f"{kx} --no check; echo exit $?; ls $CARD",
            f"{kx} --yes check && ls $CARD && {kx} list 0",
            f"{kx} verify",
        ])
        r = run.results
        t.check("migration refused: exit 3, nothing moved", r[1] and "exit 3" in r[1][1] and "EMB_FILE" in r[1][1]
                and "EmbF5" not in r[1][1], r[1])
        out = r[2][1] if r[2] else ""
        t.check("migration accepted: EmbF5 holds the five designs", r[2] and r[2][0] == 0 and "EMB_FILE" not in out
                and "PC_LINK" not in out and "EmbF6" in out and out.count(".kxd") == 5, r[2])
        t.check("migrated card sound", r[3] and r[3][0] == 0, r[3])

        # A card too small: the card's own message, designs written whole up to it, no part left.
        run = boot(t, shop, "full", 4, [
            f"{kx} --yes write EmbF5 {d}/*.kxd",
            f"{kx} list 0; ls -a $CARD/EmbF5",
            f"mkdir {W}/snap && cp $CARD/EmbF5/* {W}/snap/",
            f"{kx} verify",
        ])
        r = run.results
        t.check("full card: exit 2 and \"Out of memory space.\"", r[0] and r[0][0] == 2
                and "Error: Out of memory space." in r[0][2], r[0])
        snap = os.path.join(run_dir(shop, "full"), "snap")
        kept = sorted(os.listdir(snap)) if os.path.isdir(snap) else []
        t.check("full card: some designs written", len(kept) >= 20, kept)
        t.check("full card: no side file", all(f.endswith((".kxd", ".kxt")) for f in kept), kept)
        for f in kept:
            t.check(f"full card: {f} whole", same_file(os.path.join(snap, f), os.path.join(expected, f)))
        t.check("full card: every design with its thumbnail",
                sorted(f[:-1] + "t" for f in kept if f.endswith("d")) == [f for f in kept if f.endswith("t")], kept)
        t.check("full card: verify sound", r[3] and r[3][0] == 0, r[3])
    finally:
        shop.close()
    return t.finish()


def run_dir(shop, name):
    return os.path.join(shop.work, name)


if __name__ == "__main__":
    sys.exit(main())
