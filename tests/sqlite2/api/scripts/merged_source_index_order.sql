-- 2.8 reads a view or sub-select that it merges at the head of FROM as part of the query:
-- an index of its first table then gives the query's ORDER BY, and rows equal in the keys
-- come in the index's order rather than the sorter's (the reverse of the order found), also
-- where a term on the source chooses that index. A term that chooses another index leaves the
-- sort in place.
CREATE TABLE d3(c0, c1);
INSERT INTO d3 VALUES(17, 1);
INSERT INTO d3 VALUES(17, 2);
INSERT INTO d3 VALUES(16, 3);
CREATE TABLE e(x);
INSERT INTO e VALUES('a');
INSERT INTO e VALUES('b');
CREATE VIEW v AS SELECT c0, c1 FROM d3;
SELECT * FROM v ORDER BY c0;
CREATE INDEX ix ON d3(c0);
SELECT * FROM v ORDER BY c0;
SELECT * FROM v ORDER BY c0 DESC;
SELECT * FROM (SELECT c0, c1 FROM d3) ORDER BY 1;
SELECT * FROM (SELECT d3.c0 AS k, c1 FROM d3 WHERE c1 > 0) q CROSS JOIN e ORDER BY q.k;
SELECT * FROM v, e WHERE v.c1 > 1 ORDER BY v.c0;
SELECT * FROM v AS a, v AS b ORDER BY a.c0, a.c1;
SELECT * FROM v, e ORDER BY v.c0, e.x;
SELECT * FROM v, e ORDER BY v.c1;
SELECT * FROM e, v ORDER BY v.c0;
SELECT * FROM v ORDER BY c0 COLLATE text;
SELECT * FROM v WHERE c0 = 17 ORDER BY c0;
SELECT * FROM v WHERE c0 > 0 ORDER BY c0 DESC;
SELECT * FROM (SELECT DISTINCT c0, c1 FROM d3) ORDER BY c0;
CREATE INDEX ix1 ON d3(c1);
SELECT * FROM v WHERE c1 > 0 ORDER BY c0;
-- A sorted source read in its index's order still gives a join its order by its keys.
CREATE TABLE k(c0 INTEGER PRIMARY KEY, c2);
INSERT INTO k VALUES(24, 'x');
INSERT INTO k VALUES(5, 'y');
SELECT * FROM e, (SELECT c2 FROM k ORDER BY c0 DESC) q;
SELECT * FROM e, (SELECT c2 FROM k ORDER BY rowid) q;
-- The same where the source sorts and the query reading it alone takes its order.
CREATE TABLE t1(c0 INTEGER, c2, c3);
CREATE INDEX ix9 ON t1(c0, c3);
INSERT INTO t1 VALUES(NULL, 42, 'b');
INSERT INTO t1 VALUES(NULL, 5, 'a');
INSERT INTO t1 VALUES(3, 7, 'c');
INSERT INTO t1 VALUES(NULL, 8, 'c');
SELECT DISTINCT q1.c0, q1.c2 FROM (SELECT c2, c0 FROM t1 ORDER BY 2) AS q1 WHERE q1.c2;
SELECT q1.c0, q1.c2 FROM (SELECT c2, c0 FROM t1 ORDER BY 2 DESC) AS q1;
SELECT q1.c0, q1.c2 FROM (SELECT c2, c0, c3 FROM t1 ORDER BY 2) AS q1 WHERE c3 > 'a';
SELECT q1.c0, q1.c2 FROM (SELECT c2, c0, c3 FROM t1 ORDER BY 2) AS q1 WHERE c0 IS NULL;
SELECT * FROM (SELECT c2, c0 FROM t1 ORDER BY c0) q, (SELECT 1) z ORDER BY 2;
