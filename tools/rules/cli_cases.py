#!/usr/bin/env python3
"""Runs zorvan-rules on hands worked out by hand and compares its JSON output field by field.

Usage: cli_cases.py PATH-TO-zorvan-rules
"""
import json
import subprocess
import sys

# (arguments, expected exit status, expected fields)
CASES = [
    # Display order: red fives, jokers, trump 3s, trump-rank cards, the suits from ace down.
    ("sort --rank 9 3S 5H BJ AC KS", 0, {"sorted": ["5H", "BJ", "KS", "3S", "AC"]}),
    ("sort --rank 9 --suit C 3S 5H BJ AC KS", 0, {"sorted": ["5H", "BJ", "AC", "KS", "3S"]}),
    ("sort --rank 7 --suit H 7S 7H 7C", 0, {"sorted": ["7H", "7S", "7C"]}),
    ("sort --rank 9 --suit D --threes-a S --threes-b H 2D#4 3H 9C SJ 3S 3D", 0,
     {"sorted": ["SJ", "3S", "3H", "9C", "3D", "2D#4"]}),
    # Analysis.
    ("analyze --rank 7 6S 6S 8S 8S", 0,
     {"suit": 8, "type": 4, "kindMask": 4, "ldLength": 4,
      "rows": {"6": {"count": 2, "kind": 4}, "8": {"count": 2, "kind": 4}}}),
    ("analyze --rank 9 5C 5C 7C 7C", 0,
     {"suit": 2, "type": 3, "kindMask": 2, "ldLength": 0,
      "rows": {"5": {"count": 2, "kind": 2}, "7": {"count": 2, "kind": 2}}}),
    ("analyze --rank 2 3C 3C 4C 4C 5C 5C 9C 9C TC TC", 0, {"type": 3, "kindMask": 4, "ldLength": 4}),
    ("analyze --rank A 3D 3D 4D 4D 6D 6D", 0,
     {"rows": {"3": {"count": 2, "kind": 4}, "4": {"count": 2, "kind": 4}, "6": {"count": 2, "kind": 2}}}),
    ("analyze --rank 7 --suit S AS AS 7H 7H 7S 7S SJ SJ BJ BJ", 0,
     {"suit": 8, "type": 4, "ldLength": 10,
      "rows": {"14": {"count": 2, "kind": 10}, "17": {"count": 2, "kind": 10}, "18": {"count": 2, "kind": 10},
               "21": {"count": 2, "kind": 10}, "22": {"count": 2, "kind": 10}}}),
    ("analyze --rank 7 --suit S AS AS 7S 7S", 0,
     {"type": 3, "rows": {"14": {"count": 2, "kind": 2}, "18": {"count": 2, "kind": 2}}}),
    ("analyze --rank 9 --suit S 5H 5H", 0, {"suit": 8, "type": 2, "rows": {"23": {"count": 2, "kind": 2}}}),
    ("analyze --rank 9 --suit S 5H 5S", 0,
     {"type": 3, "rows": {"5": {"count": 1, "kind": 1}, "23": {"count": 1, "kind": 1}}}),
    ("analyze --rank 7 --suit S --threes-a S 2S 2S 3S 3S 4S 4S", 0,
     {"type": 3, "ldLength": 2,
      "rows": {"2": {"count": 2, "kind": 2}, "4": {"count": 2, "kind": 2}, "20": {"count": 2, "kind": 2}}}),
    ("analyze --rank 9 SJ AC", 0, {"suit": 9}),
    ("analyze --rank 9 --suit S --detail plain 5H 5S", 0, {"rows": {"5": {"count": 2, "kind": 2}}}),
    ("analyze --rank 9 --suit S --as S 5H 5S", 0, {"rows": {"5": {"count": 1, "kind": 1}, "23": {"count": 1, "kind": 1}}}),
    # Follows.
    ("check --rank 9 --suit H --hand AS#1 KS#2 QS#3 JS#4 TS#5 --raise KS QS --lead 2,2,8,0,0", 0,
     {"accepted": True, "bytes": "01000203080001010300010200"}),
    ("check --rank 9 --suit H --hand AS#7 4H#8 4D#9 --raise AS 4H --lead 2,2,8,0,0", 0,
     {"accepted": True, "bytes": "010002030900000708"}),
    ("check --rank 9 --suit H --hand AS#1 KS#2 QS#3 4H#4 --raise AS 4H --lead 2,2,8,0,0", 0, {"accepted": False}),
    ("check --rank 9 --suit H --hand AS KS QS --raise AS KS QS --lead 2,2,8,0,0", 0, {"accepted": False}),
    ("check --rank 9 --suit C --threes-a S --hand 5H#1 BJ#2 9C#3 3S#4 2H#5 --raise 5H BJ 9C 3S --lead 4,3,2,1,1", 0,
     {"accepted": True}),
    # Leads.
    ("check --rank 9 --suit H --hand 4S#1 4S#2 KS#3 --raise 4S 4S KS", 0,
     {"accepted": True, "bytes": "0200030308000302010200010300"}),
    ("check --rank 9 --hand AH AC --raise AH AC", 0, {"accepted": False}),
    ("check --rank 7 --suit H --hand 6C#1 6C#2 8C#3 8C#4 --raise 6C 6C 8C 8C", 0,
     {"accepted": True, "bytes": "0200040402000401020304"}),
    ("check --rank 9 --hand AS#1 AS#2 --raise AS#2", 0, {"accepted": True, "bytes": "0200010108000002"}),
    ("check --rank 9 --hand AS --raise KS", 2, {}),
    # Throw encoding.
    ("encode --rank 5 KH#1 KH#2 AH#3", 0, {"bytes": "02010200010300"}),
    ("encode --rank 7 6C#1 6C#2 8C#3 8C#4 TC#5", 0, {"bytes": "04020102030400010500"}),
    ("encode --rank 7 --suit S --threes-b H 7S#1 7S#2 SJ#3 SJ#4 BJ#5 BJ#6 3H#7", 0,
     {"bytes": "040301020304050600010700"}),
    ("encode --rank 9 3D#1 3D#2 4D#3 4D#4", 0, {"bytes": "04020102030400"}),
    # Hints.
    ("hint --rank 9 --hand AS 4D 4D", 0, {"raise": ["4D", "4D"]}),
    ("hint --rank 9 --hand 4D 4D", 0, {"raise": ["4D"]}),
    ("hint --rank 9 --hand AS 4D --lead 2,2,2,0,0", 0, {"raise": ["AS", "4D"]}),
    ("hint --rank 9 --hand AS KS 4D --lead 1,1,2,0,0", 0, {"raise": ["4D"]}),
    ("hint --rank 9 --hand AS KS 4D --lead 2,2,1,0,0", 0, {"raise": ["KS", "4D"]}),
    ("hint --rank 9 --hand AS KS 9S 4D --lead 2,2,8,0,0", 0, {"raise": ["AS", "KS"]}),
    ("hint --rank 2 --hand AS KS 9C 4D --lead 2,2,4,0,0", 0, {"raise": ["9C", "4D"]}),
    ("hint --rank 9 --hand AS KS 9C 4D 3D --lead 3,3,8,0,1", 0, {"raise": ["AS", "KS", "3D"]}),
    ("hint --rank 2 --hand KS KS 9S 9S 8S 5S 4S 4S 3D --lead 4,3,8,0,2", 0,
     {"raise": ["9S", "9S", "4S", "4S"]}),
    ("hint --rank 2 --hand 7S 7S 6S 6S 5S 5S 3D --lead 4,4,8,0,4", 0, {"raise": ["6S", "6S", "5S", "5S"]}),
    ("hint --rank 2 --hand 9S 9S 6S 6S 5S 5S 3D --lead 4,4,8,0,4", 0, {"raise": ["6S", "6S", "5S", "5S"]}),
    ("hint --rank 2 --hand KS KS 9S 9S 8S 8S 7S 7S 5S 4S 3D --lead 5,3,8,0,5 --lead-singles 1 --lead-runs 2", 0,
     {"raise": ["8S", "8S", "7S", "7S", "4S"]}),
    # Errors.
    ("sort XZ", 2, {}),
    ("frobnicate AS", 2, {}),
    ("analyze --rank 1 AS", 2, {}),
]


def main():
    tool = sys.argv[1]
    failures = 0
    for args, status, fields in CASES:
        run = subprocess.run([tool] + args.split(), capture_output=True, text=True)
        try:
            out = json.loads(run.stdout)
        except json.JSONDecodeError:
            print(f"FAIL {args}: not JSON: {run.stdout!r}")
            failures += 1
            continue
        problems = []
        if run.returncode != status:
            problems.append(f"exit {run.returncode}, want {status}")
        if status == 2 and "error" not in out:
            problems.append("no error field")
        for key, want in fields.items():
            if out.get(key) != want:
                problems.append(f"{key}: {out.get(key)!r}, want {want!r}")
        if problems:
            failures += 1
            print(f"FAIL {args}: " + "; ".join(problems))
    print(f"{len(CASES) - failures} of {len(CASES)} cases pass")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
