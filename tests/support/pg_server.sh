#!/usr/bin/env bash
# A PostgreSQL server of the tests' own: "start DIR" makes a cluster in a new temporary folder
# (initdb), starts it on a Unix socket there and writes the folder's name into the file DIR;
# "stop DIR" stops it and removes the folder; "halt DIR" and "resume DIR" stop and start it again
# with its data. As root, the server runs as the user nobody.
# A server never outlives the suite that started it: "start" first stops one that an earlier run
# left behind (ctest stopped before its clean-up: --stop-on-failure, Ctrl-C, a time-out), and a
# watcher stops the new one when the process that started it (ctest, or a test) has gone.
set -euo pipefail
bin=/usr/lib/postgresql/15/bin
action=$1 note=$2
as_server=()
[ "$(id -u)" -ne 0 ] || as_server=(runuser -u nobody --)

# Stops the server of a folder and removes it, and the note when it still names that folder.
stop_folder() {
  "${as_server[@]}" "$bin/pg_ctl" --pgdata="$1/data" --mode=immediate stop >/dev/null 2>&1 || true
  rm -rf "$1"
  [ "$(cat "$note" 2>/dev/null)" != "$1" ] || rm -f "$note"
}

case "$action" in
  start)
    [ ! -f "$note" ] || stop_folder "$(cat "$note")"
    folder=$(mktemp -d /tmp/quorin-pg.XXXXXX)
    chmod 755 "$folder"
    [ "$(id -u)" -ne 0 ] || chown nobody "$folder"
    "${as_server[@]}" "$bin/initdb" --pgdata="$folder/data" --username=quorin_admin --auth=trust \
      --encoding=UTF8 --locale=C.UTF-8 --no-sync >"$folder/initdb.log" 2>&1
    echo "$folder" >"$note"
    "$0" resume "$note"
    "$bin/psql" -h "$folder" -U quorin_admin -d postgres -q -c "CREATE DATABASE quorin_test" >/dev/null
    # The suite: the first process above that is not a shell (a test may start one through system()),
    # or the outermost shell when only shells stand above (a script run from a terminal's shell).
    suite=$PPID
    while [[ "$(cat "/proc/$suite/comm" 2>/dev/null)" =~ ^(sh|bash|dash)$ ]]; do
      parent=$(cut -d' ' -f4 "/proc/$suite/stat")
      [ "$parent" -gt 1 ] || break
      suite=$parent
    done
    setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; "$2" stop-folder "$3" "$4"' \
      watcher "$suite" "$0" "$note" "$folder" </dev/null >/dev/null 2>&1 &
    ;;
  stop-folder)
    stop_folder "$3"
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
    [ ! -f "$note" ] || stop_folder "$(cat "$note")"
    ;;
  *) echo "usage: $0 start|stop|halt|resume NOTE_FILE" >&2; exit 2 ;;
esac
