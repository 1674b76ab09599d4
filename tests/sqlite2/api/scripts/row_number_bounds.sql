-- A bound on the row number beyond 32 bits is compared as the number it is. 2.8 wraps it into
-- a 32-bit integer, so that rowid > 1e10 gives every row, and DELETE removes them all.
CREATE TABLE t1(c0 INTEGER PRIMARY KEY, b);
INSERT INTO t1 VALUES(1, 2);
INSERT INTO t1 VALUES(5, 6);
SELECT * FROM t1 WHERE c0 > 1e10;
-- ours: (none)
SELECT * FROM t1 WHERE rowid >= 3000000000;
-- ours: (none)
SELECT * FROM t1 WHERE c0 < 1e10;
SELECT * FROM t1 WHERE c0 < -1e10;
SELECT * FROM t1 WHERE c0 > 2.5;
SELECT * FROM (SELECT c0 FROM t1) WHERE c0 > 1e10;
-- ours: (none)
DELETE FROM t1 WHERE c0 > 1e10;
-- ours: (none)
SELECT count(*) FROM t1;
-- ours: 2
