-- A query that groups but calls no aggregate function, over a view or sub-select in FROM, or
-- read as one: SQLite 2.8 merges the queries as if neither grouped, and answers one row
-- (whose HAVING reads NULL) or the rows ungrouped.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
INSERT INTO t VALUES(3, 6);
CREATE VIEW v AS SELECT a, b FROM t;
SELECT b FROM (SELECT * FROM t) GROUP BY b;
-- ours: 5
-- ours: 6
SELECT b FROM v GROUP BY b HAVING b > 5;
-- ours: 6
SELECT DISTINCT x.b FROM (SELECT DISTINCT * FROM t) AS x GROUP BY x.b ORDER BY x.b DESC;
-- ours: 6
-- ours: 5
SELECT * FROM (SELECT b FROM t GROUP BY b);
-- ours: 5
-- ours: 6
SELECT n FROM (SELECT a, count(*) AS n FROM t GROUP BY a) GROUP BY n;
-- ours: 1
-- With an aggregate function both group.
SELECT b, count(*) FROM v GROUP BY b ORDER BY b;
SELECT b FROM v GROUP BY b HAVING count(*) > 0 ORDER BY b;
SELECT * FROM (SELECT b, min(a) FROM t GROUP BY b) ORDER BY 1;
SELECT b FROM t GROUP BY b ORDER BY b;
