#!/usr/bin/env bash
# The tests' own print system: a cupsd of their own with the cups-pdf queues
# PDF (the default), PDF2 and RAW (no filters: for Wine's PostScript),
# everything in one folder. The machine's
# scheduler, its queues, its default and its /etc/cups are never touched.
# A third queue, FAIL, has a backend of the tests' own that takes each job
# and fails it, as a printer that jams would (scripts/failing-backend.sh).
# STOPPED is stopped and REJECT rejects jobs, for what tells a queue's state.
#
#   scripts/test-print-system.sh start <folder> [no-history]   (re)starts it; run as root
#   scripts/test-print-system.sh stop  <folder>   ends cupsd and every process it started
#   scripts/test-print-system.sh env   <folder>   the variables that lead to it
#
# cupsd runs in a mount namespace of its own in which <folder>/etc is
# mounted over /etc/cups: cups-pdf reads its configuration only from there.
# With no-history the scheduler forgets each job the moment it ends
# (PreserveJobHistory No), as at sites that keep no record of what was
# printed. Clients reach it through the unix socket <folder>/cups.sock
# (CUPS_SERVER); CUPS_SERVERROOT and HOME keep the machine's and the user's client settings
# (lpoptions, client.conf) out. Output: <folder>/out/<queue>.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

MARK=.kumoden-print-system

