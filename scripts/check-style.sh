#!/usr/bin/env bash
# Fails on C++ code that does not follow .clang-format, on lines longer than
# 120 characters, and on a widget or GUI include anywhere in the core library
# (the compiler lets <QtWidgets/QWidget> through, as Qt's include root is on
# the core's path). Run by the test command.
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
mapfile -t core < <(cmake -P scripts/core-sources.cmake)
gui=$(python3 - "${core[@]}" <<'PY'
import os, re, sys
include = re.compile(r'#\s*include\s*([<"])([^>"]+)[>"]')
gui = re.compile(r'^(QtWidgets|QtGui|QtSvg|QtCharts|QtOpenGL|QtOpenGLWidgets|QtSvgWidgets)/')
seen, todo = set(), list(sys.argv[1:])
while todo:
    name = todo.pop()
    if name in seen or not os.path.exists(name):
        continue
    seen.add(name)
    todo.append(os.path.splitext(name)[0] + '.h')
    with open(name, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            m = include.match(line.strip())
            if not m:
                continue
            if m.group(1) == '<' and gui.match(m.group(2)):
                print(f'{name}:{number}: {line.strip()}')
            elif m.group(1) == '"':
                todo.append(os.path.normpath(os.path.join('src', m.group(2))))
                todo.append(os.path.normpath(os.path.join(os.path.dirname(name), m.group(2))))
PY
)
if [ -n "$gui" ]; then
  echo "The core library (src/Sources.cmake, QV_CORE_SOURCES) includes widgets or GUI:"
  echo "$gui"
  exit 1
fi
# Test files are named in tests/CMakeLists.txt; one left out would never run.
for test in tests/*/*_test.cpp; do
  grep -qw "$(basename "$test")" tests/CMakeLists.txt || { echo "$test is not named in tests/CMakeLists.txt"; exit 1; }
done
echo "Style: ${#files[@]} files follow the house style."
