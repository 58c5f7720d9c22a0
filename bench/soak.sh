#!/usr/bin/env bash
# Soak: converts a few hundred generated files of mixed sizes with quillet-convert, two at a
# time, and checks every drawing (or run-time error) against the reference model.
# Usage: bench/soak.sh [FILES] (default 300). BUILD_DIR picks the build (default build/default).
# Prints the files, bytes read and written, failures (must be 0) and the converter's peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."

files="${1:-300}"
build="${BUILD_DIR:-build/default}"
cmake --build "$build" -j2 --target quillet-convert quillet-model >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/quillet-soak-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The converter's peak memory, from wait4. A child forked by the big generating process would
# start out with that process's memory counted, so a tiny wrapper forks it instead.
cat >"$work/peak-rss.c" <<'C'
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
int main(int argc, char** argv) {
    if (argc < 3)
        return 125;
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0)
        return 125;
    FILE* out = fopen(argv[1], "w");
    if (out)
        fprintf(out, "%ld\n", usage.ru_maxrss);
    if (out)
        fclose(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
C
cc -O2 -o "$work/peak-rss" "$work/peak-rss.c"

/usr/bin/python3 - "$files" "$build/src/cli/quillet-convert" "$build/tests/model/quillet-model" \
    "$work" <<'PY'
import concurrent.futures, os, random, re, subprocess, sys, time

count, convert, model, work = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
rng = random.Random(20240601)

WORDS = [b"alpha", b"beta", b" ", b"  padded  ", b'"quoted', b'text"', b"x" * 40, b"\x00",
         "漢字".encode("cp932"), "かな".encode("cp932"), "ＡＢＣ，ＤＥ".encode("cp932"), b"\x81",
         b"tab\there", b"1234567890"]
ENDINGS = [b"\r\n"] * 6 + [b"\n", b"\r"]

def generate(size, columns):
    lines = []
    length = 0
    while length < size:
        fields = [rng.choice(WORDS) if rng.random() > 0.1 else b""
                  for _ in range(rng.randint(1, 12))]
        line = b",".join(fields) or b","  # a line of one empty field would end the column
        lines.append(line + rng.choice(ENDINGS))
        length += len(lines[-1])
    for _ in range(columns):  # an empty line starts the next column
        lines.insert(rng.randint(0, len(lines)), rng.choice(ENDINGS))
    return (b"\xef\xbb\xbf" if rng.random() < 0.1 else b"") + b"".join(lines)

def spoiled(data):
    # A few files end in an overflow: a line too long, or too many columns for the height.
    if rng.random() < 0.5:
        return data + b"y" * 32768
    return data + b"\r\n" * 40 + b"z"

def sizes():
    for _ in range(count):
        roll = rng.random()
        if roll < 0.6:
            yield rng.randint(0, 10_000)
        elif roll < 0.9:
            yield rng.randint(10_000, 1_000_000)
        else:
            yield rng.randint(1_000_000, 8_000_000)

HEIGHTS = {"100": 100, "1": 1, "-7": -7, "250.5": 250, "0": 0, "1,000": 1000}

jobs = []
for i, size in enumerate(sizes()):
    height = rng.choice(list(HEIGHTS))
    # As many columns as X can hold at that height, so that most files convert completely.
    fitting = 32767 // (10 * abs(HEIGHTS[height])) if HEIGHTS[height] else 40
    data = generate(size, rng.randint(0, min(fitting, 40)))
    if rng.random() < 0.04:
        data = spoiled(data)
    # A folder for each file, so that the other job's unfinished output is not mistaken for
    # one left behind.
    os.mkdir(os.path.join(work, f"{i:04}"))
    path = os.path.join(work, f"{i:04}", "in.csv")
    with open(path, "wb") as f:
        f.write(data)
    jobs.append((path, height, len(data)))

def run(command, rss_file=None):
    if rss_file:
        command = [os.path.join(work, "peak-rss"), rss_file] + command
    done = subprocess.run(command, capture_output=True)
    number = re.search("実行時エラー ([0-9]+)".encode(), done.stderr)
    rss = int(open(rss_file).read()) if rss_file else 0
    return done.returncode, done.stdout, int(number.group(1)) if number else 0, rss

def check(job):
    path, height, _ = job
    engine_out, model_out = path + ".dxf", path + ".model.dxf"
    rc, report, error, rss = run([convert, "--height", height, "-o", engine_out, path],
                                 path + ".rss")
    mrc, mreport, merror, _ = run([model, "--height", height, path, model_out])
    written = os.path.getsize(engine_out) if os.path.exists(engine_out) else 0
    problem = None
    if (rc, error) != (mrc, merror):
        problem = f"engine ended {rc}/{error}, model {mrc}/{merror}"
    elif rc == 0:
        with open(engine_out, "rb") as a, open(model_out, "rb") as b:
            if a.read() != b.read():
                problem = "the drawings differ"
        if report != mreport:
            problem = f"the reports differ: {report!r} / {mreport!r}"
    elif os.path.exists(engine_out):
        problem = "a failed run left a drawing"
    if any(name.startswith(".quillet-") for name in os.listdir(os.path.dirname(path))):
        problem = problem or "an unfinished output was left"
    for leftover in (engine_out, model_out, path, path + ".rss"):
        if os.path.exists(leftover):
            os.remove(leftover)
    return path, problem, written, rss, error

start = time.monotonic()
with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
    results = list(pool.map(check, jobs))
elapsed = time.monotonic() - start

failures = [(p, why) for p, why, *_ in results if why]
for path, why in failures:
    print(f"FAIL {os.path.relpath(path, work)}: {why}")
errors = sum(1 for *_, e in results if e)
print(f"files:        {len(jobs)} ({errors} ending in a run-time error, as the model also does)")
print(f"bytes read:   {sum(size for *_, size in jobs)}")
print(f"bytes written: {sum(r[2] for r in results)}")
print(f"failures:     {len(failures)}")
print(f"peak memory:  {max(r[3] for r in results)} KiB (largest single converter run)")
print(f"time:         {elapsed:.1f} s with 2 jobs")
sys.exit(1 if failures else 0)
PY
