#!/usr/bin/env bash
# Checks the C++ files this branch changed against .clang-format.
#   scripts/check-format.sh [BASE]
# Changed means: since BASE when given, else since the branch left main (its
# merge base with origin/main or main), else, on main itself or in a clone
# without main, in the last commit. A history of one commit has nothing to
# compare with and passes. Uncommitted changes count too.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=${CLANG_FORMAT:-clang-format}

head=$(git rev-parse HEAD)
base=${1:-}
if [ -z "$base" ]; then
  for ref in origin/main main; do
    if found=$(git merge-base HEAD "$ref" 2>/dev/null) && [ "$found" != "$head" ]; then
      base=$found
      break
    fi
  done
fi
if [ -z "$base" ]; then
  if ! base=$(git rev-parse -q --verify 'HEAD~1^{commit}'); then
    echo "format: a single commit, nothing to compare with"
    exit 0
  fi
fi

mapfile -t files < <(git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
  echo "format: no C++ files changed since $(git rev-parse --short "$base")"
  exit 0
fi
echo "format: ${#files[@]} C++ files changed since $(git rev-parse --short "$base")"
"$formatter" --style=file --dry-run --Werror "${files[@]}"
