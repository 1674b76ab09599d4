-- A view or sub-select in FROM that holds a compound with an ORDER BY at any place of its FROM
-- but the first, itself or through the simple views and sub-selects it reads, is refused.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
CREATE TABLE u(a, c);
INSERT INTO u VALUES(1, 9);
CREATE VIEW vc AS SELECT a, b FROM t UNION ALL SELECT 3 AS a, 4 AS b ORDER BY 2;
CREATE VIEW vn AS SELECT a, b FROM t UNION ALL SELECT 3 AS a, 4 AS b;
CREATE VIEW vy AS SELECT vc.a FROM vc;
CREATE VIEW vw AS SELECT x.a FROM vc AS x JOIN vc ON x.a = vc.a;
SELECT * FROM vw;
SELECT * FROM t WHERE a IN (SELECT a FROM vw);
SELECT * FROM (SELECT * FROM u, vc);
SELECT * FROM (SELECT count(*) FROM u LEFT JOIN vc ON u.a = vc.a);
SELECT * FROM (SELECT DISTINCT * FROM u, (SELECT a, b FROM t EXCEPT SELECT 3 AS a, 4 AS b ORDER BY a));
SELECT * FROM (SELECT * FROM u, vy);
SELECT * FROM (SELECT * FROM u, (SELECT * FROM (SELECT * FROM vc WHERE a > 1)));
SELECT * FROM (SELECT * FROM u, (SELECT vc.a FROM vc, t));
-- Whether the query merged first has an ORDER BY, its own or one a view merged into it gave
-- it: one query with an ORDER BY is not merged into another.
CREATE VIEW vo AS SELECT vc.a FROM vc ORDER BY vc.a DESC;
SELECT * FROM t, (SELECT * FROM u, vo) AS q;
SELECT count(*) FROM vo AS z, (SELECT * FROM u, vo) AS q;
SELECT count(*) FROM t, (SELECT * FROM (SELECT * FROM u ORDER BY a), vc) AS q ORDER BY 1;
-- A query that only groups merges as any other.
SELECT count(*) FROM (SELECT vc.a FROM u, vc GROUP BY vc.a);
SELECT count(*) FROM t, (SELECT vc.a FROM u, vc GROUP BY vc.a);
-- A compound brought there without an ORDER BY runs all it reads again.
SELECT * FROM (SELECT * FROM u, (SELECT a FROM vy UNION ALL SELECT 7 AS a));
SELECT * FROM (SELECT * FROM u, (SELECT a FROM (SELECT DISTINCT * FROM vc) UNION ALL SELECT 7 AS a));
SELECT * FROM (SELECT * FROM u, (SELECT (SELECT a FROM vc) AS a UNION ALL SELECT 7 AS a));
-- Not refused: the compound first, one without ORDER BY, one read where merging stops
-- (DISTINCT, an aggregate, a LIMIT), a compound reading it, or a query not read as a source.
SELECT * FROM (SELECT * FROM vc, u);
SELECT * FROM (SELECT * FROM u, vn);
SELECT * FROM (SELECT * FROM u, (SELECT DISTINCT * FROM vc));
SELECT * FROM (SELECT * FROM u, (SELECT count(*) FROM vc));
SELECT * FROM (SELECT * FROM u, (SELECT * FROM vc LIMIT 5));
SELECT * FROM (SELECT u.a, vc.b FROM u, vc UNION ALL SELECT 1 AS a, 2 AS b);
SELECT * FROM t WHERE a IN (SELECT x.a FROM vc AS x, vc);
SELECT x.a, vc.b FROM vc AS x, vc;
SELECT * FROM t, (SELECT count(*) AS n FROM u, vc) AS q;
SELECT count(*) FROM (SELECT DISTINCT u.a FROM u, vc);
SELECT * FROM t LEFT JOIN (SELECT u.a FROM u, vc) AS q ON t.a = q.a;
SELECT * FROM t, (SELECT u.a FROM u, (SELECT * FROM vc)) AS q;
-- A compound without ORDER BY brought there is run again too: a part that merged a view or
-- sub-select into it now groups by that one's constant columns, which are refused, or read
-- as column numbers.
CREATE VIEW vk AS SELECT 'k' AS k, 5 AS n, a FROM t;
SELECT * FROM (SELECT * FROM u, (SELECT min(a) AS m FROM vk GROUP BY k UNION ALL SELECT 2 AS m));
SELECT * FROM (SELECT * FROM u, (SELECT 2 AS m UNION ALL SELECT min(a) AS m FROM vk x GROUP BY x.k || 'x'));
SELECT * FROM (SELECT * FROM u, (SELECT min(a) AS m FROM vk GROUP BY a, -n UNION ALL SELECT 2 AS m));
SELECT * FROM t, (SELECT count(*) AS n FROM u, (SELECT min(a) AS m FROM (SELECT 'k' AS k, a FROM t) GROUP BY k UNION ALL SELECT 2 AS m)) AS q;
SELECT * FROM (SELECT * FROM u, (SELECT a AS m FROM vk GROUP BY k UNION ALL SELECT 2 AS m));
SELECT * FROM (SELECT * FROM u, (SELECT min(a) AS m FROM (SELECT DISTINCT 'k' AS k, a FROM t) GROUP BY k UNION ALL SELECT 2 AS m));
SELECT * FROM (SELECT * FROM (SELECT min(a) AS m FROM vk GROUP BY k UNION ALL SELECT 2 AS m), u);
SELECT * FROM (SELECT * FROM u, (SELECT a AS m FROM t WHERE a IN (SELECT min(a) FROM vk GROUP BY k) UNION ALL SELECT 2 AS m));
-- A numbered ORDER BY or GROUP BY term runs its result column's sub-selects a second time
-- too; by its alias, or in a compound's own ORDER BY, it does not.
CREATE TABLE k0(c0, c1);
INSERT INTO k0 VALUES(1, 2);
CREATE VIEW kv AS SELECT c0, c1 FROM k0 UNION ALL SELECT c0, c1 FROM k0 ORDER BY 1;
SELECT c0, (SELECT count(*) FROM kv) FROM k0 ORDER BY 2;
SELECT c0, (SELECT c0 FROM k0 UNION SELECT c1 FROM k0 ORDER BY 1) + 1 FROM k0 GROUP BY 2;
SELECT c0, c0 IN (SELECT c0 FROM k0 UNION SELECT c1 FROM k0 ORDER BY 1 DESC) FROM k0 ORDER BY 2;
SELECT c0, (SELECT count(*) FROM kv) FROM k0 ORDER BY 1;
SELECT c0, (SELECT c0 FROM (SELECT c0 FROM k0 ORDER BY 1)) FROM k0 ORDER BY 2;
SELECT (SELECT c0 FROM k0 UNION SELECT c1 FROM k0 ORDER BY 1) AS z FROM k0 ORDER BY z;
SELECT c0 FROM k0 UNION SELECT (SELECT c0 FROM k0 UNION SELECT c1 FROM k0 ORDER BY 1) ORDER BY 1;
-- A grouping or DISTINCT view read by an aggregate sub-select is read again from its own
-- text: the compound below it is not refused; read by a plain sub-select it is.
CREATE VIEW kg AS SELECT c0 FROM kv GROUP BY c0 HAVING count(*) > 0;
CREATE VIEW kd AS SELECT DISTINCT c0 FROM kv;
SELECT c0, (SELECT count(*) FROM kg), (SELECT sum(c0) FROM kd) FROM k0 ORDER BY 2, 3;
SELECT c0, (SELECT c0 FROM kd) FROM k0 ORDER BY 2;
SELECT c0, (SELECT c0 FROM kg WHERE c0 > 0) FROM k0 ORDER BY 2;
SELECT c0, (SELECT count(*) FROM (SELECT c0 FROM kv GROUP BY c0)) FROM k0 ORDER BY 2;
