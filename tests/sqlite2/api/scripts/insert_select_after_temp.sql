-- INSERT ... SELECT writes every row also where its FROM reads a
-- table of the other database (TEMP, or the file) before the table written. 2.8 fails with
-- "database table is locked" there.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 2);
CREATE TEMP TABLE d(a, b);
INSERT INTO d VALUES(NULL, 69);
INSERT INTO d VALUES(3, 70);
INSERT INTO t SELECT t.b, d.a FROM t, d;
INSERT INTO t SELECT t.b, d.a FROM d, t;
-- ours: (none)
SELECT * FROM t ORDER BY rowid;
-- ours: 1|2
-- ours: 2|NULL
-- ours: 2|3
-- ours: 2|NULL
-- ours: NULL|NULL
-- ours: 3|NULL
-- ours: 2|3
-- ours: NULL|3
-- ours: 3|3
INSERT INTO d SELECT t.b, d.a FROM t, d WHERE t.rowid = 1;
-- ours: (none)
SELECT * FROM d ORDER BY rowid;
-- ours: NULL|69
-- ours: 3|70
-- ours: 2|NULL
-- ours: 2|3
