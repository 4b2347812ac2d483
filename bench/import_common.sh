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

# import_kinds KIND...: one import run of the kinds; the benchmark stops unless it ends with 导入完成！.
import_kinds() {
    local arguments=() kind
    for kind in "$@"; do
        arguments+=(--kind "$kind")
    done
    if ! "$cli" import --workbook "$workbook" --settings "$settings" "${arguments[@]}" >"$work/import.out" ||
        ! grep -qx '导入完成！' "$work/import.out"; then
        echo "import of $* did not complete:" >&2
        cat "$work/import.out" >&2
        exit 1
    fi
}

# timed_import KIND...: import_kinds, its wall clock and the process's processor time in user and kernel mode
# left in seconds in wall, user and system.
timed_import() {
    local TIMEFORMAT='%R %U %S'
    { time import_kinds "$@"; } 2>"$work/time"
    read -r wall user system <"$work/time"
}

# erp_sql SQL: the answer of the demo ERP, rows one a line, fields separated by "|".
erp_sql() {
    sqlite3 -readonly -cmd ".load $build/engine/libhz_erp_collation.so" "$database" "$1"
}
