#!/bin/bash
# Runs kumoden.service and kumoden@.service under a real systemd user manager
# on a machine where systemd is not PID 1 (a CI container or VM), and checks
# readiness, the status line, the watchdog, the instance's INI and the
# journal's priorities.
#
#   sudo scripts/test-systemd-units.sh [PROGRAM] [UNIT_DIR]
#     PROGRAM   the built kumoden   (default build/kumoden)
#     UNIT_DIR  holds kumoden.service and kumoden@.service with
#               @KUMODEN_INSTALLED_PROGRAM@ (default resources/linux)
#   KEEP=1 keeps the work folder; TRY_UID (default 4242) is the user the
#   manager runs as. CTest runs it as the test e2e.SystemdUserManager.
#
# Needs root and: systemd (systemd, systemd-journald, systemctl, journalctl),
# util-linux (unshare, setpriv). Exit 0: all checks passed, 1: a check
# failed, 2: no manager could be run here (a failure too: nothing is skipped).
#
# The programs it runs reach no print scheduler (CUPS_SERVER names a socket
# that is not there): the machine's printers are never asked.
#
# Everything runs in new PID and mount namespaces: /run/systemd, /run/log,
# /var/log, /dev/console, /etc/passwd and /etc/group are replaced
# there only, the program's folder is read-only there, and when the
# namespace's first process ends the kernel kills all the rest. The only
# things made outside are the work folder and one cgroup folder per
# hierarchy, both removed at the end.
set -u

if [ "${1:-}" = --inner ]; then
    shift
    INNER=1
else
    INNER=0
fi

