#!/usr/bin/env bash
# Starts and stops the machine's services the demo (scripts/run.sh) needs:
# the CUPS scheduler with a cups-pdf queue, and an X server with a tray host.
# The tests use neither: they start a scheduler of their own
# (scripts/test-print-system.sh) and X servers of their own.
#
#   scripts/services.sh start [cups|x|all]
#   scripts/services.sh stop  [cups|x|all]
#   scripts/services.sh status
#
# Idempotent: a service that already runs is reused, and "stop" only stops
# what this script started (recorded in $KUMODEN_STATE_DIR). Run as root.
# Programs that need the X server: export DISPLAY=${KUMODEN_DISPLAY:-:99}
#
# Queue: KumodenPDF -> cups-pdf:/KumodenPDF   output in the job user's ${HOME}/PDF
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

STATE_DIR=${KUMODEN_STATE_DIR:-/run/kumoden-services}
DISPLAY_NAME=${KUMODEN_DISPLAY:-:99}
# The demo's own queue and its own cups-pdf configuration beside the
# machine's: the machine's queues, its default destination and its
# cups-pdf.conf stay as they are.
DEMO_QUEUE=KumodenPDF
DEMO_CONF=/etc/cups/cups-pdf-$DEMO_QUEUE.conf
CUPSD_PIDFILE=/run/cups/cupsd.pid

# Always talk to the local scheduler, whatever the caller's environment says.
unset CUPS_SERVER

# The pid recorded for a service this script started, if that process still
# runs (checked by its command name, so a reused pid is not taken for it).
started_pid() {
    local file="$STATE_DIR/$1.pid"
    [[ -f "$file" ]] || return 1
    local pid
    pid=$(<"$file")
    if alive "$pid" && [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == "$(command_name "$1")" ]]; then
        echo "$pid"
        return 0
    fi
    rm -f "$file"
    return 1
}

command_name() {
    case "$1" in
    cupsd) echo cupsd ;;
    xvfb) echo Xvfb ;;
    trayer) echo trayer ;;
    esac
}

record_pid() {
    mkdir -p "$STATE_DIR" || fail "cannot create $STATE_DIR"
    echo "$2" >"$STATE_DIR/$1.pid"
}

# stop_pid <name> <pid>: SIGTERM, then SIGKILL after a bounded wait.
stop_pid() {
    local name=$1 pid=$2
    kill "$pid" 2>/dev/null || true
    if ! wait_for 10 bash -c "! kill -0 $pid"; then
        kill -KILL "$pid" 2>/dev/null || true
        wait_for 5 bash -c "! kill -0 $pid" || fail "$name (pid $pid) does not stop"
    fi
    rm -f "$STATE_DIR/$name.pid"
    note "stopped $name (pid $pid)"
}

# ---------------------------------------------------------------- CUPS

