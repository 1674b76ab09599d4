-- A real number of more than 15 digits written into an indexed column: the row holds its
-- text of 15 digits, and its index entry is made from that text. 2.8 makes the entry from
-- the whole number, so that the row cannot be found through the index by its own value and
-- the integrity check reports it missing.
CREATE TABLE t1(c1 REAL);
CREATE INDEX ix ON t1(c1);
INSERT INTO t1 VALUES(0);
INSERT INTO t1 VALUES(13 / 3.0);
INSERT INTO t1 SELECT 1.0 / 3;
SELECT rowid, c1 FROM t1;
SELECT count(*) FROM t1 WHERE c1 = (SELECT c1 FROM t1 WHERE rowid = 2);
-- ours: 1
SELECT count(*) FROM t1 WHERE c1 > 4;
-- ours: 1
PRAGMA integrity_check;
-- ours: ok
