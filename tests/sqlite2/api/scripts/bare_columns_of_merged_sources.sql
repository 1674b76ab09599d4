-- An aggregate query without GROUP BY reads a table's columns outside its aggregates as NULL,
-- but a merged view's or sub-select's column as its expression computed with those columns
-- NULL: constants keep their value, also when no row is found and beside a join.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
CREATE VIEW v AS SELECT a, 'k' AS c, 3 * 4 AS d, b FROM t;
SELECT max(q.r), q.r FROM (SELECT 'X' AS r FROM t) q;
SELECT count(*), c, d, b FROM v;
SELECT min(q.r), q.s FROM (SELECT a AS r, 7 AS s FROM t WHERE a > 5) q;
SELECT count(*), q.s, q.r || 'y' FROM (SELECT a AS r, 7 AS s FROM t) q, t;
SELECT count(*), q.r FROM (SELECT coalesce(a, 8) AS r, a + 1 AS n FROM t) q;
SELECT max(x), q2.s, q2.y FROM (SELECT q.r AS x, q.s AS s, coalesce(q.r, 'n') AS y
  FROM (SELECT a AS r, 7 AS s FROM t) q) q2;
SELECT count(*), q.k FROM t LEFT JOIN (SELECT a, 'K' AS k FROM t) q ON t.a = q.a;
-- Sources that do not merge are read as tables.
SELECT sum(a), q.k FROM (SELECT 'K' AS k FROM t LIMIT 1) q, t;
SELECT count(*), q.k FROM (SELECT DISTINCT 'K' AS k FROM t) q;
SELECT count(*), q.k FROM (SELECT a, 'K' AS k FROM t) q GROUP BY q.a;
