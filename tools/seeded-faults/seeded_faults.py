#!/usr/bin/env python3
"""Seeds one fault at a time into the program and runs the tests against it.

Each fault is a small edit of the kind a change can slip in: a wrong
comparison, a dropped step, a wrong constant, a missing lock, a missing retry.
For each one the script applies the edit, builds, runs the SQLite suites (the
server suites too with --server), notes which suites fail and takes the edit
back. A fault no suite catches is a gap in the tests; a trim of the tests must
leave every fault caught that was caught before. An edit that no longer builds
or whose text is gone is an error of this list, not a catch.

    tools/seeded-faults/seeded_faults.py BUILD_DIR [--server] [--only ID,...]
                                         [--tests REGEX | --quick] [--json OUT]

--tests runs only the suites whose names match REGEX (ctest -R), for a quick
check of the suites a change touched. --quick builds and runs, for each fault,
only the suites its hint names (the suites expected to catch it); the full
run, without it, is the one that shows every suite a fault fails.
"""
import argparse, json, os, pathlib, re, subprocess, sys

ROOT = pathlib.Path(__file__).resolve().parents[2]

# id, file, text, replacement, what goes wrong, the suites expected to catch it
FAULTS = [
    ("decoder-length", "src/comm/log_decoder.cpp",
     "token.size() != kDateTimeFieldLength", "token.size() < kDateTimeFieldLength",
     "a date or time field longer than three bytes is accepted", "tst_logdecoder"),
    ("reader-second-C", "src/comm/handset_reader.cpp",
     "    if (state_ != State::Stopping)\n        return;\n    send('C');",
     "    if (state_ != State::Stopping)\n        return;",
     "a stop request sends one C instead of two", "tst_serial_read"),
    ("reader-silence", "src/comm/handset_reader.h",
     "int silenceMs = 1000;", "int silenceMs = 100;",
     "the answer is cut after a tenth of a second of silence", "tst_serial_read"),
    ("sort-direction", "src/grid/log_grid_sort.cpp",
     "return descending ? keys.count - 1 - k : k;", "return descending ? k : keys.count - 1 - k;",
     "the heading buttons sort the wrong way round", "tst_main_search|tst_log_grid"),
    ("colour-17", "src/grid/log_row_format.cpp",
     "    case 9:\n    case 17:\n", "    case 9:\n",
     "log number 17 loses its red", "tst_log_grid"),
    ("csv-comma", "src/output/csv_lines.cpp",
     "out += QChar(0xFF0C); // full-width comma", "out += QLatin1Char(',');",
     "a comma in a cell splits the CSV field", "tst_csv_export"),
    ("search-last-day", "src/search/log_search.cpp",
     "# AND Date <= #", "# AND Date < #",
     "the last second of the date range is left out", "tst_log_grid|tst_main_search"),
    ("set-lock", "src/sets/selection_set_table.cpp",
     "    db.lockForChange({t.table});\n", "",
     "two PCs writing one set at once can double its members", "tst_server_setup"),
    ("preserve-retry", "src/admin_core/log_preservation.cpp",
     "constexpr int kAttempts = 4;", "constexpr int kAttempts = 1;",
     "a preservation the server gives up is not run again", "tst_preservation_postgresql"),
    ("id-trailing-blanks", "src/admin/list_edit_table.cpp",
     "    const QString key = withoutTrailingBlanks(texts[spec.keyField]);",
     "    const QString key = texts[spec.keyField];",
     "an ID is stored with the blanks typed after it", "tst_list_edit_windows"),
    ("trimmed-key", "src/db/schema.cpp",
     '    fields[0] = QStringLiteral("RTRIM(%1)").arg(fields[0]);\n', "",
     "a key that differs only by trailing blanks is stored a second time",
     "tst_engine|tst_server_setup|tst_list_edit_windows"),
    ("key-row", "src/app/sign_in_check.cpp",
     '"SELECT * FROM Login Where %1 ORDER BY ID ;"', '"SELECT * FROM Login Where %1 ;"',
     "sign-in reads another row of the ID than a registration changes",
     "tst_list_edit_windows|tst_login"),
    ("master-control", "src/db/log_master_file.cpp",
     "[](QChar c) { return c.category() == QChar::Other_Control; }",
     "[](QChar c) { return c.unicode() == 0x1B; }",
     "an LF or a NUL inside a log master text is accepted", "tst_log_master"),
    ("sjis-line-end", "src/admin_core/log_preservation.cpp",
     'out += "\\r\\n";\n}', 'out += "\\n";\n}',
     "the preservation file ends its lines with LF alone", "tst_preservation"),
    ("stat-limit", "src/stats/log_statistics.cpp",
     "u.atOrAbove += v >= limit;", "u.atOrAbove += v > limit;",
     "a value exactly at the limit is not counted", "tst_statistics"),
    ("typed-set-name", "src/ui/window_parts.cpp",
     "    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);\n",
     "",
     "a typed set name acts as a pick and loses the selection", "tst_selection_sets"),
    ("question-default", "src/ui/qt_dialogs.cpp",
     "box.setDefaultButton(defaultAnswer(buttons) == MsgAnswer::Yes ? QMessageBox::Yes\n"
     "                                                                      : QMessageBox::No);",
     "box.setDefaultButton(QMessageBox::Yes);",
     "Enter answers Yes to a question that deletes", "tst_frm_kanri"),
    ("fill-cancel", "src/search/log_search.cpp",
     "            model.clearRows();\n            out.cancelled = true;",
     "            out.cancelled = true;",
     "a stopped search leaves a half-filled grid", "tst_main_search"),
    # The archive: a log is in one place, Log_Data or the archive.
    ("archive-read-skip", "src/comm/log_store.cpp",
     "const std::span<const LogRow> fresh = withoutArchived(rows, kept);",
     "const std::span<const LogRow> fresh = rows;",
     "a read stores again a log that was preserved into the archive", "tst_logstore"),
    ("archive-after-delete", "src/admin_core/log_preservation.cpp",
     "        step(Step::Archiving, 0, 0);\n"
     "        log_archive::archiveLogData(db, preservedAt, period);\n"
     "        step(Step::Deleting, 0, 0);\n"
     "        outcome.rows = Delete_LogData(db, period);\n",
     "        step(Step::Deleting, 0, 0);\n"
     "        outcome.rows = Delete_LogData(db, period);\n"
     "        step(Step::Archiving, 0, 0);\n"
     "        log_archive::archiveLogData(db, preservedAt, period);\n",
     "a save-and-delete archives after deleting, so the deleted logs are not archived",
     "tst_preservation"),
    ("archive-period", "src/admin_core/log_preservation.cpp",
     "log_archive::archiveLogData(db, preservedAt, period);",
     "log_archive::archiveLogData(db, preservedAt);",
     "a deletion limited to a period archives the logs outside it too", "tst_preservation"),
    # Restore: the period's archived logs back into Log_Data, and out of the archive.
    ("restore-last-second", "src/admin_core/log_archive.cpp",
     'dayLiteral(to, "23:59:59")', 'dayLiteral(to, "23:59:58")',
     "a restore leaves out the last second of its last day", "tst_preservation"),
    ("restore-last-second-server", "src/db/server_trust.cpp",
     "last_day + time '23:59:59'", "last_day + time '23:59:58'",
     "the server's restore leaves out the last second of its last day",
     "tst_preservation_postgresql"),
    ("restore-keeps-archive", "src/admin_core/log_archive.cpp",
     "    db.execute(\n"
     '        QStringLiteral("DELETE FROM Log_Archive WHERE Date >= %1 AND Date <= %2 AND EXISTS "\n'
     '                       "(SELECT 1 FROM Log_Data D WHERE %3)")\n'
     '            .arg(dayLiteral(first, "00:00:00"), dayLiteral(last, "23:59:59"),\n'
     '                 schema_archive::sameLog(QStringLiteral("D"), QStringLiteral("Log_Archive"),\n'
     '                                         {QStringLiteral("Log_No"), QStringLiteral("Alcohol"),\n'
     '                                          QStringLiteral("Tani"), QStringLiteral("WDate")})));\n',
     "",
     "a restore copies the logs back but leaves them in the archive", "tst_preservation"),
    # The operation history.
    ("history-archive-load", "src/admin/frm_db_archive.cpp",
     "    op_history::add(ctx_, this, op_history::Op::ArchiveLoad,\n"
     "                    texts::history::LoadDetails.in(ctx_.sw).arg(QDir::toNativeSeparators(path),\n"
     "                                                                added, archived, current));\n",
     "",
     "loading a file into the archive is not recorded in the history", "tst_history"),
    # Who administers: the ID's 管理者 flag.
    ("admin-flag-ignored", "src/db/login_rights.cpp",
     "return rows.next() && rows.integer(0) == 1;", "return rows.next();",
     "any registered ID is let into the administration, 管理者 or not",
     "tst_frm_kanri|tst_check_records"),
    ("admin-new-id-on", "src/admin/list_edit_window.cpp",
     'box->setChecked(text == QLatin1String("1"));', 'box->setChecked(text != QLatin1String("0"));',
     "a new ID starts with 管理者 ticked", "tst_list_edit_windows"),
    # TLS of the server connection.
    ("tls-sslmode", "src/db/server_connect.cpp",
     '        {"sslmode", a.sslmode},\n', "",
     "the setting's sslmode is not passed: a server of another name is trusted",
     "tst_server_network"),
    ("tls-ca-reconnect", "src/db/server_session.cpp",
     "        ServerAddress server = server_;\n",
     "        ServerAddress server = server_;\n        server.sslrootcert.clear();\n",
     "a reconnection drops the setting's CA file", "tst_server_network"),
    # The handset's port kept per PC when the database is a server.
    ("port-per-pc", "src/comm/port_setting.cpp",
     "return {ctx.appDir, ctx.portInSettings, ctx.settings, systemPortDevices()};",
     "return {ctx.appDir, false, ctx.settings, systemPortDevices()};",
     "on a server every PC reads and writes the one Com_Port row", "tst_frm_com"),
    # Upgrading an older database.
    ("upgrade-skips-5", "src/db/schema_upgrade.cpp",
     '{5, "keeps a check record per measurement", &keepCheckRecords},',
     '{4, "keeps a check record per measurement", &keepCheckRecords},',
     "step 5 numbered 4: an older database skips it (no check record table)",
     "tst_login|tst_server_setup"),
    ("upgrade-loses-rows", "src/db/schema_archive.cpp",
     '                {QStringLiteral("Log_No"), QStringLiteral("Alcohol"), QStringLiteral("Tani")})));',
     "                {})));",
     "the upgrade to one place removes archived logs that differ from their current copy",
     "tst_login"),
    # Commands while a search fills the grid.
    ("fill-accepts-command", "src/main/frm_main.cpp",
     "void Frm_Main::M_Kiroku_Click()\n{\n    if (refusedDuringSearch())\n        return;\n",
     "void Frm_Main::M_Kiroku_Click()\n{\n",
     "the record book opens while a search fills the grid", "tst_main_search"),
]


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=kw.pop("cwd", ROOT), capture_output=True, text=True, **kw)


