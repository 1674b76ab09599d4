-- A table keeps its indexes newest first, but those whose constraint says REPLACE after all
-- the others; PRAGMA index_list shows that order and writes check uniqueness in it. The
-- stored CREATE INDEX text drops its ON CONFLICT clause, so that once the schema is read
-- again (VACUUM) such an index is an ordinary one, in its place.
CREATE TABLE t(a UNIQUE, b, c PRIMARY KEY ON CONFLICT REPLACE, d UNIQUE ON CONFLICT REPLACE);
PRAGMA index_list(t);
CREATE INDEX i1 ON t(b);
CREATE UNIQUE INDEX i2 ON t(a, b) ON CONFLICT REPLACE;
CREATE UNIQUE INDEX i3 ON t(b, c);
CREATE INDEX i4 ON t(c);
CREATE UNIQUE INDEX i5 ON t(d, a) ON CONFLICT REPLACE;
PRAGMA index_list(t);
INSERT INTO t VALUES(1, 2, 3, 4);
INSERT INTO t VALUES(1, 2, 5, 6);
INSERT INTO t VALUES(7, 2, 3, 8);
INSERT INTO t VALUES(9, 10, 11, 4);
SELECT * FROM t ORDER BY a;
VACUUM;
PRAGMA index_list(t);
INSERT INTO t VALUES(1, 2, 12, 13);
INSERT INTO t VALUES(14, 10, 15, 4);
SELECT * FROM t ORDER BY a;
SELECT name, sql FROM sqlite_master WHERE type = 'index' ORDER BY name;
-- A schema statement refused by its checks (a missing table, a name taken, nothing to drop)
-- changes nothing, and the schema is not read again: the REPLACE index stays last. A failure
-- once it runs reads the schema again, in the stored order.
CREATE TABLE r(a UNIQUE, b, c INTEGER PRIMARY KEY);
CREATE UNIQUE INDEX r1 ON r(a) ON CONFLICT REPLACE;
CREATE TRIGGER g DELETE ON nosuch BEGIN SELECT 1; END;
PRAGMA index_list(r);
CREATE INDEX r1 ON r(b);
DROP TABLE nosuch;
DROP INDEX nosuch;
DROP TRIGGER nosuch;
DROP VIEW nosuch;
PRAGMA index_list(r);
INSERT INTO r VALUES(1, 1, 1);
INSERT INTO r VALUES(2, 1, 2);
CREATE UNIQUE INDEX r2 ON r(b);
PRAGMA index_list(r);
-- A CREATE TABLE or CREATE VIEW refused by its checks leaves the schema as it is too, and so
-- does CREATE TABLE ... AS up to its query's column names. A mistake found after them has the
-- schema read again once the next statement that writes ends; the index's conflict clause,
-- not stored, is then lost.
CREATE TABLE k(a, b);
CREATE UNIQUE INDEX k1 ON k(a) ON CONFLICT IGNORE;
INSERT INTO k VALUES(1, 1);
CREATE VIEW kv AS SELECT * FROM nosuch;
CREATE TABLE k(x);
CREATE TABLE kq AS SELECT * FROM nosuch;
INSERT INTO k VALUES(1, 2);
CREATE TABLE kq AS SELECT nosuchfn(a) FROM k;
SELECT * FROM k;
INSERT INTO k VALUES(1, 3);
INSERT INTO k VALUES(1, 4);
SELECT * FROM k;
