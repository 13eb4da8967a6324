#!/bin/sh
# A CUPS backend for the tests' own scheduler: a printer that takes every
# job and jams on it. The scheduler reads the ERROR line as the printer's
# state message; the exit status 1 (CUPS_BACKEND_FAILED) lets the queue's
# error policy decide what becomes of the job.
#
#   kumoden-fails                                   lists the device
#   kumoden-fails job user title copies options [file]
if [ $# -eq 0 ]; then
    echo 'direct kumoden-fails "Kumoden test printer" "A printer that jams on every job"'
    exit 0
fi
# Take the document, as a printer does before it jams.
if [ $# -ge 6 ]; then
    cat "$6" >/dev/null
else
    cat >/dev/null
fi
echo "ERROR: paper jam in tray 2" >&2
exit 1
