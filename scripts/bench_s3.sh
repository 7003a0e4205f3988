#!/bin/bash
# GetObject of a 64 MiB object from the local S3 peer (net_probe s3get, our signer and libcurl
# adapter, saving the object as the agent does) against curl fetching the same object with its
# own SigV4 in the same run. Reports the wall-time ratio (median of RUNS runs each) and our peak
# memory against the target of 1.1 x the object + 8 MiB.
# Usage: scripts/bench_s3.sh [build dir, default build/linux] [runs, default 5]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/linux}" && pwd)
runs=${2:-5}
probe=$build/tools/net_probe/net_probe
[ -x "$probe" ] || { echo "build net_probe first: cmake --build $build --target net_probe" >&2; exit 1; }

key=AKIAZORVAKBENCH00001
secret=zorvakBenchSecretKey/0123456789+abcdefgh
bucket=zorvak-dist
size=$((64 * 1024 * 1024))

work=$(mktemp -d)
peer_pid=
cleanup() {
  [ -n "$peer_pid" ] && kill "$peer_pid" 2>/dev/null && wait "$peer_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

head -c "$size" /dev/urandom > "$work/object"
modules=$("$root/tools/s3peer/install.sh" "$build/s3peer")
mkfifo "$work/peer_in"
node "$root/tools/s3peer/s3peer.js" --modules "$modules" --dir "$work/data" --key "$key" --secret "$secret" \
  --bucket "$bucket" --put "$bucket/ZorvakService.exe=$work/object" < "$work/peer_in" > "$work/peer_out" &
peer_pid=$!
exec 3> "$work/peer_in"   # the peer ends when this closes
for _ in $(seq 100); do [ -s "$work/peer_out" ] && break; sleep 0.1; done
port=$(sed -n 's/.*"port":\([0-9]*\).*/\1/p' "$work/peer_out")
[ -n "$port" ] || { echo "S3 peer did not start" >&2; exit 1; }
want=$(md5sum < "$work/object" | cut -d' ' -f1)

# One timed run: prints "seconds maxrss_kib"
timed() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" > "$work/out" 2>&1; cat "$work/time"; }

ours=() theirs=() checked=() rss=()
for _ in $(seq "$runs"); do
  rm -f "$work/ours.bin" "$work/curl.bin"
  read -r t m < <(timed "$probe" s3get http "127.0.0.1:$port" "$key" "$secret" "$bucket" ZorvakService.exe "$work/ours.bin")
  grep -q '^result=true' "$work/out" || { cat "$work/out" >&2; exit 1; }
  [ "$(md5sum < "$work/ours.bin" | cut -d' ' -f1)" = "$want" ] || { echo "our copy differs" >&2; exit 1; }
  ours+=("$t") rss+=("$m")
  read -r t _ < <(timed curl -sf --aws-sigv4 "aws:amz:sa-east-1:s3" --user "$key:$secret" \
    -H "x-amz-content-sha256: UNSIGNED-PAYLOAD" -o "$work/curl.bin" "http://127.0.0.1:$port/$bucket/ZorvakService.exe")
  [ "$(md5sum < "$work/curl.bin" | cut -d' ' -f1)" = "$want" ] || { echo "curl's copy differs" >&2; exit 1; }
  theirs+=("$t")
  # curl with the same check we make (MD5 of the body, streamed beside the file).
  read -r t _ < <(timed sh -c "curl -sf --aws-sigv4 'aws:amz:sa-east-1:s3' --user '$key:$secret' \
    -H 'x-amz-content-sha256: UNSIGNED-PAYLOAD' 'http://127.0.0.1:$port/$bucket/ZorvakService.exe' | tee '$work/curl.bin' | md5sum")
  checked+=("$t")
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
t_ours=$(median "${ours[@]}")
t_curl=$(median "${theirs[@]}")
t_checked=$(median "${checked[@]}")
peak=$(printf '%s\n' "${rss[@]}" | sort -g | tail -1)
awk -v r="$runs" -v o="$t_ours" -v c="$t_curl" -v k="$t_checked" -v p="$peak" -v s="$size" 'BEGIN {
  limit = (1.1 * s + 8 * 1048576) / 1024
  printf "object: %d MiB, %d runs each (median)\n", s / 1048576, r
  printf "wall time: GetObject %.3f s, curl %.3f s, ratio %.2f (target <= 1.10)\n", o, c, (c > 0 ? o / c : 0)
  printf "           curl | md5sum (the same MD5 check as ours) %.3f s, ratio %.2f\n", k, (k > 0 ? o / k : 0)
  printf "peak memory: %.1f MiB, limit %.1f MiB (1.1 x object + 8 MiB), ratio to object %.3f\n", p / 1024, limit / 1024, p * 1024 / s
}'
