# Shared by the text-dump comparisons (sourced): how each program dumps a page, and a paired run
# of them all on one page. The caller sets $corvane, $work, $runs and $dumpers.

command_for() {
    case "$1" in
        corvane) echo "$corvane --dump-text $2" ;;
        *) echo "$1 -dump $2" ;;
    esac
}

# Checks every program really reads PAGE (or its time means nothing), then writes the median
# times to $work/page.times and each program's /usr/bin/time report to $work/NAME.time.
measure_dumpers() {
    page="$1"
    for name in $dumpers; do
        $(command_for "$name" "$page") > "$work/$name.txt" 2>"$work/$name.err" || {
            echo "$0: $name failed on the page:" >&2
            cat "$work/$name.err" >&2
            exit 1
        }
        [ -s "$work/$name.txt" ] || { echo "$0: $name wrote nothing" >&2; exit 1; }
    done
    set --
    for name in $dumpers; do set -- "$@" "$name=$(command_for "$name" "$page")"; done
    python3 "$here/paired_times.py" "$runs" 1 "$@" > "$work/page.times"
    for name in $dumpers; do
        /usr/bin/time -v $(command_for "$name" "$page") 2>"$work/$name.time" >/dev/null
    done
}
