#!/usr/bin/env bash
# Fails on C++ code that does not follow .clang-format, and on lines longer
# than 120 characters. Run by the test command.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${files[@]}"
long=$(python3 - "${files[@]}" <<'PY'
import sys
for name in sys.argv[1:]:
    with open(name, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            if len(line.rstrip('\n')) > 120:
                print(f'{name}:{number}: {len(line.rstrip())} characters')
PY
)
if [ -n "$long" ]; then
  echo "Lines over 120 characters:"
  echo "$long"
  exit 1
fi
echo "Style: ${#files[@]} files follow the house style."
