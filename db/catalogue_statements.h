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

// Moves: a category under another parent (-1: the top level), a video into another category.
constexpr char kMoveCategoryStatement[] = "update tb_type_list set parentid=%d where id=%d;";
constexpr char kMoveVideoStatement[] = "update tb_item_list set parentid=%d where id=%d;";
// Every video, for a search through the whole catalogue.
constexpr char kSelectAllVideosStatement[] = "select * from tb_item_list order by id;";

// Whole rows as they are, for taking an edit back (db/row_images.h). The names are filled in
// as the statements are built: the table, then its rows' ids or its columns.
constexpr char kCategoriesTable[] = "tb_type_list";
constexpr char kVideosTable[] = "tb_item_list";
// "select * from <table> where id in (<id>, ...);"
constexpr char kSelectRowsWithIdsStart[] = "select * from %t where id in (";
// "insert into <table> (<column>, ...) values(<value>, ...);"
constexpr char kInsertWholeRowStart[] = "insert into %t (";
// "update <table> set <column>=<value>, ... where id=<id>;"
constexpr char kUpdateWholeRowStart[] = "update %t set ";
constexpr char kDeleteRowStatement[] = "delete from %t where id=%d;";
