-- PRAGMA table_info of a view and CREATE TABLE ... AS name a column that is an expression as
-- it is written, spaces and all (also through a view or sub-select that the query reads with
-- "*"); a query's result shows the same name with each run of spaces made one.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
CREATE VIEW v AS SELECT a  +   1, 'x  y' || a, b	-  1, "a  b", a AS "q  r", max( a ,  b ) FROM t;
PRAGMA table_info(v);
SELECT * FROM v;
CREATE VIEW v2 AS SELECT a  +   1 FROM t UNION SELECT b   -  2 FROM t;
PRAGMA table_info(v2);
CREATE VIEW v3 AS SELECT * FROM v, (SELECT -  a FROM t);
PRAGMA table_info(v3);
SELECT * FROM (SELECT a  +   1, 'x  y' || a FROM t);
CREATE TABLE d AS SELECT a  +   1, 'x  y' || a, b	-  1 FROM t;
CREATE TEMP TABLE e AS SELECT * FROM v2;
PRAGMA table_info(d);
PRAGMA table_info(e);
SELECT * FROM d;
