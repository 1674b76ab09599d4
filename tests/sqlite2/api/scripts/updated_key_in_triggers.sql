-- NEW of an UPDATE trigger shows the key the UPDATE gives the row where an integer or an
-- expression of the row gives it; 2.8 shows the old number, or another, for the latter. For
-- a constant of another kind both show the old number, and a value that is no integer fails
-- once the BEFORE triggers have run.
CREATE TABLE t1(c0 INTEGER PRIMARY KEY, c1);
CREATE TABLE log(v, w);
CREATE TRIGGER b BEFORE UPDATE ON t1 BEGIN INSERT INTO log VALUES(new.c0, new.rowid); END;
CREATE TRIGGER a AFTER UPDATE ON t1 BEGIN INSERT INTO log VALUES(new.c0, old.c0); END;
INSERT INTO t1 VALUES(1, 5);
UPDATE t1 SET c0 = 10;
UPDATE t1 SET c0 = 'x';
SELECT * FROM log;
DELETE FROM log;
UPDATE t1 SET c0 = 8.0;
SELECT * FROM log;
DELETE FROM log;
UPDATE t1 SET c0 = c1 * 2;
SELECT * FROM log;
-- ours: 10|10
-- ours: 10|8
