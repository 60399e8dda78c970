#!/usr/bin/env bash
# Checks the C++ changed since the lint base: clang-format on the changed
# lines (.clang-format), clang-tidy on the changed source files (.clang-tidy,
# with the compile commands of a configured and built tree). Code older than
# the base is left as it is: the tools judge what a change writes, and no
# change has to reformat a whole file.
#   scripts/lint.sh [build-dir]        (default: ./build; `make lint` passes $(BUILD))
#
# The base is .ci/lint-base: a commit of main at which the checks were clean.
# What is linted is everything since the point where HEAD's history meets
# that commit, so a branch made from an older main is linted from where it
# left main, and main itself from the commit named. Committed and uncommitted
# changes count alike; files git does not track yet are not seen.
#
# Moving the base forward keeps the lint quick: once main passes `make lint`,
#   git rev-parse origin/main > .ci/lint-base   (or the merge commit just made)
# and commit that file on main. Name a commit that main keeps (not one of a
# branch that is rebased away), or every later lint stops here with an error.
set -euo pipefail
build=${1:-build}
case "$build" in /*) ;; *) build="$(pwd)/$build" ;; esac
cd "$(dirname "$0")/.."
root=$(pwd)

fail() { echo "lint.sh: $*" >&2; exit 2; }

[ -f .ci/lint-base ] || fail "no .ci/lint-base"
recorded=$(tr -d '[:space:]' < .ci/lint-base)
if git cat-file -e "${recorded}^{commit}" 2>/dev/null; then
  base=$(git merge-base HEAD "$recorded") || fail "HEAD shares no history with the lint base $recorded"
elif git cat-file -e "HEAD^{commit}" 2>/dev/null && git rev-parse -q --verify "HEAD^" > /dev/null; then
  # A shallow clone without the base: the last commit's changes are still checked.
  echo "lint.sh: the lint base $recorded (.ci/lint-base) is not in this clone (shallow?);" \
       "checking the last commit only (git fetch --unshallow checks all)" >&2
  base=$(git rev-parse "HEAD^")
else
  echo "lint.sh: the lint base $recorded is not in this clone and HEAD has no parent here: nothing to compare" >&2
  exit 0
fi
echo "lint.sh: checking the C++ changed since $(git log -1 --format='%h %s' "$base" | cut -c1-72)"

# Tracked C++ files added, copied, modified or renamed since the base; the
# generated files live in the build folder and are never among them.
mapfile -t changed < <(git diff --name-only --diff-filter=ACMR "$base" -- '*.cpp' '*.h')
if [ ${#changed[@]} -eq 0 ]; then
  echo "lint.sh: no C++ file changed"
  exit 0
fi

status=0

# clang-format on the changed lines only: the diff it would make, if any, is
# printed and fails the lint. (git clang-format exits 0 either way; quiet,
# it prints nothing when the lines are formatted.)
formatting=$(git clang-format --quiet --binary clang-format --diff "$base" -- "${changed[@]}") \
  || fail "git clang-format failed"
if [ -n "$formatting" ]; then
  echo "$formatting"
  echo "lint.sh: the changed lines above are not formatted as .clang-format says;" \
       "apply with: git clang-format $base" >&2
  status=1
fi

# clang-tidy on the changed sources, and on the source of each changed
# header, with every finding an error; diagnostics in the project's headers
# count, those of Qt, GoogleTest and the standard library do not. A file whose
# only changed lines are #include lines is left to the compiler: the checks
# look at code, and parsing a Qt source costs seconds. It needs the build's
# compile commands and generated files (moc output): build the tree first.
[ -f "$build/compile_commands.json" ] || fail "no $build/compile_commands.json: configure and build first (make build)"
code_changed() {
  git diff -U0 --src-prefix=a/ --dst-prefix=b/ "$base" -- "$1" | grep -E '^[-+]' | grep -vE '^(\+\+\+|---) (a/|b/|/dev/null)' \
    | grep -qvE '^[-+][[:space:]]*(#include .*)?$'
}
declare -A sources=()
includes_only=()
headers_only=()
for file in "${changed[@]}"; do
  if ! code_changed "$file"; then
    includes_only+=("$file")
    continue
  fi
  case "$file" in
    *.cpp) sources["$file"]=1 ;;
    *.h)
      if [ -f "${file%.h}.cpp" ]; then
        sources["${file%.h}.cpp"]=1
      else
        headers_only+=("$file")
      fi
      ;;
  esac
done
if [ ${#includes_only[@]} -gt 0 ]; then
  echo "lint.sh: only #include or blank lines changed, not tidied: ${includes_only[*]}"
fi
if [ ${#headers_only[@]} -gt 0 ]; then
  echo "lint.sh: no source of their own, checked only where a tidied source includes them: ${headers_only[*]}"
fi
tidy=()
if [ ${#sources[@]} -gt 0 ]; then
  mapfile -t candidates < <(printf '%s\n' "${!sources[@]}" | sort)
  for file in "${candidates[@]}"; do
    # A source the build does not compile (bench/ without VOLTARIS_BUILD_BENCH)
    # has no compile command to check it with: it is named, not passed over.
    if grep -qF "\"file\": \"$root/$file\"" "$build/compile_commands.json"; then
      tidy+=("$file")
    else
      echo "lint.sh: $file is not compiled in $build, so clang-tidy cannot check it" >&2
    fi
  done
fi
if [ ${#tidy[@]} -gt 0 ]; then
  echo "lint.sh: clang-tidy on ${tidy[*]}"
  filter="^$root/(app|bench|calculator|catalogue|designer|fuzz|model|tests|tools|ui)/"
  set +e
  printf '%s\0' "${tidy[@]}" \
    | xargs -0 -n 1 -P "${JOBS:-2}" \
        clang-tidy -p "$build" --quiet --warnings-as-errors='*' --header-filter="$filter" 2>&1 \
    | grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$'
  results=("${PIPESTATUS[@]}")
  set -e
  if [ "${results[1]}" -ne 0 ]; then
    echo "lint.sh: clang-tidy found problems (see above)" >&2
    status=1
  fi
fi

if [ $status -eq 0 ]; then echo "lint.sh: clean"; fi
exit $status
