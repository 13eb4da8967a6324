#!/usr/bin/env bash
# Shows that a command (by default the whole test suite) leaves the machine's
# print system alone: with the machine's scheduler running as on a user's
# machine and a dummy queue that can never print as its default destination,
# it runs the command, then checks that no job reached any machine queue,
# that the default and the list of queues are unchanged and that no
# cups-pdf configuration appeared in /etc/cups. Removes the dummy afterwards
# (and stops the scheduler if it started it). Run as root.
#
#   [KUMODEN_ISOLATION_TRACE=0] scripts/check-print-isolation.sh [command ...]
set -u -o pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[[ $# -gt 0 ]] || set -- scripts/test.sh
DUMMY=KumodenDummyDefault

say() { echo "check-print-isolation.sh: $*"; }
fail() {
    say "$*" >&2
    exit 1
}
[[ $(id -u) -eq 0 ]] || fail "run as root"

# The machine's scheduler, whatever the caller's environment names.
machine() { env -u CUPS_SERVER -u CUPS_SERVERROOT -u LPDEST -u PRINTER LANG=C LC_ALL=C "$@"; }
answers() { machine lpstat -r 2>/dev/null | grep -q 'scheduler is running'; }
default_dest() { machine lpstat -d 2>/dev/null; }
queues() { machine lpstat -v 2>/dev/null | sort; }
all_jobs() { machine lpstat -W all -o 2>/dev/null | sort; }
cups_pdf_confs() { ls /etc/cups/cups-pdf*.conf 2>/dev/null | xargs -r md5sum; }

started=""
if ! answers; then
    mkdir -p /run/cups
    /usr/sbin/cupsd || fail "cannot start the machine's cupsd"
    for ((i = 0; i < 150; i++)); do answers && break; sleep 0.1; done
    answers || fail "the machine's cupsd does not answer"
    started=$(cat /run/cups/cupsd.pid)
    say "started the machine's cupsd (pid $started)"
fi
original_default=$(default_dest)

cleanup() {
    machine lpadmin -x "$DUMMY" 2>/dev/null
    # Removing the default leaves none; put back the one there was.
    if [[ "$original_default" =~ destination:\ (.+)$ ]]; then
        machine lpadmin -d "${BASH_REMATCH[1]}" 2>/dev/null
    fi
    if [[ -n "$started" ]]; then
        kill "$started" 2>/dev/null
        for ((i = 0; i < 100; i++)); do kill -0 "$started" 2>/dev/null || break; sleep 0.1; done
        say "stopped the machine's cupsd"
    fi
}
trap cleanup EXIT

# A queue whose jobs would stay (it is stopped, its printer unreachable): each one can be counted.
machine lpadmin -p "$DUMMY" -v ipp://127.0.0.1:9/ipp/print -E 2>/dev/null || fail "cannot add $DUMMY"
machine cupsdisable "$DUMMY" || fail "cannot stop $DUMMY"
machine lpadmin -d "$DUMMY" || fail "cannot make $DUMMY the default"

default_before=$(default_dest)
queues_before=$(queues)
jobs_before=$(all_jobs)
confs_before=$(cups_pdf_confs)
say "machine default: $default_before"
say "machine queues: $(echo "$queues_before" | wc -l) ($(echo "$queues_before" | awk '{print $3}' | tr -d : | tr '\n' ' '))"
say "machine jobs so far: $(echo -n "$jobs_before" | grep -c .)"

say "running: $*"
start=$(date +%s)
# Every connection the command's processes open is recorded: jobs others send
# to the machine's scheduler meanwhile are then not taken for the command's.
# LeakSanitizer cannot run under ptrace: KUMODEN_ISOLATION_TRACE=0 for a
# sanitizer build, on a machine whose scheduler nobody else uses meanwhile.
trace=""
if [[ "${KUMODEN_ISOLATION_TRACE:-1}" != 0 ]] && command -v strace >/dev/null; then
    trace=$(mktemp /tmp/kumoden-isolation-trace.XXXXXX)
    strace -f -qq --seccomp-bpf -e trace=connect -o "$trace" "$@"
else
    "$@"
fi
rc=$?
say "the command exited $rc after $(($(date +%s) - start)) s"

problems=0
check() {
    if [[ "$2" == "$3" ]]; then
        say "ok: $1 unchanged"
    else
        say "FAILED: $1 changed"$'\n'"  before: $2"$'\n'"  after:  $3"
        problems=$((problems + 1))
    fi
}
check "machine default" "$default_before" "$(default_dest)"
check "machine queues" "$queues_before" "$(queues)"
# Jobs are listed by id: a new one is a job some program sent to the machine
# meanwhile (another user of this machine's scheduler would show here too).
new_jobs=$(comm -13 <(echo "$jobs_before") <(all_jobs) | awk '{print $1 " " $4 " " $5 " " $6 " " $7}')
machine_calls=""
if [[ -n "$trace" ]]; then
    machine_calls=$(grep -E 'sun_path="(/var)?/run/cups/cups.sock"|sin6?_port=htons\(631\)' "$trace")
    say "connections of the command to other schedulers' sockets:" \
        "$(grep 'cups.sock"' "$trace" | grep -cvE 'sun_path="(/var)?/run/cups/')," \
        "to the machine's scheduler: $(echo -n "$machine_calls" | grep -c .)"
    if [[ -n "$machine_calls" ]]; then
        say "FAILED: the command talked to the machine's scheduler:"$'\n'"$(echo "$machine_calls" | head -n 5)"
        problems=$((problems + 1))
    fi
    rm -f "$trace"
fi
if [[ -z "$new_jobs" ]]; then
    say "ok: no new job on any machine queue"
elif [[ -n "$trace" && -z "$machine_calls" ]]; then
    say "ok: $(echo "$new_jobs" | grep -c .) new jobs on the machine's queues came from others" \
        "(the command never connected to the machine's scheduler):"$'\n'"$new_jobs"
else
    say "FAILED: $(echo "$new_jobs" | grep -c .) new jobs on the machine's queues:"$'\n'"$new_jobs"
    problems=$((problems + 1))
fi
check "cups-pdf configurations in /etc/cups" "$confs_before" "$(cups_pdf_confs)"
say "jobs on $DUMMY: $(machine lpstat -W all -o "$DUMMY" 2>/dev/null | grep -c .)"
((problems == 0)) || fail "$problems of the machine's print settings changed"
say "the machine's print system was left alone"
exit "$rc"