# "Out" of a cups-pdf configuration, with ${HOME} and ${USER} of the caller.
output_folder() {
    local out
    [[ -f "$1" ]] || {
        echo "(no $1)"
        return
    }
    out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' "$1" 2>/dev/null | tail -n 1)
    out=${out:-/var/spool/cups-pdf/\$\{USER\}}
    out=${out//\$\{HOME\}/${HOME:-$(getent passwd "$(id -un)" | cut -d: -f6)}}
    out=${out//\$\{USER\}/$(id -un)}
    echo "$out"
}

# The demo queue's configuration: the job user's ~/PDF, as cups-pdf's own
# default, and a job-id suffix so that two jobs of the same title do not
# overwrite each other. Written once; kept when it is there.
write_demo_conf() {
    [[ -f "$DEMO_CONF" ]] && return 0
    [[ -d /etc/cups ]] || fail "/etc/cups missing (package cups)"
    # shellcheck disable=SC2016 # cups-pdf expands ${HOME} for the job's user
    printf 'Out ${HOME}/PDF\nLabel 2\n' >"$DEMO_CONF" || fail "cannot write $DEMO_CONF"
    note "wrote $DEMO_CONF"
}

start_cups() {
    [[ -x /usr/sbin/cupsd ]] || fail "cupsd is not installed (package cups)"
    if ! scheduler_running; then
        local pid=""
        if [[ -f "$CUPSD_PIDFILE" ]]; then
            pid=$(<"$CUPSD_PIDFILE")
        fi
        if alive "$pid"; then
            # Running but not answering yet (just started by someone else).
            wait_for 15 scheduler_running || fail "cupsd (pid $pid) does not answer within 15 s"
        else
            mkdir -p /run/cups
            /usr/sbin/cupsd || fail "cupsd failed to start (see /var/log/cups/error_log)"
            wait_for 15 scheduler_running || fail "cupsd does not answer within 15 s"
            pid=$(<"$CUPSD_PIDFILE") || fail "cupsd wrote no $CUPSD_PIDFILE"
            record_pid cupsd "$pid"
            note "started cupsd (pid $pid)"
        fi
    fi
    [[ -x /usr/lib/cups/backend/cups-pdf ]] || fail "the cups-pdf backend is not installed (package printer-driver-cups-pdf)"
    write_demo_conf
    if ! queue_exists "$DEMO_QUEUE"; then
        pdf_queue "$DEMO_QUEUE" "cups-pdf:/$DEMO_QUEUE" || fail "cannot create queue $DEMO_QUEUE"
        note "created queue $DEMO_QUEUE (cups-pdf:/$DEMO_QUEUE)"
    fi
}

stop_cups() {
    local pid
    if pid=$(started_pid cupsd); then
        stop_pid cupsd "$pid"
    elif scheduler_running; then
        note "cupsd was not started by this script; left running"
    fi
}

# ---------------------------------------------------------------- X

display_answers() {
    xdpyinfo -display "$DISPLAY_NAME" >/dev/null 2>&1
}

# The tray host's window is on the display (whoever started it).
tray_host_present() {
    DISPLAY=$DISPLAY_NAME xdotool search --classname trayer >/dev/null 2>&1
}

# A lock left by an X server that died keeps a new one from starting.
clear_stale_x_lock() {
    local number=${DISPLAY_NAME#:}
    number=${number%%.*}
    local lock="/tmp/.X${number}-lock"
    [[ -f "$lock" ]] || return 0
    local pid
    pid=$(tr -d ' ' <"$lock")
    if ! alive "$pid"; then
        rm -f "$lock" "/tmp/.X11-unix/X${number}"
        note "removed stale $lock"
    fi
}

start_x() {
    command -v Xvfb >/dev/null || fail "Xvfb is not installed (package xvfb)"
    command -v trayer >/dev/null || fail "trayer is not installed (package trayer)"
    mkdir -p "$STATE_DIR" || fail "cannot create $STATE_DIR"
    if ! display_answers; then
        clear_stale_x_lock
        setsid Xvfb "$DISPLAY_NAME" -screen 0 1024x768x24 -nolisten tcp \
            </dev/null >"$STATE_DIR/xvfb.log" 2>&1 &
        local pid=$!
        record_pid xvfb "$pid"
        if ! wait_for 15 display_answers; then
            alive "$pid" && kill "$pid"
            rm -f "$STATE_DIR/xvfb.pid"
            fail "Xvfb on $DISPLAY_NAME does not answer within 15 s (see $STATE_DIR/xvfb.log)"
        fi
        note "started Xvfb on $DISPLAY_NAME (pid $pid)"
    fi
    if ! started_pid trayer >/dev/null && ! tray_host_present; then
        DISPLAY=$DISPLAY_NAME setsid trayer --edge top --align right --widthtype pixel \
            --width 200 --height 32 </dev/null >"$STATE_DIR/trayer.log" 2>&1 &
        local tpid=$!
        record_pid trayer "$tpid"
        if ! wait_for 10 tray_host_present; then
            alive "$tpid" && kill "$tpid"
            rm -f "$STATE_DIR/trayer.pid"
            fail "trayer does not come up on $DISPLAY_NAME (see $STATE_DIR/trayer.log)"
        fi
        note "started trayer on $DISPLAY_NAME (pid $tpid)"
    fi
}

stop_x() {
    local pid
    if pid=$(started_pid trayer); then
        stop_pid trayer "$pid"
    fi
    if pid=$(started_pid xvfb); then
        stop_pid xvfb "$pid"
    elif display_answers; then
        note "X server on $DISPLAY_NAME was not started by this script; left running"
    fi
}

# ---------------------------------------------------------------- status

status() {
    if scheduler_running; then
        echo "cups: running$(started_pid cupsd >/dev/null && echo ' (started by services.sh)')"
        cups_client lpstat -v 2>/dev/null | sed 's/^/  /'
        cups_client lpstat -d 2>/dev/null | sed 's/^/  /'
    else
        echo "cups: not running"
    fi
    echo "  output $DEMO_QUEUE: $(output_folder "$DEMO_CONF")"
    if display_answers; then
        echo "x: $DISPLAY_NAME answering$(started_pid xvfb >/dev/null && echo ' (started by services.sh)')"
        if tray_host_present; then
            echo "  tray host: trayer running"
        else
            echo "  tray host: none"
        fi
    else
        echo "x: $DISPLAY_NAME not answering"
    fi
}

action=${1:-}
what=${2:-all}
case "$what" in
cups | x | all) ;;
*) fail "unknown service '$what' (cups, x or all)" ;;
esac

case "$action" in
start)
    [[ "$what" == x ]] || start_cups
    [[ "$what" == cups ]] || start_x
    ;;
stop)
    [[ "$what" == cups ]] || stop_x
    [[ "$what" == x ]] || stop_cups
    ;;
status)
    status
    ;;
*)
    fail "usage: services.sh start|stop [cups|x|all] | status"
    ;;
esac
