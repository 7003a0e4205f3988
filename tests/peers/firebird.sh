#!/usr/bin/env bash
# Brings the local Firebird 3 server of the integration tests up with the SYSDBA password
# "masterkey" (the packages come from scripts/setup). Idempotent; run as root.
set -euo pipefail
# Test runs may call this at once: one at a time.
exec 9>/tmp/zorvak-firebird.lock
flock -w 60 9
# A server that is up and knows the password answers a missing file with an I/O error.
probe=$(echo "quit;" | isql-fb -q -user SYSDBA -password masterkey "127.0.0.1:/nonexistent/zorvak.fdb" 2>&1 || true)
if [[ $probe == *"I/O error"* ]]; then
  exit 0
fi
service firebird3.0 stop >/dev/null 2>&1 || true
echo "create or alter user SYSDBA password 'masterkey' using plugin Srp;" |
  isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
chown firebird:firebird /var/lib/firebird/3.0/system/security3.fdb
service firebird3.0 start >/dev/null
for _ in $(seq 50); do
  (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && exit 0
  sleep 0.1
done
echo "firebird did not open port 3050" >&2
exit 1
