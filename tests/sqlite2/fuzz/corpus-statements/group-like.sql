select ItemText, count(*) from tb_item_list group by ItemText having count(*) > 1 order by 2 desc;
select distinct parentid from tb_item_list where ItemText like '%บร%' or itemUrl glob 'http://[a-z]*';
