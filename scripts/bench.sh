#!/usr/bin/env bash
# Builds the benchmarks (RelWithDebInfo) and prints each figure beside its
# goal: the median of three repetitions, interleaved in random order so that
# a drift of the machine's speed touches every benchmark alike. Figures that
# are ratios compare two benchmarks of the same run; the data walks against
# Python come from one benchmark each, which walks in turn with Python.
# Usage: scripts/bench.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
min_time=0.5
[ "${1:-}" = "--quick" ] && min_time=0.1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for b in build/bin/bench_*; do
  name=$(basename "$b")
  SVX_DISPLAY=headless "$b" --benchmark_min_time="$min_time" --benchmark_format=json \
    --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    >"$out/$name.json" 2>"$out/$name.err" || echo "$name failed: $(tail -1 "$out/$name.err")" >&2
done

python3 - "$out" <<'PY'
import glob, json, os, sys

results = {}
peers = {}  # a walk's counter per_python: its time over Python's, walked in turn
for path in glob.glob(os.path.join(sys.argv[1], "*.json")):
    try:
        data = json.load(open(path))
    except ValueError:
        continue
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") != "median": continue
            b["name"] = b["run_name"]
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        ns = b["real_time"] * scale
        if "per_item" in b:  # seconds per item, for batched script loops
            ns = b["per_item"] * 1e9
        results[b["name"]] = ns
        if "per_python" in b:
            peers[b["name"]] = b["per_python"]

asked = set()  # every benchmark a figure below reads

def ns(name):
    asked.add(name)
    return results.get(name)

def ratio(a, b):
    x, y = ns(a), ns(b)
    return x and y and x / y

def beside_python(walk):
    name = walk + "/manual_time"
    asked.add(name)
    return peers.get(name)

def fmt(v):
    if v is None: return "missing"
    if v >= 1e6: return "%.3f ms" % (v / 1e6)
    if v >= 1e3: return "%.2f us" % (v / 1e3)
    return "%.0f ns" % v

# figure, measured (ns or ratio), goal, unit
rows = [
    ("call by name on Dialog (property get), in process", ns("BM_DialogPropertyGetByName"), 100, "ns"),
    ("ten arguments, four by reference, in process", ns("BM_CallByNameTenOptionalFourByRef"), 150, "ns"),
    ("property get from a script / trivial host function",
     ratio("BM_ScriptPropertyGet", "BM_ScriptTrivialHostFunction"), 3, "x"),
    ("GetCommand, eleven arguments, from a script / trivial host function",
     ratio("BM_ScriptGetCommandElevenArguments", "BM_ScriptTrivialHostFunction"), 15, "x"),
    ("event, four by-reference arguments, to a script function", ns("BM_ScriptEventFourByRefToFunction"), 1500, "ns"),
    ("event with no handler connected, whole chain", ns("BM_ScriptEventFourByRefNoHandler"), 300, "ns"),
    ("Load and Unload of 255 elements, from C++", ns("BM_DialogLoadUnload255Commands"), 1e6, "ns"),
    ("Load and Unload of 255 elements, from a script", ns("BM_ScriptLoadUnload255Commands"), 1e6, "ns"),
    ("create and release a Dialog", ns("BM_DialogCreateRelease"), 40e3, "ns"),
    ("Unload per control, 4,080 controls on the form / 16 controls",
     ratio("BM_DialogUnloadControls/4080", "BM_DialogUnloadControls/16"), 1.5, "x"),
    # The walk over 100,000 rows, two fields read per row, against Python's
    # sqlite3 cursor over the same file, walked in turn with it (missing
    # without python3).
    ("walk of 100,000 rows from C++ / Python's sqlite3 cursor", beside_python("DataWalkCpp"), 1, "x"),
    ("walk of 100,000 rows from a script, Field objects taken once / Python's sqlite3 cursor",
     beside_python("DataWalkScript"), 3, "x"),
    ("walk of 100,000 rows from a script, rs.Fields(\"name\").Value / Python's sqlite3 cursor",
     beside_python("DataWalkScriptFieldsByName"), 4, "x"),
    ("DataCtrlOpenData on 100,000 rows", ns("DataCtrlOpenData"), 14e6, "ns"),
    # A person's key is handled within one frame of a 60 Hz screen.
    ("Shift+Down in the help window's longest pane", ns("BM_CaretKeyInTheLongestHelpPane"), 16e6, "ns"),
    # Keys from a script's User.keyPress to a one-line box with no handler:
    # one that changes nothing, one that changes the text, and the same in a
    # text of 8,000 characters (only what is drawn is laid out).
    ("refused key to a one-line box, from a script", ns("BM_ScriptRefusedKeyToAOneLineBox"), 1500, "ns"),
    ("typed key to a one-line box of 10 characters, from a script", ns("BM_ScriptTypedKeyToAOneLineBox/10"), 3000, "ns"),
    ("typed key at 8,000 characters / at 10",
     ratio("BM_ScriptTypedKeyToAOneLineBox/8000", "BM_ScriptTypedKeyToAOneLineBox/10"), 3, "x"),
    ("one log record / open, check type and size, append and close",
     ratio("BM_WriteLogLine", "BM_OpenCheckAppendClose"), 1.2, "x"),
    # ListOfInstalledPrinters against libcups asked directly in the same run.
    ("ListOfInstalledPrinters, scheduler's socket missing / libcups",
     ratio("BM_ListOfInstalledPrinters/case:0/MB:0", "BM_LibcupsListDests/case:0"), 3, "x"),
    ("ListOfInstalledPrinters, nothing listens at the address / libcups",
     ratio("BM_ListOfInstalledPrinters/case:1/MB:0", "BM_LibcupsListDests/case:1"), 3, "x"),
    ("ListOfInstalledPrinters, private scheduler / libcups, new connection per call",
     ratio("BM_ListOfInstalledPrinters/case:2/MB:0", "BM_LibcupsListDests/case:2"), 1.5, "x"),
    ("ListOfInstalledPrinters, private scheduler, process holding 130 MB more / not",
     ratio("BM_ListOfInstalledPrinters/case:2/MB:130", "BM_ListOfInstalledPrinters/case:2/MB:0"), 1.5, "x"),
]
# Ratios shown without a goal: what a figure above rests on.
notes = [
    ("walk by name, the script engine alone (traps that answer at once) / Python's sqlite3 cursor",
     beside_python("DataWalkEngineFloor")),
    ("one log record / open, append and close", ratio("BM_WriteLogLine", "BM_OpenAppendClose")),
    ("  floor: open, check type and size, append and close / open, append and close",
     ratio("BM_OpenCheckAppendClose", "BM_OpenAppendClose")),
]
print("%-70s %14s %12s %8s  %s" % ("figure", "measured", "goal", "ratio", ""))
failed = 0
for figure, value, goal, unit in rows:
    if value is None:
        print("%-70s %14s" % (figure, "missing")); failed += 1; continue
    shown = ("%.2f x" % value) if unit == "x" else fmt(value)
    goal_shown = ("%.2f x" % goal) if unit == "x" else fmt(goal)
    ratio = value / goal
    ok = ratio <= 1.0
    failed += not ok
    print("%-70s %14s %12s %8.2f  %s" % (figure, shown, goal_shown, ratio, "ok" if ok else "OVER"))
for figure, value in notes:
    print("%-70s %14s" % (figure, "missing" if value is None else "%.2f x" % value))
print()
print("other benchmarks:")
for name in sorted(results):
    if name not in asked:
        print("  %-68s %14s" % (name, fmt(results[name])))
sys.exit(1 if failed else 0)
PY
