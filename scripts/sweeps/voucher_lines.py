"""Checks that every voucher of a sample workbook reached the ERP with all its lines.

Consecutive rows with one key (the column headed ...单号) form a voucher. The ERP numbers stock vouchers itself, so
vouchers are matched in the order they were saved: the line counts of the receipt and issue sheets' vouchers, sheet
after sheet as an import of all kinds takes them, must be those of the ERP's stock vouchers other than opening stock
by id; the transfer sheet's, those of its transfers; and the opening stock sheet's rows, the lines of its opening
stock vouchers.
Usage: voucher_lines.py DATABASE WORKBOOK; prints what differs and exits 1.
"""
import sqlite3
import sys

import openpyxl

STOCK_SHEETS = ["采购入库单", "产成品入库单", "其他入库单", "销售出库单", "材料出库单", "其他出库单"]
TRANSFER_SHEET = "调拨单"
OPENING_SHEET = "存货期初"
OPENING_TYPE = "34"


def sheet_vouchers(book, name):
    rows = book[name].iter_rows(values_only=True)
    key = next(i for i, title in enumerate(next(rows)) if title and str(title).endswith("单号"))
    vouchers = []
    current, lines = None, 0
    for row in rows:
        cell = row[key] if key < len(row) else None
        if cell in (None, ""):
            break
        if cell != current and current is not None:
            vouchers.append(lines)
            lines = 0
        current, lines = cell, lines + 1
    if current is not None:
        vouchers.append(lines)
    return vouchers


def sheet_rows(book, name):
    return sum(1 for row in book[name].iter_rows(min_row=2, values_only=True) if any(v not in (None, "") for v in row))


def erp_vouchers(erp, header, detail, where):
    return [lines for (lines,) in erp.execute(
        f"SELECT (SELECT count(*) FROM {detail} d WHERE d.ID = h.ID) FROM {header} h WHERE {where} ORDER BY h.ID")]


def main(database, workbook):
    book = openpyxl.load_workbook(workbook, read_only=True)
    erp = sqlite3.connect(f"file:{database}?mode=ro", uri=True)
    erp.create_collation("HZ_CI_RTRIM", lambda a, b: (a.rstrip(" ").lower() > b.rstrip(" ").lower()) -
                         (a.rstrip(" ").lower() < b.rstrip(" ").lower()))
    stock = []
    for name in STOCK_SHEETS:
        stock += sheet_vouchers(book, name)
    found = [
        ("stock vouchers", stock,
         erp_vouchers(erp, "RdRecord", "RdRecords", f"cVouchType <> '{OPENING_TYPE}'")),
        ("transfers", sheet_vouchers(book, TRANSFER_SHEET), erp_vouchers(erp, "TransVouch", "TransVouchs", "1")),
    ]
    opening_lines = erp.execute("SELECT count(*) FROM RdRecords WHERE ID IN "
                                f"(SELECT ID FROM RdRecord WHERE cVouchType = '{OPENING_TYPE}')").fetchone()[0]
    ok = True
    for what, expected, actual in found:
        if expected != actual:
            ok = False
            at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b), min(len(expected), len(actual)))
            print(f"{what}: the workbook has {len(expected)}, the ERP {len(actual)}; voucher {at + 1} differs first")
    if opening_lines != sheet_rows(book, OPENING_SHEET):
        ok = False
        print(f"opening stock: {sheet_rows(book, OPENING_SHEET)} rows, {opening_lines} lines in the ERP")
    if ok:
        print(f"all {len(stock) + len(found[1][1])} vouchers of the voucher sheets are in the ERP with all their lines")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
