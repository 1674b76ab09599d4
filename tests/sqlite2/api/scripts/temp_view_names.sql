-- A TEMP view keeps the column names it had when it was made: when a table of the file that
-- it reads is dropped, a query reading the view finds its own mistakes first. Dropping a
-- temporary table or view, or VACUUM, makes the TEMP views work their names out again.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
CREATE TABLE m(a, b);
CREATE TEMP TABLE k(a);
CREATE TEMP VIEW tm AS SELECT * FROM m;
CREATE TEMP VIEW tj AS SELECT m.a FROM t, m;
CREATE VIEW mv AS SELECT a FROM m;
DROP TABLE m;
SELECT zz FROM tm;
SELECT * FROM tm;
SELECT 1 FROM tm WHERE zz;
SELECT zz FROM t, tj;
SELECT zz FROM mv;
SELECT a FROM tm JOIN t USING (qq);
SELECT 1 FROM t WHERE a IN (SELECT zz FROM tm);
INSERT INTO t SELECT zz FROM tm;
CREATE TEMP VIEW tn AS SELECT * FROM tm;
SELECT zz FROM tn;
CREATE TEMP TABLE q(x);
SELECT zz FROM tm;
DROP TABLE k;
SELECT zz FROM tm;
