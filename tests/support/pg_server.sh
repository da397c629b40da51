#!/usr/bin/env bash
# A PostgreSQL server of the tests' own: "start DIR" makes a cluster in a new temporary folder
# (initdb), starts it on a Unix socket there and writes the folder's name into the file DIR;
# "stop DIR" stops it and removes the folder; "halt DIR" and "resume DIR" stop and start it again
# with its data. As root, the server runs as the user nobody.
set -euo pipefail
bin=/usr/lib/postgresql/15/bin
action=$1 note=$2
as_server=()
[ "$(id -u)" -ne 0 ] || as_server=(runuser -u nobody --)

case "$action" in
  start)
    folder=$(mktemp -d /tmp/quorin-pg.XXXXXX)
    chmod 755 "$folder"
    [ "$(id -u)" -ne 0 ] || chown nobody "$folder"
    "${as_server[@]}" "$bin/initdb" --pgdata="$folder/data" --username=quorin_admin --auth=trust \
      --encoding=UTF8 --locale=C.UTF-8 --no-sync >"$folder/initdb.log" 2>&1
    echo "$folder" >"$note"
    "$0" resume "$note"
    "$bin/psql" -h "$folder" -U quorin_admin -d postgres -q -c "CREATE DATABASE quorin_test" >/dev/null
    ;;
  resume)
    folder=$(cat "$note")
    "${as_server[@]}" "$bin/pg_ctl" --pgdata="$folder/data" --log="$folder/server.log" --wait \
      -o "-c listen_addresses='' -c unix_socket_directories='$folder' -c fsync=off -c max_connections=40" \
      start >/dev/null
    ;;
  halt)
    "${as_server[@]}" "$bin/pg_ctl" --pgdata="$(cat "$note")/data" --mode=fast --wait stop >/dev/null
    ;;
  stop)
    [ -f "$note" ] || exit 0
    folder=$(cat "$note")
    "${as_server[@]}" "$bin/pg_ctl" --pgdata="$folder/data" --mode=immediate stop >/dev/null 2>&1 || true
    rm -rf "$folder" "$note"
    ;;
  *) echo "usage: $0 start|stop|halt|resume NOTE_FILE" >&2; exit 2 ;;
esac
