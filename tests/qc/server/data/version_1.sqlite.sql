-- The history as the program's first schema left it, holding one run of one serum.
CREATE TABLE runs (id INTEGER PRIMARY KEY, substance TEXT NOT NULL, assay_no TEXT NOT NULL, date_key TEXT NOT NULL, assay_date TEXT NOT NULL, unit TEXT NOT NULL, operator TEXT NOT NULL, fit TEXT NOT NULL, result_file TEXT NOT NULL, saved_at TEXT NOT NULL, UNIQUE (substance, assay_no, date_key));
CREATE TABLE serum_results (run_id INTEGER NOT NULL REFERENCES runs (id) ON DELETE CASCADE, serum INTEGER NOT NULL, mean REAL, cv REAL NOT NULL, tubes INTEGER NOT NULL, PRIMARY KEY (run_id, serum)) WITHOUT ROWID;
CREATE TABLE targets (substance TEXT NOT NULL, serum INTEGER NOT NULL, mean REAL NOT NULL, sd REAL NOT NULL, entered_at TEXT NOT NULL, PRIMARY KEY (substance, serum)) WITHOUT ROWID;
INSERT INTO runs VALUES (1, 'コルチゾール', 'C-1', '2026-01-05', '2026/1/5', '', '', '1次', '', '2026-01-05 09:00:00');
INSERT INTO serum_results VALUES (1, 1, 4.5, 2.0, 2);
PRAGMA application_id = 1364280113;
PRAGMA user_version = 1;
