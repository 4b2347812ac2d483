# Sourced by the import benchmarks from the repository root: builds, and gives a scratch folder with a sample
# workbook, a fresh demo ERP and the means to import into it, timed or not, and to query it.
build=${HZ_BUILD_DIR:-build}
HZ_BUILD_DIR=$build scripts/build >&2
cli=$build/bin/huizhang-cli
work=$(mktemp -d "${HZ_BENCH_DIR:-${TMPDIR:-/tmp}}/hz-bench-import.XXXXXX")
trap 'rm -rf "$work"' EXIT
settings=$work/ZirurUzavarUriz.ini
workbook=$work/sample.xlsx
database=$work/HZDEMO_001_2026.db

# new_erp SAMPLE-OPTION...: a fresh demo ERP and the sample workbook, with the cost prices it needs in the ERP.
new_erp() {
    "$cli" init-demo --settings "$settings" >/dev/null
    "$cli" sample "$workbook" --settings "$settings" "$@" >/dev/null
}

# The exit status a run must end with: 0, or 3 where a benchmark leaves a voucher out on purpose.
expected_status=0

# run_kinds COMMAND FINAL KIND...: one huizhang-cli COMMAND (import or check) of the kinds; the benchmark stops
# unless it exits with expected_status and the final line FINAL.
run_kinds() {
    local command=$1 final=$2 arguments=() kind status=0
    shift 2
    for kind in "$@"; do
        arguments+=(--kind "$kind")
    done
    "$cli" "$command" --workbook "$workbook" --settings "$settings" "${arguments[@]}" >"$work/run.out" || status=$?
    if [ "$status" != "$expected_status" ] || ! grep -qx "$final" "$work/run.out"; then
        echo "$command of $* did not end with $final (exit status $status):" >&2
        cat "$work/run.out" >&2
        exit 1
    fi
}

import_kinds() {
    run_kinds import '导入完成！' "$@"
}

check_kinds() {
    run_kinds check '检查完成：没有发现错误' "$@"
}

# timed COMMAND...: runs the command, leaving its wall clock and the processor time of its processes in user and
# kernel mode in seconds in wall, user and system.
timed() {
    local TIMEFORMAT='%R %U %S'
    { time "$@"; } 2>"$work/time"
    read -r wall user system <"$work/time"
}

# timed_import KIND...: timed import_kinds; the round trips its connection made (as the SQL Server path would) in
# round_trips, empty when huizhang-cli wrote no count (HZ_ROUND_TRIPS_FILE).
timed_import() {
    rm -f "$work/round_trips"
    round_trips=
    HZ_ROUND_TRIPS_FILE=$work/round_trips timed import_kinds "$@"
    if [[ -s $work/round_trips ]]; then
        read -r round_trips <"$work/round_trips"
    fi
}

# erp_sql SQL: the answer of the demo ERP, rows one a line, fields separated by "|".
erp_sql() {
    sqlite3 -readonly -cmd ".load $build/engine/libhz_erp_collation.so" "$database" "$1"
}
