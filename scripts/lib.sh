# shellcheck shell=bash
# Shell functions the scripts share. Source it after "set -euo pipefail".
# Waits are given in seconds. CUPS clients run through cups_client, in the
# C locale, because their words are read here ("scheduler is running" is
# 「スケジューラーは動作中です」 for a Japanese user); a script that talks to
# a scheduler of its own defines cups_client again after sourcing this.

KUMODEN_PPD=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd

fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

note() {
    echo "$(basename "$0"): $*"
}

# wait_for <seconds> <command...>: true as soon as the command succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

alive() {
    [[ -n "${1:-}" ]] && kill -0 "$1" 2>/dev/null
}

cups_client() {
    LANG=C LC_ALL=C "$@"
}

scheduler_running() {
    cups_client lpstat -r 2>/dev/null | grep -q '^scheduler is running'
}

queue_exists() {
    cups_client lpstat -v "$1" >/dev/null 2>&1
}

# pdf_queue <name> <uri>: the cups-pdf queue, made if it is not there. It
# drops a job whose document fails to convert at once, rather than retry it
# for minutes while the queue never goes idle. False when lpadmin fails.
pdf_queue() {
    if ! queue_exists "$1"; then
        # lpadmin warns that PPD drivers are deprecated; only failures matter.
        cups_client lpadmin -p "$1" -v "$2" -E -m "$KUMODEN_PPD" -o printer-is-shared=no 2>/dev/null || return 1
        queue_exists "$1" || return 1
    fi
    cups_client lpadmin -p "$1" -o printer-error-policy=abort-job 2>/dev/null
}
