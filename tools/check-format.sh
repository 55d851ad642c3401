#!/usr/bin/env bash
# Checks that our own C++ sources read as .clang-format describes them; lists the files that do not.
#   tools/check-format.sh          check only: exits 1 if any file differs
#   tools/check-format.sh --fix    rewrite those files in place instead
# Set CLANG_FORMAT to use another binary. Other major versions than Debian 12's 14 lay some code out differently.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
fix=false
case "${1:-}" in
    "") ;;
    --fix) fix=true ;;
    *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

command -v "$clang_format" > /dev/null || { echo "$clang_format not found (Debian package clang-format)" >&2; exit 2; }
version=$("$clang_format" --version | sed -n 's/.*version \([0-9]*\).*/\1/p')
[ "$version" = 14 ] || echo "note: $clang_format is version ${version:-unknown}; the style was settled with 14" >&2

# Tracked sources in our own folders only: resources/ holds embedded data, tests/fuzz/corpus and regressions hold
# fuzzer inputs, and anything vendored or generated keeps its own authors' layout.
files=()
while IFS= read -r -d '' file; do
    files+=("$file")
done < <(git ls-files -z -co --exclude-standard -- '*.cpp' '*.h' \
    | grep -zE '^(interfaces|processor|dsp|editor|scope|tests|tools|bench)/' \
    | grep -zvE '^tests/fuzz/(corpus|regressions)/|(^|/)(third[-_]?party|external|vendor|JuceLibraryCode)/|(^|/)BinaryData[^/]*$' \
    || true)

[ ${#files[@]} -gt 0 ] || { echo "no sources found" >&2; exit 2; }

if $fix; then
    "$clang_format" -i "${files[@]}"
    echo "formatted ${#files[@]} files"
    exit 0
fi

differing=()
for file in "${files[@]}"; do
    "$clang_format" --dry-run --Werror "$file" > /dev/null 2>&1 || differing+=("$file")
done

if [ ${#differing[@]} -gt 0 ]; then
    echo "${#differing[@]} of ${#files[@]} files differ from .clang-format (fix with tools/check-format.sh --fix):"
    printf '  %s\n' "${differing[@]}"
    exit 1
fi

echo "all ${#files[@]} files follow .clang-format"
