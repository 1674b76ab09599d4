-- CREATE [TEMP] TABLE ... AS SELECT: the columns named as the query's, the CREATE text kept in
-- sqlite_master made from the names alone (quoted where needed, one a line when long), the rows.
CREATE TABLE t(a INTEGER PRIMARY KEY, "B b" TEXT, [order], c_1, "Ab");
INSERT INTO t VALUES(1, 'x', 2, 3, 4);
INSERT INTO t VALUES(2, 'y', 5, 6, 7);
CREATE TABLE c1 AS SELECT a, "B b", [order], c_1, ab, a AS '1x', a AS "it's", t.a, a+1, 'lit', "lit2", -5, 5.0, NULL, * FROM t;
SELECT * FROM c1;
PRAGMA table_info(c1);
CREATE TABLE c2 AS SELECT a AS x FROM t ORDER BY a DESC LIMIT 1;
CREATE TEMP TABLE c3 AS SELECT * FROM t WHERE 0;
SELECT * FROM sqlite_temp_master;
CREATE TABLE c4 AS SELECT 1 AS x UNION SELECT 2 AS y;
CREATE TABLE c5 AS SELECT a, count(*) FROM t;
CREATE TABLE c6 AS SELECT t.a, x.a, x.c_1 FROM t, t AS x WHERE t.a = x.a;
CREATE TABLE t AS SELECT * FROM nosuch;
CREATE TABLE c7 AS SELECT * FROM nosuch;
CREATE TABLE nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn AS SELECT a AS x, a AS 'x''y' FROM t;
CREATE TABLE nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn AS SELECT a AS x, a AS 'x''y' FROM t;
CREATE TABLE 'tab le' AS SELECT a AS abcd1, a AS abcd2, a AS 'é', a AS "key", a AS rowid FROM t;
PRAGMA count_changes = ON;
CREATE TABLE c8 AS SELECT * FROM t;
INSERT INTO c8 SELECT * FROM t;
SELECT * FROM sqlite_master ORDER BY name;
SELECT * FROM c2, c4, c5, c6, c8;
-- Two columns of one name: SQLite 2.8 reads every such column of a table, view or sub-select
-- as the first of them.
CREATE TABLE y AS SELECT 1 AS a, 2 AS a;
SELECT sql FROM sqlite_master WHERE name = 'y';
SELECT * FROM y;
-- ours: 1|2
CREATE VIEW vy AS SELECT 3 AS b, 4 AS b;
SELECT * FROM vy;
-- ours: 3|4
SELECT * FROM (SELECT 5 AS c, 6 AS c);
-- ours: 5|6
CREATE TABLE n1 AS SELECT 'ab' || 'c', 'it''s' || 1, 1 + 'a', (a), "a", ((a)), (t.a), a AS "'k''l'", 'x' AS "[y]" FROM t;
SELECT sql FROM sqlite_master WHERE name = 'n1';
SELECT * FROM (SELECT 'ab' || 'c', 1 + 'a', (a), a AS "'k'" FROM t);
CREATE VIEW vn AS SELECT 'p' || a, (a) FROM t;
PRAGMA table_info(vn);
SELECT p, "(a)" FROM vn;
CREATE TABLE e AS SELECT '', '' || 'x' AS r1;
SELECT sql FROM sqlite_master WHERE name = 'e';
-- ours: CREATE TABLE e('',r1)
CREATE TABLE ty AS SELECT '' r0, 5 AS n;
INSERT INTO ty VALUES(129, 129);
SELECT typeof(r0), typeof(n), r0 < '5' FROM ty WHERE rowid = 2;
-- ours: numeric|numeric|0
CREATE TABLE lim(a);
INSERT INTO lim VALUES(NULL);
INSERT INTO lim VALUES(5);
SELECT * FROM (SELECT a FROM lim LIMIT 1) WHERE a NOTNULL;
-- ours: (none)
CREATE VIEW vlim AS SELECT a FROM lim LIMIT 1;
SELECT * FROM vlim WHERE a NOTNULL;
-- ours: (none)
SELECT * FROM (SELECT a FROM lim ORDER BY a DESC LIMIT 1) WHERE a ISNULL;
-- ours: (none)
-- A compound's table takes its last part's names: plain columns keep one name twice, columns
-- of a join get a number after the second. SQLite 2.8's VACUUM then fails with "duplicate
-- column name: a" (and the table is gone once the file is opened again); this engine keeps it.
CREATE TABLE cu AS SELECT 1 AS x, 2 AS y UNION SELECT a, a FROM t;
CREATE TABLE cj AS SELECT 1 AS x, 2 AS y UNION SELECT t.a, z.a FROM t, t AS z;
SELECT name, sql FROM sqlite_master WHERE name IN ('cu', 'cj') ORDER BY name;
SELECT * FROM cj ORDER BY 1, 2;
VACUUM;
-- ours: (none)
