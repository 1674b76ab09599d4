#pragma once

// Every statement the editor runs on a plugin file. The readers take columns by position
// from "select *": tb_type_list is (id, parentid, ItemText, ...), tb_item_list is (id,
// parentid, ItemText, itemUrl, itemImageUrl, ...). Column names are not case-sensitive, so
// itemText and ItemText are the same column. %d takes an id, '%s' a text (see
// db/statement_text.h for how texts are put in).

constexpr char kSelectCategoriesStatement[] = "select * from tb_type_list order by id;";
constexpr char kSelectVideosStatement[] =
    "select * from tb_item_list where parentid=%d order by id;";
constexpr char kDeleteCategoryVideosStatement[] = "delete from tb_item_list where parentid=%d;";
constexpr char kDeleteCategoryStatement[] = "delete from tb_type_list where id=%d;";
constexpr char kInsertCategoryStatement[] =
    "insert into tb_type_list (parentid, ItemText) values(%d, '%s');";
constexpr char kUpdateCategoryStatement[] = "update tb_type_list set itemText='%s' where id=%d;";
constexpr char kInsertVideoStatement[] =
    "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
    "values(%d, '%s', '%s', '%s');";
constexpr char kUpdateVideoStatement[] =
    "update tb_item_list set itemText='%s', itemUrl='%s', itemImageUrl='%s' where id=%d;";
constexpr char kDeleteVideoStatement[] = "delete from tb_item_list where id=%d;";
// The tables of the database, to tell a plugin file from another database.
constexpr char kSelectTableNamesStatement[] = "select name from sqlite_master where type='table';";
