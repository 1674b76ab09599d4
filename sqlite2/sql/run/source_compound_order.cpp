#include "sql/run/source_compound_order.h"

#include "common/error.h"
#include "sql/run/expression.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// Views nest at most this deep before the real run finds one defined through itself.
constexpr int kMaxDepth = 64;

// The query a FROM item reads, or null for a table (or a name the real run refuses).
const Select* queryOf(Session& session, const FromItem& item) {
  if (item.subquery) return item.subquery.get();
  try {
    std::shared_ptr<Table> table = session.table(item);
    return table->isView ? table->viewSelect.get() : nullptr;
  } catch (const Error&) {
    return nullptr;
  }
}

bool aggregates(const Select& select) {
  if (!select.groupBy.empty() || select.having) return true;
  for (const ResultColumn& column : select.columns) {
    if (column.expr && containsAggregate(*column.expr)) return true;
  }
  return false;
}

SourceReader readerOf(const Select& select) {
  return SourceReader{select, !select.orderBy.empty(), select.limit.has_value()};
}

bool merges(const Select& source, SourceReader reader, const FromItem& item) {
  const Select& into = reader.select;
  const bool joins = into.from.size() > 1;
  const bool grouped = aggregates(into);
  if (!source.compound.empty() || source.from.empty()) return false;
  if ((item.join & kJoinLeft) && source.from.size() > 1) return false;
  if (aggregates(source) && (grouped || joins || into.distinct || reader.limited)) return false;
  if ((source.distinct || source.limit) && (joins || grouped)) return false;
  return !(reader.ordered && !source.orderBy.empty());
}

// Whether the FROM item, once merged into the reader with what it merges itself, brings a
// compound with an ORDER BY to a place after the first; first tells whether the item's own
// first source would stand first.
bool bringsOrderedCompoundLater(Session& session, SourceReader reader, const FromItem& item,
                                bool first, int depth) {
  const Select* query = queryOf(session, item);
  if (!query || depth > kMaxDepth) return false;
  if (!query->compound.empty()) return !first && !query->orderBy.empty();
  if (!merges(*query, reader, item)) return false;
  for (size_t place = 0; place < query->from.size(); ++place) {
    if (bringsOrderedCompoundLater(session, readerOf(*query), query->from[place],
                                   first && place == 0, depth + 1)) {
      return true;
    }
  }
  return false;
}

}  // namespace

void checkCompoundOrderOfSource(Session& session, SourceReader reader, const FromItem& item) {
  const Select* query = queryOf(session, item);
  if (!query || !query->compound.empty() || !merges(*query, reader, item)) return;
  for (size_t place = 1; place < query->from.size(); ++place) {
    if (bringsOrderedCompoundLater(session, readerOf(*query), query->from[place], false, 0)) {
      throw Error(SQLITE_ERROR, "ORDER BY term number 1 does not match any result column");
    }
  }
}

}  // namespace sqlite2
