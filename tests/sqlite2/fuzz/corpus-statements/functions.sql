select case when id between 1 and 5 then upper(ItemText) else substr(ItemText, -2, 2) end, coalesce(itemUrl, quote(NULL)), round(id / 3.0, 2), min(id, 3), id & 6 | 1 << 2 from tb_item_list where parentid in (1, 2, 3) and ItemText not like 'a_c';
select sum(id), avg(id), max(ItemText), min(itemUrl), typeof(sum(id)) from tb_item_list;
