-- A TEMP view over a main table reads the table as it is now, after the table was dropped and
-- made again. SQLite 2.8 keeps reading such a view by the columns the table had when the view
-- was made, at their old places: a wider table shows only its first columns, one with the
-- columns in another order shows them under the old names, and a narrower one crashes it.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
CREATE TEMP VIEW v AS SELECT * FROM t;
CREATE TEMP VIEW w AS SELECT a, b FROM t;
CREATE VIEW m AS SELECT * FROM t;
SELECT * FROM v;
DROP TABLE t;
CREATE TABLE t(c, b, a);
INSERT INTO t VALUES(7, 5, 1);
SELECT * FROM m;
SELECT * FROM w;
SELECT count(*) FROM v;
SELECT * FROM v;
-- ours: 7|5|1
SELECT a, b FROM v;
-- ours: 1|5
SELECT c FROM v;
-- ours: 7
DROP TABLE t;
CREATE TABLE t(a, b, c);
INSERT INTO t VALUES(1, 5, 9);
SELECT * FROM m;
SELECT v.* FROM v;
-- ours: 1|5|9
CREATE TEMP TABLE x AS SELECT * FROM v;
SELECT * FROM x;
-- ours: 1|5|9
