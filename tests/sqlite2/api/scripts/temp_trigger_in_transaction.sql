-- Inside a transaction, a statement on a TEMP table that fails is undone as a whole, with what
-- its triggers wrote to the file's tables. 2.8 keeps those rows.
CREATE TABLE log(name, v);
CREATE TEMP TABLE t(a, b NOT NULL);
CREATE TRIGGER tr BEFORE INSERT ON t BEGIN INSERT INTO log VALUES('tr', new.a); END;
BEGIN;
INSERT INTO t(a) VALUES(51);
INSERT INTO t VALUES(52, 1);
COMMIT;
SELECT * FROM log;
-- ours: tr|52
SELECT * FROM t;
