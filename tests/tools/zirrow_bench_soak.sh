#!/usr/bin/env bash
# Plays the bundled demo headless for 30 minutes of game time at a fixed step, firing
# every half second and turning, and checks what a long game needs: the flock fails
# every time limit for the whole run, firing still works after every wrap of the
# scene's clock, the flock stays within the level, rockets and their debris expire,
# and the memory that the level holds does not grow once the first loop has run.
# Usage: zirrow_bench_soak.sh ZIRROW_BENCH ZIRROW_LEVEL [--sanitized]
# (under the sanitizers freed memory stays held on purpose: the memory checks are left out).
set -u
bench=$1
level_tool=$2
sanitized=${3:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$level_tool" demo "$dir" >/dev/null || { echo "zirrow-level demo failed"; exit 1; }
step=0.0333333
frames=54000
fire_every=15
"$bench" --no-draw --json --frames "$frames" --step "$step" --fire-every "$fire_every" \
  --turn 0,20 --sample-every 900 "$dir/demo.zrw" >"$dir/run.json"
status=$?
if [ "$status" -ne 0 ]; then echo "zirrow-bench: exit status $status"; exit 1; fi

python3 - "$dir/run.json" "$step" "$frames" "$fire_every" "$sanitized" <<'EOF'
import json
import sys

path, step, frames, fire_every, sanitized = sys.argv[1:6]
step, frames, fire_every = float(step), int(frames), int(fire_every)
run = json.load(open(path))
events, samples = run["events"], run["samples"]
problems = []

def frames_of(kind):
    return [event["frame"] for event in events if event["kind"] == kind]

if run["frames"] != frames:
    problems.append(f"{run['frames']} frames played, not {frames}")

# A fail event every time limit, from the start to the end of the run.
limit = run["timeLimit"]
fails = frames_of("fail")
if limit <= 0:
    problems.append("the demo's flock has no time limit")
else:
    ends = [0] + fails + [frames - 1]
    for before, after in zip(ends, ends[1:]):
        seconds = (after - before) * step
        last = after == frames - 1
        if (not last and abs(seconds - limit) > step + 1e-6) or (last and seconds > limit + step):
            what = "the end of the run" if last else f"the fail event at frame {after}"
            problems.append(f"{seconds:.4f} s from frame {before} to {what}; the timer bar "
                            f"runs {limit} s")
            break
if frames_of("win"):
    problems.append(f"the scripted flight won at frames {frames_of('win')}; it should only fail")

# Firing works after every wrap: every scripted shot launched.
wraps = frames_of("wrap")
if len(wraps) < 7:
    problems.append(f"only {len(wraps)} wraps of the scene's clock in 30 minutes")
launched = set(frames_of("launch"))
missed = [frame for frame in range(0, frames, fire_every) if frame not in launched]
if missed:
    after = [wrap for wrap in wraps if wrap <= missed[0]]
    since = f"after the wrap at frame {after[-1]}" if after else "before any wrap"
    problems.append(f"{len(missed)} shots did not launch, the first at frame {missed[0]} ({since})")

# The flock stays within the level's bounds.
low, high = run["levelBounds"]["minimum"], run["levelBounds"]["maximum"]
for sample in samples:
    flock = sample["flock"]
    if sample["flockMembers"] == 0:
        continue
    inside = all(low[i] <= flock["minimum"][i] and flock["maximum"][i] <= high[i] for i in range(3))
    if not inside:
        problems.append(f"at frame {sample['frame']} the flock spans {flock}, outside the level "
                        f"{run['levelBounds']}")
        break

# Rockets and debris expire: what the first loop held bounds what the later ones hold.
first_loop = [sample for sample in samples if not wraps or sample["frame"] < wraps[0]]
later = [sample for sample in samples if wraps and sample["frame"] >= wraps[0]]
if not any(sample["expiring"] for sample in samples):
    problems.append("no sample holds an expiring node: the rockets are not seen")
for field in ("expiring", "nodes"):
    bound = max(sample[field] for sample in first_loop)
    grown = [sample for sample in later if sample[field] > bound]
    if grown:
        problems.append(f"{grown[-1][field]} {field} at frame {grown[-1]['frame']}, more than "
                        f"the {bound} of the first loop")

# Memory: after the first loop (warm-up) neither the heap that the level holds nor the
# resident memory grows.
if sanitized != "--sanitized" and later:
    base = later[0]
    for field, allowed in (("heapKilobytes", 8), ("residentKilobytes", 64)):
        if base[field] == 0:
            problems.append(f"zirrow-bench reports no {field}")
            continue
        top = max(later, key=lambda sample: sample[field])
        if top[field] > base[field] + allowed:
            problems.append(f"{field} grew from {base[field]} at frame {base['frame']} to "
                            f"{top[field]} at frame {top['frame']} (allowed: {allowed})")
    print(f"heap {base['heapKilobytes']} KB at frame {base['frame']}, "
          f"{samples[-1]['heapKilobytes']} KB at frame {samples[-1]['frame']}; resident "
          f"{base['residentKilobytes']} KB, then {samples[-1]['residentKilobytes']} KB")

print(f"{len(fails)} fail events, {len(wraps)} wraps, {len(launched)} launches")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
EOF
