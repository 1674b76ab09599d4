-- DISTINCT spells the numbers it reads again as the reference library spells them ('05' stays,
-- 5.0 is 5, 1e3 is 1000); a real it computed keeps its spelling, which a second spelling could
-- change in the last digit.
CREATE TABLE t(a);
INSERT INTO t VALUES(1e308);
INSERT INTO t VALUES('9.09090909090911e+306');
INSERT INTO t VALUES(0);
SELECT DISTINCT 9.09090909090911e+306, 9.09090909090911e+306 + 0, 1e308 / 11, '05', 5.0, 1e3 * 1;
SELECT DISTINCT avg(a), sum(a), max(a) FROM t;
SELECT DISTINCT a, a + 0, a / 11 FROM t;