USAGE="usage: test-print-system.sh start <folder> [no-history] | stop|env <folder>"
action=${1:-}
history=Yes
if [[ $action == start && $# -eq 3 && ${3:-} == no-history ]]; then
    history=No
elif [[ $# -ne 2 ]]; then
    fail "$USAGE"
fi
mkdir -p "$2" || fail "cannot create $2"
dir=$(cd "$2" && pwd)
socket=$dir/cups.sock

# Only the private scheduler, whatever the caller's environment says.
cups_client() {
    env -u LPDEST -u PRINTER CUPS_SERVER="$socket" CUPS_SERVERROOT="$dir/client" HOME="$dir/home" \
        LANG=C LC_ALL=C "$@"
}

print_env() {
    echo "CUPS_SERVER=$socket"
    echo "CUPS_SERVERROOT=$dir/client"
    echo "HOME=$dir/home"
    echo "KUMODEN_PRINT_OUT=$dir/out"
}

# The pid of the cupsd this folder's last start made, if it still runs.
scheduler_pid() {
    local pid
    pid=$(cat "$dir/scheduler.pid" 2>/dev/null) || return 1
    [[ -n "$pid" && "$(readlink "/proc/$pid/ns/mnt" 2>/dev/null)" == "$(cat "$dir/scheduler.ns" 2>/dev/null)" ]]
}

# What the scheduler's namespace has mounted on /etc/cups: this folder's etc.
bind_of() {
    awk '$5 == "/etc/cups" { print $4 }' "/proc/$1/mountinfo" 2>/dev/null
}

# Every process in the scheduler's mount namespace: cupsd and what it started.
# A namespace's number is used again once the namespace has gone, maybe by
# another folder's scheduler, so the namespace must also have this folder's
# configuration on /etc/cups.
namespace_pids() {
    local ns bind entry
    ns=$(cat "$dir/scheduler.ns" 2>/dev/null) || return 0
    [[ -n "$ns" && "$ns" != "$(readlink /proc/self/ns/mnt)" ]] || return 0
    bind=$(cat "$dir/scheduler.mnt" 2>/dev/null) || bind=""
    for entry in /proc/[0-9]*; do
        [[ "$(readlink "$entry/ns/mnt" 2>/dev/null)" == "$ns" ]] || continue
        if [[ -z "$bind" || "$(bind_of "${entry#/proc/}")" == "$bind" ]]; then
            echo "${entry#/proc/}"
        fi
    done
}

no_namespace_pids() {
    [[ -z "$(namespace_pids)" ]]
}

stop() {
    local pid pids
    if pid=$(cat "$dir/scheduler.pid" 2>/dev/null) && [[ -n "$pid" ]]; then
        kill -TERM "$pid" 2>/dev/null || true
    fi
    # cupsd ends its filters itself; whatever is left after 5 s is killed.
    if ! wait_for 5 no_namespace_pids; then
        pids=$(namespace_pids)
        [[ -z "$pids" ]] || kill -KILL $pids 2>/dev/null || true
        wait_for 5 no_namespace_pids || true
    fi
    [[ -z "$(namespace_pids)" ]] || fail "processes of the scheduler in $dir do not end: $(namespace_pids | tr '\n' ' ')"
    rm -f "$dir/scheduler.pid" "$dir/scheduler.ns" "$dir/scheduler.mnt" "$socket"
}

write_config() {
    cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
StateDir $dir/run
CacheDir $dir/cache
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/run/printcap
ServerBin $dir/lib
FileDevice No
EOF
    # Only the socket: nothing listens on the network, nothing is browsed.
    cat >"$dir/etc/cupsd.conf" <<EOF
LogLevel warn
Listen $socket
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultShared No
ErrorPolicy abort-job
PreserveJobHistory $history
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    local queue
    for queue in PDF PDF2 RAW; do
        # cups-pdf reads cups-pdf.conf for cups-pdf:/ and cups-pdf-<name>.conf for cups-pdf:/<name>.
        local conf=cups-pdf-$queue.conf
        [[ $queue == PDF ]] && conf=cups-pdf.conf
        cat >"$dir/etc/$conf" <<EOF
Out $dir/out/$queue
Label 2
Grp lpadmin
DecodeHexStrings 1
Spool $dir/cups-pdf
AnonDirName $dir/out/anonymous
Log $dir/log
EOF
    done
    echo "ServerName $socket" >"$dir/client/client.conf"
}

# The scheduler's programs: the machine's filters and backends, seen through
# links, and the tests' failing backend beside them. cupsd runs a backend
# only when it and its folder belong to root and nobody else may write them.
write_programs() {
    local entry
    mkdir -p "$dir/lib/backend"
    chmod 0755 "$dir/lib" "$dir/lib/backend"
    for entry in /usr/lib/cups/*; do
        [[ "$(basename "$entry")" == backend ]] || ln -s "$entry" "$dir/lib/"
    done
    for entry in /usr/lib/cups/backend/*; do
        ln -s "$entry" "$dir/lib/backend/"
    done
    install -m 0755 "$(dirname "$0")/failing-backend.sh" "$dir/lib/backend/kumoden-fails"
}

# A failure once cupsd runs: nothing is left behind.
failed() {
    stop
    fail "$*"
}

add_queue() {
    pdf_queue "$1" "$2" || failed "cannot create queue $1 ($2): $(tail -n 3 "$dir/log/error_log" 2>/dev/null)"
}

# The namespace the scheduler started in, once it has its own.
own_namespace() {
    local now
    now=$(readlink "/proc/$1/ns/mnt" 2>/dev/null) && [[ "$now" != "$2" ]] && echo "$now" >"$dir/scheduler.ns"
}

# The scheduler answers, or has ended (then waiting longer is pointless).
answered_or_gone() {
    scheduler_running || ! scheduler_pid
}

start() {
    [[ $(id -u) -eq 0 ]] || fail "must run as root (the cups-pdf backend needs a scheduler running as root)"
    [[ -x /usr/sbin/cupsd ]] || fail "cupsd is not installed (package cups)"
    [[ -x /usr/lib/cups/backend/cups-pdf ]] || fail "the cups-pdf backend is not installed (package printer-driver-cups-pdf)"
    command -v unshare >/dev/null || fail "unshare is not installed (package util-linux)"
    # sockaddr_un holds 108 bytes with the final NUL.
    ((${#socket} < 108)) || fail "the socket path $socket is ${#socket} bytes, unix sockets allow 107: use a shorter build folder"
    if [[ -n "$(ls -A "$dir")" && ! -e "$dir/$MARK" ]]; then
        fail "$dir is not empty and was not made by this script; not touching it"
    fi
    stop
    rm -rf "${dir:?}/etc" "${dir:?}/lib" "${dir:?}/run" "${dir:?}/spool" "${dir:?}/cache" "${dir:?}/log" "${dir:?}/out" "${dir:?}/cups-pdf" "${dir:?}/client" "${dir:?}/home"
    touch "$dir/$MARK"
    mkdir -p "$dir"/{etc,run,spool/tmp,cache,log,out/PDF,out/PDF2,out/RAW,client,home} || fail "cannot fill $dir"
    # Filters run as lp: the folders on the way must let them through.
    chmod 0755 "$dir" "$dir/etc" "$dir/client" "$dir/out"
    mkdir -p -m 1777 "$dir/cups-pdf"
    write_config || fail "cannot write the configuration into $dir/etc"
    write_programs || fail "cannot set up the scheduler's programs in $dir/lib"

    local ns
    ns=$(readlink /proc/self/ns/mnt)
    # Its own session, its own namespace; the bind mount dies with the namespace.
    setsid env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C \
        unshare --mount --propagation private -- /bin/sh -c \
        'mount --bind "$1/etc" /etc/cups && exec /usr/sbin/cupsd -f -c "$1/etc/cupsd.conf" -s "$1/etc/cups-files.conf"' \
        sh "$dir" </dev/null >"$dir/log/cupsd.out" 2>&1 &
    local pid=$!
    echo "$pid" >"$dir/scheduler.pid"
    if ! wait_for 5 own_namespace "$pid" "$ns"; then
        kill -KILL "$pid" 2>/dev/null || true
        fail "cupsd did not start in a mount namespace of its own: $(tail -n 5 "$dir/log/cupsd.out")"
    fi
    wait_for 15 answered_or_gone || true
    if ! scheduler_running; then
        local why
        why=$(tail -n 5 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null || true)
        stop
        fail "the scheduler in $dir does not answer within 15 s: $why"
    fi
    bind_of "$pid" >"$dir/scheduler.mnt"
    [[ -s "$dir/scheduler.mnt" ]] || failed "cupsd does not have $dir/etc on /etc/cups"
    add_queue PDF cups-pdf:/
    add_queue PDF2 cups-pdf:/PDF2
    # A raw cups-pdf queue: what a Windows program under Wine sends (its
    # PostScript, under a job name ending in .pdf that would have cupsd take
    # it for PDF) reaches cups-pdf untouched.
    cups_client lpadmin -p RAW -v cups-pdf:/RAW -E -m raw -o printer-is-shared=no \
        -o printer-error-policy=abort-job 2>/dev/null ||
        failed "cannot create queue RAW: $(tail -n 3 "$dir/log/error_log" 2>/dev/null)"
    # A raw queue: the backend gets the PDF as it was sent.
    cups_client lpadmin -p FAIL -v kumoden-fails:/ -E -o printer-is-shared=no \
        -o printer-error-policy=abort-job 2>/dev/null ||
        failed "cannot create queue FAIL: $(tail -n 3 "$dir/log/error_log" 2>/dev/null)"
    # Two queues that would hold or refuse every job: one stopped, one not
    # accepting jobs. Nothing is ever printed on them.
    local queue
    for queue in STOPPED REJECT; do
        cups_client lpadmin -p "$queue" -v kumoden-fails:/ -E -o printer-is-shared=no 2>/dev/null ||
            failed "cannot create queue $queue: $(tail -n 3 "$dir/log/error_log" 2>/dev/null)"
    done
    cups_client cupsdisable -r "stopped for the tests" STOPPED || failed "cannot stop queue STOPPED"
    cups_client cupsreject -r "rejecting for the tests" REJECT || failed "cannot make queue REJECT reject jobs"
    cups_client lpadmin -d PDF || failed "cannot make PDF the default destination"
    [[ "$(cups_client lpstat -d)" == "system default destination: PDF" ]] ||
        failed "the default destination is not PDF: $(cups_client lpstat -d 2>&1)"
    echo "test-print-system.sh: scheduler (pid $pid) on $socket, output in $dir/out"
}

case "$action" in
start) start ;;
stop) stop ;;
env) print_env ;;
*) fail "$USAGE" ;;
esac
