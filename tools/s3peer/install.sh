#!/bin/sh
# Installs the S3 peer's packages from the committed lock into DIR (default: build/s3peer).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-$here/../../build/s3peer}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
if ! cmp -s "$here/package-lock.json" "$dir/package-lock.json" || [ ! -d "$dir/node_modules/@20minutes/s3rver" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$dir/"
  (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
fi
echo "$dir/node_modules"
