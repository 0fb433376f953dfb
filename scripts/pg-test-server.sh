#!/usr/bin/env bash
# A throw-away PostgreSQL server for the database-mode tests, reached through
# psqlODBC as a configured ODBC data source named like a server.
#
#   pg-test-server.sh start [PID]  starts one on a free loopback port in a new
#                             temporary folder and prints that folder; the
#                             folder's env.sh exports what the tests read.
#                             With PID, the server also stops by itself once
#                             that process is gone (a test that crashed).
#   pg-test-server.sh stop DIR  stops it and removes the folder
#
# The server holds the company list database "nKolvSet" (kolvcomp, Kolvperd)
# and the company catalog "DB1" (STEMP4, PTEMP5). The login "sa" without a
# password is trusted, as the accounting system sets its servers up.
set -euo pipefail

dsn_name="QV-TEST-SERVER"

find_bin() {
  local dir
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$dir" ] || [ ! -x "$dir/initdb" ]; then
    echo "PostgreSQL is not installed (/usr/lib/postgresql/*/bin/initdb); scripts/setup.sh installs it" >&2
    exit 2
  fi
  echo "$dir"
}

find_driver() {
  local so
  so=$(find /usr/lib /usr/local/lib -name psqlodbcw.so 2>/dev/null | head -n 1)
  if [ -z "$so" ]; then
    echo "The PostgreSQL ODBC driver psqlodbcw.so is not installed (Debian package odbc-postgresql)" >&2
    exit 2
  fi
  echo "$so"
}

# PostgreSQL refuses to run as root: as root, run it as an unprivileged user.
as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    local user=postgres
    id "$user" >/dev/null 2>&1 || user=nobody
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}

start() {
  local bin driver dir port started=""
  bin=$(find_bin)
  driver=$(find_driver)
  dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-pg.XXXXXX")
  chmod 755 "$dir"
  mkdir "$dir/data" "$dir/socket"
  if [ "$(id -u)" -eq 0 ]; then
    local user=postgres
    id "$user" >/dev/null 2>&1 || user=nobody
    chown "$user" "$dir/data" "$dir/socket"
    touch "$dir/server.log"
    chown "$user" "$dir/server.log"
  fi

  as_server_user "$bin/initdb" -D "$dir/data" -U sa --auth=trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 || {
    cat "$dir/initdb.log" >&2
    rm -rf "$dir"
    exit 1
  }
  # Only loopback connections, and every one of them trusted.
  cat >"$dir/data/pg_hba.conf" <<EOF
local all all trust
host all all 127.0.0.1/32 trust
EOF

  for _ in 1 2 3 4 5 6 7 8 9 10; do
    port=$((20000 + RANDOM % 20000))
    if as_server_user "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir/socket -c fsync=off" \
      start >/dev/null 2>&1; then
      started=1
      break
    fi
  done
  if [ -z "$started" ]; then
    echo "The PostgreSQL test server did not start:" >&2
    tail -n 20 "$dir/server.log" >&2 || true
    rm -rf "$dir"
    exit 1
  fi

  local psql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U sa)
  "${psql[@]}" -d postgres -c 'CREATE DATABASE "nKolvSet"' -c 'CREATE DATABASE "DB1"'
  "${psql[@]}" -d nKolvSet <<'EOF'
CREATE TABLE kolvcomp (Code varchar(10) PRIMARY KEY, Name varchar(60));
CREATE TABLE Kolvperd (Code varchar(10), StartDate date, Lastdate date);
INSERT INTO kolvcomp VALUES ('2', 'O''BRIEN & SONS'), ('1', 'ABC TRADERS'), ('3', 'NO PERIODS LTD');
INSERT INTO Kolvperd VALUES
  ('1', '2014-04-01', '2015-03-31'),
  ('1', '2013-04-01', '2014-03-31'),
  ('2', '1899-04-01', '1900-03-31');
EOF
  "${psql[@]}" -d DB1 <<'EOF'
CREATE TABLE STEMP4 (Col01 numeric(6,0), Col02 varchar(20), Col03 date, Col04 varchar(60), Col05 varchar(12),
  Col06 numeric(14,3), Col07 numeric(14,2), Col08 numeric(14,2), Col09 numeric(14,2), Col10 numeric(14,2));
CREATE TABLE PTEMP5 (Col01 numeric(6,0), Col02 varchar(20), Col03 varchar(60), Col04 varchar(60),
  Col05 varchar(12), Col06 numeric(14,2), Col07 numeric(14,2), Col08 numeric(14,2), Col09 numeric(14,2),
  Col10 varchar(20), Col11 numeric(14,3), Col12 date, Col13 varchar(60), Col14 varchar(120));
INSERT INTO STEMP4 VALUES
  (1, 'INV/1', '2014-07-11', 'Copper wire', '74081110', 100.000, 500.00, 10.40, 5.20, 0.00),
  (2, 'INV/2', '2014-08-02', 'Brass "rods" & fittings', '74072110', 12.500, 1234567.89, 0.05, 0.00, 0.00);
INSERT INTO PTEMP5 VALUES
  (1, 'BE-77', 'X Metals', 'Copper wire', '74081110', 480.00, 9.60, 4.80, 0.00, 'AAACX9999QXD001', 100.000,
   '2014-06-02', 'X Metals', 'Pune ECC.No.AAACX9999QXD001');
EOF

  cat >"$dir/odbc.ini" <<EOF
[$dsn_name]
Description = Quorvant test server (PostgreSQL)
Driver = $driver
Servername = 127.0.0.1
Port = $port
Database = nKolvSet
Username = sa
EOF
  cat >"$dir/env.sh" <<EOF
export ODBCINI='$dir/odbc.ini'
export QV_PG_DIR='$dir'
export QV_PG_PORT='$port'
export QV_PG_DSN='$dsn_name'
EOF
  if [ -n "${1:-}" ]; then
    local owner=$1 self
    self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
    setsid bash -c 'while kill -0 "$1" 2>/dev/null && [ -d "$2/data" ]; do sleep 2; done; "$3" stop "$2"' \
      _ "$owner" "$dir" "$self" </dev/null >/dev/null 2>&1 &
  fi
  echo "$dir"
}

stop() {
  local dir=${1:?usage: pg-test-server.sh stop DIR}
  [ -d "$dir/data" ] || { rm -rf "$dir"; return 0; }
  local bin
  bin=$(find_bin)
  as_server_user "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}

case "${1:-}" in
  start) start "${2:-}" ;;
  stop) stop "${2:-}" ;;
  *) echo "usage: $0 start | stop DIR" >&2; exit 2 ;;
esac
