-- Which mistake a statement reports first: the tables of FROM and the names its sub-selects
-- and views give their columns come first, then the statement's own names, then the rest of
-- its sub-selects and views; a compound's misplaced ORDER BY or LIMIT is found when the
-- compound is compiled.
CREATE TABLE t(a, b);
CREATE TABLE d(r0);
INSERT INTO t VALUES(1, 2);
CREATE VIEW v1 AS SELECT * FROM d;
SELECT * FROM (SELECT a FROM t ORDER BY 'x') AS q, nosuch;
SELECT q.zz FROM (SELECT a FROM t ORDER BY 'x') AS q;
SELECT q.a FROM (SELECT a FROM t ORDER BY 'x') AS q;
SELECT * FROM (SELECT nocol FROM t) AS q, t WHERE t.nocol2 = 1;
SELECT * FROM (SELECT a FROM nosuch) AS q, t WHERE t.nocol2 = 1;
SELECT * FROM (SELECT a FROM nosuch1 UNION SELECT 1) AS q, nosuch2;
SELECT * FROM (SELECT 1 UNION SELECT a FROM nosuch1) AS q, nosuch2;
SELECT * FROM t, (SELECT x.* FROM t) AS q;
DROP TABLE d;
CREATE TABLE d(c0);
SELECT v1.r0 FROM v1;
SELECT count(v1.r0) FROM v1;
PRAGMA table_info(v1);
CREATE VIEW v3 AS SELECT a, 'lit', b + 1 FROM t, t x;
PRAGMA table_info(v3);
SELECT * FROM v3;
CREATE VIEW v4 AS SELECT 1 ORDER BY 1 UNION SELECT 2;
SELECT * FROM v4, nosuch;
SELECT * FROM v4;
SELECT * FROM (SELECT 1 ORDER BY 1 UNION SELECT 2) q, nosuch;
SELECT 1 LIMIT 1 UNION SELECT 2 ORDER BY 1 UNION SELECT 3;
SELECT 1 ORDER BY 1 UNION SELECT 2 LIMIT 1 UNION SELECT 3;
CREATE VIEW v5 AS SELECT 1 AS x UNION SELECT 2 AS y;
PRAGMA table_info(v5);
SELECT y FROM v5;
SELECT x FROM v5;
-- An INSERT's mistakes name the table as written, with the database written before it.
CREATE TABLE named(a);
INSERT INTO main.named VALUES(1, 2);
INSERT INTO MAIN.Named(q) VALUES(1);
INSERT INTO "main".named SELECT 1, 2;
INSERT INTO NAMED VALUES(1, 2);
CREATE TEMP TABLE scratch(a);
INSERT INTO TEMP.Scratch VALUES(1, 2);
CREATE TRIGGER named_log AFTER DELETE ON named BEGIN INSERT INTO Named VALUES(1, 2); END;
INSERT INTO named VALUES(1);
DELETE FROM named;
-- A negative LIMIT without OFFSET before a compound's operator limits nothing and is let be.
SELECT 1 LIMIT -1 UNION SELECT 2;
SELECT 1 LIMIT -5 OFFSET 0 UNION ALL SELECT 2 LIMIT -1 EXCEPT SELECT 3;
SELECT 1 LIMIT -1 OFFSET 1 UNION SELECT 2;
SELECT 1 LIMIT 0 UNION SELECT 2;
INSERT INTO named SELECT 5 LIMIT -1 UNION SELECT 6;
SELECT * FROM named;
-- A scalar sub-select of more than one result column is refused once its tables are found,
-- before its other names are looked up; an IN sub-select's columns are counted after.
CREATE TABLE pair(a, b);
SELECT (SELECT c0, c0 FROM pair);
SELECT (SELECT a, b FROM nosuch);
SELECT (SELECT * FROM pair);
SELECT (SELECT pair.* FROM pair);
SELECT nosuch, (SELECT a, b FROM pair);
SELECT (SELECT a, b FROM pair), nosuch;
SELECT 1 IN (SELECT x, y FROM nosuch);
SELECT (SELECT a FROM pair UNION SELECT a, b FROM pair);
SELECT * FROM pair WHERE zz AND a IN (SELECT a, b FROM nosuch);
-- CREATE VIEW looks up the tables its column names need: of a compound only those of the
-- last SELECT (also in a sub-select of FROM), and those below a view it reads.
CREATE TABLE gone_soon(b);
CREATE VIEW over_gone AS SELECT * FROM gone_soon;
DROP TABLE gone_soon;
CREATE VIEW vw1 AS SELECT 1 FROM nosuch UNION SELECT 2;
CREATE VIEW vw2 AS SELECT a FROM pair UNION SELECT b FROM nosuch;
CREATE VIEW vw3 AS SELECT a FROM pair WHERE a IN (SELECT b FROM nosuch);
CREATE VIEW vw4 AS SELECT * FROM (SELECT b FROM nosuch);
CREATE VIEW vw5 AS SELECT * FROM pair, (SELECT 1 FROM nosuch UNION SELECT 2);
CREATE VIEW vw6 AS SELECT * FROM over_gone;
CREATE VIEW vw7 AS SELECT nosuch.* FROM pair UNION SELECT 1;
CREATE VIEW vw8 AS SELECT 1 UNION SELECT nosuch.* FROM pair;
SELECT name FROM sqlite_master WHERE name LIKE 'vw%' ORDER BY name;
