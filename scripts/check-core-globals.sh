#!/usr/bin/env bash
# The calculation core keeps no global mutable state: everything a project
# works with lives in its TProjectContext. This lists the data symbols of the
# core libraries (initialised data and zero-filled data) and fails on any
# that is not one of the constant tables and constant look-ups below, so that
# a new global variable cannot creep back in unnoticed.
#   scripts/check-core-globals.sh BUILD_DIR
set -euo pipefail
build="${1:?usage: check-core-globals.sh BUILD_DIR}"
libs=(catalogue/libcatalogue.a model/libmodel.a project_io/libproject_io.a storage/libstorage.a designer/libdesigner.a
      designer/dialogs/libdesigner_dialogs.a calculator/libcalculator.a document/libdocument.a)

# Constant data that the linker places in writable sections only because it
# holds pointers (relocated at load time) or is built on first use.
allowed='^(typeinfo for |vtable for |guard variable for |_)'
allowed+='|^voltaris::(PanelOptsTable|BatteryNames|PanelToolbarSets|NetBitOptsTable|DeviceTypeTable|BuiltInPaletteText)$'
allowed+='|^voltaris::\(anonymous namespace\)::(TileClasses|Checks|DegradeItems|NoLines|Legend)$'
allowed+='|^voltaris::TCanvas::TileClassNames\[abi:cxx11\]\(\)::names(\[abi:cxx11\])?$'
allowed+='|^voltaris::RealFileSystem\(\)::files$'
# Clang's own name for the constant array behind a braced list of pointers
# (`for (const char* name : {"a", "b"})`), local to its object file.
allowed+='|^constinit(\.[0-9]+)?$'
# The index's writer holds nothing, as the file system beside it.
allowed+='|^voltaris::RealIndexWriter\(\)::writer$'

status=0
for lib in "${libs[@]}"; do
  found=$(nm -C --defined-only "$build/$lib" | awk '$2 ~ /^[bBdD]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' |
            grep -Ev "$allowed" || true)
  if [ -n "$found" ]; then
    sed "s|^|check-core-globals: $lib holds the global variable |" <<<"$found" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "check-core-globals: no global mutable state in ${libs[*]}"
exit "$status"
