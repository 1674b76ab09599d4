-- ORDER BY and GROUP BY terms: numbers of result columns (whose expressions then stand in
-- the term and are checked again), aliases anywhere in WHERE, GROUP BY, HAVING and ORDER BY,
-- and which terms count as constants.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
INSERT INTO t VALUES(3, 4);
SELECT 2, a FROM t ORDER BY 1;
SELECT 5, a FROM t ORDER BY 1;
SELECT 0, a FROM t ORDER BY 1;
SELECT -2, a FROM t ORDER BY 1;
SELECT +2, (2), a FROM t ORDER BY 1, 2;
SELECT 2.0, a FROM t ORDER BY 1;
SELECT a, 'x' FROM t ORDER BY 2;
SELECT a, NULL FROM t ORDER BY 2;
SELECT a, 1+1 FROM t ORDER BY 2;
SELECT a, 0 = 1 FROM t ORDER BY 2;
SELECT a, max(1, 2), (SELECT 1) FROM t ORDER BY 2, 3;
SELECT a, b FROM t ORDER BY abs(1), (SELECT 1), -(SELECT 1);
SELECT a FROM t ORDER BY 1 IN (SELECT 1);
SELECT a FROM t ORDER BY 1 IN (1);
SELECT a FROM t ORDER BY CASE 1 WHEN 1 THEN 2 END;
SELECT a FROM t ORDER BY NULL;
SELECT a FROM t ORDER BY 2+3;
SELECT a FROM t ORDER BY '1';
SELECT *, 7 FROM t ORDER BY 3, 2;
SELECT * FROM t ORDER BY 3;
SELECT a FROM t WHERE a IN ((SELECT 1), 2);
SELECT b AS a FROM t ORDER BY a;
SELECT a AS b, b AS a FROM t ORDER BY b;
SELECT a x FROM t ORDER BY (SELECT 1) + x;
SELECT a x, b y FROM t WHERE x > 1 AND y < 6 ORDER BY y DESC, x;
SELECT a+1 y, count(*) FROM t GROUP BY y+1 ORDER BY y;
SELECT a y, count(*) c FROM t GROUP BY y HAVING y > 1 AND c > 0 ORDER BY y DESC;
-- SQLite 2.8 lets an alias take an aggregate into WHERE, and a number into GROUP BY, and
-- answers meaningless rows.
SELECT count(*) c FROM t WHERE c > 0;
-- ours error: misuse of aggregate function count()
SELECT 2, count(*) FROM t GROUP BY 1;
SELECT 5, count(*) FROM t GROUP BY 1;
SELECT 'x', count(*) FROM t GROUP BY 1;
SELECT count(*) FROM t GROUP BY (SELECT 1);
SELECT count(*) FROM t GROUP BY abs(1);
SELECT count(*) FROM t GROUP BY 'x', a;
SELECT count(*), a FROM t GROUP BY 2 ORDER BY 2;
SELECT *, count(*) FROM t GROUP BY 3;
-- ours error: aggregate functions are not allowed in the GROUP BY clause
SELECT count(*) FROM t GROUP BY count(*);
-- ours error: aggregate functions are not allowed in the GROUP BY clause
-- An aggregate in GROUP BY of a query with none elsewhere is misused; each term's names are
-- found before its functions are checked, and every term's names before the refusal above.
SELECT a FROM t GROUP BY sum(a), qq;
SELECT a FROM t GROUP BY a + sum(qq);
SELECT a FROM t GROUP BY nofunc(a), count(*);
SELECT count(*) FROM t GROUP BY sum(a), qq;
SELECT count(*) FROM t GROUP BY sum(a) HAVING zz;
SELECT * FROM t GROUP BY 2 ORDER BY 1;
INSERT INTO t SELECT 5, a FROM t ORDER BY 1;
INSERT INTO t SELECT a + 10, 2 FROM t ORDER BY 2;
SELECT * FROM t ORDER BY 1;
SELECT a FROM t GROUP BY typeof('x') ORDER BY typeof(1);
SELECT a FROM t ORDER BY typeof(a), typeof(NULL) DESC;
SELECT a IN (typeof(a)) FROM t;
-- A join sorted by the first table's index keeps the later tables' rows in their own order
-- among equal keys; by its row number, or by another table's columns, it is sorted.
CREATE TABLE j(a INTEGER PRIMARY KEY, b, c);
INSERT INTO j VALUES(1, 5, 1);
INSERT INTO j VALUES(2, 5, 2);
INSERT INTO j VALUES(3, 4, 2);
CREATE INDEX jb ON j(b);
CREATE INDEX jcb ON j(c, b);
SELECT j.a, x.a FROM j, j AS x ORDER BY 2;
SELECT j.a, x.a FROM j, j AS x ORDER BY j.b DESC;
SELECT j.a, x.a FROM j, j AS x ORDER BY x.b;
SELECT j.a, x.a FROM j, j AS x ORDER BY j.a DESC;
SELECT j.a, x.a FROM j, j AS x WHERE j.c = 2 ORDER BY j.b;
SELECT j.a, x.a FROM j, j AS x WHERE j.a > 1 ORDER BY j.b;
SELECT j.a, x.a FROM j LEFT JOIN j AS x ON x.a = j.a + 1 ORDER BY j.c, j.b;
-- ORDER BY a column with an index is read through the index, unsorted, under DISTINCT too:
-- rows equal in it come in the index's order, not the sorter's.
CREATE TABLE od(c0 INT, c2, c3 INTEGER PRIMARY KEY);
CREATE INDEX od0 ON od(c0);
INSERT INTO od VALUES(NULL, 134, 1);
INSERT INTO od VALUES(NULL, 5, 2);
INSERT INTO od VALUES(3, 6, 3);
INSERT INTO od VALUES(3, 6, 4);
SELECT DISTINCT c2 FROM od ORDER BY od.c0;
SELECT DISTINCT c2, c0 FROM od ORDER BY c0 LIMIT 2 OFFSET 1;
SELECT DISTINCT c2 FROM od ORDER BY c0 DESC;
SELECT DISTINCT c2 FROM od WHERE c3 > 0 ORDER BY c0;
SELECT DISTINCT c2 FROM od ORDER BY c2;
