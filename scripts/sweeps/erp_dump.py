"""Prints an embedded ERP's contents as sorted text, for comparing two runs of one import.

Every table and row, rows sorted, leaving out the server time a run stamps on its vouchers (all that differs
between two uninterrupted runs of the same import) and the counter standing in for the server's session ids, which
counts connections: a resumed import opens more than one.
Usage: erp_dump.py DATABASE
"""
import sqlite3
import sys

RUN_CLOCK_COLUMNS = {"dnverifytime"}
SESSION_TABLES = {"hz_spidcounter"}


def erp_text_order(left, right):
    # The ERP's collation: no letter case, no trailing blanks. Only needed to read tables declared with it.
    left, right = left.rstrip(" ").lower(), right.rstrip(" ").lower()
    return (left > right) - (left < right)


def main(path):
    erp = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    erp.create_collation("HZ_CI_RTRIM", erp_text_order)
    tables = [name for (name,) in erp.execute(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name")]
    for table in tables:
        if table.lower() in SESSION_TABLES:
            continue
        columns = [row[1] for row in erp.execute(f'PRAGMA table_info("{table}")')
                   if row[1].lower() not in RUN_CLOCK_COLUMNS]
        quoted = ", ".join(f'"{column}"' for column in columns)
        rows = sorted(repr(row) for row in erp.execute(f'SELECT {quoted} FROM "{table}"'))
        print(f"{table} {len(rows)} rows: {', '.join(columns)}")
        for row in rows:
            print("  " + row)


if __name__ == "__main__":
    main(sys.argv[1])
