#!/usr/bin/env bash
# Generates the player's default content into <builddir>/content/ (the folder
# `make run` starts the player in): data/..., data.zuo and glint.mp3. Skips
# the work when that content is complete and was made by the same content
# version, as recorded in the stamp file written after a successful run.
#
#   bash scripts/content.sh [builddir]     default builddir: build
#   GLINT_CONTENT_FORCE=1 bash scripts/content.sh build   regenerate anyway
set -euo pipefail
build="${1:-build}"
generator="$build/glint-content"
out="$build/content"
stamp="$out/.content-version"

if [ ! -x "$generator" ]; then
  echo "content: $generator is missing; build first (make build)" >&2
  exit 1
fi
want="$("$generator" --version)"

complete() {
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] || return 1
  [ -s "$out/glint.mp3" ] && [ -s "$out/data.zuo" ] && [ -d "$out/data" ] || return 1
  [ "$(find "$out/data" -name '*.png' -size +0 | wc -l)" -eq 39 ]
}

if [ "${GLINT_CONTENT_FORCE:-0}" != 1 ] && complete; then
  echo "content: $out is up to date ($want)"
  exit 0
fi

echo "content: generating $out with $want"
rm -f "$stamp"
start=$(date +%s)
"$generator" --out "$out"
echo "$want" > "$stamp"
echo "content: done in $(( $(date +%s) - start )) s"