def environment():
    return {**os.environ, "QT_QPA_PLATFORM": "offscreen"}


def failing_suites(build, server, tests):
    args = ["ctest", "-j2", "--timeout", "600"]
    if tests:
        args += ["-R", tests]
    if not server:
        args += ["-E", "postgresql"]
    out = run(args, cwd=build, env=environment())
    # ctest's closing list names every suite that did not pass, however it
    # ended (failed, crashed, aborted, timed out).
    listing = out.stdout.split("The following tests FAILED:", 1)
    failed = []
    for line in listing[1].splitlines() if len(listing) > 1 else []:
        parts = line.split()
        if len(parts) >= 3 and parts[0].isdigit() and parts[1] == "-":
            failed.append(parts[2])
    return failed


def suites_named(build, server, tests):
    """The suites ctest would run for the regular expression."""
    args = ["ctest", "-N", "-R", tests] + ([] if server else ["-E", "postgresql"])
    return re.findall(r"Test +#\d+: (\S+)", run(args, cwd=build).stdout)


def build_targets(build, suites):
    """Builds the programs of those suites (a server twin runs its suite's program), or all."""
    targets = sorted({s.removesuffix("_postgresql") for s in suites} - {"tst_layers"})
    args = ["cmake", "--build", str(build), "-j2"]
    return run(args + (["--target", *targets] if targets else []))


