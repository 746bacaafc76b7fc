#!/usr/bin/env bash
# A private CUPS scheduler for the printer tests: its own configuration,
# spool, state and log directories and a domain socket, never the system's
# scheduler or its configuration. Adds one PDF queue, "QEL_PDF", driven by
# the cups-pdf driver, which writes every job into this directory's "pdf"
# folder, so test runs that share a machine never see each other's files.
#
#   tools/cups-test-server.sh start   start it unless it already runs; prints
#                                     CUPS_SERVER=<socket> and QEL_CUPS_PDF_OUT=<dir>
#   tools/cups-test-server.sh stop    stop it (only the scheduler this script started)
#                                     and remove what its jobs wrote
#   tools/cups-test-server.sh env     print the two lines without starting anything
#
# QEL_CUPS_DIR chooses the directory (default /tmp/qel-cups-<uid>). Starting is
# safe from several processes at once (one lock). The cups-pdf back end needs
# root; as another user the queue is added but jobs fail, and the tests say so.
set -euo pipefail

DIR=${QEL_CUPS_DIR:-/tmp/qel-cups-$(id -u)}
SOCK="$DIR/cups.sock"
# A domain socket's path has room for about a hundred bytes.
if [ ${#SOCK} -gt 100 ]; then
    SOCK="/tmp/qel-cups-$(id -u)-$(printf '%s' "$DIR" | md5sum | cut -c1-12).sock"
fi
QUEUE=QEL_PDF
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
# cups-pdf reads the configuration of a queue whose device is cups-pdf:/NAME
# from /etc/cups/cups-pdf-NAME.conf and no other place; NAME is this
# directory's own, so each run's queue has a configuration of its own.
PDF_NAME=qel-$(printf '%s' "$DIR" | md5sum | cut -c1-12)
PDF_CONF=/etc/cups/cups-pdf-$PDF_NAME.conf
OUT="$DIR/pdf"

print_env() {
    echo "CUPS_SERVER=$SOCK"
    # cups-pdf writes jobs of users without an account here, named after
    # the job's title and number.
    echo "QEL_CUPS_PDF_OUT=$OUT"
}

write_pdf_config() {
    mkdir -p "$OUT" "$DIR/pdf-spool" "$DIR/log"
    # The jobs of users without an account are written as "nobody".
    chmod 1777 "$OUT"
    [ "$(id -u)" -eq 0 ] || return 0
    cat >"$PDF_CONF.tmp" <<EOF
# The PDF queue of the private test scheduler in $DIR; removed when it stops.
Out $OUT
AnonDirName $OUT
Spool $DIR/pdf-spool
Log $DIR/log
Label 2
EOF
    mv "$PDF_CONF.tmp" "$PDF_CONF"
}

running() {
    [ -f "$DIR/cupsd.pid" ] && kill -0 "$(cat "$DIR/cupsd.pid")" 2>/dev/null && [ -S "$SOCK" ]
}

write_config() {
    mkdir -p "$DIR/etc/ppd" "$DIR/etc/ssl" "$DIR/spool/tmp" "$DIR/state/certs" "$DIR/cache" "$DIR/log"
    local ident
    if [ "$(id -u)" -eq 0 ]; then
        ident=$'User lp\nGroup lp\nSystemGroup root'
        chown -R root:lp "$DIR/spool" "$DIR/cache" "$DIR/state"
        chmod 0710 "$DIR/spool"; chmod 1770 "$DIR/spool/tmp"; chmod 0775 "$DIR/cache"
        chmod 0755 "$DIR/state"; chmod 0711 "$DIR/state/certs"
    else
        # A scheduler of an ordinary user runs everything as that user.
        ident="SystemGroup $(id -gn)"
    fi
    cat >"$DIR/etc/cups-files.conf" <<EOF
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
StateDir $DIR/state
CacheDir $DIR/cache
ServerBin /usr/lib/cups
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
AccessLog $DIR/log/access_log
ErrorLog $DIR/log/error_log
PageLog $DIR/log/page_log
$ident
FileDevice No
Sandboxing Relaxed
EOF
    cat >"$DIR/etc/cupsd.conf" <<EOF
Listen $SOCK
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
MaxJobs 200
PreserveJobFiles No
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
EOF
}

start() {
    command -v cupsd >/dev/null || { echo "cupsd is not installed (package cups)" >&2; exit 1; }
    [ -f "$PPD" ] || { echo "the cups-pdf driver is not installed (package printer-driver-cups-pdf)" >&2; exit 1; }
    mkdir -p "$DIR"
    exec 9>"$DIR.lock"
    flock 9
    if ! running; then
        rm -f "$SOCK"
        write_config
        # -f keeps it in the foreground of its own background process, so the
        # pid is the scheduler's and nothing else is ever stopped.
        setsid /usr/sbin/cupsd -f -c "$DIR/etc/cupsd.conf" -s "$DIR/etc/cups-files.conf" \
            </dev/null >"$DIR/log/cupsd.out" 2>&1 9>&- &
        echo $! >"$DIR/cupsd.pid"
        for _ in $(seq 1 100); do
            [ -S "$SOCK" ] && break
            kill -0 "$(cat "$DIR/cupsd.pid")" 2>/dev/null || break
            sleep 0.1
        done
        if ! running; then
            echo "the private CUPS scheduler did not start; see $DIR/log" >&2
            cat "$DIR/log/cupsd.out" "$DIR/log/error_log" 2>/dev/null | tail -20 >&2
            exit 1
        fi
    fi
    write_pdf_config
    if ! lpstat -h "$SOCK" -p "$QUEUE" >/dev/null 2>&1; then
        lpadmin -h "$SOCK" -p "$QUEUE" -E -v "cups-pdf:/$PDF_NAME" -P "$PPD" -D "PDF queue for tests" >&2
        lpadmin -h "$SOCK" -d "$QUEUE" >&2
    elif ! lpstat -h "$SOCK" -v "$QUEUE" 2>/dev/null | grep -q "cups-pdf:/$PDF_NAME\$"; then
        # A queue of an older layout wrote into the system's shared folder.
        lpadmin -h "$SOCK" -p "$QUEUE" -v "cups-pdf:/$PDF_NAME" >&2
    fi
    # The driver turns PDF into PostScript and back; the cairo renderer keeps
    # the text's character mapping, so the output stays searchable. A4 is the
    # queue's paper whatever the machine's locale says.
    if ! lpoptions -h "$SOCK" -p "$QUEUE" 2>/dev/null | grep -q 'pdftops-renderer=pdftocairo'; then
        lpadmin -h "$SOCK" -p "$QUEUE" -o PageSize=A4 -o pdftops-renderer-default=pdftocairo >&2
    fi
    print_env
}

stop() {
    if [ -f "$DIR/cupsd.pid" ]; then
        local pid
        pid=$(cat "$DIR/cupsd.pid")
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid"
            for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        fi
        rm -f "$DIR/cupsd.pid"
    fi
    # What the run's jobs wrote, and the queue's configuration.
    rm -rf "$OUT" "$DIR/pdf-spool"
    rm -f "$PDF_CONF"
}

case "${1:-start}" in
    start) start ;;
    stop) stop ;;
    env) print_env ;;
    *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
