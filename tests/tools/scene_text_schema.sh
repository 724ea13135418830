#!/usr/bin/env bash
# Validates the text form that zirrow-level dump --json prints for the demo, every
# fuzz seed that it can print and the JSON of the examples against the JSON Schema
# in docs/, with Debian's python3-jsonschema (Draft 2020-12).
set -u
tool=$1
schema=$2
fuzz=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$tool" demo "$dir/demo" >/dev/null || { echo "demo could not be written"; exit 1; }
"$tool" dump --json "$dir/demo/demo.zrw" > "$dir/demo.json" || { echo "demo: no text form"; exit 1; }
examples=$(dirname "$schema")/../examples
cp "$examples/example.json" "$dir/example.json"
"$tool" build "$examples/example.json" -o "$dir/example.zrw" >/dev/null &&
  "$tool" dump --json --names "$dir/example.zrw" > "$dir/example-named.json" ||
  { echo "example: no text form by name"; exit 1; }
count=0
for seed in "$fuzz"/seeds/level-file/*.zrw "$fuzz"/regressions/scene-round-trip/*.zrw; do
  name=$(basename "$seed" .zrw)
  if "$tool" dump --json "$seed" > "$dir/$name.json" 2>/dev/null; then
    count=$((count + 1))
  else
    rm -f "$dir/$name.json"
  fi
done
if [ "$count" -lt 78 ]; then echo "only $count seeds have a text form"; exit 1; fi

python3 - "$schema" "$dir"/*.json <<'PY'
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
failed = 0
for path in sys.argv[2:]:
    for error in validator.iter_errors(json.load(open(path))):
        where = "/".join(str(part) for part in error.absolute_path)
        print(f"{path}: {where}: {error.message[:300]}")
        failed = 1
        break
# The validator must refuse what the schema forbids, or the checks above mean nothing.
bad = {"objects": [{"class": "FmMesh", "fields": {"vertices": "many"}}]}
if validator.is_valid(bad):
    print("the schema accepts a mesh whose vertices are a string")
    failed = 1
print(f"{len(sys.argv) - 2} dumps checked against the schema")
sys.exit(failed)
PY
