-- An ON term of a LEFT JOIN that reads only the tables before it, or none, decides which
-- rows of the joined table match; every left row stays. SQLite 2.8 takes such a term as a
-- WHERE term and drops the left rows it fails (a mend).
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
CREATE TABLE u(a, c);
INSERT INTO u VALUES(1, 9);
SELECT t.a, u.c FROM t LEFT JOIN u ON t.a = 1;
-- ours: 1|9
-- ours: 2|NULL
SELECT count(*) FROM t LEFT JOIN u ON 0;
-- ours: 2
SELECT t.a, u.c FROM t LEFT JOIN u ON u.a = t.a AND t.b = 6;
-- ours: 1|NULL
-- ours: 2|NULL
SELECT t.a, u.c FROM t LEFT JOIN u ON u.a = t.a AND t.b = 5;
-- ours: 1|9
-- ours: 2|NULL
SELECT t.a, u.c FROM t LEFT JOIN u ON u.c = 9;
-- An inner join's ON term that reads only the right table of an earlier LEFT JOIN drops the
-- rows it fails. SQLite 2.8 takes it as a term of that LEFT JOIN and keeps its left rows with
-- NULLs (a mend).
CREATE TABLE w(x);
INSERT INTO w VALUES(7);
SELECT t.a, u.c FROM t LEFT JOIN u ON t.a = u.a JOIN w ON u.c = 8;
-- ours: (none)
SELECT t.a, u.c FROM t LEFT JOIN u ON t.a = u.a INNER JOIN w ON u.c IS NULL;
-- ours: 2|NULL
SELECT t.a, u.c FROM t LEFT JOIN u ON t.a = u.a JOIN w ON u.c = w.x;
SELECT t.a, u.c FROM t LEFT JOIN u ON t.a = u.a, w WHERE u.c = 9;
-- A view or sub-select of one table on the right of a LEFT JOIN gives NULL in every column
-- where no row matches, its constants and expressions too. SQLite 2.8 merges it into the
-- query and gives their values there, and takes an ON term that reads a constant such column
-- as a WHERE term (a mend).
SELECT * FROM t LEFT JOIN (SELECT coalesce(c, 5) AS k, 59 AS r, a, c IS NULL AS z FROM u) AS q ON t.a = q.a;
-- ours: 1|5|9|59|1|0
-- ours: 2|6|NULL|NULL|NULL|NULL
CREATE VIEW v AS SELECT 59 AS r, a FROM u;
SELECT t.a, v.r FROM t LEFT JOIN v ON t.a = v.a;
-- ours: 1|59
-- ours: 2|NULL
SELECT t.a, q.a FROM t LEFT JOIN (SELECT 1 AS r, a FROM u) AS q ON t.a = q.r;
-- ours: 1|1
-- ours: 2|NULL
SELECT t.a, q.r FROM t LEFT JOIN (SELECT 59 AS r, a FROM u WHERE c > 0) AS q ON t.a = q.a;
-- An inner join's ON term over a sub-select that ends in a LEFT JOIN drops the rows it fails.
-- 2.8 merges the sub-select and takes the term as one of its LEFT JOIN.
CREATE TABLE lt(c3);
INSERT INTO lt VALUES(141);
CREATE TABLE ld(c1, c2);
CREATE TABLE le(r1);
INSERT INTO le VALUES(1);
SELECT count(*) FROM le JOIN (SELECT ld.c2 FROM lt LEFT JOIN ld ON lt.c3 = ld.c1) q1 ON le.r1 = q1.c2;
-- ours: 0
SELECT count(*) FROM le, (SELECT ld.c2 FROM lt LEFT JOIN ld ON lt.c3 = ld.c1) q1 WHERE le.r1 = q1.c2;
