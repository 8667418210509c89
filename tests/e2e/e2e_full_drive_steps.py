"""A target drive that fills up, end to end: a small drive of its own (a tmpfs, mounted in a
private mount namespace, is F: of the machine). Whatever was written is byte for byte what a
backup with room writes; /backup ends with code 1 and names the full disk; without its report
the backup is called one not to restore, and /verify and /restore refuse it; with room for the
report but not for the program, the report is written and verifies."""
import os
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TICKS = ["{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0000", "{5a1f0002-7c3e-4b1a-9d2f-0e5b8c6a1002}\\0000",
         "{5a1f0002-7c3e-4b1a-9d2f-0e5b8c6a1002}\\0001"]
# Space for the first driver's INF and a few of its files (a file takes a 4 KB page at least);
# then space for every driver file and the report, but not for the 600 KB program. (The two
# display drivers share a folder: two folders to check.)
NO_ROOM = "24k"
NO_ROOM_FOR_THE_PROGRAM = "160k"
# Inside the namespace: mount, run the commands, keep what the drive holds, end the machine's
# server (it saw the mount; the next command outside starts a new one).
INSIDE = r'''
set -u
mount -t tmpfs -o size="$1" tmpfs "$2" || exit 90
shift 2
out=$1; shift
n=0
while [ $# -gt 0 ]; do
    n=$((n + 1))
    args=()
    while [ $# -gt 0 ] && [ "$1" != ";" ]; do args+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    "${args[@]}" >"$out/$n.out" 2>"$out/$n.err"
    echo $? >"$out/$n.rc"
done
cp -a "$MNT/." "$out/drive"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit 0
'''


def mount_namespace_why_not():
    """"" when a private mount namespace with a tmpfs can be made here, else why not."""
    probe = ["unshare", "-m", "--propagation", "private", "sh", "-c", "mount -t tmpfs -o size=8k tmpfs /mnt"]
    try:
        r = subprocess.run(probe, capture_output=True, text=True, timeout=30)
    except FileNotFoundError:
        return "unshare is not installed"
    return "" if r.returncode == 0 else f"no private mount namespace with a tmpfs here: {r.stderr.strip()}"


def run_full_drive_steps(s):
    drive_c = s.prefix / "drive_c"
    mount_point = s.out / "small-drive"
    letter = s.prefix / "dosdevices" / "f:"

    def on_small_drive(size, commands, name):
        """Runs each command (a list of arguments to the program) with F: a drive of size bytes;
        returns [(code, out, err)] and the folder holding what the drive held at the end."""
        kept = s.out / f"full-{name}"
        subprocess.run(["rm", "-rf", str(kept)], check=True)
        (kept / "drive").mkdir(parents=True)
        mount_point.mkdir(exist_ok=True)
        if letter.is_symlink() or letter.exists():
            letter.unlink()
        letter.symlink_to(mount_point)
        # The machine's server must see the mount: end it, the namespace starts its own.
        subprocess.run(["wineserver", "-k"], env=s.env, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=s.env, capture_output=True)
        argv = []
        for c in commands:
            argv += s.wine_cmd(s.exe, *c) + [";"]
        env = dict(s.env, MNT=str(mount_point))
        try:
            r = subprocess.run(["unshare", "-m", "--propagation", "private", "bash", "-c", INSIDE, "inside", size,
                                str(mount_point), str(kept), *argv], env=env, capture_output=True, text=True,
                               timeout=600)
        finally:
            letter.unlink()
        s.expect(r.returncode == 0, f"the small drive: {r.returncode} {r.stderr}")
        results = []
        for n in range(1, len(commands) + 1):
            read = lambda ext: (kept / f"{n}.{ext}").read_bytes().decode("cp1252").replace("\r", "")
            results.append((int(read("rc")), read("out"), read("err")))
        return results, kept / "drive"

    def same_as_with_room(drive, reference):
        """Every file the small drive holds is the reference backup's file of that name, whole."""
        files = [p for p in drive.rglob("*") if p.is_file()]
        s.expect(files, "nothing was written to the small drive")
        for p in files:
            rel = p.relative_to(drive)
            if rel.name.lower().startswith("backup-report"):
                continue
            want = reference / rel
            s.expect(want.is_file() and want.read_bytes() == p.read_bytes(), f"{rel} is not the file a backup with "
                     f"room writes ({p.stat().st_size} bytes)")

    def full_drive_loses_nothing_and_claims_nothing():
        reference = drive_c / "e2e-full-reference"
        rc, out, err = s.cli("/backup", "C:\\e2e-full-reference", "/id", *TICKS)
        s.expect(rc == 0, f"the backup with room gave {rc}: {out} {err}")
        backup = ["/backup", "F:\\", "/id", *TICKS]
        (b, v, r), drive = on_small_drive(NO_ROOM, [backup, ["/verify", "F:\\"], ["/restore", "F:\\"]], "no-room")
        s.expect(b[0] == 1 and "Disk full." in b[1] + b[2], f"/backup onto a full drive gave {b}")
        s.expect("do not restore from it" in b[2] and not (drive / "Zorvane" / "backup-report.csv").exists(),
                 f"without its report the backup is not called one not to restore: {b}")
        same_as_with_room(drive, reference)
        s.expect(v[0] == 3 and "No backup report was found in F:\\." in v[2], f"/verify gave {v}")
        s.expect(r[0] == 3 and "is a backup whose report is missing" in r[1] + r[2], f"/restore gave {r}")
        s.expect(not (drive / "restore-report.csv").exists(), "the refused restore wrote a report")

        (b, v), drive = on_small_drive(NO_ROOM_FOR_THE_PROGRAM, [backup, ["/verify", "F:\\"]], "no-room-for-program")
        s.expect(b[0] == 1 and (drive / "Zorvane" / "backup-report.csv").is_file(), f"/backup gave {b}")
        s.expect(not (drive / "Zorvane" / "Zorvane.exe").exists(), "a program copy cut short is left")
        same_as_with_room(drive, reference)
        s.expect(v[0] == 0 and "2 drivers checked: 2 intact, 0 damaged." in v[1], f"/verify gave {v}")

    name = ("a drive that fills up: what is written is whole, code 1, the full disk named; no report: refused by "
            "/verify and /restore; no room for the program: the report is written and verifies")
    why = mount_namespace_why_not()
    if why:
        print(f"skip  {name}: {why}", flush=True)
    else:
        s.step(name, full_drive_loses_nothing_and_claims_nothing)
