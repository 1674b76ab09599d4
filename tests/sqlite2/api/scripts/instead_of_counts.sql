-- What PRAGMA count_changes reports for statements on a view with INSTEAD OF triggers: INSERT
-- and DELETE report the rows handed to the triggers that no RAISE(IGNORE) stopped, UPDATE
-- none; the changes count stays 0. A trigger step on such a view reports the same.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
INSERT INTO t VALUES(3, 7);
CREATE TABLE log(x);
CREATE VIEW v AS SELECT a, b FROM t;
CREATE TRIGGER vi INSTEAD OF INSERT ON v WHEN new.a > 1 BEGIN SELECT RAISE(IGNORE) WHERE new.a = 3; INSERT INTO log VALUES(new.a); END;
CREATE TRIGGER vu INSTEAD OF UPDATE ON v BEGIN INSERT INTO log VALUES(old.a); END;
CREATE TRIGGER vd INSTEAD OF DELETE ON v BEGIN INSERT INTO log VALUES(old.a); END;
INSERT INTO v SELECT * FROM t;
DELETE FROM v;
PRAGMA count_changes = ON;
INSERT INTO v SELECT * FROM t;
INSERT INTO v(a) VALUES(3);
INSERT INTO v VALUES(5, 6);
UPDATE v SET b = 1 WHERE a > 1;
DELETE FROM v;
DELETE FROM v WHERE a = 1;
DELETE FROM v WHERE a > 5;
CREATE TABLE w(a);
CREATE TRIGGER wt AFTER INSERT ON w BEGIN INSERT INTO v SELECT * FROM t; DELETE FROM v WHERE a < 3; END;
INSERT INTO w VALUES(1);
-- SQLite 2.8 reports for DELETE on a view the place of the last row it chose among the view's
-- rows (3 here, for 2 rows; before it, its triggers' steps report theirs), and for DELETE on a table whose trigger stopped a row with
-- RAISE(IGNORE) a row number (3 for 1 row deleted).
DELETE FROM v WHERE a > 1;
-- ours: 1
-- ours: 1
-- ours: 2
DROP TRIGGER vd;
CREATE TRIGGER vd INSTEAD OF DELETE ON v BEGIN SELECT RAISE(IGNORE) WHERE old.a = 2; END;
DELETE FROM v;
-- ours: 2
CREATE TRIGGER td BEFORE DELETE ON t BEGIN SELECT RAISE(IGNORE) WHERE old.a = 3; END;
DELETE FROM t WHERE a > 1;
-- ours: 1
SELECT * FROM t ORDER BY a;
SELECT x FROM log ORDER BY x;
