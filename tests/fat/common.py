"""What the FAT card suite and the power-cut test share: the tally, the designs and the card
bytes a complete write stores, made by the tool's own builds."""
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fatcard  # noqa: E402


class Tally:
    """Pass/fail counts; a failure prints its name and what was seen."""

    def __init__(self):
        self.passed = self.failed = 0

    def check(self, name, ok, seen=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL {name}" + (f": {str(seen)[:2000]}" if seen != "" else ""), flush=True)
        return ok

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed", flush=True)
        return 0 if self.failed == 0 else 1


class Workshop:
    """The build's tool and design maker, a work folder under the build folder, designs made by
    kx_make_designs and `expected`: the card folder a complete write of them leaves."""

    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.kxcard = os.path.join(self.build, "kxcard")
        maker = os.path.join(self.build, "kx_make_designs")
        for tool in (self.kxcard, maker):
            if not os.access(tool, os.X_OK):
                sys.exit(f"missing {tool}: cmake --build --preset linux")
        fatcard.install()
        self.work = tempfile.mkdtemp(prefix="fat.", dir=self.build)
        self.maker = maker

    def designs(self, count, name):
        """`count` designs D000.kxd... in a folder of their own (design i depends on count too)."""
        folder = os.path.join(self.work, name)
        thumbs = os.path.join(self.work, name + "-thumbnails")
        os.makedirs(folder), os.makedirs(thumbs)
        subprocess.run([self.maker, str(count), folder, thumbs], check=True)
        return folder

    def complete_write(self, designs, name):
        """The card folder a complete write of every design in `designs` leaves, on a local card."""
        card = os.path.join(self.work, name)
        os.makedirs(card)
        files = sorted(os.path.join(designs, f) for f in os.listdir(designs))
        subprocess.run([self.kxcard, "--card", card, "--yes", "write", "EmbF5"] + files, check=True,
                       stdout=subprocess.DEVNULL)
        return os.path.join(card, "EmbF5")

    def kx(self):
        """The tool as the commands inside the kernel call it, before --card."""
        return f"{self.kxcard} --card \"$CARD\""

    def close(self):
        shutil.rmtree(self.work, ignore_errors=True)


def same_file(a, b):
    return bool(a and b) and os.path.isfile(a) and os.path.isfile(b) and filecmp.cmp(a, b, shallow=False)


def lines(text):
    return [line for line in text.splitlines() if line.strip()]
