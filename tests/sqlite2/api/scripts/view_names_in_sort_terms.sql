-- A view of the file reads the file's tables, but for the sub-selects of its GROUP BY and
-- ORDER BY, which find a TEMP table of their name first, as in 2.8.
CREATE TABLE d(a);
INSERT INTO d VALUES(1);
CREATE VIEW vg AS SELECT a FROM d GROUP BY (SELECT max(c0) FROM t0);
CREATE VIEW vo AS SELECT a FROM d ORDER BY (SELECT max(c0) FROM t0);
CREATE VIEW vw AS SELECT a FROM d WHERE (SELECT max(c0) FROM t0);
CREATE VIEW vs AS SELECT a FROM (SELECT a FROM d ORDER BY (SELECT max(c0) FROM t0));
CREATE TEMP TABLE t0(c0);
INSERT INTO t0 VALUES(5);
SELECT * FROM vg;
SELECT * FROM vo;
SELECT * FROM vw;
SELECT * FROM vs;
CREATE TABLE t0(c0);
SELECT * FROM vo;
SELECT * FROM vw;
