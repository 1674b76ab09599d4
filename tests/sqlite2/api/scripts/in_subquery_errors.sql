-- A mistake in an IN sub-select stops nothing but the sub-selects after it: a later mistake
-- of the statement (a name, a function, a column count, an ORDER BY or GROUP BY term) is the
-- one reported; without one, the sub-select's is. A scalar sub-select after it ends there.
CREATE TABLE t(a, b);
CREATE TABLE u(a, c);
INSERT INTO t VALUES(1, 5);
SELECT * FROM t WHERE a IN (SELECT a, b FROM nosuch) AND zz;
SELECT * FROM t WHERE a IN (SELECT a, b FROM nosuch) AND 1;
SELECT * FROM t WHERE a IN (SELECT a, b FROM t) AND zz;
SELECT * FROM t WHERE a IN (SELECT zz FROM t) AND nofunc(1);
SELECT * FROM t WHERE a IN (SELECT zz FROM t) AND abs(1, 2);
SELECT * FROM t WHERE a IN (SELECT zz FROM t) AND count(*);
SELECT a IN (SELECT zz FROM t), qq FROM t;
SELECT a IN (SELECT zz FROM t) FROM t GROUP BY a HAVING qq;
SELECT a FROM t ORDER BY a IN (SELECT zz FROM t), qq;
SELECT * FROM t WHERE a IN (SELECT zz FROM t) ORDER BY 5;
SELECT a FROM t WHERE a IN (SELECT zz FROM t) ORDER BY 'x';
SELECT a FROM t WHERE a IN (SELECT zz FROM t) GROUP BY 7;
SELECT t.* FROM t, u WHERE a IN (SELECT zz FROM t);
SELECT * FROM t WHERE a IN (SELECT zz FROM t) AND a IN (SELECT yy FROM t);
SELECT * FROM t WHERE a IN (SELECT zz FROM t) AND b IN (SELECT 1 FROM nosuch) AND qq;
SELECT * FROM t WHERE a IN (SELECT zz FROM t) AND (SELECT 1) AND qq;
SELECT * FROM t WHERE a IN (SELECT 1 FROM t WHERE a IN (SELECT yy FROM t) AND zz) AND qq;
SELECT * FROM (SELECT nocol FROM t) AS q, t WHERE t.a IN (SELECT zz FROM t);
SELECT * FROM (SELECT a IN (SELECT zz FROM t), qq FROM t);
SELECT * FROM t WHERE qq IN (SELECT zz FROM nosuch);
UPDATE t SET b = a IN (SELECT zz FROM t) WHERE qq;
UPDATE t SET b = 1 WHERE a IN (SELECT zz FROM t);
DELETE FROM t WHERE a IN (SELECT zz FROM t) AND nofunc();
DELETE FROM t WHERE a IN (SELECT zz FROM t);
INSERT INTO t VALUES(1 IN (SELECT zz FROM t), 1, 2);
INSERT INTO t VALUES(1 IN (SELECT zz FROM t), 3);
INSERT INTO t SELECT a IN (SELECT zz FROM t), qq FROM t;
INSERT INTO t SELECT a IN (SELECT zz FROM t), 1, 2 FROM t;
CREATE TABLE c1 AS SELECT a IN (SELECT zz FROM t), qq FROM t;
SELECT * FROM t;
-- An IN list is judged constant before its names are looked up: no name, function or
-- sub-select in any of its terms.
SELECT * FROM t WHERE a IN (1, qq);
SELECT * FROM t WHERE zz IN (1, qq);
SELECT a IN (1, abs(qq)), a IN (1, -qq) FROM t;
SELECT a IN (1, 2 IN (qq)) FROM t;
SELECT a IN (1, CASE 1 WHEN 2 THEN qq END) FROM t;
SELECT a IN (1, zz.a) FROM t;
SELECT a IN (1, -2, NULL, 'x' || 'y', 2 BETWEEN 1 AND 3, 3 ISNULL, 2 IN (3), 2 IN ()) FROM t;
-- A scalar sub-select whose own IN sub-select, or sub-select of FROM, made the mistake does
-- not stop the statement either (a view over a missing table does, as the table would).
CREATE TABLE gone(c);
CREATE VIEW over_gone AS SELECT c FROM gone;
DROP TABLE gone;
SELECT (SELECT 1 FROM t WHERE a IN (SELECT zz FROM t)) FROM t ORDER BY 'x';
SELECT (SELECT 1 FROM (SELECT zz FROM t)) FROM t ORDER BY 'x';
SELECT (SELECT 1 FROM (SELECT zz FROM t)), qq FROM t;
SELECT a IN (SELECT 1 FROM (SELECT zz FROM t)) FROM t ORDER BY 'x';
SELECT * FROM (SELECT a IN (SELECT zz FROM t) FROM t) q, t WHERE t.a IN (SELECT yy FROM t);
SELECT (SELECT 1 FROM over_gone), qq FROM t;
SELECT * FROM over_gone, t WHERE a IN (SELECT zz FROM t);
UPDATE t SET b = (SELECT 1 FROM (SELECT zz FROM t)) WHERE qq;
UPDATE t SET b = (SELECT 1 FROM (SELECT zz FROM t));
CREATE TABLE c2 AS SELECT (SELECT 1 FROM (SELECT zz FROM t)) FROM t;
INSERT INTO t SELECT (SELECT 1 FROM (SELECT zz FROM t)), 1, 2 FROM t;
SELECT name FROM sqlite_master WHERE name LIKE 'c%' ORDER BY name;