# ---------------------------------------------------------------- outside --
if [ $INNER = 0 ]; then
    ROOT=$(cd "$(dirname "$0")/.." && pwd)
    BUILT=$(readlink -f "${1:-$ROOT/build/kumoden}")
    UNITS=$(readlink -f "${2:-$ROOT/resources/linux}")
    TRY_UID=${TRY_UID:-4242}
    [ "$(id -u)" = 0 ] || { echo "CANNOT: needs root (namespaces, cgroups)"; exit 2; }
    for c in unshare setpriv systemctl journalctl; do
        command -v $c >/dev/null || { echo "CANNOT: $c missing"; exit 2; }
    done
    for f in /lib/systemd/systemd /lib/systemd/systemd-journald "$BUILT" \
             "$UNITS/kumoden.service" "$UNITS/kumoden@.service"; do
        [ -e "$f" ] || { echo "CANNOT: $f missing"; exit 2; }
    done
    if [ -d /run/systemd/system ]; then
        echo "CANNOT: systemd runs this machine; use its own user manager instead"
        exit 2
    fi

    T0=$(date +%s)
    W=$(mktemp -d /tmp/kumoden-sysd.XXXXXX); chmod 755 "$W"
    # The program in a folder the manager's user can reach, whatever the
    # build's folder lets others do; with a sanitizer's suppressions, if any.
    mkdir -m 755 "$W/bin"
    cp "$BUILT" "$W/bin/kumoden"
    PROG=$W/bin/kumoden
    SANITIZERS=()
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
        value=${!name:-}
        [ -n "$value" ] || continue
        supp=$(sed -n 's/.*suppressions=\([^:]*\).*/\1/p' <<< "$value")
        if [ -n "$supp" ] && [ -f "$supp" ]; then
            cp "$supp" "$W/bin/$name.supp"
            value=${value/$supp/$W/bin/$name.supp}
        fi
        SANITIZERS+=("$name=$value")
    done
    # The manager's cgroup, delegated to the user as systemd's own user@
    # would be. Hybrid/legacy: name=systemd (+ unified); unified: the root.
    TOP=kumoden-try-$$.slice
    CGS=()
    if [ "$(stat -fc %T /sys/fs/cgroup)" = cgroup2fs ]; then
        CGS+=(/sys/fs/cgroup)
    else
        [ -d /sys/fs/cgroup/systemd ] && CGS+=(/sys/fs/cgroup/systemd)
        [ "$(stat -fc %T /sys/fs/cgroup/unified 2>/dev/null)" = cgroup2fs ] && CGS+=(/sys/fs/cgroup/unified)
    fi
    [ ${#CGS[@]} -gt 0 ] || { echo "CANNOT: no cgroup hierarchy found"; exit 2; }
    for d in "${CGS[@]}"; do
        mkdir -p "$d/$TOP/user@$TRY_UID.service" || { echo "CANNOT: $d not writable"; exit 2; }
        chown -R "$TRY_UID:$TRY_UID" "$d/$TOP/user@$TRY_UID.service"
    done

    # Nothing outlives the namespace; remove what was made outside, however
    # this script ends.
    cleanup() {
        for d in "${CGS[@]}"; do
            left=$(find "$d/$TOP" -name cgroup.procs -exec cat {} + 2>/dev/null)
            [ -n "$left" ] && { echo "WARN: processes left in $d/$TOP: $left"; kill -9 $left; sleep 0.5; }
            find "$d/$TOP" -depth -type d -exec rmdir {} \; 2>/dev/null
            [ -d "$d/$TOP" ] && echo "WARN: could not remove $d/$TOP"
        done
        if [ "${KEEP:-0}" = 1 ]; then echo "kept $W"; else rm -rf "$W"; fi
    }
    trap cleanup EXIT

    # When unshare ends, the namespace's first process is killed, and with
    # it every process of the namespace.
    timeout -k 5 300 unshare --pid --mount --fork --kill-child --mount-proc \
        env "${SANITIZERS[@]}" "$(readlink -f "$0")" --inner "$PROG" "$UNITS" "$W" "$TRY_UID" "$TOP" "${CGS[@]}" &
    CHILD=$!
    trap 'kill -TERM $CHILD 2>/dev/null; wait $CHILD; exit 1' INT TERM HUP PIPE
    wait $CHILD
    RC=$?
    [ $RC = 124 ] || [ $RC = 137 ] && { echo "FAIL: timed out"; RC=1; }
    echo "took $(( $(date +%s) - T0 ))s, exit $RC"
    exit $RC
fi

# ------------------------------------------- inside: PID 1 of the namespace --
PROG=$1 UNITS=$2 W=$3 TRY_UID=$4 TOP=$5; shift 5; CGS=("$@")
FAILS=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
cannot() { echo "CANNOT: $*"; exit 2; }

mount -t tmpfs tmpfs /run/systemd && mkdir -p /run/systemd/system || cannot "mount /run/systemd"
mount -t tmpfs tmpfs /run/log
# Persistent storage, on a tmpfs: only there does journald keep a journal
# per user, the one journalctl --user reads.
mount -t tmpfs tmpfs /var/log && mkdir /var/log/journal || cannot "mount /var/log"
: > "$W/console"; mount --bind "$W/console" /dev/console
PDIR=$(dirname "$PROG")
mount --bind "$PDIR" "$PDIR" && mount -o remount,bind,ro "$PDIR"
cp /etc/passwd "$W/passwd"; cp /etc/group "$W/group"
echo "kumotry:x:$TRY_UID:$TRY_UID::$W/home:/bin/sh" >> "$W/passwd"
echo "kumotry:x:$TRY_UID:" >> "$W/group"
mount --bind "$W/passwd" /etc/passwd; mount --bind "$W/group" /etc/group
printf '[Journal]\nStorage=persistent\nSplitMode=uid\nReadKMsg=no\nForwardToSyslog=no\nForwardToWall=no\nForwardToConsole=no\n' > "$W/journald.conf"
mount --bind "$W/journald.conf" /etc/systemd/journald.conf

/lib/systemd/systemd-journald > "$W/journald.out" 2>&1 &
for _ in $(seq 50); do [ -S /run/systemd/journal/stdout ] && break; sleep 0.1; done
[ -S /run/systemd/journal/stdout ] || cannot "journald did not start: $(cat "$W/journald.out")"
journalctl --flush || cannot "journalctl --flush"

RUN=$W/run CFG=$W/cfg
mkdir -p "$RUN" "$CFG/systemd/user" "$CFG/kumoden" "$W/home" "$W/watch-def" "$W/watch-a"
chmod 700 "$RUN"
UD=$CFG/systemd/user
printf '[Unit]\nDescription=Nothing but the manager\n' > "$UD/kumoden-try.target"
for f in kumoden.service kumoden@.service; do
    sed "s|@KUMODEN_INSTALLED_PROGRAM@|$PROG|" "$UNITS/$f" > "$UD/$f"
    mkdir -p "$UD/$f.d"
    printf '[Service]\nWatchdogSec=3\nRestartSec=1\nLimitCORE=0\n' > "$UD/$f.d/try.conf"
done
ini() { printf '[FileCheck_Info]\r\nFileChkTime=1000\r\nFileChkDir=%s\r\nAcrExeDir=%s\r\n' "$1" "$2"; }
ini "$W/watch-def" /bin/true > "$CFG/kumoden/kumoden.INI"
# The instance's reader fails: its failure is an error in the journal.
printf '#!/bin/sh\necho "out of paper" >&2\nexit 3\n' > "$W/reader"; chmod 755 "$W/reader"
ini "$W/watch-a" "$W/reader" > "$CFG/kumoden/alpha.INI"
# A pass blocks in waits of up to 5 s and is alive only between them: the
# instance that prints gets a watchdog longer than its waits.
mkdir -p "$UD/kumoden@alpha.service.d"
printf '[Service]\nWatchdogSec=15\n' > "$UD/kumoden@alpha.service.d/zz-pass.conf"
mkdir -p "$W/watch-idle"
ini "$W/watch-idle" /bin/true > "$CFG/kumoden/idle.INI"
chown -R "$TRY_UID:$TRY_UID" "$W/run" "$W/cfg" "$W/home" "$W/watch-def" "$W/watch-a" "$W/watch-idle"

# The manager hands its environment to the services.
ENVS=(env -i PATH=/usr/bin:/bin HOME="$W/home" USER=kumotry LOGNAME=kumotry
      XDG_RUNTIME_DIR="$RUN" XDG_CONFIG_HOME="$CFG" LANG=C.UTF-8 CUPS_SERVER="$W/no-cups.sock")
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
    [ -z "${!name:-}" ] || ENVS+=("$name=${!name}")
done
as_user() { setpriv --reuid="$TRY_UID" --regid="$TRY_UID" --clear-groups "${ENVS[@]}" "$@"; }
S() { as_user systemctl --user "$@"; }
J() { journalctl --no-pager "$@"; }        # root reads every journal file

# Into the delegated cgroup, then the user's manager.
(
    for d in "${CGS[@]}"; do echo 0 > "$d/$TOP/user@$TRY_UID.service/cgroup.procs"; done
    exec setpriv --reuid="$TRY_UID" --regid="$TRY_UID" --clear-groups "${ENVS[@]}" \
        /lib/systemd/systemd --user --unit=kumoden-try.target --log-target=journal --log-level=debug
) > "$W/manager.out" 2>&1 &
MGR=$!
for _ in $(seq 100); do [ -S "$RUN/systemd/private" ] && break; sleep 0.1; done
[ -S "$RUN/systemd/private" ] || cannot "manager did not start: $(cat "$W/manager.out"; J -o cat -n 20)"
S is-system-running --wait >/dev/null 2>&1
echo "manager: $(S is-system-running) (systemd $(systemctl --version | head -1 | cut -d' ' -f2), pid $MGR)"

# 1. A blocking start returns once the program said READY=1.
t=$(date +%s%N)
S start kumoden.service || fail "systemctl --user start kumoden.service"
ms=$(( ($(date +%s%N) - t) / 1000000 ))
eval "$(S show -p ActiveState,SubState,StatusText,MainPID kumoden.service | sed 's/=\(.*\)/="\1"/')"
P0=$MainPID
if [ "$ActiveState/$SubState" = active/running ] &&
   J -o cat USER_UNIT=kumoden.service | grep -q "Got notification message from PID $P0 (READY=1"; then
    pass "start waited ${ms}ms for READY=1: $ActiveState/$SubState"
else
    fail "start after ${ms}ms: $ActiveState/$SubState, READY=1 seen: $(J -o cat USER_UNIT=kumoden.service | grep -c READY=1)"
fi

# 2. The status line: what is watched, from the default INI of the user.
if [[ $StatusText == "監視中: $W/watch-def"* ]]; then pass "StatusText=$StatusText"
else fail "StatusText='$StatusText', not the folder of kumoden.INI"; fi
if S status --no-pager kumoden.service | grep -q "Status: \"監視中: $W/watch-def"; then
    pass "systemctl status shows the Status line"
else fail "systemctl status: $(S status --no-pager kumoden.service | head -8)"; fi

# 3. The instance: %E/kumoden/%i.INI, its folder, its log beside the INI.
S start --no-block kumoden@alpha.service
early=$(S show -p SubState --value kumoden@alpha.service)
S start kumoden@alpha.service kumoden@idle.service
PI=$(S show -p MainPID --value kumoden@idle.service)
# A PDF for the failing reader: the launch is info, the failure an error.
printf '%%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\ntrailer<</Root 1 0 R>>\n%%%%EOF\n' > "$W/watch-a/a.pdf"
chown "$TRY_UID:$TRY_UID" "$W/watch-a/a.pdf"
PA=$(S show -p MainPID --value kumoden@alpha.service)
argv=$(tr '\0' ' ' < /proc/$PA/cmdline)
[ "$early" = start ] && pass "--no-block start is activating (SubState=start) before READY" \
    || echo "INFO: --no-block start already '$early'"
if [ "$argv" = "$PROG --ini $CFG/kumoden/alpha.INI " ] &&
   [[ $(S show -p StatusText --value kumoden@alpha.service) == "監視中: $W/watch-a"* ]]; then
    pass "kumoden@alpha runs '$argv' and watches $W/watch-a"
else fail "kumoden@alpha: argv '$argv', status '$(S show -p StatusText --value kumoden@alpha.service)'"; fi

# 4. The watchdog: a stopped program is killed and started again, the other
#    one keeps running.
kill -STOP "$P0"
ok=0
for _ in $(seq 40); do
    sleep 0.5
    eval "$(S show -p ActiveState,SubState,MainPID,NRestarts kumoden.service | sed 's/=\(.*\)/="\1"/')"
    [ "$NRestarts" -ge 1 ] && [ "$ActiveState/$SubState" = active/running ] && [ "$MainPID" != "$P0" ] && { ok=1; break; }
done
if [ $ok = 1 ] && J -o cat USER_UNIT=kumoden.service | grep -q "Watchdog timeout"; then
    pass "stopped pid $P0: '$(J -o cat USER_UNIT=kumoden.service | grep -m1 'Watchdog timeout')', restarted as $MainPID (NRestarts=$NRestarts)"
else
    fail "stopped pid $P0: $ActiveState/$SubState pid $MainPID NRestarts=$NRestarts; $(J -o cat USER_UNIT=kumoden.service | grep -i -m3 'watchdog\|exited')"
fi
J -o cat USER_UNIT=kumoden.service | grep -m1 "Main process exited" | sed 's/^/INFO: /'
eval "$(S show -p MainPID,NRestarts,ActiveState kumoden@alpha.service | sed 's/=\(.*\)/="\1"/')"
if [ "$MainPID" = "$PA" ] && [ "$NRestarts" = 0 ] && [ "$ActiveState" = active ]; then
    pass "kumoden@alpha (WatchdogSec=15, printing) still pid $PA, NRestarts=0"
else fail "kumoden@alpha: pid $MainPID (was $PA), NRestarts=$NRestarts, $ActiveState"; fi
eval "$(S show -p MainPID,NRestarts,ActiveState kumoden@idle.service | sed 's/=\(.*\)/="\1"/')"
if [ "$MainPID" = "$PI" ] && [ "$NRestarts" = 0 ] && [ "$ActiveState" = active ]; then
    pass "kumoden@idle (WatchdogSec=3, not stopped) still pid $PI, NRestarts=0"
else fail "kumoden@idle: pid $MainPID (was $PI), NRestarts=$NRestarts, $ActiveState"; fi
gaps=$(J -o short-unix USER_UNIT=kumoden@idle.service | awk -v p="PID $PI (WATCHDOG=1)" 'index($0,p){if(l)printf "%.3f\n", $1-l; l=$1}' | sort -n | tail -1)
echo "INFO: longest gap between WATCHDOG=1 of kumoden@idle: ${gaps:-none}s"
gaps=$(J -o short-unix USER_UNIT=kumoden@alpha.service | awk -v p="PID $PA (WATCHDOG=1)" 'index($0,p){if(l)printf "%.3f\n", $1-l; l=$1}' | sort -n | tail -1)
echo "INFO: longest gap between WATCHDOG=1 of kumoden@alpha: ${gaps:-none}s"

# 5. The journal: each line at its level, read as the user would.
ok=0
for _ in $(seq 60); do
    as_user journalctl --user --no-pager -u kumoden@alpha.service -p err -o cat 2>/dev/null | grep -q "out of paper" && { ok=1; break; }
    sleep 0.5
done
if [ $ok = 1 ]; then pass "journalctl --user -u kumoden@alpha -p err: $(as_user journalctl --user --no-pager -u kumoden@alpha.service -p err -o cat | grep -m1 'out of paper')"
else fail "no 'out of paper' at err: $(as_user journalctl --user --no-pager -u kumoden@alpha.service -o cat 2>&1 | tail -5; ls -ln /run/log/journal/*/; which getfacl && getfacl /run/log/journal/*/*)"; fi
info=$(as_user journalctl --user --no-pager -u kumoden@alpha.service -p info..info -o cat)
if grep -q "BackPdf に移動: a.pdf" <<< "$info" &&
   ! as_user journalctl --user --no-pager -u kumoden@alpha.service -p warning -o cat | grep -q "BackPdf に移動"; then
    pass "the archiving line is at info only"
else fail "archiving line not at info: $(as_user journalctl --user --no-pager -u kumoden@alpha.service -o verbose | grep -B3 -A8 BackPdf | head -20)"; fi
if as_user journalctl --user --no-pager -u kumoden@alpha.service -o cat | grep -q '^<[0-7]>'; then
    fail "a level prefix reached the message: $(as_user journalctl --user --no-pager -u kumoden@alpha.service -o cat | grep -m1 '^<[0-7]>')"
else pass "no <N> prefix left in the messages"; fi
[ -f "$CFG/kumoden/alpha.log" ] && pass "alpha.log beside alpha.INI" || fail "no $CFG/kumoden/alpha.log"
echo "INFO: kumoden@alpha status now: $(S show -p StatusText --value kumoden@alpha.service)"

# 6. Stopping: STOPPING=1 and a clean end.
t=$(date +%s%N)
S stop kumoden@alpha.service kumoden@idle.service kumoden.service
ms=$(( ($(date +%s%N) - t) / 1000000 ))
r="$(S show -p ActiveState --value kumoden@alpha.service) $(S show -p Result --value kumoden@alpha.service)"
if J -o cat USER_UNIT=kumoden@alpha.service | grep -q "(STOPPING=1)" && [ "$r" = "inactive success" ]; then
    pass "stop in ${ms}ms with STOPPING=1, $r"
else fail "stop in ${ms}ms: $r, STOPPING=1 seen: $(J -o cat USER_UNIT=kumoden@alpha.service | grep -c STOPPING=1)"; fi

J -o short-precise > "$W/journal.txt" 2>&1
S exit >/dev/null 2>&1
for _ in $(seq 50); do kill -0 $MGR 2>/dev/null || break; sleep 0.1; done
echo "$FAILS check(s) failed"
[ $FAILS = 0 ]
