-- Two integers divide as integers. A function returning one of its arguments (min, max,
-- coalesce, ifnull, nullif) hands it on as text, which divides as a real; length(),
-- last_insert_rowid() and count() give integers. A scalar sub-select keeps its value's kind
-- where the value is handed on as computed, but not through ORDER BY, DISTINCT, a compound
-- or a sub-select it reads as a table.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 'x');
INSERT INTO t VALUES(2, 'y');
SELECT 7 / 2, min(7, 9) / 2, max(7, 9) / 2, coalesce(7, 1) / 2, ifnull(7, 1) / 2,
  nullif(7, 1) / 2, abs(-7) / 2, round(7) / 2, length('abc') / 2, last_insert_rowid() / 2;
SELECT coalesce(2147483647, 0) + 1, max(2147483647, 1) + 1, 2147483647 + 1;
SELECT (SELECT count(*) FROM t) / 7, (SELECT 7) / (SELECT 2), -(SELECT 7) / 2,
  (SELECT 7 - 14) / 2, (SELECT length('abc')) / 2, (SELECT rowid FROM t) / 2;
SELECT (SELECT count(*) FROM t GROUP BY a) / 7, (SELECT 5 FROM t LIMIT 1 OFFSET 1) / 7,
  (SELECT CASE WHEN 1 THEN 7 END) / 2, (SELECT 7 FROM t WHERE a = 9) / 2;
SELECT a FROM t WHERE (SELECT 7) / 2 = 3;
SELECT (SELECT a FROM t) / 7, (SELECT '7') / 2, (SELECT max(a) FROM t) / 7,
  (SELECT sum(a) FROM t) / 7, (SELECT coalesce(7, 1)) / 2, (SELECT a + 0 FROM t) / 7;
SELECT (SELECT 1 FROM t ORDER BY a) / 7, (SELECT DISTINCT 5 FROM t) / 7,
  (SELECT 1 UNION SELECT 2) / 7, (SELECT x FROM (SELECT 5 AS x LIMIT 1)) / 7;
-- A view's or sub-select's column merged into the query reading it is its expression there:
-- a literal, the row number, a truth value or integer arithmetic stays an integer.
SELECT x / 2, y / 2, z / 2, w / 2, v / 2 FROM (SELECT rowid AS x, -7 AS y, a AS z, a = 1 AS w,
  CASE WHEN a = 1 THEN 3 ELSE 5 END AS v FROM t);
SELECT q.x / 2 FROM (SELECT 5 AS x FROM t) q, t;
SELECT x / 2 FROM (SELECT y + 2 AS x FROM (SELECT 5 AS y FROM t) ORDER BY a);
SELECT (SELECT x FROM (SELECT 007 AS x FROM t)) / 2, (SELECT max(x / 2) FROM (SELECT 5 AS x FROM t));
CREATE VIEW v AS SELECT a, 9 AS n FROM t;
SELECT n / 2, a / 2 FROM v;
SELECT q.n / 2 FROM t LEFT JOIN (SELECT a, 9 AS n FROM t) q ON q.a = t.a;
-- min() and max() of a coalesce() of three values or more compare as its third value's type,
-- which typeof() also says; so does a comparison with it, which is of texts where both sides are.
INSERT INTO t VALUES('', 'z');
INSERT INTO t VALUES(-7, 'w');
SELECT min(coalesce(a, b, '05')), max(coalesce(a, b, '05')), min(coalesce(a, b, 5)),
  typeof(min(coalesce(a, b, '05'))), min(coalesce(a, '05')) FROM t;
SELECT '2.8.15' < coalesce(NULL, '2004-02-29 13:45', ''), 10 < coalesce(NULL, 9, 'a'),
  coalesce(10, 2, 'a') < '9', coalesce(10, 2, 3) < '9', coalesce(10, 2, NULL) < '9',
  '10' < coalesce('9', 1, 'x'), coalesce(1, 2, '10') < coalesce(1, 2, '9');
