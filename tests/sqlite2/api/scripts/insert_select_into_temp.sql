-- INSERT ... SELECT into a TEMP table from itself, with a min() or max() sub-select over an
-- indexed table of the file: an empty SELECT inserts nothing. SQLite 2.8 inserts a row of
-- NULLs there (the key becomes 1) and counts it, when the table's page number and the index's
-- meet as here.
CREATE TEMP TABLE t(a INTEGER PRIMARY KEY, b);
CREATE TABLE d(x);
CREATE TABLE u(x UNIQUE);
SELECT 12, (SELECT min(x) FROM u) FROM t ORDER BY b;
INSERT INTO t SELECT 12, (SELECT min(x) FROM u) FROM t;
-- ours: (none)
SELECT rowid, * FROM t;
-- ours: (none)
PRAGMA count_changes = ON;
-- ours: (none)
INSERT INTO t SELECT 12, (SELECT max(x) FROM u) FROM t ORDER BY b;
-- ours: 0
