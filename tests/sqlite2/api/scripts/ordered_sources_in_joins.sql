-- A sorted view or sub-select that 2.8 merges into a join without an ORDER BY of its own
-- gives the join its ORDER BY: the joined rows come sorted by the source's keys (columns it
-- shows or not), rows equal in them in the reverse of the order the join found them, the
-- source read in its table's order. A join with its own ORDER BY keeps it.
CREATE TABLE t0(c0);
INSERT INTO t0 VALUES(1);
INSERT INTO t0 VALUES(2);
INSERT INTO t0 VALUES(3);
CREATE TABLE d1(c1, c2);
INSERT INTO d1 VALUES('a', 5);
INSERT INTO d1 VALUES('b', 4);
INSERT INTO d1 VALUES('c', 4);
CREATE VIEW v1 AS SELECT * FROM d1 ORDER BY c2;
SELECT t0.c0, a0.c1, a0.c2 FROM t0 CROSS JOIN v1 a0;
SELECT a0.c1, t0.c0 FROM v1 a0, t0 LIMIT 4 OFFSET 1;
SELECT t0.c0, q.c1 FROM t0, (SELECT c1 FROM d1 ORDER BY c2 DESC) q;
SELECT t0.c0, q.x FROM t0, (SELECT c1 x FROM d1 ORDER BY 1) q WHERE q.x <> 'b';
SELECT t0.c0, q.c1 FROM t0 LEFT JOIN (SELECT c1 FROM d1 ORDER BY c2 DESC) q ON q.c1 > 'a';
SELECT DISTINCT q.c1 FROM t0, (SELECT c1 FROM d1 ORDER BY c2 DESC) q;
SELECT t0.c0, q.c1 FROM t0, (SELECT c1 FROM d1 ORDER BY c2) q ORDER BY t0.c0;
SELECT t0.c0, a0.c1, a1.c1 FROM t0, v1 a0, v1 a1 WHERE a1.c2 = 5;
