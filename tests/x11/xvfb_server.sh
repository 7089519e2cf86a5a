#!/bin/sh
# Starts or stops the private X server of the X11 tests: xvfb_server.sh
# start|stop DIR. The server picks a free display number and writes it to
# DIR/display; without Xvfb no file is written and the tests skip.
set -u
action=$1
dir=$2
mkdir -p "$dir"

stop() {
    if [ -f "$dir/pid" ]; then
        kill "$(cat "$dir/pid")" 2>/dev/null
        rm -f "$dir/pid"
    fi
    rm -f "$dir/display"
}

case $action in
start)
    stop
    if ! command -v Xvfb >/dev/null 2>&1; then
        echo "Xvfb is not installed: the X11 tests will skip"
        exit 0
    fi
    rm -f "$dir/number"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$dir/number" </dev/null >"$dir/server.log" 2>&1 &
    echo $! >"$dir/pid"
    # The display number appears once the server accepts connections.
    tries=0
    while [ ! -s "$dir/number" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
            echo "Xvfb did not start:"
            cat "$dir/server.log"
            stop
            exit 1
        fi
        sleep 0.1
    done
    mv "$dir/number" "$dir/display"
    echo "Xvfb on display :$(cat "$dir/display")"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