def try_fault(build, a, rel, old, new, hint):
    """Seeds one fault, builds and runs the suites; the result without "what"."""
    path = ROOT / rel
    text = path.read_text() if path.exists() else ""
    if old not in text:
        return {"error": f"text not found in {rel}"}
    tests = hint if a.quick else a.tests
    suites = suites_named(build, a.server, tests) if tests else []
    if tests and not suites:
        return {"error": f"no suite matches {tests}" + ("" if a.server else " without --server")}
    try:
        path.write_text(text.replace(old, new, 1))
        made = build_targets(build, suites if a.quick else [])
        if made.returncode != 0:
            return {"error": "the seeded edit does not build"}
        return {"caught_by": failing_suites(build, a.server, tests)}
    finally:
        path.write_text(text)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("--server", action="store_true")
    p.add_argument("--only", default="")
    p.add_argument("--tests", default="")
    p.add_argument("--quick", action="store_true")
    p.add_argument("--json")
    a = p.parse_args()
    if a.quick and a.tests:
        p.error("--quick runs each fault's hinted suites; it does not take --tests")
    build = pathlib.Path(a.build).resolve()
    only = set(filter(None, a.only.split(",")))
    results = {}
    for fid, rel, old, new, what, hint in FAULTS:
        if only and fid not in only:
            continue
        results[fid] = {"what": what, **try_fault(build, a, rel, old, new, hint)}
        r = results[fid]
        shown = f"ERROR {r['error']}" if "error" in r else (
            f"CAUGHT {' '.join(r['caught_by'])}" if r["caught_by"] else "MISSED")
        print(f"{fid:28} {shown}", flush=True)
    run(["cmake", "--build", str(build), "-j2"])
    if a.json:
        pathlib.Path(a.json).write_text(json.dumps(results, indent=1, ensure_ascii=False))
    return 1 if any(not r.get("caught_by") for r in results.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
