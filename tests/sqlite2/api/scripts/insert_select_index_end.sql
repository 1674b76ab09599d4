-- INSERT ... SELECT of min() or max() alone of an indexed column writes its one row. 2.8 writes
-- none, while the SELECT alone and CREATE TABLE ... AS give the row.
CREATE TABLE d(k INTEGER PRIMARY KEY, a UNIQUE, b);
CREATE INDEX ib ON d(b);
CREATE TABLE t(x);
INSERT INTO d VALUES(1, 'x', 5);
SELECT max(a), min(b) FROM d;
CREATE TABLE c AS SELECT max(a) FROM d;
SELECT * FROM c;
INSERT INTO t SELECT max(k) FROM d;
INSERT INTO t SELECT min(b) FROM d;
-- ours: (none)
INSERT INTO t SELECT max(a) FROM d;
-- ours: (none)
INSERT INTO t SELECT max(a) FROM d WHERE k > 1;
-- ours: (none)
SELECT * FROM t;
-- ours: 1
-- ours: 5
-- ours: x
-- ours: NULL
