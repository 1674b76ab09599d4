-- A compound's ORDER BY is matched to its columns before its parts are compiled: every
-- part's FROM, joins and "*" are looked up first (the last part first), then the numbered
-- terms are checked against each part in turn (the first first), then every other term must
-- name a column of some part. The parts are then compiled in order, each checked against
-- the one before for its number of columns.
CREATE TABLE t(a, b);
CREATE TABLE u(a, c);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
SELECT a FROM t WHERE a IN (SELECT zz FROM t) UNION SELECT 1 ORDER BY 3;
SELECT a FROM t WHERE a IN (SELECT zz FROM t) UNION SELECT 1 ORDER BY qq;
SELECT zz FROM t UNION SELECT 1 UNION SELECT 2, 3 ORDER BY 1;
SELECT 1 UNION SELECT 1, 2 ORDER BY 3;
SELECT 1, 2 UNION SELECT 1 ORDER BY 3;
SELECT 1, 2 UNION SELECT 1 ORDER BY 2;
SELECT a FROM t UNION SELECT 1 ORDER BY qq, 3;
SELECT a FROM t UNION SELECT 1 ORDER BY -1;
SELECT a FROM t UNION SELECT 1 ORDER BY +2;
SELECT 1 FROM nosuch1 UNION SELECT 1 FROM nosuch2 UNION SELECT 1 FROM nosuch3 ORDER BY 3;
SELECT 1 FROM t JOIN u USING(qq) UNION SELECT 1 FROM nosuch ORDER BY 1;
SELECT 1 FROM nosuch UNION SELECT 1 FROM t JOIN u USING(qq) ORDER BY 1;
SELECT 1 FROM nosuch UNION SELECT * ORDER BY 1;
SELECT * FROM t UNION SELECT 1, 2 ORDER BY 3;
SELECT a FROM t WHERE a IN (SELECT a FROM t UNION SELECT zz ORDER BY 3);
INSERT INTO t SELECT a, b FROM t UNION SELECT zz, 1 ORDER BY 3;
-- A sub-select in FROM has its joins checked with its tables, before the query reading it.
SELECT yy FROM (SELECT zz FROM t JOIN u USING(qq));
SELECT yy FROM (SELECT zz FROM t NATURAL JOIN u ON 1);
SELECT yy FROM (SELECT *);
CREATE VIEW vj AS SELECT zz FROM t JOIN u USING(qq);
CREATE VIEW vs AS SELECT *;
CREATE VIEW vc AS SELECT zz FROM t JOIN u USING(qq) UNION SELECT 1;
CREATE VIEW vd AS SELECT 1 UNION SELECT zz FROM t JOIN u USING(qq);
-- CREATE TABLE ... AS works its column names out first, from the tables of a compound's
-- last SELECT.
CREATE TABLE x1 AS SELECT 1 FROM nosuch1 UNION SELECT 1 FROM nosuch2;
CREATE TABLE x2 AS SELECT zz FROM t UNION SELECT 1 FROM nosuch2;
CREATE TABLE x3 AS SELECT 1 FROM t ORDER BY 1 UNION SELECT 1 FROM nosuch2;
CREATE TABLE x4 AS SELECT a FROM t UNION SELECT qq.* FROM t;
-- An aggregate in a part's GROUP BY, which SQLite 2.8 lets pass in a compound (its rows mean
-- nothing), is refused only once every part is compiled and counted: any mistake 2.8 finds
-- in the parts comes first.
CREATE TABLE g(c0, c1);
INSERT INTO g VALUES(1, 2);
SELECT count(*), 1 FROM g GROUP BY count(*) UNION SELECT c1, c0 FROM nosuch;
SELECT count(*), 1 FROM g GROUP BY 1 UNION ALL SELECT c1, c0 FROM nosuch;
SELECT count(*) FROM g GROUP BY count(*) UNION SELECT c1 FROM g UNION SELECT 1 FROM nosuch;
SELECT count(*) FROM g GROUP BY count(*) UNION SELECT nosuchcol FROM g;
SELECT count(*) FROM g GROUP BY count(*) UNION SELECT c1 FROM g GROUP BY 'x';
SELECT count(*) FROM g GROUP BY count(*) UNION SELECT c1, c0 FROM g;
SELECT count(*) FROM g GROUP BY count(*) UNION SELECT c1 FROM g WHERE c1 IN (SELECT c0 FROM nosuch);
INSERT INTO g SELECT count(*), 1 FROM g GROUP BY count(*) UNION SELECT c1, c0 FROM nosuch;
SELECT * FROM (SELECT count(*), 1 FROM g GROUP BY count(*) UNION SELECT c1, c0 FROM nosuch);
SELECT c1 FROM g UNION SELECT count(*) FROM g GROUP BY count(*);
-- ours error: aggregate functions are not allowed in the GROUP BY clause
SELECT * FROM g;
