#!/usr/bin/env bash
# A private JACK server for one test: jackd with the dummy driver under a
# name of its own, so it cannot meet a user's server or another test's.
#
# Called:   jack-server.sh start NAME LOG [DRIVER-OPTIONS...]
#             starts it, waits until it answers, prints its PID (exit 1 if it does not start)
#           jack-server.sh stop PID
#             stops it and waits until it is gone
# Sourced:  jack_server_start NAME LOG [DRIVER-OPTIONS...]   sets jack_server_pid
#           jack_server_stop                                stops that server
# Driver options default to -r 48000 -p 256. Clients reach the server with
# JACK_DEFAULT_SERVER=NAME.

jack_server_start() { # name, log, driver options...
  local name=$1 log=$2
  shift 2
  [ $# -gt 0 ] || set -- -r 48000 -p 256
  # Detached from the caller's output, so a caller reading ours sees its end.
  jackd --no-realtime --sync -n "$name" -d dummy "$@" </dev/null >"$log" 2>&1 &
  jack_server_pid=$!
  local _
  for _ in $(seq 100); do
    JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1 && return 0
    if ! kill -0 "$jack_server_pid" 2>/dev/null; then
      echo "jackd did not start: $(cat "$log")" >&2
      jack_server_pid=""
      return 1
    fi
    sleep 0.05
  done
  echo "jackd did not answer within 5 s: $(cat "$log")" >&2
  jack_server_stop
  return 1
}

# Gone also means a zombie nobody has reaped yet.
jack_server_alive() { # pid
  [ -e "/proc/$1" ] && ! grep -q '^[^ ]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null
}

jack_server_stop() { # [pid], default the one started here
  local pid=${1:-${jack_server_pid:-}}
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || true
  local _
  for _ in $(seq 100); do
    jack_server_alive "$pid" || break
    sleep 0.05
  done
  jack_server_alive "$pid" && kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
  [ "$pid" = "${jack_server_pid:-}" ] && jack_server_pid=""
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case ${1:-} in
  start)
    [ $# -ge 3 ] || { echo "usage: $0 start NAME LOG [DRIVER-OPTIONS...]" >&2; exit 2; }
    shift
    jack_server_start "$@"
    echo "$jack_server_pid"
    ;;
  stop)
    [ $# -eq 2 ] || { echo "usage: $0 stop PID" >&2; exit 2; }
    jack_server_stop "$2"
    ;;
  *)
    echo "usage: $0 start NAME LOG [DRIVER-OPTIONS...] | stop PID" >&2
    exit 2
    ;;
  esac
fi
