-- VACUUM makes the views after everything else, each from objects made before it, and fills
-- explicit indexes as CREATE INDEX does.
CREATE VIEW v0 AS SELECT 1;
CREATE TABLE a(x);
CREATE VIEW va AS SELECT * FROM a;
CREATE VIEW vb AS SELECT * FROM va;
CREATE TABLE c(z);
CREATE TRIGGER ta AFTER INSERT ON a BEGIN SELECT 1; END;
CREATE INDEX ic ON c(z);
CREATE TABLE d(w INTEGER PRIMARY KEY, u UNIQUE);
INSERT INTO a VALUES(1);
VACUUM;
SELECT rowid, * FROM sqlite_master;
DROP VIEW va;
CREATE VIEW va AS SELECT x FROM a;
VACUUM;
DROP VIEW vb;
CREATE TABLE gone(y);
CREATE VIEW vg AS SELECT y FROM gone;
DROP TABLE gone;
VACUUM;
DROP VIEW vg;
CREATE UNIQUE INDEX iu ON a(x);
INSERT INTO a VALUES(NULL);
INSERT INTO a VALUES(NULL);
VACUUM;
DROP INDEX iu;
VACUUM;
SELECT rowid, type, name FROM sqlite_master;
-- SQLite 2.8 makes a trigger of a view before the view, and fails.
CREATE TRIGGER tv INSTEAD OF INSERT ON va BEGIN SELECT 1; END;
VACUUM;
-- ours: (none)
SELECT rowid, type, name FROM sqlite_master;
-- ours: 1|table|a
-- ours: 2|table|c
-- ours: 3|trigger|ta
-- ours: 4|index|ic
-- ours: 5|table|d
-- ours: 6|index|(d autoindex 1)
-- ours: 7|view|v0
-- ours: 8|view|va
-- ours: 9|trigger|tv
-- A view needs only the tables of its compound's last SELECT, when made and when VACUUM
-- makes it again.
DROP TRIGGER tv;
CREATE TABLE early(e);
CREATE VIEW vc AS SELECT e FROM early UNION SELECT x FROM a;
DROP TABLE early;
VACUUM;
SELECT type, name FROM sqlite_master ORDER BY name;
-- VACUUM makes each view again as CREATE VIEW does: a join USING a column its table has
-- lost since fails it, a name the view reads elsewhere does not.
CREATE TABLE j0(c0, c1);
CREATE TABLE j1(c0, c1);
CREATE VIEW jv AS SELECT j0.c0, j0.c1 FROM j0 JOIN j1 USING(c1) WHERE j0.nosuch;
DROP TABLE j0;
CREATE TABLE j0(c0);
VACUUM;
DROP VIEW jv;
CREATE VIEW jv AS SELECT j0.c0, j0.c1 FROM j0 JOIN j1 USING(c0);
VACUUM;
SELECT name FROM sqlite_master WHERE type = 'view';
