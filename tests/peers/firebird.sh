#!/usr/bin/env bash
# Brings the local Firebird 3 server of the integration tests up with the SYSDBA password
# "masterkey" (the packages come from scripts/setup). Idempotent; run as root.
set -euo pipefail
if echo "quit;" | isql-fb -q -user SYSDBA -password masterkey "localhost:employee" >/dev/null 2>&1 ||
   (echo "select 1 from rdb\$database;" | isql-fb -q -user SYSDBA -password masterkey \
      "localhost:/var/lib/firebird/3.0/system/security3.fdb" >/dev/null 2>&1); then
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
