-- A join's terms (ON, and the equalities of USING and NATURAL, in FROM order) are looked up
-- as part of the WHERE clause, after its own terms and after the result columns; a join's
-- shape (NATURAL with ON, USING a missing column) is checked first.
CREATE TABLE t(a, b);
CREATE TABLE u(a, c);
CREATE TABLE w(a, d);
INSERT INTO t VALUES(1, 5);
SELECT x1 FROM t JOIN u ON x2 WHERE x3;
SELECT 1 FROM t JOIN u ON x2 WHERE x3;
SELECT 1 FROM t LEFT JOIN u ON x2 JOIN w ON x4 WHERE x3;
SELECT 1 FROM t JOIN u ON x2 JOIN w ON x4 GROUP BY x5;
SELECT 1 FROM t NATURAL JOIN t JOIN w ON x2;
SELECT 1 FROM t JOIN u ON x2 JOIN u USING(a);
SELECT x1 FROM t JOIN t USING(q) JOIN w ON x2;
SELECT x1 FROM t NATURAL JOIN u ON x2;
SELECT * FROM t, t JOIN u ON x2;
SELECT 1 FROM t JOIN u ON x2 WHERE a IN (SELECT zz FROM t);
SELECT 1 FROM t JOIN u ON a IN (SELECT zz FROM t) WHERE x3;
SELECT 1 FROM t JOIN u ON count(*) WHERE x3;
-- Within one clause (a result column, WHERE with the join terms, HAVING, an ORDER BY or
-- GROUP BY term, a value to set or insert) every name is looked up before any function is
-- checked; the functions are then checked in the order written.
SELECT 1 FROM t JOIN u ON x2 WHERE nofunc();
SELECT 1 FROM t JOIN u ON nofunc() WHERE abs(1, 2);
SELECT 1 FROM t WHERE nofunc() AND x3;
SELECT nofunc(x1) FROM t;
SELECT nofunc(), x1 FROM t;
SELECT nofunc(abs(1, 2)), abs(nofunc(), 1);
SELECT a FROM t WHERE count(qq);
SELECT a FROM t WHERE sum(a) + nofunc();
SELECT sum(sum(a)) + qq FROM t;
SELECT a FROM t GROUP BY a HAVING nofunc() AND qq;
SELECT a FROM t ORDER BY nofunc() + qq;
SELECT a FROM t ORDER BY x3, nofunc();
SELECT min() + qq, count(1, 2) + qq, coalesce(1) + qq FROM t;
SELECT typeof(nofunc()) + qq;
SELECT a FROM t WHERE nofunc() AND a IN (SELECT zz FROM t);
SELECT a FROM t WHERE nofunc() AND (SELECT zz FROM t);
UPDATE t SET b = nofunc() + qq;
UPDATE t SET b = nofunc(), a = qq;
INSERT INTO t VALUES(nofunc() + qq, 1);
INSERT INTO t VALUES(nofunc(), qq);
DELETE FROM t WHERE nofunc() + qq;
-- CREATE TRIGGER checks its table (up to BEGIN) before it reads the body: a mistake there is
-- reported before the body's syntax error; a syntax error before BEGIN comes first.
CREATE VIEW tv AS SELECT a FROM t;
CREATE TRIGGER x1 BEFORE UPDATE ON nosuch BEGIN SELECT ,; END;
CREATE TRIGGER x2 BEFORE UPDATE OF zz ON nosuch BEGIN UPDATE t SET b = new.NULL; END;
CREATE TRIGGER x3 BEFORE UPDATE ON t BEGIN UPDATE t SET b = new.NULL; END;
CREATE TRIGGER x4 INSTEAD OF UPDATE ON t BEGIN SELECT ,; END;
CREATE TRIGGER x5 AFTER DELETE ON tv BEGIN SELECT ,; END;
CREATE TRIGGER x6 BEFORE UPDATE ON sqlite_master BEGIN SELECT ,; END;
CREATE TRIGGER x7 BEFORE UPDATE ON nosuch WHEN , BEGIN SELECT 1; END;
CREATE TRIGGER x8 BEFORE UPDATE ON t BEGIN SELECT 1; END;
CREATE TRIGGER x8 BEFORE UPDATE ON t BEGIN SELECT ,; END;
SELECT name FROM sqlite_master WHERE type = 'trigger';
-- An ORDER BY or GROUP BY term holding a function call is no constant, typeof() too: the
-- next term's column number is checked.
INSERT INTO t VALUES(2, 4);
SELECT DISTINCT 65, '' ORDER BY typeof(''), 614227802 ASC;
SELECT a FROM t ORDER BY typeof(1);
SELECT a FROM t GROUP BY typeof(1);
SELECT a FROM t ORDER BY abs(1), 1 + 1;
