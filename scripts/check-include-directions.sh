#!/usr/bin/env bash
# Checks that the libraries depend one way: every #include "folder/..." of a
# source must name its own folder or one its folder may use, as the table
# below says (the README's and docs/DESIGN.md's dependency line in full),
# and nothing below the Qt layer includes a Qt header. Prints each
# offending include with its file and line; exit status 1 when there is one.
# Inside the editor, the parts (session, canvas controller, summary
# presenter) reach it through their contexts: only the designer itself and
# its document adapter include designer/designer.h.
#   scripts/check-include-directions.sh [source-dir]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# folder: the folders its sources may include from (besides its own). A
# longer path (a file, or a folder inside another) wins over a shorter one.
table='
catalogue:
model: catalogue
project_io: catalogue model
storage: catalogue model project_io
calculator: catalogue model
document: catalogue model
designer/dialogs: catalogue model project_io storage
designer: catalogue model project_io storage designer/dialogs document
ui: catalogue model
drawing: catalogue model ui
calculator/ui: catalogue model calculator ui drawing
document/ui: catalogue model document ui drawing
designer/ui: catalogue model project_io storage designer/dialogs designer document calculator ui drawing calculator/ui document/ui
app: catalogue model project_io storage designer/dialogs designer document calculator ui drawing calculator/ui document/ui designer/ui
tools: catalogue model project_io storage document ui drawing document/ui tools
tools/make_examples.cpp: catalogue model project_io storage designer/dialogs designer document
'
# The folders below the Qt layer: no Qt header there.
core='catalogue model project_io storage calculator document designer/dialogs designer'

python3 - "$table" "$core" <<'PY'
import pathlib, re, subprocess, sys

table, core = sys.argv[1], sys.argv[2].split()
allowed = {}
for line in table.strip().splitlines():
    folder, _, uses = line.partition(':')
    allowed[folder.strip()] = set(uses.split()) | {folder.strip()}
folders = sorted(allowed, key=len, reverse=True)
editor_own = {'designer/designer.h', 'designer/designer.cpp', 'designer/designer_document.cpp'}

def owner(path):
    """The longest table entry that `path` lies in (or is)."""
    for folder in folders:
        if path == folder or path.startswith(folder + '/'):
            return folder
    return None

files = subprocess.run(['git', 'ls-files', '--cached', '--others', '--exclude-standard'],
                       capture_output=True, text=True, check=True).stdout.split()
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
bad = []
for name in files:
    if not re.search(r'\.(h|cpp)$', name):
        continue
    here = owner(name)
    if here is None:
        continue
    for number, text in enumerate(pathlib.Path(name).read_text(errors='replace').splitlines(), 1):
        m = include.match(text)
        if not m:
            continue
        kind, target = m.groups()
        if kind == '<':
            if here in core and re.match(r'Q[A-Za-z]+(/|$)|qt', target):
                bad.append(f'{name}:{number}: {text.strip()} (no Qt below the Qt layer)')
            continue
        if here == 'designer' and target == 'designer/designer.h' and name not in editor_own:
            bad.append(f'{name}:{number}: {text.strip()} (a part of the editor reaches it through its context)')
            continue
        there = owner(target)
        if there is not None and there not in allowed[here]:
            bad.append(f'{name}:{number}: {text.strip()} ({here} may not include from {there})')
for line in bad:
    print(line)
if bad:
    print(f'check-include-directions: {len(bad)} include(s) against the direction of the libraries')
    sys.exit(1)
print('check-include-directions: every include follows the direction of the libraries')
PY
